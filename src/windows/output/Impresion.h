#pragma once

#include "output/Informe.h"

class GridModel;
class QPrintPreviewDialog;

// Gathers the report from the main window's grids: header texts from the current client row of
// `flex`, one record per visible row of `flex2` (separators included, hidden rows left out).
// Leaves `flex2`'s current cell on its last row, as walking the grid does.
DatosInforme DatosInformeDesdeGrillas(const QString& municipio, GridModel& flex, GridModel& flex2);

// True when the records hold at least one infraction (not only separator lines).
bool HayInfraccionesEnInforme(const DatosInforme& datos);

// Fills the report from the main window and shows it in its modeless preview, from which it
// is printed or saved as PDF; a later call refills the same preview.
void ImprimirInformeInfracciones();

// The open preview, or nullptr (tests).
QPrintPreviewDialog* VistaPreviaInforme();
// What the open preview shows (tests); nullptr when none is open.
const Impresion* InformeEnVistaPrevia();
