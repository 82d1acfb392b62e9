#pragma once

#include <QString>

// The SQL of the import log and of the import's reads, in one place. Values are bound by the
// callers, in the order of the `?`.
namespace SentenciasImportaciones {

// The log's columns (the order ImportacionRegistrada is read in), then `donde`.
QString leerLog(const QString& donde);
// What follows leerLog(): a client's imports newest first, its newest, those of a file, all.
QString deCliente();
QString ultimaDeCliente();
QString conHuella();
QString todas();
// The device settings of a client's newest row (for rows imported before the log).
QString configuracionUltimaInfraccion();
QString insertar();
QString insertarOriginal();
QString leerOriginal();
QString contarRegistros();
// The keys of a client's stored rows, within a date range when `conRango`.
QString clavesGuardadas(bool conRango);

} // namespace SentenciasImportaciones
