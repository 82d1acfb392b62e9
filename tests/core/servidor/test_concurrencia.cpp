// Two desks on one server at once: imports of one client, an import against a deletion, the
// notices that refresh the other desk, and failures of the server itself. Each desk is its own
// connection; the racing one runs on a thread, and the test waits until the server shows it
// blocked on the lock before letting the first one finish.
#include "Almacenes.h"
#include "ArchivosDePrueba.h"
#include "FilasDePrueba.h"
#include "core/Oficina.h"
#include "core/actividad/Retiros.h"
#include "core/store/Conexion.h"
#include "core/store/ConexionPostgres.h"
#include "core/store/DialectoPostgres.h"
#include "core/store/Esquema.h"
#include "core/store/PrepararServidor.h"
#include "core/store/Sentencias.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <libpq-fe.h>

#include <thread>

namespace {

// A file of `n` different records for client 0123 (level and status tell them apart).
QByteArray archivoGrande(int n, char estatus) {
    QByteArray d = prueba::cabecera("0123");
    for (int i = 0; i < n; ++i)
        d += prueba::registro(estatus, ' ', QByteArray::number(i % 1000).rightJustified(3, '0'));
    return d;
}

ArchivoImportacion leer(const QString& dir, const QString& nombre, const QByteArray& datos) {
    ArchivoImportacion a;
    EXPECT_TRUE(leerArchivoImportacion(prueba::escribir(dir, nombre, datos), a).ok());
    return a;
}

DatosImportacion datosDe(std::function<void(qsizetype, qsizetype)> progreso = {}) {
    DatosImportacion d;
    d.numeroCliente = QStringLiteral("0123");
    d.fecha = QDate(2011, 9, 28);
    d.hora = QTime(14, 5, 30);
    d.inspector = QStringLiteral("Administrador");
    d.progreso = std::move(progreso);
    return d;
}

qint64 valor(Conexion& db, const QString& sql) {
    return prueba::filas(db, sql).value(0).value(0).toLongLong();
}

class Concurrencia : public ::testing::Test {
protected:
    void SetUp() override {
        PREPARAR_ALMACEN(registro, Almacen::Servidor);
        prueba::agregarCliente(registro.conexion(), QStringLiteral("0123"));
    }
    // Waits (up to a minute) until `n` sessions of the server wait on a lock.
    bool esperarBloqueados(int n) {
        const QByteArray info = registro.conninfo().toUtf8();
        PGconn* c = PQconnectdb(info.constData());
        bool visto = false;
        for (int i = 0; i < 6000 && !visto; ++i) {
            PGresult* r = PQexec(c, "SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock'");
            visto = PQresultStatus(r) == PGRES_TUPLES_OK && std::atoi(PQgetvalue(r, 0, 0)) >= n;
            PQclear(r);
            if (!visto)
                QThread::msleep(10);
        }
        PQfinish(c);
        return visto;
    }
    RegistroDePrueba registro;
    QTemporaryDir dir;
};

// Two imports of one client at once: the second waits for the first's lock and both land whole.
TEST_F(Concurrencia, DosImportacionesDelMismoCliente) {
    const ArchivoImportacion a = leer(dir.path(), QStringLiteral("a.kvd"), archivoGrande(4500, '1'));
    const ArchivoImportacion b = leer(dir.path(), QStringLiteral("b.kvd"), archivoGrande(4500, '2'));
    ResultadoImportacion rb;
    std::thread otro;
    const ResultadoImportacion ra =
        escribirImportacion(registro.conexion(), a, datosDe([&](qsizetype, qsizetype) {
                                if (otro.joinable())
                                    return;
                                otro = std::thread([&] {
                                    ConexionPostgres db(registro.conninfo());
                                    rb = escribirImportacion(db, b, datosDe());
                                });
                                EXPECT_TRUE(esperarBloqueados(1));
                            }));
    ASSERT_TRUE(otro.joinable());
    otro.join();
    ASSERT_TRUE(ra.ok()) << ra.detalle.toStdString();
    ASSERT_TRUE(rb.ok()) << rb.detalle.toStdString();
    EXPECT_EQ(ra.registros + rb.registros, 9000);
    EXPECT_EQ(valor(registro.conexion(), QStringLiteral("SELECT count(*) FROM Infracciones")), 9000);
    EXPECT_EQ(
        valor(registro.conexion(), QStringLiteral("SELECT count(DISTINCT IdImportacion) FROM Infracciones")),
        2);
    EXPECT_EQ(valor(registro.conexion(), QStringLiteral("SELECT sum(Guardados) FROM Importaciones")), 9000);
}

// An import against a deletion of its client never leaves rows without the client: an import
// that holds the client finishes and the deletion takes its rows too; a deletion that holds it
// first makes the import refuse.
TEST_F(Concurrencia, ImportacionContraEliminacion) {
    const ArchivoImportacion a = leer(dir.path(), QStringLiteral("a.kvd"), archivoGrande(4500, '1'));
    const qint64 id =
        valor(registro.conexion(), QStringLiteral("SELECT Id FROM Clientes WHERE NumeroCliente = '0123'"));
    std::thread borrar;
    const ResultadoImportacion ra =
        escribirImportacion(registro.conexion(), a, datosDe([&](qsizetype, qsizetype) {
                                if (borrar.joinable())
                                    return;
                                borrar = std::thread([&] {
                                    ConexionPostgres db(registro.conninfo());
                                    RetirarCliente(db, QStringLiteral("Administrador"),
                                                   QStringLiteral("0123"), id, QStringLiteral("prueba"));
                                });
                                EXPECT_TRUE(esperarBloqueados(1));
                            }));
    borrar.join();
    EXPECT_TRUE(ra.ok());
    EXPECT_EQ(valor(registro.conexion(),
                    QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente = '0123'")),
              0);
    EXPECT_EQ(valor(registro.conexion(), QStringLiteral("SELECT count(*) FROM Infracciones")), 0);
    EXPECT_EQ(
        valor(registro.conexion(), QStringLiteral("SELECT count(*) FROM Importaciones WHERE Retirada = 0")),
        0);

    // Now the deletion first: it holds the client row while it waits on the old rows, which this
    // desk keeps locked; the import started meanwhile waits behind it.
    prueba::agregarCliente(registro.conexion(), QStringLiteral("0123"));
    ASSERT_TRUE(escribirImportacion(registro.conexion(),
                                    leer(dir.path(), QStringLiteral("p.kvd"), archivoGrande(10, '3')),
                                    datosDe())
                    .ok());
    const qint64 id2 =
        valor(registro.conexion(), QStringLiteral("SELECT Id FROM Clientes WHERE NumeroCliente = '0123'"));
    Conexion& db = registro.conexion();
    db.comenzar();
    db.ejecutar(QStringLiteral("SELECT id FROM Infracciones WHERE NumeroCliente = '0123' FOR UPDATE"));
    borrar = std::thread([&] {
        ConexionPostgres otra(registro.conninfo());
        RetirarCliente(otra, QStringLiteral("Administrador"), QStringLiteral("0123"), id2,
                       QStringLiteral("prueba"));
    });
    ASSERT_TRUE(esperarBloqueados(1));
    ResultadoImportacion rc;
    std::thread importar([&] {
        ConexionPostgres otra(registro.conninfo());
        rc = escribirImportacion(otra, a, datosDe());
    });
    ASSERT_TRUE(esperarBloqueados(2));
    db.deshacer();
    borrar.join();
    importar.join();
    EXPECT_FALSE(rc.ok());
    EXPECT_TRUE(rc.detalle.contains(QStringLiteral("No se importó nada"))) << rc.detalle.toStdString();
    EXPECT_EQ(valor(registro.conexion(), QStringLiteral("SELECT count(*) FROM Infracciones")), 0);
    EXPECT_EQ(
        valor(registro.conexion(), QStringLiteral("SELECT count(*) FROM Importaciones WHERE Retirada = 0")),
        0);
}

// Client numbers are unique in the shared register, with a clear message.
TEST_F(Concurrencia, NumeroDeClienteUnico) {
    Oficina oficina(registro.conexion());
    oficina.abrirClientes();
    Cliente v;
    v.numero = QStringLiteral("0123");
    try {
        oficina.guardarCliente(v);
        ADD_FAILURE() << "debía rechazarse";
    } catch (const ErrorBD& e) {
        EXPECT_EQ(e.descripcion(),
                  QStringLiteral("Ya existe en el registro un cliente con ese número de cliente. Elija otro "
                                 "número."));
    }
    EXPECT_EQ(valor(registro.conexion(),
                    QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente = '0123'")),
              1);
}

// What another desk writes reaches this desk's list without a restart.
TEST_F(Concurrencia, OtroPuestoVeLosCambios) {
    Oficina oficina(registro.conexion());
    oficina.abrirClientes();
    const auto listados = [&] { return oficina.filasClientes().size(); };
    const std::size_t antes = listados();
    ConexionPostgres otro(registro.conninfo());
    QStringList v(23, QString());
    v[0] = QStringLiteral("777");
    const Consulta c = Sentencias::insertarCliente(prueba::clienteDe(v));
    otro.ejecutar(c.sql, c.parametros);
    QSignalSpy cambios(&oficina, &Oficina::clientesCambiados);
    ASSERT_TRUE(cambios.wait(10000));
    EXPECT_EQ(listados(), antes + 1);
    // Its own writes do not make it read again.
    cambios.clear();
    registro.conexion().ejecutar(QStringLiteral("UPDATE Clientes SET Notas = 'x'"));
    registro.servidor().revisarAvisos();
    EXPECT_EQ(cambios.count(), 0);
}

// Another desk's change names its clients: this desk reads those again, follows the selected
// client's new data, its rows when they changed, and drops a client deleted elsewhere.
TEST_F(Concurrencia, OtroPuestoCambiaClientesConcretos) {
    Oficina oficina(registro.conexion());
    oficina.abrirClientes();
    ConexionPostgres otro(registro.conninfo());
    const auto numeros = [&] {
        QStringList r;
        for (const QStringList& f : oficina.filasClientes())
            r << f.value(1);
        return r;
    };
    const auto esperar = [&](auto senal, const std::function<bool()>& listo) {
        QSignalSpy espia(&oficina, senal);
        for (int i = 0; i < 100 && !listo(); ++i)
            espia.wait(100);
        return listo();
    };
    prueba::agregarCliente(otro, QStringLiteral("801"));
    prueba::agregarCliente(otro, QStringLiteral("802"));
    ASSERT_TRUE(
        esperar(&Oficina::clientesCambiados, [&] { return numeros().contains(QStringLiteral("802")); }));
    const qint64 id = valor(otro, QStringLiteral("SELECT id FROM Clientes WHERE NumeroCliente = '801'"));
    oficina.seleccionar(id);

    otro.ejecutar(QStringLiteral("UPDATE Clientes SET Nombre = 'Cambiado' WHERE NumeroCliente = '801'"));
    EXPECT_TRUE(esperar(&Oficina::seleccionCambiada, [&] {
        return oficina.clienteSeleccionado() &&
               oficina.clienteSeleccionado()->nombre == QStringLiteral("Cambiado");
    }));

    FilaInfraccion fila;
    fila.numeroCliente = QStringLiteral("801");
    fila.fecha = QStringLiteral("20110928");
    const Consulta c = Sentencias::insertarInfraccion(fila);
    QSignalSpy filas(&oficina, &Oficina::infraccionesCambiadas);
    otro.ejecutar(c.sql, c.parametros);
    EXPECT_TRUE(filas.wait(10000));

    otro.ejecutar(QStringLiteral("DELETE FROM Clientes WHERE NumeroCliente = '802'"));
    EXPECT_TRUE(
        esperar(&Oficina::clientesCambiados, [&] { return !numeros().contains(QStringLiteral("802")); }));
    EXPECT_EQ(oficina.idSeleccionado(), id);
    // The list read bit by bit equals one read whole.
    const std::vector<QStringList> seguida = oficina.filasClientes();
    oficina.recargarClientes();
    EXPECT_EQ(seguida, oficina.filasClientes());
}

// A desk left idle whose session the server ended opens it again by itself, and reads the list
// again: what changed meanwhile sent notices nobody heard.
TEST_F(Concurrencia, PuestoQuietoRecuperaLaSesion) {
    Oficina oficina(registro.conexion());
    oficina.abrirClientes();
    ConexionPostgres otro(registro.conninfo());
    const int pid = PQbackendPID(registro.servidor().handle());
    otro.ejecutar(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid));
    prueba::agregarCliente(otro, QStringLiteral("901"));
    QSignalSpy cambios(&oficina, &Oficina::clientesCambiados);
    const auto listado = [&] {
        for (const QStringList& f : oficina.filasClientes())
            if (f.value(1) == QStringLiteral("901"))
                return true;
        return false;
    };
    for (int i = 0; i < 100 && !listado(); ++i)
        cambios.wait(100);
    EXPECT_TRUE(listado());
    EXPECT_NE(PQbackendPID(registro.servidor().handle()), pid);
}

// A server of the previous version said only which table changed; its administrator's command
// brings the notices that name the clients.
TEST_F(Concurrencia, AvisosDesdeLaVersionAnterior) {
    Conexion& db = registro.conexion();
    for (const char* t : {"Clientes", "Infracciones"})
        for (const char* c : {"alta", "cambio", "baja"})
            db.ejecutar(
                QStringLiteral("DROP TRIGGER aviso_%1_%2 ON %2").arg(QLatin1String(c), QLatin1String(t)));
    db.ejecutar(QStringLiteral("DROP FUNCTION avisar_clientes(), avisar_infracciones()"));
    for (const QString& sql : DialectoPostgres::esquemaBase(false))
        if (sql.contains(QLatin1String("avisar_registro")))
            db.ejecutar(sql);
    // Version 5, the last without the notices naming clients; the later steps run again too.
    db.ejecutar(QStringLiteral("UPDATE VersionEsquema SET version = 5"));
    registro.cerrar();
    PrepararServidor(registro.conninfo());

    PGconn* escucha = PQconnectdb(registro.conninfo().toUtf8().constData());
    ASSERT_EQ(PQstatus(escucha), CONNECTION_OK);
    PQclear(PQexec(escucha, "LISTEN registro"));
    registro.conexion().ejecutar(
        QStringLiteral("UPDATE Clientes SET Notas = 'x' WHERE NumeroCliente = '0123'"));
    const qint64 id =
        valor(registro.conexion(), QStringLiteral("SELECT id FROM Clientes WHERE NumeroCliente = '0123'"));
    QStringList avisos;
    for (int i = 0; i < 50 && avisos.isEmpty(); ++i) {
        PQconsumeInput(escucha);
        while (PGnotify* n = PQnotifies(escucha)) {
            avisos << QString::fromUtf8(n->extra);
            PQfreemem(n);
        }
        if (avisos.isEmpty())
            QThread::msleep(50);
    }
    PQfinish(escucha);
    EXPECT_EQ(avisos, QStringList{QStringLiteral("Clientes:%1").arg(id)});
}

// Wrong password, no server, and the server stopped in the middle of an import: a clear message,
// and nothing written.
TEST_F(Concurrencia, FallosDelServidor) {
    ServidorPrueba* s = ServidorPrueba::compartido();
    qputenv("PGPASSFILE", "/nonexistent");
    const auto fallo = [](const QString& conninfo) {
        try {
            ConexionPostgres db(conninfo);
        } catch (const ErrorBD& e) {
            return e.descripcion();
        }
        return QString();
    };
    const QString sinClave =
        QStringLiteral("host=%1 port=%2 dbname=postgres user=con_clave").arg(s->socket()).arg(s->puerto());
    EXPECT_EQ(fallo(sinClave + QStringLiteral(" password=incorrecta")),
              QStringLiteral("No se puede abrir el registro compartido. El usuario o la contraseña no son "
                             "correctos."));
    EXPECT_EQ(fallo(sinClave),
              QStringLiteral("No se puede abrir el registro compartido. El servidor pide una contraseña para "
                             "este usuario."));
    const QString inalcanzable = QStringLiteral(
        "No se puede abrir el registro compartido. No se puede conectar con el servidor. "
        "Compruebe que esté encendido, que la red funcione y que la dirección sea la correcta.");
    EXPECT_EQ(fallo(QStringLiteral("host=/nonexistent dbname=x")), inalcanzable);
    EXPECT_EQ(fallo(QStringLiteral("host=127.0.0.1 port=1 dbname=x connect_timeout=2")), inalcanzable);

    const ArchivoImportacion a = leer(dir.path(), QStringLiteral("a.kvd"), archivoGrande(4500, '1'));
    bool detenido = false;
    const ResultadoImportacion r =
        escribirImportacion(registro.conexion(), a, datosDe([&](qsizetype, qsizetype) {
                                if (!detenido)
                                    detenido = s->detener();
                            }));
    ASSERT_TRUE(detenido);
    ASSERT_TRUE(s->arrancar());
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.detalle.startsWith(QStringLiteral("Se perdió la conexión con el servidor del registro "
                                                    "compartido.")))
        << r.detalle.toStdString();
    // The desk carries on once the server is back, on the same open register.
    EXPECT_EQ(valor(registro.conexion(), QStringLiteral("SELECT count(*) FROM Infracciones")), 0);
    EXPECT_EQ(
        valor(registro.conexion(), QStringLiteral("SELECT count(*) FROM Importaciones WHERE Retirada = 0")),
        0);
}

} // namespace
