// The infraction and time-band view: status colours and widths, and what the main window shows
// of the selected client.
#include "ClientesDePrueba.h"
#include "windows/estatus/ColoresEstatus.h"
#include "windows/grid/VistaInfracciones.h"
#include "windows/platform/SelectoresFecha.h"

#include <QFontMetricsF>
#include <QHeaderView>

namespace {

const QColor kAmarillo(255, 255, 0), kNaranja(255, 128, 0), kRojo(255, 0, 0), kGris(40, 40, 40);

// Colours follow the exact, case-sensitive status text. The status column shows every status
// text whole in whatever font the grid uses, and also one the device's table does not know.
TEST(VistaInfracciones, ColoresExactosYColumnaEstatusQueMuestraCadaTexto) {
    EXPECT_EQ(ColorEstatus(QStringLiteral("D. JOCKEY")), kNaranja);
    EXPECT_EQ(ColorEstatus(QStringLiteral("d. jockey")), kAmarillo);
    EXPECT_EQ(ColorEstatus(QStringLiteral("MIC. DESC")), kAmarillo);

    GridModel g;
    g.setCols(ColInfraccion::Cantidad);
    g.setRows(2);
    g.setTextMatrix(1, ColInfraccion::Estatus, QStringLiteral("DESCONOCIDO MUY LARGO"));
    for (const QFont& fuente : {QFont(), QFont(QString(), 18, QFont::Bold)}) {
        FormatearInfracciones(g, fuente);
        const int pixeles = g.colWidth(ColInfraccion::Estatus);
        for (const QString& t : TextosEstatus() + QStringList{g.textMatrix(1, 5), g.textMatrix(0, 5)})
            EXPECT_GE(pixeles, QFontMetricsF(fuente).horizontalAdvance(t)) << t.toStdString();
    }
}

class Vista : public prueba::VentanaConClientes {
protected:
    QStringList fechas() const { return visibles(gridInfracciones(), 2); }
};

TEST_F(Vista, ClienteElegidoMuestraSuLocalFilasColoreadasYBandas) {
    seleccionar(QStringLiteral("12"));
    EXPECT_EQ(linea("nombreLocal")->text(), QStringLiteral("Bar El Ñandú"));
    EXPECT_EQ(fecha("fechaUltimaInspeccion")->text(), QStringLiteral("15/09/2011"));
    EXPECT_EQ(prueba::hijo(ventana, QStringLiteral("horaUltimaInspeccion"))->property("text"), "14:30:05");
    // Whole rows coloured by status, separators grey.
    EXPECT_EQ(fechas(), (QStringList{"28/02/2011", "01/03/2011", "-", "15/03/2011", "-", "31/03/2011",
                                     "01/04/2011", "-", "02/04/2011", "-"}));
    const QList<QColor> colores = {kAmarillo, kNaranja,  kGris, kRojo, kGris,
                                   kGris,     kAmarillo, kGris, kRojo, kGris};
    for (int f = 1; f < gridInfracciones().rows(); ++f)
        for (int c : {0, 17})
            EXPECT_EQ(gridInfracciones().cellBackColor(f, c), colores.value(f - 1)) << f << " " << c;
    EXPECT_EQ(linea("inicioBandaA")->text(), QStringLiteral("Lunes 08:30"));
    EXPECT_EQ(linea("finBandaC")->text(), QStringLiteral("Martes 11:45"));

    // Client 7 has no inspection, bands or infractions: empty pickers and boxes, not 12's.
    seleccionar(QStringLiteral("7"));
    EXPECT_TRUE(PickerVacio(fecha("fechaUltimaInspeccion")));
    EXPECT_TRUE(fecha("fechaUltimaInspeccion")->text().trimmed().isEmpty());
    EXPECT_EQ(gridInfracciones().rows(), 1);
    for (const char* caja : {"activacionBandaA", "inicioBandaA", "finBandaC"})
        EXPECT_TRUE(linea(caja)->text().isEmpty()) << caja;
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

// "Reordenar Datos" undoes a header sort and keeps the range; the pickers set the range and
// show a start after the end moved to the end; dates that cannot be read are reported.
TEST_F(Vista, ReordenarDeshaceElOrdenYLosSelectoresFijanElRango) {
    seleccionar(QStringLiteral("12"));
    auto* reordenar = prueba::hijo<QPushButton>(ventana, QStringLiteral("botonReordenar"));
    const QStringList antes = fechas();
    QHeaderView* cabecera = vista("vistaInfracciones")->horizontalHeader(); // the "Estatus" header
    const int x = cabecera->sectionViewportPosition(5) + cabecera->sectionSize(5) / 2;
    QTest::mouseClick(cabecera->viewport(), Qt::LeftButton, {}, QPoint(x, cabecera->height() / 2));
    ASSERT_NE(fechas(), antes);
    QTest::mouseClick(reordenar, Qt::LeftButton);
    EXPECT_EQ(fechas(), antes);
    EXPECT_EQ(gridInfracciones().cellBackColor(2, 1), kNaranja);

    fecha("fechaFinInfracciones")->setDate(QDate(2011, 3, 31));
    fecha("fechaInicioInfracciones")->setDate(QDate(2011, 4, 15));
    EXPECT_EQ(oficina.fechaFin(), QDate(2011, 3, 31));
    EXPECT_EQ(fecha("fechaInicioInfracciones")->date(), QDate(2011, 3, 31));
    EXPECT_EQ(fechas(), (QStringList{"-", "-", "31/03/2011", "-", "-"}));
    QTest::mouseClick(reordenar, Qt::LeftButton);
    EXPECT_EQ(fechas(), (QStringList{"-", "-", "31/03/2011", "-", "-"}));
    EXPECT_TRUE(mensajes.mensajes().isEmpty());

    prueba::agregarInfraccion(base.registro(), QStringLiteral("123"), QStringLiteral("xx"),
                              QStringLiteral("L. SHOW"), {});
    seleccionar(QStringLiteral("123"));
    fecha("fechaFinInfracciones")->setDate(QDate(2011, 4, 1));
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(
        mensajes.ultimo().texto,
        QStringLiteral("¡No hay infracciones en el listado para filtrar!, Por favor seleccione un cliente"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Seleccione un Cliente"));
}

} // namespace
