#pragma once

#include "core/output/GuardarEmitido.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class CertificadoFirma;
class InformeInfracciones;
class Oficina;
class QWidget;

// The certificate file and its password as the user gave them.
struct PedidoCertificado {
    QString ruta;
    QByteArray contrasena;
};

// Asks for the certificate (.p12/.pfx, the last one used offered) and its password and opens it.
// None when cancelled or refused (the reason told in a message). The password is never kept; the
// certificate's path is remembered for the user.
std::unique_ptr<CertificadoFirma> PedirCertificadoFirma(QWidget* padre);

// Writes the issued report signed into `ruta` and records it through `anotar`. Every failure is
// told in a message and leaves no file behind and nothing recorded.
bool GuardarInformeFirmadoEn(const InformeInfracciones& informe, const Oficina* oficina,
                             const CertificadoFirma& certificado, const QString& ruta,
                             const AnotarDocumento& anotar);

// The certificate path remembered for this user, empty when none.
QString CertificadoPredeterminado();

// Test seam: replaces the certificate dialog (given the remembered path; nothing = cancelled).
void SustituirPedirCertificado(std::function<std::optional<PedidoCertificado>(const QString&)> f);
