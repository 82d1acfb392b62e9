// The infraction and time-band view: its rules on plain values, and the main window driven as a
// user would.
#include "ClientesDePrueba.h"
#include "clients/SelectoresFecha.h"
#include "clients/VistaInfracciones.h"
#include "grid/GridView.h"

#include <QDateEdit>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>

namespace {

using prueba::VentanaConClientes;

const QColor kAmarillo(255, 255, 0);
const QColor kNaranja(255, 128, 0);
const QColor kRojo(255, 0, 0);
const QColor kGris(40, 40, 40);

TEST(VistaInfracciones, ColoursFollowTheStatusTextExactly) {
    const std::pair<const char*, QColor> casos[] = {
        {"L. SHOW", kAmarillo},   {"D. JOCKEY", kNaranja}, {"MIC. DESC.", kRojo},   {"APERT. GAB.", kRojo},
        {"BAT. DESC.", kRojo},    {"EXCESO INF.", kRojo},  {"REINICIO EQ.", kRojo}, {"", kGris},
        {"d. jockey", kAmarillo}, {"MIC. DESC", kAmarillo}}; // exact and case-sensitive
    for (const auto& [estatus, color] : casos)
        EXPECT_EQ(ColorEstatus(QString::fromLatin1(estatus)), color) << estatus;
}

// The status column shows every status text whole, in whatever font the grid uses, and also
// a text the device's table does not know (stored by an older program).
TEST(VistaInfracciones, StatusColumnFitsEveryStatusText) {
    GridModel g;
    g.setCols(ColInfraccion::Cantidad);
    g.setRows(3);
    g.setTextMatrix(1, ColInfraccion::Estatus, QStringLiteral("L. SHOW"));
    g.setTextMatrix(2, ColInfraccion::Estatus, QStringLiteral("DESCONOCIDO MUY LARGO"));
    QFont grande;
    grande.setPointSize(18);
    grande.setBold(true);
    for (const QFont& fuente : {QFont(), grande}) {
        FormatearInfracciones(g, fuente);
        const QFontMetricsF fm(fuente);
        const int pixeles = GridView::twipsAPixeles(g.colWidth(ColInfraccion::Estatus));
        for (const QString& t : TextosEstatus() + QStringList{g.textMatrix(2, 5), g.textMatrix(0, 5)})
            EXPECT_GE(pixeles, fm.horizontalAdvance(t)) << t.toStdString() << " " << fuente.pointSize();
    }
    EXPECT_EQ(TextosEstatus().size(), 7);
}

// Band boxes pad numbers below ten with one zero, whatever their width; dates or times that
// are empty or no date give an empty picker, not a wrong one.
TEST(VistaInfracciones, BandPaddingAndStoredDatesThatAreNoDate) {
    const std::pair<const char*, const char*> rellenos[] = {
        {"8", "08"}, {"008", "0008"}, {"0", "00"}, {"10", "10"}};
    for (const auto& [numero, texto] : rellenos)
        EXPECT_EQ(RellenarCero(QString::fromLatin1(numero)), QString::fromLatin1(texto));
    EXPECT_EQ(LeerFechaDMA(QStringLiteral("15/09/2011")), QDate(2011, 9, 15));
    for (const char* nada : {"//", "31/02/2011", ""})
        EXPECT_FALSE(LeerFechaDMA(QString::fromLatin1(nada))) << nada;
    EXPECT_EQ(LeerHoraHMS(QStringLiteral("14:30:05")), QTime(14, 30, 5));
    EXPECT_FALSE(LeerHoraHMS(QStringLiteral("::")));
    EXPECT_FALSE(LeerHoraHMS(QStringLiteral("25:00:00")));
}

TEST(VistaInfracciones, UnreadableDatesAreCountedAndLeftShown) {
    GridModel g;
    g.setCols(ColInfraccion::Cantidad);
    g.setRows(4);
    const char* fechas[] = {"//", "31/02/2011", "05/05/2015"};
    for (int f = 1; f < 4; ++f) {
        g.setTextMatrix(f, ColInfraccion::Id, QString::number(f));
        g.setTextMatrix(f, ColInfraccion::Fecha, QString::fromLatin1(fechas[f - 1]));
    }
    EXPECT_EQ(FiltrarPorFechas(g, QDate(2011, 1, 1), QDate(2011, 12, 31)), 2);
    EXPECT_FALSE(g.rowHidden(1) || g.rowHidden(2));
    EXPECT_TRUE(g.rowHidden(3));
}

TEST_F(VentanaConClientes, SelectingAClientShowsItsPremisesColouredRowsSeparatorsAndBands) {
    seleccionar(QStringLiteral("12"));
    const FrmDatos& v = *ventana;
    const std::pair<QWidget*, const char*> campos[] = {{v.NLocal, "Bar El Ñandú"},
                                                       {v.DLocal, "Av. Mitre 10"},
                                                       {v.PartLocal, "Quilmes Oeste"},
                                                       {v.EmailLocal, "local@correo.com.ar"},
                                                       {v.UltimaFechaInsp, "15/09/2011"},
                                                       {v.UltimaHoraInsp, "14:30:05"},
                                                       {v.AnteriorInspeccionFecha, "01/01/2011"}};
    for (const auto& [w, texto] : campos)
        EXPECT_EQ(w->property("text").toString(), QString::fromUtf8(texto)) << w->objectName().toStdString();

    // Only client 12's records (not 123's nor 312's), in id order, separators below marks.
    const GridModel& g = *v.flex2;
    EXPECT_EQ(g.textMatrix(0, 5), QStringLiteral(" Estatus "));
    EXPECT_EQ(visibles(), (QStringList{"28/02/2011", "01/03/2011", "-", "15/03/2011", "-", "31/03/2011",
                                       "01/04/2011", "-", "02/04/2011", "-"}));
    for (int f = 1; f < g.rows(); ++f)
        EXPECT_TRUE(g.textMatrix(f, 0).isEmpty() || g.textMatrix(f, 1) == QStringLiteral("12")) << f;
    // Every dot is removed, the one of "BLOQ." too, and each such record gets its separator.
    QStringList ci;
    for (int f = 1; f < g.rows(); ++f)
        ci << g.textMatrix(f, ColInfraccion::CI);
    EXPECT_EQ(ci, QStringList({"1", "1", "", "BLOQ", "", "", "2", "", "BLOQ", ""}));
    const QList<QColor> colores = {kAmarillo, kNaranja,  kGris, kRojo, kGris,
                                   kGris,     kAmarillo, kGris, kRojo, kGris};
    for (int f = 1; f < g.rows(); ++f)
        for (int c : {0, 5, 17})
            EXPECT_EQ(g.cellBackColor(f, c), colores.at(f - 1)) << f << " " << c;
    EXPECT_GE(GridView::twipsAPixeles(g.colWidth(5)),
              v.flex2Vista->fontMetrics().horizontalAdvance(QStringLiteral("REINICIO EQ.")));
    EXPECT_EQ(g.colAlignment(9), Qt::AlignCenter);
    EXPECT_TRUE(v.flex2Vista->isColumnHidden(0));

    EXPECT_EQ(v.ActBHA->text(), QStringLiteral("Si"));
    EXPECT_EQ(v.InicioBHA->text(), QStringLiteral("Lunes 08:30"));
    EXPECT_EQ(v.FinBHA->text(), QStringLiteral("Viernes 23:05"));
    EXPECT_EQ(v.InicioBHB->text(), QStringLiteral("Sabado 22:00"));
    EXPECT_EQ(v.FinBHC->text(), QStringLiteral("Martes 11:45"));

    seleccionar(QStringLiteral("123"));
    EXPECT_EQ(visibles(), QStringList{QStringLiteral("10/03/2011")});
    EXPECT_EQ(g.cellBackColor(1, 3), kRojo);
    // A client without band settings shows empty band boxes, not the previous client's.
    for (QLineEdit* caja :
         {v.ActBHA, v.InicioBHA, v.FinBHA, v.ActBHB, v.InicioBHB, v.FinBHB, v.ActBHC, v.InicioBHC, v.FinBHC})
        EXPECT_TRUE(caja->text().isEmpty()) << caja->objectName().toStdString();
}

// Client 7 has no inspection stored, no bands and no infractions; the placeholder row is no client.
TEST_F(VentanaConClientes, MissingDataAndNoClientShowEmptyBoxesAndPickers) {
    seleccionar(QStringLiteral("12"));
    seleccionar(QStringLiteral("7"));
    EXPECT_TRUE(PickerVacio(ventana->UltimaFechaInsp));
    EXPECT_TRUE(PickerVacio(ventana->UltimaHoraInsp));
    EXPECT_TRUE(ventana->UltimaFechaInsp->text().trimmed().isEmpty());
    EXPECT_EQ(ventana->AnteriorInspeccionFecha->text(), QStringLiteral("01/01/2011"));
    EXPECT_EQ(ventana->flex2->rows(), 1); // headers only
    EXPECT_EQ(ventana->flex2->textMatrix(0, 2), QStringLiteral(" Fecha "));
    seleccionar(QStringLiteral("12"));
    EXPECT_EQ(ventana->UltimaFechaInsp->text(), QStringLiteral("15/09/2011"));

    ventana->flex->setRow(filaDe(QStringLiteral("----")));
    EXPECT_EQ(ventana->flex2->rows(), 1);
    EXPECT_TRUE(ventana->NLocal->text().isEmpty());
    EXPECT_TRUE(ventana->InicioBHA->text().isEmpty());
    EXPECT_TRUE(PickerVacio(ventana->UltimaFechaInsp));
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

// "Reordenar Datos" undoes a header sort; the date range is inclusive, the start moves back to
// the end, separators always stay, and the range holds after "Reordenar Datos".
TEST_F(VentanaConClientes, ReordenarUndoesASortAndTheDateRangeIsInclusive) {
    seleccionar(QStringLiteral("12"));
    const QStringList antes = visibles();
    QHeaderView* cabecera = ventana->flex2Vista->horizontalHeader(); // the "Estatus" header
    const int x = cabecera->sectionViewportPosition(5) + cabecera->sectionSize(5) / 2;
    QTest::mouseClick(cabecera->viewport(), Qt::LeftButton, {}, QPoint(x, cabecera->height() / 2));
    ASSERT_NE(visibles(), antes);
    QTest::mouseClick(ventana->Command1, Qt::LeftButton);
    EXPECT_EQ(visibles(), antes);
    EXPECT_EQ(ventana->flex2->cellBackColor(2, 1), kNaranja);

    ventana->FechaInfInicio->setDate(QDate(2011, 3, 1));
    ventana->FechaInfFin->setDate(QDate(2011, 3, 31));
    EXPECT_EQ(visibles(), (QStringList{"01/03/2011", "-", "15/03/2011", "-", "31/03/2011", "-", "-"}));
    ventana->FechaInfInicio->setDate(QDate(2011, 4, 15));
    EXPECT_EQ(ventana->FechaInfInicio->date(), QDate(2011, 3, 31));
    EXPECT_EQ(visibles(), (QStringList{"-", "-", "31/03/2011", "-", "-"}));
    ventana->FechaInfFin->setDate(QDate(2011, 4, 1));
    ventana->FechaInfInicio->setDate(QDate(2011, 4, 1));
    EXPECT_EQ(visibles(), (QStringList{"-", "-", "01/04/2011", "-", "-"}));
    QTest::mouseClick(ventana->Command1, Qt::LeftButton);
    EXPECT_EQ(visibles(), (QStringList{"-", "-", "01/04/2011", "-", "-"}));
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

} // namespace
