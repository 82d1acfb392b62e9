// Opening the database and showing the full client list as the main window does (the office
// model reads it, the grid binds it and measures its columns), next to the bare cost of the key
// derivation plus one SELECT of the same rows; and the memory the shown list holds, next to the
// raw text of its rows. With --grande, on a register of 1,000,000 clients.
#include "Generador.h"
#include "Medidas.h"
#include "core/Oficina.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/TablaTextos.h"
#include "windows/grid/AnchoColumnas.h"
#include "windows/grid/GridModel.h"

#include <QFont>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <memory>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

namespace {

// The bench's register, opened once as the program opens it.
std::unique_ptr<ConexionSqlcipher> registro;
bool grande = false;

const QString& base() {
    static QString ruta;
    if (ruta.isEmpty())
        ruta = grande ? generador::registroGrande()
                      : generador::registroGuardado(QStringLiteral("clientes-100k.wfg"), [](Conexion& db) {
                            generador::agregarClientes(db, 100000);
                        });
    return ruta;
}

// The list as the main window shows it: the office model reads it, the grid binds it through the
// listed rows and measures its columns.
struct ListaMostrada {
    std::unique_ptr<Oficina> oficina;
    std::unique_ptr<GridModel> lista;
};

ListaMostrada mostrarLista(Conexion& db, const QFont& fuente) {
    ListaMostrada m;
    m.oficina = std::make_unique<Oficina>(db);
    m.oficina->abrirClientes();
    m.lista = std::make_unique<GridModel>();
    auto indices = std::make_shared<const std::vector<quint32>>(m.oficina->indicesListados());
    m.lista->bind(QStringList(24, QString()), indices->size(),
                  [todos = m.oficina->todosLosClientes(), indices](std::size_t i, int col) {
                      return todos->texto((*indices)[i], col);
                  });
    benchmark::DoNotOptimize(AnchosColumnas(*m.lista, fuente, 13,
                                            EstimarAnchos(m.oficina->todosLosClientes(), fuente, 13),
                                            m.oficina->indicesListados()));
    benchmark::DoNotOptimize(m.lista->rows());
    return m;
}

void AbrirYCargarListaClientes(benchmark::State& state) {
    const QString ruta = base();
    QFont fuente(QStringLiteral("Arial"));
    for (auto _ : state) {
        registro = std::make_unique<ConexionSqlcipher>(ruta, ClaveBaseDatos());
        ListaMostrada m = mostrarLista(*registro, fuente);
        auto& lista = m.lista;
        auto& oficina = m.oficina;
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

// Heap in use: malloc's blocks, the ones it maps on its own, and the big arrays of the text
// tables, which are mapped apart from malloc.
size_t enUso() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd + bloques::mapeados();
}

// Heap the shown list holds (model, grid), against the raw text bytes of its rows as the bare
// SELECT reads them. Reported in megabytes.
void MemoriaListaMostrada(benchmark::State& state) {
    QFont fuente(QStringLiteral("Arial"));
    registro = std::make_unique<ConexionSqlcipher>(base(), ClaveBaseDatos());
    double crudos = 0;
    {
        const auto st = registro->preparar(Sentencias::listaClientes().sql);
        while (st->paso())
            for (int i = 0; i < 24; ++i) {
                int largo = 0;
                st->bytes(i, largo);
                crudos += largo;
            }
    }
    double retenidos = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t antes = enUso();
        ListaMostrada m = mostrarLista(*registro, fuente);
        retenidos = static_cast<double>(enUso()) - static_cast<double>(antes);
    }
    registro.reset();
    state.counters["retenidos_mb"] = retenidos / 1e6;
    state.counters["crudos_mb"] = crudos / 1e6;
}

} // namespace

BENCHMARK(ClaveYSelectDesnudo)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(AbrirYCargarListaClientes)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(MemoriaListaMostrada)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    grande = generador::tomarGrande(argc, argv);
    QGuiApplication app(argc, argv); // fonts for the column widths
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    medidas::Recolector recolector;
    benchmark::RunSpecifiedBenchmarks(&recolector);
    medidas::imprimir(grande ? "grande_inicio_lista_1m" : "inicio_lista_100k",
                      recolector.ms("AbrirYCargarListaClientes"), recolector.ms("ClaveYSelectDesnudo"),
                      medidas::Objetivo::veces(1.5, "<=1.5x clave+SELECT"));
    // Memory: megabytes in both fields (ours, raw text of the rows).
    medidas::imprimir(grande ? "grande_memoria_lista_1m" : "memoria_lista_100k",
                      recolector.contador("MemoriaListaMostrada", "retenidos_mb"),
                      recolector.contador("MemoriaListaMostrada", "crudos_mb"),
                      medidas::Objetivo::veces(2, "<=2x texto crudo (MB)"));
    benchmark::Shutdown();
    return 0;
}
