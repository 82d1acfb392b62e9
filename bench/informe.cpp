// Rendering the printed infraction report to PDF: 10,000 detail lines (about 670 pages),
// the size of a large client history.

#include "output/Informe.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

DatosInforme datosGrandes(int lineas) {
    DatosInforme d;
    d.titulo = TituloInforme(QStringLiteral("Municipalidad de Prueba"));
    d.cliente = QStringLiteral("Cliente de Prueba S.A.");
    d.local = QStringLiteral("Local Bailable");
    d.direccionLocal = DireccionLocalInforme(QStringLiteral("Av. Siempre Viva 742"), QStringLiteral("Centro"),
                                             QStringLiteral("General"), QStringLiteral("Buenos Aires"));
    d.registros.reserve(static_cast<size_t>(lineas));
    for (int i = 0; i < lineas; ++i) {
        d.registros.push_back(
            {QStringLiteral("28/09/2011"), QStringLiteral("14:05:30"), QString::number(90 + i % 20),
             QStringLiteral("D. JOCKEY"), QStringLiteral("BAT. OK"), QStringLiteral("SI"),
             QString::number(i % 100), QStringLiteral("Inspector Municipal Número Uno"), QStringLiteral("85"),
             QStringLiteral("10"), QStringLiteral("3"), QStringLiteral("105"), QStringLiteral("30"),
             QStringLiteral("70"), QStringLiteral("60"), QString::number(i + 1)});
    }
    return d;
}

void BM_InformePdf(benchmark::State& estado) {
    const Impresion informe(datosGrandes(static_cast<int>(estado.range(0))));
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("informe.pdf"));
    for (auto _ : estado) {
        if (!informe.guardarPdf(ruta))
            estado.SkipWithError("no se pudo escribir el PDF");
    }
    estado.counters["paginas"] = static_cast<double>(informe.paginar(10772).size());
}
BENCHMARK(BM_InformePdf)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
