#pragma once

#include <QString>

// What the program decides about a shared register's connection before and after it is tried:
// whether it travels unencrypted to another machine, and a failed attempt's cause in the
// user's words.

// The value of one keyword of a libpq connection string; empty when absent or not valid.
QString ValorConexion(const QString& conninfo, const char* clave);
// Whether the string reaches a host other than this machine (a socket folder or a loopback name
// is this machine).
bool HostRemoto(const QString& conninfo);
// Whether the string names a remote host and lets the connection go without TLS (sslmode
// disable, allow or prefer). Without sslmode the program asks for verify-full.
bool ConexionSinCifrar(const QString& conninfo);
// The user's acceptance of an unencrypted connection, asked once per connection string.
bool SinCifrarAceptada(const QString& conninfo);
void AceptarSinCifrar(const QString& conninfo);

// The cause of a failed connection, from libpq's message, in Spanish.
QString CausaConexion(const QString& mensajeServidor, bool pideContrasena);
// The cause texts the login window reacts to.
extern const QString kPideContrasena;
extern const QString kContrasenaIncorrecta;
