#pragma once

#include "core/store/BaseDatos.h"
#include "core/store/Recordset.h"

#include <functional>

// A connection slot is a cheap logical handle on the one physical connection of the process:
// opening it does not derive the key again, and a write through one slot is seen at once
// by a query through another.
class Conexion {
public:
    bool abierta() const { return abierta_; }
    Database& db(); // throws ErrorBD when the slot is closed
    void ejecutar(const Consulta& consulta);

private:
    friend void abrirSlot(Conexion&);
    friend void cerrarSlot(Conexion&, Recordset&);
    bool abierta_ = false;
};

extern Conexion Conexion1;
extern Conexion Conexion2;
extern Conexion Conexion3;
extern Recordset Registros1;
extern Recordset Registros2;
extern Recordset Registros3;

// Where the database lives; must be set before the first slot is opened.
void ConfigurarBaseDatos(const QString& rutaArchivo);
QString RutaBaseDatos();
// The shared register on a server instead of the file: a libpq connection string (empty: the
// file). The password, when the user typed one, stays in memory only.
void ConfigurarRegistroServidor(const QString& conninfo, const QString& contrasena = QString());
QString RegistroServidor();
// Opens the physical database (creating it when missing). Throws ErrorBD.
Database& BaseDatosCompartida();
// Closes every slot and the physical database (end of program, tests switching files).
void CerrarBaseDatos();
// The key of the database file.
QByteArray ClaveBaseDatos();
// Runs `cambio` with the physical database closed (a restore replacing the file), then opens it
// again; the slots stay as they were and see the new file. Throws what `cambio` or the
// reopening throws; the database is reopened in either case when it can be.
void ConBaseCerrada(const std::function<void()>& cambio);

void AbrirConexion1();
void AbrirConexion2();
void AbrirConexion3();
void CerrarConexion1();
void CerrarConexion2();
void CerrarConexion3();

// Opens the recordset of a slot on that slot's connection.
void AbrirRegistros(Recordset& registros, Conexion& conexion, const Consulta& consulta);
