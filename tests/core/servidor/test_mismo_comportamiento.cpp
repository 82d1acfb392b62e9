// The office model behaves the same on the encrypted file and on the shared server: list and
// literal search, saving and deleting, import with its log, workbook data, withdrawing and
// restoring an import, and accounts.
#include "Almacenes.h"
#include "ArchivosDePrueba.h"
#include "FilasDePrueba.h"
#include "core/Oficina.h"
#include "core/actividad/CadenaActividad.h"
#include "core/store/Conexion.h"
#include "core/store/Esquema.h"
#include "core/store/PrepararServidor.h"
#include "core/store/Recordset.h"
#include "core/store/Sentencias.h"
#include "core/store/TablaTextos.h"

#include <QTemporaryDir>

namespace {

qint64 nuevoCliente(Conexion& db, const QString& numero, const QString& nombre, const QString& local) {
    QStringList v(23, QString());
    v[0] = numero;
    v[1] = nombre;
    v[3] = QStringLiteral("Quilmes");
    v[10] = QStringLiteral("20110301");
    v[11] = local;
    const Consulta c = Sentencias::insertarCliente(prueba::clienteDe(v));
    db.ejecutar(c.sql, c.parametros);
    return db.ultimoId();
}

QStringList numeros(const Oficina& o) {
    QStringList r;
    for (const QStringList& f : o.filasClientes())
        r << f.value(1);
    return r;
}

class MismoComportamiento : public OficinaEnAlmacen {};

TEST_P(MismoComportamiento, ListaYBusquedaLiteralSinMayusculas) {
    const qint64 pena = nuevoCliente(registro.conexion(), QStringLiteral("12"), QStringLiteral("Peña Gómez"),
                                     QStringLiteral("Bar El Ñandú"));
    nuevoCliente(registro.conexion(), QStringLiteral("7"), QStringLiteral("ÁNGEL ÚBEDA"),
                 QStringLiteral("100% Rock"));
    nuevoCliente(registro.conexion(), QStringLiteral("30"), QStringLiteral("Ana_Ruiz"),
                 QStringLiteral("Pub"));
    // An edit must not move the row in the list.
    registro.conexion().ejecutar(QStringLiteral("UPDATE Clientes SET Notas = ? WHERE Id = ?"),
                                 {QStringLiteral("x"), pena});
    oficina->abrirClientes();
    EXPECT_EQ(numeros(*oficina), QStringList({"----", "12", "7", "30"}));
    EXPECT_EQ(oficina->filasClientes()[1].value(11), QStringLiteral("01/03/2011"));
    const auto buscar = [&](const char* columna, const QString& texto) {
        EXPECT_TRUE(oficina->buscar(QString::fromLatin1(columna), texto));
        return numeros(*oficina).join(QLatin1Char(','));
    };
    EXPECT_EQ(buscar("Local", QStringLiteral("ñANDú")), QStringLiteral("12"));
    EXPECT_EQ(buscar("Nombre", QStringLiteral("ángel úbeda")), QStringLiteral("7"));
    EXPECT_EQ(buscar("Nombre", QStringLiteral("PEÑA")), QStringLiteral("12"));
    EXPECT_EQ(buscar("Local", QStringLiteral("%")), QStringLiteral("7"));
    EXPECT_EQ(buscar("Nombre", QStringLiteral("_")), QStringLiteral("30"));
    EXPECT_EQ(buscar("Nombre", QStringLiteral("a%r")), QString());
    EXPECT_EQ(buscar("Nombre", QString()), QStringLiteral("12,7,30")); // the placeholder's name is null
    const auto st = registro.conexion().preparar(
        QStringLiteral("SELECT mid('ñandú',2,3), mid('ñandú',5,9), mid('abc',0,2), "
                       "mid(NULL,1,2)"));
    ASSERT_TRUE(st->paso());
    EXPECT_EQ(st->texto(0) + st->texto(1) + st->texto(2) + st->texto(3), QStringLiteral("andú"));
}

TEST_P(MismoComportamiento, GuardarSeleccionarYEliminar) {
    oficina->abrirClientes();
    Cliente v = Cliente::desdeFila(QStringList(24, QStringLiteral("x")));
    v.id = 0;
    v.numero = QStringLiteral("55");
    v.nombre = QStringLiteral("Nuevo");
    oficina->guardarCliente(v);
    ASSERT_EQ(numeros(*oficina), QStringList({"----", "55"}));
    const qint64 id = oficina->filasClientes()[1].value(0).toLongLong();
    oficina->seleccionar(id);
    v.id = id;
    v.nombre = QStringLiteral("Cambiado");
    oficina->guardarCliente(v);
    ASSERT_TRUE(oficina->clienteSeleccionado());
    EXPECT_EQ(oficina->clienteSeleccionado()->nombre, QStringLiteral("Cambiado"));
    // Another save on the same selection goes through: the version read with it moved too.
    v.nombre = QStringLiteral("Otra vez");
    oficina->guardarCliente(v);
    EXPECT_EQ(oficina->clienteSeleccionado()->nombre, QStringLiteral("Otra vez"));
    oficina->eliminarSeleccionado(QStringLiteral("prueba"));
    EXPECT_EQ(numeros(*oficina), QStringList({"----"}));
    EXPECT_FALSE(oficina->clienteSeleccionado());
}

TEST_P(MismoComportamiento, ImportacionConRegistroYLibro) {
    prueba::agregarCliente(registro.conexion(), QStringLiteral("0123"));
    QTemporaryDir dir;
    const QByteArray datos = prueba::archivo("12121", "0123");
    const QString ruta = prueba::escribir(dir.path(), QStringLiteral("a.kvd"), datos);
    ArchivoImportacion archivo;
    ASSERT_TRUE(leerArchivoImportacion(ruta, archivo).ok());
    DatosImportacion d;
    d.ruta = ruta;
    d.numeroCliente = QStringLiteral("0123");
    d.fecha = QDate(2011, 9, 28);
    d.hora = QTime(14, 5, 30);
    const ResultadoImportacion r = oficina->importar(archivo, d);
    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    EXPECT_EQ(r.registros, 5);
    EXPECT_EQ(prueba::cantidadInfracciones(registro.conexion()), 5);
    // The same bytes again: all already stored.
    EXPECT_EQ(oficina->analizarImportacion(archivo).solapados, 5);

    oficina->abrirClientes();
    oficina->seleccionar(oficina->filasClientes()[1].value(0).toLongLong());
    ASSERT_TRUE(oficina->clienteSeleccionado());
    EXPECT_EQ(oficina->infracciones().size(), 5u);
    EXPECT_EQ(oficina->infracciones().texto(0, ColInfraccion::Fecha), QStringLiteral("28/09/2011"));
    const std::vector<ImportacionRegistrada> historial = oficina->historialSeleccionado();
    ASSERT_EQ(historial.size(), 1u);
    EXPECT_EQ(historial[0].usuario, QStringLiteral("Administrador"));
    const Original o = oficina->originalImportacion(historial[0]);
    EXPECT_EQ(o.estado, EstadoOriginal::Correcto);
    EXPECT_EQ(o.datos, datos);
    const EntradaLibro e = oficina->entradaLibro(OpcionesLibro{});
    EXPECT_EQ(e.infracciones.size(), 5u);
    ASSERT_EQ(e.importaciones.size(), 1u);
    EXPECT_EQ(oficina->datosInforme().registros.size(), 5u);

    const QList<QStringList> antes = prueba::infracciones(registro.conexion(), QStringLiteral("0123"));
    EXPECT_EQ(oficina->eliminarImportacion(historial[0].id, QStringLiteral("prueba")), 5);
    EXPECT_TRUE(oficina->infracciones().empty());
    EXPECT_TRUE(oficina->historialSeleccionado().front().retirada);
    EXPECT_THROW(oficina->eliminarImportacion(historial[0].id, QStringLiteral("otra vez")), ErrorBD);
    EXPECT_EQ(oficina->restituirImportacion(historial[0].id), 5);
    EXPECT_EQ(prueba::infracciones(registro.conexion(), QStringLiteral("0123")), antes);
    EXPECT_FALSE(oficina->historialSeleccionado().front().retirada);
    EXPECT_THROW(oficina->restituirImportacion(historial[0].id), ErrorBD);
    // Twice round: the second withdrawal keeps the rows the first restitution wrote.
    EXPECT_EQ(oficina->eliminarImportacion(historial[0].id, QStringLiteral("de nuevo")), 5);
    EXPECT_EQ(oficina->restituirImportacion(historial[0].id), 5);
    EXPECT_EQ(prueba::infracciones(registro.conexion(), QStringLiteral("0123")), antes);
    // One entry each, written by the desk on the file and by the server's functions on the server.
    EXPECT_EQ(
        prueba::filas(registro.conexion(),
                      QStringLiteral("SELECT Accion, Objeto FROM RegistroActividad WHERE Accion LIKE "
                                     "'importacion.%' AND Accion <> 'importacion' ORDER BY Secuencia")),
        (QList<QStringList>{{QStringLiteral("importacion.retirada"), QString::number(historial[0].id)},
                            {QStringLiteral("importacion.restituida"), QString::number(historial[0].id)},
                            {QStringLiteral("importacion.retirada"), QString::number(historial[0].id)},
                            {QStringLiteral("importacion.restituida"), QString::number(historial[0].id)}}));
    ComprobadorCadena cadena;
    RecorrerEntradas(registro.conexion(), [&](const EntradaActividad& e) { return cadena.agregar(e); });
    EXPECT_FALSE(cadena.rotura());
}

TEST_P(MismoComportamiento, Cuentas) {
    if (GetParam() == Almacen::Servidor) {
        // On a server people sign in with their server logins; the program's accounts are the file's.
        EXPECT_THROW(oficina->iniciarSesion(QStringLiteral("Administrador"), QString()), ErrorBD);
        return;
    }
    EXPECT_TRUE(oficina->iniciarSesion(QStringLiteral("Administrador"), QString()));
    oficina->crearCuenta(QStringLiteral("Inspector"), QStringLiteral("clave"));
    EXPECT_TRUE(oficina->iniciarSesion(QStringLiteral("Inspector"), QStringLiteral("clave")));
    EXPECT_FALSE(oficina->iniciarSesion(QStringLiteral("Inspector"), QStringLiteral("otra")));
}

INSTANTIATE_TEST_SUITE_P(Almacenes, MismoComportamiento,
                         ::testing::Values(Almacen::Archivo, Almacen::Servidor), NombreAlmacen);

} // namespace

