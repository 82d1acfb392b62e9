// The infraction and time-band view: its colours and widths, and the main window driven as a user
// would.
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

TEST_F(VentanaConClientes, SelectingAClientShowsItsPremisesColouredRowsSeparatorsAndBands) {
    seleccionar(QStringLiteral("12"));
    const std::pair<const char*, const char*> campos[] = {{"NLocal", "Bar El Ñandú"},
                                                          {"DLocal", "Av. Mitre 10"},
                                                          {"PartLocal", "Quilmes Oeste"},
                                                          {"EmailLocal", "local@correo.com.ar"},
                                                          {"UltimaFechaInsp", "15/09/2011"},
                                                          {"UltimaHoraInsp", "14:30:05"},
                                                          {"AnteriorInspeccionFecha", "01/01/2011"}};
    for (const auto& [nombre, texto] : campos)
        EXPECT_EQ(prueba::hijo(ventana, QLatin1String(nombre))->property("text").toString(),
                  QString::fromUtf8(texto))
            << nombre;

    // Only client 12's records, in id order, separators below marks, colours by status.
    const GridModel& g = flex2();
    EXPECT_EQ(g.textMatrix(0, 5), QStringLiteral(" Estatus "));
    EXPECT_EQ(visibles(), (QStringList{"28/02/2011", "01/03/2011", "-", "15/03/2011", "-", "31/03/2011",
                                       "01/04/2011", "-", "02/04/2011", "-"}));
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
              vista("flex2Vista")->fontMetrics().horizontalAdvance(QStringLiteral("REINICIO EQ.")));
    EXPECT_EQ(g.colAlignment(9), Qt::AlignCenter);
    EXPECT_TRUE(vista("flex2Vista")->isColumnHidden(0));

    EXPECT_EQ(linea("ActBHA")->text(), QStringLiteral("Si"));
    EXPECT_EQ(linea("InicioBHA")->text(), QStringLiteral("Lunes 08:30"));
    EXPECT_EQ(linea("FinBHA")->text(), QStringLiteral("Viernes 23:05"));
    EXPECT_EQ(linea("InicioBHB")->text(), QStringLiteral("Sabado 22:00"));
    EXPECT_EQ(linea("FinBHC")->text(), QStringLiteral("Martes 11:45"));

    seleccionar(QStringLiteral("123"));
    EXPECT_EQ(visibles(), QStringList{QStringLiteral("10/03/2011")});
    EXPECT_EQ(g.cellBackColor(1, 3), kRojo);
    // A client without band settings shows empty band boxes, not the previous client's.
    for (const char* caja :
         {"ActBHA", "InicioBHA", "FinBHA", "ActBHB", "InicioBHB", "FinBHB", "ActBHC", "InicioBHC", "FinBHC"})
        EXPECT_TRUE(linea(caja)->text().isEmpty()) << caja;
}

// Client 7 has no inspection stored, no bands and no infractions.
TEST_F(VentanaConClientes, MissingDataShowsEmptyBoxesAndPickers) {
    seleccionar(QStringLiteral("12"));
    seleccionar(QStringLiteral("7"));
    EXPECT_TRUE(PickerVacio(fecha("UltimaFechaInsp")));
    EXPECT_TRUE(fecha("UltimaFechaInsp")->text().trimmed().isEmpty());
    EXPECT_EQ(fecha("AnteriorInspeccionFecha")->text(), QStringLiteral("01/01/2011"));
    EXPECT_EQ(flex2().rows(), 1); // headers only
    EXPECT_EQ(flex2().textMatrix(0, 2), QStringLiteral(" Fecha "));
    EXPECT_TRUE(linea("InicioBHA")->text().isEmpty());
    seleccionar(QStringLiteral("12"));
    EXPECT_EQ(fecha("UltimaFechaInsp")->text(), QStringLiteral("15/09/2011"));
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

// "Reordenar Datos" undoes a header sort; the pickers set the model's range, and a start after
// the end comes back moved to the end.
TEST_F(VentanaConClientes, ReordenarUndoesASortAndThePickersSetTheRange) {
    seleccionar(QStringLiteral("12"));
    auto* reordenar = prueba::hijo<QPushButton>(ventana, QStringLiteral("Command1"));
    const QStringList antes = visibles();
    QHeaderView* cabecera = vista("flex2Vista")->horizontalHeader(); // the "Estatus" header
    const int x = cabecera->sectionViewportPosition(5) + cabecera->sectionSize(5) / 2;
    QTest::mouseClick(cabecera->viewport(), Qt::LeftButton, {}, QPoint(x, cabecera->height() / 2));
    ASSERT_NE(visibles(), antes);
    QTest::mouseClick(reordenar, Qt::LeftButton);
    EXPECT_EQ(visibles(), antes);
    EXPECT_EQ(flex2().cellBackColor(2, 1), kNaranja);

    fecha("FechaInfInicio")->setDate(QDate(2011, 3, 1));
    fecha("FechaInfFin")->setDate(QDate(2011, 3, 31));
    EXPECT_EQ(oficina.fechaFin(), QDate(2011, 3, 31));
    EXPECT_EQ(visibles(), (QStringList{"01/03/2011", "-", "15/03/2011", "-", "31/03/2011", "-", "-"}));
    fecha("FechaInfInicio")->setDate(QDate(2011, 4, 15));
    EXPECT_EQ(fecha("FechaInfInicio")->date(), QDate(2011, 3, 31));
    EXPECT_EQ(visibles(), (QStringList{"-", "-", "31/03/2011", "-", "-"}));
    QTest::mouseClick(reordenar, Qt::LeftButton);
    EXPECT_EQ(visibles(), (QStringList{"-", "-", "31/03/2011", "-", "-"}));
    EXPECT_TRUE(mensajes.mensajes().isEmpty());

    // Rows whose dates cannot be read cannot be filtered: the user is told.
    prueba::agregarInfraccion(QStringLiteral("123"), QStringLiteral("xx"), QStringLiteral("L. SHOW"),
                              QString());
    seleccionar(QStringLiteral("123"));
    fecha("FechaInfFin")->setDate(QDate(2011, 4, 1));
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(
        mensajes.ultimo().texto,
        QStringLiteral("¡No hay infracciones en el listado para filtrar!, Por favor seleccione un cliente"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Seleccione un Cliente"));
}

} // namespace
