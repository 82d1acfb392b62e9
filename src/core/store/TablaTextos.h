#pragma once

#include "core/store/ArregloCreciente.h"

#include <QByteArrayView>
#include <QStringList>

#include <functional>

class Conexion;
struct Consulta;
struct ConsultaPorIds;

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
    // Once filled: gives back the room reserved for growing.
    void ajustar() {
        texto_.ajustar();
        fines_.ajustar();
    }
    // Appends a row (a null view is NULL; cells past `cantidad` are NULL), leaving out of column
    // `columnaSin` every byte equal to `quitar`. Throws ErrorBD past 2 GiB of text.
    void agregarFila(const QByteArrayView* celdas, int cantidad, int columnaSin = -1, char quitar = 0);
    // Appends rows [desde, hasta) of a table with as many columns, unchanged, in one copy.
    void agregarFilas(const TablaTextos& origen, std::size_t desde, std::size_t hasta);
    // Room for that many more rows and text bytes, so that filling it never moves it.
    void reservar(std::size_t filas, std::size_t bytes);
    std::size_t bytesTexto() const { return texto_.size(); }

    // Outside the table, and NULL, read as empty.
    QByteArrayView utf8(std::size_t fila, int col) const;
    // As the store reads it: a null string for NULL, an empty one for empty text.
    QString texto(std::size_t fila, int col) const;
    bool nulo(std::size_t fila, int col) const;
    QStringList fila(std::size_t fila) const;

private:
    static constexpr quint32 kNulo = 0x80000000u; // on a cell's end offset

    int columnas_;
    ArregloCreciente<char> texto_;
    ArregloCreciente<quint32> fines_;
};

// Reads a query's rows straight into a table, without a QString per cell. Throws ErrorBD.
TablaTextos LeerTabla(Conexion& db, const Consulta& consulta);

// Reads a query over ids in two parts at once when the ids are many and the store can (see
// Conexion::leerEnDosPartes): `leer(db, consulta, parte)` reads part 0, the ids up to a cut, and
// part 1, the rest; else it reads the whole query as part 0. Returns how many parts it read; the
// caller appends part 1 to part 0.
int LeerEnDosPartes(Conexion& db, const ConsultaPorIds& consulta,
                    const std::function<void(Conexion&, const Consulta&, int parte)>& leer);
// LeerTabla for such a query.
TablaTextos LeerTablaPorIds(Conexion& db, const ConsultaPorIds& consulta);
