#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

// One statement of the catalogue: fixed SQL text plus its bound values.
struct Consulta {
    QString sql;
    QVariantList parametros;
};

namespace Sentencias {

// The eight searchable columns, in the order the search box lists them.
const QStringList& columnasBusqueda();

Consulta listaClientes(); // 24 columns, dates as dd/mm/yyyy, times as hh:mm:ss
// Nothing when the search column text is none of the eight names.
std::optional<Consulta> busquedaClientes(const QString& columnaCombo, const QString& texto);
// Which column of listaClientes() that search looks at; -1 for none of the eight names.
int columnaListaBusqueda(const QString& columnaCombo);
// 18 columns, ascending id, then the import log id (empty for rows older than the log).
Consulta infraccionesCliente(const QString& numeroCliente);
Consulta infraccionesImportacion(qint64 idImportacion); // the same columns, rows of one import
Consulta bandasCliente(const QString& numeroCliente);   // 22 band columns
Consulta borrarInfraccionesCliente(const QString& numeroCliente);
Consulta borrarCliente(qint64 id);
// Values in the column order of the client editor: NumeroCliente .. Notas (23 values).
Consulta actualizarCliente(const QStringList& valores, qint64 id);
// The same, only while the row still has the version it was read with.
Consulta actualizarClienteSiVersion(const QStringList& valores, qint64 id, qint64 version);
Consulta versionCliente(qint64 id);
Consulta insertarCliente(const QStringList& valores);
// Import: new last inspection (the former one moves to the previous inspection) and the
// 22 band values (ActivacionBandaHoraria, then bands 1, 2, 3 with activation, start day, end
// day, start hour, start minutes, end hour, end minutes), for every row of that client number.
Consulta actualizarClienteImportacion(const QString& numeroCliente, const QString& fecha, const QString& hora,
                                      const QStringList& bandas);
// One row when some client has exactly that number (the import's lookup).
Consulta existeCliente(const QString& numeroCliente);
// 17 values in the column order NumeroCliente .. contadorinf.
Consulta insertarInfraccion(const QStringList& valores);
// The same 17 columns and the import log id.
QString insertarInfraccionImportada();
Consulta listaUsuarios();
Consulta actualizarUsuario(const QString& nombre, const QString& hashContrasena, qint64 id);
Consulta borrarUsuario(const QString& nombre);
Consulta insertarUsuario(const QString& nombre, const QString& hashContrasena);

} // namespace Sentencias
