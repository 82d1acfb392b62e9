// The server guards the shared register: each of the three roles is refused, by the server, what
// it may not do, whether through plain libpq as psql would send it or through the program.
#include "Almacenes.h"
#include "ArchivosDePrueba.h"
#include "core/Oficina.h"
#include "core/store/ConexionPostgres.h"
#include "core/store/Esquema.h"
#include "core/store/PrepararServidor.h"
#include "core/store/SeguridadConexion.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <libpq-fe.h>

namespace {

// One statement through plain libpq as `usuario`; the SQLSTATE, or "" when it ran.
QString estado(const QString& conninfo, const QString& usuario, const char* sql) {
    const QByteArray info = (conninfo + QStringLiteral(" user=") + usuario).toUtf8();
    PGconn* c = PQconnectdb(info.constData());
    if (PQstatus(c) != CONNECTION_OK) {
        PQfinish(c);
        return QStringLiteral("sin conexión");
    }
    PGresult* r = PQexec(c, sql);
    const ExecStatusType e = PQresultStatus(r);
    const char* codigo = PQresultErrorField(r, PG_DIAG_SQLSTATE);
    const QString resultado = e == PGRES_COMMAND_OK || e == PGRES_TUPLES_OK
                                  ? QString()
                                  : QString::fromLatin1(codigo ? codigo : "?");
    PQclear(r);
    PQfinish(c);
    return resultado;
}

QByteArray archivoDe(int n) {
    QByteArray d = prueba::cabecera("0123");
    for (int i = 0; i < n; ++i)
        d += prueba::registro('1', ' ', QByteArray::number(100 + i));
    return d;
}

class Permisos : public ::testing::Test {
protected:
    void SetUp() override {
        PREPARAR_ALMACEN(registro, Almacen::Servidor);
        servidor = ServidorPrueba::compartido();
        for (const auto& [persona, rol] :
             {std::pair{"lectora", "velmora_consulta"}, std::pair{"oficinista", "velmora_oficina"},
              std::pair{"jefa", "velmora_administrador"}})
            ASSERT_TRUE(servidor->crearPersona(QString::fromLatin1(persona), QString::fromLatin1(rol)));
        prueba::agregarCliente(registro.conexion(), QStringLiteral("0123"));
        ArchivoImportacion a;
        ASSERT_TRUE(
            leerArchivoImportacion(prueba::escribir(dir.path(), QStringLiteral("a.kvd"), archivoDe(5)), a)
                .ok());
        DatosImportacion d;
        d.numeroCliente = QStringLiteral("0123");
        d.fecha = QDate(2011, 9, 28);
        d.hora = QTime(14, 5, 30);
        ASSERT_TRUE(escribirImportacion(registro.conexion(), a, d).ok());
        base = ValorConexion(registro.conninfo(), "dbname");
    }
    // The register as that person, on the socket (trust), as a desk opens it.
    std::unique_ptr<ConexionPostgres> como(const QString& usuario) {
        return std::make_unique<ConexionPostgres>(registro.conninfo() + QStringLiteral(" user=") + usuario);
    }
    qint64 contar(const char* tabla) {
        return prueba::filas(registro.conexion(),
                             QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(tabla)))
            .at(0)
            .at(0)
            .toLongLong();
    }

    RegistroDePrueba registro;
    ServidorPrueba* servidor = nullptr;
    QTemporaryDir dir;
    QString base;
};

