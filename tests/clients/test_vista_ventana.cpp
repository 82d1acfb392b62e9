// The infraction and time-band view in the main window, driven as a user would.
#include "ClientesDePrueba.h"
#include "clients/CamposFecha.h"
#include "clients/VistaInfracciones.h"

#include <QDateEdit>
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

TEST_F(VentanaConClientes, SelectingAClientShowsItsPremisesColouredRowsSeparatorsAndBands) {
    seleccionar(QStringLiteral("12"));
    const FrmDatos& v = *ventana;
    EXPECT_EQ(v.NLocal->text(), QStringLiteral("Bar El Ñandú"));
    EXPECT_EQ(v.DLocal->text(), QStringLiteral("Av. Mitre 10"));
    EXPECT_EQ(v.LocLocal->text(), QStringLiteral("Bernal"));
    EXPECT_EQ(v.PartLocal->text(), QStringLiteral("Quilmes Oeste"));
    EXPECT_EQ(v.EmailLocal->text(), QStringLiteral("local@correo.com.ar"));
    EXPECT_EQ(v.UltimaFechaInsp->text(), QStringLiteral("15/09/2011"));
    EXPECT_EQ(v.UltimaHoraInsp->text(), QStringLiteral("14:30:05"));
    EXPECT_EQ(v.AnteriorInspeccionFecha->text(), QStringLiteral("01/01/2011"));
    EXPECT_EQ(v.AnteriorInspeccionHora->text(), QStringLiteral("09:30:00"));

    // Only client 12's records (not 123's nor 312's), in id order, separators below marks.
    const GridModel& g = *v.flex2;
    EXPECT_EQ(g.textMatrix(0, 5), QStringLiteral(" Estatus "));
    EXPECT_EQ(visibles(), (QStringList{"28/02/2011", "01/03/2011", "-", "15/03/2011", "-", "31/03/2011",
                                       "01/04/2011", "-", "02/04/2011", "-"}));
    for (int f = 1; f < g.rows(); ++f) {
        if (!g.textMatrix(f, 0).isEmpty()) {
            EXPECT_EQ(g.textMatrix(f, 1), QStringLiteral("12"));
        }
    }
    // Every dot is removed, the one of "BLOQ." too, and each such record gets its separator.
    EXPECT_EQ(g.textMatrix(2, ColInfraccion::CI), QStringLiteral("1"));
    EXPECT_EQ(g.textMatrix(4, ColInfraccion::CI), QStringLiteral("BLOQ"));
    EXPECT_EQ(g.textMatrix(7, ColInfraccion::CI), QStringLiteral("2"));
    EXPECT_EQ(g.textMatrix(9, ColInfraccion::CI), QStringLiteral("BLOQ"));
    EXPECT_EQ(g.rows(), 11);
    const QList<QColor> colores = {kAmarillo, kNaranja,  kGris, kRojo, kGris,
                                   kGris,     kAmarillo, kGris, kRojo, kGris};
    for (int f = 1; f < g.rows(); ++f)
        for (int c : {0, 5, 17})
            EXPECT_EQ(g.cellBackColor(f, c), colores.at(f - 1)) << f << " " << c;
    EXPECT_EQ(g.colWidth(0), 0);
    EXPECT_EQ(g.colWidth(5), 1200);
    EXPECT_EQ(g.colAlignment(9), Qt::AlignCenter);
    // The view shows the grid: the hidden id column is not displayed.
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

TEST_F(VentanaConClientes, StoredInspectionWithoutDateShowsEmptyPickers) {
    seleccionar(QStringLiteral("12"));
    seleccionar(QStringLiteral("7"));
    EXPECT_TRUE(PickerVacio(ventana->UltimaFechaInsp));
    EXPECT_TRUE(PickerVacio(ventana->UltimaHoraInsp));
    EXPECT_TRUE(ventana->UltimaFechaInsp->text().trimmed().isEmpty());
    EXPECT_TRUE(ventana->UltimaHoraInsp->text().trimmed().isEmpty());
    EXPECT_EQ(ventana->AnteriorInspeccionFecha->text(), QStringLiteral("01/01/2011"));
    EXPECT_EQ(ventana->flex2->rows(), 1); // headers only
    EXPECT_EQ(ventana->flex2->textMatrix(0, 2), QStringLiteral(" Fecha "));
    seleccionar(QStringLiteral("12"));
    EXPECT_EQ(ventana->UltimaFechaInsp->text(), QStringLiteral("15/09/2011"));
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

TEST_F(VentanaConClientes, DateRangeIsInclusiveAndTheStartMovesBackToTheEnd) {
    seleccionar(QStringLiteral("12"));
    ventana->FechaInfInicio->setDate(QDate(2011, 3, 1));
    ventana->FechaInfFin->setDate(QDate(2011, 3, 31));
    // Separators stay shown whatever the range.
    EXPECT_EQ(visibles(), (QStringList{"01/03/2011", "-", "15/03/2011", "-", "31/03/2011", "-", "-"}));

    ventana->FechaInfInicio->setDate(QDate(2011, 4, 15));
    EXPECT_EQ(ventana->FechaInfInicio->date(), QDate(2011, 3, 31));
    EXPECT_EQ(visibles(), (QStringList{"-", "-", "31/03/2011", "-", "-"}));

    // The range holds for the next client and after "Reordenar Datos".
    QTest::mouseClick(ventana->Command1, Qt::LeftButton);
    EXPECT_EQ(visibles(), (QStringList{"-", "-", "31/03/2011", "-", "-"}));
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

TEST_F(VentanaConClientes, ReordenarDatosUndoesAHeaderSort) {
    seleccionar(QStringLiteral("12"));
    const GridModel& g = *ventana->flex2;
    QStringList ids;
    for (int f = 1; f < g.rows(); ++f)
        ids << g.textMatrix(f, 0);
    // The user clicks the "Estatus" header.
    QHeaderView* cabecera = ventana->flex2Vista->horizontalHeader();
    const int x = cabecera->sectionViewportPosition(5) + cabecera->sectionSize(5) / 2;
    QTest::mouseClick(cabecera->viewport(), Qt::LeftButton, {}, QPoint(x, cabecera->height() / 2));
    QStringList ordenados;
    for (int f = 1; f < g.rows(); ++f)
        ordenados << g.textMatrix(f, 0);
    ASSERT_NE(ordenados, ids);

    QTest::mouseClick(ventana->Command1, Qt::LeftButton);
    QStringList despues;
    for (int f = 1; f < g.rows(); ++f)
        despues << g.textMatrix(f, 0);
    EXPECT_EQ(despues, ids);
    EXPECT_EQ(g.cellBackColor(2, 1), kNaranja);
}

TEST_F(VentanaConClientes, NoClientSelectedShowsAnEmptyView) {
    seleccionar(QStringLiteral("12"));
    ventana->flex->setRow(filaDe(QStringLiteral("----")));
    EXPECT_EQ(ventana->flex2->rows(), 1);
    EXPECT_TRUE(ventana->NLocal->text().isEmpty());
    EXPECT_TRUE(ventana->InicioBHA->text().isEmpty());
    EXPECT_TRUE(PickerVacio(ventana->UltimaFechaInsp));
}

} // namespace
