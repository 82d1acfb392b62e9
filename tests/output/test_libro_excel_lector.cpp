#include "test_libro_excel_lector.h"

#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <vector>

QByteArray Descomprimir(const QString& archivo, const QString& interno) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archivo, interno});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

namespace {
struct Fuente {
    bool negrita = false;
    double tamano = 0;
    QString color;
};

QString rgb(const QString& argb) {
    return argb.size() == 8 ? argb.mid(2).toUpper() : argb.toUpper();
}

std::vector<EstiloCelda> leerEstilos(const QByteArray& xml) {
    QXmlStreamReader r(xml);
    QHash<int, QString> formatos;
    std::vector<Fuente> fuentes;
    QStringList rellenos, bordes;
    std::vector<EstiloCelda> xfs;
    QString seccion;
    bool enBorde = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isEndElement() && r.name() == QLatin1String("border"))
            enBorde = false;
        if (!r.isStartElement())
            continue;
        const auto n = r.name();
        const auto a = r.attributes();
        if (n == QLatin1String("fonts") || n == QLatin1String("fills") || n == QLatin1String("borders") ||
            n == QLatin1String("cellXfs") || n == QLatin1String("cellStyleXfs"))
            seccion = n.toString();
        else if (n == QLatin1String("numFmt"))
            formatos.insert(a.value(QLatin1String("numFmtId")).toInt(),
                            a.value(QLatin1String("formatCode")).toString());
        else if (seccion == QLatin1String("fonts") && n == QLatin1String("font"))
            fuentes.push_back({});
        else if (seccion == QLatin1String("fonts") && n == QLatin1String("b"))
            fuentes.back().negrita = true;
        else if (seccion == QLatin1String("fonts") && n == QLatin1String("color"))
            fuentes.back().color = rgb(a.value(QLatin1String("rgb")).toString());
        else if (seccion == QLatin1String("fonts") && n == QLatin1String("sz"))
            fuentes.back().tamano = a.value(QLatin1String("val")).toDouble();
        else if (seccion == QLatin1String("fills") && n == QLatin1String("fill"))
            rellenos << QString();
        else if (seccion == QLatin1String("fills") && n == QLatin1String("fgColor"))
            rellenos.back() = rgb(a.value(QLatin1String("rgb")).toString());
        else if (seccion == QLatin1String("borders") && n == QLatin1String("border")) {
            bordes << QString();
            enBorde = true;
        } else if (enBorde && n == QLatin1String("left"))
            bordes.back() = a.value(QLatin1String("style")).toString();
        else if (seccion == QLatin1String("cellXfs") && n == QLatin1String("xf")) {
            EstiloCelda e;
            const Fuente f = fuentes.at(a.value(QLatin1String("fontId")).toUInt());
            e.negrita = f.negrita;
            e.tamano = f.tamano;
            e.colorLetra = f.color;
            e.relleno = rellenos.value(a.value(QLatin1String("fillId")).toInt());
            e.borde = bordes.value(a.value(QLatin1String("borderId")).toInt());
            e.formatoNumero = formatos.value(a.value(QLatin1String("numFmtId")).toInt());
            xfs.push_back(e);
        } else if (seccion == QLatin1String("cellXfs") && n == QLatin1String("alignment")) {
            xfs.back().horizontal = a.value(QLatin1String("horizontal")).toString();
            xfs.back().vertical = a.value(QLatin1String("vertical")).toString();
            xfs.back().rotacion = a.value(QLatin1String("textRotation")).toInt();
            xfs.back().ajuste = a.value(QLatin1String("wrapText")) == QLatin1String("1");
        }
    }
    return xfs;
}

QStringList leerCompartidas(const QByteArray& xml) {
    QStringList r;
    QXmlStreamReader x(xml);
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("si"))
            r << QString();
        else if (x.isStartElement() && x.name() == QLatin1String("t"))
            r.back() += x.readElementText();
    }
    return r;
}

int numeroFila(const QString& ref) {
    static const QRegularExpression re(QStringLiteral("(\\d+)$"));
    return re.match(ref).captured(1).toInt();
}
} // namespace

