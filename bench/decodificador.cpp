// Decoding the largest file the device's counters allow: 65,534 records
// (32,767 of status 1 and 32,767 of status 2).

#include "Generador.h"
#include "core/import/ArchivoInspeccion.h"

#include <benchmark/benchmark.h>

namespace {

void BM_DecodificarArchivoCompleto(benchmark::State& state) {
    const QByteArray d = generador::archivoMaximo("0123");
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
    const QByteArray d = generador::archivoMaximo("0123");
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
