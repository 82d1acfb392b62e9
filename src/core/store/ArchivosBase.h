#pragma once

#include <QString>

// Flushes a file (or a directory after a rename) to the disk; best effort.
void Sincronizar(const QString& ruta, bool directorio);

// Where a new database is built before it is moved into place.
QString RutaBaseNueva(const QString& ruta);

// Removes a database file with the journal and WAL files SQLite may have left beside it.
void QuitarConAnexos(const QString& ruta);