// As psql would send them: evidence, and the summary's counts of it, are never updated or deleted
// by any role, the password hashes are not read by consulta or oficina, nobody creates roles,
// consulta imports nothing, and the deletion functions are not theirs to call.
TEST_F(Permisos, ElServidorRechazaLoQueElRolNoTiene) {
    const QString info = registro.conninfo();
    for (const char* persona : {"lectora", "oficinista", "jefa"}) {
        const QString p = QString::fromLatin1(persona);
        SCOPED_TRACE(persona);
        for (const char* sql :
             {"DELETE FROM Infracciones", "UPDATE Infracciones SET NiveldB = '0'",
              "DELETE FROM Importaciones", "UPDATE Importaciones SET Guardados = 0",
              "DELETE FROM OriginalesImportacion", "UPDATE OriginalesImportacion SET Datos = NULL",
              "TRUNCATE Infracciones", "CREATE ROLE intrusa LOGIN", "DELETE FROM Clientes",
              "UPDATE PassUsuarios SET Nombre = 'x'", "UPDATE ResumenMensual SET Filas = 0",
              "DELETE FROM ResumenMensual", "UPDATE ResumenMensualHasta SET Hasta = 0"})
            EXPECT_EQ(estado(info, p, sql), QStringLiteral("42501")) << sql;
        EXPECT_EQ(estado(info, p, "SELECT count(*) FROM Infracciones"), QString());
        // The office summary reads the monthly counts the server's triggers keep.
        EXPECT_EQ(estado(info, p, "SELECT count(*) FROM ResumenMensual, ResumenMensualHasta"), QString());
    }
    for (const char* persona : {"lectora", "oficinista"}) {
        const QString p = QString::fromLatin1(persona);
        EXPECT_EQ(estado(info, p, "SELECT \"Contraseña\" FROM PassUsuarios"), QStringLiteral("42501"));
        EXPECT_EQ(estado(info, p, "SELECT velmora_eliminar_cliente(2, 'motivo', 'x', '{}')"),
                  QStringLiteral("42501"));
        EXPECT_EQ(estado(info, p, "SELECT velmora_eliminar_importacion(1, 'motivo', 'x', '{}')"),
                  QStringLiteral("42501"));
        EXPECT_EQ(estado(info, p, "SELECT velmora_restituir_importacion(1, 'x', '{}')"),
                  QStringLiteral("42501"));
        EXPECT_EQ(
            estado(info, p,
                   "SELECT velmora_alta_persona('otra', 'SCRAM-SHA-256$x', 'velmora_administrador', 'x')"),
            QStringLiteral("42501"));
    }
    EXPECT_EQ(estado(info, QStringLiteral("jefa"), "SELECT \"Contraseña\" FROM PassUsuarios"), QString());
    EXPECT_EQ(estado(info, QStringLiteral("lectora"),
                     "INSERT INTO Importaciones (NumeroCliente, NombreArchivo) VALUES ('0123', 'x')"),
              QStringLiteral("42501"));
    EXPECT_EQ(
        estado(info, QStringLiteral("lectora"), "INSERT INTO Infracciones (NumeroCliente) VALUES ('0123')"),
        QStringLiteral("42501"));
    EXPECT_EQ(estado(info, QStringLiteral("lectora"), "UPDATE Clientes SET Nombre = 'x'"),
              QStringLiteral("42501"));
    // Without a reason the administrator's own function refuses too.
    EXPECT_EQ(estado(info, QStringLiteral("jefa"), "SELECT velmora_eliminar_importacion(1, '  ', 'x', '{}')"),
              QStringLiteral("23514"));
    EXPECT_EQ(contar("Infracciones"), 5);
    EXPECT_EQ(contar("Importaciones"), 1);
    EXPECT_EQ(contar("OriginalesImportacion"), 1);
}

// The same through the program: rights follow the role a plain GRANT gave, the buttons' checks
// refuse first, and what gets past them the server refuses with a clear message; nothing changes.
TEST_F(Permisos, ElProgramaMuestraElRechazoYNoCambiaNada) {
    const auto lectora = como(QStringLiteral("lectora"));
    Oficina consulta(*lectora);
    consulta.establecerUsuario(QStringLiteral("lectora"));
    EXPECT_EQ(consulta.derechos(), Derechos::Consulta);
    EXPECT_FALSE(consulta.puedeEscribir());
    consulta.abrirClientes();
    ArchivoImportacion a;
    ASSERT_TRUE(
        leerArchivoImportacion(prueba::escribir(dir.path(), QStringLiteral("b.kvd"), archivoDe(7)), a).ok());
    DatosImportacion d;
    d.numeroCliente = QStringLiteral("0123");
    const ResultadoImportacion r = consulta.importar(a, d);
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(
        r.detalle.contains(QStringLiteral("El servidor no permite esta operación al usuario \"lectora\"")))
        << r.detalle.toStdString();
    Cliente nuevo;
    nuevo.numero = QStringLiteral("9999");
    try {
        consulta.guardarCliente(nuevo);
        ADD_FAILURE() << "guardó como consulta";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("su rol no la incluye")))
            << e.descripcion().toStdString();
    }

    const auto oficinista = como(QStringLiteral("oficinista"));
    Oficina oficina(*oficinista);
    oficina.establecerUsuario(QStringLiteral("oficinista"));
    EXPECT_EQ(oficina.derechos(), Derechos::Escribir);
    oficina.abrirClientes();
    oficina.seleccionar(
        prueba::filas(*oficinista, QStringLiteral("SELECT Id FROM Clientes WHERE NumeroCliente = "
                                                  "'0123'"))
            .at(0)
            .at(0)
            .toLongLong());
    EXPECT_THROW(oficina.eliminarSeleccionado(QStringLiteral("motivo")), ErrorBD);
    // An import as oficina lands whole: its log row is written once, never updated.
    const ResultadoImportacion propia = oficina.importar(a, d);
    ASSERT_TRUE(propia.ok()) << propia.detalle.toStdString();
    const QList<QStringList> fila =
        prueba::filas(registro.conexion(),
                      QStringLiteral("SELECT Guardados, Omitidos, Registros FROM Importaciones WHERE Id = ?"),
                      {propia.idImportacion});
    EXPECT_EQ(fila.at(0), (QStringList{QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("7")}));
    EXPECT_EQ(contar("Infracciones"), 7);
    EXPECT_EQ(contar("Clientes"), 2);
}

