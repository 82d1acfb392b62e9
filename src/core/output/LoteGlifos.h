#pragma once

#include <QGlyphRun>
#include <QPointF>
#include <QRawFont>

#include <vector>

class QPainter;

// Texts of one page (its detail lines, its headings, its footer), gathered by font and drawn in
// one call each: a PDF writer pays for every text drawn (a text object with its own state around
// it), far more than for each glyph.
struct LoteGlifos {
    struct Grupo {
        QRawFont fuente;
        std::vector<quint32> glifos;
        std::vector<QPointF> posiciones;
    };
    std::vector<Grupo> grupos;

    // The glyphs of a laid-out run, placed at `origen`.
    void agregar(const QGlyphRun& corrida, QPointF origen);
    // Draws what was gathered and empties the batch.
    void dibujar(QPainter& p);
};
