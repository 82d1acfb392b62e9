#pragma once

#include <QString>

// Prepares a server database for the shared register: the schema at this program's version
// (built or upgraded), the three roles when absent, their rights and the functions through which
// evidence is deleted (dist/servidor.sql). Asks nothing and can run again. Throws ErrorBD.
void PrepararServidor(const QString& conninfo, const QString& contrasena = QString());
// The SQL of the rights and functions, as dist/servidor.sql holds it.
QString SqlServidor();
