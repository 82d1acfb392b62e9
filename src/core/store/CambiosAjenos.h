#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

// What other desks changed, gathered from the server's notices since the desk last looked, so
// that only that is read again. A notice that names nothing (a whole table) counts as all of it.
struct CambiosAjenos {
    bool todosLosClientes = false;
    std::vector<qint64> clientes; // ids, sorted, no repeats
    bool todasLasInfracciones = false;
    std::vector<QString> numerosConInfracciones; // client numbers whose rows changed, sorted

    bool vacio() const {
        return !todosLosClientes && clientes.empty() && !todasLasInfracciones &&
               numerosConInfracciones.empty();
    }
    bool infraccionesDe(const QString& numeroCliente) const;

    // Adds one notice's payload: "Clientes:3,17", "Clientes:*", "Infracciones:0001\n0002",
    // "Infracciones:*"; a bare table name (older servers) and anything unknown count as all.
    void sumar(const QString& aviso);
    // Everything changed (a session opened again: its notices meanwhile are lost).
    static CambiosAjenos todo();
};
