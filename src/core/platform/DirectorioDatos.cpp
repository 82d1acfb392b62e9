#include "core/platform/DirectorioDatos.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString directorioActual;
}

QString ResolverDirectorioDatos(const QStringList& argumentos, QString* error) {
    for (int i = 0; i < argumentos.size(); ++i) {
        QString valor;
        if (argumentos.at(i) == QLatin1String("--data-dir") && i + 1 < argumentos.size())
            valor = argumentos.at(i + 1);
        else if (argumentos.at(i).startsWith(QLatin1String("--data-dir=")))
            valor = argumentos.at(i).mid(11);
        else
            continue;
        QDir dir(valor);
        if (!dir.exists() && !QDir().mkpath(valor)) {
            if (error)
                *error = QStringLiteral("No se puede crear el directorio de datos \"%1\".").arg(valor);
            return QString();
        }
        return dir.absolutePath();
    }
    const QString app = QCoreApplication::applicationDirPath();
    const QFileInfo info(app);
    // Installed by the package (/usr/bin) the program's directory is the system's, even for root.
    const bool instalado = app.startsWith(QLatin1String("/usr/"));
    if ((info.isWritable() && !instalado) ||
        QFileInfo::exists(QDir(app).filePath(QLatin1String(kNombreBaseDatos))))
        return app;
    const QString usuario = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(usuario);
    return usuario;
}

void EstablecerDirectorioDatos(const QString& directorio) {
    directorioActual = directorio;
}

QString DirectorioDatos() {
    return directorioActual;
}
