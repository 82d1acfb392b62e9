#include "test_libro_excel_lector.h"

#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <vector>

namespace {

QByteArray descomprimir(const QString& archivo, const char* interno) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archivo, QString::fromLatin1(interno)});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

// Walks every start element of an XML part: f(name, attribute, reader).
template <typename F> bool recorrer(const QByteArray& xml, F f) {
    QXmlStreamReader r(xml);
    while (!r.atEnd())
        if (r.readNext() == QXmlStreamReader::StartElement)
            f(
                r.name().toString(),
                [&](const char* a) { return r.attributes().value(QLatin1String(a)).toString(); }, r);
    return !r.hasError();
}

std::vector<EstiloCelda> leerEstilos(const QByteArray& xml) {
    std::vector<EstiloCelda> fuentes, xfs; // fonts carry bold and colour only
    QStringList rellenos, bordes;
    QString seccion;
    recorrer(xml, [&](const QString& n, auto a, QXmlStreamReader&) {
        const auto rgb = [&] { return a("rgb").right(6).toUpper(); };
        if (n == "fonts" || n == "fills" || n == "borders" || n == "cellXfs" || n == "cellStyleXfs")
            seccion = n;
        else if (seccion == "fonts" && n == "font")
            fuentes.emplace_back();
        else if (seccion == "fonts" && n == "b")
            fuentes.back().negrita = true;
        else if (seccion == "fonts" && n == "color")
            fuentes.back().colorLetra = rgb();
        else if (seccion == "fills" && n == "fill")
            rellenos << QString();
        else if (seccion == "fills" && n == "fgColor")
            rellenos.back() = rgb();
        else if (seccion == "borders" && n == "border")
            bordes << QString();
        else if (seccion == "borders" && n == "left")
            bordes.back() = a("style");
        else if (seccion == "cellXfs" && n == "xf") {
            EstiloCelda e = fuentes.at(a("fontId").toUInt());
            e.relleno = rellenos.value(a("fillId").toInt());
            e.borde = bordes.value(a("borderId").toInt());
            xfs.push_back(e);
        } else if (seccion == "cellXfs" && n == "alignment")
            xfs.back().horizontal = a("horizontal");
    });
    return xfs;
}

int numeroFila(const QString& ref) {
    static const QRegularExpression re(QStringLiteral("(\\d+)$"));
    return re.match(ref).captured(1).toInt();
}

} // namespace

LibroLeido::LibroLeido(const QString& archivo, const QSet<int>& soloFilas) {
    const QByteArray hoja = descomprimir(archivo, "xl/worksheets/sheet1.xml");
    const QByteArray libro = descomprimir(archivo, "xl/workbook.xml");
    if (hoja.isEmpty() || libro.isEmpty())
        return;
    const std::vector<EstiloCelda> xfs = leerEstilos(descomprimir(archivo, "xl/styles.xml"));
    QStringList compartidas;
    recorrer(descomprimir(archivo, "xl/sharedStrings.xml"), [&](const QString& n, auto, QXmlStreamReader& r) {
        if (n == "si")
            compartidas << QString();
        else if (n == "t")
            compartidas.back() += r.readElementText();
    });
    recorrer(libro, [&](const QString& n, auto a, QXmlStreamReader&) {
        if (n == "sheet")
            hojas << a("name");
    });

    QString ref, tipo;
    ok_ = recorrer(hoja, [&](const QString& n, auto a, QXmlStreamReader& r) {
        if (n == "row") {
            const int numero = a("r").toInt();
            if (!soloFilas.isEmpty() && !soloFilas.contains(numero))
                return r.skipCurrentElement();
            ocultas.insert(numero, a("hidden") == "1");
        } else if (n == "c") {
            ref = a("r");
            tipo = a("t");
            const unsigned s = a("s").toUInt();
            celdas.insert(ref, {QString(), s < xfs.size() ? xfs[s] : EstiloCelda()});
        } else if (n == "t" && !ref.isEmpty()) {
            celdas[ref].texto += r.readElementText();
        } else if (n == "v" && !ref.isEmpty()) {
            const QString v = r.readElementText();
            celdas[ref].texto = tipo == "s" ? compartidas.value(v.toInt()) : v;
        } else if (n == "mergeCell") {
            combinadas << a("ref");
        } else if (n == "pageMargins") {
            margenInf = a("bottom").toDouble();
            margenPie = a("footer").toDouble();
        } else if (n == "pageSetup") {
            horizontal = a("orientation") == "landscape";
            ajustarAncho = a("fitToWidth") != "0" && a("fitToHeight") == "0";
        } else if (n == "oddFooter") {
            pie = r.readElementText();
        }
    });
}

int LibroLeido::ultimaFila() const {
    int u = 0;
    for (auto it = celdas.cbegin(); it != celdas.cend(); ++it)
        u = std::max(u, numeroFila(it.key()));
    return u;
}

void ComprobarTextos(const LibroLeido& l, const char* esperados) {
    for (const QString& e : QString::fromUtf8(esperados).split(QLatin1Char('|'))) {
        const QString ref = e.section(QLatin1Char('='), 0, 0);
        if (e.contains(QLatin1Char('=')))
            EXPECT_EQ(l.texto(ref).toStdString(), e.section(QLatin1Char('='), 1).toStdString())
                << ref.toStdString();
        else
            EXPECT_FALSE(l.existe(ref)) << ref.toStdString();
    }
}
