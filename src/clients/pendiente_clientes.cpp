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

frmEdit::frmEdit(QWidget* parent) : QDialog(parent) {}
frmEdit::~frmEdit() = default;
frmEdit* frmEdit::instancia() { return nullptr; }
bool frmEdit::existe() { return false; }
QLineEdit* frmEdit::Text1(int) const { return nullptr; }
