#include "clients/EliminarCliente.h"

#include "store/BaseDatos.h"
#include "store/GridModel.h"
#include "store/Sentencias.h"

QString TextoConfirmacionEliminar(const GridModel& flex, int fila) {
    const QString crlf = QStringLiteral("\r\n");
    // The lines of spaces widen the message box and space out the items.
    const QString espacios(50, QLatin1Char(' '));
    const QString separador = crlf + espacios + crlf;
    auto item = [&](const char* titulo, int col) {
        return QString::fromUtf8(titulo) + flex.textMatrix(fila, col) + separador;
    };
    QString t = QStringLiteral("Se va a eliminar el registro : ") + separador + espacios + crlf;
    t += item("Numero de Cliente: ", 1);
    t += item("Nombre y Apellido: ", 2);
    t += item("Nombre del Local: ", 12);
    t += item("Dirección: ", 13);
    t += item("Localidad: ", 14);
    t += QStringLiteral("Partido: ") + flex.textMatrix(fila, 15) + crlf + espacios;
    return t;
}

void BorrarClienteConInfracciones(Database& db, const QString& numeroCliente, qint64 id) {
    Transaccion t(db);
    const Consulta infracciones = Sentencias::borrarInfraccionesCliente(numeroCliente);
    db.ejecutar(infracciones.sql, infracciones.parametros);
    const Consulta cliente = Sentencias::borrarCliente(id);
    db.ejecutar(cliente.sql, cliente.parametros);
    t.confirmar();
}
