#pragma once

#include <QString>

// The shared register's connection string saved for this user (QSettings), empty for the local
// file. Saving refuses a string that holds a password: that stays with libpq (~/.pgpass) or is
// typed at start.
QString ConexionRegistroGuardada();
bool GuardarConexionRegistro(const QString& conninfo, QString* error);
