#include "InformePdf.h"

#include <QProcess>
#include <QRegularExpression>

QString TextoPdf(const QString& ruta) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                                  QStringLiteral("UTF-8"), ruta, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0)
        return QString();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

QList<PalabraPdf> PalabrasPdf(const QString& ruta) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                                  QStringLiteral("UTF-8"), ruta, QStringLiteral("-")});
    QList<PalabraPdf> palabras;
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0)
        return palabras;
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const QRegularExpression re(
        QStringLiteral("<page width=\"([\\d.]+)\"|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                       "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    int pagina = 0;
    double ancho = 0;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++pagina;
            ancho = m.captured(1).toDouble();
            continue;
        }
        palabras.append({m.captured(6), m.captured(2).toDouble(), m.captured(3).toDouble(),
                         m.captured(4).toDouble(), m.captured(5).toDouble(), pagina, ancho});
    }
    return palabras;
}

int PaginasPdf(const QString& texto) {
    // pdftotext ends every page, the last one included, with a form feed.
    return static_cast<int>(texto.count(QChar(u'\f')));
}

RegistroInforme RegistroPrueba(int n) {
    const QString dia = QStringLiteral("%1").arg(1 + n % 28, 2, 10, QChar(u'0'));
    return {dia + QStringLiteral("/03/2011"),
            QStringLiteral("14:%1:30").arg(n % 60, 2, 10, QChar(u'0')),
            QString::number(90 + n),
            QStringLiteral("D. JOCKEY"),
            QStringLiteral("BAT. OK"),
            QStringLiteral("SI"),
            QStringLiteral("12"),
            QStringLiteral("Insp%1").arg(n),
            QStringLiteral("85"),
            QStringLiteral("10"),
            QStringLiteral("3"),
            QStringLiteral("105"),
            QStringLiteral("30"),
            QStringLiteral("70"),
            QStringLiteral("60"),
            QString::number(n)};
}
