#pragma once

#include "core/import/ArchivoInspeccion.h"

#include <QStringList>

#include <array>

// A client's time bands as its latest import left them on the client.
struct BandasCliente {
    QString activacion; // of the bands as a whole
    std::array<BandaHoraria, 3> bandas;

    // From the row Sentencias::bandasCliente() reads; all empty without one.
    static BandasCliente desdeFila(const QStringList& fila);
};
