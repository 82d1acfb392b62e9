#pragma once

#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;
class ConexionPg;
class SentenciaPg;

// Failure of the store: a description fit to show the user (Spanish) and, apart, the technical
// cause from SQLite or the system (English, for support). Keys and full statements with their
// values never go into either.
class ErrorBD : public std::runtime_error {
public:
    explicit ErrorBD(const QString& descripcion, const QString& detalles = QString())
        : std::runtime_error(descripcion.toStdString()), descripcion_(descripcion), detalles_(detalles) {}
    const QString& descripcion() const { return descripcion_; }
    const QString& detalles() const { return detalles_; }

private:
    QString descripcion_;
    QString detalles_;
};

// Plain Spanish sentences for the common causes of a failure. The SQLite one takes an
// (extended) result code and, when known, the system's errno behind it.
QString DescripcionErrorSqlite(int codigo, int errnoSistema = 0);
QString DescripcionErrorSistema(int errnoSistema);
QString DescripcionErrorArchivo(QFileDevice::FileError error, int errnoSistema = 0);

// Schema version this program writes (PRAGMA user_version). Older files are brought up to it
// at open; newer ones are refused untouched.
inline constexpr int kVersionEsquema = 3;

// Flushes a file (or a directory after a rename) to the disk; best effort.
void Sincronizar(const QString& ruta, bool directorio);

// Where a new database is built before it is moved into place.
QString RutaBaseNueva(const QString& ruta);

class Statement;

// One physical SQLCipher connection. Opening derives the key, which is slow, so the
// program opens it once per process and the slots share it. It is used only from the thread
// that opened it.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing file and brings its schema up to date or, when it does not exist or is
    // empty, builds it complete under RutaBaseNueva() and moves it into place. A file that exists
    // but cannot be opened with the key, or is newer than this program, is left untouched.
    void abrir(const QString& ruta, const QByteArray& clave);
    // Opens the shared register on a PostgreSQL server (libpq connection string; the password,
    // when given, only in memory), building or updating its schema like abrir() does.
    void abrirServidor(const QString& conninfo, const QString& contrasena = QString());
    void cerrar();
    bool abierta() const { return db_ != nullptr || pg_ != nullptr; }
    bool esServidor() const { return pg_ != nullptr; }
    ConexionPg* servidor() const { return pg_.get(); }
    const QString& ruta() const { return ruta_; }

    void ejecutar(const QString& sql, const QVariantList& parametros = {});
    qint64 ultimoId() const;
    int filasAfectadas() const;

    void comenzar();
    void confirmar();
    void deshacer();
    bool enTransaccion() const;

    sqlite3* handle() const { return db_; }
    QString ultimoError() const;

    // The failure of the last call on this connection, with `contexto` before the cause.
    ErrorBD error(const QString& contexto = QString(), int errnoSistema = 0) const;

private:
    void conectar(const QString& ruta, const QByteArray& clave, bool crear, const QString& contexto);
    bool sinTablas();
    void crearNueva(const QString& ruta, const QByteArray& clave);
    void crearEsquema();
    void actualizarEsquema();
    void registrarFunciones();

    sqlite3* db_ = nullptr;
    std::unique_ptr<ConexionPg> pg_;
    QString ruta_;
};

// A prepared statement with bound parameters; values never go into the SQL text.
class Statement {
public:
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void enlazar(int indice, const QVariant& valor); // 1-based
    void enlazarTodos(const QVariantList& valores);
    // Text already in UTF-8, not copied: it must stay alive until the step.
    void enlazarUtf8(int indice, const QByteArray& utf8);
    void enlazarBlob(int indice, const QByteArray& datos);
    bool paso(); // true while a row is available
    void reiniciar();
    int columnas() const;
    QString nombreColumna(int i) const;
    QString texto(int i) const; // NULL reads as empty text
    // The column's UTF-8 bytes, valid until the next step; nullptr for NULL.
    const char* bytes(int i, int& largo) const;
    bool esNulo(int i) const;
    QByteArray blob(int i) const;
    qint64 entero(int i) const;

private:
    Database& db_;
    sqlite3_stmt* st_ = nullptr;
    std::unique_ptr<SentenciaPg> pg_;
};

// Every transaction of the program goes through this guard: rolled back unless confirmed.
class Transaccion {
public:
    explicit Transaccion(Database& db) : db_(db) { db_.comenzar(); }
    ~Transaccion();
    Transaccion(const Transaccion&) = delete;
    Transaccion& operator=(const Transaccion&) = delete;
    void confirmar();

private:
    Database& db_;
    bool hecha_ = false;
};
