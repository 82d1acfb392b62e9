#pragma once

#include "core/store/Conexion.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A fresh register file in a temporary directory, which is made the data directory. The first
// one of a process is created for real; later ones copy it, which saves the password hashing of
// the initial accounts.
class BaseTemporal {
public:
    BaseTemporal();
    ~BaseTemporal();
    QString directorio() const { return dir_.path(); }
    QString ruta() const;
    // The register on the file, opened on first use: a test may change the file before.
    Conexion& registro();
    // Closes it; the next registro() opens the file again.
    void cerrar();

private:
    QTemporaryDir dir_;
    std::unique_ptr<Conexion> registro_;
};