// The administrator deletes through the server's function, with a reason; without one the server
// says what is missing and nothing is deleted.
TEST_F(Permisos, ElAdministradorEliminaConMotivo) {
    const auto jefa = como(QStringLiteral("jefa"));
    Oficina oficina(*jefa);
    oficina.establecerUsuario(QStringLiteral("Administrador"));
    EXPECT_EQ(oficina.derechos(), Derechos::Administrar);
    oficina.abrirClientes();
    oficina.seleccionar(
        prueba::filas(*jefa, QStringLiteral("SELECT Id FROM Clientes WHERE NumeroCliente = '0123'"))
            .at(0)
            .at(0)
            .toLongLong());
    try {
        oficina.eliminarSeleccionado(QString());
        ADD_FAILURE() << "eliminó sin motivo";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("Escriba el motivo")))
            << e.descripcion().toStdString();
    }
    EXPECT_EQ(contar("Infracciones"), 5);
    oficina.eliminarSeleccionado(QStringLiteral("alta duplicada"));
    EXPECT_EQ(contar("Infracciones"), 0);
    EXPECT_EQ(contar("Clientes"), 1);
    // Logged by the server under its session user, whatever name the desk sent ("Administrador").
    const QList<QStringList> entrada = prueba::filas(
        registro.conexion(), QStringLiteral("SELECT Usuario, Accion, Objeto, Detalles FROM RegistroActividad "
                                            "ORDER BY Secuencia DESC LIMIT 1"));
    EXPECT_EQ(entrada.at(0),
              (QStringList{QStringLiteral("jefa"), QStringLiteral("cliente.baja"), QStringLiteral("0123"),
                           QStringLiteral("{\"cuenta\":\"Administrador\",\"filas\":5,\"motivo\":"
                                          "\"alta duplicada\"}")}));
    // An import of a client that is gone does not come back: its rows would have no client.
    EXPECT_EQ(estado(registro.conninfo(), QStringLiteral("jefa"),
                     "SELECT velmora_restituir_importacion(1, 'x', 'y')"),
              QStringLiteral("22023"));
    EXPECT_EQ(contar("Infracciones"), 0);
    // Nobody rewrites that entry, the administrator included.
    EXPECT_EQ(
        estado(registro.conninfo(), QStringLiteral("jefa"), "UPDATE RegistroActividad SET Usuario = 'otra'"),
        QStringLiteral("42501"));
    EXPECT_EQ(estado(registro.conninfo(), QStringLiteral("jefa"), "DELETE FROM RegistroActividad"),
              QStringLiteral("42501"));
}

