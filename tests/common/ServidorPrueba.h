#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A PostgreSQL server of its own for the tests: initdb into a temporary folder and pg_ctl on a
// Unix socket inside it (through runuser as the postgres user when running as root, since initdb
// refuses root), stopped and removed at the end. One per process: started on first use.
class ServidorPrueba {
public:
    ~ServidorPrueba();
    // The process's server, or null with the reason (binaries missing, start failed).
    static ServidorPrueba* compartido(QString* motivo = nullptr);

    // A fresh database with the register's schema already built, as a libpq connection string.
    QString baseNueva();
    // The connection string of an existing database, as the superuser (on the socket).
    QString conninfo(const QString& base) const;
    // Whether the server also listens on TCP to localhost (it does whenever it has TLS).
    bool escucharTcp() const { return tls_; }
    // As conninfo(), through TCP to localhost; empty before escucharTcp().
    QString conninfoTcp(const QString& base) const;
    // The same over TCP with TLS, as `usuario`, checking the server's certificate against the
    // tests' own authority (verify-full); `host` other than "localhost" does not match it.
    QString conninfoTls(const QString& base, const QString& usuario,
                        const QString& host = QStringLiteral("localhost")) const;
    // Whether the server listens with TLS (openssl made its certificate).
    bool hayTls() const { return tls_; }
    const QString& autoridad() const { return autoridad_; }
    int puerto() const { return puerto_; }
    // A login with a password (SCRAM over TCP), member of `rol` by a plain GRANT.
    bool crearPersona(const QString& nombre, const QString& rol,
                      const QString& clave = QStringLiteral("clave"));
    const QString& socket() const { return socket_; }
    // Runs SQL as the superuser on a database (the server's own when empty); false on failure.
    bool sql(const QString& sentencia, const QString& base = QString());
    // Runs one of the server's programs (pg_dump, pg_restore ...) as the server's user; its files
    // go in carpeta().
    bool programa(const QString& nombre, const QStringList& argumentos, QString* salida = nullptr) {
        return correr(nombre, argumentos, salida);
    }
    QString carpeta() const { return dir_.path(); }
    bool detener();
    bool arrancar();

private:
    ServidorPrueba() = default;
    bool correr(const QString& programa, const QStringList& argumentos, QString* salida = nullptr);
    bool iniciar(QString* motivo);
    bool crearCertificados();

    QTemporaryDir dir_;
    QString bin_;
    QString datos_;
    QString socket_;
    QString autoridad_;
    bool tls_ = false;
    int puerto_ = 0;
    int bases_ = 0;
    bool plantilla_ = false;
};
