#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QRectF>
#include <QString>

class CertificadoFirma;

// How a document is signed.
struct OpcionesFirma {
    QDateTime momento = QDateTime::currentDateTime(); // the signature dictionary's /M
    QRectF recuadro;                                  // the visible box on the last page, in PDF points
};

// The incremental update that signs a PDF document as InformeInfracciones writes it (PAdES
// baseline B: a detached CMS over every byte but the signature's own, SubFilter
// /ETSI.CAdES.detached, the signing-certificate-v2 attribute, no signing-time attribute, the
// chain the certificate file carries). The signed file is `pdf` followed by these bytes.
// Empty, with the reason in Spanish in `error`, on failure.
QByteArray ActualizacionFirma(const QByteArray& pdf, const CertificadoFirma& certificado,
                              const OpcionesFirma& opciones, QString* error = nullptr);

// What a PDF's last signature says.
struct EstadoFirmaPdf {
    bool firmado = false;           // it carries a signature
    bool intacto = false;           // the signed bytes are the ones signed
    bool modificadoDespues = false; // bytes were added after the signed revision
    QString firmante;               // the signing certificate's subject
    QDateTime momento;              // the signature's /M
    QString detalle;                // what went wrong, in Spanish
};

// Checks the document's last signature: the hash and the signature over it (not whether the
// certificate is trusted).
EstadoFirmaPdf VerificarFirmaPdf(const QByteArray& pdf);

// A report for the user, in Spanish, of that check.
QString DescribirFirma(const EstadoFirmaPdf& estado);
