#pragma once

#include <QByteArrayView>
#include <QStringList>

#include <vector>

class Database;
struct Consulta;

// Rows of texts kept as UTF-8 back to back, with one end offset per cell: a few bytes per cell
// where a QString would cost a header, an allocation and twice the bytes. A client with
// hundreds of thousands of rows stays within a small multiple of its raw text. Filled once,
// then read.
class TablaTextos {
public:
    explicit TablaTextos(int columnas = 0) : columnas_(columnas > 0 ? columnas : 0) {}

    int columnas() const { return columnas_; }
    std::size_t filas() const {
        return columnas_ > 0 ? fines_.size() / static_cast<std::size_t>(columnas_) : 0;
    }
    void reservar(std::size_t filas, std::size_t bytes);
    // Appends the next cell, row after row; nullptr is NULL. Throws ErrorBD past 2 GiB of text.
    void agregar(const char* utf8, qsizetype largo);
    // Appends the next cell leaving out every byte equal to `quitar`.
    void agregarSin(const char* utf8, qsizetype largo, char quitar);

    // Outside the table, and NULL, read as empty.
    QByteArrayView utf8(std::size_t fila, int col) const;
    QString texto(std::size_t fila, int col) const { return QString::fromUtf8(utf8(fila, col)); }
    bool nulo(std::size_t fila, int col) const;
    QStringList fila(std::size_t fila) const;
    // Heap bytes held (for measuring).
    std::size_t memoria() const { return texto_.capacity() + fines_.capacity() * sizeof(quint32); }

private:
    static constexpr quint32 kNulo = 0x80000000u; // on a cell's end offset
    void cerrarCelda(bool nula);

    int columnas_;
    std::vector<char> texto_;
    std::vector<quint32> fines_;
};

// Reads a query's rows straight into a table, without a QString per cell. Throws ErrorBD.
TablaTextos LeerTabla(Database& db, const Consulta& consulta);
