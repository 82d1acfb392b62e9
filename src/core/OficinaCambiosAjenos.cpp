// How a desk follows the changes other desks make to a shared register.
#include "core/Oficina.h"

#include "core/clients/ListaConCambios.h"
#include "core/store/Conexion.h"
#include "core/store/TablaTextos.h"

#include <algorithm>

void Oficina::aplicarCambiosAjenos(const CambiosAjenos& cambios) {
    if (cambios.todosLosClientes) {
        recargarClientes();
        return;
    }
    const qint64 id = idSeleccionado();
    const QString numero = seleccionado_ ? seleccionado_->numero : QString();
    const bool filasCambiadas = id != 0 && cambios.infraccionesDe(numero);
    if (!cambios.clientes.empty() && leidos_) {
        const TablaTextos releidas = LeerTabla(registro_, Sentencias::clientesListados(cambios.clientes));
        adoptarLista(ListaConCambios(*todos_, releidas, cambios.clientes));
        // The search runs again over the new list without reading it; the selected client is
        // taken again from it when it was one of those changed (its data, or its removal).
        filtrar(false);
        if (id != 0 && std::binary_search(cambios.clientes.begin(), cambios.clientes.end(), id)) {
            elegir(posicionListada(id) ? id : 0);
            return;
        }
        if (idSeleccionado() != id)
            return; // no longer listed: filtrar() dropped it
    }
    if (filasCambiadas)
        releerSeleccionado();
}

namespace {

void OrdenarSinRepetir(std::vector<qint64>& ids) {
    ids.erase(std::remove(ids.begin(), ids.end(), qint64{0}), ids.end());
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
}

} // namespace

void Oficina::releerClientes(std::vector<qint64> ids) {
    if (!leidos_) {
        recargarClientes();
        return;
    }
    OrdenarSinRepetir(ids);
    if (!ids.empty())
        adoptarLista(ListaConCambios(*todos_, LeerTabla(registro_, Sentencias::clientesListados(ids)), ids));
    filtrar(true);
}

void Oficina::releerClientesConNumero(const QString& numero) {
    if (!leidos_) {
        recargarClientes();
        return;
    }
    const TablaTextos releidas = LeerTabla(registro_, Sentencias::clientesConNumero(numero));
    std::vector<qint64> ids;
    ids.reserve(releidas.filas());
    for (std::size_t i = 0; i < releidas.filas(); ++i)
        ids.push_back(releidas.utf8(i, 0).toByteArray().toLongLong());
    OrdenarSinRepetir(ids);
    if (!ids.empty())
        adoptarLista(ListaConCambios(*todos_, releidas, ids));
    filtrar(true);
}
