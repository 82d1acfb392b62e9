#include "core/store/AvisosRegistro.h"

AvisosRegistro::AvisosRegistro(std::function<bool()> hayCambiosAjenos)
    : hayCambiosAjenos_(std::move(hayCambiosAjenos)) {
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, &AvisosRegistro::revisar);
}

void AvisosRegistro::vigilar() {
    if (!timer_.isActive())
        timer_.start();
}

void AvisosRegistro::revisar() {
    if (hayCambiosAjenos_())
        Q_EMIT registroCambiado();
}
