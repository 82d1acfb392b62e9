// The level chart of a client with 200,000 infractions: the chart data (points in the range,
// limit line, reduction to the plot's columns), the week-by-hour counts, a zoom's reduction and
// the chart window shown and painted, next to a bare scan of the same rows in the same run.
#include "Generador.h"
#include "Medidas.h"
#include "core/Oficina.h"
#include "core/charts/DatosGrafico.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/ConexionSqlcipher.h"
#include "windows/charts/GraficoNiveles.h"
#include "windows/charts/VentanaGrafico.h"
#include "windows/platform/Mensajes.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// The bench's register, opened once as the program opens it.
std::unique_ptr<ConexionSqlcipher> registro;

constexpr int kInfracciones = 200000;
const QString kCliente = generador::numeroCliente(1);

class SinMensajes : public Mensajero {
public:
    Respuesta mostrar(const QString&, const QString&, Icono, Botones b, const QString&) override {
        return b == Botones::SiNo ? Respuesta::No : Respuesta::Aceptar;
    }
};

// The office model with the big client selected.
Oficina& oficina() {
    static QTemporaryDir dir;
    static SinMensajes mensajes;
    static Oficina* o = nullptr;
    if (!o) {
        const QString ruta = dir.filePath(QStringLiteral("presentacion.wfg"));
        {
            ConexionSqlcipher db(ruta, ClaveBaseDatos());
            generador::agregarClientes(db, 1);
            generador::agregarInfracciones(db, kCliente, kInfracciones);
        }
        InstalarMensajero(&mensajes);
        EstablecerDirectorioDatos(dir.path());
        registro = std::make_unique<ConexionSqlcipher>(ruta, ClaveBaseDatos());
        o = new Oficina(*registro);
        o->establecerUsuario(QStringLiteral("Administrador"));
        o->abrirClientes();
        for (const QStringList& fila : o->filasClientes())
            if (fila.value(1) == kCliente)
                o->seleccionar(fila.value(0).toLongLong());
    }
    return *o;
}

// Every row touched once: its date and level texts read, nothing parsed.
void EscaneoDesnudo(benchmark::State& state) {
    const FilasInfraccion& filas = oficina().infracciones();
    for (auto _ : state) {
        qint64 largo = 0;
        for (std::size_t i = 0; i < filas.size(); ++i)
            if (!filas.separador(i))
                largo +=
                    filas.utf8(i, ColInfraccion::Fecha).size() + filas.utf8(i, ColInfraccion::NivelDb).size();
        benchmark::DoNotOptimize(largo);
    }
    state.counters["filas"] = static_cast<double>(filas.size());
}

// What the chart needs before it draws: points, limit line, reduction to 1,000 columns.
void DatosDelGrafico(benchmark::State& state) {
    Oficina& o = oficina();
    std::size_t dibujados = 0;
    for (auto _ : state) {
        const SerieNiveles s = SerieDeFilas(o.infracciones(), o.fechaInicio(), o.fechaFin());
        benchmark::DoNotOptimize(LineaLimite(s).size());
        dibujados = ReducirPuntos(s.puntos, s.puntos.front().ms, s.puntos.back().ms, 1000,
                                  static_cast<int>(s.estatus.size()))
                        .size();
    }
    state.counters["dibujados"] = static_cast<double>(dibujados);
}

void SemanaPorHora(benchmark::State& state) {
    Oficina& o = oficina();
    for (auto _ : state)
        benchmark::DoNotOptimize(ContarSemanaHora(o.infracciones(), o.fechaInicio(), o.fechaFin()).cantidad);
}

// A wheel step: the reduction for a tenth of the series.
void ReduccionAlAcercar(benchmark::State& state) {
    Oficina& o = oficina();
    const SerieNiveles s = SerieDeFilas(o.infracciones(), o.fechaInicio(), o.fechaFin());
    const qint64 ancho = (s.puntos.back().ms - s.puntos.front().ms) / 10;
    const qint64 desde = s.puntos.front().ms + 4 * ancho;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ReducirPuntos(s.puntos, desde, desde + ancho, 1000, static_cast<int>(s.estatus.size())).size());
}

// From the button to the window painted on the screen, at its opening size.
void MostrarVentana(benchmark::State& state) {
    Oficina& o = oficina();
    std::size_t dibujados = 0;
    for (auto _ : state) {
        VentanaGrafico::Mostrar(o);
        VentanaGrafico* v = VentanaGrafico::instancia();
        QApplication::processEvents();
        dibujados = v->grafico().puntosDibujados();
        state.PauseTiming();
        delete v;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["dibujados"] = static_cast<double>(dibujados);
}

} // namespace

BENCHMARK(EscaneoDesnudo)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(DatosDelGrafico)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(SemanaPorHora)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(ReduccionAlAcercar)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(MostrarVentana)->Unit(benchmark::kMillisecond)->MinTime(0.5);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    medidas::Recolector recolector;
    benchmark::RunSpecifiedBenchmarks(&recolector);
    // The chart data reads up to five columns and parses four where the bare scan reads two and
    // parses none, hence the wide ratio; a redraw the user waits on stays under 100 ms.
    const double escaneo = recolector.ms("EscaneoDesnudo");
    medidas::imprimir("grafico_puntos_200k", recolector.ms("DatosDelGrafico"), escaneo,
                      medidas::Objetivo::ambos(10, 100, "<=10x escaneo desnudo y <=100 ms"));
    medidas::imprimir("grafico_semana_hora_200k", recolector.ms("SemanaPorHora"), escaneo,
                      medidas::Objetivo::ambos(10, 100, "<=10x escaneo desnudo y <=100 ms"));
    medidas::imprimir("grafico_zoom_200k", recolector.ms("ReduccionAlAcercar"), 0,
                      medidas::Objetivo::hastaMs(16, "<=16 ms (un cuadro por paso de rueda)"));
    medidas::imprimir("grafico_ventana_200k", recolector.ms("MostrarVentana"), 0,
                      medidas::Objetivo::hastaMs(500, "<=500 ms del botón a la ventana pintada"));
    benchmark::Shutdown();
    delete &oficina();
    return 0;
}
