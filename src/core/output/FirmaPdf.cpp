#include "core/output/FirmaPdf.h"

#include "core/output/ArchivoPkcs12.h"
#include "core/output/DocumentoPdf.h"
#include "core/output/PdfArchivo.h"

#include <QList>
#include <QUuid>

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/ess.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

// Room for the CMS: a signer with a chain of a few certificates takes well under half of it.
constexpr qsizetype kReservaFirma = 16384;
constexpr int kAnchoNumero = 10; // of each /ByteRange number

QByteArray longitudDer(qsizetype n) {
    if (n < 0x80)
        return QByteArray(1, char(n));
    QByteArray b;
    for (; n > 0; n >>= 8)
        b.prepend(char(n & 0xff));
    return char(0x80 | b.size()) + b;
}

QByteArray opensslError() {
    char texto[256] = {};
    ERR_error_string_n(ERR_get_error(), texto, sizeof texto);
    ERR_clear_error();
    return texto;
}

// The detached CMS over a digest already computed (the signed attributes are signed by hand:
// OpenSSL's own signing step always adds a signing-time attribute, which PAdES leaves out).
QByteArray firmaCms(const QByteArray& resumen, const CertificadoFirma& c, QString* error) {
    using Cms = std::unique_ptr<CMS_ContentInfo, decltype(&CMS_ContentInfo_free)>;
    Cms cms(CMS_sign(nullptr, nullptr, nullptr, nullptr, CMS_DETACHED | CMS_BINARY | CMS_PARTIAL),
            &CMS_ContentInfo_free);
    CMS_SignerInfo* si = cms ? CMS_add1_signer(cms.get(), c.certificado(), c.clave(), EVP_sha256(),
                                               CMS_BINARY | CMS_PARTIAL | CMS_NOSMIMECAP)
                             : nullptr;
    const auto fallo = [&] {
        if (error)
            *error =
                QStringLiteral("No se pudo firmar el documento (%1).").arg(QString::fromUtf8(opensslError()));
        return QByteArray();
    };
    if (!si)
        return fallo();
    for (X509* x : c.cadena())
        if (X509_cmp(x, c.certificado()) != 0 && CMS_add1_cert(cms.get(), x) != 1)
            return fallo();
    if (CMS_signed_get_attr_by_NID(si, NID_pkcs9_contentType, -1) < 0 &&
        CMS_signed_add1_attr_by_NID(si, NID_pkcs9_contentType, V_ASN1_OBJECT, OBJ_nid2obj(NID_pkcs7_data),
                                    -1) != 1)
        return fallo();
    if (CMS_signed_add1_attr_by_NID(si, NID_pkcs9_messageDigest, V_ASN1_OCTET_STRING, resumen.constData(),
                                    static_cast<int>(resumen.size())) != 1)
        return fallo();
    {
        ESS_SIGNING_CERT_V2* sc =
            OSSL_ESS_signing_cert_v2_new_init(EVP_sha256(), c.certificado(), nullptr, 0);
        unsigned char* der = nullptr;
        const int n = sc ? i2d_ESS_SIGNING_CERT_V2(sc, &der) : -1;
        ESS_SIGNING_CERT_V2_free(sc);
        ASN1_STRING* secuencia = ASN1_STRING_new();
        const bool bien = n > 0 && ASN1_STRING_set(secuencia, der, n) == 1 &&
                          CMS_signed_add1_attr_by_NID(si, NID_id_smime_aa_signingCertificateV2,
                                                      V_ASN1_SEQUENCE, secuencia, -1) == 1;
        ASN1_STRING_free(secuencia);
        OPENSSL_free(der);
        if (!bien)
            return fallo();
    }
    // The signed attributes as DER: a SET OF, its members in their encodings' order.
    std::vector<QByteArray> atributos;
    for (int i = 0; i < CMS_signed_get_attr_count(si); ++i) {
        unsigned char* der = nullptr;
        const int n = i2d_X509_ATTRIBUTE(CMS_signed_get_attr(si, i), &der);
        if (n <= 0)
            return fallo();
        atributos.emplace_back(reinterpret_cast<const char*>(der), n);
        OPENSSL_free(der);
    }
    std::ranges::sort(atributos);
    QByteArray contenido;
    for (const QByteArray& a : atributos)
        contenido += a;
    const QByteArray firmado = char(0x31) + longitudDer(contenido.size()) + contenido;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    size_t largo = 0;
    const auto* datos = reinterpret_cast<const unsigned char*>(firmado.constData());
    if (EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, c.clave()) != 1 ||
        EVP_DigestSign(ctx.get(), nullptr, &largo, datos, static_cast<size_t>(firmado.size())) != 1)
        return fallo();
    std::vector<unsigned char> firma(largo);
    if (EVP_DigestSign(ctx.get(), firma.data(), &largo, datos, static_cast<size_t>(firmado.size())) != 1)
        return fallo();
    ASN1_STRING_set(CMS_SignerInfo_get0_signature(si), firma.data(), static_cast<int>(largo));
    unsigned char* der = nullptr;
    const int n = i2d_CMS_ContentInfo(cms.get(), &der);
    if (n <= 0)
        return fallo();
    QByteArray salida(reinterpret_cast<const char*>(der), n);
    OPENSSL_free(der);
    return salida;
}

