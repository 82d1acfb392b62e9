#pragma once

// Certificates made by the tests: a test authority, a signer it issued, and the bad ones (expired,
// not yet valid, without its key, damaged, with legacy ciphers), as PKCS#12 files in a folder.

#include "core/output/ArchivoPkcs12.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

namespace prueba {

inline X509* certificadoPrueba(EVP_PKEY* clave, const char* nombre, X509* emisor, EVP_PKEY* claveEmisor,
                               long desde, long hasta, long serie) {
    X509* x = X509_new();
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), serie);
    X509_gmtime_adj(X509_getm_notBefore(x), desde);
    X509_gmtime_adj(X509_getm_notAfter(x), hasta);
    X509_set_pubkey(x, clave);
    X509_NAME* n = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(n, "C", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("AR"), -1, -1,
                               0);
    X509_NAME_add_entry_by_txt(n, "O", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>("Municipalidad de Ensayo"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(n, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(nombre), -1, -1,
                               0);
    X509_set_issuer_name(x, emisor ? X509_get_subject_name(emisor) : n);
    X509_sign(x, claveEmisor, EVP_sha256());
    return x;
}

struct CertificadosPrueba {
    QTemporaryDir dir;
    QString firmante, vencido, futuro, sinClave, danado, legado, autoridad;
    const QByteArray contrasena = "secreto ñ";

    CertificadosPrueba() {
        CargarProveedoresOpenSsl();
        constexpr long dia = 86400;
        EVP_PKEY* claveCa = EVP_RSA_gen(2048);
        X509* ca = certificadoPrueba(claveCa, "Autoridad de Prueba", nullptr, claveCa, -dia, 3650 * dia, 1);
        EVP_PKEY* clave = EVP_RSA_gen(2048);
        STACK_OF(X509)* cadena = sk_X509_new_null();
        sk_X509_push(cadena, ca);
        const auto escribir = [&](const QString& nombre, EVP_PKEY* k, X509* x, int nidCert, int nidClave) {
            PKCS12* p12 =
                PKCS12_create(contrasena.constData(), "Oficina", k, x, cadena, nidClave, nidCert, 0, 0, 0);
            unsigned char* der = nullptr;
            const int n = i2d_PKCS12(p12, &der);
            QFile f(dir.filePath(nombre));
            f.open(QIODevice::WriteOnly);
            f.write(reinterpret_cast<const char*>(der), n);
            OPENSSL_free(der);
            PKCS12_free(p12);
            return f.fileName();
        };
        X509* bueno = certificadoPrueba(clave, "Oficina de Inspección", ca, claveCa, -dia, 365 * dia, 2);
        X509* viejo =
            certificadoPrueba(clave, "Oficina de Inspección", ca, claveCa, -730 * dia, -365 * dia, 3);
        X509* nuevo = certificadoPrueba(clave, "Oficina de Inspección", ca, claveCa, 365 * dia, 730 * dia, 4);
        firmante = escribir("firmante.p12", clave, bueno, 0, 0);
        vencido = escribir("vencido.p12", clave, viejo, 0, 0);
        futuro = escribir("futuro.p12", clave, nuevo, 0, 0);
        sinClave = escribir("sinclave.p12", nullptr, bueno, 0, 0);
        legado = escribir("legado.pfx", clave, bueno, NID_pbe_WithSHA1And40BitRC2_CBC,
                          NID_pbe_WithSHA1And3_Key_TripleDES_CBC);
        QFile f(firmante);
        f.open(QIODevice::ReadOnly);
        QByteArray roto = f.readAll();
        roto.truncate(roto.size() / 2);
        QFile d(dir.filePath("danado.p12"));
        d.open(QIODevice::WriteOnly);
        d.write(roto);
        danado = d.fileName();
        autoridad = dir.filePath("autoridad.pem");
        FILE* pem = std::fopen(autoridad.toLocal8Bit().constData(), "w");
        PEM_write_X509(pem, ca);
        std::fclose(pem);
        sk_X509_free(cadena);
        X509_free(bueno);
        X509_free(viejo);
        X509_free(nuevo);
        X509_free(ca);
        EVP_PKEY_free(clave);
        EVP_PKEY_free(claveCa);
    }
};

// One set per test process: making keys takes a while.
inline CertificadosPrueba& certificados() {
    static CertificadosPrueba c;
    return c;
}

} // namespace prueba
