#pragma once

// Collects each benchmark's mean time while the console shows the usual table, so a bench can end
// with one line per interaction in the form the figures script reads:
//   MEDIDA nombre=<id> ms=<ours> ancla_ms=<anchor> objetivo_razon=<x> objetivo_ms=<ms> objetivo=<text>
// Both figures come from the same run; an empty field is a figure or bound that does not apply.
// The target goes as numbers too, so the script can tell whether it is met.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>
#include <utility>
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

// What an interaction must reach: at most `razon` times its anchor, at most `ms` milliseconds, or
// both (0 leaves a bound out). A memory figure is a ratio of megabytes. The text is for people.
struct Objetivo {
    double razon = 0;
    double ms = 0;
    std::string texto;

    static Objetivo veces(double razon, std::string texto) { return {razon, 0, std::move(texto)}; }
    static Objetivo hastaMs(double ms, std::string texto) { return {0, ms, std::move(texto)}; }
    static Objetivo ambos(double razon, double ms, std::string texto) {
        return {razon, ms, std::move(texto)};
    }
    // Shown for reference only: nothing to meet.
    static Objetivo ninguno(std::string texto) { return {0, 0, std::move(texto)}; }
};

// One line for the figures script; nothing when either figure is missing (negative). An
// interaction without an anchor passes 0 as its anchor.
inline void imprimir(const char* nombre, double nuestro, double ancla, const Objetivo& objetivo) {
    if (nuestro < 0 || ancla < 0)
        return;
    // Anchors as precise as our figure; bounds as written.
    const auto campo = [](double v, bool cota) {
        char texto[32] = "";
        if (v > 0 && cota)
            std::snprintf(texto, sizeof texto, "%g", v);
        else if (v > 0)
            std::snprintf(texto, sizeof texto, "%.3f", v);
        return std::string(texto);
    };
    std::printf("MEDIDA nombre=%s ms=%.3f ancla_ms=%s objetivo_razon=%s objetivo_ms=%s objetivo=%s\n", nombre,
                nuestro, campo(ancla, false).c_str(), campo(objetivo.razon, true).c_str(),
                campo(objetivo.ms, true).c_str(), objetivo.texto.c_str());
    std::fflush(stdout);
}

} // namespace medidas
