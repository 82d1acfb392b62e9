#pragma once

// What the activity log's entries hold about clients and imports, and the baseline a register
// from before the log is given.

#include <QJsonObject>
#include <QString>
#include <QStringList>

class Conexion;

// Who writes entries no one at a desk caused (the schema's migration).
extern const QString kUsuarioPrograma;

// Every stored column of a client but its id and row version, as the schema spells them.
const QStringList& ColumnasDatosCliente();
// A client's stored data by column (NULL as JSON null); empty when there is no such client.
QJsonObject DatosCliente(Conexion& db, qint64 id);
// The first client (lowest id) with that number, as DatosCliente; empty when none.
QJsonObject DatosClientePorNumero(Conexion& db, const QString& numero);
// The fields that differ: {"campo": ["antes", "después"]}; a field gone has null after.
QJsonObject CambiosDatos(const QJsonObject& antes, const QJsonObject& despues);

// The baseline of a register that had no log: one base.cliente entry per client (its data, the
// count and digest of its rows without an original) and one base.importacion per logged import,
// inside the migration's transaction.
void EscribirLineaBase(Conexion& db);
