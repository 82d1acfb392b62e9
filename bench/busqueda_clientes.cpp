// One search keystroke in the main window with 100,000 clients (filter, bind, format with
// column widths, view refresh), next to a plain in-memory scan of the loaded list for the same
// text and a bare SELECT of the same rows, in the same run. With --grande, over 1,000,000 clients.
#include "Generador.h"
#include "Medidas.h"

#include "core/Oficina.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Recordset.h"
#include "windows/clients/VentanaPrincipal.h"
#include "windows/grid/AnchoColumnas.h"
#include "windows/grid/GridModel.h"
#include "windows/platform/Mensajes.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

// The bench's register, opened once as the program opens it.
std::unique_ptr<ConexionSqlcipher> registro;

bool grande = false;

// Message boxes answer themselves: the welcome must not wait for a click.
class SinMensajes : public Mensajero {
public:
    Respuesta mostrar(const QString&, const QString&, Icono, Botones, const QString&) override {
        return Respuesta::Aceptar;
    }
};

void prepararBase() {
    static QTemporaryDir dir;
    static bool lista = false;
    if (lista)
        return;
    const QString ruta =
        grande ? generador::registroGrande()
               : generador::registroGuardado(QStringLiteral("clientes-100k.wfg"),
                                             [](Conexion& db) { generador::agregarClientes(db, 100000); });
    EstablecerDirectorioDatos(dir.path());
    registro = std::make_unique<ConexionSqlcipher>(ruta, ClaveBaseDatos());
    lista = true;
}

Oficina* oficina = nullptr;
VentanaPrincipal* principal = nullptr;

VentanaPrincipal* ventana() {
    static SinMensajes sinMensajes;
    prepararBase();
    if (!principal) {
        InstalarMensajero(&sinMensajes);
        oficina = new Oficina(*registro);
        oficina->establecerUsuario(QStringLiteral("Administrador"));
        principal = new VentanaPrincipal(*oficina);
        principal->show();
        auto* columna = principal->findChild<QComboBox*>(QStringLiteral("columnaBusqueda"));
        columna->setCurrentIndex(columna->findText(QStringLiteral("Direccion")));
        QApplication::processEvents();
    }
    return principal;
}
QLineEdit* busqueda() {
    return ventana()->findChild<QLineEdit*>(QStringLiteral("textoBusqueda"));
}
GridModel& lista() {
    return *ventana()->findChild<GridModel*>(QStringLiteral("listaClientes"));
}

// Texts that every client's address contains: each keystroke lists all the rows; "Calle 1"
// narrows to about a tenth.
QString texto(int64_t filtro, bool alternar) {
    const QString t = filtro == 0 ? QStringLiteral("calle") : QStringLiteral("calle 1");
    return alternar ? t.toUpper() : t;
}

void TeclaEnBusqueda(benchmark::State& state) {
    ventana(); // opened outside the measured keystrokes
    bool alternar = false;
    for (auto _ : state) {
        alternar = !alternar;
        busqueda()->setText(texto(state.range(0), alternar)); // one change event, as a keystroke
        QApplication::processEvents();                        // the view repaints
        benchmark::DoNotOptimize(lista().rows());
    }
    state.counters["filas"] = lista().rows() - 1;
}

void SelectDesnudo(benchmark::State& state) {
    prepararBase();
    const Consulta c =
        *Sentencias::busquedaClientes(QStringLiteral("Direccion"), texto(state.range(0), false));
    const QByteArray sql = c.sql.toUtf8();
    const QByteArray valor = c.parametros.at(0).toString().toUtf8();
    sqlite3* db = registro->handle();
    int filas = 0;
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        sqlite3_bind_text(st, 1, valor.constData(), static_cast<int>(valor.size()), SQLITE_STATIC);
        qint64 bytes = 0;
        filas = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++filas;
            for (int i = 0; i < 24; ++i)
                bytes += sqlite3_column_bytes(st, i);
        }
        benchmark::DoNotOptimize(bytes);
        sqlite3_finalize(st);
    }
    state.counters["filas"] = filas;
}

// The anchor: the loaded list scanned for the text in any letter case, the matching rows kept.
void EscaneoEnMemoria(benchmark::State& state) {
    prepararBase();
    Recordset lista;
    lista.abrir(*registro, Sentencias::listaClientes());
    const std::vector<QStringList> todos = lista.tomarFilas();
    const int columna = Sentencias::columnaListaBusqueda(QStringLiteral("Direccion"));
    bool alternar = false;
    size_t filas = 0;
    for (auto _ : state) {
        alternar = !alternar;
        const QString t = texto(state.range(0), alternar);
        std::vector<QStringList> encontradas;
        for (const QStringList& fila : todos)
            if (fila.at(columna).contains(t, Qt::CaseInsensitive))
                encontradas.push_back(fila);
        filas = encontradas.size();
        benchmark::DoNotOptimize(encontradas.data());
    }
    state.counters["filas"] = static_cast<double>(filas);
}

// Column widths of the 100,000-row list: the bounded measurement the window uses, and
// measuring every cell.
void AnchosAcotados(benchmark::State& state) {
    busqueda()->setText(QString());
    for (auto _ : state)
        benchmark::DoNotOptimize(AnchosColumnas(lista(), ventana()->font(), 13));
}

void AnchosCeldaPorCelda(benchmark::State& state) {
    busqueda()->setText(QString());
    for (auto _ : state)
        benchmark::DoNotOptimize(AnchosColumnasCompleto(lista(), ventana()->font(), 13));
}

} // namespace

BENCHMARK(SelectDesnudo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(EscaneoEnMemoria)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(TeclaEnBusqueda)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(AnchosAcotados)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(AnchosCeldaPorCelda)->Unit(benchmark::kMillisecond)->MinTime(0.5);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    grande = generador::tomarGrande(argc, argv);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    medidas::Recolector recolector;
    // Measuring every cell of a million rows only shows what the bounded measurement avoids.
    if (grande)
        benchmark::RunSpecifiedBenchmarks(&recolector, "^(SelectDesnudo|EscaneoEnMemoria|TeclaEnBusqueda)/");
    else
        benchmark::RunSpecifiedBenchmarks(&recolector);
    for (const char* arg : {"0", "1"}) {
        const std::string sufijo = std::string("/") + arg;
        const char* nombre = arg[0] == '0' ? (grande ? "grande_busqueda_tecla_1m" : "busqueda_tecla_100k")
                                           : (grande ? "grande_busqueda_tecla_100k" : "busqueda_tecla_10k");
        medidas::imprimir(nombre, recolector.ms("TeclaEnBusqueda" + sufijo),
                          recolector.ms("EscaneoEnMemoria" + sufijo),
                          medidas::Objetivo::ambos(3, 50, "<=3x escaneo en memoria y <50 ms"));
    }
    delete principal;
    delete oficina;
    benchmark::Shutdown();
    return 0;
}
