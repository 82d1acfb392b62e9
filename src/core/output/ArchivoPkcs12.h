#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <openssl/types.h>

#include <memory>
#include <vector>

// The office's certificate as a PKCS#12 file (.p12/.pfx) holds it: the signer's certificate, its
// private key and the chain of authorities the file carries. Opened only to sign, never kept.
class CertificadoFirma {
public:
    // Opens the file with its password, checked for signing at `ahora`: null, with the reason in
    // Spanish in `error`, for a wrong password, a damaged file, a file without the private key, or
    // a certificate that is not valid at that moment or not meant for signing.
    static std::unique_ptr<CertificadoFirma> abrir(const QString& ruta, const QByteArray& contrasena,
                                                   const QDateTime& ahora, QString* error);
    ~CertificadoFirma();
    CertificadoFirma(const CertificadoFirma&) = delete;
    CertificadoFirma& operator=(const CertificadoFirma&) = delete;

    QString sujeto() const; // "CN=..., O=..., C=..."
    QDateTime validoDesde() const;
    QDateTime validoHasta() const;

    X509* certificado() const { return certificado_; }
    EVP_PKEY* clave() const { return clave_; }
    const std::vector<X509*>& cadena() const { return cadena_; }

private:
    CertificadoFirma() = default;
    X509* certificado_ = nullptr;
    EVP_PKEY* clave_ = nullptr;
    std::vector<X509*> cadena_;
};

// A name as the signature box and the checks show it.
QString TextoNombreX509(const X509_NAME* nombre);
// An ASN.1 time as a moment, UTC.
QDateTime MomentoAsn1(const ASN1_TIME* t);
// Loads OpenSSL's default and legacy providers (older .pfx files use legacy ciphers). Once.
void CargarProveedoresOpenSsl();