// A restitution as psql would call it: the same rows, logged under the session user; a second
// one, or one of an import never withdrawn, is refused.
TEST_F(Permisos, RestitucionDelAdministrador) {
    const QString info = registro.conninfo();
    const QString filas =
        QStringLiteral("SELECT id, NumeroCliente, FechaInfraccion, HoraInfraccion, NiveldB, "
                       "contadorinf, IdImportacion FROM Infracciones ORDER BY id");
    const QList<QStringList> antes = prueba::filas(registro.conexion(), filas);
    const QString jefa = QStringLiteral("jefa");
    EXPECT_EQ(estado(info, jefa, "SELECT velmora_restituir_importacion(1, 'x', 'y')"),
              QStringLiteral("22023"));
    EXPECT_EQ(estado(info, jefa, "SELECT velmora_eliminar_importacion(1, 'repetida', 'x', 'y')"), QString());
    EXPECT_EQ(contar("Infracciones"), 0);
    EXPECT_EQ(estado(info, jefa, "SELECT velmora_restituir_importacion(1, 'x', 'y')"), QString());
    EXPECT_EQ(estado(info, jefa, "SELECT velmora_restituir_importacion(1, 'x', 'y')"),
              QStringLiteral("22023"));
    const QList<QStringList> despues = prueba::filas(registro.conexion(), filas);
    ASSERT_EQ(despues.size(), antes.size());
    for (int i = 0; i < antes.size(); ++i)
        EXPECT_EQ(despues[i].mid(1), antes[i].mid(1)); // new ids, the same values in the same order
    EXPECT_EQ(prueba::filas(registro.conexion(),
                            QStringLiteral("SELECT Usuario, Accion FROM RegistroActividad WHERE Objeto = '1' "
                                           "AND Accion LIKE 'importacion.%' "
                                           "ORDER BY Secuencia")),
              (QList<QStringList>{{jefa, QStringLiteral("importacion.retirada")},
                                  {jefa, QStringLiteral("importacion.restituida")}}));
}

// People: the administrator adds one with a role (the password travels as a SCRAM verifier) and
// removes it; the new login signs in over TLS with its password and has that role's rights.
TEST_F(Permisos, PersonasYSesionConContrasena) {
    if (!servidor->hayTls())
        GTEST_SKIP() << "sin openssl no hay TLS en el servidor de prueba";
    const auto jefa = como(QStringLiteral("jefa"));
    Oficina oficina(*jefa);
    oficina.establecerUsuario(QStringLiteral("jefa"));
    servidor->sql(QStringLiteral("DROP ROLE IF EXISTS nueva"));
    oficina.altaPersona(QStringLiteral("nueva"), QStringLiteral("s3creta ñ"), Derechos::Escribir);
    bool vista = false;
    for (const PersonaServidor& p : oficina.personas())
        vista = vista || (p.nombre == QLatin1String("nueva") && p.derechos == Derechos::Escribir);
    EXPECT_TRUE(vista);
    EXPECT_THROW(oficina.altaPersona(QStringLiteral("nueva"), QStringLiteral("x"), Derechos::Consulta),
                 ErrorBD);

    const auto puesto = ConexionPostgres::sinSesion(servidor->conninfoTls(base, QString()));
    Oficina desk(*puesto);
    try {
        desk.iniciarSesion(QStringLiteral("nueva"), QStringLiteral("incorrecta"));
        ADD_FAILURE() << "aceptó una contraseña incorrecta";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().endsWith(QStringLiteral("El usuario o la contraseña no son correctos.")));
    }
    EXPECT_TRUE(desk.iniciarSesion(QStringLiteral("nueva"), QStringLiteral("s3creta ñ")));
    EXPECT_EQ(desk.usuario(), QStringLiteral("nueva"));
    EXPECT_EQ(desk.derechos(), Derechos::Escribir);
    EXPECT_EQ(prueba::filas(*puesto,
                            QStringLiteral("SELECT session_user, ssl FROM pg_stat_ssl JOIN pg_stat_activity "
                                           "USING (pid) WHERE pid = pg_backend_pid()"))
                  .at(0),
              (QStringList{QStringLiteral("nueva"), QStringLiteral("t")}));

    oficina.bajaPersona(QStringLiteral("nueva"));
    EXPECT_THROW(oficina.bajaPersona(QStringLiteral("postgres")), ErrorBD);
    EXPECT_THROW(oficina.bajaPersona(QStringLiteral("jefa")), ErrorBD); // herself
}

// A certificate for another name is refused in Spanish; the one the authority signed for the
// name connects. A login without any of the roles is told so.
TEST_F(Permisos, CertificadoQueNoCorresponde) {
    if (!servidor->hayTls())
        GTEST_SKIP() << "sin openssl no hay TLS en el servidor de prueba";
    try {
        ConexionPostgres otro(
            servidor->conninfoTls(base, QStringLiteral("postgres"), QStringLiteral("127.0.0.1")));
        ADD_FAILURE() << "aceptó un certificado de otro nombre";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("El certificado del servidor no corresponde")))
            << e.descripcion().toStdString();
    }
    EXPECT_NO_THROW(ConexionPostgres(servidor->conninfoTls(base, QStringLiteral("postgres"))));
    // Without the authority's certificate verify-full has nothing to check against.
    QString sinAutoridad = servidor->conninfoTls(base, QStringLiteral("postgres"));
    sinAutoridad.replace(servidor->autoridad(), QStringLiteral("/nonexistent/root.crt"));
    try {
        ConexionPostgres c(sinAutoridad);
        ADD_FAILURE();
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("Falta el certificado de la autoridad")));
    }
    servidor->sql(QStringLiteral("DROP ROLE IF EXISTS sin_rol"));
    servidor->sql(QStringLiteral("CREATE ROLE sin_rol LOGIN"));
    try {
        como(QStringLiteral("sin_rol"));
        ADD_FAILURE();
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("no tiene ninguno de los roles")))
            << e.descripcion().toStdString();
    }
}

