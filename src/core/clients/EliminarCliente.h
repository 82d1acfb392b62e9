#pragma once

#include <QString>

class Conexion;

// Deletes the infractions of exactly that client number and the client row with that id, in
// one transaction: when either statement fails nothing is deleted and ErrorBD is thrown. On a
// server the server's own function does it, checking the login's role, with the reason given.
void BorrarClienteConInfracciones(Conexion& db, const QString& numeroCliente, qint64 id,
                                  const QString& motivo = QString());
