#pragma once

#include "core/store/CambiosAjenos.h"
#include "core/store/ErrorBD.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>

class Dialecto;
class QObject;
class Sentencia;

// One open register, whichever store keeps it. Opening it is slow (key derivation, or a server
// session), so the program opens it once and hands the same object to whatever needs it. It is
// used only from the thread that opened it.
class Conexion {
public:
    virtual ~Conexion() = default;
    Conexion(const Conexion&) = delete;
    Conexion& operator=(const Conexion&) = delete;

    // Throws ErrorBD when the text is not valid or the register is closed.
    virtual std::unique_ptr<Sentencia> preparar(const QString& sql) = 0;
    // Runs a statement to the end; its rows are ignored.
    void ejecutar(const QString& sql, const QVariantList& parametros = {});
    virtual qint64 ultimoId() = 0;
    virtual int filasAfectadas() = 0;

    virtual void comenzar() = 0;
    virtual void confirmar() = 0;
    virtual void deshacer() = 0;
    virtual bool enTransaccion() const = 0;

    virtual bool abierta() const = 0;
    virtual QString ultimoError() const = 0;
    // The failure of the last call, with `contexto` before the cause.
    virtual ErrorBD error(const QString& contexto = QString()) const = 0;
    // Where the SQL of the two stores differs.
    virtual const Dialecto& dialecto() const = 0;
    // What the register is called in messages: the file's path or the server's database.
    const QString& ruta() const { return ruta_; }

    // Extras of the base schema this store needs beside the tables (run inside its transaction).
    virtual void completarEsquemaBase() = 0;

    // The register's file, empty when there is none: copies, restores and checks are of the file.
    virtual QString archivo() const = 0;
    // Runs `cambio` with the file closed (a restore replacing it), then opens it again. Throws what
    // `cambio` or the reopening throws; the file is reopened in either case when it can be.
    virtual void conArchivoCerrado(const std::function<void()>& cambio) = 0;

    // Whether people sign in with their own logins on the register's server (whose roles then give
    // the rights) instead of the program's accounts.
    virtual bool sesionEnServidor() const { return false; }
    // The server login the login window offers first.
    virtual QString usuarioPropuesto() const { return QString(); }
    // Signs in on the server as that login. Throws ErrorBD with the reason.
    virtual void iniciarSesion(const QString& usuario, const QString& clave);

    // Calls `aviso`, in `receptor`'s thread and while it lives, with what another desk changed in
    // the register.
    virtual void avisarCambiosAjenos(QObject* receptor, std::function<void(const CambiosAjenos&)> aviso) = 0;

    // Reads in two parts at once: `parte(*this, 0)` here while `parte(otra, 1)` runs on a second
    // connection to the same register in another thread, both seeing one committed state (the
    // second part runs here afterwards when no second connection could join that state at once).
    // Returns false, having run neither, where the store cannot: a server, an open transaction.
    virtual bool leerEnDosPartes(const std::function<void(Conexion&, int parte)>& parte) {
        (void)parte;
        return false;
    }

protected:
    Conexion() = default;
    QString ruta_;
};

// A prepared statement with bound parameters; values never go into the SQL text.
class Sentencia {
public:
    virtual ~Sentencia() = default;
    Sentencia(const Sentencia&) = delete;
    Sentencia& operator=(const Sentencia&) = delete;

    virtual void enlazar(int indice, const QVariant& valor) = 0; // 1-based
    void enlazarTodos(const QVariantList& valores);
    // Text already in UTF-8, not copied: it must stay alive until the step.
    virtual void enlazarUtf8(int indice, const QByteArray& utf8) = 0;
    virtual void enlazarBlob(int indice, const QByteArray& datos) = 0;
    virtual bool paso() = 0; // true while a row is available
    virtual void reiniciar() = 0;
    virtual int columnas() = 0;
    virtual QString nombreColumna(int i) = 0;
    QString texto(int i) const; // NULL reads as empty text
    // The column's UTF-8 bytes, valid until the next step; nullptr for NULL.
    virtual const char* bytes(int i, int& largo) const = 0;
    virtual bool esNulo(int i) const = 0;
    virtual QByteArray blob(int i) const = 0;
    virtual qint64 entero(int i) const = 0;

protected:
    Sentencia() = default;
};

// Every transaction of the program goes through this guard: rolled back unless confirmed.
class Transaccion {
public:
    explicit Transaccion(Conexion& db) : db_(db) { db_.comenzar(); }
    ~Transaccion();
    Transaccion(const Transaccion&) = delete;
    Transaccion& operator=(const Transaccion&) = delete;
    void confirmar();

private:
    Conexion& db_;
    bool hecha_ = false;
};
