#pragma once

// Reloads the premises fields, inspection pickers, infraction grid and band boxes of the main
// window for the client selected in its client grid.
void MostrarInfraccionesCliente();