// The preparation: a desk refuses an unprepared or older server naming the command, which builds
// it, can run again, and exits 0 with nothing asked.
TEST_F(Permisos, PreparacionDelServidor) {
    const QString nombre = QStringLiteral("sin_preparar_%1").arg(QCoreApplication::applicationPid());
    servidor->sql(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(nombre));
    ASSERT_TRUE(servidor->sql(QStringLiteral("CREATE DATABASE %1").arg(nombre)));
    const QString info = servidor->conninfo(nombre);
    try {
        ConexionPostgres puesto(info);
        ADD_FAILURE() << "abrió un servidor sin preparar";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("velmora-kv270 --preparar-servidor")));
    }
    EXPECT_EQ(
        prueba::filas(*std::make_unique<ConexionPostgres>(info, QString(), AperturaServidor::Preparacion),
                      QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = "
                                     "'public'"))
            .at(0)
            .at(0),
        QStringLiteral("0"));
    for (int vez = 0; vez < 2; ++vez) {
        QProcess p;
        p.start(QStringLiteral(VELMORA_BUILD_DIR "/velmora-kv270"),
                {QStringLiteral("--preparar-servidor"), info});
        ASSERT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    EXPECT_NO_THROW(ConexionPostgres puesto(info));
    // An older register: refused by the desk until the command upgrades it.
    servidor->sql(QStringLiteral("UPDATE VersionEsquema SET version = %1").arg(kVersionEsquema - 1), nombre);
    try {
        ConexionPostgres puesto(info);
        ADD_FAILURE() << "abrió un servidor de una versión anterior";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("--preparar-servidor")))
            << e.descripcion().toStdString();
    }
    // The installed file is what the program runs.
    QFile archivo(QStringLiteral(VELMORA_SOURCE_DIR "/dist/servidor.sql"));
    ASSERT_TRUE(archivo.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(archivo.readAll()), SqlServidor());
}

// A register dumped with pg_dump -Fc and restored with pg_restore into a fresh database opens as
// it was, rights included.
TEST_F(Permisos, CopiaDelServidorYRestauracion) {
    const QString copia = QDir(servidor->carpeta()).filePath(QStringLiteral("registro.dump"));
    const QStringList donde = {QStringLiteral("-h"), servidor->socket(),
                               QStringLiteral("-p"), QString::number(servidor->puerto()),
                               QStringLiteral("-U"), QStringLiteral("postgres")};
    QString salida;
    ASSERT_TRUE(servidor->programa(
        QStringLiteral("pg_dump"),
        donde + QStringList{QStringLiteral("-Fc"), QStringLiteral("-f"), copia, base}, &salida))
        << salida.toStdString();
    const QString nueva = base + QStringLiteral("_restaurada");
    servidor->sql(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(nueva));
    ASSERT_TRUE(servidor->sql(QStringLiteral("CREATE DATABASE %1").arg(nueva)));
    ASSERT_TRUE(servidor->programa(QStringLiteral("pg_restore"),
                                   donde + QStringList{QStringLiteral("-d"), nueva, copia}, &salida))
        << salida.toStdString();
    const QString info = servidor->conninfo(nueva);
    ConexionPostgres restaurada(info + QStringLiteral(" user=lectora"));
    Oficina oficina(restaurada);
    oficina.establecerUsuario(QStringLiteral("lectora"));
    EXPECT_EQ(oficina.derechos(), Derechos::Consulta);
    oficina.abrirClientes();
    EXPECT_EQ(oficina.todosLosClientes()->filas(), 2u);
    EXPECT_EQ(prueba::filas(restaurada, QStringLiteral("SELECT count(*) FROM Infracciones")).at(0).at(0),
              QStringLiteral("5"));
    EXPECT_EQ(estado(info, QStringLiteral("jefa"), "DELETE FROM Infracciones"), QStringLiteral("42501"));
}

} // namespace
