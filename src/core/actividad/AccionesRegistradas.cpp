#include "core/actividad/AccionesRegistradas.h"

#include "core/accounts/Cuentas.h"
#include "core/actividad/CadenaActividad.h"
#include "core/actividad/EntradasActividad.h"
#include "core/store/Conexion.h"
#include "core/store/Sentencias.h"

bool CambiarContrasenaAnotada(Conexion& db, const QString& usuario, qint64 id, const QString& nombre,
                              const QString& contrasena) {
    Transaccion t(db);
    if (!CambiarContrasenaCuenta(db, usuario, id, nombre, contrasena))
        return false;
    AgregarEntrada(db, usuario, QStringLiteral("cuenta.contrasena"), nombre,
                   {{QStringLiteral("cuenta"), nombre}, {QStringLiteral("id"), id}});
    t.confirmar();
    return true;
}

int BorrarCuentasAnotadas(Conexion& db, const QString& usuario, const QString& nombre) {
    Transaccion t(db);
    const int n = BorrarCuentas(db, usuario, nombre);
    if (n == 0)
        return 0;
    AgregarEntrada(db, usuario, QStringLiteral("cuenta.baja"), nombre,
                   {{QStringLiteral("cuenta"), nombre}, {QStringLiteral("borradas"), n}});
    t.confirmar();
    return n;
}

void CrearCuentaAnotada(Conexion& db, const QString& usuario, const QString& nombre,
                        const QString& contrasena) {
    Transaccion t(db);
    CrearCuenta(db, usuario, nombre, contrasena);
    AgregarEntrada(db, usuario, QStringLiteral("cuenta.alta"), nombre, {{QStringLiteral("cuenta"), nombre}});
    t.confirmar();
}

qint64 GuardarClienteAnotado(Conexion& db, const QString& usuario, const Consulta& cambio, qint64 id,
                             bool comprobar) {
    Transaccion t(db);
    const QJsonObject antes = id != 0 ? DatosCliente(db, id) : QJsonObject();
    db.ejecutar(cambio.sql, cambio.parametros);
    if ((comprobar || id != 0) && db.filasAfectadas() == 0)
        return 0;
    const qint64 guardado = id != 0 ? id : db.ultimoId();
    const QJsonObject despues = DatosCliente(db, guardado);
    const QString numero = despues.value(QStringLiteral("NumeroCliente")).toString();
    if (id == 0) {
        AgregarEntrada(db, usuario, QStringLiteral("cliente.alta"), numero,
                       {{QStringLiteral("id"), guardado}, {QStringLiteral("datos"), despues}});
    } else {
        const QJsonObject cambios = CambiosDatos(antes, despues);
        // Saved as it was: nothing changed, nothing to record.
        if (!cambios.isEmpty())
            AgregarEntrada(db, usuario, QStringLiteral("cliente.cambio"), numero,
                           {{QStringLiteral("id"), id}, {QStringLiteral("cambios"), cambios}});
    }
    t.confirmar();
    return guardado;
}

QString AnotarSesion(Conexion& db, const QString& nombre, bool aceptada) {
    try {
        Transaccion t(db);
        AgregarEntrada(db, aceptada ? nombre : QString(),
                       aceptada ? QStringLiteral("sesion.aceptada") : QStringLiteral("sesion.rechazada"),
                       nombre, {{QStringLiteral("nombre"), nombre}});
        t.confirmar();
    } catch (const ErrorBD& e) {
        return e.descripcion();
    }
    return QString();
}
