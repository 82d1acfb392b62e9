#include "core/store/ErrorBD.h"

#include <cerrno>

namespace {
const QString kSinEspacio = QStringLiteral("No queda espacio libre en el disco.");
const QString kSinMemoria = QStringLiteral("No hay memoria suficiente.");
const QString kDiscoFalla =
    QStringLiteral("No se pudo leer o escribir en el disco. Compruebe que esté conectado y funcione bien.");
} // namespace

QString DescripcionErrorSistema(int errnoSistema) {
    switch (errnoSistema) {
    case 0:
        return QString();
    case ENOSPC:
    case EDQUOT:
        return kSinEspacio;
    case EACCES:
    case EPERM:
        return QStringLiteral("No tiene permiso para acceder al archivo o a la carpeta.");
    case EROFS:
        return QStringLiteral("El disco o la carpeta son de solo lectura.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("No se encuentra el archivo o la carpeta.");
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        return QStringLiteral("El archivo está en uso por otro programa.");
    case EIO:
        return kDiscoFalla;
    case EEXIST:
        return QStringLiteral("Ya existe un archivo con ese nombre.");
    case ENOMEM:
        return kSinMemoria;
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Hay demasiados archivos abiertos.");
    case ENAMETOOLONG:
        return QStringLiteral("El nombre o la ruta del archivo es demasiado largo.");
    default:
        return QStringLiteral("El sistema no pudo acceder al archivo.");
    }
}

QString DescripcionErrorArchivo(QFileDevice::FileError error, int errnoSistema) {
    if (errnoSistema != 0)
        return DescripcionErrorSistema(errnoSistema);
    switch (error) {
    case QFileDevice::NoError:
        return QString();
    case QFileDevice::PermissionsError:
        return DescripcionErrorSistema(EACCES);
    case QFileDevice::ResourceError:
        return QStringLiteral("No quedan recursos en el sistema (espacio en disco o memoria).");
    case QFileDevice::OpenError:
        return QStringLiteral("No se puede abrir el archivo.");
    case QFileDevice::ReadError:
        return QStringLiteral("No se puede leer el archivo.");
    case QFileDevice::WriteError:
        return QStringLiteral("No se puede escribir el archivo.");
    case QFileDevice::RemoveError:
        return QStringLiteral("No se puede eliminar el archivo.");
    case QFileDevice::RenameError:
        return QStringLiteral("No se puede cambiar el nombre del archivo.");
    case QFileDevice::CopyError:
        return QStringLiteral("No se puede copiar el archivo.");
    default:
        return DescripcionErrorSistema(-1);
    }
}
