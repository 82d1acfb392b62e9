#include "core/store/SeguridadConexion.h"

#include <QCryptographicHash>
#include <QSettings>

#include <libpq-fe.h>

#include <cstring>

const QString kPideContrasena = QStringLiteral("El servidor pide una contraseña para este usuario.");
const QString kContrasenaIncorrecta = QStringLiteral("El usuario o la contraseña no son correctos.");

QString ValorConexion(const QString& conninfo, const char* clave) {
    char* fallo = nullptr;
    PQconninfoOption* opciones = PQconninfoParse(conninfo.toUtf8().constData(), &fallo);
    PQfreemem(fallo);
    if (!opciones)
        return QString();
    QString valor;
    for (PQconninfoOption* o = opciones; o->keyword; ++o)
        if (std::strcmp(o->keyword, clave) == 0 && o->val)
            valor = QString::fromUtf8(o->val);
    PQconninfoFree(opciones);
    return valor;
}

bool HostRemoto(const QString& conninfo) {
    QString hosts = ValorConexion(conninfo, "host");
    if (hosts.isEmpty())
        hosts = ValorConexion(conninfo, "hostaddr");
    if (hosts.isEmpty())
        hosts = qEnvironmentVariable("PGHOST");
    // No host: libpq's default socket on this machine.
    for (const QString& h : hosts.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString host = h.trimmed().toLower();
        const bool local = host.startsWith(QLatin1Char('/')) || host.startsWith(QLatin1Char('@')) ||
                           host == QLatin1String("localhost") || host.startsWith(QLatin1String("127.")) ||
                           host == QLatin1String("::1");
        if (!local)
            return true;
    }
    return false;
}

bool ConexionSinCifrar(const QString& conninfo) {
    if (!HostRemoto(conninfo))
        return false;
    QString modo = ValorConexion(conninfo, "sslmode");
    if (modo.isEmpty())
        modo = qEnvironmentVariable("PGSSLMODE");
    return modo == QLatin1String("disable") || modo == QLatin1String("allow") ||
           modo == QLatin1String("prefer");
}

namespace {

QString claveAceptacion(const QString& conninfo) {
    const QByteArray h = QCryptographicHash::hash(conninfo.trimmed().toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("registro/sin_cifrar_") + QString::fromLatin1(h.toHex().left(16));
}

QSettings ajustesUsuario() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("velmora"),
                     QStringLiteral("velmora-kv270"));
}

} // namespace

bool SinCifrarAceptada(const QString& conninfo) {
    return ajustesUsuario().value(claveAceptacion(conninfo)).toBool();
}

void AceptarSinCifrar(const QString& conninfo) {
    QSettings ajustes = ajustesUsuario();
    ajustes.setValue(claveAceptacion(conninfo), true);
    ajustes.sync();
}

QString CausaConexion(const QString& m, bool pideContrasena) {
    if (pideContrasena || m.contains(QLatin1String("no password supplied")))
        return kPideContrasena;
    if (m.contains(QLatin1String("password authentication failed")) ||
        m.contains(QLatin1String("authentication failed")))
        return kContrasenaIncorrecta;
    // TLS before the rest: its messages mention files and permissions too.
    if (m.contains(QLatin1String("does not match host name")))
        return QStringLiteral(
            "El certificado del servidor no corresponde a la dirección a la que se conecta: "
            "podría no ser el servidor del registro. No se estableció la conexión.");
    if (m.contains(QLatin1String("root certificate file")))
        return QStringLiteral(
            "Falta el certificado de la autoridad que firma el del servidor (archivo "
            "~/.postgresql/root.crt, u opción sslrootcert de la cadena de conexión). No se estableció la "
            "conexión.");
    if (m.contains(QLatin1String("certificate verify failed")) ||
        m.contains(QLatin1String("self-signed certificate")) || m.contains(QLatin1String("self signed")))
        return QStringLiteral(
            "El certificado del servidor no está firmado por una autoridad de confianza. No "
            "se estableció la conexión.");
    if (m.contains(QLatin1String("server does not support SSL")))
        return QStringLiteral(
            "El servidor no admite conexiones cifradas (TLS). No se estableció la conexión.");
    if (m.contains(QLatin1String("SSL")) || m.contains(QLatin1String("certificate")))
        return QStringLiteral("No se pudo establecer una conexión segura con el servidor (certificado).");
    if (m.contains(QLatin1String("does not exist")) && m.contains(QLatin1String("database")))
        return QStringLiteral("La base de datos indicada no existe en el servidor.");
    if (m.contains(QLatin1String("role")) && m.contains(QLatin1String("does not exist")))
        return QStringLiteral("El usuario indicado no existe en el servidor.");
    if (m.contains(QLatin1String("no pg_hba.conf entry")) || m.contains(QLatin1String("permission denied")))
        return QStringLiteral("El servidor no admite conexiones de este usuario desde este equipo.");
    if (m.contains(QLatin1String("invalid connection option")) ||
        m.contains(QLatin1String("missing \"=\"")) || m.contains(QLatin1String("invalid")))
        return QStringLiteral("La cadena de conexión del registro compartido no es válida.");
    return QStringLiteral("No se puede conectar con el servidor. Compruebe que esté encendido, que la red "
                          "funcione y que la dirección sea la correcta.");
}
