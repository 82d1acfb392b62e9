// Placeholder until the account windows land.
#include "accounts/CuentasUsuario.h"
#include "platform/Mensajes.h"

void MostrarCuentasUsuario() {
    MsgBox(QStringLiteral("Esta función todavía no está disponible."), QString(), Icono::Informacion);
}
