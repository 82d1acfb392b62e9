#pragma once

#include "core/output/InformeInfracciones.h"

class Oficina;
class DialogoVistaPrevia;
class QWidget;

// True when the records hold at least one infraction (not only separator lines).
bool HayInfraccionesEnInforme(const DatosInforme& datos);

// Fills the report of the selected client and shows it in its modeless preview, from which it
// is printed or saved as PDF; a later call refills the same preview. Without a client or
// without infractions the user is told and nothing is shown.
void ImprimirInformeInfracciones(Oficina& oficina, QWidget* padre);

// The open preview, or nullptr (tests).
DialogoVistaPrevia* VistaPreviaInforme();
// What the open preview shows (tests); nullptr when none is open.
const InformeInfracciones* InformeEnVistaPrevia();
