#pragma once

#include <QString>
#include <QStringList>

// Directory of the database and "data.dat": --data-dir DIR when given; otherwise the
// application directory, unless it is not writable or is a system one (under /usr) and holds no
// database, in which case the per-user data directory. Returns an empty text and sets error when DIR is
// unusable.
QString ResolverDirectorioDatos(const QStringList& argumentos, QString* error = nullptr);

// The directory chosen at start-up, used by every part of the program.
void EstablecerDirectorioDatos(const QString& directorio);
QString DirectorioDatos();

inline constexpr const char* kNombreBaseDatos = "presentacion.wfg";
inline constexpr const char* kNombreArchivoMunicipio = "data.dat";
