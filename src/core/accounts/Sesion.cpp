#include "accounts/Sesion.h"

QString UsuarioActual;
