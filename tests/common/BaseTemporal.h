#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh database in a temporary directory, made the program's database (slots closed).
// The first one of a process is created for real; later ones copy it, which saves the
// password hashing of the initial accounts.
class BaseTemporal {
public:
    BaseTemporal();
    ~BaseTemporal();
    QString directorio() const { return dir_.path(); }
    QString ruta() const;

private:
    QTemporaryDir dir_;
};
