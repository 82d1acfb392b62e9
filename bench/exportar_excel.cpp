// Excel export of a big infraction list, next to libxlsxwriter writing the same cells bare
// (same constant-memory mode, same texts and formats, prepared beforehand), in the same run.
#include "core/output/LibroExcel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include "Medidas.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

// Mean milliseconds per workbook and peak growth in MiB, by benchmark and row count.
std::map<std::pair<std::string, int>, std::pair<double, double>> porCorrida;

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

// The bare library writes what the workbook writes, worked out beforehand: the same texts in
// UTF-8 (column A already replaced by CI or "BLOQ." by status) and the same fill per row, so
// only the library's own work is timed.
enum Relleno { SinRelleno, Naranja, Amarillo, RojoNegrita, kRellenos };
struct Celdas {
    std::vector<std::vector<std::string>> textos;
    std::vector<Relleno> rellenos;
};
Celdas celdasUtf8(int filas) {
    Celdas celdas;
    for (int i = 0; i < filas; ++i) {
        const QStringList f = filaInfraccion(i + 1);
        const QString& estatus = f[5];
        Relleno r = SinRelleno;
        if (estatus == "D. JOCKEY")
            r = Naranja;
        else if (estatus == "L. SHOW")
            r = Amarillo;
        else if (estatus == "BAT. DESC." || estatus == "EXCESO INF.")
            r = RojoNegrita;
        std::vector<std::string> fila;
        for (int c = 1; c <= 16; ++c)
            fila.push_back(f[c].toStdString());
        if (r == Naranja || r == Amarillo)
            fila[0] = f[17].toStdString();
        else if (r == RojoNegrita)
            fila[0] = "BLOQ.";
        celdas.textos.push_back(std::move(fila));
        celdas.rellenos.push_back(r);
    }
    return celdas;
}

// The workbook's formats, made and first used in the same order, so every cell carries the
// same style index as in the workbook.
struct Formatos {
    lxw_format* titulo1;
    lxw_format* titulo2;
    lxw_format* cabecera;
    lxw_format* datos[kRellenos][2][2]; // [fill][column B][centred]
};
Formatos formatos(lxw_workbook* libro) {
    Formatos f{};
    f.titulo1 = workbook_add_format(libro);
    format_set_bold(f.titulo1);
    format_set_font_size(f.titulo1, 12);
    f.titulo2 = workbook_add_format(libro);
    format_set_bold(f.titulo2);
    format_set_font_size(f.titulo2, 11);
    f.cabecera = workbook_add_format(libro);
    format_set_bold(f.cabecera);
    format_set_text_wrap(f.cabecera);
    format_set_rotation(f.cabecera, 90);
    format_set_align(f.cabecera, LXW_ALIGN_CENTER);
    format_set_align(f.cabecera, LXW_ALIGN_VERTICAL_CENTER);
    format_set_border(f.cabecera, LXW_BORDER_THICK);
    const lxw_color_t colores[kRellenos] = {0, 0xFF8000, 0xFFFF00, 0xFF0000};
    for (int r = 0; r < kRellenos; ++r)
        for (int b = 0; b < 2; ++b)
            for (int c = 0; c < 2; ++c) {
                lxw_format* x = workbook_add_format(libro);
                format_set_border(x, LXW_BORDER_THIN);
                if (r != SinRelleno)
                    format_set_bg_color(x, colores[r]);
                if (r == RojoNegrita)
                    format_set_bold(x);
                if (b)
                    format_set_num_format(x, "mm/dd/yyyy");
                if (c)
                    format_set_align(x, LXW_ALIGN_CENTER);
                f.datos[r][b][c] = x;
            }
    return f;
}

// The title rows and the table's header with their formats, then the data rows (sheet rows
// 40..) as the workbook writes them; the client and band lines above the table are left out.
bool escribirSolo(const QByteArray& ruta, const Celdas& celdas) {
    lxw_workbook_options opciones{};
    opciones.constant_memory = LXW_TRUE;
    lxw_workbook* libro = workbook_new_opt(ruta.constData(), &opciones);
    lxw_worksheet* hoja = workbook_add_worksheet(libro, "Datos_Inspeccion");
    const Formatos f = formatos(libro);
    worksheet_merge_range(hoja, 0, 0, 0, 14, "Municipalidad - DETALLE DE INFRACCIONES", f.titulo1);
    worksheet_merge_range(hoja, 1, 0, 1, 14, "Inspector responsable:  Administrador", f.titulo2);
    constexpr lxw_row_t cabecera = 38;
    worksheet_set_row(hoja, cabecera, 119, nullptr);
    for (lxw_col_t c = 0; c < 16; ++c)
        worksheet_write_string(hoja, cabecera, c, "Cabecera", f.cabecera);
    for (size_t i = 0; i < celdas.textos.size(); ++i) {
        const lxw_row_t fila = static_cast<lxw_row_t>(cabecera + 1 + i);
        const int centrado = fila + 1 <= 25000 ? 1 : 0;
        const std::vector<std::string>& textos = celdas.textos[i];
        for (lxw_col_t c = 0; c < 16; ++c)
            worksheet_write_string(hoja, fila, c, textos[c].c_str(),
                                   f.datos[celdas.rellenos[i]][c == 1][centrado]);
    }
    return workbook_close(libro) == LXW_NO_ERROR;
}

EntradaLibro entradaBase() {
    EntradaLibro e;
    e.titulo = "Municipalidad";
    e.inspector = "Administrador";
    e.opciones = OpcionesLibro::todas();
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
    // The entry's own copy of the rows (32 bytes a row, the texts shared with the grid) is taken
    // before the baseline: the growth is then the writer's alone.
    e.infracciones = v;
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
    porCorrida[{"libro", filas}] = {ms, state.counters["crece_MiB"]};
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
    porCorrida[{"solo", filas}] = {ms, state.counters["crece_MiB"]};
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
    const auto libro = porCorrida.find({"libro", 100000});
    const auto solo = porCorrida.find({"solo", 100000});
    if (libro != porCorrida.end() && solo != porCorrida.end()) {
        const auto [ms, ancla] = alternados(100000, 3);
        char texto[160];
        std::snprintf(texto, sizeof texto,
                      "≤ 1.2× libxlsxwriter desnudo, memoria plana (crece %.1f MiB; desnudo %.1f MiB)",
                      libro->second.second, solo->second.second);
        medidas::imprimir("exportar_excel_100000", ms, ancla, medidas::Objetivo::veces(1.2, texto));
    }
    std::fflush(stdout);
    return 0;
}
