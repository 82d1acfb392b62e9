// Archival PDF and the office's signature, checked with poppler's own tools and with ours.

#include "CertificadosPrueba.h"

#include "core/output/ArchivoPkcs12.h"
#include "core/output/FirmaPdf.h"
#include "core/output/InformeFirmado.h"
#include "core/output/InformeInfracciones.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

struct Salida {
    int estado = -1;
    QString texto;
};

Salida correr(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(programa, argumentos);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

DatosInforme datos(int registros) {
    DatosInforme d;
    d.titulo = TituloInforme(QStringLiteral("Municipalidad de Ensayo"));
    d.cliente = QStringLiteral("Juan Pérez");
    d.local = QStringLiteral("La Esquina");
    d.direccionLocal = DireccionLocalInforme("San Martín 120", "", "Rivadavia", "Buenos Aires");
    d.generado = QDateTime(QDate(2026, 12, 6), QTime(10, 26, 8));
    for (int i = 1; i <= registros; ++i) {
        const QStringList t =
            QStringLiteral("%1/03/2011|14:00:30|9%2|D. JOCKEY|BAT. OK|SI|12|Insp%2|85|10|3|105|30|70|60|%2")
                .arg(i % 28 + 1, 2, 10, QChar('0'))
                .arg(i)
                .split('|');
        d.registros.push_back({t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9], t[10], t[11],
                               t[12], t[13], t[14], t[15]});
    }
    return d;
}

MetadatosPdf metadatos(const InformeInfracciones& informe) {
    MetadatosPdf m = informe.metadatos();
    m.autor = QStringLiteral("Administrador");
    m.codigo = QStringLiteral("K7Q2-9MXD-4RTA");
    m.identidadRegistro = QStringLiteral("0b5e7c1e-2f4a-4a8e-9d7c-31f0d2a6b9e4");
    return m;
}

QByteArray leer(const QString& ruta) {
    QFile f(ruta);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void escribir(const QString& ruta, const QByteArray& datos) {
    QFile f(ruta);
    f.open(QIODevice::WriteOnly);
    f.write(datos);
}

std::unique_ptr<CertificadoFirma> firmante() {
    QString error;
    auto c = CertificadoFirma::abrir(prueba::certificados().firmante, prueba::certificados().contrasena,
                                     QDateTime::currentDateTime(), &error);
    EXPECT_TRUE(c) << error.toStdString();
    return c;
}

// Every line of the text in the order it is drawn, empty ones dropped.
QStringList lineas(const QString& ruta) {
    QStringList r = correr("pdftotext", {"-raw", ruta, "-"}).texto.split('\n');
    r.removeAll(QString());
    for (QString& l : r)
        l = l.simplified();
    r.removeAll(QString());
    return r;
}

} // namespace

TEST(CertificadoFirma, CadaProblemaDelArchivoSeDiceClaro) {
    const prueba::CertificadosPrueba& c = prueba::certificados();
    const QDateTime ahora = QDateTime::currentDateTime();
    QString error;
    auto bueno = CertificadoFirma::abrir(c.firmante, c.contrasena, ahora, &error);
    ASSERT_TRUE(bueno) << error.toStdString();
    EXPECT_EQ(bueno->sujeto(), QStringLiteral("CN=Oficina de Inspección, O=Municipalidad de Ensayo, C=AR"));
    EXPECT_EQ(bueno->cadena().size(), 1u);
    // Older files with RC2 and triple DES open through the legacy provider.
    EXPECT_TRUE(CertificadoFirma::abrir(c.legado, c.contrasena, ahora, &error)) << error.toStdString();

    const auto motivo = [&](const QString& ruta, const QByteArray& clave) {
        QString e;
        EXPECT_FALSE(CertificadoFirma::abrir(ruta, clave, ahora, &e)) << ruta.toStdString();
        return e;
    };
    EXPECT_EQ(motivo(c.firmante, "otra"),
              QStringLiteral("La contraseña del certificado \"firmante.p12\" no es correcta."));
    EXPECT_EQ(
        motivo(c.danado, c.contrasena),
        QStringLiteral("El archivo \"danado.p12\" no es un certificado PKCS#12 (.p12 o .pfx) válido o está "
                       "dañado."));
    EXPECT_TRUE(motivo(c.sinClave, c.contrasena)
                    .startsWith(QStringLiteral(
                        "El archivo \"sinclave.p12\" no contiene la clave privada del certificado")));
    EXPECT_TRUE(motivo(c.vencido, c.contrasena).contains(QStringLiteral("venció el")));
    EXPECT_TRUE(motivo(c.futuro, c.contrasena).contains(QStringLiteral("todavía no es válido")));
    EXPECT_TRUE(
        motivo(c.dir.filePath("no-existe.p12"), c.contrasena).startsWith("No se pudo leer el certificado"));
}

