// The office model without any window: session and rights, the one selected client across
// searches and writes, the infraction view's rows, and what the workbook and report receive.
#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "FilasDePrueba.h"
#include "core/Oficina.h"
#include "core/store/Conexion.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Recordset.h"
#include "core/store/Sentencias.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void ejecutar(Conexion& db, const Consulta& c) {
    db.ejecutar(c.sql, c.parametros);
}

qint64 agregarCliente(Conexion& db, const QString& numero, const QString& nombre, const QString& localidad,
                      const QString& local) {
    QStringList v(23, QStringLiteral("x"));
    v[0] = numero;
    v[1] = nombre;
    v[3] = localidad;
    v[11] = local;
    v[13] = QStringLiteral("Bernal");
    ejecutar(db, Sentencias::insertarCliente(prueba::clienteDe(v)));
    return db.ultimoId();
}

// Date yyyymmdd, status and "CI" text; the other columns fixed.
void agregarInfraccion(Conexion& db, const QString& numero, const QString& fecha, const QString& estatus,
                       const QString& ci) {
    QStringList v = QStringLiteral("|||095||13,2 V|SI|010|Administrador|095|085|003|- 05|010|060|070|")
                        .split(QLatin1Char('|'));
    v[0] = numero;
    v[1] = fecha;
    v[2] = QStringLiteral("120000");
    v[4] = estatus;
    v[16] = ci;
    ejecutar(db, Sentencias::insertarInfraccion(prueba::infraccionDe(v)));
}

QStringList fechas(const Oficina& o) {
    QStringList r;
    const FilasInfraccion& f = o.infracciones();
    for (std::size_t i = 0; i < f.size(); ++i)
        if (!f.oculta(i))
            r << (f.separador(i) ? QStringLiteral("-") : f.texto(i, ColInfraccion::Fecha));
    return r;
}

class OficinaTest : public ::testing::Test {
protected:
    void SetUp() override {
        id12 = agregarCliente(base.registro(), QStringLiteral("12"), QStringLiteral("Juan Pérez"),
                              QStringLiteral("Quilmes"), QStringLiteral("Bar El Ñandú"));
        id123 = agregarCliente(base.registro(), QStringLiteral("123"), QStringLiteral("Ana Ruiz"),
                               QStringLiteral("Wilde"), QStringLiteral("Pub Norte"));
        idGuion = agregarCliente(base.registro(), QStringLiteral("9"), QStringLiteral("Oculto"),
                                 QStringLiteral("-"), QStringLiteral("Barra"));
        const char* const filas[][4] = {{"12", "20110228", "L. SHOW", "1"},
                                        {"12", "20110301", "D. JOCKEY", "1."},
                                        {"12", "20110315", "MIC. DESC.", "BLOQ."},
                                        {"12", "20110401", "", "2"},
                                        {"123", "20110310", "EXCESO INF.", "9"}};
        for (const auto& f : filas)
            agregarInfraccion(base.registro(), QString::fromLatin1(f[0]), QString::fromLatin1(f[1]),
                              QString::fromLatin1(f[2]), QString::fromLatin1(f[3]));
        ejecutar(
            base.registro(),
            {QStringLiteral("UPDATE Clientes SET horainicio='8', MinutosInicio='5', ActivacionBanda1='Si', "
                            "fechainicio='Lunes', fechafin='Viernes', HoraFin='23', MinutosFin='30' "
                            "WHERE NumeroCliente='12'"),
             {}});
        oficina.establecerUsuario(QStringLiteral("Administrador"));
        oficina.abrirClientes();
        oficina.establecerRango(QDate(2011, 1, 1), QDate(2030, 1, 1));
    }

    BaseTemporal base;
    Oficina oficina{base.registro()};
    qint64 id12 = 0, id123 = 0, idGuion = 0;
};

} // namespace