namespace {

// A save from data read before another desk changed the row is refused, the current data shown;
// the next save, from the current data, goes through.
TEST_P(MismoComportamiento, EdicionCruzadaRechazada) {
    const qint64 id = nuevoCliente(registro.conexion(), QStringLiteral("40"), QStringLiteral("Original"),
                                   QStringLiteral("Bar"));
    oficina->abrirClientes();
    oficina->seleccionar(id);
    // The other desk's edit, as its office would write it.
    QStringList otro(23, QStringLiteral("y"));
    otro[0] = QStringLiteral("40");
    otro[1] = QStringLiteral("Del otro puesto");
    const Consulta c = Sentencias::actualizarCliente(prueba::clienteDe(otro), id);
    registro.conexion().ejecutar(c.sql, c.parametros);

    Cliente mio = Cliente::desdeFila(QStringList(24, QStringLiteral("z")));
    mio.id = id;
    mio.numero = QStringLiteral("40");
    mio.nombre = QStringLiteral("Mío");
    try {
        oficina->guardarCliente(mio);
        ADD_FAILURE() << "debía rechazarse";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().startsWith(QStringLiteral("Otro puesto modificó este cliente")));
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("«Del otro puesto»")));
    }
    ASSERT_TRUE(oficina->clienteSeleccionado());
    EXPECT_EQ(oficina->clienteSeleccionado()->nombre, QStringLiteral("Del otro puesto"));
    oficina->guardarCliente(mio);
    EXPECT_EQ(oficina->clienteSeleccionado()->nombre, QStringLiteral("Mío"));

    // An editor opened before the change keeps the version it read, even after the list was read
    // again (another desk's notice): its save is refused too.
    const qint64 leida = oficina->versionSeleccionado();
    registro.conexion().ejecutar(c.sql, c.parametros);
    oficina->recargarClientes();
    EXPECT_THROW(oficina->guardarCliente(mio, leida), ErrorBD);
    EXPECT_EQ(oficina->clienteSeleccionado()->nombre, QStringLiteral("Del otro puesto"));
}

