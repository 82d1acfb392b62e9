#include "core/clients/ListaConCambios.h"

#include <algorithm>
#include <limits>

namespace {

qint64 IdDeFila(const TablaTextos& t, std::size_t fila) {
    return t.utf8(fila, 0).toByteArray().toLongLong();
}

void CopiarFila(const TablaTextos& origen, std::size_t fila, TablaTextos& destino) {
    std::vector<QByteArrayView> celdas(static_cast<std::size_t>(origen.columnas()));
    static const char vacio[] = "";
    for (int c = 0; c < origen.columnas(); ++c) {
        const QByteArrayView v = origen.utf8(fila, c);
        // Empty text stays empty text, not NULL.
        celdas[static_cast<std::size_t>(c)] = origen.nulo(fila, c) ? QByteArrayView()
                                              : v.isNull()         ? QByteArrayView(vacio, 0)
                                                                   : v;
    }
    destino.agregarFila(celdas.data(), origen.columnas());
}

} // namespace

TablaTextos ListaConCambios(const TablaTextos& todos, const TablaTextos& releidas,
                            const std::vector<qint64>& cambiados) {
    TablaTextos lista(todos.columnas() > 0 ? todos.columnas() : releidas.columnas());
    std::size_t nueva = 0;
    const auto agregarNuevasHasta = [&](qint64 id) {
        for (; nueva < releidas.filas() && IdDeFila(releidas, nueva) < id; ++nueva)
            CopiarFila(releidas, nueva, lista);
    };
    for (std::size_t i = 0; i < todos.filas(); ++i) {
        const qint64 id = IdDeFila(todos, i);
        agregarNuevasHasta(id);
        if (!std::binary_search(cambiados.begin(), cambiados.end(), id)) {
            CopiarFila(todos, i, lista);
            continue;
        }
        if (nueva < releidas.filas() && IdDeFila(releidas, nueva) == id)
            CopiarFila(releidas, nueva++, lista);
    }
    agregarNuevasHasta(std::numeric_limits<qint64>::max());
    lista.ajustar();
    return lista;
}
