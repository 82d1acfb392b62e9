#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What an archived document says about itself, in its information dictionary and its XMP.
struct MetadatosPdf {
    QString titulo;
    QString autor; // the user who made it
    QDateTime creado = QDateTime::currentDateTime();
    QString codigo;            // the verification code, when the register issues one
    QString identidadRegistro; // the register's identity, when it has one
};

// The identifier the XMP carries: the register and the document's code, as far as known.
QString IdentificadorDocumento(const MetadatosPdf& metadatos);

// Completes a PDF/A-1b document as QPdfWriter (or UnirPdf) writes it: the information dictionary
// and the XMP say the same title, author, dates and identifier, and the trailer carries a
// document /ID. Empty when the bytes are laid out otherwise.
QByteArray CompletarPdfA(const QByteArray& pdf, const MetadatosPdf& metadatos);

// A text as a PDF string (UTF-16 with its mark when it is not plain ASCII).
QByteArray CadenaPdf(const QString& texto);
// A moment as a PDF date, in UTC ("D:20261207125901Z").
QByteArray FechaPdf(const QDateTime& momento);
