#pragma once

#include <QString>

class Database;
class GridModel;

// The question shown before a client is deleted, from row `fila` of the client grid: number,
// name and the premises' name, address, locality and district, with blank lines between.
QString TextoConfirmacionEliminar(const GridModel& flex, int fila);

// Deletes the infractions of exactly that client number and the client row with that id, in
// one transaction: when either statement fails nothing is deleted and ErrorBD is thrown.
void BorrarClienteConInfracciones(Database& db, const QString& numeroCliente, qint64 id);
