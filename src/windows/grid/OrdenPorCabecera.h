#pragma once

#include <functional>

class GridModel;
class GridView;
class QEvent;

// A click on the header of column `col`: sorts the grid the other way than the last time
// (`ascendente` keeps which). The current record stays current, unless `despues` puts the
// current row back itself. A column that cannot be sorted is told to the user.
void OrdenarPorCabecera(GridModel& grid, bool& ascendente, int col,
                        const std::function<void()>& despues = {});

// Whether the key event is Ctrl+O, which sorts by the current column from the keyboard.
bool EsTeclaOrdenar(const QEvent* evento);
// The column Ctrl+O sorts by: the view's current one, or the grid's.
int ColumnaActual(const GridView& vista);
