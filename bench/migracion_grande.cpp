// The schema migration on the register of 1,000,000 clients and 10,000,000 infractions: a copy
// of it in the oldest schema the program migrates (version 1) is opened as the program opens it,
// which brings it to the newest version; the time of each step is taken from SQLite's own
// statement trace. Then the same migration is killed halfway on another copy, and the file must
// open at a whole older version with every row, and migrate again.
//   bench_migracion_grande
#include "Generador.h"
#include "Medidas.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Esquema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <sqlite3.h>

#include <cstdio>
#include <map>

namespace {

// The base schema as the first versioned files hold it; fixed forever, like those files.
const char* const kEsquemaVersion1[] = {
    "CREATE TABLE Clientes (Id INTEGER PRIMARY KEY AUTOINCREMENT, NumeroCliente TEXT, Nombre TEXT, "
    "Direccion TEXT, Localidad TEXT, CodigoPostal TEXT, Partido TEXT, Provincia TEXT, Telefono TEXT, "
    "TelefonoMovil TEXT, Email TEXT, FechadeAlta TEXT, NombreLocal TEXT, Direccionlocal TEXT, "
    "Localidadlocal TEXT, PartidoLocal TEXT, ProvinciaLocal TEXT, Telefonolocal TEXT, EmailLocal TEXT, "
    "UltimaInspeccionFecha TEXT, UltimaInspeccionHora TEXT, AnteriorInspeccionFecha TEXT, "
    "AnteriorInspeccionHora TEXT, Notas TEXT, ActivacionBandaHoraria TEXT, "
    "ActivacionBanda1 TEXT, fechainicio TEXT, fechafin TEXT, horainicio TEXT, MinutosInicio TEXT, "
    "HoraFin TEXT, MinutosFin TEXT, "
    "ActivacionBanda2 TEXT, fechainicio2 TEXT, fechafin2 TEXT, horainicio2 TEXT, MinutosInicio2 TEXT, "
    "HoraFin2 TEXT, MinutosFin2 TEXT, "
    "ActivacionBanda3 TEXT, fechainicio3 TEXT, fechafin3 TEXT, horainicio3 TEXT, MinutosInicio3 TEXT, "
    "HoraFin3 TEXT, MinutosFin3 TEXT)",
    "CREATE TABLE Infracciones (id INTEGER PRIMARY KEY AUTOINCREMENT, NumeroCliente TEXT, "
    "FechaInfraccion TEXT, HoraInfraccion TEXT, NiveldB TEXT, Microfono TEXT, Estado TEXT, "
    "TensionLinea TEXT, PorcentajeCompresion TEXT, Inspector TEXT, Maxdb TEXT, dbaten TEXT, excesos TEXT, "
    "caldb TEXT, segpenal TEXT, nivelconsola TEXT, nivelruido TEXT, contadorinf TEXT)",
    "CREATE TABLE PassUsuarios (Id INTEGER PRIMARY KEY AUTOINCREMENT, Nombre TEXT, \"Contraseña\" TEXT)",
};
const char* const kIndicesVersion1[] = {
    "CREATE INDEX idx_infracciones_cliente ON Infracciones(NumeroCliente, id)",
    "CREATE INDEX idx_clientes_numero ON Clientes(NumeroCliente)",
};

sqlite3* abrirDesnudo(const QString& ruta) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        qFatal("no se pudo abrir %s", qPrintable(ruta));
    const QByteArray clave = ClaveBaseDatos();
    sqlite3_key(db, clave.constData(), static_cast<int>(clave.size()));
    return db;
}

void ejecutar(sqlite3* db, const QString& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("%s: %s", qPrintable(sql), error);
}

qint64 entero(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    const qint64 v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    return v;
}

// The columns a table has in the version 1 file, to copy just those from the newer one.
QString columnas(sqlite3* db, const char* tabla) {
    QStringList nombres;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, QByteArray("PRAGMA main.table_info(") + tabla + ")", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        nombres << QLatin1Char('"') +
                       QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))) +
                       QLatin1Char('"');
    sqlite3_finalize(st);
    return nombres.join(QLatin1Char(','));
}

