#pragma once

#include <QGlyphRun>
#include <QList>
#include <QString>

class QPainter;
class QTextLayout;

// A text laid out as the painter's drawText() would lay it out: its font, direction, cache.
void PrepararDisposicion(QTextLayout& d, const QString& texto, const QPainter& p);

// One line of text as QPainter::drawText() lays out a top-aligned single line: its glyphs from
// the line's top left, and its advance. Shaped once, it is drawn again and again without the
// painter shaping it each time.
struct LineaDispuesta {
    QList<QGlyphRun> corridas;
    qreal avance = 0;
};
void DisponerLinea(LineaDispuesta& l, const QString& texto, const QPainter& p);

// Texts that QPainter::drawText() would first rewrite (line breaks, tabs, length variants) or
// whose trailing blanks it would count: drawn by it, uncached.
bool SinReescritura(const QString& t);
