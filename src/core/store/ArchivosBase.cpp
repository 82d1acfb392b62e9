#include "core/store/ArchivosBase.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

void Sincronizar(const QString& ruta, bool directorio) {
    const int fd =
        ::open(QFile::encodeName(ruta).constData(), directorio ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString RutaBaseNueva(const QString& ruta) {
    return ruta + QStringLiteral(".nueva");
}

void QuitarConAnexos(const QString& ruta) {
    for (const char* sufijo : {"", "-journal", "-wal", "-shm"})
        QFile::remove(ruta + QLatin1String(sufijo));
}
