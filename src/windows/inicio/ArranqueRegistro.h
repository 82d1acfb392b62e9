#pragma once

#include "core/store/Conexion.h"

#include <QDate>
#include <QString>

#include <memory>

// The register file, opened at start-up with the day's copy made.
struct RegistroLocal {
    std::unique_ptr<Conexion> registro; // empty when the program ends here
    int estado = 0;                     // the program's exit status then
};

// Opens the register file of the data directory, bringing its schema up to date, and makes the
// day's copy. The work runs in a worker thread; the progress window shows only when it lasts
// more than `esperaVentanaMs`, and from it the user may stop an update and leave. Failures are
// told in a message; a failed copy is told once a day and the register still opens.
RegistroLocal AbrirRegistroLocal(const QString& directorio, const QDate& hoy, int esperaVentanaMs = 150);