LibroLeido::LibroLeido(const QString& archivo, const QSet<int>& soloFilas) {
    const QByteArray hoja = Descomprimir(archivo, QStringLiteral("xl/worksheets/sheet1.xml"));
    const QByteArray libro = Descomprimir(archivo, QStringLiteral("xl/workbook.xml"));
    if (hoja.isEmpty() || libro.isEmpty())
        return;
    const std::vector<EstiloCelda> xfs = leerEstilos(Descomprimir(archivo, QStringLiteral("xl/styles.xml")));
    const QStringList compartidas =
        leerCompartidas(Descomprimir(archivo, QStringLiteral("xl/sharedStrings.xml")));

    QXmlStreamReader w(libro);
    while (!w.atEnd()) {
        w.readNext();
        if (w.isStartElement() && w.name() == QLatin1String("sheet"))
            hojas << w.attributes().value(QLatin1String("name")).toString();
    }

    QXmlStreamReader r(hoja);
    QString ref, tipo;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        const auto n = r.name();
        const auto a = r.attributes();
        if (n == QLatin1String("row")) {
            const int numero = a.value(QLatin1String("r")).toInt();
            if (!soloFilas.isEmpty() && !soloFilas.contains(numero)) {
                r.skipCurrentElement();
                continue;
            }
            FilaLeida f;
            f.oculta = a.value(QLatin1String("hidden")) == QLatin1String("1");
            f.alto = a.value(QLatin1String("ht")).toDouble();
            filas.insert(numero, f);
        } else if (n == QLatin1String("c")) {
            ref = a.value(QLatin1String("r")).toString();
            tipo = a.value(QLatin1String("t")).toString();
            CeldaLeida c;
            c.esTexto = tipo == QLatin1String("inlineStr") || tipo == QLatin1String("s") ||
                        tipo == QLatin1String("str");
            const unsigned s = a.value(QLatin1String("s")).toUInt();
            if (s < xfs.size())
                c.estilo = xfs[s];
            celdas.insert(ref, c);
        } else if (n == QLatin1String("t") && !ref.isEmpty()) {
            celdas[ref].texto += r.readElementText();
        } else if (n == QLatin1String("v") && !ref.isEmpty()) {
            const QString v = r.readElementText();
            celdas[ref].texto = tipo == QLatin1String("s") ? compartidas.value(v.toInt()) : v;
        } else if (n == QLatin1String("mergeCell")) {
            combinadas << a.value(QLatin1String("ref")).toString();
        } else if (n == QLatin1String("col")) {
            const int desde = a.value(QLatin1String("min")).toInt();
            const int hasta = a.value(QLatin1String("max")).toInt();
            for (int c = desde; c <= hasta; ++c)
                anchos.insert(c, a.value(QLatin1String("width")).toDouble());
        } else if (n == QLatin1String("pageMargins")) {
            margenIzq = a.value(QLatin1String("left")).toDouble();
            margenDer = a.value(QLatin1String("right")).toDouble();
            margenSup = a.value(QLatin1String("top")).toDouble();
            margenInf = a.value(QLatin1String("bottom")).toDouble();
            margenPie = a.value(QLatin1String("footer")).toDouble();
        } else if (n == QLatin1String("pageSetup")) {
            horizontal = a.value(QLatin1String("orientation")) == QLatin1String("landscape");
            ajustarAncho = a.value(QLatin1String("fitToWidth")) != QLatin1String("0") &&
                           a.value(QLatin1String("fitToHeight")) == QLatin1String("0");
        } else if (n == QLatin1String("oddFooter")) {
            pie = r.readElementText();
        }
    }
    ok_ = !r.hasError();
}

int LibroLeido::ultimaFila() const {
    int u = 0;
    for (auto it = celdas.cbegin(); it != celdas.cend(); ++it)
        u = std::max(u, numeroFila(it.key()));
    return u;
}

int LibroLeido::filaCon(const QString& textoA) const {
    int mejor = 0;
    for (auto it = celdas.cbegin(); it != celdas.cend(); ++it)
        if (it.key().startsWith(QLatin1Char('A')) && !it.key().at(1).isLetter() &&
            it.value().texto == textoA) {
            const int f = numeroFila(it.key());
            if (mejor == 0 || f < mejor)
                mejor = f;
        }
    return mejor;
}
