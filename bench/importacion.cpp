// Importing the largest file the device's counters allow (65,534 records) into a database that
// already holds 1,000,000 infractions, three ways in the same run:
//   - ImportacionVentana: the "Importar Datos" press with the main window open on the office, to
//     the refreshed client list and infraction view (/1: with the imported client selected);
//   - ImportacionFuncion: the import function alone (read, check, hash, overlap check, log with the
//     compressed original, write);
//   - InsercionDesnuda: the same rows, already encoded, through one prepared statement in one
//     transaction with the bare SQLite API;
//   - Autocommit: one autocommitted row at a time, measured on 500 rows and extrapolated;
//   - EntradaImportacion: what the activity log adds to an import, alone (the import without it
//     is ImportacionFuncion less this).
//
//   bench_importacion [--clientes N] [--infracciones M] [--grande] [--dir DIR] [benchmark flags]
// The database goes under DIR (default: beside the program) so commits really reach the disk: a
// copy of the generated register, which is kept for the next run. With --grande, the register of
// 1,000,000 clients and 10,000,000 infractions.

#include "Generador.h"
#include "Medidas.h"

#include "core/Oficina.h"
#include "core/actividad/CadenaActividad.h"
#include "core/actividad/EntradasActividad.h"
#include "core/import/Importacion.h"
#include "core/import/RegistroImportaciones.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/ConexionSqlcipher.h"
#include "windows/clients/VentanaPrincipal.h"
#include "windows/import/VentanaImportacion.h"
#include "windows/platform/Mensajes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

// The bench's register, opened once as the program opens it.
std::unique_ptr<ConexionSqlcipher> registro;

constexpr int kRegistros = 2 * kMaximoContador; // 65,534
constexpr int kMuestraAutocommit = 500;
const QString kCliente = QStringLiteral("0001");

int clientes = 1000;
qint64 infraccionesPrevias = 1000000;
bool grande = false;
QString dirBase;
std::unique_ptr<QTemporaryDir> temporal;
std::map<std::string, double> segundos; // mean seconds per full import, by benchmark
Oficina* oficina = nullptr;

class SinMensajes : public Mensajero {
public:
    Respuesta mostrar(const QString&, const QString&, Icono, Botones b, const QString&) override {
        return b == Botones::SiNo ? Respuesta::Si : Respuesta::Aceptar;
    }
};

QString rutaArchivo() {
    return QDir(dirBase).filePath(QStringLiteral("0001.kvd"));
}

// Each import gets a file of its own year: the same bytes twice would be a re-import, and its
// records would all be left out as already stored.
void escribirArchivo() {
    static int anio = 30;
    const QByteArray datos = generador::archivoMaximo("0001", QByteArray::number(++anio));
    QFile f(rutaArchivo());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(datos) != datos.size())
        qFatal("no se pudo escribir el archivo de prueba");
}

// The 65,534 rows exactly as the import stores them, encoded once, for the bare insert.
const std::vector<std::vector<QByteArray>>& filasCodificadas() {
    static std::vector<std::vector<QByteArray>> filas;
    if (filas.empty()) {
        const QByteArray datos = generador::archivoMaximo();
        CabeceraInspeccion c;
        decodificarCabecera(datos, c);
        DecodificadorRegistros dec(datos);
        RegistroInfraccion r;
        filas.reserve(kRegistros);
        while (dec.siguiente(r)) {
            std::vector<QByteArray> f;
            const Consulta fila =
                Sentencias::insertarInfraccion(valoresInfraccion(c, r, QStringLiteral("Administrador")));
            for (const QVariant& v : fila.parametros)
                f.push_back(v.toString().toUtf8());
            filas.push_back(std::move(f));
        }
    }
    return filas;
}

void prepararBase() {
    const QString ruta = QDir(dirBase).filePath(QLatin1String(kNombreBaseDatos));
    if (grande) {
        clientes = generador::kClientesGrande;
        infraccionesPrevias = generador::kInfraccionesGrande;
    }
    std::fprintf(stderr, "Preparando %s: %d clientes, %lld infracciones...\n", qPrintable(ruta), clientes,
                 infraccionesPrevias);
    const QString generado =
        grande ? generador::registroGrande()
               : generador::registroGuardado(
                     QStringLiteral("importacion-%1-%2.wfg").arg(clientes).arg(infraccionesPrevias),
                     [](Conexion& db) {
                         generador::agregarClientes(db, clientes);
                         generador::agregarInfraccionesRepartidas(db, std::max(1, std::min(clientes, 1000)),
                                                                  infraccionesPrevias);
                     });
    generador::copiarRegistro(generado, ruta);
    EstablecerDirectorioDatos(dirBase);
    registro = std::make_unique<ConexionSqlcipher>(ruta, ClaveBaseDatos());
}

