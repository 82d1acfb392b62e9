#include "windows/grid/VistaInfracciones.h"

#include "core/import/ArchivoInspeccion.h"

#include "windows/estatus/ColoresEstatus.h"
#include "windows/grid/AnchoColumnas.h"
#include "windows/grid/GridModel.h"

#include <algorithm>
#include <memory>

const char* const kFormatoInfracciones =
    "id | Equipo | Fecha | Hora | Nivel dB | Estatus | Batería | Red 220V | % Compr. | Inspector | Max. dB | "
    "dB Atenuador | Excesos | Calibracion dB | Seg. Penalizar | Nivel de Consola | Nivel de Ruido | CI";

void FormatearInfracciones(GridModel& grid, const QFont& fuente, const QStringList* presentes) {
    grid.setFormatString(QString::fromUtf8(kFormatoInfracciones));
    for (int c = 0; c < grid.cols(); ++c)
        grid.setColAlignment(c, Qt::AlignCenter);
    grid.setColWidth(ColInfraccion::Id, 0);
    grid.setColWidth(ColInfraccion::Fecha, 80);
    grid.setColWidth(ColInfraccion::Hora, 80);
    const int estatus = presentes
                            ? AnchoTextos(fuente, TextosEstatus() + *presentes +
                                                      QStringList{grid.textMatrix(0, ColInfraccion::Estatus)})
                            : AnchoColumna(grid, fuente, ColInfraccion::Estatus, TextosEstatus());
    grid.setColWidth(ColInfraccion::Estatus, std::max(80, estatus));
    grid.setColWidth(ColInfraccion::Inspector, 101);
    grid.setColWidth(ColInfraccion::CI, 53);
}

void ColorearInfracciones(GridModel& grid) {
    grid.setBackColor(ColorEstatusComun());
    // Asked for the rows on screen only; follows each row through sorts.
    grid.setRowColorFunction([](const GridModel& g, int fila) {
        return ColorEstatus(g.textMatrix(fila, ColInfraccion::Estatus));
    });
}

void AplicarOcultas(GridModel& grid, const FilasInfraccion& filas) {
    const bool dibujando = grid.redraw();
    grid.setRedraw(false);
    for (int f = 1; f < grid.rows(); ++f) {
        const int i = grid.rowTag(f);
        if (i < 0 || static_cast<size_t>(i) >= filas.size())
            continue;
        const bool oculta = filas.oculta(static_cast<size_t>(i));
        if (grid.rowHidden(f) != oculta)
            grid.setRowHeight(f, oculta ? 0 : -1);
    }
    grid.setRedraw(dibujando);
}

void MostrarInfracciones(GridModel& grid, const FilasInfraccion& filas, const QFont& fuente) {
    // Let the previous client's rows go first: a big client would otherwise be held twice.
    grid.clear();
    const bool dibujando = grid.redraw();
    grid.setRedraw(false);
    // The grid reads the model's table, which it holds on to; the rows are the model's.
    auto registros = std::make_shared<std::vector<qint64>>(filas.size());
    for (std::size_t i = 0; i < filas.size(); ++i)
        (*registros)[i] = filas.registro(i);
    grid.bind(QString::fromUtf8(kFormatoInfracciones).split(QLatin1Char('|')), filas.size(),
              [tabla = filas.tabla(), registros](std::size_t i, int col) {
                  const qint64 r = i < registros->size() ? (*registros)[i] : -1;
                  return r < 0 ? QString() : tabla->texto(static_cast<std::size_t>(r), col);
              });
    AplicarOcultas(grid, filas);
    grid.setRow(0);
    const QStringList estatus = filas.distintos(ColInfraccion::Estatus);
    FormatearInfracciones(grid, fuente, &estatus);
    ColorearInfracciones(grid);
    grid.setRedraw(dibujando);
}
