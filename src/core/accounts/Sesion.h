#pragma once

#include <QString>

// Name of the logged-in user; rights go by the exact name "Administrador".
extern QString UsuarioActual;

inline bool EsAdministrador(const QString& nombre) {
    return nombre == QLatin1String("Administrador");
}
