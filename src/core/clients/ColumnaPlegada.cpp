#include "core/clients/ColumnaPlegada.h"

#include "core/store/TablaTextos.h"

#include <algorithm>
#include <functional>
#include <future>
#include <system_error>

void TextoBuscable(const QString& texto, std::vector<char16_t>& destino) {
    // The store hands contiene() its texts as C strings: a NUL ends them.
    const qsizetype nul = texto.indexOf(QChar(u'\0'));
    const QString plegado = (nul < 0 ? texto : texto.left(nul)).toCaseFolded();
    destino.insert(destino.end(), plegado.utf16(), plegado.utf16() + plegado.size());
}

ColumnaPlegada::ColumnaPlegada(const TablaTextos& tabla, int columna) {
    const std::size_t n = tabla.filas();
    inicio_.reserve(n + 1);
    nula_.reserve(n);
    inicio_.push_back(0);
    for (std::size_t i = 0; i < n; ++i) {
        nula_.push_back(tabla.nulo(i, columna));
        TextoBuscable(tabla.texto(i, columna), texto_);
        inicio_.push_back(static_cast<quint32>(texto_.size()));
    }
}

namespace {

std::vector<char16_t> Plegado(const QString& texto) {
    std::vector<char16_t> buscado;
    // Through UTF-8 as the statement binds it: a stray surrogate becomes what the store sees.
    TextoBuscable(QString::fromUtf8(texto.toUtf8()), buscado);
    return buscado;
}

// Below this many rows one core scans faster than two start.
constexpr std::size_t kFilasPorNucleo = 100000;

} // namespace

void ColumnaPlegada::filasQueContienen(const QString& texto, std::vector<quint32>& filas) const {
    buscarTodas(Plegado(texto), filas);
}

void ColumnaPlegada::buscar(const QString& texto, std::vector<quint32>& filas) {
    std::vector<char16_t> buscado = Plegado(texto);
    const auto contiene = [](const std::vector<char16_t>& largo, const std::vector<char16_t>& corto) {
        return std::search(largo.begin(), largo.end(), corto.begin(), corto.end()) != largo.end();
    };
    const std::size_t antes = filas.size();
    if (ultimoBuscado_ && *ultimoBuscado_ == buscado) {
        filas.insert(filas.end(), ultimasFilas_.begin(), ultimasFilas_.end());
    } else if (ultimoBuscado_ && contiene(buscado, *ultimoBuscado_)) {
        const std::boyer_moore_horspool_searcher buscador(buscado.begin(), buscado.end());
        const char16_t* base = texto_.data();
        for (const quint32 fila : ultimasFilas_) {
            const char16_t* desde = base + inicio_[fila];
            const char16_t* hasta = base + inicio_[fila + 1];
            if (buscador(desde, hasta).first != hasta)
                filas.push_back(fila);
        }
    } else {
        buscarTodas(buscado, filas);
    }
    ultimasFilas_.assign(filas.begin() + static_cast<std::ptrdiff_t>(antes), filas.end());
    ultimoBuscado_ = std::move(buscado);
}

void ColumnaPlegada::buscarTodas(const std::vector<char16_t>& buscado, std::vector<quint32>& filas) const {
    const std::size_t n = nula_.size();
    if (n < 2 * kFilasPorNucleo || buscado.empty()) {
        buscarEnTramo(buscado, 0, n, filas);
        return;
    }
    // A long list is split in two halves searched at once, so that a keystroke takes half as long.
    const std::size_t mitad = n / 2;
    std::vector<quint32> segunda;
    std::future<void> otra;
    try {
        otra = std::async(std::launch::async, [&] { buscarEnTramo(buscado, mitad, n, segunda); });
    } catch (const std::system_error&) {
        buscarEnTramo(buscado, 0, n, filas); // no thread to be had: one core does it all
        return;
    }
    buscarEnTramo(buscado, 0, mitad, filas);
    otra.get();
    filas.insert(filas.end(), segunda.begin(), segunda.end());
}

void ColumnaPlegada::buscarEnTramo(const std::vector<char16_t>& buscado, std::size_t primera,
                                   std::size_t ultima, std::vector<quint32>& filas) const {
    auto tomar = [&](size_t i) {
        if (!nula_[i])
            filas.push_back(static_cast<quint32>(i));
    };
    if (buscado.empty()) {
        for (size_t i = primera; i < ultima; ++i)
            tomar(i);
        return;
    }
    // One pass over the texts laid end to end; a match that runs into the next row's text does
    // not count.
    const char16_t* base = texto_.data();
    const char16_t* fin = base + inicio_[ultima];
    const std::boyer_moore_horspool_searcher buscador(buscado.begin(), buscado.end());
    const char16_t* desde = base + inicio_[primera];
    size_t fila = primera;
    while (desde < fin) {
        const char16_t* hallado = buscador(desde, fin).first;
        if (hallado == fin)
            break;
        const auto pos = static_cast<quint32>(hallado - base);
        fila = static_cast<size_t>(std::upper_bound(inicio_.begin() + static_cast<std::ptrdiff_t>(fila) + 1,
                                                    inicio_.begin() + static_cast<std::ptrdiff_t>(ultima) + 1,
                                                    pos) -
                                   inicio_.begin()) -
               1;
        if (pos + buscado.size() <= inicio_[fila + 1])
            tomar(fila);
        desde = base + inicio_[fila + 1];
    }
}
