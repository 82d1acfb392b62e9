#pragma once

#include <optional>

// Lock keys as the status bar shows them. A state the platform cannot tell is nullopt.
struct EstadoTeclado {
    std::optional<bool> mayusculas;
    std::optional<bool> numerico;
    std::optional<bool> insercion;
    std::optional<bool> desplazamiento;
};

// Caps, Num and Scroll Lock come from the X server's keyboard indicators (X11 only); the
// Insert mode has no indicator anywhere, so it is toggled by Insert presses seen by this
// program, starting off.
EstadoTeclado LeerEstadoTeclado();
