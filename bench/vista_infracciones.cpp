// The infraction view of a client with 200,000 infractions: the whole load through the office
// model and the main window (query, separators, date filter, bind, colours, bands) and a
// re-filter after a picker change, next to a bare SELECT of the same rows on the same connection,
// in the same run; and the memory the shown client holds, next to the raw text of its rows.
// With --grande, the same client in a register of 1,000,000 clients and 10,000,000 infractions.
#include "Generador.h"
#include "Medidas.h"
#include "core/Oficina.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/TablaTextos.h"
#include "windows/clients/VentanaPrincipal.h"
#include "windows/grid/GridModel.h"
#include "windows/grid/GridView.h"
#include "windows/grid/VistaInfracciones.h"
#include "windows/platform/Mensajes.h"

#include <QApplication>
#include <QDateEdit>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <map>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

namespace {

// The bench's register, opened once as the program opens it.
std::unique_ptr<ConexionSqlcipher> registro;

constexpr int kInfracciones = 200000;
const QString kCliente = generador::numeroCliente(1);

class SinMensajes : public Mensajero {
public:
    Respuesta mostrar(const QString&, const QString&, Icono, Botones b, const QString&) override {
        return b == Botones::SiNo ? Respuesta::No : Respuesta::Aceptar;
    }
};

Oficina* oficina = nullptr;
bool grande = false;

// The main window on a database with one big client.
VentanaPrincipal& ventana() {
    static QTemporaryDir dir;
    static SinMensajes mensajes;
    static VentanaPrincipal* v = nullptr;
    if (!v) {
        const QString ruta =
            grande ? generador::registroGrande()
                   : generador::registroGuardado(QStringLiteral("cliente-200k.wfg"), [](Conexion& db) {
                         generador::agregarClientes(db, 2);
                         generador::agregarInfracciones(db, kCliente, kInfracciones);
                         generador::agregarInfracciones(db, generador::numeroCliente(2), 50);
                     });
        InstalarMensajero(&mensajes);
        EstablecerDirectorioDatos(dir.path());
        registro = std::make_unique<ConexionSqlcipher>(ruta, ClaveBaseDatos());
        oficina = new Oficina(*registro);
        oficina->establecerUsuario(QStringLiteral("Administrador"));
        v = new VentanaPrincipal(*oficina);
        v->show();
        v->resize(1366, 768);
        // The user looks at the window before clicking: what it does after showing (its first
        // paints, deferred work) is not part of any measure.
        QEventLoop reposo;
        QTimer::singleShot(1000, &reposo, &QEventLoop::quit);
        reposo.exec();
    }
    return *v;
}

GridModel& infracciones(VentanaPrincipal& v) {
    return *v.findChild<GridModel*>(QStringLiteral("infracciones"));
}

// The user clicks a row: finding it in the list is not part of the measure.
void seleccionar(const QString& numero) {
    static std::map<QString, qint64> ids;
    qint64& id = ids[numero];
    if (!id) {
        const auto todos = oficina->todosLosClientes();
        for (const quint32 i : oficina->indicesListados())
            if (todos->texto(i, 1) == numero)
                id = todos->texto(i, 0).toLongLong();
    }
    oficina->seleccionar(id);
}

void SelectDesnudo(benchmark::State& state) {
    ventana();
    const Consulta c = Sentencias::infraccionesCliente(kCliente);
    const QByteArray sql = c.sql.toUtf8();
    const QByteArray numero = kCliente.toUtf8();
    sqlite3* db = registro->handle();
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        sqlite3_bind_text(st, 1, numero.constData(), static_cast<int>(numero.size()), SQLITE_STATIC);
        qint64 filas = 0;
        qint64 bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++filas;
            for (int i = 0; i < ColInfraccion::Cantidad; ++i)
                bytes += sqlite3_column_bytes(st, i);
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(bytes);
        state.counters["filas"] = static_cast<double>(filas);
    }
}

// The model's part only: query, separators and date filter, no window listening.
void ConsultaYFiltro(benchmark::State& state) {
    ventana();
    Oficina sola(*registro);
    sola.abrirClientes();
    for (const QStringList& fila : sola.filasClientes())
        if (fila.value(1) == kCliente)
            sola.seleccionar(fila.value(0).toLongLong());
    for (auto _ : state) {
        sola.releerSeleccionado();
        benchmark::DoNotOptimize(sola.infracciones().size());
    }
}

