#pragma once

#include <QString>

class Conexion;

// Deletes the infractions of exactly that client number and the client row with that id, in
// one transaction: when either statement fails nothing is deleted and ErrorBD is thrown. On a
// server the server's own function does it, checking the login's role, and logs it with the reason
// and the desk's account name (the log's user is the server's session user).
void BorrarClienteConInfracciones(Conexion& db, const QString& numeroCliente, qint64 id,
                                  const QString& motivo = QString(), const QString& cuenta = QString());
