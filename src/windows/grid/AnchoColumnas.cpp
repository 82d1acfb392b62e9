#include "windows/grid/AnchoColumnas.h"

#include "core/store/TablaTextos.h"
#include "windows/grid/GridModel.h"

#include <QFontMetricsF>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <thread>

namespace {

constexpr int kCandidatosEstimacion = 24;
// From this many rows a second thread estimates half of them.
constexpr std::size_t kFilasDosHilos = 20000;

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
        if (!sumarUtf8(
                utf8, [this](char16_t u) { return u < 0x80 ? tabla_[u] : avance(u); }, total))
            return estimar(QString::fromUtf8(utf8));
        return total;
    }

    // Every character of the table measured, so that estimarConTabla() reads it alone.
    void completarTabla() {
        for (std::size_t u = 0; u < tabla_.size(); ++u)
            avance(static_cast<char16_t>(u));
    }
    // estimar() from the table alone, for another thread: NaN when a character is not in it.
    qreal estimarConTabla(QByteArrayView utf8) const {
        constexpr qreal kFuera = std::numeric_limits<qreal>::quiet_NaN();
        qreal total = 0;
        const bool leido = sumarUtf8(
            utf8, [this](char16_t u) { return u < tabla_.size() ? tabla_[u] : kFuera; }, total);
        return leido ? total : kFuera;
    }

private:
    // Adds `avance(u)` over the text's characters of one UTF-16 unit, in order; false at anything
    // else.
    template <typename Avance> static bool sumarUtf8(QByteArrayView utf8, Avance&& avance, qreal& total) {
        const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
        const auto* const fin = p + utf8.size();
        while (p < fin) {
            const unsigned c = *p;
            if (c < 0x80) {
                total += avance(static_cast<char16_t>(c));
                ++p;
                continue;
            }
            const int n = c >= 0xC2 && c < 0xE0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 0;
            if (n == 0 || fin - p < n)
                return false;
            char32_t u = c & (n == 2 ? 0x1Fu : 0x0Fu);
            for (int k = 1; k < n; ++k) {
                if ((p[k] & 0xC0) != 0x80)
                    return false;
                u = (u << 6) | (p[k] & 0x3Fu);
            }
            if (n == 3 && (u < 0x800 || (u >= 0xD800 && u <= 0xDFFF)))
                return false;
            total += avance(static_cast<char16_t>(u));
            p += n;
        }
        return true;
    }

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

template <typename Texto> struct Candidato {
    qreal estimado;
    int fila;
    Texto texto; // kept: repeated texts are compared with it, not read again
};

// The `candidatos` distinct texts with the largest estimates of each active column, over rows
// [desde, hasta): `estimaciones(fila)` gives the row's estimates, column by column; `texto(fila,
// col)` gives a cell's text in any form that compares as the text does (only for the cells that
// may be among the widest).
template <typename Estimaciones, typename TextoDe>
auto mejoresPorColumna(int desde, int hasta, int n, int candidatos, const std::vector<char>& activas,
                       Estimaciones&& estimaciones, TextoDe&& texto) {
    using Texto = std::decay_t<decltype(texto(0, 0))>;
    const size_t k = static_cast<size_t>(std::max(1, candidatos));
    // One min-heap of candidates per column; rows are walked in memory order, one pass. A full
    // heap's smallest estimate is kept apart, so most cells cost one comparison.
    std::vector<std::vector<Candidato<Texto>>> mejores(static_cast<size_t>(n));
    std::vector<qreal> umbral(static_cast<size_t>(n), -std::numeric_limits<qreal>::infinity());
    std::vector<int> columnas;
    for (int c = 0; c < n; ++c) {
        if (activas[static_cast<size_t>(c)]) {
            columnas.push_back(c);
            mejores[static_cast<size_t>(c)].reserve(k);
        }
    }
    const auto menor = [](const Candidato<Texto>& a, const Candidato<Texto>& b) {
        return a.estimado > b.estimado;
    };
    for (int f = desde; f < hasta; ++f) {
        const qreal* e = estimaciones(f);
        for (const int c : columnas) {
            // Texts are read only for the few cells that may be among the widest.
            if (e[c] <= umbral[static_cast<size_t>(c)])
                continue;
            Texto s = texto(f, c);
            if (s.isEmpty())
                continue;
            std::vector<Candidato<Texto>>& heap = mejores[static_cast<size_t>(c)];
            // Equal texts have equal estimates: only those need comparing, so a repeated text
            // (a province, a locality) takes one place among the candidates.
            bool repetido = false;
            for (const Candidato<Texto>& m : heap)
                if (m.estimado == e[c] && m.texto == s) {
                    repetido = true;
                    break;
                }
            if (repetido)
                continue;
            if (heap.size() >= k) {
                std::pop_heap(heap.begin(), heap.end(), menor);
                heap.pop_back();
            }
            heap.push_back({e[c], f, std::move(s)});
            std::push_heap(heap.begin(), heap.end(), menor);
            if (heap.size() >= k)
                umbral[static_cast<size_t>(c)] = heap.front().estimado;
        }
    }
    return mejores;
}

