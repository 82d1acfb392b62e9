#include "windows/estatus/ColoresEstatus.h"

namespace {
const QColor kAmarillo(255, 255, 0);
const QColor kNaranja(255, 128, 0);
const QColor kRojo(255, 0, 0);
const QColor kGrisOscuro(40, 40, 40);
} // namespace

QColor ColorEstatus(const QString& estatus) {
    if (estatus.isEmpty())
        return kGrisOscuro;
    if (estatus == QLatin1String("D. JOCKEY"))
        return kNaranja;
    if (estatus == QLatin1String("MIC. DESC.") || estatus == QLatin1String("APERT. GAB.") ||
        estatus == QLatin1String("BAT. DESC.") || estatus == QLatin1String("EXCESO INF.") ||
        estatus == QLatin1String("REINICIO EQ."))
        return kRojo;
    return kAmarillo; // "L. SHOW" and any other text
}

QColor ColorEstatusComun() {
    return kAmarillo;
}