// The whole view as the user gets it when selecting the client, painted once.
void MostrarClienteGrande(benchmark::State& state) {
    VentanaPrincipal& v = ventana();
    for (auto _ : state) {
        // Letting the previous client go is not part of showing this one.
        state.PauseTiming();
        oficina->seleccionar(0);
        QApplication::processEvents();
        state.ResumeTiming();
        seleccionar(kCliente);
        QApplication::processEvents();
        benchmark::DoNotOptimize(infracciones(v).rows());
    }
    state.counters["filas"] = infracciones(v).rows() - 1;
    state.counters["visibles"] = infracciones(v).rowCount();
}

// A change of the end date picker re-filters all rows (separators included) and repaints.
void RefiltrarPorFecha(benchmark::State& state) {
    VentanaPrincipal& v = ventana();
    seleccionar(kCliente);
    auto* fin = v.findChild<QDateEdit*>(QStringLiteral("fechaFinInfracciones"));
    bool corto = false;
    for (auto _ : state) {
        corto = !corto;
        fin->setDate(corto ? QDate(2011, 6, 30) : QDate::currentDate());
        QApplication::processEvents();
        benchmark::DoNotOptimize(infracciones(v).rowCount());
    }
    fin->setDate(QDate::currentDate());
}

// Heap in use: malloc's blocks, the ones it maps on its own, and the big arrays of the text
// tables, which are mapped apart from malloc.
size_t enUso() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd + bloques::mapeados();
}

// Heap the shown big client holds (model rows, grid, view), against the raw text bytes of its
// rows as the bare SELECT reads them. Reported in megabytes.
void MemoriaClienteGrande(benchmark::State& state) {
    VentanaPrincipal& v = ventana();
    const Consulta c = Sentencias::infraccionesCliente(kCliente);
    double crudos = 0;
    {
        const auto st = registro->preparar(c.sql);
        st->enlazarTodos(c.parametros);
        while (st->paso())
            for (int i = 0; i < ColInfraccion::Cantidad; ++i) {
                int largo = 0;
                st->bytes(i, largo);
                crudos += largo;
            }
    }
    double retenidos = 0;
    for (auto _ : state) {
        oficina->seleccionar(0);
        QApplication::processEvents();
        malloc_trim(0);
        const size_t antes = enUso();
        seleccionar(kCliente);
        QApplication::processEvents();
        benchmark::DoNotOptimize(infracciones(v).rows());
        retenidos = static_cast<double>(enUso()) - static_cast<double>(antes);
    }
    state.counters["retenidos_mb"] = retenidos / 1e6;
    state.counters["crudos_mb"] = crudos / 1e6;
}

} // namespace

BENCHMARK(SelectDesnudo)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(ConsultaYFiltro)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(MostrarClienteGrande)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(RefiltrarPorFecha)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(MemoriaClienteGrande)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    grande = generador::tomarGrande(argc, argv);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    medidas::Recolector recolector;
    benchmark::RunSpecifiedBenchmarks(&recolector);
    const std::string prefijo = grande ? "grande_" : "";
    medidas::imprimir((prefijo + "seleccion_cliente_200k").c_str(), recolector.ms("MostrarClienteGrande"),
                      recolector.ms("SelectDesnudo"), medidas::Objetivo::veces(1.3, "<=1.3x SELECT desnudo"));
    medidas::imprimir((prefijo + "refiltro_fechas_200k").c_str(), recolector.ms("RefiltrarPorFecha"), 0,
                      medidas::Objetivo::hastaMs(20, "<=20 ms"));
    // Memory: megabytes in both fields (ours, raw text of the rows).
    medidas::imprimir((prefijo + "memoria_cliente_200k").c_str(),
                      recolector.contador("MemoriaClienteGrande", "retenidos_mb"),
                      recolector.contador("MemoriaClienteGrande", "crudos_mb"),
                      medidas::Objetivo::veces(3, "<=3x texto crudo (MB)"));
    benchmark::Shutdown();
    delete &ventana();
    delete oficina;
    return 0;
}
