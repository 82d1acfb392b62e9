#include "core/clients/EliminarCliente.h"

#include "core/import/RegistroImportaciones.h"
#include "core/store/Conexion.h"
#include "core/store/Sentencias.h"

#include <QSysInfo>

void BorrarClienteConInfracciones(Conexion& db, const QString& numeroCliente, qint64 id,
                                  const QString& motivo, const QString& cuenta) {
    if (db.sesionEnServidor()) {
        // Evidence is deleted only by the server's function, which checks the login's role.
        db.ejecutar(QStringLiteral("SELECT velmora_eliminar_cliente(?, ?, ?, ?)"),
                    {id, motivo, QSysInfo::machineHostName(), cuenta});
        return;
    }
    Transaccion t(db);
    // The client row first: on the server that locks it, so an import for the same client either
    // finished before (and its rows go too) or waits and then finds the client gone.
    const Consulta cliente = Sentencias::borrarCliente(id);
    db.ejecutar(cliente.sql, cliente.parametros);
    const Consulta infracciones = Sentencias::borrarInfraccionesCliente(numeroCliente);
    db.ejecutar(infracciones.sql, infracciones.parametros);
    BorrarImportacionesCliente(db, numeroCliente);
    t.confirmar();
}
