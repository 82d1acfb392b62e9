// Opening the database and showing the full client list as the main window does (the office
// model reads it, the grid binds it and measures its columns), next to the bare cost of the key
// derivation plus one SELECT of the same rows.
#include "Generador.h"
#include "Medidas.h"
#include "core/Oficina.h"
#include "core/store/ConexionSqlcipher.h"
#include "windows/grid/AnchoColumnas.h"
#include "windows/grid/GridModel.h"

#include <QFont>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <memory>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

// The bench's register, opened once as the program opens it.
std::unique_ptr<ConexionSqlcipher> registro;

const QString& base() {
    static QTemporaryDir dir;
    static QString ruta;
    if (ruta.isEmpty()) {
        ruta = dir.filePath(QStringLiteral("presentacion.wfg"));
        ConexionSqlcipher db(ruta, ClaveBaseDatos());
        generador::agregarClientes(db, 100000);
    }
    return ruta;
}

void AbrirYCargarListaClientes(benchmark::State& state) {
    const QString ruta = base();
    QFont fuente(QStringLiteral("Arial"));
    for (auto _ : state) {
        registro = std::make_unique<ConexionSqlcipher>(ruta, ClaveBaseDatos());
        auto oficina = std::make_unique<Oficina>(*registro);
        oficina->abrirClientes();
        auto lista = std::make_unique<GridModel>();
        // As the main window binds it: the grid reads the model's list through the listed rows.
        auto indices = std::make_shared<const std::vector<quint32>>(oficina->indicesListados());
        lista->bind(QStringList(24, QString()), indices->size(),
                    [todos = oficina->todosLosClientes(), indices](std::size_t i, int col) {
                        return todos->texto((*indices)[i], col);
                    });
        benchmark::DoNotOptimize(AnchosColumnas(*lista, fuente, 13,
                                                EstimarAnchos(oficina->todosLosClientes(), fuente, 13),
                                                oficina->indicesListados()));
        benchmark::DoNotOptimize(lista->rows());
        // Letting the list go at the end of the run is not part of showing it.
        state.PauseTiming();
        lista.reset();
        oficina.reset();
        registro.reset();
        state.ResumeTiming();
    }
}

void ClaveYSelectDesnudo(benchmark::State& state) {
    const QByteArray ruta = base().toUtf8();
    const QByteArray sql = Sentencias::listaClientes().sql.toUtf8();
    const QByteArray clave = ClaveBaseDatos();
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(ruta.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_key(db, clave.constData(), static_cast<int>(clave.size()));
        sqlite3_create_function_v2(
            db, "mid", 3, SQLITE_UTF8, nullptr,
            [](sqlite3_context* c, int, sqlite3_value** v) {
                const auto* t = sqlite3_value_text(v[0]);
                const int n = sqlite3_value_bytes(v[0]);
                const int s = sqlite3_value_int(v[1]) - 1;
                const int l = sqlite3_value_int(v[2]);
                if (!t || s < 0 || s >= n)
                    sqlite3_result_text(c, "", 0, SQLITE_STATIC);
                else
                    sqlite3_result_text(c, reinterpret_cast<const char*>(t) + s, std::min(l, n - s),
                                        SQLITE_TRANSIENT);
            },
            nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        qint64 bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int i = 0; i < 24; ++i)
                bytes += sqlite3_column_bytes(st, i);
        benchmark::DoNotOptimize(bytes);
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
}

} // namespace

BENCHMARK(ClaveYSelectDesnudo)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(AbrirYCargarListaClientes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the column widths
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    medidas::Recolector recolector;
    benchmark::RunSpecifiedBenchmarks(&recolector);
    medidas::imprimir("inicio_lista_100k", recolector.ms("AbrirYCargarListaClientes"),
                      recolector.ms("ClaveYSelectDesnudo"),
                      medidas::Objetivo::veces(1.5, "<=1.5x clave+SELECT"));
    benchmark::Shutdown();
    return 0;
}
