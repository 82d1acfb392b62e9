// The desk's own writes (save, delete, import) read back only the clients they wrote and merge
// them into the list it holds: the list, the search's rows and the selection must be what a whole
// read gives, on the encrypted file and on the shared server.
#include "Almacenes.h"
#include "ArchivosDePrueba.h"
#include "FilasDePrueba.h"
#include "core/Oficina.h"
#include "core/store/Conexion.h"
#include "core/store/Sentencias.h"
#include "core/store/TablaTextos.h"

#include <QTemporaryDir>

namespace {

// What a person sees of the list and of the selected client.
struct EstadoLista {
    std::vector<QStringList> todos;
    std::vector<QStringList> listados;
    qint64 seleccionado = 0;
    QStringList datosSeleccionado;
    std::optional<std::size_t> posicionSeleccionado;
    std::size_t infracciones = 0;

    bool operator==(const EstadoLista&) const = default;
};

EstadoLista Estado(const Oficina& o) {
    EstadoLista e;
    const TablaTextos& t = *o.todosLosClientes();
    for (std::size_t i = 0; i < t.filas(); ++i)
        e.todos.push_back(t.fila(i));
    e.listados = o.filasClientes();
    e.seleccionado = o.idSeleccionado();
    if (o.clienteSeleccionado())
        e.datosSeleccionado = o.clienteSeleccionado()->fila();
    e.posicionSeleccionado = o.posicionListada(e.seleccionado);
    e.infracciones = o.infracciones().size();
    return e;
}

std::ostream& operator<<(std::ostream& os, const EstadoLista& e) {
    os << e.todos.size() << " clientes, " << e.listados.size() << " listados, seleccionado "
       << e.seleccionado;
    for (const QStringList& f : e.listados)
        os << "\n  " << f.mid(0, 5).join(QLatin1Char('|')).toStdString();
    return os;
}

Cliente clienteNuevo(const QString& numero, const QString& nombre) {
    Cliente c = Cliente::desdeFila(QStringList(24, QStringLiteral("x")));
    c.id = 0;
    c.numero = numero;
    c.nombre = nombre;
    c.localidad = QStringLiteral("Quilmes");
    c.fechaAlta = QStringLiteral("20110301");
    c.ultimaInspeccionFecha = QStringLiteral("20110301");
    c.ultimaInspeccionHora = QStringLiteral("101010");
    c.anteriorInspeccionFecha = QStringLiteral("20110201");
    c.anteriorInspeccionHora = QStringLiteral("090909");
    return c;
}

// The client as the editor would save it back: stored forms of dates and times.
Cliente paraGuardar(const Oficina& o, qint64 id) {
    const std::optional<std::size_t> i = o.posicionListada(id);
    EXPECT_TRUE(i.has_value());
    Cliente c = o.clienteEnFila(i.value_or(0));
    const auto almacenada = [](const QString& s) {
        return QString(s).remove(QLatin1Char('/')).remove(QLatin1Char(':'));
    };
    const auto fecha = [](const QString& s) { // dd/mm/yyyy -> yyyymmdd
        return s.size() == 10 ? s.mid(6, 4) + s.mid(3, 2) + s.mid(0, 2) : s;
    };
    c.fechaAlta = fecha(c.fechaAlta);
    c.ultimaInspeccionFecha = fecha(c.ultimaInspeccionFecha);
    c.anteriorInspeccionFecha = fecha(c.anteriorInspeccionFecha);
    c.ultimaInspeccionHora = almacenada(c.ultimaInspeccionHora);
    c.anteriorInspeccionHora = almacenada(c.anteriorInspeccionHora);
    return c;
}

class EscriturasPropias : public OficinaEnAlmacen {
protected:
    qint64 guardarNuevo(const QString& numero, const QString& nombre) {
        oficina->guardarCliente(clienteNuevo(numero, nombre));
        const TablaTextos& t = *oficina->todosLosClientes();
        return t.filas() == 0 ? 0 : t.texto(t.filas() - 1, 0).toLongLong();
    }