TEST_F(OficinaTest, SesionYDerechosSoloPorElNombreExactoDelLogin) {
    Oficina o{base.registro()};
    QSignalSpy sesion(&o, &Oficina::sesionIniciada);
    EXPECT_FALSE(o.iniciarSesion(QStringLiteral("Administrador"), QStringLiteral("x")));
    EXPECT_FALSE(o.iniciarSesion(QStringLiteral("Nadie"), QString()));
    EXPECT_TRUE(o.usuario().isEmpty());
    EXPECT_TRUE(o.iniciarSesion(QStringLiteral("Invitado"), QString()));
    EXPECT_EQ(o.usuario(), QStringLiteral("Invitado"));
    EXPECT_EQ(sesion.count(), 1);
    EXPECT_FALSE(o.esAdministrador());
    // Every administrator operation is refused to anyone else, whatever a window shows.
    EXPECT_THROW(o.crearCuenta(QStringLiteral("Intruso"), QString()), ErrorBD);
    EXPECT_THROW(o.borrarCuentas(QStringLiteral("Invitado")), ErrorBD);
    EXPECT_THROW(o.cambiarContrasena(1, QStringLiteral("Administrador"), QStringLiteral("x")), ErrorBD);
    QString error;
    EXPECT_FALSE(o.cambiarMunicipio(QStringLiteral("Otro"), &error));
    EXPECT_FALSE(error.isEmpty());
    o.abrirClientes();
    o.seleccionar(id12);
    EXPECT_THROW(o.eliminarSeleccionado(QStringLiteral("prueba")), ErrorBD);
    o.establecerUsuario(QStringLiteral("administrador"));
    EXPECT_FALSE(o.esAdministrador());

    // The later of two accounts with one name counts; the administrator's rights follow the name.
    Oficina admin{base.registro()};
    admin.establecerUsuario(QStringLiteral("Administrador"));
    admin.crearCuenta(QStringLiteral("Operador"), QStringLiteral("uno"));
    admin.crearCuenta(QStringLiteral("Operador"), QStringLiteral("dos"));
    EXPECT_FALSE(o.iniciarSesion(QStringLiteral("Operador"), QStringLiteral("uno")));
    EXPECT_TRUE(o.iniciarSesion(QStringLiteral("Operador"), QStringLiteral("dos")));
    EXPECT_EQ(admin.borrarCuentas(QStringLiteral("Operador")), 2);
    EXPECT_THROW(admin.borrarCuentas(QStringLiteral("Invitado")), ErrorBD);
}

// The highlighted row, the details below and every button's target have one home: after any
// change to the list the selected client stays while listed, otherwise none is selected.
TEST_F(OficinaTest, UnSoloClienteSeleccionadoTrasCadaCambioDeLaLista) {
    QSignalSpy seleccion(&oficina, &Oficina::seleccionCambiada);
    EXPECT_FALSE(oficina.clienteSeleccionado());
    EXPECT_EQ(oficina.filasClientes().size(), 4u); // placeholder included; the view hides it
    {
        // Another reader of the same slot leaves this list alone.
        Oficina otra{base.registro()};
        otra.buscar(QStringLiteral("Nombre"), QStringLiteral("ana"));
    }
    EXPECT_EQ(oficina.filasClientes().size(), 4u);
    EXPECT_TRUE(oficina.clienteEnFila(0).esMarcador());

    oficina.seleccionar(id12);
    ASSERT_TRUE(oficina.clienteSeleccionado());
    EXPECT_EQ(oficina.clienteSeleccionado()->nombreLocal, QStringLiteral("Bar El Ñandú"));
    EXPECT_EQ(seleccion.count(), 1);
    oficina.seleccionar(id12); // the same client again: nothing to tell
    EXPECT_EQ(seleccion.count(), 1);

    EXPECT_TRUE(oficina.buscar(QStringLiteral("Nombre"), QStringLiteral("pé")));
    EXPECT_EQ(oficina.idSeleccionado(), id12);
    EXPECT_TRUE(oficina.buscar(QStringLiteral("Nombre"), QStringLiteral("ana")));
    EXPECT_EQ(oficina.filasClientes().size(), 1u);
    EXPECT_EQ(oficina.idSeleccionado(), 0);
    EXPECT_TRUE(oficina.infracciones().empty());
    EXPECT_FALSE(oficina.buscar(QStringLiteral("Sin columna"), QStringLiteral("x")));
    EXPECT_EQ(oficina.filasClientes().size(), 1u);

    // The placeholder is never selected; a client saved with locality "-" is.
    oficina.abrirClientes();
    oficina.seleccionar(oficina.clienteEnFila(0).id);
    EXPECT_FALSE(oficina.clienteSeleccionado());
    oficina.seleccionar(idGuion);
    EXPECT_EQ(oficina.idSeleccionado(), idGuion);
    // Rows that cannot be read never show as a client without infractions.
    ejecutar(base.registro(), {QStringLiteral("ALTER TABLE Infracciones RENAME TO Apartadas"), {}});
    EXPECT_THROW(oficina.seleccionar(id12), ErrorBD);
    EXPECT_FALSE(oficina.clienteSeleccionado());
    ejecutar(base.registro(), {QStringLiteral("ALTER TABLE Apartadas RENAME TO Infracciones"), {}});
}

