#include "windows/output/GuardarFirmado.h"

#include "core/Oficina.h"
#include "core/output/ArchivoPkcs12.h"
#include "core/output/InformeFirmado.h"
#include "windows/platform/Dialogos.h"
#include "windows/platform/Mensajes.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

namespace {

const QString kTitulo = QStringLiteral("Guardar firmado");
const QString kClaveCertificado = QStringLiteral("firma/certificado");

std::function<std::optional<PedidoCertificado>(const QString&)>& sustituto() {
    static std::function<std::optional<PedidoCertificado>(const QString&)> f;
    return f;
}

QSettings ajustes() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("velmora"),
                     QStringLiteral("velmora-kv270"));
}

std::optional<PedidoCertificado> pedirCertificado(QWidget* padre, const QString& predeterminado) {
    if (sustituto())
        return sustituto()(predeterminado);
    QDialog dialogo(padre);
    dialogo.setObjectName(QStringLiteral("FirmarInforme"));
    dialogo.setWindowTitle(QStringLiteral("Firmar el informe"));
    auto* forma = new QFormLayout(&dialogo);
    auto* ruta = new QLineEdit(predeterminado);
    ruta->setObjectName(QStringLiteral("Certificado"));
    auto* examinar = new QPushButton(QStringLiteral("Examinar..."));
    examinar->setObjectName(QStringLiteral("Examinar"));
    auto* fila = new QHBoxLayout;
    fila->addWidget(ruta);
    fila->addWidget(examinar);
    auto* etiquetaRuta = new QLabel(QStringLiteral("Certificado (.p12, .pfx):"));
    etiquetaRuta->setBuddy(ruta);
    forma->addRow(etiquetaRuta, fila);
    auto* clave = new QLineEdit;
    clave->setObjectName(QStringLiteral("Contrasena"));
    clave->setEchoMode(QLineEdit::Password);
    auto* etiquetaClave = new QLabel(QStringLiteral("Contraseña del certificado:"));
    etiquetaClave->setBuddy(clave);
    forma->addRow(etiquetaClave, clave);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    forma->addRow(botones);
    QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
    QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
    QObject::connect(examinar, &QPushButton::clicked, &dialogo, [&dialogo, ruta] {
        const QString elegido = DialogoAbrirArchivo(&dialogo, QStringLiteral("Certificado para firmar"),
                                                    QStringLiteral("Certificado PKCS#12 (*.p12 *.pfx)"));
        if (!elegido.isEmpty())
            ruta->setText(elegido);
    });
    if (!predeterminado.isEmpty())
        clave->setFocus();
    if (dialogo.exec() != QDialog::Accepted || ruta->text().trimmed().isEmpty())
        return {};
    return PedidoCertificado{ruta->text().trimmed(), clave->text().toUtf8()};
}

} // namespace

QString CertificadoPredeterminado() {
    return ajustes().value(kClaveCertificado).toString();
}

void SustituirPedirCertificado(std::function<std::optional<PedidoCertificado>(const QString&)> f) {
    sustituto() = std::move(f);
}

std::unique_ptr<CertificadoFirma> PedirCertificadoFirma(QWidget* padre) {
    std::optional<PedidoCertificado> pedido = pedirCertificado(padre, CertificadoPredeterminado());
    if (!pedido)
        return nullptr;
    QString error;
    std::unique_ptr<CertificadoFirma> certificado =
        CertificadoFirma::abrir(pedido->ruta, pedido->contrasena, QDateTime::currentDateTime(), &error);
    pedido->contrasena.fill('\0');
    if (!certificado) {
        MostrarMensaje(error, kTitulo, Icono::Critico);
        return nullptr;
    }
    ajustes().setValue(kClaveCertificado, pedido->ruta);
    return certificado;
}

bool GuardarInformeFirmadoEn(const InformeInfracciones& informe, const Oficina* oficina,
                             const CertificadoFirma& certificado, const QString& ruta,
                             const AnotarDocumento& anotar) {
    MetadatosPdf metadatos = informe.metadatos();
    if (oficina)
        metadatos.autor = oficina->usuario();
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool bien = GuardarEmitido(
        ruta,
        [&](const QString& archivo, QString* motivo) {
            return GuardarInformeFirmado(informe, metadatos, certificado, archivo, motivo);
        },
        anotar, &error);
    QApplication::restoreOverrideCursor();
    if (!bien)
        MostrarMensaje(error, kTitulo, Icono::Critico);
    return bien;
}