QByteArray numeroPdf(double v) {
    return QByteArray::number(v, 'f', 2);
}

// The first /ID string of the trailer.
QByteArray primerId(const QByteArray& pdf, qsizetype desde) {
    const qsizetype i = pdf.indexOf("/ID", desde);
    const qsizetype abre = i < 0 ? -1 : pdf.indexOf('<', i);
    const qsizetype cierra = abre < 0 ? -1 : pdf.indexOf('>', abre);
    return cierra < 0 ? QByteArray() : pdf.sliced(abre + 1, cierra - abre - 1);
}

} // namespace

QByteArray ActualizacionFirma(const QByteArray& pdf, const CertificadoFirma& certificado,
                              const OpcionesFirma& opciones, QString* error) {
    const std::optional<DocumentoPdf> doc = LeerDocumentoPdf(pdf);
    if (!doc) {
        if (error)
            *error = QStringLiteral("El documento no tiene la forma que el programa sabe firmar.");
        return {};
    }
    const int pagina = doc->hojas.back();
    const QByteArrayView cuerpoPagina = doc->cuerpo(pagina);
    const QByteArrayView catalogo = doc->cuerpo(doc->raiz);
    const int firma = doc->tamano, campo = firma + 1, aspecto = firma + 2;
    const QByteArray ref = " 0 R";
    std::map<int, QByteArray> objetos;
    // The page's annotations gain the signature field; the catalog gains the form.
    const int anotaciones = ReferenciaPdf(cuerpoPagina, "/Annots");
    if (anotaciones != 0) {
        QByteArray lista = doc->cuerpo(anotaciones).toByteArray();
        const qsizetype cierra = lista.lastIndexOf(']');
        if (cierra < 0)
            return {};
        lista.insert(cierra, ' ' + QByteArray::number(campo) + ref + ' ');
        objetos[anotaciones] = lista;
    } else {
        QByteArray p = cuerpoPagina.toByteArray();
        p.insert(p.lastIndexOf(">>"), "/Annots [" + QByteArray::number(campo) + ref + "]\n");
        objetos[pagina] = p;
    }
    QByteArray cat = catalogo.toByteArray();
    if (cat.contains("/AcroForm")) {
        if (error)
            *error = QStringLiteral("El documento ya tiene un formulario o una firma.");
        return {};
    }
    cat.insert(cat.lastIndexOf(">>"),
               "/AcroForm << /Fields [" + QByteArray::number(campo) + ref + "] /SigFlags 3 >>\n");
    objetos[doc->raiz] = cat;
    const QRectF r = opciones.recuadro;
    objetos[campo] = QByteArray::number(campo) +
                     " 0 obj\n<<\n/Type /Annot /Subtype /Widget /FT /Sig /F 132 /T (Firma)\n/V " +
                     QByteArray::number(firma) + ref + " /P " + QByteArray::number(pagina) + ref +
                     "\n/Rect [" + numeroPdf(r.left()) + ' ' + numeroPdf(r.top()) + ' ' +
                     numeroPdf(r.right()) + ' ' + numeroPdf(r.bottom()) + "]\n/AP << /N " +
                     QByteArray::number(aspecto) + ref + " >>\n>>\nendobj\n";
    // The box is in the page itself; the field's own appearance is empty.
    objetos[aspecto] = QByteArray::number(aspecto) + " 0 obj\n<<\n/Type /XObject /Subtype /Form /BBox [0 0 " +
                       numeroPdf(r.width()) + ' ' + numeroPdf(r.height()) +
                       "]\n/Length 0\n>>\nstream\n\nendstream\nendobj\n";
    const QByteArray marcador(kAnchoNumero, '*');
    objetos[firma] = QByteArray::number(firma) +
                     " 0 obj\n<<\n/Type /Sig /Filter /Adobe.PPKLite /SubFilter /ETSI.CAdES.detached\n/M (" +
                     FechaPdf(opciones.momento) + ")\n/ByteRange [0 " + marcador + ' ' + marcador + ' ' +
                     marcador + "]\n/Contents <" + QByteArray(2 * kReservaFirma, '0') + ">\n>>\nendobj\n";

    QByteArray act = pdf.endsWith('\n') ? QByteArray() : QByteArray("\n");
    std::map<int, qsizetype> posiciones;
    for (const auto& [n, texto] : objetos) {
        posiciones[n] = pdf.size() + act.size();
        act += texto;
    }
    const qsizetype xref = pdf.size() + act.size();
    act += "xref\n";
    for (auto it = posiciones.begin(); it != posiciones.end();) {
        auto fin = it;
        int cuantos = 0;
        while (fin != posiciones.end() && fin->first == it->first + cuantos) {
            ++fin;
            ++cuantos;
        }
        act += QByteArray::number(it->first) + ' ' + QByteArray::number(cuantos) + '\n';
        for (; it != fin; ++it)
            act += QByteArray::number(it->second).rightJustified(10, '0') + " 00000 n \n";
    }
    const QByteArray id = primerId(pdf, doc->xref);
    act += "trailer\n<<\n/Size " + QByteArray::number(aspecto + 1) + "\n/Root " +
           QByteArray::number(doc->raiz) + ref + "\n/Info " + QByteArray::number(doc->info) + ref +
           "\n/Prev " + QByteArray::number(doc->xref) + "\n/ID [<" + id + "> <" +
           QUuid::createUuid().toRfc4122().toHex() + ">]\n>>\nstartxref\n" + QByteArray::number(xref) +
           "\n%%EOF\n";

    // The byte ranges: everything but the hexadecimal string of /Contents, its brackets included.
    const qsizetype rango = act.indexOf("/ByteRange [0 ");
    const qsizetype abre = act.indexOf("/Contents <", rango) + 10;
    const qsizetype cierra = abre + 2 * kReservaFirma + 1;
    const qsizetype a = pdf.size() + abre, b = pdf.size() + cierra + 1;
    const qsizetype total = pdf.size() + act.size();
    QByteArray rangos;
    for (const qsizetype v : {a, b, total - b})
        rangos += QByteArray::number(v).leftJustified(kAnchoNumero, ' ') + ' ';
    rangos.chop(1);
    act.replace(rango + 14, rangos.size(), rangos);
    // OpenSSL's SHA-256 uses the processor's instructions: a 4,900-page report hashes in a few ms.
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> md(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    QByteArray resumen(EVP_MAX_MD_SIZE, '\0');
    unsigned int largo = 0;
    const QByteArrayView partes[] = {pdf, QByteArrayView(act).first(abre),
                                     QByteArrayView(act).sliced(cierra + 1)};
    bool bien = md && EVP_DigestInit_ex(md.get(), EVP_sha256(), nullptr) == 1;
    for (const QByteArrayView parte : partes)
        bien = bien && EVP_DigestUpdate(md.get(), parte.data(), static_cast<size_t>(parte.size())) == 1;
    bien =
        bien && EVP_DigestFinal_ex(md.get(), reinterpret_cast<unsigned char*>(resumen.data()), &largo) == 1;
    if (!bien) {
        if (error)
            *error = QStringLiteral("No se pudo calcular el resumen del documento.");
        return {};
    }
    resumen.truncate(largo);
    const QByteArray cms = firmaCms(resumen, certificado, error);
    if (cms.isEmpty())
        return {};
    if (cms.size() > kReservaFirma) {
        if (error)
            *error = QStringLiteral("La firma no cabe en el espacio reservado: la cadena del certificado es "
                                    "demasiado larga.");
        return {};
    }
    const QByteArray hex = cms.toHex();
    act.replace(abre + 1, hex.size(), hex);
    return act;
}

EstadoFirmaPdf VerificarFirmaPdf(const QByteArray& pdf) {
    CargarProveedoresOpenSsl();
    EstadoFirmaPdf e;
    const qsizetype rango = pdf.lastIndexOf("/ByteRange");
    if (rango < 0 || !pdf.sliced(std::max<qsizetype>(0, rango - 4096), std::min<qsizetype>(rango, 4096))
                          .contains("/Type /Sig")) {
        e.detalle = QStringLiteral("El documento no está firmado.");
        return e;
    }
    e.firmado = true;
    const qsizetype abre = pdf.indexOf('[', rango), cierra = pdf.indexOf(']', rango);
    const QList<QByteArray> numeros = pdf.sliced(abre + 1, cierra - abre - 1).simplified().split(' ');
    std::vector<qsizetype> r;
    for (const QByteArray& n : numeros)
        r.push_back(n.toLongLong());
    if (r.size() != 4 || r[0] != 0 || r[1] <= 0 || r[2] <= r[1] || r[3] < 0 || r[2] + r[3] > pdf.size() ||
        pdf[r[1]] != '<' || pdf[r[2] - 1] != '>') {
        e.detalle = QStringLiteral("La firma del documento está dañada.");
        return e;
    }
    e.modificadoDespues = r[2] + r[3] < pdf.size();
    const qsizetype fechaM = pdf.indexOf("/M (D:", rango - 4096 > 0 ? rango - 4096 : 0);
    if (fechaM >= 0 && fechaM < rango) {
        const QByteArray t = pdf.sliced(fechaM + 6, 14);
        e.momento = QDateTime::fromString(QString::fromLatin1(t), QStringLiteral("yyyyMMddHHmmss"));
        e.momento.setTimeSpec(Qt::UTC);
    }
    const QByteArray der = QByteArray::fromHex(pdf.sliced(r[1] + 1, r[2] - r[1] - 2));
    const auto* p = reinterpret_cast<const unsigned char*>(der.constData());
    std::unique_ptr<CMS_ContentInfo, decltype(&CMS_ContentInfo_free)> cms(
        d2i_CMS_ContentInfo(nullptr, &p, static_cast<long>(der.size())), &CMS_ContentInfo_free);
    if (!cms) {
        e.detalle = QStringLiteral("La firma del documento está dañada.");
        ERR_clear_error();
        return e;
    }
    QByteArray firmado = pdf.first(r[1]) + pdf.sliced(r[2], r[3]);
    BIO* datos = BIO_new_mem_buf(firmado.constData(), static_cast<int>(firmado.size()));
    e.intacto =
        CMS_verify(cms.get(), nullptr, nullptr, datos, nullptr, CMS_BINARY | CMS_NO_SIGNER_CERT_VERIFY) == 1;
    BIO_free(datos);
    ERR_clear_error();
    STACK_OF(X509)* firmantes = CMS_get0_signers(cms.get());
    if (firmantes && sk_X509_num(firmantes) > 0)
        e.firmante = TextoNombreX509(X509_get_subject_name(sk_X509_value(firmantes, 0)));
    sk_X509_free(firmantes);
    if (!e.intacto)
        e.detalle =
            QStringLiteral("El contenido firmado fue alterado: la firma no corresponde al documento.");
    else if (e.modificadoDespues)
        e.detalle = QStringLiteral("El documento fue modificado después de firmarlo.");
    return e;
}

QString DescribirFirma(const EstadoFirmaPdf& e) {
    if (!e.firmado)
        return e.detalle;
    QString texto = e.intacto && !e.modificadoDespues ? QStringLiteral("Firma válida: el documento no cambió "
                                                                       "desde que se firmó.")
                                                      : e.detalle;
    if (!e.firmante.isEmpty())
        texto += QStringLiteral("\nFirmante: ") + e.firmante;
    if (e.momento.isValid())
        texto += QStringLiteral("\nFirmado el: ") +
                 e.momento.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    return texto;
}
