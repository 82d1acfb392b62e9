#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class InformeInfracciones;
class Oficina;
class QWidget;

// The certificate file and its password as the user gave them.
struct PedidoCertificado {
    QString ruta;
    QByteArray contrasena;
};

// Asks for the certificate (.p12/.pfx, the last one used offered) and its password, then where to
// save, and writes the report signed. The password is never kept; the certificate's path is
// remembered for the user. Every failure is told in a message and leaves no file behind.
void GuardarInformeFirmadoDesdeVista(QWidget* padre, const InformeInfracciones& informe, Oficina* oficina);

// The certificate path remembered for this user, empty when none.
QString CertificadoPredeterminado();

// Test seam: replaces the certificate dialog (given the remembered path; nothing = cancelled).
void SustituirPedirCertificado(std::function<std::optional<PedidoCertificado>(const QString&)> f);
