#include "core/output/DocumentoEmitido.h"

#include "core/Oficina.h"

EmisionPreparada PrepararDocumento(const Oficina& oficina, const DocumentoEmitido& documento) {
    PedidoEmision pedido = oficina.pedidoEmision(documento.tipo);
    pedido.origen = documento.origen;
    return oficina.prepararEmision(pedido);
}
