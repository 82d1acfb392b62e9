// "Verificar registro" on a register of 1,048,544 imported rows (16 files of the largest size the
// device's counters allow), against its anchor in the same run:
//   - VerificarRegistro: the whole check (chain, originals, every row against its record);
//   - LeerYDecodificar: the same rows read from the register and the same originals decompressed
//     and decoded, nothing compared.
//   bench_verificacion_registro [--dir DIR] [--archivos N] [benchmark flags]
// (--archivos: fewer files, for a profiler's run)

#include "Generador.h"
#include "Medidas.h"

#include "core/actividad/EntradasActividad.h"
#include "core/actividad/VerificacionRegistro.h"
#include "core/import/Importacion.h"
#include "core/import/SentenciasImportaciones.h"
#include "core/store/ConexionSqlcipher.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

int archivos = 16;
std::unique_ptr<QTemporaryDir> temporal;
std::unique_ptr<ConexionSqlcipher> registro;
qint64 filasGuardadas = 0;

void prepararRegistro(const QString& dir) {
    registro = std::make_unique<ConexionSqlcipher>(QDir(dir).filePath(QStringLiteral("presentacion.wfg")),
                                                   ClaveBaseDatos());
    generador::agregarClientes(*registro, 1);
    // The client as a register from before the log has it: with its baseline entry.
    {
        Transaccion t(*registro);
        EscribirLineaBase(*registro);
        t.confirmar();
    }
    for (int i = 0; i < archivos; ++i) {
        ArchivoImportacion archivo;
        if (!prepararImportacion(generador::archivoMaximo("0001", QByteArray::number(30 + i)), archivo).ok())
            qFatal("archivo de prueba no válido");
        DatosImportacion datos;
        datos.numeroCliente = QStringLiteral("0001");
        datos.fecha = QDate(2011, 9, 28);
        datos.hora = QTime(14, 5, 30);
        datos.inspector = QStringLiteral("Administrador");
        const ResultadoImportacion r = escribirImportacion(*registro, archivo, datos);
        if (!r.ok())
            qFatal("no se pudo importar: %s", qPrintable(r.detalle));
        filasGuardadas += r.registros;
    }
}

void BM_VerificarRegistro(benchmark::State& estado) {
    for (auto _ : estado) {
        const InformeVerificacion r = VerificarRegistro(*registro);
        if (!r.correcto() || r.filas != filasGuardadas) {
            qWarning("%s", qPrintable(TextoInforme(r).left(2000)));
            estado.SkipWithError("el registro de prueba no resultó correcto");
        }
    }
    estado.counters["filas"] = static_cast<double>(filasGuardadas);
}
BENCHMARK(BM_VerificarRegistro)->Unit(benchmark::kMillisecond)->Iterations(2);

// The bare work: every row's 17 columns read, every original decompressed and decoded.
void BM_LeerYDecodificar(benchmark::State& estado) {
    for (auto _ : estado) {
        qint64 bytes = 0, registros = 0;
        std::vector<qint64> ids;
        const auto lista = registro->preparar(QStringLiteral("SELECT Id FROM Importaciones ORDER BY Id"));
        while (lista->paso())
            ids.push_back(lista->entero(0));
        for (qint64 id : ids) {
            const auto filas = registro->preparar(QStringLiteral(
                "SELECT "
                "id,NumeroCliente,FechaInfraccion,HoraInfraccion,NiveldB,Microfono,Estado,TensionLinea,"
                "PorcentajeCompresion,Inspector,Maxdb,dbaten,excesos,caldb,segpenal,nivelconsola,nivelruido,"
                "contadorinf FROM Infracciones WHERE IdImportacion = ? ORDER BY id"));
            filas->enlazar(1, id);
            while (filas->paso())
                for (int k = 1; k <= 17; ++k) {
                    int largo = 0;
                    filas->bytes(k, largo);
                    bytes += largo;
                }
            const auto original = registro->preparar(SentenciasImportaciones::leerOriginal());
            original->enlazar(1, id);
            if (!original->paso())
                continue;
            const QByteArray datos = qUncompress(original->blob(1));
            DecodificadorRegistros dec(datos);
            RegistroInfraccion r;
            while (dec.siguiente(r))
                ++registros;
        }
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(registros);
    }
}
BENCHMARK(BM_LeerYDecodificar)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString dir;
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--dir")
            dir = QString::fromLocal8Bit(argv[i + 1]);
        if (QByteArray(argv[i]) == "--archivos")
            archivos = std::max(1, QByteArray(argv[i + 1]).toInt());
    }
    if (dir.isEmpty()) {
        temporal = std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() +
                                                   QStringLiteral("/verificacion-XXXXXX"));
        dir = temporal->path();
    }
    // Our own options are not the benchmark library's.
    std::vector<char*> resto;
    for (int i = 0; i < argc; ++i) {
        if ((QByteArray(argv[i]) == "--dir" || QByteArray(argv[i]) == "--archivos") && i + 1 < argc) {
            ++i;
            continue;
        }
        resto.push_back(argv[i]);
    }
    int n = static_cast<int>(resto.size());
    benchmark::Initialize(&n, resto.data());
    if (benchmark::ReportUnrecognizedArguments(n, resto.data()))
        return 1;
    prepararRegistro(dir);
    medidas::Recolector recolector;
    benchmark::RunSpecifiedBenchmarks(&recolector);
    benchmark::Shutdown();
    registro.reset();
    // One line for scripts/medir.sh.
    medidas::imprimir("verificar_registro_1000000", recolector.ms("BM_VerificarRegistro"),
                      recolector.ms("BM_LeerYDecodificar"),
                      medidas::Objetivo::ambos(2, 10000, "≤ 2× leer y decodificar las mismas filas; ≤ 10 s"));
    return 0;
}
