#include "core/store/BaseDatos.h"

#include "core/store/Contrasenas.h"
#include "core/store/ServidorPg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
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

void quitarConAnexos(const QString& ruta) {
    for (const char* sufijo : {"", "-journal", "-wal", "-shm"})
        QFile::remove(ruta + QLatin1String(sufijo));
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

const char* const kEsquema[] = {
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
    "CREATE INDEX idx_infracciones_cliente ON Infracciones(NumeroCliente, id)",
    "CREATE INDEX idx_clientes_numero ON Clientes(NumeroCliente)",
};

qint64 leerEntero(Database& db, const char* sql) {
    Statement st(db, QString::fromUtf8(sql));
    return st.paso() ? st.entero(0) : 0;
}

// Version 1 is the schema of the files written before versions were recorded (user_version 0):
// it only checks that they hold its tables, so a half-built file is refused, not half used.
void migracion1(Database& db) {
    for (const char* tabla : {"Clientes", "Infracciones", "PassUsuarios"}) {
        Statement st(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
        st.enlazar(1, QString::fromLatin1(tabla));
        if (!st.paso())
            throw ErrorBD(QStringLiteral("El archivo de la base de datos \"%1\" está incompleto: le falta la "
                                         "tabla %2. No se modificó el archivo.")
                              .arg(QDir::toNativeSeparators(db.ruta()), QString::fromLatin1(tabla)));
    }
    db.ejecutar(QStringLiteral(
        "CREATE INDEX IF NOT EXISTS idx_infracciones_cliente ON Infracciones(NumeroCliente, id)"));
    db.ejecutar(QStringLiteral("CREATE INDEX IF NOT EXISTS idx_clientes_numero ON Clientes(NumeroCliente)"));
}

// Version 2: the import log. Each import leaves one row with where the file came from, who
// imported it and the device's settings, its exact bytes (compressed, apart so listing the log
// never reads them), and its infraction rows point back to it; older rows keep NULL. Adding a
// NULL column rewrites no row and the partial index holds no entry yet; the date index is the
// only work proportional to the rows (seconds for millions).
void migracion2(Database& db) {
    db.ejecutar(QStringLiteral(
        "CREATE TABLE Importaciones (Id INTEGER PRIMARY KEY AUTOINCREMENT, NumeroCliente TEXT, "
        "NombreArchivo TEXT, Tamano INTEGER, Sha256 TEXT, FechaInspeccion TEXT, HoraInspeccion TEXT, "
        "Registros INTEGER, Guardados INTEGER, Omitidos INTEGER, PrimerRegistro TEXT, UltimoRegistro TEXT, "
        "Maxdb TEXT, dbaten TEXT, excesos TEXT, caldb TEXT, segpenal TEXT, nivelconsola TEXT, "
        "nivelruido TEXT, ActivacionBandaHoraria TEXT, Banda1 TEXT, Banda2 TEXT, Banda3 TEXT, "
        "Usuario TEXT, Equipo TEXT, MomentoLocal TEXT, MomentoUtc TEXT, Cambios TEXT)"));
    db.ejecutar(QStringLiteral("CREATE TABLE OriginalesImportacion (IdImportacion INTEGER PRIMARY KEY, "
                               "Compresion TEXT, Datos BLOB)"));
    db.ejecutar(QStringLiteral("CREATE INDEX idx_importaciones_sha ON Importaciones(Sha256)"));
    db.ejecutar(QStringLiteral("CREATE INDEX idx_importaciones_cliente ON Importaciones(NumeroCliente, Id)"));
    // The overlap check looks a client's rows up by date.
    db.ejecutar(QStringLiteral(
        "CREATE INDEX idx_infracciones_fecha ON Infracciones(NumeroCliente, FechaInfraccion)"));
    db.ejecutar(QStringLiteral("ALTER TABLE Infracciones ADD COLUMN IdImportacion INTEGER"));
    db.ejecutar(QStringLiteral("CREATE INDEX idx_infracciones_importacion ON Infracciones(IdImportacion) "
                               "WHERE IdImportacion IS NOT NULL"));
}

// Version 3: a row version on clients, raised by every write to the row, so that a save made from
// data read before another desk's change is refused instead of overwriting it. On the server,
// where desks write at once, client numbers are unique too; a file may hold repeats from before
// and keeps them.
void migracion3(Database& db) {
    db.ejecutar(QStringLiteral("ALTER TABLE Clientes ADD COLUMN Version INTEGER NOT NULL DEFAULT 0"));
    if (db.esServidor())
        db.ejecutar(
            QStringLiteral("CREATE UNIQUE INDEX idx_clientes_numero_unico ON Clientes(NumeroCliente)"));
}

// The numbered schema steps, oldest first. A schema change is one more entry here with the next
// number (and kVersionEsquema raised to it): each runs in its own transaction on older files and
// after the base schema on new ones, so both end up alike.
struct Migracion {
    int version;
    void (*aplicar)(Database&);
};
constexpr Migracion kMigraciones[] = {
    {1, migracion1},
    {2, migracion2},
    {3, migracion3},
};
static_assert(std::size(kMigraciones) == kVersionEsquema &&
                  kMigraciones[kVersionEsquema - 1].version == kVersionEsquema,
              "one migration per schema version, numbered from 1");

void aplicar(Database& db, const Migracion& m) {
    m.aplicar(db);
    db.ejecutar(QStringLiteral("PRAGMA user_version = %1").arg(m.version));
}

} // namespace

void Sincronizar(const QString& ruta, bool directorio) {
    const int fd =
        ::open(QFile::encodeName(ruta).constData(), directorio ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString RutaBaseNueva(const QString& ruta) {
    return ruta + QStringLiteral(".nueva");
}

QString DescripcionErrorSistema(int errnoSistema) {
    switch (errnoSistema) {
    case 0:
        return QString();
    case ENOSPC:
    case EDQUOT:
        return kSinEspacio;
    case EACCES:
    case EPERM:
        return QStringLiteral("No tiene permiso para acceder al archivo o a la carpeta.");
    case EROFS:
        return QStringLiteral("El disco o la carpeta son de solo lectura.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("No se encuentra el archivo o la carpeta.");
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        return QStringLiteral("El archivo está en uso por otro programa.");
    case EIO:
        return kDiscoFalla;
    case EEXIST:
        return QStringLiteral("Ya existe un archivo con ese nombre.");
    case ENOMEM:
        return kSinMemoria;
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Hay demasiados archivos abiertos.");
    case ENAMETOOLONG:
        return QStringLiteral("El nombre o la ruta del archivo es demasiado largo.");
    default:
        return QStringLiteral("El sistema no pudo acceder al archivo.");
    }
}

QString DescripcionErrorArchivo(QFileDevice::FileError error, int errnoSistema) {
    if (errnoSistema != 0)
        return DescripcionErrorSistema(errnoSistema);
    switch (error) {
    case QFileDevice::NoError:
        return QString();
    case QFileDevice::PermissionsError:
        return DescripcionErrorSistema(EACCES);
    case QFileDevice::ResourceError:
        return QStringLiteral("No quedan recursos en el sistema (espacio en disco o memoria).");
    case QFileDevice::OpenError:
        return QStringLiteral("No se puede abrir el archivo.");
    case QFileDevice::ReadError:
        return QStringLiteral("No se puede leer el archivo.");
    case QFileDevice::WriteError:
        return QStringLiteral("No se puede escribir el archivo.");
    case QFileDevice::RemoveError:
        return QStringLiteral("No se puede eliminar el archivo.");
    case QFileDevice::RenameError:
        return QStringLiteral("No se puede cambiar el nombre del archivo.");
    case QFileDevice::CopyError:
        return QStringLiteral("No se puede copiar el archivo.");
    default:
        return DescripcionErrorSistema(-1);
    }
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

ErrorBD Database::error(const QString& contexto, int errnoSistema) const {
    if (pg_)
        return pg_->error(nullptr, contexto);
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

Database::Database() = default;

Database::~Database() {
    cerrar();
}

void Database::abrir(const QString& ruta, const QByteArray& clave) {
    cerrar();
    // Left by a start that was interrupted while building the database: never complete.
    quitarConAnexos(RutaBaseNueva(ruta));
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
        if (intento == 0 && sinTablas()) {
            cerrar();
            if (QFileInfo(ruta).size() == 0)
                continue;
            conectar(ruta, clave, false, contexto);
        }
        break;
    }
    registrarFunciones();
    try {
        actualizarEsquema();
    } catch (...) {
        cerrar();
        throw;
    }
}

void Database::conectar(const QString& ruta, const QByteArray& clave, bool crear, const QString& contexto) {
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
        fallar(error(contexto, errnoApertura(ruta)));
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
        fallar(error(contexto, (rc & 0xff) == SQLITE_IOERR || (rc & 0xff) == SQLITE_CANTOPEN
                                   ? errnoApertura(ruta)
                                   : 0));
}

bool Database::sinTablas() {
    return leerEntero(*this, "SELECT count(*) FROM sqlite_master") == 0;
}

// Builds the whole database under a temporary name and renames it into place, so a start
// killed at any instant leaves either no database or a complete one.
void Database::crearNueva(const QString& ruta, const QByteArray& clave) {
    const QString nueva = RutaBaseNueva(ruta);
    const QString contexto =
        QStringLiteral("No se puede crear la base de datos \"%1\".").arg(QDir::toNativeSeparators(ruta));
    try {
        Database db;
        db.conectar(nueva, clave, true, contexto);
        // Nothing to recover in a file that is discarded when interrupted: no journal beside it,
        // and one explicit flush before the rename instead of one per page.
        db.ejecutar(QStringLiteral("PRAGMA journal_mode = MEMORY"));
        db.ejecutar(QStringLiteral("PRAGMA synchronous = OFF"));
        db.registrarFunciones();
        db.crearEsquema();
        db.cerrar();
    } catch (...) {
        quitarConAnexos(nueva);
        throw;
    }
    Sincronizar(nueva, false);
    // The journal of an emptied file would be taken as hot for the new one and "rolled back" into it.
    if (QFileInfo(ruta).size() == 0)
        quitarConAnexos(ruta);
    // Never over an existing file: one that appeared meanwhile is kept and this copy dropped.
    QFile archivo(nueva);
    if (!archivo.rename(ruta)) {
        const int err = QFileInfo::exists(ruta) ? EEXIST : errnoApertura(ruta);
        const QString detalle = archivo.errorString();
        quitarConAnexos(nueva);
        throw ErrorBD(contexto + QLatin1Char(' ') + DescripcionErrorArchivo(archivo.error(), err), detalle);
    }
    Sincronizar(QFileInfo(ruta).absolutePath(), true);
}

void Database::abrirServidor(const QString& conninfo, const QString& contrasena) {
    cerrar();
    pg_ = std::make_unique<ConexionPg>(conninfo, contrasena);
    ruta_ = pg_->nombre();
    try {
        // One desk at a time builds or updates the schema; the others wait and find it done.
        pg_->bloquearEsquema(true);
        if (sinTablas())
            crearEsquema();
        else
            actualizarEsquema();
        pg_->bloquearEsquema(false);
    } catch (...) {
        cerrar();
        throw;
    }
}

void Database::cerrar() {
    pg_.reset();
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void Database::registrarFunciones() {
    sqlite3_create_function_v2(db_, "mid", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, funcionMid,
                               nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db_, "contiene", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               funcionContiene, nullptr, nullptr, nullptr);
}

void Database::crearEsquema() {
    Transaccion t(*this);
    for (const char* sql : kEsquema)
        ejecutar(QString::fromUtf8(sql));
    if (pg_)
        pg_->completarEsquemaBase();
    // The placeholder client is the first row: an empty list then still has a current row
    // that means "no client".
    ejecutar(QStringLiteral("INSERT INTO Clientes (NumeroCliente, Localidad) VALUES (?, ?)"),
             {QStringLiteral("----"), QStringLiteral("-")});
    for (const char* nombre : {"Administrador", "Invitado"})
        ejecutar(QStringLiteral("INSERT INTO PassUsuarios (Nombre, \"Contraseña\") VALUES (?, ?)"),
                 {QString::fromUtf8(nombre), hashContrasena(QString())});
    // The base schema above is version 1; later steps run on top of it.
    for (const Migracion& m : kMigraciones)
        if (m.version > 1)
            aplicar(*this, m);
    ejecutar(QStringLiteral("PRAGMA user_version = %1").arg(kVersionEsquema));
    t.confirmar();
}

void Database::actualizarEsquema() {
    const qint64 version = leerEntero(*this, "PRAGMA user_version");
    if (version > kVersionEsquema)
        throw ErrorBD(
            QStringLiteral("La base de datos \"%1\" fue creada por una versión más reciente del programa "
                           "(versión de esquema %2); esta versión conoce hasta la %3. No se modificó el "
                           "archivo.")
                .arg(QDir::toNativeSeparators(ruta_))
                .arg(version)
                .arg(kVersionEsquema));
    for (const Migracion& m : kMigraciones) {
        if (m.version <= version)
            continue;
        try {
            Transaccion t(*this);
            aplicar(*this, m);
            t.confirmar();
        } catch (const ErrorBD& e) {
            // Rolled back: the file is still the older version, whole.
            if (e.descripcion().endsWith(QStringLiteral("No se modificó el archivo.")))
                throw;
            throw ErrorBD(
                QStringLiteral("No se pudo actualizar la base de datos \"%1\" a la versión de esquema %2: "
                               "%3 No se modificó el archivo.")
                    .arg(QDir::toNativeSeparators(ruta_))
                    .arg(m.version)
                    .arg(e.descripcion()),
                e.detalles());
        }
    }
}

void Database::ejecutar(const QString& sql, const QVariantList& parametros) {
    Statement st(*this, sql);
    st.enlazarTodos(parametros);
    while (st.paso()) {
    }
}

qint64 Database::ultimoId() const {
    if (pg_)
        return pg_->ultimoId();
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

int Database::filasAfectadas() const {
    if (pg_)
        return pg_->filasAfectadas();
    return db_ ? sqlite3_changes(db_) : 0;
}

void Database::comenzar() {
    if (pg_)
        return pg_->comenzar();
    ejecutar(QStringLiteral("BEGIN IMMEDIATE"));
}

void Database::confirmar() {
    if (pg_)
        return pg_->confirmar();
    ejecutar(QStringLiteral("COMMIT"));
}

void Database::deshacer() {
    if (pg_)
        return pg_->deshacer();
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Database::enTransaccion() const {
    if (pg_)
        return pg_->enTransaccion();
    return db_ && !sqlite3_get_autocommit(db_);
}

QString Database::ultimoError() const {
    if (pg_)
        return pg_->ultimoError();
    return mensajeSqlite(db_);
}

Statement::Statement(Database& db, const QString& sql) : db_(db) {
    if (!db.abierta())
        throw ErrorBD(QStringLiteral("La conexión con la base de datos no está abierta."));
    if (db.servidor()) {
        pg_ = std::make_unique<SentenciaPg>(*db.servidor(), sql);
        return;
    }
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), utf8.constData(), static_cast<int>(utf8.size()), &st_, nullptr) !=
        SQLITE_OK) {
        const ErrorBD e = db.error();
        sqlite3_finalize(st_);
        st_ = nullptr;
        throw e;
    }
}

Statement::~Statement() {
    sqlite3_finalize(st_);
}

void Statement::enlazar(int indice, const QVariant& valor) {
    if (pg_)
        return pg_->enlazar(indice, valor);
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

void Statement::enlazarUtf8(int indice, const QByteArray& utf8) {
    if (pg_)
        return pg_->enlazarTexto(indice, utf8);
    if (sqlite3_bind_text(st_, indice, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_STATIC) !=
        SQLITE_OK)
        throw db_.error();
}

void Statement::enlazarBlob(int indice, const QByteArray& datos) {
    if (pg_)
        return pg_->enlazarBlob(indice, datos);
    if (sqlite3_bind_blob(st_, indice, datos.constData(), static_cast<int>(datos.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        throw db_.error();
}

void Statement::enlazarTodos(const QVariantList& valores) {
    for (int i = 0; i < valores.size(); ++i)
        enlazar(i + 1, valores.at(i));
}

bool Statement::paso() {
    if (pg_)
        return pg_->paso();
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw db_.error();
}

void Statement::reiniciar() {
    if (pg_)
        return pg_->reiniciar();
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

int Statement::columnas() const {
    if (pg_)
        return pg_->columnas();
    return sqlite3_column_count(st_);
}

QString Statement::nombreColumna(int i) const {
    if (pg_)
        return pg_->nombreColumna(i);
    return QString::fromUtf8(sqlite3_column_name(st_, i));
}

QString Statement::texto(int i) const {
    if (pg_) {
        int largo = 0;
        const char* p = pg_->bytes(i, largo);
        return p ? QString::fromUtf8(p, largo) : QString();
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
    if (!p)
        return QString();
    return QString::fromUtf8(p, sqlite3_column_bytes(st_, i));
}

const char* Statement::bytes(int i, int& largo) const {
    if (pg_)
        return pg_->bytes(i, largo);
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
    largo = p ? sqlite3_column_bytes(st_, i) : 0;
    return p;
}

bool Statement::esNulo(int i) const {
    if (pg_)
        return pg_->esNulo(i);
    return sqlite3_column_type(st_, i) == SQLITE_NULL;
}

QByteArray Statement::blob(int i) const {
    if (pg_)
        return pg_->blob(i);
    const void* datos = sqlite3_column_blob(st_, i);
    return QByteArray(static_cast<const char*>(datos), datos ? sqlite3_column_bytes(st_, i) : 0);
}

qint64 Statement::entero(int i) const {
    if (pg_) {
        int largo = 0;
        const char* p = pg_->bytes(i, largo);
        return p ? QByteArray::fromRawData(p, largo).toLongLong() : 0;
    }
    return sqlite3_column_int64(st_, i);
}

Transaccion::~Transaccion() {
    if (!hecha_)
        db_.deshacer();
}

void Transaccion::confirmar() {
    db_.confirmar();
    hecha_ = true;
}
