// The chart window: opened from the main window for the selected client, following the model's
// selection and range; zoom, pointer, week table, saving, Esc, and the report's charts page.
#include "../clients/ClientesDePrueba.h"
#include "charts/GraficoNiveles.h"
#include "charts/MapaSemanalVista.h"
#include "charts/VentanaGrafico.h"
#include "output/Impresion.h"
#include "output/VistaPrevia.h"
#include "platform/Dialogos.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

using prueba::hijo;

class Grafico : public prueba::VentanaConClientes {
protected:
    void TearDown() override {
        delete VentanaGrafico::instancia();
        SustituirDialogoGuardar(nullptr);
        prueba::VentanaConClientes::TearDown();
    }
    QPushButton* boton() const { return hijo<QPushButton>(ventana, QStringLiteral("cmdGrafico")); }
    VentanaGrafico* abrirGrafico(const QString& numero) {
        seleccionar(numero);
        QTest::mouseClick(boton(), Qt::LeftButton);
        VentanaGrafico* g = VentanaGrafico::instancia();
        EXPECT_NE(g, nullptr);
        if (g)
            QApplication::processEvents();
        return g;
    }
};

TEST_F(Grafico, BotonSegunInfraccionesYVentanaQueSigueAlModelo) {
    EXPECT_FALSE(boton()->isEnabled());
    seleccionar(QStringLiteral("7")); // no infractions
    EXPECT_FALSE(boton()->isEnabled());
    VentanaGrafico::Mostrar(oficina);
    EXPECT_EQ(VentanaGrafico::instancia(), nullptr);
    EXPECT_EQ(mensajes.ultimo().texto,
              QStringLiteral("El cliente seleccionado no tiene infracciones para graficar."));

    VentanaGrafico* g = abrirGrafico(QStringLiteral("12"));
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(boton()->isEnabled());
    EXPECT_EQ(g->windowTitle(), QStringLiteral("Gráfico de Niveles - Juan Pérez (Bar El Ñandú)"));
    GraficoNiveles& grafico = g->grafico();
    EXPECT_EQ(
        grafico.accessibleDescription(),
        QStringLiteral("Nivel dB del 01/01/2011 al %1: 6 registros, nivel máximo 95 dB, ninguno supera el "
                       "máximo permitido.")
            .arg(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"))));

    // The pointer over a point names it.
    const PuntoNivel& primero = grafico.serie()->puntos.front();
    const QDateTime momento = FechaHoraDeMs(primero.ms);
    const QPointF escena = grafico.chart()->mapToPosition(QPointF(
        double(QDateTime(momento.date(), momento.time(), Qt::LocalTime).toMSecsSinceEpoch()), primero.nivel));
    EXPECT_EQ(grafico.describirCercano(grafico.mapFromScene(escena) + QPoint(3, -2)),
              QStringLiteral("28/02/2011 12:00:00 - 95 dB - L. SHOW (Max. dB 95)"));
    EXPECT_TRUE(grafico.describirCercano(QPoint(2, 2)).isEmpty());

    // Zoom in around the middle, then a double click shows the whole series again.
    const auto todo = grafico.periodo();
    grafico.zoom(0.5, grafico.chart()->plotArea().center().x());
    const auto cerca = grafico.periodo();
    EXPECT_NEAR(double(cerca.second - cerca.first), double(todo.second - todo.first) / 2, 60000.0);
    QTest::mouseDClick(grafico.viewport(), Qt::LeftButton, {}, grafico.viewport()->rect().center());
    EXPECT_EQ(grafico.periodo(), todo);

    // The model's range and selection, never the main window's widgets.
    oficina.establecerRango(QDate(2011, 3, 1), QDate(2011, 3, 31));
    EXPECT_TRUE(grafico.accessibleDescription().startsWith(
        QStringLiteral("Nivel dB del 01/03/2011 al 31/03/2011: 3 registros")));
    seleccionar(QStringLiteral("123"));
    EXPECT_EQ(g->windowTitle(), QStringLiteral("Gráfico de Niveles - Ana Ruiz (Pub Norte)"));
    EXPECT_TRUE(grafico.accessibleDescription().contains(QStringLiteral(": 1 registro,")));

    // Esc closes it.
    QPointer<VentanaGrafico> abierta = g;
    QTest::keyClick(g, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(abierta.isNull());
}

TEST_F(Grafico, MapaSemanalComoTablaAccesibleYGuardarVista) {
    VentanaGrafico* g = abrirGrafico(QStringLiteral("12"));
    ASSERT_NE(g, nullptr);
    g->mostrarVista(1);
    MapaSemanalVista& mapa = g->mapa();
    // 28/02/2011 was a Monday; every seeded row is at 12:00:00.
    EXPECT_EQ(mapa.modelo().cuenta(0, 12), 1);
    EXPECT_EQ(mapa.modelo().mapa().cantidad, 6);
    QAccessibleInterface* tabla = QAccessible::queryAccessibleInterface(&mapa);
    ASSERT_NE(tabla, nullptr);
    ASSERT_NE(tabla->tableInterface(), nullptr);
    EXPECT_EQ(tabla->tableInterface()->rowCount(), 7);
    EXPECT_EQ(tabla->tableInterface()->columnCount(), 24);
    QAccessibleInterface* celda = tabla->tableInterface()->cellAt(0, 12);
    ASSERT_NE(celda, nullptr);
    EXPECT_EQ(celda->text(QAccessible::Name), QStringLiteral("Lunes, de 12:00 a 12:59: 1 infracción"));

    // One status alone, chosen from the box.
    auto* modo = hijo<QComboBox>(g, QStringLiteral("ModoMapa"));
    const int soloMic = modo->findText(QStringLiteral("Solo MIC. DESC."));
    ASSERT_GE(soloMic, 0);
    modo->setCurrentIndex(soloMic);
    Q_EMIT modo->activated(soloMic);
    EXPECT_EQ(mapa.modelo().cuenta(0, 12), 0);
    EXPECT_EQ(mapa.modelo().cuenta(1, 12), 1); // 15/03/2011, a Tuesday

    // The view on show goes to the file the dialog names: PNG by default, PDF by extension.
    QTemporaryDir dir;
    QString pedido = dir.filePath(QStringLiteral("mapa"));
    SustituirDialogoGuardar([&](const QString&, const QString&) { return pedido; });
    QTest::mouseClick(hijo<QPushButton>(g, QStringLiteral("GuardarImagen")), Qt::LeftButton);
    QImage imagen(dir.filePath(QStringLiteral("mapa.png")));
    EXPECT_FALSE(imagen.isNull());
    EXPECT_GE(imagen.width(), mapa.width());
    g->mostrarVista(0);
    pedido = dir.filePath(QStringLiteral("niveles.PDF"));
    QTest::mouseClick(hijo<QPushButton>(g, QStringLiteral("GuardarImagen")), Qt::LeftButton);
    QFile pdf(pedido);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2); // nothing left aside
}

TEST_F(Grafico, ElInformePuedeLlevarLosGraficosAntesDeLaTabla) {
    seleccionar(QStringLiteral("12"));
    ImprimirInformeInfracciones(oficina, ventana);
    ASSERT_NE(InformeEnVistaPrevia(), nullptr);
    EXPECT_TRUE(InformeEnVistaPrevia()->datos().graficoNiveles.isNull());
    const std::size_t registros = InformeEnVistaPrevia()->datos().registros.size();
    auto* opcion = VistaPreviaInforme()->findChild<QAction*>(QStringLiteral("IncluirGraficos"));
    ASSERT_NE(opcion, nullptr);
    opcion->setChecked(true);
    const Impresion* informe = InformeEnVistaPrevia();
    ASSERT_NE(informe, nullptr);
    EXPECT_FALSE(informe->datos().graficoNiveles.isNull());
    EXPECT_FALSE(informe->datos().graficoSemana.isNull());
    EXPECT_EQ(informe->datos().registros.size(), registros); // the table stays as it was

    // One page more, before the table.
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("informe.pdf"));
    ASSERT_TRUE(informe->guardarPdf(ruta));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {ruta});
    info.waitForFinished(60000);
    EXPECT_TRUE(
        QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression("Pages:\\s+2\\b")));
    opcion->setChecked(false);
    EXPECT_TRUE(InformeEnVistaPrevia()->datos().graficoNiveles.isNull());
    delete VistaPreviaInforme();
}

} // namespace
