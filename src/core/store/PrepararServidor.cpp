#include "core/store/PrepararServidor.h"

#include "core/store/ConexionPostgres.h"

#include "SqlServidor.h"

#include <libpq-fe.h>

QString SqlServidor() {
    return QString::fromUtf8(kSqlServidor);
}

void PrepararServidor(const QString& conninfo, const QString& contrasena) {
    ConexionPostgres servidor(conninfo, contrasena, AperturaServidor::Preparacion);
    servidor.prepararEsquema();
    // The file is many statements: the simple protocol runs them in one transaction.
    Transaccion t(servidor);
    PGresult* r = PQexec(servidor.handle(), kSqlServidor);
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK) {
        const ErrorBD e = servidor.error(r, QStringLiteral("No se pudieron dar los permisos del registro."));
        PQclear(r);
        throw e;
    }
    PQclear(r);
    t.confirmar();
}
