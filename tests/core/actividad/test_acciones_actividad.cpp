// Every change the office makes leaves exactly one activity log entry, in its own transaction; a
// change that fails or is refused leaves none. Deletions keep what they deleted, and bring it back
// identical.

#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "FilasDePrueba.h"
#include "core/Oficina.h"
#include "core/actividad/CadenaActividad.h"
#include "core/store/Sentencias.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace prueba;

namespace {

std::vector<EntradaActividad> entradas(Conexion& db) {
    std::vector<EntradaActividad> r;
    RecorrerEntradas(db, [&](const EntradaActividad& e) {
        r.push_back(e);
        return true;
    });
    return r;
}

QJsonObject detalles(const EntradaActividad& e) {
    return QJsonDocument::fromJson(e.detalles.toUtf8()).object();
}

ArchivoImportacion preparado(const QByteArray& bytes) {
    ArchivoImportacion a;
    EXPECT_TRUE(prepararImportacion(bytes, a).ok());
    return a;
}

DatosImportacion datosDe(bool omitir = true) {
    DatosImportacion d;
    d.numeroCliente = QStringLiteral("0123");
    d.fecha = QDate(2011, 9, 28);
    d.hora = QTime(14, 5, 30);
    d.omitirSolapados = omitir;
    return d;
}

// The client's rows as values, ordered so that ids do not matter.
QList<QStringList> filasOrdenadas(Conexion& db, const QString& numero) {
    QList<QStringList> f = infracciones(db, numero);
    std::sort(f.begin(), f.end());
    return f;
}

class ActividadOficina : public ::testing::Test {
protected:
    void SetUp() override {
        oficina.establecerUsuario(QStringLiteral("Administrador"));
        agregarCliente(base.registro(), QStringLiteral("0123"));
        oficina.abrirClientes();
        for (std::size_t i = 0; i < oficina.cantidadListados(); ++i)
            if (oficina.clienteEnFila(i).numero == QStringLiteral("0123"))
                oficina.seleccionar(oficina.clienteEnFila(i).id);
        ASSERT_NE(oficina.idSeleccionado(), 0);
    }
    // Runs `accion` and returns the entries it added.
    template <class F> std::vector<EntradaActividad> nuevas(F&& accion) {
        const std::size_t antes = entradas(base.registro()).size();
        accion();
        const std::vector<EntradaActividad> todas = entradas(base.registro());
        return {todas.begin() + static_cast<std::ptrdiff_t>(antes), todas.end()};
    }
    BaseTemporal base;
    Oficina oficina{base.registro()};
};

} // namespace

