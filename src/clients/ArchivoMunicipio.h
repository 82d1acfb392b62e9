#pragma once

#include <QByteArray>
#include <QString>

// The municipality header file "data.dat": one field in quoted form, "text" + CR LF.

// The first field of the file's contents: a quoted field up to its closing quote, otherwise
// the text up to the first comma or line end.
QString LeerCampoMunicipio(const QByteArray& contenido);
QByteArray EscribirCampoMunicipio(const QString& texto);

// Reads the file; a missing or unreadable file gives an empty header.
QString CargarMunicipio(const QString& ruta);
// Replaces the file as a whole (never leaves a half-written one). False on failure, with the
// reason in error.
bool GuardarMunicipio(const QString& ruta, const QString& texto, QString* error = nullptr);