TEST(InformeFirmado, PdfsigLoDaPorValidoYNotaUnByteCambiado) {
    QTemporaryDir dir;
    const InformeInfracciones informe(datos(30));
    const auto certificado = firmante();
    ASSERT_TRUE(certificado);
    const QString sinFirma = dir.filePath("informe.pdf"), firmado = dir.filePath("firmado.pdf");
    ASSERT_TRUE(informe.guardarPdf(sinFirma, metadatos(informe)));
    QString error;
    ASSERT_TRUE(GuardarInformeFirmado(informe, metadatos(informe), *certificado, firmado, &error))
        << error.toStdString();

    Salida s = correr("pdfsig", {firmado});
    EXPECT_TRUE(s.texto.contains("Signature Validation: Signature is Valid.")) << s.texto.toStdString();
    EXPECT_TRUE(s.texto.contains("Total document signed")) << s.texto.toStdString();
    EXPECT_TRUE(s.texto.contains("ETSI.CAdES.detached")) << s.texto.toStdString();
    EXPECT_TRUE(s.texto.contains("Oficina de Inspección")) << s.texto.toStdString();

    const QByteArray bytes = leer(firmado);
    const EstadoFirmaPdf estado = VerificarFirmaPdf(bytes);
    EXPECT_TRUE(estado.firmado && estado.intacto && !estado.modificadoDespues)
        << estado.detalle.toStdString();
    EXPECT_EQ(estado.firmante, certificado->sujeto());
    EXPECT_LE(std::abs(estado.momento.secsTo(QDateTime::currentDateTime())), 120);
    // The CMS carries no signing time (the dictionary's /M says when) and the signer's chain.
    EXPECT_FALSE(VerificarFirmaPdf(leer(sinFirma)).firmado);

    // One byte of the report's text changed after signing.
    QByteArray cambiado = bytes;
    const qsizetype i = cambiado.indexOf("/Producer");
    cambiado[i + 3] = 'X';
    escribir(dir.filePath("cambiado.pdf"), cambiado);
    s = correr("pdfsig", {dir.filePath("cambiado.pdf")});
    EXPECT_FALSE(s.texto.contains("Signature is Valid.")) << s.texto.toStdString();
    EstadoFirmaPdf e = VerificarFirmaPdf(cambiado);
    EXPECT_TRUE(e.firmado);
    EXPECT_FALSE(e.intacto);
    EXPECT_EQ(DescribirFirma(e).section('\n', 0, 0),
              QStringLiteral("El contenido firmado fue alterado: la firma no corresponde al documento."));
    // Something added after the signed revision.
    e = VerificarFirmaPdf(bytes + "1 0 obj\n<< >>\nendobj\n");
    EXPECT_TRUE(e.intacto);
    EXPECT_TRUE(e.modificadoDespues);

    // The signed text is the report's plus the box.
    QStringList esperado = lineas(sinFirma);
    QStringList obtenido = lineas(firmado);
    const QStringList recuadro = obtenido.filter(
        QRegularExpression("^(Documento firmado|Firmante:|Fecha de firma:|Código de verificación:)"));
    EXPECT_EQ(recuadro.size(), 4) << obtenido.join('\n').toStdString();
    EXPECT_TRUE(recuadro.contains(QStringLiteral("Código de verificación: K7Q2-9MXD-4RTA")));
    for (const QString& l : recuadro)
        obtenido.removeOne(l);
    EXPECT_EQ(obtenido.join('\n').toStdString(), esperado.join('\n').toStdString());
}

