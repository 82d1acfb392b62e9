#include "core/actividad/LeerDocumento.h"

#include "core/actividad/CodigoVerificacion.h"
#include "core/output/ArchivoZip.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <map>

namespace {

const QString kMarca = QStringLiteral("Código de verificación: ");
constexpr qsizetype kLargoCodigo = 19;

DocumentoLeido conError(const QString& origen, const QString& error) {
    DocumentoLeido d;
    d.origen = origen;
    d.error = error;
    return d;
}

DocumentoLeido leerPdf(const QByteArray& pdf) {
    const QString origen = QStringLiteral("el PDF");
    if (!pdf.startsWith("%PDF-"))
        return conError(origen, QStringLiteral("el archivo no es un documento PDF"));
    // The title keeps the code: as UTF-16 in the information dictionary, as UTF-8 in the XMP
    // metadata when there is one. Both are left uncompressed by the writer.
    QString hallado;
    const QByteArray utf8 = kMarca.toUtf8();
    if (const qsizetype i = pdf.indexOf(utf8); i >= 0)
        hallado = QString::fromUtf8(pdf.mid(i + utf8.size(), kLargoCodigo));
    if (hallado.isEmpty()) {
        QByteArray utf16;
        for (const QChar c : kMarca)
            utf16 += char(c.unicode() >> 8), utf16 += char(c.unicode() & 0xff);
        if (const qsizetype i = pdf.indexOf(utf16); i >= 0) {
            const QByteArray resto = pdf.mid(i + utf16.size(), 2 * kLargoCodigo);
            for (qsizetype k = 0; k + 1 < resto.size(); k += 2)
                hallado += QChar(char16_t((quint8(resto[k]) << 8) | quint8(resto[k + 1])));
        }
    }
    if (hallado.isEmpty())
        return conError(origen, QStringLiteral("el PDF no lleva código de verificación: no es un informe "
                                               "emitido por el programa, o fue guardado de nuevo por otro "
                                               "programa. Escriba el código impreso en sus páginas."));
    const CodigoEscrito codigo = LeerCodigoVerificacion(hallado);
    if (!codigo.valido())
        return conError(origen,
                        QStringLiteral("el código de verificación del PDF está dañado (%1)").arg(hallado));
    DocumentoLeido d;
    d.origen = origen;
    d.codigo = codigo.codigo;
    return d;
}

} // namespace

DocumentoLeido LeerPdfEmitido(const QByteArray& pdf) {
    DocumentoLeido d = leerPdf(pdf);
    if (pdf.startsWith("%PDF-"))
        d.firma = VerificarFirmaPdf(pdf);
    return d;
}

DocumentoLeido LeerLibroEmitido(const QByteArray& xlsx) {
    const QString origen = QStringLiteral("el libro");
    QString error;
    const std::optional<QByteArray> propiedades =
        LeerMiembroZip(xlsx, QStringLiteral("docProps/custom.xml"), &error);
    if (!propiedades) {
        if (!LeerMiembroZip(xlsx, QStringLiteral("[Content_Types].xml")))
            return conError(origen, error);
        return conError(origen, QStringLiteral("el libro no lleva código de verificación: no es un libro "
                                               "emitido por el programa, o fue guardado de nuevo por otro "
                                               "programa. Escriba el código de su hoja \"Importaciones\"."));
    }
    std::map<QString, QString> valores;
    QXmlStreamReader xml(*propiedades);
    QString actual;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("property"))
            actual = xml.attributes().value(QLatin1String("name")).toString();
        else if (!actual.isEmpty())
            valores[actual] = xml.readElementText();
    }
    if (xml.hasError())
        return conError(origen, QStringLiteral("las propiedades del libro están dañadas"));
    const CodigoEscrito codigo = LeerCodigoVerificacion(valores[QStringLiteral("Código de verificación")]);
    if (!codigo.valido())
        return conError(origen, QStringLiteral("el código de verificación del libro falta o está dañado"));
    DocumentoLeido d;
    d.origen = origen;
    d.codigo = codigo.codigo;
    d.identidad = valores[QStringLiteral("Registro")].trimmed().toLower();
    bool ok = false;
    const qint64 secuencia = valores[QStringLiteral("Asiento de la cadena")].toLongLong(&ok);
    if (ok) {
        d.secuencia = secuencia;
        d.hash = valores[QStringLiteral("Hash de la cadena")].trimmed();
    }
    return d;
}

DocumentoLeido LeerDocumentoOCodigo(const QString& argumento) {
    const QFileInfo info(argumento);
    if (info.isFile()) {
        QFile archivo(argumento);
        if (!archivo.open(QIODevice::ReadOnly))
            return conError(
                QStringLiteral("el archivo"),
                QStringLiteral("no se pudo leer \"%1\": %2").arg(argumento, archivo.errorString()));
        const QByteArray datos = archivo.readAll();
        if (datos.startsWith("%PDF-"))
            return LeerPdfEmitido(datos);
        if (datos.startsWith("PK"))
            return LeerLibroEmitido(datos);
        return conError(QStringLiteral("el archivo"),
                        QStringLiteral("\"%1\" no es un PDF ni un libro de Excel (.xlsx)").arg(argumento));
    }
    const CodigoEscrito codigo = LeerCodigoVerificacion(argumento);
    if (!codigo.valido()) {
        // Something that looks like a file name was meant as one.
        if (argumento.contains(QLatin1Char('/')) || argumento.contains(QLatin1Char('.')))
            return conError(QStringLiteral("el archivo"),
                            QStringLiteral("no existe el archivo \"%1\"").arg(argumento));
        return conError(QStringLiteral("el código escrito"), codigo.error);
    }
    DocumentoLeido d;
    d.origen = QStringLiteral("el código escrito");
    d.codigo = codigo.codigo;
    return d;
}
