#include "windows/grid/AnchoColumnas.h"

#include "core/store/TablaTextos.h"
#include "windows/grid/GridModel.h"

#include <QFontMetricsF>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// Widths are measured to a fifteenth of a pixel; the margin is 350 fifteenths (23⅓ pixels) and
// the whole is rounded to the nearest pixel, half a pixel down.
constexpr long kFracciones = 15;
constexpr long kMargen = 350;

int conMargen(qreal pixeles) {
    return static_cast<int>((std::lround(pixeles * kFracciones) + kMargen + kFracciones / 2) / kFracciones);
}

// Per-character advances, cached for the characters of the Latin scripts.
class Estimador {
public:
    explicit Estimador(const QFontMetricsF& fm) : fm_(fm) {
        tabla_.fill(-1);
        for (char16_t u = 0; u < 0x80; ++u)
            tabla_[u] = fm_.horizontalAdvance(QChar(u));
    }

    qreal estimar(const QString& s) {
        qreal total = 0;
        for (const QChar ch : s)
            total += avance(ch.unicode());
        return total;
    }
    // The same from UTF-8, decoded here: characters of one UTF-16 unit add up in the same order
    // as above; anything else (four-byte or malformed sequences) goes through QString.
    qreal estimar(QByteArrayView utf8) {
        qreal total = 0;
        const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
        const auto* const fin = p + utf8.size();
        while (p < fin) {
            const unsigned c = *p;
            if (c < 0x80) {
                total += tabla_[c];
                ++p;
                continue;
            }
            const int n = c >= 0xC2 && c < 0xE0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 0;
            if (n == 0 || fin - p < n)
                return estimar(QString::fromUtf8(utf8));
            char32_t u = c & (n == 2 ? 0x1Fu : 0x0Fu);
            for (int k = 1; k < n; ++k) {
                if ((p[k] & 0xC0) != 0x80)
                    return estimar(QString::fromUtf8(utf8));
                u = (u << 6) | (p[k] & 0x3Fu);
            }
            if (n == 3 && (u < 0x800 || (u >= 0xD800 && u <= 0xDFFF)))
                return estimar(QString::fromUtf8(utf8));
            total += avance(static_cast<char16_t>(u));
            p += n;
        }
        return total;
    }

private:
    qreal avance(char16_t u) {
        if (u < tabla_.size()) {
            qreal& a = tabla_[u];
            if (a < 0)
                a = fm_.horizontalAdvance(QChar(u));
            return a;
        }
        auto it = otros_.find(u);
        if (it == otros_.end())
            it = otros_.insert(u, fm_.horizontalAdvance(QChar(u)));
        return it.value();
    }

    const QFontMetricsF& fm_;
    std::array<qreal, 0x250> tabla_{};
    QHash<char16_t, qreal> otros_;
};

struct Candidato {
    qreal estimado;
    int fila;
};

// The widths from one estimate per cell: `estimaciones(fila)` gives the row's estimates,
// column by column. The `candidatos` distinct texts with the largest estimates of each column
// are measured exactly. `texto(fila, col)` gives a cell's text in any form that compares as
// the text does (only for the cells that may be among the widest).
template <typename Estimaciones, typename Texto>
std::vector<int> anchosPorCandidatos(const GridModel& grid, const QFontMetricsF& fm, int n, int candidatos,
                                     Estimaciones&& estimaciones, Texto&& texto) {
    const size_t k = static_cast<size_t>(std::max(1, candidatos));
    // One min-heap of candidates per column; rows are walked in memory order, one pass. A full
    // heap's smallest estimate is kept apart, so most cells cost one comparison.
    std::vector<std::vector<Candidato>> mejores(static_cast<size_t>(n));
    std::vector<qreal> umbral(static_cast<size_t>(n), -std::numeric_limits<qreal>::infinity());
    for (auto& m : mejores)
        m.reserve(k);
    const auto menor = [](const Candidato& a, const Candidato& b) { return a.estimado > b.estimado; };
    for (int f = 1; f < grid.rows(); ++f) {
        const qreal* e = estimaciones(f);
        for (int c = 0; c < n; ++c) {
            // Texts are read only for the few cells that may be among the widest.
            if (e[c] <= umbral[static_cast<size_t>(c)])
                continue;
            const auto s = texto(f, c);
            if (s.isEmpty())
                continue;
            std::vector<Candidato>& heap = mejores[static_cast<size_t>(c)];
            // Equal texts have equal estimates: only those need comparing, so a repeated text
            // (a province, a locality) takes one place among the candidates.
            bool repetido = false;
            for (const Candidato& m : heap)
                if (m.estimado == e[c] && texto(m.fila, c) == s) {
                    repetido = true;
                    break;
                }
            if (repetido)
                continue;
            if (heap.size() >= k) {
                std::pop_heap(heap.begin(), heap.end(), menor);
                heap.pop_back();
            }
            heap.push_back({e[c], f});
            std::push_heap(heap.begin(), heap.end(), menor);
            if (heap.size() >= k)
                umbral[static_cast<size_t>(c)] = heap.front().estimado;
        }
    }
    std::vector<int> anchos(static_cast<size_t>(n), 0);
    for (int c = 0; c < n; ++c) {
        qreal ancho = fm.horizontalAdvance(grid.textMatrix(0, c));
        for (const Candidato& m : mejores[static_cast<size_t>(c)])
            ancho = std::max(ancho, fm.horizontalAdvance(grid.textMatrix(m.fila, c)));
        anchos[static_cast<size_t>(c)] = conMargen(ancho);
    }
    return anchos;
}

} // namespace

