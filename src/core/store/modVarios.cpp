#include "core/store/modVarios.h"

#include <memory>

Conexion Conexion1;
Conexion Conexion2;
Conexion Conexion3;
Recordset Registros1;
Recordset Registros2;
Recordset Registros3;

namespace {
QString rutaBase;
QString registroServidor;
QString contrasenaServidor;
std::unique_ptr<Database> baseFisica;
} // namespace

QByteArray ClaveBaseDatos() {
    return QByteArrayLiteral("mq731rkw");
}

void ConfigurarBaseDatos(const QString& rutaArchivo) {
    if (rutaArchivo != rutaBase)
        CerrarBaseDatos();
    rutaBase = rutaArchivo;
}

QString RutaBaseDatos() {
    return rutaBase;
}

void ConfigurarRegistroServidor(const QString& conninfo, const QString& contrasena) {
    if (conninfo != registroServidor || contrasena != contrasenaServidor)
        CerrarBaseDatos();
    registroServidor = conninfo;
    contrasenaServidor = contrasena;
}

QString RegistroServidor() {
    return registroServidor;
}

Database& BaseDatosCompartida() {
    if ((!baseFisica || !baseFisica->abierta()) && !registroServidor.isEmpty()) {
        auto db = std::make_unique<Database>();
        db->abrirServidor(registroServidor, contrasenaServidor);
        baseFisica = std::move(db);
    }
    if (!baseFisica || !baseFisica->abierta()) {
        if (rutaBase.isEmpty())
            throw ErrorBD(QStringLiteral("No se indicó la ubicación de la base de datos."));
        auto db = std::make_unique<Database>();
        db->abrir(rutaBase, ClaveBaseDatos());
        baseFisica = std::move(db);
    }
    return *baseFisica;
}

void CerrarBaseDatos() {
    CerrarConexion1();
    CerrarConexion2();
    CerrarConexion3();
    baseFisica.reset();
}

void ConBaseCerrada(const std::function<void()>& cambio) {
    // The slots' recordsets point at the connection that goes away.
    for (Recordset* r : {&Registros1, &Registros2, &Registros3})
        r->cerrar();
    baseFisica.reset();
    try {
        cambio();
    } catch (...) {
        try {
            BaseDatosCompartida();
        } catch (const ErrorBD&) {
            // The first failure is the one to tell; the next use reports this one.
        }
        throw;
    }
    BaseDatosCompartida();
}

Database& Conexion::db() {
    if (!abierta_)
        throw ErrorBD(QStringLiteral("La conexión con la base de datos no está abierta."));
    return BaseDatosCompartida();
}

void Conexion::ejecutar(const Consulta& consulta) {
    db().ejecutar(consulta.sql, consulta.parametros);
}

void abrirSlot(Conexion& c) {
    BaseDatosCompartida();
    c.abierta_ = true;
}

void cerrarSlot(Conexion& c, Recordset& r) {
    r.cerrar();
    c.abierta_ = false;
}

void AbrirConexion1() {
    abrirSlot(Conexion1);
}
void AbrirConexion2() {
    abrirSlot(Conexion2);
}
void AbrirConexion3() {
    abrirSlot(Conexion3);
}
void CerrarConexion1() {
    cerrarSlot(Conexion1, Registros1);
}
void CerrarConexion2() {
    cerrarSlot(Conexion2, Registros2);
}
void CerrarConexion3() {
    cerrarSlot(Conexion3, Registros3);
}

void AbrirRegistros(Recordset& registros, Conexion& conexion, const Consulta& consulta) {
    registros.abrir(conexion.db(), consulta);
}
