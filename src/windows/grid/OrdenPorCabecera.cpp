#include "windows/grid/OrdenPorCabecera.h"

#include "windows/grid/GridModel.h"
#include "windows/grid/GridView.h"
#include "windows/platform/Mensajes.h"

#include <QKeyEvent>

void OrdenarPorCabecera(GridModel& grid, bool& ascendente, int col, const std::function<void()>& despues) {
    grid.setCol(col);
    // The current row follows its record through the sort.
    const int etiqueta = grid.rowTag(grid.row());
    grid.setRedraw(false);
    const bool ordenado = grid.sortByCurrentCol(!ascendente);
    if (ordenado && despues) {
        grid.setRedraw(true);
        despues();
    } else {
        if (ordenado && etiqueta >= 0) {
            for (int f = 1; f < grid.rows(); ++f) {
                if (grid.rowTag(f) == etiqueta) {
                    const QSignalBlocker bloqueo(&grid);
                    grid.setRow(f);
                    break;
                }
            }
        }
        grid.setRedraw(true);
    }
    if (!ordenado) {
        MostrarMensaje(QStringLiteral("Esta Columna no puede ser ordenada"), QString(), Icono::Informacion);
        return;
    }
    ascendente = !ascendente;
}

bool EsTeclaOrdenar(const QEvent* evento) {
    if (evento->type() != QEvent::KeyPress)
        return false;
    const auto* tecla = static_cast<const QKeyEvent*>(evento);
    return tecla->key() == Qt::Key_O && tecla->modifiers() == Qt::ControlModifier;
}

int ColumnaActual(const GridView& vista) {
    return vista.currentIndex().isValid() ? vista.currentIndex().column() : vista.grid()->col();
}
