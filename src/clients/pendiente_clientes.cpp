// Placeholders until the infraction view, the client editor and the deletion land.
#include "clients/FrmDatos.h"
#include "clients/frmEdit.h"
#include "platform/Mensajes.h"

namespace {
void noDisponible() {
    MsgBox(QStringLiteral("Esta función todavía no está disponible."), QString(), Icono::Informacion);
}
} // namespace

void FrmDatos::Agregar() { noDisponible(); }
void FrmDatos::EditarCliente() { noDisponible(); }
void FrmDatos::EliminarCliente() { noDisponible(); }
void FrmDatos::FiltrarFechasInfracciones() {}
void MostrarInfraccionesCliente() {}
