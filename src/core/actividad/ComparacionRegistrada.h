#pragma once

// The parts of "Verificar registro" that compare the register with what its activity log says:
// the clients' data and the rows that have no original.

#include "core/actividad/EstadoRegistrado.h"
#include "core/actividad/VerificacionRegistro.h"

#include <functional>
#include <map>
#include <vector>

class Conexion;

// Each stored client against the data its logged changes leave; `comparados` counts the clients.
std::vector<Diferencia> CompararClientes(Conexion& db, const EstadoRegistrado& estado, qint64& comparados);

// The rows without an original of each client number (`contadas`, counted without reading them)
// against the count and digest logged for it. Only where the counts agree are the rows read, for
// their digest; `avance` receives the rows read.
std::vector<Diferencia> CompararAnteriores(Conexion& db, const EstadoRegistrado& estado,
                                           const std::map<QString, qint64>& contadas,
                                           const std::function<void(qint64)>& avance);
