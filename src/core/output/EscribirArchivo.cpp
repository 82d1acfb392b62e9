#include "core/output/EscribirArchivo.h"

#include <QSaveFile>

bool EscribirArchivoEntero(const QString& ruta, std::initializer_list<QByteArrayView> partes,
                           QString* error) {
    QSaveFile archivo(ruta);
    const auto fallo = [&] {
        if (error)
            *error =
                QStringLiteral("No se pudo escribir el archivo \"%1\": %2").arg(ruta, archivo.errorString());
        archivo.cancelWriting();
        return false;
    };
    if (!archivo.open(QIODevice::WriteOnly))
        return fallo();
    for (const QByteArrayView parte : partes)
        if (archivo.write(parte.data(), parte.size()) != parte.size())
            return fallo();
    if (!archivo.commit()) {
        if (error)
            *error =
                QStringLiteral("No se pudo escribir el archivo \"%1\": %2").arg(ruta, archivo.errorString());
        return false;
    }
    return true;
}