// The widths of the grid's columns: header and candidates measured exactly; a column not active
// takes `conocido[c]`, its data's width already measured.
template <typename Estimaciones, typename TextoDe>
std::vector<int> anchosPorCandidatos(const GridModel& grid, const QFontMetricsF& fm, int n, int candidatos,
                                     Estimaciones&& estimaciones, TextoDe&& texto,
                                     const std::vector<char>* activas = nullptr,
                                     const std::vector<qreal>* conocido = nullptr) {
    const std::vector<char> todas(static_cast<size_t>(n), 1);
    const auto mejores =
        mejoresPorColumna(1, grid.rows(), n, candidatos, activas ? *activas : todas, estimaciones, texto);
    std::vector<int> anchos(static_cast<size_t>(n), 0);
    for (int c = 0; c < n; ++c) {
        qreal ancho = fm.horizontalAdvance(grid.textMatrix(0, c));
        if (activas && !(*activas)[static_cast<size_t>(c)])
            ancho = std::max(ancho, (*conocido)[static_cast<size_t>(c)]);
        for (const auto& m : mejores[static_cast<size_t>(c)])
            ancho = std::max(ancho, fm.horizontalAdvance(grid.textMatrix(m.fila, c)));
        anchos[static_cast<size_t>(c)] = conMargen(ancho);
    }
    return anchos;
}

