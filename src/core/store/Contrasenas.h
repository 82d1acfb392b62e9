#pragma once

#include <QString>

// Salted Argon2id hashes of account passwords; the plain text is never stored.
QString hashContrasena(const QString& contrasena);
bool verificarContrasena(const QString& hash, const QString& contrasena);
