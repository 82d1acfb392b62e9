// Excel export of a big infraction list, next to libxlsxwriter writing the same cells bare
// (same constant-memory mode, no formats, no merges), in the same run.
#include "output/LibroExcel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

// Mean milliseconds per workbook and peak growth in MiB, by benchmark and row count.
std::map<std::pair<std::string, int>, std::pair<double, double>> medidas;

double ahoraMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

const char* const kEstatus[] = {"MIC. DESC.", "D. JOCKEY",   "L. SHOW",
                                "BAT. DESC.", "EXCESO INF.", "APERT. GAB."};

QStringList filaInfraccion(int i) {
    QStringList f;
    f << QString::number(i) << "12345"
      << QStringLiteral("%1/%2/2011").arg(1 + i % 28, 2, 10, QChar('0')).arg(1 + i % 12, 2, 10, QChar('0'))
      << QStringLiteral("%1:%2:%3")
             .arg(i % 24, 2, 10, QChar('0'))
             .arg(i % 60, 2, 10, QChar('0'))
             .arg((i * 7) % 60, 2, 10, QChar('0'))
      << QString::number(80 + i % 30) << kEstatus[i % 6] << "OK"
      << "SI" << QString::number(i % 100) << "Administrador"
      << "90"
      << "85"
      << "3"
      << "1"
      << "5"
      << "70"
      << "60" << QString::number(i % 1000);
    return f;
}

// The rows as the office model hands them to the workbook.
const std::vector<FilaInfraccionLibro>& filasVista(int filas) {
    static std::vector<FilaInfraccionLibro> v;
    if (v.size() != static_cast<size_t>(filas)) {
        v.clear();
        v.reserve(static_cast<size_t>(filas));
        for (int i = 1; i <= filas; ++i)
            v.push_back({filaInfraccion(i), false});
    }
    return v;
}

// Peak resident memory since the last reset, in MiB (Linux).
void reiniciarPico() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
double memoriaMiB(const std::string& campo) {
    std::ifstream f("/proc/self/status");
    std::string linea;
    while (std::getline(f, linea))
        if (linea.rfind(campo, 0) == 0)
            return std::stod(linea.substr(campo.size())) / 1024.0;
    return 0;
}

// The same texts, already in UTF-8: only the library's own work is timed.
using Celdas = std::vector<std::vector<std::string>>;
Celdas celdasUtf8(int filas) {
    Celdas celdas(static_cast<size_t>(filas));
    for (int i = 0; i < filas; ++i) {
        const QStringList f = filaInfraccion(i + 1);
        for (int c = 1; c <= 16; ++c)
            celdas[static_cast<size_t>(i)].push_back(f[c].toStdString());
    }
    return celdas;
}

bool escribirSolo(const QByteArray& ruta, const Celdas& celdas) {
    lxw_workbook_options opciones{};
    opciones.constant_memory = LXW_TRUE;
    lxw_workbook* libro = workbook_new_opt(ruta.constData(), &opciones);
    lxw_worksheet* hoja = workbook_add_worksheet(libro, "Datos_Inspeccion");
    for (size_t i = 0; i < celdas.size(); ++i)
        for (lxw_col_t c = 0; c < 16; ++c)
            worksheet_write_string(hoja, static_cast<lxw_row_t>(39 + i), c, celdas[i][c].c_str(), nullptr);
    return workbook_close(libro) == LXW_NO_ERROR;
}

EntradaLibro entradaBase() {
    EntradaLibro e;
    e.titulo = "Municipalidad";
    e.inspector = "Administrador";
    e.check.fill(true);
    return e;
}

// Both ways in turns, the best of each: on a busy machine a slow spell then hits both alike.
std::pair<double, double> alternados(int filas, int rondas) {
    const Celdas celdas = celdasUtf8(filas);
    const std::vector<FilaInfraccionLibro>& v = filasVista(filas);
    QTemporaryDir dir;
    const QByteArray rutaSolo = QFile::encodeName(QDir(dir.path()).filePath("solo.xlsx"));
    const QString ruta = QDir(dir.path()).filePath("libro.xlsx");
    EntradaLibro e = entradaBase();
    double solo = 1e300, libro = 1e300;
    for (int r = 0; r < rondas; ++r) {
        double t = ahoraMs();
        escribirSolo(rutaSolo, celdas);
        solo = std::min(solo, ahoraMs() - t);
        t = ahoraMs();
        e.infracciones = v;
        CrearLibroExcel(e, ruta);
        libro = std::min(libro, ahoraMs() - t);
    }
    return {libro, solo};
}

void BM_CrearLibroExcel(benchmark::State& state) {
    const int filas = static_cast<int>(state.range(0));
    const std::vector<FilaInfraccionLibro>& v = filasVista(filas);
    QTemporaryDir dir;
    const QString ruta = QDir(dir.path()).filePath("libro.xlsx");
    EntradaLibro e = entradaBase();
    reiniciarPico();
    const double antes = memoriaMiB("VmRSS:");
    const double inicio = ahoraMs();
    for (auto _ : state) {
        // What "Exportar" does after the dialog: take the model's rows and build the workbook.
        e.infracciones = v;
        const ResultadoLibro r = CrearLibroExcel(e, ruta);
        if (!r.ok)
            state.SkipWithError(r.error.toUtf8().constData());
    }
    // Growth of the peak over the memory held before the run (the grid, the texts).
    const double ms = (ahoraMs() - inicio) / static_cast<double>(state.iterations());
    state.counters["crece_MiB"] = memoriaMiB("VmHWM:") - antes;
    medidas[{"libro", filas}] = {ms, state.counters["crece_MiB"]};
    state.counters["archivo_MiB"] = static_cast<double>(QFile(ruta).size()) / (1024.0 * 1024.0);
    state.SetItemsProcessed(state.iterations() * filas);
}

void BM_LibxlsxwriterSolo(benchmark::State& state) {
    const int filas = static_cast<int>(state.range(0));
    const Celdas celdas = celdasUtf8(filas);
    QTemporaryDir dir;
    const QByteArray ruta = QFile::encodeName(QDir(dir.path()).filePath("solo.xlsx"));
    reiniciarPico();
    const double antes = memoriaMiB("VmRSS:");
    const double inicio = ahoraMs();
    for (auto _ : state) {
        if (!escribirSolo(ruta, celdas))
            state.SkipWithError("workbook_close");
    }
    // Growth of the peak over the memory held before the run (the grid, the texts).
    const double ms = (ahoraMs() - inicio) / static_cast<double>(state.iterations());
    state.counters["crece_MiB"] = memoriaMiB("VmHWM:") - antes;
    medidas[{"solo", filas}] = {ms, state.counters["crece_MiB"]};
    state.SetItemsProcessed(state.iterations() * filas);
}

} // namespace

BENCHMARK(BM_LibxlsxwriterSolo)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CrearLibroExcel)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // One line for scripts/medir.sh: the 100,000-row export against the bare library, timed in
    // turns; the memory growth from the runs above.
    const auto libro = medidas.find({"libro", 100000});
    const auto solo = medidas.find({"solo", 100000});
    if (libro != medidas.end() && solo != medidas.end()) {
        const auto [ms, ancla] = alternados(100000, 3);
        std::printf("MEDIDA nombre=exportar_excel_100000 ms=%.1f ancla_ms=%.1f objetivo=≤ 1.2× libxlsxwriter "
                    "desnudo, memoria plana (crece %.1f MiB; desnudo %.1f MiB)\n",
                    ms, ancla, libro->second.second, solo->second.second);
    }
    std::fflush(stdout);
    return 0;
}
