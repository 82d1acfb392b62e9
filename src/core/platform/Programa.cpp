#include "core/platform/Programa.h"

#include <QCoreApplication>

namespace {
std::function<void()> finalizador;
}

void FinalizarPrograma() {
    if (finalizador)
        finalizador();
    else
        QCoreApplication::quit();
}

void EstablecerFinalizadorPrograma(std::function<void()> f) {
    finalizador = std::move(f);
}