// A register of the previous schema version opens updated, its rows kept.
// Many rows at once (a server's whole result is copied on two threads): the list and a client's
// rows are those read one step at a time, NULLs, separators and dates included.
TEST_P(MismoComportamiento, MuchasFilasComoLeidasUnaAUna) {
    Conexion& db = registro.conexion();
    const QString serie =
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                       "i < 20001) ");
    db.ejecutar(serie + QStringLiteral("INSERT INTO Clientes (NumeroCliente, Nombre) SELECT 'c' || i, CASE "
                                       "WHEN i % 4 = 0 THEN NULL ELSE 'Ñandú ' || i END FROM n"));
    db.ejecutar(
        serie +
        QStringLiteral("INSERT INTO Infracciones (NumeroCliente, FechaInfraccion, HoraInfraccion, Estado, "
                       "Inspector, contadorinf) SELECT '12', CASE i % 3 WHEN 0 THEN '20110301' WHEN 1 "
                       "THEN '20110302' ELSE '' END, '120000', CASE WHEN i % 5 = 0 THEN NULL ELSE 'SI' "
                       "END, 'Peña', CASE WHEN i % 7 = 0 THEN '1.' ELSE '1' END FROM n"));
    Recordset clientes;
    clientes.abrir(db, Sentencias::listaClientes());
    const TablaTextos tabla = LeerTabla(db, Sentencias::listaClientes());
    ASSERT_EQ(tabla.filas(), clientes.filas().size());
    std::size_t distintas = 0;
    for (std::size_t i = 0; i < tabla.filas(); ++i)
        distintas += tabla.fila(i) == clientes.filas()[i] ? 0 : 1;
    EXPECT_EQ(distintas, 0u);
    EXPECT_TRUE(tabla.nulo(4, 2));

    Recordset filas;
    filas.abrir(db, Sentencias::infraccionesCliente(QStringLiteral("12")));
    FilasInfraccion leidas = FilasInfraccion::Leer(db, Sentencias::infraccionesCliente(QStringLiteral("12")));
    FilasInfraccion textos = FilasInfraccion::DeRegistros(filas.filas());
    const QDate dia(2011, 3, 2);
    EXPECT_EQ(leidas.filtrarPorFechas(dia, dia), textos.filtrarPorFechas(dia, dia));
    ASSERT_EQ(leidas.size(), textos.size());
    ASSERT_EQ(leidas.size(), 20001u + 20001u / 7);
    distintas = 0;
    for (std::size_t i = 0; i < leidas.size(); ++i)
        distintas += leidas.celdas(i) == textos.celdas(i) && leidas.separador(i) == textos.separador(i) &&
                             leidas.oculta(i) == textos.oculta(i)
                         ? 0
                         : 1;
    EXPECT_EQ(distintas, 0u);
}

