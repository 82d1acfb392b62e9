#pragma once

#include <QByteArray>
#include <QString>

// The municipality header file "data.dat": one field in quoted form, "text" + CR LF.

// Older programs wrote the file in the Windows-1252 code page; ours writes UTF-8. A file is
// written back in the encoding it was read in.
enum class CodificacionMunicipio { Utf8, Windows1252 };

// UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise (every byte has a character).
QString DecodificarMunicipio(const QByteArray& bytes, CodificacionMunicipio* codificacion = nullptr);

// The first field of the file's contents: a quoted field up to its closing quote, otherwise
// the text up to the first comma or line end.
QString LeerCampoMunicipio(const QByteArray& contenido, CodificacionMunicipio* codificacion = nullptr);
// A text with a character Windows-1252 lacks is written in UTF-8 instead.
QByteArray EscribirCampoMunicipio(const QString& texto,
                                  CodificacionMunicipio codificacion = CodificacionMunicipio::Utf8);

// Reads the file; a missing or unreadable file gives an empty header (and UTF-8).
QString CargarMunicipio(const QString& ruta, CodificacionMunicipio* codificacion = nullptr);
// Replaces the file as a whole (never leaves a half-written one). False on failure, with the
// reason in error.
bool GuardarMunicipio(const QString& ruta, const QString& texto, QString* error = nullptr,
                      CodificacionMunicipio codificacion = CodificacionMunicipio::Utf8);
