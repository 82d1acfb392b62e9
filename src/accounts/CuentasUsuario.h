#pragma once

// Shows the account window (modeless; a second call brings the open one to the front).
void MostrarCuentasUsuario();
