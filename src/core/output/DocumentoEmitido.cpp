#include "core/output/DocumentoEmitido.h"

#include "core/Oficina.h"

// The register's codes and its activity log are built apart; these are where they plug in.

QString CodigoDocumento(Oficina& oficina, const DocumentoEmitido& documento) {
    Q_UNUSED(oficina);
    Q_UNUSED(documento);
    return {};
}

QString IdentidadRegistroDocumento(const Oficina& oficina) {
    Q_UNUSED(oficina);
    return {};
}

void AnotarDocumentoEmitido(Oficina& oficina, const DocumentoEmitido& documento, const QString& codigo) {
    Q_UNUSED(oficina);
    Q_UNUSED(documento);
    Q_UNUSED(codigo);
}
