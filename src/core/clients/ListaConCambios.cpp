#include "core/clients/ListaConCambios.h"

#include <algorithm>
#include <limits>

namespace {

// Ids are plain decimal numbers; read without a copy, once per row of a long list.
qint64 IdDeFila(const TablaTextos& t, std::size_t fila) {
    const QByteArrayView v = t.utf8(fila, 0);
    qint64 id = 0;
    const bool negativo = !v.isEmpty() && v.front() == '-';
    for (qsizetype i = negativo ? 1 : 0; i < v.size(); ++i) {
        if (v[i] < '0' || v[i] > '9')
            return v.toByteArray().toLongLong();
        id = id * 10 + (v[i] - '0');
    }
    return negativo ? -id : id;
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
    lista.reservar(todos.filas() + releidas.filas(), todos.bytesTexto() + releidas.bytesTexto());
    std::size_t nueva = 0;
    const auto agregarNuevasHasta = [&](qint64 id) {
        for (; nueva < releidas.filas() && IdDeFila(releidas, nueva) < id; ++nueva)
            CopiarFila(releidas, nueva, lista);
    };
    // Runs of rows that stay as they were go over in one copy: a few clients changed in a list
    // of a million cost about a copy of its bytes.
    std::size_t desde = 0;
    const auto copiarIgualesHasta = [&](std::size_t hasta) {
        if (todos.columnas() == lista.columnas())
            lista.agregarFilas(todos, desde, hasta);
        else
            for (std::size_t i = desde; i < hasta; ++i)
                CopiarFila(todos, i, lista);
        desde = hasta;
    };
    for (std::size_t i = 0; i < todos.filas(); ++i) {
        const qint64 id = IdDeFila(todos, i);
        const bool cambiado = std::binary_search(cambiados.begin(), cambiados.end(), id);
        const bool antesNueva = nueva < releidas.filas() && IdDeFila(releidas, nueva) < id;
        if (!cambiado && !antesNueva)
            continue;
        copiarIgualesHasta(i);
        agregarNuevasHasta(id);
        desde = i + 1;
        if (!cambiado) {
            CopiarFila(todos, i, lista);
            continue;
        }
        if (nueva < releidas.filas() && IdDeFila(releidas, nueva) == id)
            CopiarFila(releidas, nueva++, lista);
    }
    copiarIgualesHasta(todos.filas());
    agregarNuevasHasta(std::numeric_limits<qint64>::max());
    lista.ajustar();
    return lista;
}
