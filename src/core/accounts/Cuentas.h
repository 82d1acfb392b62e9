#pragma once

#include <QString>

#include <vector>

class Conexion;

// An account as the windows may see it: never its password hash.
struct Cuenta {
    qint64 id = 0;
    QString nombre;
};

// Every account in stored order (ascending Id); names may repeat. Throws ErrorBD.
std::vector<Cuenta> LeerCuentas(Conexion& db);

// "Administrador" and "Invitado" always exist.
bool CuentaProtegida(const QString& nombre);

// Account operations. Each checks the rights of `usuario` itself and throws ErrorBD (with the
// text to show) when they are lacking, so no window can be driven past them. Passwords are
// stored as salted hashes only.
//
// Sets the password of the account with that Id, which must still bear that name; false when
// no such account is left.
bool CambiarContrasenaCuenta(Conexion& db, const QString& usuario, qint64 id, const QString& nombre,
                             const QString& contrasena);
// Deletes every account of that name; returns how many were deleted.
int BorrarCuentas(Conexion& db, const QString& usuario, const QString& nombre);
void CrearCuenta(Conexion& db, const QString& usuario, const QString& nombre, const QString& contrasena);
