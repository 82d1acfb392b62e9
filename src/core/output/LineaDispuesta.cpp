#include "core/output/LineaDispuesta.h"

#include <QPainter>
#include <QTextLayout>

void PrepararDisposicion(QTextLayout& d, const QString& texto, const QPainter& p) {
    d.setText(texto);
    d.setFont(p.font());
    d.setCacheEnabled(true);
    QTextOption opcion;
    opcion.setTextDirection(p.layoutDirection());
    opcion.setAlignment(Qt::AlignLeft);
    d.setTextOption(opcion);
}

void DisponerLinea(LineaDispuesta& l, const QString& texto, const QPainter& p) {
    QTextLayout d;
    PrepararDisposicion(d, texto, p);
    d.beginLayout();
    QTextLine linea = d.createLine();
    linea.setLineWidth(0x01000000);
    linea.setPosition(QPointF(0, 0));
    d.endLayout();
    l.avance = linea.horizontalAdvance();
    l.corridas = linea.glyphRuns();
}

bool SinReescritura(const QString& t) {
    for (const QChar c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x9c || c.unicode() == 0x2028)
            return false;
    return !t.back().isSpace();
}
