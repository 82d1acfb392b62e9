// libFuzzer target: the decoder must never read outside its input, and its
// entry points must agree with each other on every input.

#include "core/import/ArchivoInspeccion.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Broken invariants abort, so libFuzzer keeps the input that broke them.
#define COMPROBAR(condicion)                                                                                 \
    do {                                                                                                     \
        if (!(condicion)) {                                                                                  \
            std::fprintf(stderr, "no se cumple: %s\n", #condicion);                                          \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // fromRawData: no copy and no terminating zero, so AddressSanitizer sees
    // any read past the last byte.
    const QByteArray datos = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype n = datos.size();

    const auto vista = decodificarVistaPrevia(datos);
    COMPROBAR(vista.has_value() == (n >= kLongitudVistaPrevia));
    if (vista)
        COMPROBAR(vista->numeroCliente.size() == 4 && vista->fecha.size() == 8 && vista->hora.size() == 8);

    CabeceraInspeccion cabecera;
    ErrorArchivo errorCabecera;
    const bool cabeceraValida = decodificarCabecera(datos, cabecera, &errorCabecera);
    COMPROBAR(cabeceraValida == !errorCabecera.hayError());
    COMPROBAR(!cabeceraValida || n >= kLongitudMinimaCabecera);

    DecodificadorRegistros dec(datos);
    RegistroInfraccion registro;
    qsizetype leidos = 0;
    while (dec.siguiente(registro)) {
        ++leidos;
        COMPROBAR(registro.fecha.size() == 8 && registro.hora.size() == 6);
        COMPROBAR(registro.bateria.size() == 6 && (registro.red == u"SI" || registro.red == u"NO"));
    }
    COMPROBAR(!dec.siguiente(registro));
    COMPROBAR(leidos == dec.registrosLeidos());
    COMPROBAR(leidos == 0 || cabeceraValida);
    COMPROBAR(leidos == 0 || kLongitudCabecera + kLongitudRegistro * leidos <= n + 1);

    const ArchivoDecodificado archivo = decodificarArchivo(datos);
    const ErrorArchivo veredicto = verificarArchivo(datos);
    COMPROBAR(archivo.valido == !veredicto.hayError());
    COMPROBAR(archivo.registros.size() == leidos);
    COMPROBAR(archivo.cabecera.has_value() == cabeceraValida);
    COMPROBAR(archivo.error.fallo == veredicto.fallo && archivo.error.posicion == veredicto.posicion);
    // The verdict differs from the records' decoder only by an impossible date or time.
    const bool fechaHora =
        veredicto.fallo == FalloArchivo::FechaImposible || veredicto.fallo == FalloArchivo::HoraImposible;
    COMPROBAR(fechaHora ? cabeceraValida
                        : veredicto.fallo == dec.error().fallo && veredicto.posicion == dec.error().posicion);
    COMPROBAR(archivo.valido || !archivo.error.texto().isEmpty());
    return 0;
}
