#include "core/clients/ColumnaPlegada.h"

#include "core/store/TablaTextos.h"

#include <algorithm>
#include <functional>

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

void ColumnaPlegada::filasQueContienen(const QString& texto, std::vector<quint32>& filas) const {
    std::vector<char16_t> buscado;
    // Through UTF-8 as the statement binds it: a stray surrogate becomes what the store sees.
    TextoBuscable(QString::fromUtf8(texto.toUtf8()), buscado);
    const std::size_t n = nula_.size();
    auto tomar = [&](size_t i) {
        if (!nula_[i])
            filas.push_back(static_cast<quint32>(i));
    };
    if (buscado.empty()) {
        for (size_t i = 0; i < n; ++i)
            tomar(i);
        return;
    }
    // One pass over the column's texts laid end to end; a match that runs into the next row's
    // text does not count.
    const char16_t* base = texto_.data();
    const char16_t* fin = base + texto_.size();
    const std::boyer_moore_horspool_searcher buscador(buscado.begin(), buscado.end());
    const char16_t* desde = base;
    size_t fila = 0;
    while (desde < fin) {
        const char16_t* hallado = buscador(desde, fin).first;
        if (hallado == fin)
            break;
        const auto pos = static_cast<quint32>(hallado - base);
        fila = static_cast<size_t>(std::upper_bound(inicio_.begin() + static_cast<std::ptrdiff_t>(fila) + 1,
                                                    inicio_.end(), pos) -
                                   inicio_.begin()) -
               1;
        if (pos + buscado.size() <= inicio_[fila + 1])
            tomar(fila);
        desde = base + inicio_[fila + 1];
    }
}
