#pragma once

#include <QString>
#include <QStringList>

// The SQL of moving the local register to the server, in one place.
namespace SentenciasTraspaso {

QString contar(const QString& tabla);
QString contarClientes(); // without the placeholder row
QString numerosRepetidos();
// Every row of a table in the order it was written.
QString leerTabla(const QString& tabla);
// One row into those columns of the server's table.
QString insertarFila(const QString& tabla, const QStringList& columnas);
// The server's own first rows (placeholder, initial accounts), which the file's replace.
QStringList vaciarFilasIniciales();
// The server's next id of that table after the highest one copied.
QString continuarIds(const QString& tabla);
// Each import's size and hash with its kept original.
QString originales();

} // namespace SentenciasTraspaso