std::vector<int> AnchosColumnas(const GridModel& grid, const QFont& fuente, int columnas, int candidatos) {
    const int n = std::max(0, columnas < 0 ? grid.cols() : std::min(columnas, grid.cols()));
    const QFontMetricsF fm(fuente);
    Estimador estimador(fm);
    std::vector<qreal> fila(static_cast<size_t>(n));
    return anchosPorCandidatos(
        grid, fm, n, candidatos,
        [&](int f) {
            for (int c = 0; c < n; ++c)
                fila[static_cast<size_t>(c)] = estimador.estimar(grid.textMatrix(f, c));
            return static_cast<const qreal*>(fila.data());
        },
        [&](int f, int c) { return grid.textMatrix(f, c); });
}

EstimacionAnchos EstimarAnchos(std::shared_ptr<const TablaTextos> filas, const QFont& fuente, int columnas) {
    const QFontMetricsF fm(fuente);
    Estimador estimador(fm);
    EstimacionAnchos e;
    e.columnas = std::max(0, columnas);
    e.valores.resize(filas->filas() * static_cast<size_t>(e.columnas));
    qreal* v = e.valores.data();
    for (std::size_t f = 0; f < filas->filas(); ++f) {
        for (int c = 0; c < e.columnas; ++c)
            v[c] = estimador.estimar(filas->utf8(f, c));
        v += e.columnas;
    }
    e.textos = std::move(filas);
    return e;
}

std::vector<int> AnchosColumnas(const GridModel& grid, const QFont& fuente, int columnas,
                                const EstimacionAnchos& estimacion, const std::vector<quint32>& origen,
                                int candidatos) {
    const int n = std::max(0, columnas < 0 ? grid.cols() : std::min(columnas, grid.cols()));
    const QFontMetricsF fm(fuente);
    Estimador estimador(fm);
    const size_t ancho = static_cast<size_t>(estimacion.columnas);
    const size_t filasEstimadas = ancho > 0 ? estimacion.valores.size() / ancho : 0;
    std::vector<qreal> fila(static_cast<size_t>(n));
    // The estimated row a grid row shows, if any.
    const auto estimada = [&](int f) -> std::optional<size_t> {
        const int etiqueta = grid.rowTag(f);
        if (etiqueta >= 0 && static_cast<size_t>(etiqueta) < origen.size() && n <= estimacion.columnas) {
            const size_t i = origen[static_cast<size_t>(etiqueta)];
            if (i < filasEstimadas)
                return i;
        }
        return std::nullopt;
    };
    return anchosPorCandidatos(
        grid, fm, n, candidatos,
        [&](int f) {
            if (const std::optional<size_t> i = estimada(f))
                return static_cast<const qreal*>(estimacion.valores.data() + *i * ancho);
            // A row the grid added itself, or one the estimates do not cover.
            for (int c = 0; c < n; ++c)
                fila[static_cast<size_t>(c)] = estimador.estimar(grid.textMatrix(f, c));
            return static_cast<const qreal*>(fila.data());
        },
        // Texts compared as the estimated table holds them, without decoding them.
        [&](int f, int c) {
            const std::optional<size_t> i = estimacion.textos ? estimada(f) : std::nullopt;
            if (i)
                return QByteArray::fromRawData(estimacion.textos->utf8(*i, c).data(),
                                               estimacion.textos->utf8(*i, c).size());
            return grid.textMatrix(f, c).toUtf8();
        });
}

std::vector<int> AnchosColumnasCompleto(const GridModel& grid, const QFont& fuente, int columnas) {
    const int n = columnas < 0 ? grid.cols() : std::min(columnas, grid.cols());
    const QFontMetricsF fm(fuente);
    std::vector<int> anchos(static_cast<size_t>(std::max(0, n)), 0);
    for (int c = 0; c < n; ++c) {
        qreal ancho = fm.horizontalAdvance(grid.textMatrix(0, c));
        for (int f = 1; f < grid.rows(); ++f)
            ancho = std::max(ancho, fm.horizontalAdvance(grid.textMatrix(f, c)));
        anchos[static_cast<size_t>(c)] = conMargen(ancho);
    }
    return anchos;
}

int AnchoColumna(const GridModel& grid, const QFont& fuente, int columna, const QStringList& ademas) {
    if (columna < 0 || columna >= grid.cols())
        return 0;
    QSet<QString> textos(ademas.cbegin(), ademas.cend());
    textos.insert(grid.textMatrix(0, columna));
    // A status column holds a handful of texts: a short list finds them faster than a hash.
    std::vector<QString> pocos;
    QString anterior;
    bool primera = true;
    for (int f = 1; f < grid.rows(); ++f) {
        // Runs of one status are common: skip the lookup when the text repeats the previous one.
        const QString s = grid.textMatrix(f, columna);
        if (!primera && anterior == s)
            continue;
        primera = false;
        anterior = s;
        if (std::find(pocos.begin(), pocos.end(), s) != pocos.end())
            continue;
        if (pocos.size() < 32)
            pocos.push_back(s);
        else
            textos.insert(s);
    }
    for (const QString& s : pocos)
        textos.insert(s);
    const QFontMetricsF fm(fuente);
    qreal ancho = 0;
    for (const QString& s : textos)
        ancho = std::max(ancho, fm.horizontalAdvance(s));
    return conMargen(ancho);
}

int AnchoTextos(const QFont& fuente, const QStringList& textos) {
    const QFontMetricsF fm(fuente);
    qreal ancho = 0;
    for (const QString& s : textos)
        ancho = std::max(ancho, fm.horizontalAdvance(s));
    return conMargen(ancho);
}
