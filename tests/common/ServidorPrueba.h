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
    // The connection string of an existing database, as the superuser.
    QString conninfo(const QString& base) const;
    // Listens on TCP to localhost too, on a free port, restarting the server (connection strings
    // taken before then no longer hold). False when it cannot.
    bool escucharTcp();
    // As conninfo(), through TCP to localhost; empty before escucharTcp().
    QString conninfoTcp(const QString& base) const;
    const QString& socket() const { return socket_; }
    // Runs SQL as the superuser on a database (the server's own when empty); false on failure.
    bool sql(const QString& sentencia, const QString& base = QString());
    bool detener();
    bool arrancar();

private:
    ServidorPrueba() = default;
    bool correr(const QString& programa, const QStringList& argumentos, QString* salida = nullptr);
    bool iniciar(QString* motivo);

    QTemporaryDir dir_;
    QString bin_;
    QString datos_;
    QString socket_;
    int bases_ = 0;
    int puerto_ = 0; // TCP; 0: the socket alone
    bool plantilla_ = false;
};