TEST_F(ActividadOficina, CadaAccionUnaEntradaYLaQueFallaNinguna) {
    // Logins, with the name typed.
    auto e = nuevas(
        [&] { EXPECT_FALSE(oficina.iniciarSesion(QStringLiteral("Invitado"), QStringLiteral("mal"))); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("sesion.rechazada"));
    EXPECT_EQ(e[0].objeto, QStringLiteral("Invitado"));
    e = nuevas([&] { EXPECT_TRUE(oficina.iniciarSesion(QStringLiteral("Administrador"), QString())); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("sesion.aceptada"));
    EXPECT_EQ(e[0].usuario, QStringLiteral("Administrador"));
    EXPECT_TRUE(oficina.avisoSesion().isEmpty());

    // Accounts: never a password or its hash.
    e = nuevas([&] { oficina.crearCuenta(QStringLiteral("Peña"), QStringLiteral("secreta1")); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("cuenta.alta"));
    const qint64 idPena = oficina.cuentas().back().id;
    e = nuevas([&] {
        EXPECT_TRUE(oficina.cambiarContrasena(idPena, QStringLiteral("Peña"), QStringLiteral("otra22")));
    });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("cuenta.contrasena"));
    for (const EntradaActividad& x : entradas(base.registro()))
        EXPECT_FALSE(x.detalles.contains(QStringLiteral("secreta1")) ||
                     x.detalles.contains(QStringLiteral("otra22")) ||
                     x.detalles.contains(QStringLiteral("argon")));
    e = nuevas([&] { EXPECT_EQ(oficina.borrarCuentas(QStringLiteral("Peña")), 1); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("cuenta.baja"));
    e = nuevas([&] { EXPECT_THROW(oficina.borrarCuentas(QStringLiteral("Invitado")), ErrorBD); });
    EXPECT_TRUE(e.empty());

    // A client created and edited: each changed field, old and new.
    Cliente nuevo = *oficina.clienteSeleccionado();
    nuevo.id = 0;
    nuevo.numero = QStringLiteral("0999");
    nuevo.nombre = QStringLiteral("Nueva");
    nuevo.fechaAlta = QStringLiteral("20200101");
    e = nuevas([&] { oficina.guardarCliente(nuevo); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("cliente.alta"));
    EXPECT_EQ(e[0].objeto, QStringLiteral("0999"));
    Cliente editado = *oficina.clienteSeleccionado();
    editado.fechaAlta = QStringLiteral("20100301");
    editado.ultimaInspeccionFecha = QStringLiteral("20110105");
    editado.ultimaInspeccionHora = QStringLiteral("101010");
    editado.anteriorInspeccionFecha = QStringLiteral("20100105");
    editado.anteriorInspeccionHora = QStringLiteral("090909");
    editado.nombre = QStringLiteral("Otro Nombre");
    const qint64 version = oficina.versionSeleccionado();
    e = nuevas([&] { oficina.guardarCliente(editado, version); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("cliente.cambio"));
    const QJsonObject cambios = detalles(e[0]).value(QStringLiteral("cambios")).toObject();
    EXPECT_EQ(cambios.value(QStringLiteral("Nombre")),
              (QJsonArray{QStringLiteral("Pe'ña Hnos."), QStringLiteral("Otro Nombre")}));
    EXPECT_FALSE(cambios.contains(QStringLiteral("Localidad")));
    EXPECT_FALSE(cambios.contains(QStringLiteral("UltimaInspeccionFecha")));
    // Saved from data read before that change: refused, no entry.
    e = nuevas([&] { EXPECT_THROW(oficina.guardarCliente(editado, version), ErrorBD); });
    EXPECT_TRUE(e.empty());

    // An import: its log id, the answers, and its own changes to the client.
    ASSERT_TRUE(oficina.importar(preparado(archivo("12")), datosDe()).ok());
    ResultadoImportacion r;
    e = nuevas([&] { r = oficina.importar(preparado(archivo("23")), datosDe(false)); });
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("importacion"));
    EXPECT_EQ(e[0].objeto, QString::number(r.idImportacion));
    const QJsonObject imp = detalles(e[0]);
    EXPECT_EQ(imp.value(QStringLiteral("importacion")).toInteger(), r.idImportacion);
    EXPECT_FALSE(imp.value(QStringLiteral("omitir_solapados")).toBool());
    EXPECT_FALSE(imp.value(QStringLiteral("reimportar")).toBool());
    EXPECT_EQ(imp.value(QStringLiteral("cambios_cliente"))
                  .toObject()
                  .value(QStringLiteral("AnteriorInspeccionHora")),
              (QJsonArray{QStringLiteral("101010"), QStringLiteral("140530")}));
    e = nuevas([&] { EXPECT_TRUE(oficina.importar(preparado(archivo("23")), datosDe()).ok()); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_TRUE(detalles(e[0]).value(QStringLiteral("reimportar")).toBool());
    // Cancelled: nothing written, no entry.
    DatosImportacion cancelada = datosDe();
    cancelada.cancelar = [] { return true; };
    e = nuevas([&] {
        EXPECT_EQ(oficina.importar(preparado(archivo("1")), cancelada).estado, EstadoImportacion::Cancelada);
    });
    EXPECT_TRUE(e.empty());

    // The municipality header, old and new; refused to a guest.
    QTemporaryDir dir;
    oficina.cargarMunicipio(QDir(dir.path()).filePath(QStringLiteral("data.dat")));
    const QString anterior = oficina.municipio();
    e = nuevas([&] { EXPECT_TRUE(oficina.cambiarMunicipio(QStringLiteral("Municipio de Ñuñoa"))); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(detalles(e[0]).value(QStringLiteral("antes")).toString(), anterior);
    EXPECT_EQ(detalles(e[0]).value(QStringLiteral("despues")).toString(),
              QStringLiteral("Municipio de Ñuñoa"));

    // A backup, then its restore: which copy and the copy's own last entry.
    const QString copia = QDir(dir.path()).filePath(QStringLiteral("copia.wfg"));
    e = nuevas([&] { oficina.copiarRegistro(oficina.municipio(), copia); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("copia.escrita"));
    const qint64 cabezaCopia = detalles(e[0]).value(QStringLiteral("cabeza_secuencia")).toInteger();
    EXPECT_EQ(cabezaCopia, e[0].secuencia - 1);
    const QString ultimoHashCopia = e[0].hashAnterior;
    oficina.restaurarCopia(copia, QDir(dir.path()).filePath(QStringLiteral("data.dat")),
                           QDir(dir.path()).filePath(QStringLiteral("copias")));
    const std::vector<EntradaActividad> tras = entradas(base.registro());
    ASSERT_EQ(tras.size(), static_cast<std::size_t>(cabezaCopia + 1));
    EXPECT_EQ(tras.back().accion, QStringLiteral("copia.restaurada"));
    EXPECT_EQ(detalles(tras.back()).value(QStringLiteral("copia_ultima_secuencia")).toInteger(), cabezaCopia);
    EXPECT_EQ(detalles(tras.back()).value(QStringLiteral("copia_ultimo_hash")).toString(), ultimoHashCopia);

    oficina.establecerUsuario(QStringLiteral("Invitado"));
    e = nuevas([&] { EXPECT_FALSE(oficina.cambiarMunicipio(QStringLiteral("Otro"))); });
    EXPECT_TRUE(e.empty());
    EXPECT_FALSE(RoturaDeCadena(entradas(base.registro())).has_value());
}

// A register that cannot take the entry still lets the user in, and says why.
TEST_F(ActividadOficina, SinPoderEscribirSeEntraConAviso) {
    base.registro().ejecutar(QStringLiteral("CREATE TRIGGER lleno BEFORE INSERT ON RegistroActividad BEGIN "
                                            "SELECT RAISE(ABORT, 'database or disk is full'); END"));
    EXPECT_TRUE(oficina.iniciarSesion(QStringLiteral("Invitado"), QString()));
    EXPECT_EQ(oficina.usuario(), QStringLiteral("Invitado"));
    EXPECT_TRUE(oficina.avisoSesion().startsWith(QStringLiteral("No se pudo anotar el inicio de sesión")));
    EXPECT_FALSE(oficina.iniciarSesion(QStringLiteral("Invitado"), QStringLiteral("mal")));
    EXPECT_TRUE(entradas(base.registro()).empty());
}

TEST_F(ActividadOficina, EliminarYRestituirDevuelveFilasIdenticas) {
    Conexion& db = base.registro();
    // A row from before the log, an import, and one whose overlapping record was left out.
    const Consulta vieja = Sentencias::insertarInfraccion(infraccionDe(
        partes("0123|20100101|101010|080|D. JOCKEY|12,5 V|SI|010|Peña|085|010|003|-05|030|070|060|7")));
    db.ejecutar(vieja.sql, vieja.parametros);
    ASSERT_TRUE(oficina.importar(preparado(archivo("12")), datosDe()).ok());
    const ResultadoImportacion segunda = oficina.importar(preparado(archivo("213")), datosDe());
    ASSERT_TRUE(segunda.ok());
    ASSERT_EQ(segunda.omitidos, 2);
    const QList<QStringList> antes = filasOrdenadas(db, QStringLiteral("0123"));
    ASSERT_EQ(antes.size(), 4);

    // The reason is required: nothing happens without it.
    auto e = nuevas([&] {
        EXPECT_THROW(oficina.eliminarImportacion(segunda.idImportacion, QStringLiteral("  ")), ErrorBD);
    });
    EXPECT_TRUE(e.empty());
    e = nuevas([&] {
        EXPECT_EQ(oficina.eliminarImportacion(segunda.idImportacion, QStringLiteral("Archivo equivocado")),
                  1);
    });
    ASSERT_EQ(e.size(), 1u);
    const QJsonObject retiro = detalles(e[0]);
    EXPECT_EQ(retiro.value(QStringLiteral("motivo")).toString(), QStringLiteral("Archivo equivocado"));
    EXPECT_EQ(retiro.value(QStringLiteral("sha256")).toString(), HuellaSha256(archivo("213")));
    EXPECT_EQ(retiro.value(QStringLiteral("registros_omitidos")).toArray(), (QJsonArray{0, 1}));
    EXPECT_EQ(filasOrdenadas(db, QStringLiteral("0123")).size(), 3);
    // Kept and marked, not gone.
    const std::vector<ImportacionRegistrada> historial = oficina.historialSeleccionado();
    ASSERT_EQ(historial.size(), 2u);
    EXPECT_TRUE(historial.front().retirada);
    EXPECT_EQ(oficina.originalImportacion(historial.front()).estado, EstadoOriginal::Correcto);
    EXPECT_THROW(oficina.eliminarImportacion(segunda.idImportacion, QStringLiteral("otra vez")), ErrorBD);

    e = nuevas([&] { EXPECT_EQ(oficina.restituirImportacion(segunda.idImportacion), 1); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("importacion.restituida"));
    EXPECT_EQ(filasOrdenadas(db, QStringLiteral("0123")), antes);
    EXPECT_FALSE(oficina.historialSeleccionado().front().retirada);
    EXPECT_THROW(oficina.restituirImportacion(segunda.idImportacion), ErrorBD);

    // An original that no longer decodes to the rows: the withdrawal keeps their values instead.
    const qint64 primera = oficina.historialSeleccionado().back().id;
    db.ejecutar(QStringLiteral("UPDATE OriginalesImportacion SET Datos = ? WHERE IdImportacion = ?"),
                {QByteArray("roto"), primera});
    ASSERT_EQ(oficina.eliminarImportacion(primera, QStringLiteral("prueba")), 2);
    EXPECT_EQ(oficina.restituirImportacion(primera), 2);
    EXPECT_EQ(filasOrdenadas(db, QStringLiteral("0123")), antes);

    // Deleting the client: its imports withdrawn, the row without an original kept value by value.
    e = nuevas([&] { oficina.eliminarSeleccionado(QStringLiteral("Cerró el local")); });
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].accion, QStringLiteral("cliente.baja"));
    const QJsonObject baja = detalles(e[0]);
    EXPECT_EQ(baja.value(QStringLiteral("datos")).toObject().value(QStringLiteral("Nombre")).toString(),
              QStringLiteral("Pe'ña Hnos."));
    EXPECT_EQ(baja.value(QStringLiteral("importaciones")).toArray().size(), 2);
    EXPECT_EQ(baja.value(QStringLiteral("valores_sin_original")).toArray(),
              (QJsonArray{QJsonArray::fromStringList(partes(
                  "0123|20100101|101010|080|D. JOCKEY|12,5 V|SI|010|Peña|085|010|003|-05|030|070|060|7"))}));
    EXPECT_EQ(cantidadInfracciones(db), 0);
    EXPECT_EQ(filas(db, QStringLiteral("SELECT count(*) FROM Importaciones WHERE Retirada = 1")),
              QList<QStringList>{{QStringLiteral("2")}});
    EXPECT_EQ(filas(db, QStringLiteral("SELECT count(*) FROM OriginalesImportacion")),
              QList<QStringList>{{QStringLiteral("2")}});
    EXPECT_FALSE(RoturaDeCadena(entradas(db)).has_value());
}
