#pragma once

#include <QFileDevice>
#include <QString>

#include <stdexcept>

// Failure of the store: a description fit to show the user (Spanish) and, apart, the technical
// cause from SQLite or the system (English, for support). Keys and full statements with their
// values never go into either.
class ErrorBD : public std::runtime_error {
public:
    explicit ErrorBD(const QString& descripcion, const QString& detalles = QString())
        : std::runtime_error(descripcion.toStdString()), descripcion_(descripcion), detalles_(detalles) {}
    const QString& descripcion() const { return descripcion_; }
    const QString& detalles() const { return detalles_; }

private:
    QString descripcion_;
    QString detalles_;
};

// Plain Spanish sentences for the common causes of a failure of the system or of a file.
QString DescripcionErrorSistema(int errnoSistema);
QString DescripcionErrorArchivo(QFileDevice::FileError error, int errnoSistema = 0);
