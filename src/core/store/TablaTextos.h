#pragma once

#include <QByteArrayView>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <utility>

class Conexion;
struct Consulta;

// Blocks for growing arrays. A big one is mapped on its own, so it grows by remapping its pages
// (never copied, never held twice) and goes back to the system whole when freed; a small one
// comes from malloc. `mapeado` says which a block is.
namespace bloques {
// `usados` of the `antes` bytes held are kept.
void* crecer(void* datos, std::size_t usados, std::size_t antes, std::size_t despues, bool& mapeado);
void* ajustar(void* datos, std::size_t antes, std::size_t despues, bool mapeado);
void liberar(void* datos, std::size_t bytes, bool mapeado);
// Bytes mapped by such blocks now (malloc's own figures do not count them).
std::size_t mapeados();
} // namespace bloques

// A growing array of plain values.
template <typename T> class ArregloCreciente {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    ArregloCreciente() = default;
    ~ArregloCreciente() { bloques::liberar(datos_, capacidad_ * sizeof(T), mapeado_); }
    ArregloCreciente(ArregloCreciente&& o) noexcept
        : datos_(std::exchange(o.datos_, nullptr)), usados_(std::exchange(o.usados_, 0)),
          capacidad_(std::exchange(o.capacidad_, 0)), mapeado_(std::exchange(o.mapeado_, false)) {}
    ArregloCreciente& operator=(ArregloCreciente&& o) noexcept {
        std::swap(datos_, o.datos_);
        std::swap(usados_, o.usados_);
        std::swap(capacidad_, o.capacidad_);
        std::swap(mapeado_, o.mapeado_);
        return *this;
    }
    ArregloCreciente(const ArregloCreciente&) = delete;
    ArregloCreciente& operator=(const ArregloCreciente&) = delete;

    std::size_t size() const { return usados_; }
    std::size_t capacity() const { return capacidad_; }
    const T* data() const { return datos_; }
    const T& operator[](std::size_t i) const { return datos_[i]; }
    void reserve(std::size_t n) {
        if (n <= capacidad_)
            return;
        datos_ = static_cast<T*>(
            bloques::crecer(datos_, usados_ * sizeof(T), capacidad_ * sizeof(T), n * sizeof(T), mapeado_));
        capacidad_ = n;
    }
    // Room for `n` more, returned to be filled; commit them with crecer().
    T* espacio(std::size_t n) {
        if (usados_ + n > capacidad_)
            reserve(std::max(usados_ + n, capacidad_ + capacidad_ / 2 + 1024));
        return datos_ + usados_;
    }
    void crecer(std::size_t n) { usados_ += n; }
    // Gives back the room grown beyond what is used.
    void ajustar() {
        if (usados_ == capacidad_ || usados_ == 0)
            return;
        datos_ =
            static_cast<T*>(bloques::ajustar(datos_, capacidad_ * sizeof(T), usados_ * sizeof(T), mapeado_));
        capacidad_ = usados_;
    }

private:
    T* datos_ = nullptr;
    std::size_t usados_ = 0;
    std::size_t capacidad_ = 0;
    bool mapeado_ = false;
};

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