// The big register's rows in a version 1 file, made once per benchmark build like the register.
QString registroVersion1() {
    const QString origen = generador::registroGrande();
    const QString ruta = QFileInfo(origen).dir().filePath(QStringLiteral("grande-1m-10m-v1.wfg"));
    if (QFile::exists(ruta))
        return ruta;
    const QString provisional = ruta + QStringLiteral(".provisional");
    QFile::remove(provisional);
    QElapsedTimer t;
    t.start();
    sqlite3* db = abrirDesnudo(provisional);
    ejecutar(db, QStringLiteral("PRAGMA synchronous = OFF"));
    ejecutar(db, QStringLiteral("PRAGMA cache_size = -262144"));
    {
        // Each file has its own salt: the key goes to the attached one too, bound, never in the text.
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "ATTACH DATABASE ? AS g KEY ?", -1, &st, nullptr);
        const QByteArray ruta = QFile::encodeName(origen);
        const QByteArray clave = ClaveBaseDatos();
        sqlite3_bind_text(st, 1, ruta.constData(), static_cast<int>(ruta.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(st, 2, clave.constData(), static_cast<int>(clave.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(st) != SQLITE_DONE)
            qFatal("ATTACH: %s", sqlite3_errmsg(db));
        sqlite3_finalize(st);
    }
    ejecutar(db, QStringLiteral("BEGIN"));
    for (const char* sql : kEsquemaVersion1)
        ejecutar(db, QString::fromUtf8(sql));
    for (const char* tabla : {"Clientes", "Infracciones", "PassUsuarios"}) {
        const QString c = columnas(db, tabla);
        ejecutar(db, QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM g.%1 ORDER BY 1")
                         .arg(QString::fromLatin1(tabla), c));
    }
    for (const char* sql : kIndicesVersion1)
        ejecutar(db, QString::fromUtf8(sql));
    ejecutar(db, QStringLiteral("PRAGMA user_version = 1"));
    ejecutar(db, QStringLiteral("COMMIT"));
    ejecutar(db, QStringLiteral("DETACH DATABASE g"));
    sqlite3_close(db);
    if (!QFile::rename(provisional, ruta))
        qFatal("no se pudo guardar %s", qPrintable(ruta));
    std::fprintf(stderr, "Registro en versión 1 generado %s: %.1f s, %.1f MB\n", qPrintable(ruta),
                 static_cast<double>(t.elapsed()) / 1000.0,
                 static_cast<double>(QFileInfo(ruta).size()) / 1e6);
    return ruta;
}

// Milliseconds each schema step took, from the statements SQLite ran: a step's statements end
// with setting user_version to its number, and its commit follows.
std::map<int, double> msPorPaso;
double msEnCurso = 0;
int ultimoPaso = 0;

int trazar(unsigned tipo, void*, void* p, void* x) {
    if (tipo != SQLITE_TRACE_PROFILE)
        return 0;
    const double ms = static_cast<double>(*static_cast<sqlite3_int64*>(x)) / 1e6;
    const QByteArray sql = sqlite3_sql(static_cast<sqlite3_stmt*>(p));
    msEnCurso += ms;
    if (sql.startsWith("PRAGMA user_version = ")) {
        ultimoPaso = sql.mid(22).toInt();
        msPorPaso[ultimoPaso] = msEnCurso;
        msEnCurso = 0;
    } else if (sql.startsWith("COMMIT") && ultimoPaso) {
        msPorPaso[ultimoPaso] += msEnCurso;
        msEnCurso = 0;
    } else if (sql.startsWith("BEGIN")) {
        msEnCurso = ms;
    }
    return 0;
}

int alAbrir(sqlite3* db, char**, const sqlite3_api_routines*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_PROFILE, trazar, nullptr);
    return SQLITE_OK;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The process that is killed halfway: opens the file as the program does, which migrates it.
    if (argc == 3 && QByteArray(argv[1]) == "--migrar") {
        ConexionSqlcipher db(QString::fromLocal8Bit(argv[2]), ClaveBaseDatos());
        return 0;
    }
    const QString v1 = registroVersion1();
    const QString trabajo = QFileInfo(v1).dir().filePath(QStringLiteral("migracion-trabajo.wfg"));
    generador::copiarRegistro(v1, trabajo);
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(alAbrir));
    QElapsedTimer t;
    t.start();
    { ConexionSqlcipher db(trabajo, ClaveBaseDatos()); }
    const double total = static_cast<double>(t.nsecsElapsed()) / 1e6;
    sqlite3_reset_auto_extension();
    for (const auto& [paso, ms] : msPorPaso)
        std::fprintf(stderr, "Paso %d: %.0f ms\n", paso, ms);

    // Killed halfway through its longest step: the file opens whole, at an older version.
    generador::copiarRegistro(v1, trabajo);
    sqlite3* antes = abrirDesnudo(v1);
    const qint64 infracciones = entero(antes, "SELECT count(*) FROM Infracciones");
    const qint64 clientes = entero(antes, "SELECT count(*) FROM Clientes");
    sqlite3_close(antes);
    QProcess hijo;
    hijo.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--migrar"), trabajo});
    hijo.waitForStarted();
    const QString diario = trabajo + QStringLiteral("-journal");
    QElapsedTimer espera;
    espera.start();
    while (!QFile::exists(diario) && hijo.state() == QProcess::Running && espera.elapsed() < 60000)
        QThread::msleep(5);
    QThread::msleep(static_cast<unsigned long>(std::max(100.0, total / 3)));
    const bool interrumpida = hijo.state() == QProcess::Running;
    hijo.kill();
    hijo.waitForFinished();
    sqlite3* despues = abrirDesnudo(trabajo); // rolls the hot journal back
    const qint64 version = entero(despues, "PRAGMA user_version");
    const bool filas = entero(despues, "SELECT count(*) FROM Infracciones") == infracciones &&
                       entero(despues, "SELECT count(*) FROM Clientes") == clientes;
    const QByteArray chequeo = [&] {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(despues, "PRAGMA quick_check", -1, &st, nullptr);
        QByteArray r =
            sqlite3_step(st) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0)) : "";
        sqlite3_finalize(st);
        return r;
    }();
    sqlite3_close(despues);
    bool reanuda = false;
    try {
        ConexionSqlcipher db(trabajo, ClaveBaseDatos());
        sqlite3* h = db.handle();
        reanuda = entero(h, "PRAGMA user_version") == kVersionEsquema &&
                  entero(h, "SELECT count(*) FROM Infracciones") == infracciones;
    } catch (const ErrorBD& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.descripcion()));
    }
    QFile::remove(trabajo);
    const bool segura =
        interrumpida && version >= 1 && version < kVersionEsquema && filas && chequeo == "ok" && reanuda;
    std::fprintf(
        stderr,
        "Interrumpida a mitad: %s; al reabrir, versión %lld, filas %s, quick_check %s; migra de nuevo: %s\n",
        interrumpida ? "sí" : "no (terminó antes)", version, filas ? "completas" : "DISTINTAS",
        chequeo.constData(), reanuda ? "sí" : "no");

    QString pasos;
    for (const auto& [paso, ms] : msPorPaso)
        pasos += QStringLiteral(" paso %1: %2 ms;").arg(paso).arg(ms, 0, 'f', 0);
    const std::string texto = QStringLiteral("referencia: de versión 1 a %1;%2 interrumpible sin daño: %3")
                                  .arg(kVersionEsquema)
                                  .arg(pasos)
                                  .arg(segura ? QStringLiteral("sí") : QStringLiteral("NO"))
                                  .toStdString();
    medidas::imprimir("grande_migracion_esquema", total, 0, medidas::Objetivo::ninguno(texto));
    for (const auto& [paso, ms] : msPorPaso)
        medidas::imprimir(("grande_migracion_paso_" + std::to_string(paso)).c_str(), ms, 0,
                          medidas::Objetivo::ninguno(
                              paso == kVersionEsquema ? "referencia: la versión más nueva" : "referencia"));
    return segura ? 0 : 1;
}