void anotar(benchmark::State& state, const char* nombre, double total, qint64 filas) {
    segundos[nombre] = total / static_cast<double>(state.iterations());
    state.counters["filas/s"] = benchmark::Counter(
        static_cast<double>(filas) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// range(0) = 1: the imported client is the one selected in the main window, so the refreshed
// view loads all of its rows (1,000 before the first import, 65,534 more after each).
void ImportacionVentana(benchmark::State& state) {
    const bool seleccionado = state.range(0) == 1;
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        escribirArchivo();
        qint64 id = 0; // none: the main window shows no client
        if (seleccionado)
            for (const QStringList& fila : oficina->filasClientes())
                if (fila.value(1) == kCliente)
                    id = fila.value(0).toLongLong();
        oficina->seleccionar(id);
        MostrarVentanaImportacion(*oficina);
        VentanaImportacion* w = VentanaImportacion::instancia();
        w->setDirectorio(dirBase);
        auto* archivos = w->findChild<QListWidget*>(QStringLiteral("archivos"));
        const QList<QListWidgetItem*> items =
            archivos->findItems(QStringLiteral("0001.kvd"), Qt::MatchExactly);
        if (items.size() != 1)
            qFatal("archivo no listado");
        archivos->setCurrentItem(items.first());
        QElapsedTimer t;
        state.ResumeTiming();
        t.start();
        // To the refreshed list and view, file deleted, window closed.
        w->findChild<QPushButton*>(QStringLiteral("botonImportar"))->click();
        QCoreApplication::processEvents();
        total += static_cast<double>(t.nsecsElapsed()) / 1e9;
        state.PauseTiming();
        if (QFile::exists(rutaArchivo()))
            qFatal("la importación no terminó");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    anotar(state, seleccionado ? "ImportacionVentana (cliente seleccionado)" : "ImportacionVentana", total,
           kRegistros);
}

void ImportacionFuncion(benchmark::State& state) {
    DatosImportacion datos;
    datos.numeroCliente = kCliente;
    datos.fecha = QDate(2011, 9, 28);
    datos.hora = QTime(14, 5, 30);
    datos.inspector = QStringLiteral("Administrador");
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        escribirArchivo();
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        const ResultadoImportacion r = importarArchivo(*registro, rutaArchivo(), datos);
        total += static_cast<double>(t.nsecsElapsed()) / 1e9;
        if (!r.ok() || r.registros != kRegistros)
            qFatal("importación fallida");
    }
    anotar(state, "ImportacionFuncion", total, kRegistros);
}

void insertar(sqlite3_stmt* st, const std::vector<QByteArray>& f) {
    sqlite3_reset(st);
    for (size_t k = 0; k < f.size(); ++k)
        sqlite3_bind_text(st, static_cast<int>(k + 1), f[k].constData(), static_cast<int>(f[k].size()),
                          SQLITE_STATIC);
    if (sqlite3_step(st) != SQLITE_DONE)
        qFatal("insert fallido");
}

void InsercionDesnuda(benchmark::State& state) {
    const auto& filas = filasCodificadas();
    sqlite3* db = registro->handle();
    const QByteArray sql = Sentencias::insertarInfraccion(FilaInfraccion{}).sql.toUtf8();
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        sqlite3_stmt* st = nullptr;
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        for (const auto& f : filas)
            insertar(st, f);
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        total += static_cast<double>(t.nsecsElapsed()) / 1e9;
    }
    anotar(state, "InsercionDesnuda", total, kRegistros);
}

void Autocommit(benchmark::State& state) {
    const auto& filas = filasCodificadas();
    sqlite3* db = registro->handle();
    const QByteArray sql = Sentencias::insertarInfraccion(FilaInfraccion{}).sql.toUtf8();
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        for (int i = 0; i < kMuestraAutocommit; ++i)
            insertar(st, filas[static_cast<size_t>(i)]);
        sqlite3_finalize(st);
        total += static_cast<double>(t.nsecsElapsed()) / 1e9;
    }
    anotar(state, "Autocommit", total, kMuestraAutocommit);
    // Extrapolated to the whole file.
    segundos["Autocommit"] *= static_cast<double>(kRegistros) / kMuestraAutocommit;
}

