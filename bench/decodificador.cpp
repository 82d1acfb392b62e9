// Decoding the largest file the device's counters allow: 65,534 records
// (32,767 of status 1 and 32,767 of status 2).

#include "import/ArchivoInspeccion.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray archivoMaximo() {
    QByteArray d = "0123"
                   "280911"
                   "140530"
                   "085"
                   "010"
                   "003"
                   "105"
                   "030"
                   "070"
                   "060"
                   "1"
                   "100080306023045"
                   "070010004002015"
                   "230100205011059"
                   ";\r";
    // Status 1 with the "." mark, then status 2 without it.
    const QByteArray jockey = "110928"
                              "140530"
                              "125"
                              "1"
                              "1"
                              "085"
                              "042"
                              ".\n";
    const QByteArray show = "110928"
                            "140530"
                            "125"
                            "1"
                            "2"
                            "085"
                            "042"
                            " \n";
    d.reserve(kLongitudCabecera + kLongitudRegistro * 2 * kMaximoContador);
    for (int i = 0; i < kMaximoContador; ++i)
        d += jockey + show;
    return d;
}

void BM_DecodificarArchivoCompleto(benchmark::State& state) {
    const QByteArray d = archivoMaximo();
    for (auto _ : state) {
        const ArchivoDecodificado a = decodificarArchivo(d);
        if (!a.valido || a.registros.size() != 2 * kMaximoContador)
            state.SkipWithError("unexpected decoding");
        benchmark::DoNotOptimize(a.registros.constData());
    }
    state.counters["registros"] = double(2 * kMaximoContador);
    state.counters["registros/s"] =
        benchmark::Counter(double(2 * kMaximoContador), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DecodificarArchivoCompleto)->Unit(benchmark::kMillisecond);

// The import's way: one record at a time, nothing kept.
void BM_DecodificarRegistroARegistro(benchmark::State& state) {
    const QByteArray d = archivoMaximo();
    for (auto _ : state) {
        DecodificadorRegistros dec(d);
        RegistroInfraccion r;
        qsizetype n = 0;
        while (dec.siguiente(r))
            ++n;
        if (!dec.valido() || n != 2 * kMaximoContador)
            state.SkipWithError("unexpected decoding");
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_DecodificarRegistroARegistro)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
