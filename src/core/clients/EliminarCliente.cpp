#include "clients/EliminarCliente.h"

#include "import/RegistroImportaciones.h"
#include "store/BaseDatos.h"
#include "store/Sentencias.h"

void BorrarClienteConInfracciones(Database& db, const QString& numeroCliente, qint64 id) {
    Transaccion t(db);
    const Consulta infracciones = Sentencias::borrarInfraccionesCliente(numeroCliente);
    db.ejecutar(infracciones.sql, infracciones.parametros);
    BorrarImportacionesCliente(db, numeroCliente);
    const Consulta cliente = Sentencias::borrarCliente(id);
    db.ejecutar(cliente.sql, cliente.parametros);
    t.confirmar();
}
