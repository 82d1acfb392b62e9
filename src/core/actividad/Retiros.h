#pragma once

// Deleting imports and clients without losing the evidence: the rows leave Infracciones (so no
// view, workbook or report shows them), the import's log row and original bytes stay, marked
// withdrawn, and the log entry keeps what was deleted, with the reason. A withdrawn import can be
// brought back with identical rows.

#include <QString>

class Conexion;

// The text asked for when the reason is missing.
extern const QString kFaltaMotivo;

// Withdraws an import, in one transaction with its entry. Returns the rows deleted. Throws
// ErrorBD (nothing changed) when it is already withdrawn or the store fails.
qint64 RetirarImportacion(Conexion& db, const QString& usuario, qint64 id, const QString& motivo);
// Brings a withdrawn import's rows back, identical, from the kept original (or the values its
// withdrawal kept), in one transaction with its entry. Returns the rows restored. Throws ErrorBD.
qint64 RestituirImportacion(Conexion& db, const QString& usuario, qint64 id);
// Deletes the client row with that id and every row of its number; its imports are withdrawn,
// the rows without an original are kept, value by value, in the entry. One transaction.
void RetirarCliente(Conexion& db, const QString& usuario, const QString& numeroCliente, qint64 id,
                    const QString& motivo);