    // The state after the write, then a whole read of the same office: they must not differ.
    void comoLecturaCompleta(const char* paso) {
        const EstadoLista despues = Estado(*oficina);
        oficina->recargarClientes();
        EXPECT_EQ(despues, Estado(*oficina)) << paso;
        // Nothing shows under the wrong client: the selected one is the listed row with its id.
        if (const auto i = oficina->posicionListada(oficina->idSeleccionado())) {
            EXPECT_EQ(oficina->clienteEnFila(*i).fila(), oficina->clienteSeleccionado()->fila()) << paso;
        }
    }
};

TEST_P(EscriturasPropias, PrimerClienteDeUnRegistroVacio) {
    registro.conexion().ejecutar(QStringLiteral("DELETE FROM Clientes"), {});
    oficina->abrirClientes();
    ASSERT_EQ(oficina->cantidadListados(), 0u);
    const qint64 id = guardarNuevo(QStringLiteral("1"), QStringLiteral("Primero"));
    ASSERT_NE(id, 0);
    ASSERT_EQ(oficina->cantidadListados(), 1u);
    EXPECT_EQ(oficina->textoListado(0, 2), QStringLiteral("Primero"));
    EXPECT_EQ(oficina->idSeleccionado(), 0);
    comoLecturaCompleta("alta en registro vacío");
    oficina->seleccionar(id);
    oficina->eliminarSeleccionado(QStringLiteral("prueba"));
    EXPECT_EQ(oficina->cantidadListados(), 0u);
    EXPECT_EQ(oficina->idSeleccionado(), 0);
    comoLecturaCompleta("baja del único cliente");
}

TEST_P(EscriturasPropias, AltaCambioYBajaConLaSeleccionEnSuCliente) {
    oficina->abrirClientes();
    const qint64 a = guardarNuevo(QStringLiteral("10"), QStringLiteral("Ana"));
    const qint64 b = guardarNuevo(QStringLiteral("20"), QStringLiteral("Bruno"));
    const qint64 c = guardarNuevo(QStringLiteral("30"), QStringLiteral("Carla"));
    comoLecturaCompleta("tres altas");

    oficina->seleccionar(b);
    ASSERT_EQ(oficina->idSeleccionado(), b);
    // A new client while another is selected: listed in its place, the selection stays.
    const qint64 d = guardarNuevo(QStringLiteral("05"), QStringLiteral("Dora"));
    EXPECT_EQ(oficina->idSeleccionado(), b);
    EXPECT_EQ(oficina->clienteSeleccionado()->nombre, QStringLiteral("Bruno"));
    comoLecturaCompleta("alta con selección");

    // The selected client's number changes so that it would sort first: it is still the one
    // selected, with its new data, and no other row took its place.
    Cliente cb = paraGuardar(*oficina, b);
    cb.numero = QStringLiteral("01");
    cb.nombre = QStringLiteral("Bruno Cambiado");
    oficina->guardarCliente(cb);
    ASSERT_EQ(oficina->idSeleccionado(), b);
    EXPECT_EQ(oficina->clienteSeleccionado()->numero, QStringLiteral("01"));
    EXPECT_EQ(oficina->clienteSeleccionado()->nombre, QStringLiteral("Bruno Cambiado"));
    comoLecturaCompleta("cambio de número del seleccionado");

    // Another client edited: the selected one keeps its data.
    Cliente cc = paraGuardar(*oficina, c);
    cc.nombre = QStringLiteral("Carla Cambiada");
    oficina->guardarCliente(cc);
    EXPECT_EQ(oficina->idSeleccionado(), b);
    EXPECT_EQ(oficina->clienteSeleccionado()->nombre, QStringLiteral("Bruno Cambiado"));
    comoLecturaCompleta("cambio de otro cliente");

    // Deleting the selected one: gone from the list, and nothing selected in its place.
    oficina->eliminarSeleccionado(QStringLiteral("prueba"));
    EXPECT_EQ(oficina->idSeleccionado(), 0);
    EXPECT_FALSE(oficina->posicionListada(b));
    for (const qint64 id : {a, c, d})
        EXPECT_TRUE(oficina->posicionListada(id)) << id;
    comoLecturaCompleta("baja del seleccionado");
}

TEST_P(EscriturasPropias, LaBusquedaSigueALosClientesEscritos) {
    oficina->abrirClientes();
    const qint64 a = guardarNuevo(QStringLiteral("10"), QStringLiteral("Ana Sol"));
    const qint64 b = guardarNuevo(QStringLiteral("20"), QStringLiteral("Bruno"));
    ASSERT_TRUE(oficina->buscar(QStringLiteral("Nombre"), QStringLiteral("SOL")));
    oficina->seleccionar(a);
    ASSERT_EQ(oficina->cantidadListados(), 1u);

    // An edit that makes a client match lists it; a new one that matches is listed too.
    // The search hides it: taken as another office lists it.
    Oficina otra(registro.conexion());
    otra.abrirClientes();
    Cliente cb = paraGuardar(otra, b);
    cb.nombre = QStringLiteral("Bruno Soler");
    oficina->guardarCliente(cb);
    const qint64 c = guardarNuevo(QStringLiteral("30"), QStringLiteral("Girasol"));
    EXPECT_EQ(oficina->cantidadListados(), 3u);
    EXPECT_EQ(oficina->idSeleccionado(), a);
    comoLecturaCompleta("cliente que pasa a coincidir");
    ASSERT_TRUE(oficina->posicionListada(c));
    // Typing on after the writes searches the list as it is now, not the rows found before them.
    ASSERT_TRUE(oficina->buscar(QStringLiteral("Nombre"), QStringLiteral("SOLE")));
    EXPECT_EQ(oficina->cantidadListados(), 1u);
    EXPECT_TRUE(oficina->posicionListada(b));
    ASSERT_TRUE(oficina->buscar(QStringLiteral("Nombre"), QStringLiteral("SOL")));
    EXPECT_EQ(oficina->cantidadListados(), 3u);

    // The selected client edited so that it no longer matches: neither listed nor selected.
    Cliente ca = paraGuardar(*oficina, a);
    ca.nombre = QStringLiteral("Ana Luna");
    oficina->guardarCliente(ca);
    EXPECT_EQ(oficina->idSeleccionado(), 0);
    EXPECT_FALSE(oficina->posicionListada(a));
    EXPECT_EQ(oficina->cantidadListados(), 2u);
    comoLecturaCompleta("seleccionado que deja de coincidir");
}

TEST_P(EscriturasPropias, ImportacionReleeSuClienteYSusFilas) {
    oficina->abrirClientes();
    const qint64 otro = guardarNuevo(QStringLiteral("0012"), QStringLiteral("Otro"));
    const qint64 id = guardarNuevo(QStringLiteral("0123"), QStringLiteral("Importado"));
    oficina->seleccionar(id);
    ASSERT_EQ(oficina->infracciones().size(), 0u);
    QTemporaryDir dir;
    const QString ruta =
        prueba::escribir(dir.path(), QStringLiteral("a.kvd"), prueba::archivo("12121", "0123"));
    ArchivoImportacion archivo;
    ASSERT_TRUE(leerArchivoImportacion(ruta, archivo).ok());
    DatosImportacion d;
    d.ruta = ruta;
    d.numeroCliente = QStringLiteral("0123");
    d.fecha = QDate(2012, 9, 28);
    d.hora = QTime(14, 5, 30);
    ASSERT_TRUE(oficina->importar(archivo, d).ok());
    // The list shows the new inspection, the former one moved back; the rows are the new ones.
    ASSERT_EQ(oficina->idSeleccionado(), id);
    EXPECT_EQ(oficina->clienteSeleccionado()->ultimaInspeccionFecha, QStringLiteral("28/09/2012"));
    EXPECT_EQ(oficina->clienteSeleccionado()->anteriorInspeccionFecha, QStringLiteral("01/03/2011"));
    EXPECT_EQ(oficina->infracciones().size(), 5u);
    comoLecturaCompleta("importación del seleccionado");

    // Importing for a client that is not selected leaves the selection and its rows alone.
    oficina->seleccionar(otro);
    const QString ruta2 =
        prueba::escribir(dir.path(), QStringLiteral("b.kvd"), prueba::archivo("21212", "0123"));
    ASSERT_TRUE(leerArchivoImportacion(ruta2, archivo).ok());
    d.ruta = ruta2;
    d.fecha = QDate(2013, 1, 2);
    ASSERT_TRUE(oficina->importar(archivo, d).ok());
    EXPECT_EQ(oficina->idSeleccionado(), otro);
    EXPECT_EQ(oficina->infracciones().size(), 0u);
    const std::optional<std::size_t> fila = oficina->posicionListada(id);
    ASSERT_TRUE(fila);
    EXPECT_EQ(oficina->clienteEnFila(*fila).ultimaInspeccionFecha, QStringLiteral("02/01/2013"));
    EXPECT_EQ(oficina->clienteEnFila(*fila).anteriorInspeccionFecha, QStringLiteral("28/09/2012"));
    comoLecturaCompleta("importación de otro cliente");
}

INSTANTIATE_TEST_SUITE_P(Almacenes, EscriturasPropias, ::testing::Values(Almacen::Archivo, Almacen::Servidor),
                         NombreAlmacen);

} // namespace
