#include "core/clients/BandasCliente.h"

BandasCliente BandasCliente::desdeFila(const QStringList& fila) {
    BandasCliente b;
    b.activacion = fila.value(0);
    for (int i = 0; i < 3; ++i) {
        const int base = 1 + 7 * i;
        BandaHoraria& banda = b.bandas[static_cast<size_t>(i)];
        banda.activacion = fila.value(base);
        banda.diaInicio = fila.value(base + 1);
        banda.diaFin = fila.value(base + 2);
        banda.horaInicio = fila.value(base + 3);
        banda.minutosInicio = fila.value(base + 4);
        banda.horaFin = fila.value(base + 5);
        banda.minutosFin = fila.value(base + 6);
    }
    return b;
}
