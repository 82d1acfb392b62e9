// The chart window: opened from the main window for the selected client, following the model's
// selection and range; zoom, pointer, week table, saving, Esc, and the report's charts page. The
// level chart's date axis on whole units at any zoom, and a legend that tells statuses apart.
#include "../clients/ClientesDePrueba.h"
#include "windows/charts/GraficoNiveles.h"
#include "windows/charts/MapaSemanalVista.h"
#include "windows/charts/VentanaGrafico.h"
#include "windows/output/VistaInforme.h"
#include "windows/output/VistaPrevia.h"
#include "windows/platform/Dialogos.h"

#include <QAccessible>
#include <QAction>
#include <QCategoryAxis>
#include <QComboBox>
#include <QFile>
#include <QFontMetricsF>
#include <QLegendMarker>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextDocumentFragment>

#include <cmath>
#include <set>

namespace {

using prueba::hijo;

class Grafico : public prueba::VentanaConClientes {
protected:
    void SetUp() override {
        // The report's preview remembers its options per user: never in the real settings.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ajustes.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ajustes.path());
        prueba::VentanaConClientes::SetUp();
    }
    void TearDown() override {
        delete VentanaGrafico::instancia();
        SustituirDialogoGuardar(nullptr);
        prueba::VentanaConClientes::TearDown();
    }
    QPushButton* boton() const { return hijo<QPushButton>(ventana, QStringLiteral("botonGrafico")); }
    VentanaGrafico* abrirGrafico(const QString& numero) {
        seleccionar(numero);
        QTest::mouseClick(boton(), Qt::LeftButton);
        VentanaGrafico* g = VentanaGrafico::instancia();
        EXPECT_NE(g, nullptr);
        if (g)
            QApplication::processEvents();
        return g;
    }
    QTemporaryDir ajustes;
};

// `cantidad` points spread evenly from `desde` to `hasta`, taking the statuses in turn: five of
// them share the grid's red.
std::shared_ptr<SerieNiveles> serieDePrueba(const QDateTime& desde, const QDateTime& hasta, int cantidad) {
    auto s = std::make_shared<SerieNiveles>();
    s->estatus = QStringList{"L. SHOW",    "D. JOCKEY",   "MIC. DESC.",  "APERT. GAB.",
                             "BAT. DESC.", "EXCESO INF.", "REINICIO EQ."};
    const qint64 a = MsDeFechaHora(desde.date(), desde.time());
    const qint64 b = MsDeFechaHora(hasta.date(), hasta.time());
    for (int i = 0; i < cantidad; ++i) {
        PuntoNivel p;
        p.ms = a + (b - a) * i / (cantidad - 1);
        p.nivel = static_cast<float>(80 + (i * 7) % 25);
        p.maximo = 95;
        p.estatus = static_cast<quint16>(i % s->estatus.size());
        p.fila = static_cast<std::uint32_t>(i);
        s->nivelMaximo = std::max(s->nivelMaximo, p.nivel);
        s->excesos += p.excede() ? 1 : 0;
        s->puntos.push_back(p);
    }
    s->inicio = desde.date();
    s->fin = hasta.date();
    return s;
}

struct MarcaEnEje {
    QStringList lineas; // the label as read: the tick's text, then the day or year if shown
    QDateTime hora;     // the local date and time where the tick stands
    double x = 0;       // in the view
};

std::vector<MarcaEnEje> marcasDelEje(GraficoNiveles& g) {
    std::vector<MarcaEnEje> marcas;
    auto* eje = qobject_cast<QCategoryAxis*>(g.chart()->axes(Qt::Horizontal).value(0));
    if (!eje)
        return marcas;
    for (const QString& etiqueta : eje->categoriesLabels()) {
        MarcaEnEje m;
        QString texto = QTextDocumentFragment::fromHtml(etiqueta).toPlainText();
        texto.replace(QChar::LineSeparator, QLatin1Char('\n'));
        m.lineas = texto.split(QLatin1Char('\n'));
        const double valor = eje->endValue(etiqueta);
        m.hora = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(valor)), Qt::LocalTime);
        m.x = g.chart()->mapToPosition(QPointF(valor, 0)).x();
        marcas.push_back(m);
    }
    return marcas;
}

// The axis as a reader sees it: 4 to 10 ticks, each on a whole unit and labelled with the local
// time it stands at, every label whole inside the plot and clear of its neighbours.
::testing::AssertionResult ejeLegible(GraficoNiveles& g, const QString& formato) {
    QCoreApplication::sendPostedEvents();
    const std::vector<MarcaEnEje> marcas = marcasDelEje(g);
    if (marcas.size() < 4 || marcas.size() > 10)
        return ::testing::AssertionFailure() << marcas.size() << " marcas";
    auto* eje = qobject_cast<QCategoryAxis*>(g.chart()->axes(Qt::Horizontal).value(0));
    if (eje->labelsPosition() != QCategoryAxis::AxisLabelsPositionOnValue)
        return ::testing::AssertionFailure() << "etiquetas entre marcas";
    const QFontMetricsF metricas(eje->labelsFont());
    const QRectF area = g.chart()->plotArea();
    double derechaAnterior = area.left();
    for (const MarcaEnEje& m : marcas) {
        const QString esperado = formato == QLatin1String("yyyy") ? QString::number(m.hora.date().year())
                                                                  : m.hora.toString(formato);
        const QString leido = m.lineas.value(0).trimmed();
        if (leido != esperado)
            return ::testing::AssertionFailure()
                   << leido.toStdString() << " donde la hora es " << esperado.toStdString();
        const QDateTime entera =
            formato == QLatin1String("yyyy")
                ? QDateTime(QDate(m.hora.date().year(), 1, 1), QTime(0, 0), Qt::LocalTime)
                : QDateTime(m.hora.date(), QTime(m.hora.time().hour(), 0), Qt::LocalTime);
        if (m.hora != entera)
            return ::testing::AssertionFailure() << "no está en una unidad entera: " << leido.toStdString();
        double ancho = 0;
        for (const QString& l : m.lineas)
            ancho = std::max(ancho, metricas.horizontalAdvance(l.trimmed()));
        if (m.x - ancho / 2 < derechaAnterior || m.x + ancho / 2 > area.right())
            return ::testing::AssertionFailure() << leido.toStdString() << " se superpone o sale del gráfico";
        derechaAnterior = m.x + ancho / 2;
    }
    return ::testing::AssertionSuccess();
}

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

