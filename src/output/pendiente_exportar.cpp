// Placeholder until the Excel export lands.
#include "clients/FrmDatos.h"
#include "platform/Mensajes.h"

void FrmDatos::ExportarExcelF() {
    MsgBox(QStringLiteral("Esta función todavía no está disponible."), QString(), Icono::Informacion);
}
