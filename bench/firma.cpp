// Signing a report of 65,000 detail lines (about 4,900 pages): what the signature adds to saving
// the same report unsigned (the anchor, measured in the same run).

#include "../tests/common/CertificadosPrueba.h"
#include "Medidas.h"
#include "core/output/InformeFirmado.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

#include <cstdio>
#include <memory>

namespace {

DatosInforme datosGrandes(int lineas) {
    DatosInforme d;
    d.titulo = TituloInforme(QStringLiteral("Municipalidad de Prueba"));
    d.cliente = QStringLiteral("Cliente de Prueba S.A.");
    d.local = QStringLiteral("Local Bailable");
    d.direccionLocal = DireccionLocalInforme(QStringLiteral("Av. Siempre Viva 742"), QStringLiteral("Centro"),
                                             QStringLiteral("General"), QStringLiteral("Buenos Aires"));
    d.registros.reserve(static_cast<size_t>(lineas));
    for (int i = 0; i < lineas; ++i)
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
    return d;
}

const InformeInfracciones& informe() {
    static const InformeInfracciones i(datosGrandes(65000));
    return i;
}

MetadatosPdf metadatos() {
    MetadatosPdf m = informe().metadatos();
    m.autor = QStringLiteral("Administrador");
    m.codigo = QStringLiteral("K7Q2-9MXD-4RTA");
    return m;
}

void BM_InformeSinFirma(benchmark::State& estado) {
    QTemporaryDir dir;
    for (auto _ : estado)
        if (!informe().guardarPdf(dir.filePath(QStringLiteral("informe.pdf")), metadatos()))
            estado.SkipWithError("no se pudo escribir el PDF");
}
BENCHMARK(BM_InformeSinFirma)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_InformeFirmado(benchmark::State& estado) {
    QTemporaryDir dir;
    QString error;
    const auto certificado =
        CertificadoFirma::abrir(prueba::certificados().firmante, prueba::certificados().contrasena,
                                QDateTime::currentDateTime(), &error);
    for (auto _ : estado)
        if (!certificado || !GuardarInformeFirmado(informe(), metadatos(), *certificado,
                                                   dir.filePath(QStringLiteral("firmado.pdf")), &error))
            estado.SkipWithError("no se pudo firmar el PDF");
}
BENCHMARK(BM_InformeFirmado)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    informe(); // the rows are made before anything is timed
    prueba::certificados();
    medidas::Recolector recolector;
    benchmark::RunSpecifiedBenchmarks(&recolector);
    benchmark::Shutdown();
    const double simple = recolector.ms("BM_InformeSinFirma");
    const double firmado = recolector.ms("BM_InformeFirmado");
    // What signing adds, against saving the same report unsigned (a signed save that came out
    // faster, within the noise, adds nothing).
    if (simple > 0 && firmado > 0)
        medidas::imprimir("firma_adicional_65000", std::max(0.0, firmado - simple), simple,
                          medidas::Objetivo::hastaMs(200, "firmar agrega ≤ 200 ms"));
    std::fflush(stdout);
    return 0;
}
