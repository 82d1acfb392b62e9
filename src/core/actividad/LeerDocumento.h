#pragma once

// Reads back the verification code from an issued document (a report saved as PDF, a workbook)
// or from a code typed by hand.

#include "core/output/FirmaPdf.h"

#include <QString>

#include <optional>

struct DocumentoLeido {
    QString codigo;        // printed form; empty when `error` says why
    QString identidad;     // of the issuing register, when the document carries it
    qint64 secuencia = -1; // the log's head the document carries, -1 when it does not
    QString hash;
    QString origen; // "el PDF", "el libro", "el código escrito"
    QString error;  // Spanish: an unreadable file or a mistyped code
    // A PDF's signature as the file stands now; none for workbooks and typed codes.
    std::optional<EstadoFirmaPdf> firma;
};

// `argumento` names a file (PDF or .xlsx workbook) or is a code.
DocumentoLeido LeerDocumentoOCodigo(const QString& argumento);
// The same for a file's bytes.
DocumentoLeido LeerPdfEmitido(const QByteArray& pdf);
DocumentoLeido LeerLibroEmitido(const QByteArray& xlsx);
