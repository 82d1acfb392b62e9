#include "core/store/ArregloCreciente.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace bloques {
namespace {
constexpr std::size_t kMapear = 1u << 20; // from this size a block is mapped on its own
std::atomic<std::size_t> enMapas{0};

std::size_t paginas(std::size_t bytes) {
    static const auto pagina = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + pagina - 1) / pagina * pagina;
}
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

// The room is written right after it grows: the kernel fills it in one call, where a fault per
// page cost a good part of reading a big client. Only advice; an older kernel refuses it.
void poblar(void* desde, std::size_t bytes) {
    madvise(desde, bytes, MADV_POPULATE_WRITE);
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
        poblar(static_cast<char*>(nuevo) + paginas(antes), paginas(despues) - paginas(antes));
        enMapas += paginas(despues) - paginas(antes);
        return nuevo;
    }
    void* nuevo = mmap(nullptr, paginas(despues), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (nuevo == MAP_FAILED)
        throw std::bad_alloc();
    // Large pages where the system allows them: a big client's rows are written once, and a
    // fault per 4 KiB page cost a fair share of reading them. Only advice; refused, it changes nothing.
    madvise(nuevo, paginas(despues), MADV_HUGEPAGE);
    poblar(nuevo, paginas(despues));
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
