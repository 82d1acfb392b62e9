// Placeholder until the printed report lands.
#include "clients/FrmDatos.h"
#include "platform/Mensajes.h"

void FrmDatos::Imprimir() {
    MsgBox(QStringLiteral("Esta función todavía no está disponible."), QString(), Icono::Informacion);
}
