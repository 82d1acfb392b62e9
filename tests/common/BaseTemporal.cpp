#include "BaseTemporal.h"

#include "core/platform/DirectorioDatos.h"
#include "core/store/modVarios.h"

#include <QDir>
#include <QFile>

namespace {
QString plantilla() {
    static QTemporaryDir dir;
    static QString ruta;
    if (ruta.isEmpty()) {
        ruta = QDir(dir.path()).filePath(QStringLiteral("plantilla.wfg"));
        Database db;
        db.abrir(ruta, ClaveBaseDatos());
    }
    return ruta;
}
} // namespace

BaseTemporal::BaseTemporal() {
    CerrarBaseDatos();
    QFile::copy(plantilla(), ruta());
    QFile(ruta()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    ConfigurarBaseDatos(ruta());
    EstablecerDirectorioDatos(dir_.path());
}

BaseTemporal::~BaseTemporal() {
    CerrarBaseDatos();
    ConfigurarBaseDatos(QString());
}

QString BaseTemporal::ruta() const {
    return QDir(dir_.path()).filePath(QLatin1String(kNombreBaseDatos));
}
