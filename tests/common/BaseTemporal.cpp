#include "BaseTemporal.h"

#include "core/platform/DirectorioDatos.h"
#include "core/store/ConexionSqlcipher.h"

#include <QDir>
#include <QFile>

namespace {
QString plantilla() {
    static QTemporaryDir dir;
    static QString ruta;
    if (ruta.isEmpty()) {
        ruta = QDir(dir.path()).filePath(QStringLiteral("plantilla.wfg"));
        ConexionSqlcipher db(ruta, ClaveBaseDatos());
    }
    return ruta;
}
} // namespace

BaseTemporal::BaseTemporal() {
    QFile::copy(plantilla(), ruta());
    QFile(ruta()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    EstablecerDirectorioDatos(dir_.path());
}

BaseTemporal::~BaseTemporal() = default;

QString BaseTemporal::ruta() const {
    return QDir(dir_.path()).filePath(QLatin1String(kNombreBaseDatos));
}

Conexion& BaseTemporal::registro() {
    if (!registro_)
        registro_ = std::make_unique<ConexionSqlcipher>(ruta(), ClaveBaseDatos());
    return *registro_;
}

void BaseTemporal::cerrar() {
    registro_.reset();
}
