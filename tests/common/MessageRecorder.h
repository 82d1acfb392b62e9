#pragma once

#include "windows/platform/Mensajes.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>

// Records every message box and answers from a script instead of showing it.
class MessageRecorder : public Mensajero {
public:
    struct Mensaje {
        QString texto;
        QString titulo;
        Icono icono;
        Botones botones;
        QString detalles;
    };

    MessageRecorder() { InstalarMensajero(this); }
    ~MessageRecorder() override { InstalarMensajero(nullptr); }

    // Answers used in order; when none is left: Aceptar for OK boxes, No for Yes/No boxes,
    // Cancelar when there is a way out.
    void responder(Respuesta r) { respuestas_.push_back(r); }
    // Runs while the message is "shown" (e.g. to look at a window at that moment).
    void alMostrar(std::function<void(const Mensaje&)> f) { alMostrar_ = std::move(f); }

    Respuesta mostrar(const QString& texto, const QString& titulo, Icono icono, Botones botones,
                      const QString& detalles) override;

    const QList<Mensaje>& mensajes() const { return mensajes_; }
    QStringList textos() const;
    const Mensaje& ultimo() const { return mensajes_.back(); }
    void limpiar() { mensajes_.clear(); }

private:
    QList<Mensaje> mensajes_;
    std::deque<Respuesta> respuestas_;
    std::function<void(const Mensaje&)> alMostrar_;
};