TEST(GraficoNiveles, EjeDeFechasEnUnidadesEnterasQueSeEligenDeNuevoAlAcercar) {
    GraficoNiveles g;
    g.resize(1024, 600);
    g.show();
    // Fifteen years: whole years.
    const QDateTime inicio(QDate(2009, 11, 30), QTime(7, 12));
    g.setSerie(serieDePrueba(inicio, QDateTime(QDate(2025, 2, 3), QTime(16, 48)), 640));
    EXPECT_TRUE(ejeLegible(g, QStringLiteral("yyyy")));

    // Zoomed into one evening: whole hours, and the day once, under the first of them.
    const QDate dia = FechaHoraDeMs(g.serie()->puntos[300].ms).date();
    g.mostrarPeriodo(MsDeFechaHora(dia, QTime(17, 40)), MsDeFechaHora(dia, QTime(23, 20)));
    EXPECT_TRUE(ejeLegible(g, QStringLiteral("HH:mm")));
    std::vector<MarcaEnEje> marcas = marcasDelEje(g);
    ASSERT_FALSE(marcas.empty());
    EXPECT_EQ(marcas.front().lineas.value(0), QStringLiteral("18:00"));
    EXPECT_EQ(marcas.front().lineas.value(1), dia.toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(marcas.back().lineas.size(), 1);
    // Out again to most of a year: months; a double click back to the years.
    for (int i = 0; i < 10; ++i)
        g.zoom(2, g.chart()->plotArea().center().x());
    QCoreApplication::sendPostedEvents();
    marcas = marcasDelEje(g);
    ASSERT_FALSE(marcas.empty());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[a-z]{3} \\d{4}$"))
                    .match(marcas.front().lineas.value(0))
                    .hasMatch())
        << marcas.front().lineas.value(0).toStdString();
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, g.viewport()->rect().center());
    EXPECT_TRUE(ejeLegible(g, QStringLiteral("yyyy")));

    // A narrower window keeps its labels apart with fewer ticks.
    g.resize(640, 480);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(ejeLegible(g, QStringLiteral("yyyy")));

    // A short series, one evening: its hours. Over three days a time of day comes again on each
    // day, and every one of them is still labelled.
    g.resize(1024, 600);
    g.setSerie(serieDePrueba(QDateTime(QDate(2014, 3, 12), QTime(18, 0)),
                             QDateTime(QDate(2014, 3, 12), QTime(23, 0)), 40));
    EXPECT_TRUE(ejeLegible(g, QStringLiteral("HH:mm")));
    g.setSerie(serieDePrueba(QDateTime(QDate(2014, 3, 12), QTime(1, 0)),
                             QDateTime(QDate(2014, 3, 14), QTime(23, 0)), 200));
    EXPECT_TRUE(ejeLegible(g, QStringLiteral("HH:mm")));
    std::set<QStringList> distintas;
    for (const MarcaEnEje& m : marcasDelEje(g))
        distintas.insert(m.lineas);
    EXPECT_LT(distintas.size(), marcasDelEje(g).size()); // "06:00" on several days, all shown
}

TEST(GraficoNiveles, LaLeyendaDistingueLosEstatusDeUnMismoColorPorSuForma) {
    GraficoNiveles g;
    g.resize(1024, 600);
    g.show();
    g.setSerie(serieDePrueba(QDateTime(QDate(2014, 3, 12), QTime(18, 0)),
                             QDateTime(QDate(2014, 3, 12), QTime(23, 0)), 40));
    QLegend* leyenda = g.chart()->legend();
    EXPECT_EQ(leyenda->markerShape(), QLegend::MarkerShapeFromSeries);
    std::set<std::pair<QRgb, int>> vistos;
    int puntos = 0;
    for (QAbstractSeries* serie : g.chart()->series()) {
        auto* dispersion = qobject_cast<QScatterSeries*>(serie);
        if (!dispersion)
            continue;
        ++puntos;
        const QList<QLegendMarker*> marcadores = leyenda->markers(dispersion);
        ASSERT_EQ(marcadores.size(), 1);
        EXPECT_TRUE(marcadores.front()->isVisible()) << dispersion->name().toStdString();
        EXPECT_TRUE(vistos.insert({dispersion->color().rgb(), int(dispersion->markerShape())}).second)
            << dispersion->name().toStdString() << " igual a otro en color y forma";
    }
    EXPECT_EQ(puntos, 7);
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
    const InformeInfracciones* informe = InformeEnVistaPrevia();
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
    const QString salida = QString::fromUtf8(info.readAllStandardOutput());
    // The table and its provenance lines take two pages beside the verification stamp.
    EXPECT_TRUE(salida.contains(QRegularExpression("Pages:\\s+3\\b"))) << salida.toStdString();
    opcion->setChecked(false);
    EXPECT_TRUE(InformeEnVistaPrevia()->datos().graficoNiveles.isNull());
    delete VistaPreviaInforme();
}

} // namespace
