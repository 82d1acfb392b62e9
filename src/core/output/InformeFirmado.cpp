#include "core/output/InformeFirmado.h"

#include "core/output/ArchivoPkcs12.h"
#include "core/output/EscribirArchivo.h"
#include "core/output/FirmaPdf.h"

namespace {

// The report with its signature box, and the update that signs it.
std::pair<QByteArray, QByteArray> firmar(const InformeInfracciones& informe, const MetadatosPdf& metadatos,
                                         const CertificadoFirma& certificado, QString* error) {
    const QDateTime momento = QDateTime::currentDateTime();
    DatosInforme datos = informe.datos();
    datos.firma = RecuadroFirma{certificado.sujeto(), momento.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")),
                                metadatos.codigo};
    const InformeInfracciones conRecuadro(std::move(datos));
    QByteArray pdf = conRecuadro.pdfArchivo(metadatos);
    if (pdf.isEmpty()) {
        if (error)
            *error = QStringLiteral("No se pudo preparar el documento PDF del informe.");
        return {};
    }
    OpcionesFirma opciones;
    opciones.momento = momento;
    opciones.recuadro = conRecuadro.recuadroFirmaPdf();
    QByteArray actualizacion = ActualizacionFirma(pdf, certificado, opciones, error);
    if (actualizacion.isEmpty())
        return {};
    return {std::move(pdf), std::move(actualizacion)};
}

} // namespace

bool GuardarInformeFirmado(const InformeInfracciones& informe, const MetadatosPdf& metadatos,
                           const CertificadoFirma& certificado, const QString& ruta, QString* error) {
    const auto [pdf, actualizacion] = firmar(informe, metadatos, certificado, error);
    if (actualizacion.isEmpty())
        return false;
    return EscribirArchivoEntero(ruta, {QByteArrayView(pdf), QByteArrayView(actualizacion)}, error);
}

QByteArray InformeFirmadoPdf(const InformeInfracciones& informe, const MetadatosPdf& metadatos,
                             const CertificadoFirma& certificado, QString* error) {
    const auto [pdf, actualizacion] = firmar(informe, metadatos, certificado, error);
    return actualizacion.isEmpty() ? QByteArray() : pdf + actualizacion;
}
