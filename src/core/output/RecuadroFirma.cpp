#include "core/output/RecuadroFirma.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>

QStringList LineasRecuadroFirma(const RecuadroFirma& r) {
    QStringList lineas{QStringLiteral("Documento firmado digitalmente"),
                       QStringLiteral("Firmante: ") + r.firmante,
                       QStringLiteral("Fecha de firma: ") + r.fecha};
    if (!r.codigo.isEmpty())
        lineas << QStringLiteral("Código de verificación: ") + r.codigo;
    return lineas;
}

void DibujarRecuadroFirma(QPainter& p, const QRectF& caja, const RecuadroFirma& r, int tamano) {
    p.save();
    QPen pluma(Qt::black);
    pluma.setWidth(tamano / 8);
    p.setPen(pluma);
    p.setBrush(Qt::NoBrush);
    p.drawRect(caja);
    QFont fuente(QStringLiteral("Arial"));
    fuente.setStyleHint(QFont::SansSerif);
    fuente.setPixelSize(tamano);
    const QStringList lineas = LineasRecuadroFirma(r);
    const double margen = tamano * 0.6;
    const double alto = (caja.height() - 2 * margen) / 4;
    for (int i = 0; i < lineas.size(); ++i) {
        fuente.setBold(i == 0);
        p.setFont(fuente);
        const QRectF linea(caja.left() + margen, caja.top() + margen + i * alto, caja.width() - 2 * margen,
                           alto);
        const QString texto = QFontMetricsF(fuente).elidedText(lineas[i], Qt::ElideRight, linea.width());
        p.drawText(linea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, texto);
    }
    p.restore();
}
