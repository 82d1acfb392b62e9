#include "core/accounts/DerechosServidor.h"

#include "core/store/ConexionPostgres.h"
#include "core/store/ErrorBD.h"

#include <QSysInfo>

#include <libpq-fe.h>

namespace {

ConexionPostgres& servidor(Conexion& db) {
    auto* pg = dynamic_cast<ConexionPostgres*>(&db);
    if (!pg || !pg->abierta())
        throw ErrorBD(QStringLiteral("Las personas y sus roles solo existen en un registro compartido."));
    return *pg;
}

} // namespace

Derechos LeerDerechosServidor(Conexion& db) {
    const auto st =
        db.preparar(QStringLiteral("SELECT pg_has_role(session_user, 'velmora_administrador', 'MEMBER'), "
                                   "pg_has_role(session_user, 'velmora_oficina', 'MEMBER'), "
                                   "pg_has_role(session_user, 'velmora_consulta', 'MEMBER')"));
    if (!st->paso())
        return Derechos::Ninguno;
    if (st->texto(0) == QLatin1String("t"))
        return Derechos::Administrar;
    if (st->texto(1) == QLatin1String("t"))
        return Derechos::Escribir;
    return st->texto(2) == QLatin1String("t") ? Derechos::Consulta : Derechos::Ninguno;
}

QString RolDeDerechos(Derechos derechos) {
    switch (derechos) {
    case Derechos::Administrar:
        return QStringLiteral("velmora_administrador");
    case Derechos::Escribir:
        return QStringLiteral("velmora_oficina");
    case Derechos::Consulta:
        return QStringLiteral("velmora_consulta");
    case Derechos::Ninguno:
        break;
    }
    return QString();
}

Derechos DerechosDeRol(const QString& rol) {
    for (const Derechos d : {Derechos::Consulta, Derechos::Escribir, Derechos::Administrar})
        if (RolDeDerechos(d) == rol)
            return d;
    return Derechos::Ninguno;
}

std::vector<PersonaServidor> LeerPersonasServidor(Conexion& db) {
    servidor(db);
    const auto st = db.preparar(QStringLiteral("SELECT persona, rol FROM velmora_personas()"));
    std::vector<PersonaServidor> personas;
    while (st->paso())
        personas.push_back({st->texto(0), DerechosDeRol(st->texto(1))});
    return personas;
}

void AltaPersonaServidor(Conexion& db, const QString& nombre, const QString& clave, Derechos derechos) {
    ConexionPostgres& pg = servidor(db);
    if (nombre.trimmed().isEmpty() || clave.isEmpty())
        throw ErrorBD(QStringLiteral("Escriba el nombre de usuario y su contraseña."));
    if (derechos == Derechos::Ninguno)
        throw ErrorBD(QStringLiteral("Elija el rol de la persona."));
    char* verificador = PQencryptPasswordConn(pg.handle(), clave.toUtf8().constData(),
                                              nombre.toUtf8().constData(), "scram-sha-256");
    if (!verificador)
        throw pg.error(QStringLiteral("No se pudo cifrar la contraseña."));
    const QString texto = QString::fromUtf8(verificador);
    PQfreemem(verificador);
    db.ejecutar(QStringLiteral("SELECT velmora_alta_persona(?, ?, ?, ?)"),
                {nombre, texto, RolDeDerechos(derechos), QSysInfo::machineHostName()});
}

void BajaPersonaServidor(Conexion& db, const QString& nombre) {
    servidor(db);
    db.ejecutar(QStringLiteral("SELECT velmora_baja_persona(?, ?)"), {nombre, QSysInfo::machineHostName()});
}
