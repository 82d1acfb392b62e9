#include "core/output/PdfArchivo.h"

#include "core/output/DocumentoPdf.h"

#include <QUuid>

namespace {

QByteArray xml(const QString& texto) {
    return texto.toHtmlEscaped().toUtf8();
}

QByteArray fechaXmp(const QDateTime& momento) {
    return momento.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss'Z'")).toLatin1();
}

QByteArray xmp(const MetadatosPdf& m, const QByteArray& creador, const QByteArray& productor) {
    const QByteArray fecha = fechaXmp(m.creado);
    QByteArray x = "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                   "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                   "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                   "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
                   "<dc:format>application/pdf</dc:format>\n"
                   "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
                   xml(m.titulo) + "</rdf:li></rdf:Alt></dc:title>\n";
    if (!m.autor.isEmpty())
        x += "<dc:creator><rdf:Seq><rdf:li>" + xml(m.autor) + "</rdf:li></rdf:Seq></dc:creator>\n";
    const QString identificador = IdentificadorDocumento(m);
    if (!identificador.isEmpty())
        x += "<dc:identifier>" + xml(identificador) + "</dc:identifier>\n";
    x += "</rdf:Description>\n"
         "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
         "<xmp:CreatorTool>" +
         creador + "</xmp:CreatorTool>\n<xmp:CreateDate>" + fecha + "</xmp:CreateDate>\n<xmp:ModifyDate>" +
         fecha +
         "</xmp:ModifyDate>\n</rdf:Description>\n"
         "<rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
         "<pdf:Producer>" +
         productor +
         "</pdf:Producer>\n</rdf:Description>\n"
         "<rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
         "<pdfaid:part>1</pdfaid:part>\n<pdfaid:conformance>B</pdfaid:conformance>\n"
         "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>";
    return x;
}

} // namespace

QString IdentificadorDocumento(const MetadatosPdf& m) {
    if (m.codigo.isEmpty() && m.identidadRegistro.isEmpty())
        return {};
    QString id = QStringLiteral("urn:velmora-kv270");
    if (!m.identidadRegistro.isEmpty())
        id += QStringLiteral(":registro:") + m.identidadRegistro;
    if (!m.codigo.isEmpty())
        id += QStringLiteral(":codigo:") + m.codigo;
    return id;
}

QByteArray CadenaPdf(const QString& texto) {
    bool ascii = true;
    for (const QChar c : texto)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7f;
    if (ascii) {
        QByteArray s = texto.toLatin1();
        s.replace('\\', "\\\\").replace('(', "\\(").replace(')', "\\)");
        return '(' + s + ')';
    }
    QByteArray utf16("\xFE\xFF", 2);
    for (const QChar c : texto) {
        utf16 += char(c.unicode() >> 8);
        utf16 += char(c.unicode() & 0xff);
    }
    return '<' + utf16.toHex() + '>';
}

QByteArray FechaPdf(const QDateTime& momento) {
    return "D:" + momento.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + 'Z';
}

QByteArray CompletarPdfA(const QByteArray& pdf, const MetadatosPdf& m) {
    const std::optional<DocumentoPdf> doc = LeerDocumentoPdf(pdf);
    if (!doc)
        return {};
    const int metadatos = ReferenciaPdf(doc->cuerpo(doc->raiz), "/Metadata");
    if (metadatos == 0)
        return {};
    const QByteArray creador = "Sistema de Adquisici\xC3\xB3n de Datos";
    const QByteArray productor = "Qt " QT_VERSION_STR;
    const QByteArray paquete = xmp(m, creador, productor);
    const QByteArray fecha = FechaPdf(m.creado);
    QByteArray info = QByteArray::number(doc->info) + " 0 obj\n<<\n/Title " + CadenaPdf(m.titulo) + '\n';
    if (!m.autor.isEmpty())
        info += "/Author " + CadenaPdf(m.autor) + '\n';
    info += "/Creator " + CadenaPdf(QString::fromUtf8(creador)) + "\n/Producer " +
            CadenaPdf(QString::fromUtf8(productor)) + "\n/CreationDate (" + fecha + ")\n/ModDate (" + fecha +
            ")\n>>\nendobj\n";
    const QByteArray flujo =
        QByteArray::number(metadatos) + " 0 obj\n<<\n/Type /Metadata /Subtype /XML\n/Length " +
        QByteArray::number(paquete.size()) + "\n>>\nstream\n" + paquete + "\nendstream\nendobj\n";
    return ReescribirPdf(*doc, {{doc->info, info}, {metadatos, flujo}}, QUuid::createUuid().toRfc4122());
}
