#pragma once

#include <QString>

#include <optional>
#include <vector>

class TablaTextos;

// Appends a text as the client search compares it: up to a NUL, case-folded code point by code
// point (what Qt::CaseInsensitive compares), so a plain containment gives contiene()'s answer.
void TextoBuscable(const QString& texto, std::vector<char16_t>& destino);

// One searchable column of the client list, case-folded once and the rows' texts laid back to
// back: a search is then one pass over it, however many clients there are.
class ColumnaPlegada {
public:
    ColumnaPlegada(const TablaTextos& tabla, int columna);

    // Appends the rows whose text contains `buscado` literally and in any letter case, in
    // ascending order; a NULL value never matches, an empty text matches every other row.
    void filasQueContienen(const QString& buscado, std::vector<quint32>& filas) const;
    // The same for a search typed on: when the folded text holds the previous search's, only the
    // rows that one found are looked at again (a row holding the longer text holds the shorter).
    void buscar(const QString& buscado, std::vector<quint32>& filas);

private:
    // Rows [desde, hasta) laid end to end, searched in one pass.
    void buscarEnTramo(const std::vector<char16_t>& buscado, std::size_t desde, std::size_t hasta,
                       std::vector<quint32>& filas) const;
    void buscarTodas(const std::vector<char16_t>& buscado, std::vector<quint32>& filas) const;

    std::vector<char16_t> texto_;
    std::vector<quint32> inicio_; // one more than rows
    std::vector<bool> nula_;
    // The last search, for the next keystroke; the column is made again when the list changes.
    std::optional<std::vector<char16_t>> ultimoBuscado_;
    std::vector<quint32> ultimasFilas_;
};
