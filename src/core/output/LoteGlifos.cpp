#include "core/output/LoteGlifos.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>

void LoteGlifos::agregar(const QGlyphRun& corrida, QPointF origen) {
    const QRawFont fuente = corrida.rawFont();
    auto g = std::ranges::find_if(grupos, [&](const Grupo& x) { return x.fuente == fuente; });
    if (g == grupos.end())
        g = grupos.insert(grupos.end(), Grupo{fuente, {}, {}});
    const QList<quint32> glifos = corrida.glyphIndexes();
    const QList<QPointF> posiciones = corrida.positions();
    g->glifos.insert(g->glifos.end(), glifos.begin(), glifos.end());
    for (const QPointF& q : posiciones)
        g->posiciones.push_back(q + origen);
}

void LoteGlifos::dibujar(QPainter& p) {
    // The PDF writer prints each glyph's offset from the previous one with nine significant
    // digits; offsets are whole steps of 1/64 unit (fixed point), so counted in those steps
    // they print as short integers and the page stream shrinks by about a fifth.
    constexpr qreal kPasos = 64;
    const bool pdf = p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Pdf;
    for (Grupo& g : grupos) {
        if (g.glifos.empty())
            continue;
        QRawFont fuente = g.fuente;
        bool enPasos = false;
        if (pdf) {
            fuente.setPixelSize(g.fuente.pixelSize() * kPasos);
            enPasos = fuente.isValid();
            if (!enPasos)
                fuente = g.fuente;
        }
        if (enPasos) {
            for (QPointF& q : g.posiciones)
                q *= kPasos;
            p.save();
            p.scale(1 / kPasos, 1 / kPasos);
        }
        QGlyphRun corrida;
        corrida.setRawFont(fuente);
        corrida.setRawData(g.glifos.data(), g.posiciones.data(), static_cast<int>(g.glifos.size()));
        p.drawGlyphRun(QPointF(0, 0), corrida);
        if (enPasos)
            p.restore();
        g.glifos.clear();
        g.posiciones.clear();
    }
}