TEST(InformeFirmado, PdfAConFuentesIncrustadasYMetadatosEnUnaYDosMitades) {
    QTemporaryDir dir;
    const auto certificado = firmante();
    ASSERT_TRUE(certificado);
    for (const int registros : {10, 15 * InformeInfracciones::kPaginasEnDosMitades}) {
        SCOPED_TRACE(registros);
        const InformeInfracciones informe(datos(registros));
        const QString ruta = dir.filePath(QString::number(registros) + ".pdf");
        QString error;
        ASSERT_TRUE(GuardarInformeFirmado(informe, metadatos(informe), *certificado, ruta, &error));
        const QString meta = correr("pdfinfo", {"-meta", ruta}).texto;
        EXPECT_TRUE(meta.contains("<pdfaid:part>1</pdfaid:part>")) << meta.toStdString();
        EXPECT_TRUE(meta.contains("<pdfaid:conformance>B</pdfaid:conformance>"));
        EXPECT_TRUE(meta.contains("<rdf:li>Administrador</rdf:li>"));
        EXPECT_TRUE(
            meta.contains("<dc:identifier>urn:velmora-kv270:registro:0b5e7c1e-2f4a-4a8e-9d7c-31f0d2a6b9e4:"
                          "codigo:K7Q2-9MXD-4RTA</dc:identifier>"));
        EXPECT_TRUE(meta.contains("<xmp:CreateDate>2026-12-06T"));
        const QString info = correr("pdfinfo", {ruta}).texto;
        EXPECT_TRUE(info.contains(QRegularExpression("Author:\\s+Administrador"))) << info.toStdString();
        const QByteArray bytes = leer(ruta);
        EXPECT_TRUE(bytes.contains("/GTS_PDFA1"));
        EXPECT_EQ(bytes.count("/ID [<"), 2); // the document's and the signed revision's
        const QStringList fuentes = correr("pdffonts", {ruta}).texto.split('\n').mid(2);
        int incrustadas = 0;
        for (const QString& f : fuentes) {
            if (f.trimmed().isEmpty())
                continue;
            EXPECT_TRUE(f.contains(QRegularExpression("\\syes\\s+(yes|no)\\s+(yes|no)\\s+\\d+")))
                << f.toStdString();
            ++incrustadas;
        }
        EXPECT_GE(incrustadas, 2);
        const Salida s = correr("pdfsig", {ruta});
        EXPECT_TRUE(s.texto.contains("Signature is Valid.") && s.texto.contains("Total document signed"))
            << s.texto.toStdString();
    }
}

TEST(InformeFirmado, DiscoLlenoDejaElArchivoAnterior) {
    QTemporaryDir dir;
    const QString ruta = dir.filePath("informe.pdf");
    escribir(ruta, "anterior");
    const auto certificado = firmante();
    ASSERT_TRUE(certificado);
    const InformeInfracciones informe(datos(200));
    // The process may write only a few kilobytes: the file system says it is full.
    rlimit antes{};
    getrlimit(RLIMIT_FSIZE, &antes);
    const auto manejador = std::signal(SIGXFSZ, SIG_IGN);
    rlimit poco = antes;
    poco.rlim_cur = 20000;
    setrlimit(RLIMIT_FSIZE, &poco);
    QString error;
    const bool firmado = GuardarInformeFirmado(informe, metadatos(informe), *certificado, ruta, &error);
    const bool simple = informe.guardarPdf(ruta);
    setrlimit(RLIMIT_FSIZE, &antes);
    std::signal(SIGXFSZ, manejador);
    EXPECT_FALSE(firmado);
    EXPECT_FALSE(simple);
    EXPECT_TRUE(error.startsWith(QStringLiteral("No se pudo escribir el archivo"))) << error.toStdString();
    EXPECT_EQ(leer(ruta), "anterior");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"informe.pdf"});
}
