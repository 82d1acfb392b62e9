#include "core/output/ArchivoPkcs12.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pkcs12.h>
#include <openssl/provider.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <ctime>

void CargarProveedoresOpenSsl() {
    static const bool cargados = [] {
        OSSL_PROVIDER_load(nullptr, "default");
        OSSL_PROVIDER_load(nullptr, "legacy");
        ERR_clear_error();
        return true;
    }();
    Q_UNUSED(cargados);
}

QString TextoNombreX509(const X509_NAME* nombre) {
    BIO* bio = BIO_new(BIO_s_mem());
    const unsigned long formato = (ASN1_STRFLGS_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) | XN_FLAG_SEP_CPLUS_SPC |
                                  XN_FLAG_DN_REV | XN_FLAG_FN_SN;
    X509_NAME_print_ex(bio, nombre, 0, formato);
    char* datos = nullptr;
    const long n = BIO_get_mem_data(bio, &datos);
    const QString texto = QString::fromUtf8(datos, static_cast<qsizetype>(n));
    BIO_free(bio);
    return texto;
}

QDateTime MomentoAsn1(const ASN1_TIME* t) {
    std::tm tm{};
    if (!t || ASN1_TIME_to_tm(t, &tm) != 1)
        return {};
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                     QTime(tm.tm_hour, tm.tm_min, tm.tm_sec), Qt::UTC);
}

namespace {

QString fechaCorta(const QDateTime& m) {
    return m.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
}

} // namespace

std::unique_ptr<CertificadoFirma> CertificadoFirma::abrir(const QString& ruta, const QByteArray& contrasena,
                                                          const QDateTime& ahora, QString* error) {
    CargarProveedoresOpenSsl();
    const auto fallo = [&](const QString& motivo) {
        if (error)
            *error = motivo;
        ERR_clear_error();
        return std::unique_ptr<CertificadoFirma>();
    };
    const QString nombre = QFileInfo(ruta).fileName();
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly))
        return fallo(
            QStringLiteral("No se pudo leer el certificado \"%1\": %2").arg(ruta, archivo.errorString()));
    const QByteArray datos = archivo.readAll();
    const auto* p = reinterpret_cast<const unsigned char*>(datos.constData());
    PKCS12* p12 = d2i_PKCS12(nullptr, &p, static_cast<long>(datos.size()));
    const QString danado =
        QStringLiteral("El archivo \"%1\" no es un certificado PKCS#12 (.p12 o .pfx) válido o está dañado.")
            .arg(nombre);
    if (!p12)
        return fallo(danado);
    const QString malaClave =
        QStringLiteral("La contraseña del certificado \"%1\" no es correcta.").arg(nombre);
    if (PKCS12_mac_present(p12) &&
        !PKCS12_verify_mac(p12, contrasena.constData(), static_cast<int>(contrasena.size()))) {
        PKCS12_free(p12);
        return fallo(malaClave);
    }
    EVP_PKEY* clave = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* ca = nullptr;
    const int leido = PKCS12_parse(p12, contrasena.constData(), &clave, &cert, &ca);
    PKCS12_free(p12);
    if (leido != 1)
        return fallo(danado);
    std::unique_ptr<CertificadoFirma> c(new CertificadoFirma());
    c->certificado_ = cert;
    c->clave_ = clave;
    for (int i = 0; ca && i < sk_X509_num(ca); ++i)
        c->cadena_.push_back(sk_X509_value(ca, i));
    sk_X509_free(ca); // the certificates now belong to c
    if (!clave)
        return fallo(
            QStringLiteral("El archivo \"%1\" no contiene la clave privada del certificado: hace falta "
                           "el certificado exportado con su clave privada.")
                .arg(nombre));
    if (!cert)
        return fallo(QStringLiteral("El archivo \"%1\" no contiene ningún certificado.").arg(nombre));
    if (X509_check_private_key(cert, clave) != 1)
        return fallo(QStringLiteral("La clave privada del archivo \"%1\" no corresponde a su certificado.")
                         .arg(nombre));
    const QDateTime desde = c->validoDesde();
    const QDateTime hasta = c->validoHasta();
    if (ahora < desde)
        return fallo(QStringLiteral("El certificado de \"%1\" todavía no es válido: lo será desde el %2.")
                         .arg(c->sujeto(), fechaCorta(desde)));
    if (ahora > hasta)
        return fallo(
            QStringLiteral("El certificado de \"%1\" venció el %2.").arg(c->sujeto(), fechaCorta(hasta)));
    // Certificates without a key-usage extension may sign; one that has it must allow signing.
    const uint32_t uso = X509_get_key_usage(cert);
    if (uso != UINT32_MAX && !(uso & (KU_DIGITAL_SIGNATURE | KU_NON_REPUDIATION)))
        return fallo(
            QStringLiteral("El certificado de \"%1\" no está autorizado para firmar.").arg(c->sujeto()));
    return c;
}

CertificadoFirma::~CertificadoFirma() {
    EVP_PKEY_free(clave_);
    X509_free(certificado_);
    for (X509* x : cadena_)
        X509_free(x);
}

QString CertificadoFirma::sujeto() const {
    return TextoNombreX509(X509_get_subject_name(certificado_));
}

QDateTime CertificadoFirma::validoDesde() const {
    return MomentoAsn1(X509_get0_notBefore(certificado_));
}

QDateTime CertificadoFirma::validoHasta() const {
    return MomentoAsn1(X509_get0_notAfter(certificado_));
}
