// The printed infraction report: written to PDF with 10,000 and 65,000 detail lines (about 670
// and 4,900 pages), and the preview of the 65,000 lines shown up to its first page painted.

#include "Medidas.h"
#include "core/output/InformeInfracciones.h"
#include "windows/output/VistaPrevia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

std::map<std::string, double> ms; // mean milliseconds, by measure

DatosInforme datosGrandes(int lineas) {
    DatosInforme d;
    d.titulo = TituloInforme(QStringLiteral("Municipalidad de Prueba"));
    d.cliente = QStringLiteral("Cliente de Prueba S.A.");
    d.local = QStringLiteral("Local Bailable");
    d.direccionLocal = DireccionLocalInforme(QStringLiteral("Av. Siempre Viva 742"), QStringLiteral("Centro"),
                                             QStringLiteral("General"), QStringLiteral("Buenos Aires"));
    d.registros.reserve(static_cast<size_t>(lineas));
    for (int i = 0; i < lineas; ++i) {
        d.registros.push_back({.fecha = QStringLiteral("28/09/2011"),
                               .hora = QStringLiteral("14:05:30"),
                               .nivelDb = QString::number(90 + i % 20),
                               .estatus = QStringLiteral("D. JOCKEY"),
                               .bateria = QStringLiteral("BAT. OK"),
                               .tensionLinea = QStringLiteral("SI"),
                               .compresion = QString::number(i % 100),
                               .inspector = QStringLiteral("Inspector Municipal Número Uno"),
                               .maximoDb = QStringLiteral("85"),
                               .umbralCompresionDb = QStringLiteral("10"),
                               .penalizacionesMaximas = QStringLiteral("3"),
                               .calibracionDb = QStringLiteral("105"),
                               .segundosPenalizar = QStringLiteral("30"),
                               .nivelConsola = QStringLiteral("70"),
                               .nivelRuido = QStringLiteral("60"),
                               .numeroInfraccion = QString::number(i + 1)});
    }
    return d;
}

void BM_InformePdf(benchmark::State& estado) {
    const InformeInfracciones informe(datosGrandes(static_cast<int>(estado.range(0))));
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("informe.pdf"));
    QElapsedTimer t;
    t.start();
    for (auto _ : estado) {
        if (!informe.guardarPdf(ruta))
            estado.SkipWithError("no se pudo escribir el PDF");
    }
    ms["pdf_" + std::to_string(estado.range(0))] =
        static_cast<double>(t.nsecsElapsed()) / 1e6 / static_cast<double>(estado.iterations());
    estado.counters["paginas"] = static_cast<double>(informe.paginar(538.6).size());
}
BENCHMARK(BM_InformePdf)->Arg(100)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond)->Iterations(2);

// From the preview asked for to its first page on screen: the preview dialog of the report,
// shown and grabbed (which paints what is visible).
void BM_VistaPreviaPrimeraPagina(benchmark::State& estado) {
    const auto informe =
        std::make_shared<InformeInfracciones>(datosGrandes(static_cast<int>(estado.range(0))));
    QElapsedTimer t;
    t.start();
    for (auto _ : estado) {
        DialogoVistaPrevia dialogo;
        dialogo.resize(1100, 760);
        dialogo.setInforme(informe);
        dialogo.show();
        dialogo.grab();
        if (dialogo.hojas()->paginasPintadas() < 1)
            estado.SkipWithError("no se pintó ninguna página");
    }
    ms["vista_previa_" + std::to_string(estado.range(0))] =
        static_cast<double>(t.nsecsElapsed()) / 1e6 / static_cast<double>(estado.iterations());
}
BENCHMARK(BM_VistaPreviaPrimeraPagina)->Arg(65000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // One line per interaction for scripts/medir.sh.
    if (ms.count("vista_previa_65000"))
        medidas::imprimir("informe_vista_previa_65000", ms["vista_previa_65000"], 0,
                          medidas::Objetivo::hastaMs(1000, "≤ 1000 ms"));
    if (ms.count("pdf_65000"))
        medidas::imprimir("informe_pdf_65000", ms["pdf_65000"], 0,
                          medidas::Objetivo::hastaMs(3000, "≤ 3000 ms"));
    std::fflush(stdout);
    return 0;
}
