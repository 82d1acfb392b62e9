#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <initializer_list>

// Writes the parts, one after another, beside the target and moves them into place only when
// all were written: on any failure (a full disk included) the target is left as it was. The
// reason in `error`.
bool EscribirArchivoEntero(const QString& ruta, std::initializer_list<QByteArrayView> partes,
                           QString* error = nullptr);
inline bool EscribirArchivoEntero(const QString& ruta, const QByteArray& datos, QString* error = nullptr) {
    return EscribirArchivoEntero(ruta, {QByteArrayView(datos)}, error);
}
