// Passing a local register to an empty server: everything arrives with its ids and hashes, the
// originals check out, the local file keeps its bytes; a server with data or a register with
// repeated client numbers is refused with nothing written.
#include "Almacenes.h"
#include "ArchivosDePrueba.h"
#include "FilasDePrueba.h"
#include "core/Oficina.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/PasarRegistro.h"
#include "core/store/PrepararServidor.h"
#include "core/store/Sentencias.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

namespace {

QByteArray huellaArchivo(const QString& ruta) {
    QFile f(ruta);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

TEST(PasarRegistro, CopiaCompletaYComprobada) {
    QString motivo;
    ServidorPrueba* s = ServidorPrueba::compartido(&motivo);
    if (!s)
        GTEST_SKIP() << motivo.toStdString();
    RegistroDePrueba local;
    ASSERT_TRUE(local.preparar(Almacen::Archivo, &motivo));
    prueba::agregarCliente(local.conexion(), QStringLiteral("0123"));
    QTemporaryDir dir;
    Oficina oficina(local.conexion());
    oficina.establecerUsuario(QStringLiteral("Administrador"));
    oficina.crearCuenta(QStringLiteral("Inspectora Peña"), QStringLiteral("clave"));
    const QByteArray datos = prueba::archivo("1212", "0123");
    ArchivoImportacion archivo;
    ASSERT_TRUE(
        leerArchivoImportacion(prueba::escribir(dir.path(), QStringLiteral("a.kvd"), datos), archivo).ok());
    DatosImportacion d;
    d.numeroCliente = QStringLiteral("0123");
    d.fecha = QDate(2011, 9, 28);
    d.hora = QTime(14, 5, 30);
    ASSERT_TRUE(oficina.importar(archivo, d).ok());
    // Texts that COPY must escape arrive unchanged.
    const Consulta raro = Sentencias::insertarInfraccion(prueba::infraccionDe(
        prueba::partes("0123|20110101|120000|085|1|x|SI|010|a\tb\\c\nd\re|1|2|3|4|5|6|7|8")));
    local.conexion().ejecutar(raro.sql, raro.parametros);
    const QList<QStringList> infracciones =
        prueba::filas(local.conexion(),
                      QStringLiteral("SELECT id, Inspector, IdImportacion FROM Infracciones ORDER BY id"));
    const QString ruta = local.conexion().archivo();
    const QList<QStringList> cuentas =
        prueba::filas(local.conexion(), QStringLiteral("SELECT * FROM PassUsuarios ORDER BY Id"));
    local.cerrar();
    const QByteArray antes = huellaArchivo(ruta);

    const QString servidor = s->baseNueva();
    InformeTraspaso informe;
    try {
        informe = PasarRegistroAlServidor(ruta, ClaveBaseDatos(), servidor);
    } catch (const ErrorBD& e) {
        FAIL() << e.descripcion().toStdString() << " / " << e.detalles().toStdString();
    }
    EXPECT_EQ(informe.clientes, 1);
    EXPECT_EQ(informe.infracciones, 5);
    EXPECT_EQ(informe.cuentas, 3);
    EXPECT_EQ(informe.importaciones, 1);
    EXPECT_EQ(informe.originales, 1);
    EXPECT_TRUE(informe.texto().contains(QStringLiteral("El archivo local no se modificó.")));
    EXPECT_EQ(huellaArchivo(ruta), antes);
    // A second time into the same database: refused, nothing doubled.
    try {
        PasarRegistroAlServidor(ruta, ClaveBaseDatos(), servidor);
        ADD_FAILURE() << "debía rechazarse";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("ya tiene clientes o infracciones")));
    }

    // The program on the server sees the same register: accounts (hashes included), rows, original.
    ConexionPostgres compartido(servidor);
    EXPECT_EQ(prueba::filas(compartido, QStringLiteral("SELECT * FROM PassUsuarios ORDER BY Id")), cuentas);
    EXPECT_EQ(
        prueba::filas(compartido,
                      QStringLiteral("SELECT id, Inspector, IdImportacion FROM Infracciones ORDER BY id")),
        infracciones);
    Oficina remota(compartido);
    remota.establecerUsuario(QStringLiteral("Inspectora Peña"));
    remota.abrirClientes();
    remota.seleccionar(remota.filasClientes().at(1).value(0).toLongLong());
    const std::vector<ImportacionRegistrada> historial = remota.historialSeleccionado();
    ASSERT_EQ(historial.size(), 1u);
    EXPECT_EQ(remota.originalImportacion(historial[0]).datos, datos);
    // New rows continue after the copied ids.
    prueba::agregarCliente(compartido, QStringLiteral("0999"));
    EXPECT_GT(compartido.ultimoId(), remota.filasClientes().at(1).value(0).toLongLong());

    // Repeated client numbers cannot go to a register where each number is unique.
    prueba::agregarCliente(local.conexion(), QStringLiteral("0123"));
    local.cerrar();
    try {
        PasarRegistroAlServidor(ruta, ClaveBaseDatos(), s->baseNueva());
        ADD_FAILURE() << "debía rechazarse";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("números de cliente repetidos (0123)")));
    }
}

} // namespace

namespace {

// As the README tells the person who runs the server: a login of its own owns the database (not
// a superuser), prepares it and moves the office's file into it; a person who is only
// velmora_administrador cannot move it.
TEST(PasarRegistro, ElDuenoDeLaBaseLoPreparaYLoPasa) {
    QString motivo;
    ServidorPrueba* s = ServidorPrueba::compartido(&motivo);
    if (!s)
        GTEST_SKIP() << motivo.toStdString();
    ASSERT_TRUE(s->sql(QStringLiteral("DROP DATABASE IF EXISTS propia")));
    ASSERT_TRUE(s->sql(QStringLiteral("DROP ROLE IF EXISTS duena")));
    ASSERT_TRUE(s->sql(QStringLiteral("CREATE ROLE duena LOGIN CREATEROLE")));
    ASSERT_TRUE(s->sql(QStringLiteral("CREATE DATABASE propia OWNER duena")));
    ASSERT_TRUE(s->crearPersona(QStringLiteral("jefe"), QStringLiteral("velmora_administrador")));
    const QString duena = s->conninfo(QStringLiteral("propia"))
                              .replace(QStringLiteral("user=postgres"), QStringLiteral("user=duena"));
    try {
        PrepararServidor(duena);
    } catch (const ErrorBD& e) {
        FAIL() << e.descripcion().toStdString() << " / " << e.detalles().toStdString();
    }
    RegistroDePrueba local;
    ASSERT_TRUE(local.preparar(Almacen::Archivo, &motivo));
    prueba::agregarCliente(local.conexion(), QStringLiteral("0123"));
    const QString ruta = local.conexion().archivo();
    local.cerrar();
    const QString jefe = QString(duena).replace(QStringLiteral("user=duena"), QStringLiteral("user=jefe"));
    EXPECT_THROW(PasarRegistroAlServidor(ruta, ClaveBaseDatos(), jefe), ErrorBD);
    try {
        EXPECT_EQ(PasarRegistroAlServidor(ruta, ClaveBaseDatos(), duena).clientes, 1);
    } catch (const ErrorBD& e) {
        FAIL() << e.descripcion().toStdString() << " / " << e.detalles().toStdString();
    }
    // The people's rights hold on it: the administrator works on the moved register.
    ConexionPostgres comoJefe(jefe);
    EXPECT_EQ(
        prueba::filas(comoJefe, QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente = '0123'")),
        QList<QStringList>{{QStringLiteral("1")}});
}

} // namespace
