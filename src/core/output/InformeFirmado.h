#pragma once

#include "core/output/InformeInfracciones.h"

class CertificadoFirma;

// Writes the report as an archival PDF signed with the certificate, its box on the last page
// naming the signer, the moment and the code (`metadatos.codigo`). False, with the reason in
// Spanish in `error`, on failure; the file is then left as it was.
bool GuardarInformeFirmado(const InformeInfracciones& informe, const MetadatosPdf& metadatos,
                           const CertificadoFirma& certificado, const QString& ruta, QString* error);

// The same in memory: the signed document, empty on failure.
QByteArray InformeFirmadoPdf(const InformeInfracciones& informe, const MetadatosPdf& metadatos,
                             const CertificadoFirma& certificado, QString* error);
