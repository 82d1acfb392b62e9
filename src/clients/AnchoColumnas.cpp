#include "clients/AnchoColumnas.h"

#include "store/GridModel.h"
#include "store/GridView.h"

#include <QFontMetricsF>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kMargenTwips = 350;

int aTwips(qreal pixeles) {
    return static_cast<int>(std::lround(pixeles * GridView::pixelesATwips(1) + kMargenTwips));
}

// Per-character advances, cached for the characters of the Latin scripts.
class Estimador {
public:
    explicit Estimador(const QFontMetricsF& fm) : fm_(fm) { tabla_.fill(-1); }

    qreal estimar(const QString& s) {
        qreal total = 0;
        for (const QChar ch : s) {
            const char16_t u = ch.unicode();
            if (u < tabla_.size()) {
                qreal& a = tabla_[u];
                if (a < 0)
                    a = fm_.horizontalAdvance(ch);
                total += a;
            } else {
                auto it = otros_.find(u);
                if (it == otros_.end())
                    it = otros_.insert(u, fm_.horizontalAdvance(ch));
                total += it.value();
            }
        }
        return total;
    }

private:
    const QFontMetricsF& fm_;
    std::array<qreal, 0x250> tabla_{};
    QHash<char16_t, qreal> otros_;
};

struct Candidato {
    qreal estimado;
    int fila;
};

} // namespace

std::vector<int> AnchosColumnasTwips(const GridModel& grid, const QFont& fuente, int columnas,
                                     int candidatos) {
    const int n = columnas < 0 ? grid.cols() : std::min(columnas, grid.cols());
    const QFontMetricsF fm(fuente);
    Estimador estimador(fm);
    std::vector<int> anchos(static_cast<size_t>(std::max(0, n)), 0);
    const int k = std::max(1, candidatos);
    std::vector<Candidato> mejores; // min-heap on the estimate
    QSet<QString> textos;
    const auto menor = [](const Candidato& a, const Candidato& b) { return a.estimado > b.estimado; };
    for (int c = 0; c < n; ++c) {
        mejores.clear();
        textos.clear();
        for (int f = 1; f < grid.rows(); ++f) {
            const QStringList& celdas = grid.rowTexts(f);
            if (c >= celdas.size() || celdas.at(c).isEmpty())
                continue;
            const QString& s = celdas.at(c);
            const bool lleno = static_cast<int>(mejores.size()) >= k;
            const qreal e = estimador.estimar(s);
            if (lleno && e <= mejores.front().estimado)
                continue;
            if (textos.contains(s))
                continue;
            if (lleno) {
                std::pop_heap(mejores.begin(), mejores.end(), menor);
                textos.remove(grid.rowTexts(mejores.back().fila).at(c));
                mejores.pop_back();
            }
            mejores.push_back({e, f});
            std::push_heap(mejores.begin(), mejores.end(), menor);
            textos.insert(s);
        }
        qreal ancho = fm.horizontalAdvance(grid.textMatrix(0, c));
        for (const Candidato& m : mejores)
            ancho = std::max(ancho, fm.horizontalAdvance(grid.rowTexts(m.fila).at(c)));
        anchos[static_cast<size_t>(c)] = aTwips(ancho);
    }
    return anchos;
}

std::vector<int> AnchosColumnasTwipsCompleto(const GridModel& grid, const QFont& fuente, int columnas) {
    const int n = columnas < 0 ? grid.cols() : std::min(columnas, grid.cols());
    const QFontMetricsF fm(fuente);
    std::vector<int> anchos(static_cast<size_t>(std::max(0, n)), 0);
    for (int c = 0; c < n; ++c) {
        qreal ancho = fm.horizontalAdvance(grid.textMatrix(0, c));
        for (int f = 1; f < grid.rows(); ++f)
            ancho = std::max(ancho, fm.horizontalAdvance(grid.textMatrix(f, c)));
        anchos[static_cast<size_t>(c)] = aTwips(ancho);
    }
    return anchos;
}
