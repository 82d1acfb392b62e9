#include "core/output/GuardarEmitido.h"

#include "core/store/ErrorBD.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void fijar(QString* error, const QString& texto) {
    if (error)
        *error = texto;
}

} // namespace

bool GuardarEmitido(const QString& destino, const EscribirDocumento& escribir, const AnotarDocumento& anotar,
                    QString* error) {
    const QFileInfo info(destino);
    // Beside the target, so that moving it there is a rename on the same file system.
    QTemporaryFile temporal(info.dir().filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName())));
    if (!temporal.open()) {
        const QString carpeta = QDir::toNativeSeparators(info.absolutePath());
        fijar(error, QStringLiteral("No se pudo guardar \"%1\": %2")
                         .arg(QDir::toNativeSeparators(destino),
                              info.dir().exists()
                                  ? QStringLiteral("no se puede escribir en la carpeta \"%1\".").arg(carpeta)
                                  : QStringLiteral("la carpeta \"%1\" no existe.").arg(carpeta)));
        return false;
    }
    temporal.close();
    const QString ruta = temporal.fileName();
    QString motivo;
    if (!escribir(ruta, &motivo)) {
        fijar(error, motivo.replace(ruta, destino));
        return false;
    }
    // The temporary file was made private; the document gets the permissions a new file gets.
    const mode_t mascara = ::umask(0);
    ::umask(mascara);
    ::chmod(QFile::encodeName(ruta).constData(), 0666 & ~mascara);
    // An earlier file stays reachable until the entry is committed, in case the commit fails.
    const QString anterior = ruta + QStringLiteral(".anterior");
    const bool habia = QFileInfo::exists(destino) && ::link(QFile::encodeName(destino).constData(),
                                                            QFile::encodeName(anterior).constData()) == 0;
    bool movido = false;
    try {
        anotar([&] {
            if (std::rename(QFile::encodeName(ruta).constData(), QFile::encodeName(destino).constData()) != 0)
                throw ErrorBD(QStringLiteral("No se pudo poner el archivo en \"%1\".")
                                  .arg(QDir::toNativeSeparators(destino)));
            movido = true;
        });
    } catch (const ErrorBD& e) {
        if (movido) {
            if (habia)
                std::rename(QFile::encodeName(anterior).constData(), QFile::encodeName(destino).constData());
            else
                QFile::remove(destino);
        }
        if (habia)
            QFile::remove(anterior);
        fijar(error,
              QStringLiteral("No se guardó el documento: no se pudo anotar su emisión en el registro de "
                             "actividad (%1).")
                  .arg(e.descripcion()));
        return false;
    }
    if (habia)
        QFile::remove(anterior);
    temporal.setAutoRemove(false);
    return true;
}