TEST_F(OficinaTest, FilasDeInfraccionesConSeparadoresRangoYBandas) {
    oficina.seleccionar(id12);
    // Exact client number: 12 never shows the rows of 123. Marked rows lose the mark and get a
    // separator below; a status-less row stays.
    EXPECT_EQ(fechas(oficina),
              QStringList({"28/02/2011", "01/03/2011", "-", "15/03/2011", "-", "01/04/2011"}));
    EXPECT_EQ(oficina.infracciones().texto(1, ColInfraccion::CI), QStringLiteral("1"));
    EXPECT_EQ(oficina.infracciones().texto(3, ColInfraccion::CI), QStringLiteral("BLOQ"));

    QSignalSpy rango(&oficina, &Oficina::rangoCambiado);
    EXPECT_EQ(oficina.establecerRango(QDate(2011, 3, 1), QDate(2011, 3, 31)), 0);
    EXPECT_EQ(fechas(oficina), QStringList({"01/03/2011", "-", "15/03/2011", "-"}));
    // A start after the end moves to the end.
    oficina.establecerRango(QDate(2011, 5, 1), QDate(2011, 4, 1));
    EXPECT_EQ(oficina.fechaInicio(), QDate(2011, 4, 1));
    EXPECT_EQ(fechas(oficina), QStringList({"-", "-", "01/04/2011"}));
    EXPECT_EQ(rango.count(), 2);
    // A stored date that is not a date is counted and stays visible.
    ejecutar(
        base.registro(),
        {QStringLiteral("UPDATE Infracciones SET FechaInfraccion='2011xx01' WHERE contadorinf='2'"), {}});
    oficina.releerSeleccionado();
    EXPECT_EQ(oficina.fechasIlegibles(), 1);

    const TextosBandas t = oficina.textosBandas();
    EXPECT_EQ(t.activacion[0], QStringLiteral("Si"));
    EXPECT_EQ(t.inicio[0], QStringLiteral("Lunes 08:05"));
    EXPECT_EQ(t.fin[0], QStringLiteral("Viernes 23:30"));
    oficina.seleccionar(id123); // no band settings: empty boxes
    EXPECT_TRUE(oficina.textosBandas().inicio[0].isEmpty());
    EXPECT_EQ(RellenarCero(QStringLiteral("12")), QStringLiteral("12"));
}

TEST_F(OficinaTest, GuardarYEliminarReleenLaListaYMantienenLaSeleccion) {
    oficina.seleccionar(id12);
    Cliente c = *oficina.clienteSeleccionado();
    c.nombreLocal = QStringLiteral("Bar Nuevo");
    c.fechaAlta = QStringLiteral("20100101"); // stored forms for the dates
    c.ultimaInspeccionFecha = c.ultimaInspeccionHora = QString();
    c.anteriorInspeccionFecha = c.anteriorInspeccionHora = QString();
    oficina.guardarCliente(c);
    EXPECT_EQ(oficina.clienteSeleccionado()->nombreLocal, QStringLiteral("Bar Nuevo"));
    EXPECT_EQ(oficina.clienteSeleccionado()->fechaAlta, QStringLiteral("01/01/2010"));

    c.id = 0;
    c.numero = QStringLiteral("77");
    oficina.guardarCliente(c);
    EXPECT_EQ(oficina.filasClientes().size(), 5u);
    EXPECT_EQ(oficina.idSeleccionado(), id12);

    // Deleting 12 leaves 123 and its rows alone, and nothing selected.
    EXPECT_THROW(oficina.eliminarSeleccionado(QString()), ErrorBD); // the reason is required
    oficina.eliminarSeleccionado(QStringLiteral("prueba"));
    EXPECT_FALSE(oficina.clienteSeleccionado());
    EXPECT_EQ(oficina.filasClientes().size(), 4u);
    oficina.seleccionar(id123);
    EXPECT_EQ(oficina.infracciones().size(), 1u);
    oficina.seleccionar(0);
    EXPECT_THROW(oficina.eliminarSeleccionado(QStringLiteral("prueba")), ErrorBD);
}

