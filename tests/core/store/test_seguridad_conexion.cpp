// Which connection strings travel unencrypted to another machine, and how a failed attempt is
// told to the user.
#include "core/store/SeguridadConexion.h"

#include <gtest/gtest.h>

TEST(SeguridadConexion, SinCifrarSoloHaciaOtroEquipo) {
    qunsetenv("PGSSLMODE");
    qunsetenv("PGHOST");
    // Another machine without TLS, or with TLS only if the server offers it.
    for (const char* info :
         {"host=servidor dbname=r sslmode=disable", "host=10.0.0.5 dbname=r sslmode=prefer",
          "host=/tmp,servidor dbname=r sslmode=allow", "postgresql://servidor/r?sslmode=disable"})
        EXPECT_TRUE(ConexionSinCifrar(QString::fromLatin1(info))) << info;
    // TLS asked for, this machine, or the program's own verify-full default.
    for (const char* info :
         {"host=servidor dbname=r sslmode=verify-full", "host=servidor dbname=r sslmode=require",
          "host=servidor dbname=r", "host=localhost dbname=r sslmode=disable",
          "host=127.0.0.1 sslmode=disable", "host=/var/run/postgresql sslmode=disable",
          "dbname=r sslmode=disable", "host=::1 sslmode=disable"})
        EXPECT_FALSE(ConexionSinCifrar(QString::fromLatin1(info))) << info;
    qputenv("PGSSLMODE", "disable");
    EXPECT_TRUE(ConexionSinCifrar(QStringLiteral("host=servidor dbname=r")));
    qunsetenv("PGSSLMODE");
    EXPECT_EQ(ValorConexion(QStringLiteral("host=a dbname='mi registro'"), "dbname"),
              QStringLiteral("mi registro"));
    EXPECT_EQ(ValorConexion(QStringLiteral("host=a dbname"), "dbname"), QString());
}

TEST(SeguridadConexion, CausasEnCastellano) {
    EXPECT_TRUE(CausaConexion(QStringLiteral("server certificate for \"localhost\" does not match host name "
                                             "\"127.0.0.1\""),
                              false)
                    .startsWith(QStringLiteral("El certificado del servidor no corresponde")));
    EXPECT_TRUE(CausaConexion(QStringLiteral("SSL error: certificate verify failed"), false)
                    .startsWith(QStringLiteral("El certificado del servidor no está firmado")));
    EXPECT_EQ(CausaConexion(QStringLiteral("FATAL: password authentication failed for user \"x\""), false),
              kContrasenaIncorrecta);
    EXPECT_EQ(CausaConexion(QString(), true), kPideContrasena);
    EXPECT_TRUE(CausaConexion(QStringLiteral("server does not support SSL, but SSL was required"), false)
                    .startsWith(QStringLiteral("El servidor no admite conexiones cifradas")));
}
