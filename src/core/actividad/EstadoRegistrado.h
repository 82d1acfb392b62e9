#pragma once

// What the activity log says the register holds now: its entries read one at a time in order,
// the chain checked as they go, and the clients, the rows without an original and the imports
// as their logged changes leave them.

#include "core/actividad/CadenaActividad.h"

#include <QJsonObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>

class Conexion;

struct ClienteRegistrado {
    QString numero;
    QJsonObject datos;  // by stored column, as DatosCliente() reads them
    qint64 entrada = 0; // the last entry that set or changed them
};

// The rows without an original of one client number: as the baseline counted them, less what a
// later deletion took away.
struct AnterioresRegistradas {
    qint64 filas = 0;
    QString digest;
    qint64 entrada = 0;
};

// An import as its entry logged it.
struct ImportacionAnotada {
    QString cliente;
    QString sha256;
    qint64 tamano = -1;
    qint64 registros = -1;
    qint64 omitidos = -1;
    QString usuario;
    bool retirada = false;
    qint64 entrada = 0;
};

struct EstadoRegistrado {
    qint64 entradas = 0;
    CabezaCadena cabeza{0, HashInicial()}; // the last entry read, whether it chains or not
    std::optional<RoturaCadena> rotura;
    std::map<qint64, ClienteRegistrado> clientes;        // by the client row's id
    std::map<QString, AnterioresRegistradas> anteriores; // by client number
    std::map<qint64, ImportacionAnotada> importaciones;  // by the import log's id
};

// Reads the whole log; `cada` is called after every entry (progress, cancellation).
EstadoRegistrado LeerEstadoRegistrado(Conexion& db, const std::function<void()>& cada = {});
