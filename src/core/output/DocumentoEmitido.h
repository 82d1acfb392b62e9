#pragma once

#include "core/output/SelloVerificacion.h"

#include <QDate>
#include <QString>

class Oficina;

// A document the office hands out (a report or a workbook), as the register keeps track of it.
struct DocumentoEmitido {
    QString tipo; // "informe" | "libro"
    QString cliente;
    QDate desde, hasta;
    qsizetype filas = 0;
    QString origen; // "ventana" | "linea de comandos"
};

// Issues what the office's selected client and range list now: the "documento.emitido" entry and
// the stamp the document carries. Throws ErrorBD.
SelloVerificacion EmitirDesdeLinea(Oficina& oficina, const DocumentoEmitido& documento);
// The verification code for a document not issued yet (issuing it now).
QString CodigoDocumento(Oficina& oficina, const DocumentoEmitido& documento);
// The register's identity, for the document's metadata.
QString IdentidadRegistroDocumento(const Oficina& oficina);
