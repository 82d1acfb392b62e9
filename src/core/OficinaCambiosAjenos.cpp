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
