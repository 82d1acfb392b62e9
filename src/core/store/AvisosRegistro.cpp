#include "core/store/AvisosRegistro.h"

#include <QSocketNotifier>

AvisosRegistro::AvisosRegistro(std::function<std::optional<CambiosAjenos>()> cambiosAjenos,
                               std::function<int()> socket)
    : cambiosAjenos_(std::move(cambiosAjenos)), socket_(std::move(socket)) {
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, &AvisosRegistro::revisar);
}

AvisosRegistro::~AvisosRegistro() = default;

void AvisosRegistro::vigilar() {
    if (!timer_.isActive())
        timer_.start();
    seguirSocket();
}

void AvisosRegistro::seguirSocket() {
    const int socket = socket_();
    if (socket == socketSeguido_ && lector_) {
        lector_->setEnabled(true);
        return;
    }
    lector_.reset();
    socketSeguido_ = socket;
    if (socket < 0)
        return;
    lector_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    connect(lector_.get(), &QSocketNotifier::activated, this, &AvisosRegistro::revisar);
}

void AvisosRegistro::revisar() {
    const std::optional<CambiosAjenos> cambios = cambiosAjenos_();
    if (!cambios) {
        // The session is busy or being opened again: its socket would keep calling until read,
        // so the timer asks instead.
        if (lector_)
            lector_->setEnabled(false);
        return;
    }
    seguirSocket();
    if (!cambios->vacio())
        Q_EMIT registroCambiado(*cambios);
}
