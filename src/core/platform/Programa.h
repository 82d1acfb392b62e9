#pragma once

#include <functional>

// Ends the program (leaves the event loop). Start-up windows call it when the user leaves
// before or after the main window; tests replace it to see that it was asked for.
void FinalizarPrograma();
// Replaces what FinalizarPrograma does; an empty function restores QCoreApplication::quit.
void EstablecerFinalizadorPrograma(std::function<void()> finalizador);
