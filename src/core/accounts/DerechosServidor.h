#pragma once

#include <QString>

#include <vector>

class Conexion;

// What a signed-in person may do. On the embedded file the account name decides (the
// Administrador account administers, every other account writes); on a server, the roles the
// person's login is a member of, whoever made it so.
enum class Derechos { Ninguno, Consulta, Escribir, Administrar };

// The server login's rights, from its role membership. Throws ErrorBD.
Derechos LeerDerechosServidor(Conexion& db);
// The server role that gives those rights ("velmora_oficina" ...), and back.
QString RolDeDerechos(Derechos derechos);
Derechos DerechosDeRol(const QString& rol);

// A person of the shared register: a server login and the highest of the three roles it has.
struct PersonaServidor {
    QString nombre;
    Derechos derechos = Derechos::Ninguno;
};
// Every person of the register (administrator only). Throws ErrorBD.
std::vector<PersonaServidor> LeerPersonasServidor(Conexion& db);
// Adds a login with that password and role, through the server's function: the password leaves
// this desk only as its SCRAM verifier. Throws ErrorBD, with nothing added.
void AltaPersonaServidor(Conexion& db, const QString& nombre, const QString& clave, Derechos derechos);
// Removes a person's login. Throws ErrorBD.
void BajaPersonaServidor(Conexion& db, const QString& nombre);
