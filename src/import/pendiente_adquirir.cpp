// Placeholder until the import window lands.
#include "import/AdquirirInf.h"
#include "platform/Mensajes.h"

void MostrarAdquirirInf() {
    MsgBox(QStringLiteral("Esta función todavía no está disponible."), QString(), Icono::Informacion);
}
