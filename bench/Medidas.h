#pragma once

// Collects each benchmark's mean time while the console shows the usual table, so a bench can end
// with one line per interaction in the form the figures script reads:
//   MEDIDA nombre=<id> ms=<ours> ancla_ms=<anchor> objetivo=<target text>
// Both figures come from the same run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace medidas {

class Recolector : public benchmark::ConsoleReporter {
public:
    Recolector() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& corridas) override {
        for (const Run& r : corridas) {
            if (r.run_type != Run::RT_Iteration || r.iterations <= 0 || r.error_occurred)
                continue;
            const std::string nombre = r.benchmark_name();
            ms_[nombre] = r.real_accumulated_time * 1000.0 / static_cast<double>(r.iterations);
            for (const auto& [clave, contador] : r.counters)
                contadores_[nombre + "#" + clave] = contador.value;
        }
        ConsoleReporter::ReportRuns(corridas);
    }

    // Mean milliseconds per iteration of a benchmark by its name and arguments ("Nombre/1"),
    // whatever options follow; -1 when it did not run (filtered out).
    double ms(const std::string& nombre) const { return buscar(ms_, nombre, std::string()); }
    double contador(const std::string& nombre, const std::string& clave) const {
        return buscar(contadores_, nombre, "#" + clave);
    }

private:
    static double buscar(const std::map<std::string, double>& m, const std::string& nombre,
                         const std::string& fin) {
        for (const auto& [clave, valor] : m) {
            if (clave.size() < fin.size() || clave.compare(clave.size() - fin.size(), fin.size(), fin) != 0)
                continue;
            const std::string base = clave.substr(0, clave.size() - fin.size());
            if (base == nombre || base.rfind(nombre + "/", 0) == 0)
                return valor;
        }
        return -1.0;
    }

    std::map<std::string, double> ms_;
    std::map<std::string, double> contadores_;
};

// One line for the figures script; nothing when either figure is missing. An interaction
// without an anchor passes 0 as its anchor.
inline void imprimir(const char* nombre, double nuestro, double ancla, const char* objetivo) {
    if (nuestro < 0 || ancla < 0)
        return;
    std::printf("MEDIDA nombre=%s ms=%.3f ancla_ms=%.3f objetivo=%s\n", nombre, nuestro, ancla, objetivo);
    std::fflush(stdout);
}

} // namespace medidas
