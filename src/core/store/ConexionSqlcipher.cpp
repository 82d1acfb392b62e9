#include "core/store/ConexionSqlcipher.h"

#include "core/store/ArchivosBase.h"
#include "core/store/Dialecto.h"
#include "core/store/Esquema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <thread>
#include <unistd.h>

namespace {

QString mensajeSqlite(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("sin conexión");
}

const QString kSinEspacio = QStringLiteral("No queda espacio libre en el disco.");
const QString kSinMemoria = QStringLiteral("No hay memoria suficiente.");
const QString kDiscoFalla =
    QStringLiteral("No se pudo leer o escribir en el disco. Compruebe que esté conectado y funcione bien.");

// SQLite 3.15 cannot tell the errno behind a failed open, so ask the file system directly.
int errnoApertura(const QString& ruta) {
    const QFileInfo info(ruta);
    const QByteArray nombre = QFile::encodeName(info.exists() ? ruta : info.absolutePath());
    const int modo = info.exists() ? (R_OK | W_OK) : (W_OK | X_OK);
    return ::access(nombre.constData(), modo) == 0 ? 0 : errno;
}

// mid(text, start, length) with 1-based character positions; NULL reads as the empty text so
// that an empty stored date still shows its separators. Works on the UTF-8 bytes directly:
// it runs for several columns of every listed row.
void funcionMid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc != 3) {
        sqlite3_result_error(ctx, "mid() necesita tres argumentos", -1);
        return;
    }
    const auto* texto = reinterpret_cast<const unsigned char*>(sqlite3_value_text(argv[0]));
    const int bytes = sqlite3_value_bytes(argv[0]);
    const sqlite3_int64 inicio = sqlite3_value_int64(argv[1]);
    const sqlite3_int64 largo = sqlite3_value_int64(argv[2]);
    if (!texto || inicio < 1 || largo <= 0) {
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
        return;
    }
    auto avanzar = [&](int pos, sqlite3_int64 caracteres) {
        while (pos < bytes && caracteres > 0) {
            ++pos;
            while (pos < bytes && (texto[pos] & 0xC0) == 0x80)
                ++pos;
            --caracteres;
        }
        return pos;
    };
    const int desde = avanzar(0, inicio - 1);
    const int hasta = avanzar(desde, largo);
    sqlite3_result_text(ctx, reinterpret_cast<const char*>(texto) + desde, hasta - desde, SQLITE_TRANSIENT);
}

// contiene(haystack, needle): literal containment without regard to letter case, for every
// letter (accents and Ñ included). NULL never matches, the empty needle matches any value.
void funcionContiene(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc != 2) {
        sqlite3_result_error(ctx, "contiene() necesita dos argumentos", -1);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const auto* pajar = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto* aguja = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const QString p = QString::fromUtf8(pajar ? pajar : "");
    const QString a = QString::fromUtf8(aguja ? aguja : "");
    sqlite3_result_int(ctx, p.contains(a, Qt::CaseInsensitive) ? 1 : 0);
}

// SQLite's progress handler: non-zero interrupts the running statement.
int consultarDetencion(void* detener) {
    return (*static_cast<const std::function<bool()>*>(detener))() ? 1 : 0;
}

// The program already writes SQLite's dialect.
class DialectoSqlite final : public Dialecto {
public:
    QString traducir(const QString& sql) const override { return sql; }
    QString nombreColumna(const QString& nombre) const override { return nombre; }
    QStringList numerosClienteUnicos() const override { return {}; }
    bool variosPuestos() const override { return false; }
    bool cadenaEnServidor() const override { return false; }
    // Plain triggers: the file still opens in an SQLCipher shell, and editing the log there
    // needs the trigger dropped first.
    QStringList esquemaActividad() const override {
        return {
            QStringLiteral("CREATE TRIGGER registroactividad_sin_cambios BEFORE UPDATE ON RegistroActividad "
                           "BEGIN SELECT RAISE(ABORT, 'El registro de actividad no admite cambios.'); END"),
            QStringLiteral(
                "CREATE TRIGGER registroactividad_sin_borrado BEFORE DELETE ON RegistroActividad "
                "BEGIN SELECT RAISE(ABORT, 'El registro de actividad no admite borrar entradas.'); "
                "END")};
    }
    QStringList avisosCambios() const override { return {}; }
    QString ochoCifras(const QString& e) const override {
        return QStringLiteral("(%1 GLOB '[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]')").arg(e);
    }
    QString enteroDeTexto(const QString& e) const override {
        return QStringLiteral("(CASE WHEN %1 GLOB '[0-9]*' AND %1 NOT GLOB '*[^0-9]*' AND length(%1) < 10 "
                              "THEN CAST(%1 AS INTEGER) END)")
            .arg(e);
    }
};