// Columns of a few texts told apart by their estimates: the widest of those the rows shown hold,
// found from the estimates alone; each column stops being looked at once its widest text is seen.
template <typename Estimaciones>
void anchosDePocos(int filas, int n, const EstimacionAnchos& estimacion, Estimaciones&& estimaciones,
                   std::vector<char>& activas, std::vector<qreal>& conocidos) {
    std::vector<int> columnas;
    std::vector<std::size_t> mejor; // index in its texts of the widest seen; size() for none
    for (int c = 0; c < n && static_cast<size_t>(c) < estimacion.textosPocos.size(); ++c)
        if (activas[static_cast<size_t>(c)] && estimacion.textosPocos[static_cast<size_t>(c)]) {
            columnas.push_back(c);
            mejor.push_back(estimacion.textosPocos[static_cast<size_t>(c)]->size());
        }
    std::size_t pendientes = columnas.size();
    for (int f = 1; f < filas && pendientes > 0; ++f) {
        const qreal* e = estimaciones(f);
        for (std::size_t j = 0; j < columnas.size(); ++j) {
            if (mejor[j] == 0)
                continue;
            const auto& pocos = *estimacion.textosPocos[static_cast<size_t>(columnas[j])];
            for (std::size_t t = 0; t < mejor[j]; ++t)
                if (pocos[t].first == e[columnas[j]]) {
                    mejor[j] = t;
                    pendientes -= t == 0 ? 1 : 0;
                    break;
                }
        }
    }
    for (std::size_t j = 0; j < columnas.size(); ++j) {
        const auto& pocos = *estimacion.textosPocos[static_cast<size_t>(columnas[j])];
        activas[static_cast<size_t>(columnas[j])] = 0;
        conocidos[static_cast<size_t>(columnas[j])] = mejor[j] < pocos.size() ? pocos[mejor[j]].second : 0;
    }
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

namespace {

// Whether row `i` of `a` and row `j` of `b` hold the same texts in their first `n` cells (which lie
// back to back).
bool MismasCeldas(const TablaTextos& a, std::size_t i, const TablaTextos& b, std::size_t j, int n) {
    for (int c = 0; c < n; ++c)
        if (a.utf8(i, c).size() != b.utf8(j, c).size())
            return false;
    const QByteArrayView primeraA = a.utf8(i, 0);
    const QByteArrayView primeraB = b.utf8(j, 0);
    const QByteArrayView ultimaA = a.utf8(i, n - 1);
    const auto bytes = static_cast<std::size_t>(ultimaA.data() + ultimaA.size() - primeraA.data());
    return bytes == 0 || std::memcmp(primeraA.data(), primeraB.data(), bytes) == 0;
}

} // namespace

EstimacionAnchos EstimarAnchos(std::shared_ptr<const TablaTextos> filas, const QFont& fuente, int columnas,
                               EstimacionAnchos previa) {
    const QFontMetricsF fm(fuente);
    Estimador estimador(fm);
    EstimacionAnchos e;
    e.columnas = std::max(0, columnas);
    e.fuente = fuente;
    const std::size_t total = filas->filas();
    const std::size_t ancho = static_cast<std::size_t>(e.columnas);
    // The list read again after a write holds the same rows but a few: the rows whose shown
    // texts did not change keep their estimates, in place, and the rest is estimated again.
    const bool reutilizable = previa.textos && previa.columnas == e.columnas && e.columnas > 0 &&
                              previa.fuente == fuente && previa.textos->filas() == total &&
                              previa.textos->columnas() >= e.columnas && filas->columnas() >= e.columnas &&
                              previa.valores.size() == total * ancho;
    bool cambiada = !reutilizable;
    if (reutilizable) {
        e.valores = std::move(previa.valores);
        for (std::size_t f = 0; f < total; ++f) {
            if (MismasCeldas(*previa.textos, f, *filas, f, e.columnas))
                continue;
            cambiada = true;
            for (int c = 0; c < e.columnas; ++c)
                e.valores[f * ancho + static_cast<size_t>(c)] = estimador.estimar(filas->utf8(f, c));
        }
    } else {
        e.valores.resize(total * ancho);
        // A long list is estimated on two cores: the second half from the table of advances,
        // filled beforehand, since the font is this thread's; what it lacks is left for here.
        const std::size_t mitad = total >= kFilasDosHilos ? total / 2 : total;
        std::thread segunda;
        if (mitad < total) {
            estimador.completarTabla();
            segunda = std::thread([&] {
                qreal* v = e.valores.data() + mitad * ancho;
                for (std::size_t f = mitad; f < total; ++f, v += ancho)
                    for (int c = 0; c < e.columnas; ++c)
                        v[c] = estimador.estimarConTabla(filas->utf8(f, c));
            });
        }
        qreal* v = e.valores.data();
        for (std::size_t f = 0; f < mitad; ++f, v += ancho)
            for (int c = 0; c < e.columnas; ++c)
                v[c] = estimador.estimar(filas->utf8(f, c));
        if (segunda.joinable()) {
            segunda.join();
            for (std::size_t f = mitad; f < total; ++f, v += ancho)
                for (int c = 0; c < e.columnas; ++c)
                    if (std::isnan(v[c]))
                        v[c] = estimador.estimar(filas->utf8(f, c));
        }
    }
    if (!cambiada) {
        // Every shown text as it was, row by row: the widest texts and their rows too.
        e.candidatos = previa.candidatos;
        e.maximos = std::move(previa.maximos);
        e.filasMaximas = std::move(previa.filasMaximas);
        e.textosPocos = std::move(previa.textosPocos);
        e.textos = std::move(filas);
        return e;
    }
    // The widest text of each column over the whole list, and the rows that hold it: a part of
    // the list that holds one of them has that column's width without looking at its rows.
    const int n = e.columnas;
    e.candidatos = kCandidatosEstimacion;
    if (total <= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        const auto mejores = mejoresPorColumna(
            0, static_cast<int>(total), n, e.candidatos, std::vector<char>(static_cast<size_t>(n), 1),
            [&](int f) {
                return static_cast<const qreal*>(e.valores.data() +
                                                 static_cast<size_t>(f) * static_cast<size_t>(n));
            },
            [&](int f, int c) { return filas->utf8(static_cast<size_t>(f), c); });
        e.maximos.assign(static_cast<size_t>(n), 0);
        e.textosPocos.clear();
        e.filasMaximas.assign(static_cast<size_t>(n), {});
        for (int c = 0; c < n; ++c) {
            std::vector<std::pair<qreal, quint32>> medidos;
            for (const auto& m : mejores[static_cast<size_t>(c)])
                medidos.emplace_back(fm.horizontalAdvance(QString::fromUtf8(m.texto)),
                                     static_cast<quint32>(m.fila));
            qreal maximo = 0;
            for (const auto& [ancho, fila] : medidos)
                maximo = std::max(maximo, ancho);
            e.maximos[static_cast<size_t>(c)] = maximo;
            for (const auto& [ancho, fila] : medidos)
                if (ancho == maximo)
                    e.filasMaximas[static_cast<size_t>(c)].push_back(fila);
            std::sort(e.filasMaximas[static_cast<size_t>(c)].begin(),
                      e.filasMaximas[static_cast<size_t>(c)].end());
            // Fewer texts than candidates, each with an estimate of its own: a row's estimate
            // then tells its text, and a part of the list is measured from estimates alone.
            std::vector<std::pair<qreal, qreal>> pocos; // estimate, width; widest first
            if (medidos.size() < static_cast<size_t>(e.candidatos)) {
                for (std::size_t j = 0; j < medidos.size(); ++j)
                    pocos.emplace_back(mejores[static_cast<size_t>(c)][j].estimado, medidos[j].first);
                std::sort(pocos.begin(), pocos.end(),
                          [](const auto& a, const auto& b) { return a.first < b.first; });
                const bool distintos =
                    std::adjacent_find(pocos.begin(), pocos.end(), [](const auto& a, const auto& b) {
                        return a.first == b.first;
                    }) == pocos.end();
                if (!distintos || (!pocos.empty() && pocos.front().first <= 0))
                    pocos.clear();
                else
                    std::sort(pocos.begin(), pocos.end(),
                              [](const auto& a, const auto& b) { return a.second > b.second; });
            }
            e.textosPocos.push_back(pocos.empty() ? std::nullopt : std::optional(std::move(pocos)));
        }
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
    // Columns whose widest text over the whole list is among the rows shown need no look at
    // them: a search that still lists it is measured without a pass over its rows.
    std::vector<char> activas(static_cast<size_t>(n), 1);
    const bool conMaximos =
        estimacion.candidatos == candidatos && estimacion.maximos.size() >= static_cast<size_t>(n) &&
        static_cast<size_t>(grid.rows() - 1) == origen.size() && std::is_sorted(origen.begin(), origen.end());
    bool todasEstimadas = conMaximos;
    for (int f = 1; todasEstimadas && f < grid.rows(); ++f)
        todasEstimadas = estimada(f).has_value();
    const auto estimaciones = [&](int f) {
        if (const std::optional<size_t> i = estimada(f))
            return static_cast<const qreal*>(estimacion.valores.data() + *i * ancho);
        // A row the grid added itself, or one the estimates do not cover.
        for (int c = 0; c < n; ++c)
            fila[static_cast<size_t>(c)] = estimador.estimar(grid.textMatrix(f, c));
        return static_cast<const qreal*>(fila.data());
    };
    std::vector<qreal> conocidos = estimacion.maximos;
    if (todasEstimadas) {
        for (int c = 0; c < n; ++c)
            for (const quint32 fila : estimacion.filasMaximas[static_cast<size_t>(c)])
                if (std::binary_search(origen.begin(), origen.end(), fila))
                    activas[static_cast<size_t>(c)] = 0;
        anchosDePocos(grid.rows(), n, estimacion, estimaciones, activas, conocidos);
    }
    return anchosPorCandidatos(
        grid, fm, n, candidatos, estimaciones,
        // Texts compared as the estimated table holds them, without decoding them.
        [&](int f, int c) {
            const std::optional<size_t> i = estimacion.textos ? estimada(f) : std::nullopt;
            if (i)
                return QByteArray::fromRawData(estimacion.textos->utf8(*i, c).data(),
                                               estimacion.textos->utf8(*i, c).size());
            return grid.textMatrix(f, c).toUtf8();
        },
        &activas, &conocidos);
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
