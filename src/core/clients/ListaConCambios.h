#pragma once

#include "core/store/TablaTextos.h"

#include <QtGlobal>

#include <vector>

// The client list with some clients read again: `todos` and `releidas` hold rows in id order,
// with the id as text in column 0; `cambiados` (sorted) are the ids read again. A changed id read
// again replaces its row, one not found again is gone, a new one takes its place by id; every
// other row is kept as it was. Reading a few clients again costs a copy of the list in memory
// instead of reading it all from the server.
TablaTextos ListaConCambios(const TablaTextos& todos, const TablaTextos& releidas,
                            const std::vector<qint64>& cambiados);
