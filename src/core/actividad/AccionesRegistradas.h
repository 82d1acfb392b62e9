#pragma once

// The office's changes that are not imports or deletions, each in one transaction with its
// activity log entry: a change that fails leaves no entry, and no change is left without one.

#include <QString>

class Conexion;
struct Consulta;

// Account operations as in Cuentas.h (rights checked there); the entry names the account, never
// a password or its hash. Nothing changed (no such account, none deleted): no entry.
bool CambiarContrasenaAnotada(Conexion& db, const QString& usuario, qint64 id, const QString& nombre,
                              const QString& contrasena);
int BorrarCuentasAnotadas(Conexion& db, const QString& usuario, const QString& nombre);
void CrearCuentaAnotada(Conexion& db, const QString& usuario, const QString& nombre,
                        const QString& contrasena);

// Runs the client's insert (id 0) or update with its entry: the new client's data, or each field
// changed, old and new. Returns the id of the client saved; 0, with nothing written, when the
// update found no row (`comprobar`: the row version had changed).
qint64 GuardarClienteAnotado(Conexion& db, const QString& usuario, const Consulta& cambio, qint64 id,
                             bool comprobar);

// A login accepted or refused, in its own transaction. Returns the store's failure, empty when the
// entry was written.
QString AnotarSesion(Conexion& db, const QString& nombre, bool aceptada);