TEST_P(MismoComportamiento, MigracionDesdeLaVersionAnterior) {
    Conexion& db = registro.conexion();
    const bool servidor = GetParam() == Almacen::Servidor;
    nuevoCliente(db, QStringLiteral("8"), QStringLiteral("Antiguo"), QStringLiteral("Bar"));
    if (servidor) {
        db.ejecutar(QStringLiteral("DROP INDEX idx_clientes_numero_unico"));
        db.ejecutar(QStringLiteral("UPDATE VersionEsquema SET version = 2"));
    }
    db.ejecutar(QStringLiteral("DROP TABLE RegistroActividad"));
    db.ejecutar(QStringLiteral("DROP TABLE IdentidadRegistro"));
    if (servidor) {
        db.ejecutar(QStringLiteral("ALTER TABLE Clientes DROP COLUMN Version"));
        db.ejecutar(QStringLiteral("ALTER TABLE Importaciones DROP COLUMN Retirada"));
    } else {
        // This SQLite cannot drop a column: the tables' definitions go back to the previous ones.
        db.ejecutar(QStringLiteral("PRAGMA writable_schema = 1"));
        db.ejecutar(QStringLiteral("UPDATE sqlite_master SET sql = replace(sql, ', Version INTEGER NOT NULL "
                                   "DEFAULT 0', '') WHERE name = 'Clientes'"));
        db.ejecutar(QStringLiteral("UPDATE sqlite_master SET sql = replace(sql, ', Retirada INTEGER NOT NULL "
                                   "DEFAULT 0', '') WHERE name = 'Importaciones'"));
        db.ejecutar(QStringLiteral("PRAGMA writable_schema = 0"));
    }
    db.ejecutar(QStringLiteral("PRAGMA user_version = 2"));
    oficina.reset();
    registro.cerrar();
    if (servidor) {
        // A desk refuses the older server; its administrator's command upgrades it.
        EXPECT_THROW(registro.conexion(), ErrorBD);
        PrepararServidor(registro.conninfo());
    }
    EXPECT_EQ(prueba::filas(registro.conexion(), QStringLiteral("PRAGMA user_version")),
              QList<QStringList>{{QString::number(kVersionEsquema)}});
    EXPECT_EQ(prueba::filas(registro.conexion(),
                            QStringLiteral("SELECT Nombre, Version FROM Clientes WHERE NumeroCliente = '8'")),
              (QList<QStringList>{{QStringLiteral("Antiguo"), QStringLiteral("0")}}));
    // The log starts with the client found and the migration itself.
    EXPECT_EQ(
        prueba::filas(registro.conexion(),
                      QStringLiteral("SELECT Accion, Objeto FROM RegistroActividad ORDER BY Secuencia")),
        (QList<QStringList>{{QStringLiteral("base.cliente"), QStringLiteral("8")},
                            {QStringLiteral("esquema.migracion"), QStringLiteral("4")},
                            {QStringLiteral("esquema.migracion"), QStringLiteral("5")},
                            {QStringLiteral("esquema.migracion"), QStringLiteral("6")},
                            {QStringLiteral("esquema.migracion"), QStringLiteral("7")}}));
    EXPECT_EQ(prueba::filas(registro.conexion(), QStringLiteral("SELECT count(*) FROM IdentidadRegistro")),
              QList<QStringList>{{QStringLiteral("1")}});
    // Unique numbers on the server only.
    EXPECT_EQ(servidor, [this] {
        try {
            nuevoCliente(registro.conexion(), QStringLiteral("8"), QStringLiteral("Repetido"), QString());
            return false;
        } catch (const ErrorBD& e) {
            return e.descripcion().contains(QStringLiteral("Ya existe en el registro un cliente"));
        }
    }());
}

} // namespace
