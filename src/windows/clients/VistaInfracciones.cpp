#include "clients/VistaInfracciones.h"

#include "import/ArchivoInspeccion.h"

#include "grid/AnchoColumnas.h"
#include "grid/GridModel.h"

#include <algorithm>

const char* const kFormatoInfracciones =
    "id | Equipo | Fecha | Hora | Nivel dB | Estatus | Batería | Red 220V | % Compr. | Inspector | Max. dB | "
    "dB Atenuador | Excesos | Calibracion dB | Seg. Penalizar | Nivel de Consola | Nivel de Ruido | CI";

namespace {
const QColor kAmarillo(255, 255, 0);
const QColor kNaranja(255, 128, 0);
const QColor kRojo(255, 0, 0);
const QColor kGrisOscuro(40, 40, 40);
} // namespace

void FormatearInfracciones(GridModel& grid, const QFont& fuente) {
    grid.setFormatString(QString::fromUtf8(kFormatoInfracciones));
    for (int c = 0; c < grid.cols(); ++c)
        grid.setColAlignment(c, Qt::AlignCenter);
    grid.setColWidth(ColInfraccion::Id, 0);
    grid.setColWidth(ColInfraccion::Fecha, 1200);
    grid.setColWidth(ColInfraccion::Hora, 1200);
    grid.setColWidth(
        ColInfraccion::Estatus,
        std::max(1200, AnchoColumnaTwips(grid, fuente, ColInfraccion::Estatus, TextosEstatus())));
    grid.setColWidth(ColInfraccion::Inspector, 1510);
    grid.setColWidth(ColInfraccion::CI, 800);
}

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

void ColorearInfracciones(GridModel& grid) {
    grid.setBackColor(kAmarillo);
    // Asked for the rows on screen only; follows each row through sorts.
    grid.setRowColorFunction(
        [](const QStringList& celdas) { return ColorEstatus(celdas.value(ColInfraccion::Estatus)); });
}

void AplicarOcultas(GridModel& grid, const std::vector<FilaInfraccion>& filas) {
    const bool dibujando = grid.redraw();
    grid.setRedraw(false);
    for (int f = 1; f < grid.rows(); ++f) {
        const int i = grid.rowTag(f);
        if (i < 0 || static_cast<size_t>(i) >= filas.size())
            continue;
        if (grid.rowHidden(f) != filas[static_cast<size_t>(i)].oculta)
            grid.setRowHeight(f, filas[static_cast<size_t>(i)].oculta ? 0 : -1);
    }
    grid.setRedraw(dibujando);
}

void MostrarInfracciones(GridModel& grid, const std::vector<FilaInfraccion>& filas, const QFont& fuente) {
    // Let the previous client's rows go first: a big client would otherwise be held twice.
    grid.clear();
    const bool dibujando = grid.redraw();
    grid.setRedraw(false);
    grid.bind(QString::fromUtf8(kFormatoInfracciones).split(QLatin1Char('|')), filas.size(),
              [&filas](std::size_t i) -> const QStringList& { return filas[i].celdas; });
    AplicarOcultas(grid, filas);
    grid.setRow(0);
    FormatearInfracciones(grid, fuente);
    ColorearInfracciones(grid);
    grid.setRedraw(dibujando);
}
