#include "MessageRecorder.h"

Respuesta MessageRecorder::mostrar(const QString& texto, const QString& titulo, Icono icono, Botones botones,
                                   const QString& detalles) {
    mensajes_.append({texto, titulo, icono, botones, detalles});
    if (alMostrar_)
        alMostrar_(mensajes_.back());
    if (!respuestas_.empty()) {
        const Respuesta r = respuestas_.front();
        respuestas_.pop_front();
        return r;
    }
    switch (botones) {
    case Botones::SiNo:
    case Botones::NoSi:
        return Respuesta::No;
    case Botones::SiNoCancelar:
        return Respuesta::Cancelar;
    case Botones::Aceptar:
        break;
    }
    return Respuesta::Aceptar;
}

QStringList MessageRecorder::textos() const {
    QStringList t;
    for (const Mensaje& m : mensajes_)
        t << m.texto;
    return t;
}
