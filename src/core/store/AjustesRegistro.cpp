#include "core/store/AjustesRegistro.h"

#include <QSettings>

#include <libpq-fe.h>

#include <cstring>

namespace {

const QString kClaveAjustes = QStringLiteral("registro/conexion");

// Per user (~/.config/velmora/velmora-kv270.conf), the same file whichever program reads it.
QSettings ajustesUsuario() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("velmora"),
                     QStringLiteral("velmora-kv270"));
}

QString textoServidor(const char* s) {
    return QString::fromUtf8(s ? s : "").trimmed();
}

} // namespace

QString ConexionRegistroGuardada() {
    return ajustesUsuario().value(kClaveAjustes).toString();
}

bool GuardarConexionRegistro(const QString& conninfo, QString* error) {
    const QString texto = conninfo.trimmed();
    if (!texto.isEmpty()) {
        char* fallo = nullptr;
        PQconninfoOption* opciones = PQconninfoParse(texto.toUtf8().constData(), &fallo);
        if (!opciones) {
            if (error)
                *error = QStringLiteral("La cadena de conexión no es válida: %1").arg(textoServidor(fallo));
            PQfreemem(fallo);
            return false;
        }
        bool conClave = false;
        for (PQconninfoOption* o = opciones; o->keyword; ++o)
            conClave = conClave || (std::strcmp(o->keyword, "password") == 0 && o->val && *o->val);
        PQconninfoFree(opciones);
        if (conClave) {
            if (error)
                *error =
                    QStringLiteral("La cadena de conexión no puede llevar la contraseña: no se guarda en "
                                   "texto plano. Póngala en el archivo ~/.pgpass o escríbala al iniciar el "
                                   "programa.");
            return false;
        }
    }
    QSettings ajustes(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("velmora"),
                      QStringLiteral("velmora-kv270"));
    if (texto.isEmpty())
        ajustes.remove(kClaveAjustes);
    else
        ajustes.setValue(kClaveAjustes, texto);
    ajustes.sync();
    if (ajustes.status() != QSettings::NoError) {
        if (error)
            *error = QStringLiteral("No se pudo guardar la configuración del usuario.");
        return false;
    }
    return true;
}
