// The office's issued documents: stamping, recording and checking them.

#include "core/Oficina.h"
#include "core/actividad/VerificacionDocumento.h"
#include "core/store/ErrorBD.h"

PedidoEmision Oficina::pedidoEmision(const QString& tipo) const {
    PedidoEmision p{tipo, seleccionado_ ? seleccionado_->numero : QString(), inicio_, fin_, {}};
    if (seleccionado_)
        p.ids = IdsListados(infracciones_);
    return p;
}

EmisionPreparada Oficina::prepararEmision(const PedidoEmision& pedido) const {
    if (pedido.cliente.isEmpty())
        throw ErrorBD(QStringLiteral("No hay ningún cliente seleccionado."));
    return PrepararEmision(registro_, usuario_, identidadRegistro(), pedido);
}

void Oficina::anotarEmision(const EmisionPreparada& emision, const std::function<void()>& antesDeConfirmar) {
    AnotarEmision(registro_, emision, antesDeConfirmar);
}

SelloVerificacion Oficina::emitirDocumento(const PedidoEmision& pedido) {
    const EmisionPreparada e = prepararEmision(pedido);
    anotarEmision(e);
    return e.sello;
}

VerificacionDocumento Oficina::verificarDocumento(const QString& archivoOCodigo) const {
    return VerificarDocumento(registro_, identidadRegistro(), LeerDocumentoOCodigo(archivoOCodigo));
}

std::optional<ResumenOficina> Oficina::resumen(const PeriodoResumen& periodo,
                                               const AvanceResumen& avance) const {
    return CalcularResumen(registro_, periodo, QDate::currentDate(), avance);
}

DocumentoResumen Oficina::documentoResumen(const ResumenOficina& resumen, std::vector<FilaResumen> filas,
                                           const QString& origen) const {
    DocumentoResumen d = DocumentoDe(resumen, std::move(filas));
    d.municipio = municipio_;
    d.usuario = usuario_;
    d.origen = origen;
    return d;
}

EmisionPreparada Oficina::sellarResumen(DocumentoResumen& documento, const QString& salida) const {
    return SellarDocumentoResumen(registro_, identidadRegistro(), documento, salida);
}