// The import's log entry and what it reads for it: the client's data before and after, the
// earlier imports of the same bytes, the chained entry. Undone after each round, so the log
// does not grow; the import's own commit carries the entry's page with its thousands of rows.
void EntradaImportacion(benchmark::State& state) {
    const QString sha = QString(64, QLatin1Char('a'));
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        registro->comenzar();
        const QJsonObject antes = DatosClientePorNumero(*registro, kCliente);
        const auto previas = static_cast<qint64>(ImportacionesConHuella(*registro, sha).size());
        AgregarEntrada(*registro, QStringLiteral("Administrador"), QStringLiteral("importacion"),
                       QStringLiteral("1"),
                       {{QStringLiteral("importacion"), 1},
                        {QStringLiteral("cliente"), kCliente},
                        {QStringLiteral("archivo"), QStringLiteral("0001.kvd")},
                        {QStringLiteral("sha256"), sha},
                        {QStringLiteral("registros"), kRegistros},
                        {QStringLiteral("guardados"), kRegistros},
                        {QStringLiteral("omitidos"), 0},
                        {QStringLiteral("importada_antes"), previas},
                        {QStringLiteral("reimportar"), previas > 0},
                        {QStringLiteral("omitir_solapados"), false},
                        {QStringLiteral("cambios_cliente"),
                         CambiosDatos(antes, DatosClientePorNumero(*registro, kCliente))}});
        registro->deshacer();
        total += static_cast<double>(t.nsecsElapsed()) / 1e9;
    }
    anotar(state, "EntradaImportacion", total, 1);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<char*> resto{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--clientes" && i + 1 < argc)
            clientes = QByteArray(argv[++i]).toInt();
        else if (a == "--infracciones" && i + 1 < argc)
            infraccionesPrevias = QByteArray(argv[++i]).toLongLong();
        else if (a == "--grande")
            grande = true;
        else if (a == "--dir" && i + 1 < argc)
            dirBase = QString::fromLocal8Bit(argv[++i]);
        else
            resto.push_back(argv[i]);
    }
    if (dirBase.isEmpty()) {
        temporal = std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() +
                                                   QStringLiteral("/bench_importacion-XXXXXX"));
        dirBase = temporal->path();
    }
    QDir().mkpath(dirBase);
    prepararBase();

    SinMensajes sinMensajes;
    InstalarMensajero(&sinMensajes);
    oficina = new Oficina(*registro);
    oficina->establecerUsuario(QStringLiteral("Administrador"));
    // Holds slot 1 and the client list, and shows them, as in the program.
    auto* principal = new VentanaPrincipal(*oficina);
    principal->show();

    benchmark::RegisterBenchmark("ImportacionVentana", ImportacionVentana)
        ->Arg(0)
        ->Arg(1)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ImportacionFuncion", ImportacionFuncion)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("InsercionDesnuda", InsercionDesnuda)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Autocommit", Autocommit)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("EntradaImportacion", EntradaImportacion)
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);

    int n = static_cast<int>(resto.size());
    benchmark::Initialize(&n, resto.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (segundos.count("InsercionDesnuda")) {
        const double desnuda = segundos["InsercionDesnuda"];
        std::printf("\nPor archivo de %d registros (sobre %lld infracciones previas):\n", kRegistros,
                    infraccionesPrevias);
        for (const auto& [nombre, s] : segundos)
            std::printf("  %-42s %9.3f s  %7.2fx la inserción desnuda%s\n", nombre.c_str(), s, s / desnuda,
                        nombre == "Autocommit" ? "  (extrapolado de 500 filas)" : "");
        if (segundos.count("ImportacionVentana") && segundos.count("Autocommit"))
            std::printf("  Autocommit / ImportacionVentana = %.0fx\n",
                        segundos["Autocommit"] / segundos["ImportacionVentana"]);
    }
    // One line per interaction for scripts/medir.sh.
    const auto medida = [](const char* nombre, const std::string& clave, const medidas::Objetivo& objetivo) {
        if (!segundos.count(clave))
            return;
        const double ancla = segundos.count("InsercionDesnuda") ? segundos["InsercionDesnuda"] * 1000 : 0;
        medidas::imprimir(((grande ? "grande_" : "") + std::string(nombre)).c_str(), segundos[clave] * 1000,
                          ancla, objetivo);
    };
    medida("importacion_65534", "ImportacionFuncion",
           medidas::Objetivo::veces(1.5, "≤ 1.5× la inserción desnuda"));
    if (segundos.count("ImportacionFuncion") && segundos.count("EntradaImportacion")) {
        const double con = segundos["ImportacionFuncion"] * 1000;
        medidas::imprimir(
            (grande ? "grande_importacion_con_registro" : "importacion_con_registro"), con,
            con - segundos["EntradaImportacion"] * 1000,
            medidas::Objetivo::veces(1.05, "≤ 1.05× la importación sin su entrada de actividad"));
    }
    medida("importacion_ventana_65534", "ImportacionVentana",
           medidas::Objetivo::veces(1.5, "≤ 1.5× la inserción desnuda (con ventana)"));
    medida("importacion_ventana_seleccionado", "ImportacionVentana (cliente seleccionado)",
           medidas::Objetivo::ninguno("referencia: recarga la vista del cliente"));
    std::fflush(stdout);
    delete principal;
    delete oficina;
    InstalarMensajero(nullptr);
    registro.reset();
    return 0;
}
