#pragma once

#include <QByteArray>

// The SQL the copies run straight on SQLCipher (their own connections), in one place.
namespace SentenciasCopias {

inline constexpr const char* kContarTablas = "SELECT count(*) FROM sqlite_master";
inline constexpr const char* kVersionCifrado = "PRAGMA cipher_version";
// Reads every page and checks its code.
inline constexpr const char* kAutenticarPaginas = "PRAGMA cipher_integrity_check";
inline constexpr const char* kIntegridad = "PRAGMA integrity_check";
// A scratch file discarded if interrupted needs no journal nor flushes.
inline constexpr const char* kSinDiario = "PRAGMA synchronous = OFF; PRAGMA journal_mode = OFF";
inline constexpr const char* kVersionEsquema = "PRAGMA user_version";
inline constexpr const char* kContarClientes =
    "SELECT count(*) FROM Clientes WHERE NumeroCliente IS NOT '----'";
inline constexpr const char* kContarInfracciones = "SELECT count(*) FROM Infracciones";
inline constexpr const char* kUltimaImportacion =
    "SELECT MomentoUtc FROM Importaciones ORDER BY Id DESC LIMIT 1";
inline constexpr const char* kUltimaInspeccion =
    "SELECT max(UltimaInspeccionFecha) FROM Clientes WHERE "
    "UltimaInspeccionFecha GLOB '[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]'";
inline constexpr const char* kUltimaInfraccion =
    "SELECT max(FechaInfraccion) FROM Infracciones WHERE "
    "FechaInfraccion GLOB '[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]'";

// One row with 1 when the file has that table (a name of the program's own, never the user's).
inline QByteArray hayTabla(const char* tabla) {
    return QByteArray("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '") + tabla + "'";
}

} // namespace SentenciasCopias