class SentenciaSqlcipher final : public Sentencia {
public:
    SentenciaSqlcipher(ConexionSqlcipher& db, const QString& sql);
    ~SentenciaSqlcipher() override;
    void enlazar(int indice, const QVariant& valor) override;
    void enlazarUtf8(int indice, const QByteArray& utf8) override;
    void enlazarBlob(int indice, const QByteArray& datos) override;
    bool paso() override;
    void reiniciar() override;
    int columnas() override;
    QString nombreColumna(int i) override;
    const char* bytes(int i, int& largo) const override;
    bool esNulo(int i) const override;
    QByteArray blob(int i) const override;
    qint64 entero(int i) const override;

private:
    ConexionSqlcipher& db_;
    sqlite3_stmt* st_ = nullptr;
};

} // namespace

QByteArray ClaveBaseDatos() {
    return QByteArrayLiteral("mq731rkw");
}

QString DescripcionErrorSqlite(int codigo, int errnoSistema) {
    const int primario = codigo & 0xff;
    // The system's cause is the more precise one when the failure came from the file.
    if (errnoSistema != 0 &&
        (primario == SQLITE_CANTOPEN || primario == SQLITE_IOERR || primario == SQLITE_READONLY ||
         primario == SQLITE_PERM || primario == SQLITE_FULL))
        return DescripcionErrorSistema(errnoSistema);
    switch (primario) {
    case SQLITE_FULL:
        return kSinEspacio;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return QStringLiteral(
            "No tiene permiso para modificar la base de datos o la carpeta que la contiene.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral(
            "La base de datos está bloqueada por otro programa. Ciérrelo e intente nuevamente.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral(
            "El archivo de la base de datos está dañado o no es una base de datos del sistema.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("No se encuentra el archivo de la base de datos o no se puede acceder a él.");
    case SQLITE_IOERR:
        return codigo == SQLITE_IOERR_NOMEM ? kSinMemoria : kDiscoFalla;
    case SQLITE_NOMEM:
        return kSinMemoria;
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Los datos no cumplen una regla de la base de datos.");
    case SQLITE_TOOBIG:
        return QStringLiteral("Un valor es demasiado grande para la base de datos.");
    case SQLITE_INTERRUPT:
    case SQLITE_ABORT:
        return QStringLiteral("La operación con la base de datos fue interrumpida.");
    default:
        return QStringLiteral("La base de datos no pudo realizar la operación.");
    }
}

ErrorBD ConexionSqlcipher::errorSistema(const QString& contexto, int errnoSistema) const {
    const int codigo = db_ ? sqlite3_extended_errcode(db_) : SQLITE_CANTOPEN;
    const QString mensaje = mensajeSqlite(db_);
    QString causa = DescripcionErrorSqlite(codigo, errnoSistema);
    // A missing table or column means a file from elsewhere or half built, not a program fault.
    if ((codigo & 0xff) == SQLITE_ERROR && (mensaje.startsWith(QLatin1String("no such table")) ||
                                            mensaje.startsWith(QLatin1String("no such column"))))
        causa =
            QStringLiteral("Al archivo de la base de datos le falta una tabla o una columna: está incompleto "
                           "o no es de esta versión del programa.");
    QString detalles = QStringLiteral("SQLite: %1 (código %2)").arg(mensaje).arg(codigo);
    if (errnoSistema != 0)
        detalles += QStringLiteral("\nSistema: %1 (errno %2)")
                        .arg(QString::fromLocal8Bit(std::strerror(errnoSistema)))
                        .arg(errnoSistema);
    return ErrorBD(contexto.isEmpty() ? causa : contexto + QLatin1Char(' ') + causa, detalles);
}

ErrorBD ConexionSqlcipher::error(const QString& contexto) const {
    return errorSistema(contexto, 0);
}

const Dialecto& ConexionSqlcipher::dialecto() const {
    static const DialectoSqlite dialecto;
    return dialecto;
}

ConexionSqlcipher::ConexionSqlcipher(const QString& ruta, const QByteArray& clave) : clave_(clave) {
    ruta_ = ruta;
    abrir();
}

ConexionSqlcipher::ConexionSqlcipher(const QString& ruta, const QByteArray& clave,
                                     const AvanceEsquema& avance)
    : clave_(clave), avance_(&avance) {
    ruta_ = ruta;
    abrir();
    avance_ = nullptr;
}

int ConexionSqlcipher::VersionEsquemaArchivo(const QString& ruta, const QByteArray& clave) {
    const QFileInfo info(ruta);
    if (!info.isFile() || info.size() == 0)
        return -1;
    sqlite3* db = nullptr;
    int version = -1;
    if (sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK &&
        sqlite3_key(db, clave.constData(), static_cast<int>(clave.size())) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            version = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    return version;
}

ConexionSqlcipher::~ConexionSqlcipher() {
    cerrar();
}

void ConexionSqlcipher::abrir() {
    cerrar();
    const QString ruta = ruta_;
    const QByteArray clave = clave_;
    // Left by a start that was interrupted while building the database: never complete.
    QuitarConAnexos(RutaBaseNueva(ruta));
    const QString contexto =
        QStringLiteral("No se puede abrir la base de datos \"%1\".").arg(QDir::toNativeSeparators(ruta));
    for (int intento = 0;; ++intento) {
        const QFileInfo info(ruta);
        // An empty file holds nothing (a first start killed before writing): same as missing.
        if (!info.exists() || (info.isFile() && info.size() == 0))
            crearNueva(ruta, clave);
        conectar(ruta, clave, false, contexto);
        // A first start of an older release killed mid-schema leaves a journal whose rollback
        // empties the file: that holds nothing either.
        if (intento == 0 && EsquemaVacio(*this)) {
            cerrar();
            if (QFileInfo(ruta).size() == 0)
                continue;
            conectar(ruta, clave, false, contexto);
        }
        break;
    }
    registrarFunciones();
    const bool detenible = avance_ && avance_->detener;
    // A long statement (an index over millions of rows) is stopped within it, not after it.
    if (detenible)
        sqlite3_progress_handler(db_, 1000, consultarDetencion,
                                 const_cast<std::function<bool()>*>(&avance_->detener));
    try {
        static const AvanceEsquema sinAvance;
        ActualizarEsquema(*this, avance_ ? *avance_ : sinAvance);
    } catch (...) {
        cerrar();
        throw;
    }
    if (detenible)
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
}

void ConexionSqlcipher::conectar(const QString& ruta, const QByteArray& clave, bool crear,
                                 const QString& contexto) {
    cerrar();
    // A connection serves the one thread that opened it (copies and checks open their own), so
    // SQLite need not lock it on every call: reading a big client makes millions of them.
    const int flags = SQLITE_OPEN_READWRITE | (crear ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, flags, nullptr);
    db_ = db;
    ruta_ = ruta;
    auto fallar = [&](const ErrorBD& e) {
        cerrar();
        throw e;
    };
    if (rc != SQLITE_OK)
        fallar(errorSistema(contexto, errnoApertura(ruta)));
    // The key goes through the API, never through a statement text that could be logged.
    if (sqlite3_key(db, clave.constData(), static_cast<int>(clave.size())) != SQLITE_OK)
        fallar(ErrorBD(contexto + QStringLiteral(" No se pudo aplicar la clave.")));
    sqlite3_busy_timeout(db, 3000);
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if ((rc & 0xff) == SQLITE_NOTADB)
        fallar(
            ErrorBD(QStringLiteral("No se puede abrir la base de datos \"%1\": la clave no es correcta o el "
                                   "archivo no es una base de datos del sistema.")
                        .arg(QDir::toNativeSeparators(ruta)),
                    QStringLiteral("SQLite: %1 (código %2)")
                        .arg(mensajeSqlite(db))
                        .arg(sqlite3_extended_errcode(db))));
    if (rc != SQLITE_OK)
        fallar(errorSistema(contexto, (rc & 0xff) == SQLITE_IOERR || (rc & 0xff) == SQLITE_CANTOPEN
                                          ? errnoApertura(ruta)
                                          : 0));
}

// Builds the whole database under a temporary name and renames it into place, so a start
// killed at any instant leaves either no database or a complete one.
void ConexionSqlcipher::crearNueva(const QString& ruta, const QByteArray& clave) {
    const QString nueva = RutaBaseNueva(ruta);
    const QString contexto =
        QStringLiteral("No se puede crear la base de datos \"%1\".").arg(QDir::toNativeSeparators(ruta));
    try {
        ConexionSqlcipher db;
        db.conectar(nueva, clave, true, contexto);
        // Nothing to recover in a file that is discarded when interrupted: no journal beside it,
        // and one explicit flush before the rename instead of one per page.
        db.ejecutar(QStringLiteral("PRAGMA journal_mode = MEMORY"));
        db.ejecutar(QStringLiteral("PRAGMA synchronous = OFF"));
        db.registrarFunciones();
        CrearEsquema(db);
        db.cerrar();
    } catch (...) {
        QuitarConAnexos(nueva);
        throw;
    }
    Sincronizar(nueva, false);
    // The journal of an emptied file would be taken as hot for the new one and "rolled back" into it.
    if (QFileInfo(ruta).size() == 0)
        QuitarConAnexos(ruta);
    // Never over an existing file: one that appeared meanwhile is kept and this copy dropped.
    QFile archivo(nueva);
    if (!archivo.rename(ruta)) {
        const int err = QFileInfo::exists(ruta) ? EEXIST : errnoApertura(ruta);
        const QString detalle = archivo.errorString();
        QuitarConAnexos(nueva);
        throw ErrorBD(contexto + QLatin1Char(' ') + DescripcionErrorArchivo(archivo.error(), err), detalle);
    }
    Sincronizar(QFileInfo(ruta).absolutePath(), true);
}

void ConexionSqlcipher::conArchivoCerrado(const std::function<void()>& cambio) {
    cerrar();
    try {
        cambio();
    } catch (...) {
        try {
            abrir();
        } catch (const ErrorBD&) {
            // The first failure is the one to tell; the next use reports this one.
        }
        throw;
    }
    abrir();
}

void ConexionSqlcipher::cerrar() {
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void ConexionSqlcipher::registrarFunciones() {
    sqlite3_create_function_v2(db_, "mid", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, funcionMid,
                               nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db_, "contiene", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               funcionContiene, nullptr, nullptr, nullptr);
}

// A second connection for reading alongside this one: it joins the state the first one holds
// (see leerEnDosPartes) or gives up at once; it never waits for a writer.
bool ConexionSqlcipher::abrirLector(const QString& ruta, const QByteArray& clave) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    db_ = db;
    ruta_ = ruta;
    if (rc != SQLITE_OK || sqlite3_key(db, clave.constData(), static_cast<int>(clave.size())) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
        cerrar();
        return false;
    }
    registrarFunciones();
    return true;
}

bool ConexionSqlcipher::leerEnDosPartes(const std::function<void(Conexion&, int parte)>& parte) {
    if (!db_ || !sqlite3_get_autocommit(db_))
        return false;
    // While this connection holds its shared lock no writer can commit in a rollback journal, so
    // a second connection that takes its own meanwhile reads the very same state. A write-ahead
    // log lets commits land between the two: read in one part there.
    {
        const auto modo = preparar(QStringLiteral("PRAGMA journal_mode"));
        if (!modo->paso() || modo->texto(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0)
            return false;
    }
    if (sqlite3_exec(db_, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        deshacer();
        return false;
    }
    std::exception_ptr falloAparte;
    bool hechaAparte = false;
    // The key derivation of the second connection runs in its thread, beside the first part.
    std::thread aparte([&, ruta = ruta_, clave = clave_] {
        try {
            ConexionSqlcipher otra;
            if (!otra.abrirLector(ruta, clave))
                return;
            parte(otra, 1);
            hechaAparte = true;
            sqlite3_exec(otra.db_, "COMMIT", nullptr, nullptr, nullptr);
        } catch (...) {
            falloAparte = std::current_exception();
        }
    });
    try {
        parte(*this, 0);
    } catch (...) {
        aparte.join();
        deshacer();
        throw;
    }
    aparte.join();
    try {
        if (falloAparte)
            std::rethrow_exception(falloAparte);
        if (!hechaAparte)
            parte(*this, 1);
    } catch (...) {
        deshacer();
        throw;
    }
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    return true;
}

std::unique_ptr<Sentencia> ConexionSqlcipher::preparar(const QString& sql) {
    return std::make_unique<SentenciaSqlcipher>(*this, sql);
}

qint64 ConexionSqlcipher::ultimoId() {
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

int ConexionSqlcipher::filasAfectadas() {
    return db_ ? sqlite3_changes(db_) : 0;
}

void ConexionSqlcipher::comenzar() {
    ejecutar(QStringLiteral("BEGIN IMMEDIATE"));
}

void ConexionSqlcipher::confirmar() {
    ejecutar(QStringLiteral("COMMIT"));
}

void ConexionSqlcipher::deshacer() {
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool ConexionSqlcipher::enTransaccion() const {
    return db_ && !sqlite3_get_autocommit(db_);
}

QString ConexionSqlcipher::ultimoError() const {
    return mensajeSqlite(db_);
}

SentenciaSqlcipher::SentenciaSqlcipher(ConexionSqlcipher& db, const QString& sql) : db_(db) {
    if (!db.abierta())
        throw ErrorBD(QStringLiteral("La conexión con la base de datos no está abierta."));
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), utf8.constData(), static_cast<int>(utf8.size()), &st_, nullptr) !=
        SQLITE_OK) {
        const ErrorBD e = db.error();
        sqlite3_finalize(st_);
        st_ = nullptr;
        throw e;
    }
}

SentenciaSqlcipher::~SentenciaSqlcipher() {
    sqlite3_finalize(st_);
}

void SentenciaSqlcipher::enlazar(int indice, const QVariant& valor) {
    int rc = SQLITE_OK;
    if (valor.isNull()) {
        rc = sqlite3_bind_null(st_, indice);
    } else if (valor.typeId() == QMetaType::Int || valor.typeId() == QMetaType::LongLong ||
               valor.typeId() == QMetaType::UInt || valor.typeId() == QMetaType::ULongLong) {
        rc = sqlite3_bind_int64(st_, indice, valor.toLongLong());
    } else {
        const QByteArray utf8 = valor.toString().toUtf8();
        rc =
            sqlite3_bind_text(st_, indice, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        throw db_.error();
}

void SentenciaSqlcipher::enlazarUtf8(int indice, const QByteArray& utf8) {
    if (sqlite3_bind_text(st_, indice, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_STATIC) !=
        SQLITE_OK)
        throw db_.error();
}

void SentenciaSqlcipher::enlazarBlob(int indice, const QByteArray& datos) {
    if (sqlite3_bind_blob(st_, indice, datos.constData(), static_cast<int>(datos.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        throw db_.error();
}

bool SentenciaSqlcipher::paso() {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw db_.error();
}

void SentenciaSqlcipher::reiniciar() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

int SentenciaSqlcipher::columnas() {
    return sqlite3_column_count(st_);
}

QString SentenciaSqlcipher::nombreColumna(int i) {
    return QString::fromUtf8(sqlite3_column_name(st_, i));
}

const char* SentenciaSqlcipher::bytes(int i, int& largo) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
    largo = p ? sqlite3_column_bytes(st_, i) : 0;
    return p;
}

bool SentenciaSqlcipher::esNulo(int i) const {
    return sqlite3_column_type(st_, i) == SQLITE_NULL;
}

QByteArray SentenciaSqlcipher::blob(int i) const {
    const void* datos = sqlite3_column_blob(st_, i);
    return QByteArray(static_cast<const char*>(datos), datos ? sqlite3_column_bytes(st_, i) : 0);
}

qint64 SentenciaSqlcipher::entero(int i) const {
    return sqlite3_column_int64(st_, i);
}
