#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <optional>
#include <vector>

// One statement of the catalogue: fixed SQL text plus its bound values.
struct Consulta {
    QString sql;
    QVariantList parametros;
};

// A query of rows by ascending id that can also be read in parts: `entre(desde, hasta)` reads the
// ids in (desde, hasta]; `extremos` gives the lowest and the highest id.
struct ConsultaPorIds {
    Consulta entera;
    Consulta extremos;
    std::function<Consulta(qint64 desde, qint64 hasta)> entre;
};

struct BandasCliente;
struct Cliente;

// One infraction as stored, named after its columns. Stored files put the device's status in
// Microfono and the battery in Estado.
struct FilaInfraccion {
    QString numeroCliente;
    QString fecha;
    QString hora;
    QString nivelDb;
    QString microfono;
    QString estado;
    QString tensionLinea;
    QString porcentajeCompresion;
    QString inspector;
    QString maxDb;
    QString dbAten;
    QString excesos;
    QString calDb;
    QString segPenal;
    QString nivelConsola;
    QString nivelRuido;
    QString contadorInf;
};

namespace Sentencias {

// The eight searchable columns, in the order the search box lists them.
const QStringList& columnasBusqueda();

// The id and the fields of a Cliente, dates as dd/mm/yyyy, times as hh:mm:ss.
Consulta listaClientes();
ConsultaPorIds listaClientesPorIds(); // the same, to be read in parts
// The same columns for those clients only (ids not empty).
Consulta clientesListados(const std::vector<qint64>& ids);
// The same columns for the clients with exactly that number.
Consulta clientesConNumero(const QString& numeroCliente);
// Nothing when the search column text is none of the eight names.
std::optional<Consulta> busquedaClientes(const QString& columnaCombo, const QString& texto);
// Which column of listaClientes() that search looks at; -1 for none of the eight names.
int columnaListaBusqueda(const QString& columnaCombo);
// The cells of ColInfraccion by ascending id, then the import log id (empty for rows older
// than the log).
Consulta infraccionesCliente(const QString& numeroCliente);
ConsultaPorIds infraccionesClientePorIds(const QString& numeroCliente); // the same, in parts
Consulta infraccionesImportacion(qint64 idImportacion); // the same columns, rows of one import
Consulta bandasCliente(const QString& numeroCliente);   // what BandasCliente::desdeFila() reads
Consulta borrarInfraccionesCliente(const QString& numeroCliente);
Consulta borrarCliente(qint64 id);
// Every field but the id, as the editor writes them; `id` picks the row.
Consulta actualizarCliente(const Cliente& cliente, qint64 id);
// The same, only while the row still has the version it was read with.
Consulta actualizarClienteSiVersion(const Cliente& cliente, qint64 id, qint64 version);
Consulta versionCliente(qint64 id);
Consulta insertarCliente(const Cliente& cliente); // its id is left to the database
// Import: new last inspection (the former one moves to the previous inspection) and the bands,
// for every row of that client number.
Consulta actualizarClienteImportacion(const QString& numeroCliente, const QString& fecha, const QString& hora,
                                      const BandasCliente& bandas);
// One row when some client has exactly that number (the import's lookup).
Consulta existeCliente(const QString& numeroCliente);
Consulta insertarInfraccion(const FilaInfraccion& fila);
// The columns of insertarInfraccion() in the same order, then the import log id.
QString insertarInfraccionImportada();
Consulta listaUsuarios();
Consulta actualizarUsuario(const QString& nombre, const QString& hashContrasena, qint64 id);
Consulta borrarUsuario(const QString& nombre);
Consulta insertarUsuario(const QString& nombre, const QString& hashContrasena);

} // namespace Sentencias