TEST_F(OficinaTest, ImportarSellaElUsuarioDeLaSesionYRefrescaElClienteSeleccionado) {
    agregarCliente(base.registro(), QStringLiteral("0123"), QStringLiteral("Importado"),
                   QStringLiteral("Bernal"), QStringLiteral("Local"));
    oficina.abrirClientes();
    const qint64 id = oficina.clienteEnFila(4).id;
    oficina.seleccionar(id);
    EXPECT_TRUE(oficina.infracciones().empty());
    ASSERT_TRUE(oficina.iniciarSesion(QStringLiteral("Invitado"), QString()));

    ArchivoImportacion archivo;
    ASSERT_TRUE(prepararImportacion(prueba::archivo("12"), archivo).ok());
    DatosImportacion datos;
    datos.numeroCliente = QStringLiteral("0123");
    datos.fecha = QDate(2011, 9, 28);
    datos.hora = QTime(14, 5, 30);
    datos.inspector = QStringLiteral("Administrador"); // whatever a window put there
    EXPECT_TRUE(oficina.importar(archivo, datos).ok());
    EXPECT_EQ(oficina.idSeleccionado(), id);
    ASSERT_EQ(oficina.infracciones().size(), 2u);
    for (std::size_t i = 0; i < oficina.infracciones().size(); ++i)
        EXPECT_EQ(oficina.infracciones().texto(i, ColInfraccion::Inspector), QStringLiteral("Invitado"));
    EXPECT_EQ(oficina.clienteSeleccionado()->ultimaInspeccionFecha, QStringLiteral("28/09/2011"));

    // The log names the session's user too, and the rows point to it.
    const std::vector<ImportacionRegistrada> historial = oficina.historialSeleccionado();
    ASSERT_EQ(historial.size(), 1u);
    EXPECT_EQ(historial.front().usuario, QStringLiteral("Invitado"));
    EXPECT_EQ(oficina.infracciones().importacion(0), historial.front().id);
    EXPECT_EQ(oficina.entradaLibro({}).importaciones.size(), 1u);
    EXPECT_EQ(oficina.infraccionesDeImportacion(historial.front().id).size(), 2u);
    EXPECT_EQ(oficina.importacionesDeArchivo(archivo.datos).size(), 1u);
    // Only the administrator deletes an import, and only one of the selected client.
    EXPECT_THROW(oficina.eliminarImportacion(historial.front().id, QStringLiteral("prueba")), ErrorBD);
    oficina.establecerUsuario(QStringLiteral("Administrador"));
    oficina.seleccionar(id12);
    EXPECT_THROW(oficina.eliminarImportacion(historial.front().id, QStringLiteral("prueba")), ErrorBD);
    EXPECT_TRUE(oficina.infraccionesDeImportacion(historial.front().id).empty());
    oficina.seleccionar(id);
    EXPECT_EQ(oficina.eliminarImportacion(historial.front().id, QStringLiteral("prueba")), 2);
    EXPECT_TRUE(oficina.infracciones().empty());
    EXPECT_TRUE(oficina.historialSeleccionado().front().retirada);
}

