// The main window's client operations: add, edit and delete.
#include "accounts/Sesion.h"
#include "clients/EliminarCliente.h"
#include "clients/FrmDatos.h"
#include "clients/SelectoresFecha.h"
#include "clients/VistaInfracciones.h"
#include "clients/frmEdit.h"
#include "grid/GridModel.h"
#include "platform/Mensajes.h"
#include "store/modVarios.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QTimeEdit>

void FrmDatos::Agregar() {
    frmEdit* editor = frmEdit::instancia();
    editor->ModoEdicion = 0;
    editor->MostrarModal();
    EnlazarClientes(idSeleccionado());
}

void FrmDatos::EditarCliente() {
    const int fila = flex->row();
    if (!EsClienteReal(*flex, fila)) {
        MsgBox(QStringLiteral("¡No hay clientes para editar!"),
               QStringLiteral("No existe Cliente en la Base de Datos"), Icono::Informacion);
        return;
    }
    auto celda = [&](int col) { return flex->textMatrix(fila, col); };
    frmEdit* editor = frmEdit::instancia();
    for (int i = 1; i <= 10; ++i)
        editor->PonerTexto(i, celda(i));
    PonerFecha(editor->DTPicker1, LeerFechaDMA(celda(11)));
    for (int i = 13; i <= 19; ++i)
        editor->PonerTexto(i, celda(i - 1));
    PonerFecha(editor->DTPicker2, LeerFechaDMA(celda(19)));
    PonerHora(editor->DTPicker3, LeerHoraHMS(celda(20)));
    PonerFecha(editor->DTPicker4, LeerFechaDMA(celda(21)));
    PonerHora(editor->DTPicker5, LeerHoraHMS(celda(22)));
    editor->PonerTexto(22, celda(23));
    const QString id = celda(0);
    editor->IdCliente = id.toInt();
    editor->ModoEdicion = 1;
    editor->MostrarModal();
    // The edited client stays selected and its view shows what was saved.
    EnlazarClientes(id);
}

void FrmDatos::EliminarCliente() {
    // The button is disabled for other users; the operation checks as well.
    if (!EsAdministrador(UsuarioActual)) {
        MsgBox(QStringLiteral("Solo el usuario Administrador puede eliminar clientes."), QString(),
               Icono::Informacion);
        return;
    }
    const int fila = flex->row();
    bool idValido = false;
    const qint64 id = flex->textMatrix(fila, 0).toLongLong(&idValido);
    if (!EsClienteReal(*flex, fila) || !idValido) {
        MsgBox(QStringLiteral("No hay ningún registro para eliminar"), QString(), Icono::Informacion);
        return;
    }
    const QString numero = flex->textMatrix(fila, 1);
    if (MsgBox(TextoConfirmacionEliminar(Cliente::desdeFila(flex->rowTexts(fila))),
               QStringLiteral("Eliminar"), Icono::Pregunta, Botones::SiNo) == Respuesta::Si) {
        try {
            AbrirConexion3();
            BorrarClienteConInfracciones(Conexion3.db(), numero, id);
        } catch (const ErrorBD& e) {
            CerrarConexion3();
            MostrarError(e);
            return;
        }
        CerrarConexion3();
        RecargarClientes();
        MsgBox(QStringLiteral("El Cliente fue eliminado satisfactoriamente"),
               QStringLiteral("Cliente Eliminado"), Icono::Informacion);
        return;
    }
    // Kept: the view shows the client as stored, whatever its boxes were made to say.
    MostrarInfraccionesCliente();
}
