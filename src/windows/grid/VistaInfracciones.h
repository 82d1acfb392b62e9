#pragma once

#include "core/Oficina.h"

#include <QFont>
#include <QStringList>

#include <vector>

class GridModel;

// How the infraction grid looks: headers, widths, colours. Which rows there are, which are
// separators and which the date range hides is the office model's business.

extern const char* const kFormatoInfracciones;

// Headers, centring and the widths of the infraction grid; the status column fits every status
// text (those the device writes and those present) in the view's font. `presentes`, when given,
// are the status texts of the rows, so the grid's rows need not be read.
void FormatearInfracciones(GridModel& grid, const QFont& fuente, const QStringList* presentes = nullptr);
// Background by the status text of column 5 (per row), in the status colours.
void ColorearInfracciones(GridModel& grid);
// Shows and hides the grid's rows as the model's date filter says, wherever a sort moved them.
void AplicarOcultas(GridModel& grid, const FilasInfraccion& filas);
// The whole grid from the model's rows: texts (shown from the model's table, not copied), hidden
// rows, format and colours, no row current (a selection would hide the first record's colour).
void MostrarInfracciones(GridModel& grid, const FilasInfraccion& filas, const QFont& fuente);
