#include "InformePdf.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTextDocumentFragment>

#include <algorithm>
#include <cmath>

PdfLeido LeerPdf(const QString& ruta) {
    PdfLeido leido;
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                                  QStringLiteral("UTF-8"), ruta, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0)
        return leido;
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const QRegularExpression re(
        QStringLiteral("<page width=\"([\\d.]+)\"|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                       "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    double ancho = 0;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++leido.paginas;
            ancho = m.captured(1).toDouble();
            continue;
        }
        // Words come HTML-escaped ("&amp;", "&lt;").
        const QString texto = QTextDocumentFragment::fromHtml(m.captured(6)).toPlainText();
        leido.palabras.append({texto, m.captured(2).toDouble(), m.captured(3).toDouble(),
                               m.captured(4).toDouble(), m.captured(5).toDouble(), leido.paginas, ancho});
    }
    return leido;
}

QString TextoPdf(const QString& ruta) {
    const PdfLeido leido = LeerPdf(ruta);
    if (leido.paginas == 0)
        return QString();
    QString texto;
    for (int p = 1; p <= leido.paginas; ++p) {
        QList<PalabraPdf> pagina;
        for (const PalabraPdf& w : leido.palabras)
            if (w.pagina == p)
                pagina.append(w);
        const auto medio = [](const PalabraPdf& w) { return (w.yMin + w.yMax) / 2; };
        std::stable_sort(pagina.begin(), pagina.end(),
                         [&](const PalabraPdf& a, const PalabraPdf& b) { return medio(a) < medio(b); });
        QList<QList<PalabraPdf>> lineas;
        for (const PalabraPdf& w : pagina) {
            if (lineas.isEmpty() || std::abs(medio(w) - medio(lineas.last().first())) > 3.0)
                lineas.append(QList<PalabraPdf>());
            lineas.last().append(w);
        }
        for (QList<PalabraPdf>& linea : lineas) {
            std::sort(linea.begin(), linea.end(),
                      [](const PalabraPdf& a, const PalabraPdf& b) { return a.xMin < b.xMin; });
            QStringList palabras;
            for (const PalabraPdf& w : linea)
                palabras << w.texto;
            texto += palabras.join(QChar(u' ')) + QChar(u'\n');
        }
        texto += QChar(u'\f');
    }
    return texto;
}

int PaginasPdf(const QString& texto) {
    return static_cast<int>(texto.count(QChar(u'\f')));
}

RegistroInforme RegistroPrueba(int n) {
    const QStringList t =
        QStringLiteral("%1/03/2011|14:%2:30|%3|D. JOCKEY|BAT. OK|SI|12|Insp%4|85|10|3|105|30|70|60|%4")
            .arg(1 + n % 28, 2, 10, QChar(u'0'))
            .arg(n % 60, 2, 10, QChar(u'0'))
            .arg(90 + n)
            .arg(n)
            .split(QChar(u'|'));
    RegistroInforme r;
    std::copy(t.begin(), t.end(), r.begin());
    return r;
}
