#pragma once

#include "clients/Cliente.h"

#include <QColor>
#include <QDate>
#include <QFont>
#include <QString>
#include <QStringList>

#include <array>

class GridModel;

// Reloads the premises fields, inspection pickers, infraction grid and band boxes of the main
// window for the client selected in its client grid.
void MostrarInfraccionesCliente();

// --- The pieces of the view, on plain grids (no window needed) ---

// Infraction grid columns read by the view (statement column order).
namespace ColInfraccion {
constexpr int Id = 0;
constexpr int Equipo = 1;
constexpr int Fecha = 2;
constexpr int Hora = 3;
constexpr int Estatus = 5;
constexpr int Inspector = 9;
constexpr int CI = 17;
constexpr int Cantidad = 18;
} // namespace ColInfraccion

extern const char* const kFormatoInfracciones;

// Whether row `fila` of the client grid holds a real client: inside the grid, not the header,
// not the placeholder record.
bool EsClienteReal(const GridModel& flex, int fila);

// Binds the client's infractions (exact client number, ascending id) through slot 3, which is
// open only while reading. An empty number gives the headers and no rows. Throws ErrorBD.
void CargarInfracciones(GridModel& grid, const QString& numeroCliente);
// Binds the client's band settings through slot 3 (row 1 when the client has a row).
void CargarBandas(GridModel& bandas, const QString& numeroCliente);

// Every status text an inspection file can carry, as its decoder writes them.
const QStringList& TextosEstatus();
// Headers, centring and the widths of the infraction grid; the status column fits every status
// text (those the device writes and those present) in the view's font.
void FormatearInfracciones(GridModel& grid, const QFont& fuente);
// Whether a "CI" text carries the device's group mark (a final "." after the counter text).
bool ContadorMarcado(const QString& ci);
// Every marked row loses its mark and gets an empty separator row directly below, in one pass.
void MarcarGrupos(GridModel& grid);
// Background by the status text of column 5 (per row); empty status and separators dark grey.
QColor ColorEstatus(const QString& estatus);
void ColorearInfracciones(GridModel& grid);
// Shows the rows dated within [inicio, fin] and hides the others; rows without a date
// (separators) keep their height. Returns how many date cells could not be read (those rows
// keep their height too).
int FiltrarPorFechas(GridModel& grid, const QDate& inicio, const QDate& fin);

// Band boxes: a number below 10 gets a leading "0" in front of its unchanged text.
QString RellenarCero(const QString& numero);
struct TextosBandas {
    std::array<QString, 3> activacion;
    std::array<QString, 3> inicio;
    std::array<QString, 3> fin;
};
// Texts of the nine band boxes from row 1 of the band grid; all empty when the client has no
// band settings (band A start hour empty) or no row.
TextosBandas CalcularTextosBandas(const GridModel& bandas);
