#include "core/store/TablaTextos.h"

#include "core/store/Conexion.h"
#include "core/store/Sentencias.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace bloques {
namespace {
constexpr std::size_t kMapear = 1u << 20; // from this size a block is mapped on its own
std::atomic<std::size_t> enMapas{0};

std::size_t paginas(std::size_t bytes) {
    static const auto pagina = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + pagina - 1) / pagina * pagina;
}
} // namespace

void* crecer(void* datos, std::size_t usados, std::size_t antes, std::size_t despues, bool& mapeado) {
    if (!mapeado && despues < kMapear) {
        void* nuevo = std::realloc(datos, despues);
        if (!nuevo)
            throw std::bad_alloc();
        return nuevo;
    }
    if (mapeado) {
        void* nuevo = mremap(datos, paginas(antes), paginas(despues), MREMAP_MAYMOVE);
        if (nuevo == MAP_FAILED)
            throw std::bad_alloc();
        enMapas += paginas(despues) - paginas(antes);
        return nuevo;
    }
    void* nuevo = mmap(nullptr, paginas(despues), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (nuevo == MAP_FAILED)
        throw std::bad_alloc();
    if (usados > 0)
        std::memcpy(nuevo, datos, usados);
    std::free(datos);
    mapeado = true;
    enMapas += paginas(despues);
    return nuevo;
}

void* ajustar(void* datos, std::size_t antes, std::size_t despues, bool mapeado) {
    if (!mapeado) {
        void* nuevo = std::realloc(datos, despues);
        return nuevo ? nuevo : datos;
    }
    // Shrinking in place keeps the address; the pages past the end go back.
    if (paginas(despues) < paginas(antes) &&
        munmap(static_cast<char*>(datos) + paginas(despues), paginas(antes) - paginas(despues)) == 0)
        enMapas -= paginas(antes) - paginas(despues);
    return datos;
}

void liberar(void* datos, std::size_t bytes, bool mapeado) {
    if (!mapeado) {
        std::free(datos);
    } else if (datos) {
        munmap(datos, paginas(bytes));
        enMapas -= paginas(bytes);
    }
}

std::size_t mapeados() {
    return enMapas;
}
} // namespace bloques

void TablaTextos::agregarFila(const QByteArrayView* celdas, int cantidad, int columnaSin, char quitar) {
    const int n = std::min(cantidad, columnas_);
    std::size_t bytes = 0;
    for (int c = 0; c < n; ++c)
        bytes += static_cast<std::size_t>(celdas[c].size());
    if (texto_.size() + bytes >= kNulo)
        throw ErrorBD(QStringLiteral("Los datos leídos superan el tamaño que el programa puede mostrar."));
    char* destino = texto_.espacio(bytes);
    char* const inicio = destino;
    quint32* fines = fines_.espacio(static_cast<std::size_t>(columnas_));
    const auto base = static_cast<quint32>(texto_.size());
    for (int c = 0; c < columnas_; ++c) {
        const QByteArrayView v = c < n ? celdas[c] : QByteArrayView();
        if (c == columnaSin)
            destino = std::copy_if(v.begin(), v.end(), destino, [quitar](char x) { return x != quitar; });
        else if (!v.isEmpty())
            destino = std::copy(v.begin(), v.end(), destino);
        fines[c] = (base + static_cast<quint32>(destino - inicio)) | (v.isNull() ? kNulo : 0u);
    }
    texto_.crecer(static_cast<std::size_t>(destino - inicio));
    fines_.crecer(static_cast<std::size_t>(columnas_));
}

QByteArrayView TablaTextos::utf8(std::size_t fila, int col) const {
    if (col < 0 || col >= columnas_)
        return {};
    const std::size_t i = fila * static_cast<std::size_t>(columnas_) + static_cast<std::size_t>(col);
    if (i >= fines_.size())
        return {};
    const quint32 inicio = i == 0 ? 0 : fines_[i - 1] & ~kNulo;
    const quint32 fin = fines_[i] & ~kNulo;
    return QByteArrayView(texto_.data() + inicio, static_cast<qsizetype>(fin - inicio));
}

QString TablaTextos::texto(std::size_t fila, int col) const {
    const QByteArrayView v = utf8(fila, col);
    if (v.isEmpty())
        return nulo(fila, col) || col < 0 || col >= columnas_ || fila >= filas() ? QString()
                                                                                 : QString(QLatin1String(""));
    return QString::fromUtf8(v);
}

bool TablaTextos::nulo(std::size_t fila, int col) const {
    const std::size_t i = fila * static_cast<std::size_t>(columnas_) + static_cast<std::size_t>(col);
    return col >= 0 && col < columnas_ && i < fines_.size() && (fines_[i] & kNulo) != 0;
}

QStringList TablaTextos::fila(std::size_t fila) const {
    QStringList celdas;
    celdas.reserve(columnas_);
    for (int c = 0; c < columnas_; ++c)
        celdas << texto(fila, c);
    return celdas;
}

TablaTextos LeerTabla(Conexion& db, const Consulta& consulta) {
    const auto st = db.preparar(consulta.sql);
    st->enlazarTodos(consulta.parametros);
    TablaTextos tabla(st->columnas());
    std::vector<QByteArrayView> celdas(static_cast<std::size_t>(tabla.columnas()));
    while (st->paso()) {
        for (int c = 0; c < tabla.columnas(); ++c) {
            int largo = 0;
            const char* p = st->bytes(c, largo);
            celdas[static_cast<std::size_t>(c)] = QByteArrayView(p, largo);
        }
        tabla.agregarFila(celdas.data(), tabla.columnas());
    }
    tabla.ajustar();
    return tabla;
}
