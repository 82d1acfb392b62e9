#pragma once

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

// The verification code the register gives the document before it is written; empty while the
// register issues none.
QString CodigoDocumento(Oficina& oficina, const DocumentoEmitido& documento);
// The register's identity, for the document's metadata; empty while it has none.
QString IdentidadRegistroDocumento(const Oficina& oficina);
// Records the written document in the register's activity log.
void AnotarDocumentoEmitido(Oficina& oficina, const DocumentoEmitido& documento, const QString& codigo);
