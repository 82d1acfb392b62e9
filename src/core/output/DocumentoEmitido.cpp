#include "core/output/DocumentoEmitido.h"

#include "core/Oficina.h"

SelloVerificacion EmitirDesdeLinea(Oficina& oficina, const DocumentoEmitido& documento) {
    PedidoEmision pedido = oficina.pedidoEmision(documento.tipo);
    pedido.origen = documento.origen;
    return oficina.emitirDocumento(pedido);
}

QString CodigoDocumento(Oficina& oficina, const DocumentoEmitido& documento) {
    return EmitirDesdeLinea(oficina, documento).codigo;
}

QString IdentidadRegistroDocumento(const Oficina& oficina) {
    return oficina.identidadRegistro();
}
