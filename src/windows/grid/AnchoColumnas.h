#pragma once

#include <QFont>
#include <QStringList>

#include <vector>

class GridModel;

// Width in twips of each of the first `columnas` columns of the grid (all when negative): the
// widest text of the column, header included, measured with the font, plus 350 twips.
//
// Only a bounded number of texts per column is measured with the font: every text gets a
// cheap estimate from per-character advances, and the `candidatos` distinct texts with the
// largest estimates are measured exactly. Kerning changes a width by a few per cent at most,
// so the widest text is always among them, and a keystroke on 100,000 clients stays fast.
std::vector<int> AnchosColumnasTwips(const GridModel& grid, const QFont& fuente, int columnas = -1,
                                     int candidatos = 24);

// The same, measuring every cell (reference for tests and benchmarks).
std::vector<int> AnchosColumnasTwipsCompleto(const GridModel& grid, const QFont& fuente, int columnas = -1);

// Width in twips of one column: its widest distinct text, header and `ademas` included, measured
// with the font, plus 350 twips. Meant for columns of few distinct texts (a status column).
int AnchoColumnaTwips(const GridModel& grid, const QFont& fuente, int columna,
                      const QStringList& ademas = {});
