#pragma once

#include <QFont>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class GridModel;
class TablaTextos;

// Width in pixels of each of the first `columnas` columns of the grid (all when negative): the
// widest text of the column, header included, measured with the font, plus a margin of 23⅓ pixels.
//
// Only a bounded number of texts per column is measured with the font: every text gets a
// cheap estimate from per-character advances, and the `candidatos` distinct texts with the
// largest estimates are measured exactly. Kerning changes a width by a few per cent at most,
// so the widest text is always among them, and a keystroke on 100,000 clients stays fast.
std::vector<int> AnchosColumnas(const GridModel& grid, const QFont& fuente, int columnas = -1,
                                int candidatos = 24);

// Per-character estimates of the first `columnas` texts of every row, row after row: a list that
// is shown again and again in parts (a search) is estimated once.
struct EstimacionAnchos {
    int columnas = 0;
    std::vector<qreal> valores;
    std::shared_ptr<const TablaTextos> textos; // the rows estimated
    QFont fuente;
    // Over all the rows, with that many candidates: each column's widest text measured, and the
    // rows (first of each such text) that hold it.
    int candidatos = 0;
    std::vector<qreal> maximos;
    std::vector<std::vector<quint32>> filasMaximas;
    // For a column of fewer texts than candidates whose estimates all differ: each text's
    // estimate and measured width, widest first.
    std::vector<std::optional<std::vector<std::pair<qreal, qreal>>>> textosPocos;
};
// `previa`, the estimate of the list before a write, lends the estimates of the rows that still
// show the same texts at the same place.
EstimacionAnchos EstimarAnchos(std::shared_ptr<const TablaTextos> filas, const QFont& fuente, int columnas,
                               EstimacionAnchos previa = {});

// AnchosColumnas for a grid bound to some of the estimated rows: the grid's bound row i is
// row origen[i] of those. The same widths, without estimating every text again.
std::vector<int> AnchosColumnas(const GridModel& grid, const QFont& fuente, int columnas,
                                const EstimacionAnchos& estimacion, const std::vector<quint32>& origen,
                                int candidatos = 24);

// The same, measuring every cell (reference for tests and benchmarks).
std::vector<int> AnchosColumnasCompleto(const GridModel& grid, const QFont& fuente, int columnas = -1);

// Width in pixels of one column: its widest distinct text, header and `ademas` included, measured
// with the font, plus the margin. Meant for columns of few distinct texts (a status column).
int AnchoColumna(const GridModel& grid, const QFont& fuente, int columna, const QStringList& ademas = {});

// Width in pixels of the widest of the texts, measured with the font, plus the margin.
int AnchoTextos(const QFont& fuente, const QStringList& textos);