TEST_F(OficinaTest, ElLibroYElInformeRecibenLoQueMuestraLaVista) {
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("data.dat"));
    oficina.cargarMunicipio(ruta);
    ASSERT_TRUE(oficina.cambiarMunicipio(QStringLiteral("Quilmes")));
    {
        // A header the file cannot take is refused and not used: the outputs keep the saved one.
        QFile bloqueo(dir.filePath(QStringLiteral("carpeta")));
        ASSERT_TRUE(bloqueo.open(QIODevice::WriteOnly));
        Oficina otra{base.registro()};
        otra.establecerUsuario(QStringLiteral("Administrador"));
        otra.cargarMunicipio(dir.filePath(QStringLiteral("carpeta/data.dat")));
        QString error;
        EXPECT_FALSE(otra.cambiarMunicipio(QStringLiteral("Bernal"), &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(otra.municipio().isEmpty());
        EXPECT_TRUE(otra.datosInforme().titulo.indexOf(QStringLiteral("Bernal")) < 0);
    }
    oficina.seleccionar(id12);
    oficina.establecerRango(QDate(2011, 3, 1), QDate(2011, 3, 31));

    OpcionesLibro opciones;
    opciones.direccion = true;
    const EntradaLibro e = oficina.entradaLibro(opciones);
    EXPECT_EQ(e.titulo, QStringLiteral("Quilmes"));
    EXPECT_EQ(e.inspector, QStringLiteral("Administrador"));
    EXPECT_EQ(e.opciones, opciones);
    EXPECT_EQ(e.cliente.numero, QStringLiteral("12"));
    EXPECT_EQ(e.bandas.bandas[0].horaInicio, QStringLiteral("8"));
    ASSERT_EQ(e.infracciones.size(), 6u);
    EXPECT_TRUE(e.infracciones[0].oculta);
    EXPECT_EQ(e.infracciones[2].celdas, QStringList(ColInfraccion::Cantidad, QString()));
    EXPECT_FALSE(e.infracciones[2].oculta);
    // Rows stored before the log: counted, no import listed.
    EXPECT_TRUE(e.importaciones.empty());
    EXPECT_EQ(e.anteriores, 2);

    const DatosInforme d = oficina.datosInforme();
    EXPECT_EQ(d.cliente, QStringLiteral("Juan Pérez"));
    EXPECT_EQ(d.local, QStringLiteral("Bar El Ñandú"));
    ASSERT_EQ(d.registros.size(), 4u); // two rows in March, each with its separator
    EXPECT_EQ(d.registros[0].fecha, QStringLiteral("01/03/2011"));
    EXPECT_TRUE(d.registros[1].vacio());
}

// The search filters the list in memory: it must list exactly the clients the store's contiene()
// lists, for every searchable column and the awkward texts (accents and Ñ in any case, the LIKE
// wildcards, apostrophes, NULL and empty values, folds that are not plain lower case, a NUL).
TEST_F(OficinaTest, LaBusquedaEnMemoriaDaLosMismosClientesQueLaBase) {
    const char* const nombres[] = {"ÑANDÚ Pérez", "ñandú PÉREZ", "Barra 100%", "Club_Uno", "O'Neill",
                                   "STRASSE ẞ",   "straße",      "ǅemal İz",   "🎵 Bar",    ""};
    int n = 100;
    for (const char* nombre : nombres)
        agregarCliente(base.registro(), QString::number(n++), QString::fromUtf8(nombre),
                       QStringLiteral("Ñuñoa"), QString::fromUtf8(nombre).toUpper());
    QStringList conNul(23, QStringLiteral("x"));
    conNul[1] = QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("cd");
    ejecutar(base.registro(), Sentencias::insertarCliente(prueba::clienteDe(conNul)));
    const QString textos[] = {QString(),
                              QStringLiteral(""),
                              QStringLiteral("ñ"),
                              QStringLiteral("Ñ"),
                              QStringLiteral("ñandú pérez"),
                              QStringLiteral("NANDU"),
                              QStringLiteral("%"),
                              QStringLiteral("_"),
                              QStringLiteral("0%"),
                              QStringLiteral("b_u"),
                              QStringLiteral("'"),
                              QStringLiteral("o'n"),
                              QStringLiteral("ß"),
                              QStringLiteral("ss"),
                              QStringLiteral("ǆ"),
                              QStringLiteral("i̇"),
                              QStringLiteral("🎵"),
                              QStringLiteral("cd"),
                              QStringLiteral("b") + QChar(u'\0') + QStringLiteral("zz"),
                              QString(QChar(0xD800)),
                              QStringLiteral(" "),
                              QStringLiteral("-")};
    oficina.abrirClientes();
    Recordset registros;
    for (const QString& columna : Sentencias::columnasBusqueda()) {
        for (const QString& texto : textos) {
            registros.abrir(base.registro(), *Sentencias::busquedaClientes(columna, texto));
            QStringList enBase;
            for (const QStringList& f : registros.filas())
                enBase << f.value(0);
            ASSERT_TRUE(oficina.buscar(columna, texto));
            QStringList enMemoria;
            for (const QStringList& f : oficina.filasClientes())
                enMemoria << f.value(0);
            EXPECT_EQ(enMemoria, enBase) << qPrintable(columna) << " / " << qPrintable(texto);
        }
    }
}

// The list is read again after every write, and the search still applies to it.
TEST_F(OficinaTest, LaListaTrasUnaEscrituraMuestraLaEscritura) {
    ASSERT_TRUE(oficina.buscar(QStringLiteral("Local"), QStringLiteral("ñandú")));
    ASSERT_EQ(oficina.filasClientes().size(), 1u);
    oficina.seleccionar(id12);
    // A search alone reads nothing: the selected client, still listed, keeps its rows.
    QSignalSpy lecturas(&oficina, &Oficina::infraccionesPorCambiar);
    ASSERT_TRUE(oficina.buscar(QStringLiteral("Local"), QStringLiteral("ÑAND")));
    EXPECT_EQ(lecturas.count(), 0);
    EXPECT_EQ(oficina.idSeleccionado(), id12);
    Cliente c = *oficina.clienteSeleccionado();
    c.fechaAlta = c.ultimaInspeccionFecha = c.ultimaInspeccionHora = QString();
    c.anteriorInspeccionFecha = c.anteriorInspeccionHora = QString();
    c.id = 0;
    c.numero = QStringLiteral("55");
    c.nombreLocal = QStringLiteral("Otro ÑANDÚ");
    oficina.guardarCliente(c); // matches: listed
    c.nombreLocal = QStringLiteral("Sin coincidencia");
    oficina.guardarCliente(c); // does not
    c.id = id12;
    c.nombre = QStringLiteral("Editado");
    c.nombreLocal = QStringLiteral("Bar El Ñandú");
    oficina.guardarCliente(c);
    QStringList listados;
    for (const QStringList& f : oficina.filasClientes())
        listados << f.value(2) + QLatin1Char('/') + f.value(12);
    EXPECT_EQ(listados, QStringList({"Editado/Bar El Ñandú", "Juan Pérez/Otro ÑANDÚ"}));
    EXPECT_EQ(oficina.idSeleccionado(), id12);
    EXPECT_EQ(oficina.clienteSeleccionado()->nombre, QStringLiteral("Editado"));
    EXPECT_EQ(lecturas.count(), 3); // every write reads the selected client again

    // A write elsewhere shows after a reload; deleting removes the client from the list.
    ejecutar(base.registro(),
             {QStringLiteral("UPDATE Clientes SET NombreLocal = 'ñandú 2' WHERE Id = ?"), {id123}});
    oficina.recargarClientes();
    EXPECT_EQ(oficina.filasClientes().size(), 3u);
    oficina.eliminarSeleccionado(QStringLiteral("prueba"));
    EXPECT_EQ(oficina.filasClientes().size(), 2u);
    EXPECT_FALSE(oficina.clienteSeleccionado());
    oficina.abrirClientes(); // the whole list again
    EXPECT_EQ(oficina.filasClientes().size(), 5u);
}

// Two offices on two registers share nothing: each lists, saves, deletes and checks numbers in
// its own register only.
TEST_F(OficinaTest, DosOficinasSobreDosRegistrosNoSeMezclan) {
    BaseTemporal otraBase;
    Oficina otra{otraBase.registro()};
    otra.establecerUsuario(QStringLiteral("Administrador"));
    oficina.establecerUsuario(QStringLiteral("Administrador"));
    agregarCliente(otraBase.registro(), QStringLiteral("77"), QStringLiteral("Solo aquí"),
                   QStringLiteral("Bernal"), QStringLiteral("Bar"));
    oficina.abrirClientes();
    const std::size_t propios = oficina.filasClientes().size();
    otra.abrirClientes();
    ASSERT_EQ(otra.filasClientes().size(), 2u);
    EXPECT_TRUE(otra.existeCliente(QStringLiteral("77")));
    EXPECT_FALSE(oficina.existeCliente(QStringLiteral("77")));
    EXPECT_TRUE(oficina.existeCliente(QStringLiteral("12")));
    EXPECT_FALSE(otra.existeCliente(QStringLiteral("12")));

    otra.seleccionar(otra.filasClientes().at(1).value(0).toLongLong());
    otra.eliminarSeleccionado(QStringLiteral("prueba"));
    EXPECT_EQ(otra.filasClientes().size(), 1u);
    oficina.recargarClientes();
    EXPECT_EQ(oficina.filasClientes().size(), propios);
    EXPECT_EQ(oficina.archivoRegistro(), base.ruta());
    EXPECT_EQ(otra.archivoRegistro(), otraBase.ruta());
}
