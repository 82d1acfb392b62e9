#include "store/BaseDatos.h"

#include "store/Contrasenas.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace {

QString mensajeSqlite(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("sin conexión");
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

} // namespace

Database::~Database() {
    cerrar();
}

void Database::abrir(const QString& ruta, const QByteArray& clave) {
    cerrar();
    const bool existe = QFileInfo::exists(ruta);
    const int flags = SQLITE_OPEN_READWRITE | (existe ? 0 : SQLITE_OPEN_CREATE) | SQLITE_OPEN_FULLMUTEX;
    sqlite3* db = nullptr;
    const QByteArray rutaUtf8 = QFile::encodeName(ruta);
    int rc = sqlite3_open_v2(rutaUtf8.constData(), &db, flags, nullptr);
    auto fallar = [&](const QString& descripcion) {
        sqlite3_close(db);
        db_ = nullptr;
        if (!existe)
            QFile::remove(ruta);
        throw ErrorBD(descripcion);
    };
    if (rc != SQLITE_OK)
        fallar(QStringLiteral("No se puede abrir la base de datos \"%1\": %2").arg(ruta, mensajeSqlite(db)));
    // The key goes through the API, never through a statement text that could be logged.
    if (sqlite3_key(db, clave.constData(), static_cast<int>(clave.size())) != SQLITE_OK)
        fallar(QStringLiteral("No se puede abrir la base de datos \"%1\": no se pudo aplicar la clave.")
                   .arg(ruta));
    sqlite3_busy_timeout(db, 3000);
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        fallar(QStringLiteral("La base de datos \"%1\" está bloqueada por otro programa. Ciérrelo e intente "
                              "nuevamente.")
                   .arg(ruta));
    if (rc != SQLITE_OK)
        fallar(
            QStringLiteral("No se puede abrir la base de datos \"%1\": la clave no es correcta o el archivo "
                           "no es una base de datos del sistema.")
                .arg(ruta));
    db_ = db;
    ruta_ = ruta;
    registrarFunciones();
    if (!existe) {
        try {
            crearEsquema();
        } catch (const ErrorBD& e) {
            sqlite3_close(db_);
            db_ = nullptr;
            QFile::remove(ruta);
            throw;
        }
    }
}

void Database::cerrar() {
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
    // The placeholder client is the first row: an empty list then still has a current row
    // that means "no client".
    ejecutar(QStringLiteral("INSERT INTO Clientes (NumeroCliente, Localidad) VALUES (?, ?)"),
             {QStringLiteral("----"), QStringLiteral("-")});
    for (const char* nombre : {"Administrador", "Invitado"})
        ejecutar(QStringLiteral("INSERT INTO PassUsuarios (Nombre, \"Contraseña\") VALUES (?, ?)"),
                 {QString::fromUtf8(nombre), hashContrasena(QString())});
    t.confirmar();
}

void Database::ejecutar(const QString& sql, const QVariantList& parametros) {
    Statement st(*this, sql);
    st.enlazarTodos(parametros);
    while (st.paso()) {
    }
}

qint64 Database::ultimoId() const {
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

int Database::filasAfectadas() const {
    return db_ ? sqlite3_changes(db_) : 0;
}

void Database::comenzar() {
    ejecutar(QStringLiteral("BEGIN IMMEDIATE"));
}

void Database::confirmar() {
    ejecutar(QStringLiteral("COMMIT"));
}

void Database::deshacer() {
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Database::enTransaccion() const {
    return db_ && !sqlite3_get_autocommit(db_);
}

QString Database::ultimoError() const {
    return mensajeSqlite(db_);
}

Statement::Statement(Database& db, const QString& sql) : db_(db) {
    if (!db.abierta())
        throw ErrorBD(QStringLiteral("La conexión con la base de datos no está abierta."));
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), utf8.constData(), static_cast<int>(utf8.size()), &st_, nullptr) !=
        SQLITE_OK) {
        const QString error = db.ultimoError();
        sqlite3_finalize(st_);
        st_ = nullptr;
        throw ErrorBD(QStringLiteral("Error en la base de datos: %1").arg(error));
    }
}

Statement::~Statement() {
    sqlite3_finalize(st_);
}

void Statement::enlazar(int indice, const QVariant& valor) {
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
        throw ErrorBD(QStringLiteral("Error en la base de datos: %1").arg(db_.ultimoError()));
}

void Statement::enlazarTodos(const QVariantList& valores) {
    for (int i = 0; i < valores.size(); ++i)
        enlazar(i + 1, valores.at(i));
}

bool Statement::paso() {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        throw ErrorBD(QStringLiteral("La base de datos está bloqueada por otro programa."));
    throw ErrorBD(QStringLiteral("Error en la base de datos: %1").arg(db_.ultimoError()));
}

void Statement::reiniciar() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

int Statement::columnas() const {
    return sqlite3_column_count(st_);
}

QString Statement::nombreColumna(int i) const {
    return QString::fromUtf8(sqlite3_column_name(st_, i));
}

QString Statement::texto(int i) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
    if (!p)
        return QString();
    return QString::fromUtf8(p, sqlite3_column_bytes(st_, i));
}

const char* Statement::bytes(int i, int& largo) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
    largo = p ? sqlite3_column_bytes(st_, i) : 0;
    return p;
}

bool Statement::esNulo(int i) const {
    return sqlite3_column_type(st_, i) == SQLITE_NULL;
}

qint64 Statement::entero(int i) const {
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
