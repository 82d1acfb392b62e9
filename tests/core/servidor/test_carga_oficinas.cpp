// Four desks at once on one server for half a minute, the server restarted once and sessions
// ended at random: what each desk was told is what the register holds, nothing is half-stored,
// the log's chain is whole, every desk works again afterwards and shows the server's list.
#include "Almacenes.h"
#include "ArchivosDePrueba.h"
#include "ServidorPrueba.h"
#include "SimuladorOficinas.h"
#include "core/Oficina.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

namespace {

::testing::AssertionResult contiene(const std::string& texto, const char* parte) {
    if (texto.find(parte) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "sin «" << parte << "» en:\n" << texto;
}

// The checks the run ends with find each kind of fault: a desk told wrong, a row removed behind
// the program's back, a row without its client.
TEST(CargaOficinas, LaComprobacionHallaLasFaltas) {
    RegistroDePrueba registro;
    PREPARAR_ALMACEN(registro, Almacen::Servidor);
    Conexion& db = registro.conexion();
    Oficina oficina(db);
    oficina.establecerUsuario(QStringLiteral("Administrador"));
    Cliente c = Cliente::desdeFila(QStringList(24, QStringLiteral("x")));
    c.id = 0;
    c.numero = QStringLiteral("0123");
    oficina.guardarCliente(c);
    ArchivoImportacion archivo;
    ASSERT_TRUE(prepararImportacion(prueba::archivo("12121"), archivo).ok());
    DatosImportacion datos;
    datos.numeroCliente = QStringLiteral("0123");
    datos.fecha = QDate(2011, 9, 28);
    datos.hora = QTime(14, 5, 30);
    datos.nombreArchivo = QStringLiteral("a.kvd");
    const ResultadoImportacion r = oficina.importar(archivo, datos);
    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash(archivo.datos, QCryptographicHash::Sha256).toHex());
    const std::vector<ImportacionInformada> dicha{{0, sha, r.idImportacion, 5}};
    EXPECT_EQ(ComprobarRegistro(db, dicha, {}), QStringList());

    const auto faltas = [&](const std::vector<ImportacionInformada>& guardadas,
                            const QSet<QString>& fallidas) {
        return ComprobarRegistro(db, guardadas, fallidas).join(QLatin1Char('\n')).toStdString();
    };
    EXPECT_TRUE(contiene(faltas({}, {sha}), "informada como fallida quedó guardada"));
    EXPECT_TRUE(contiene(faltas({{0, sha, r.idImportacion, 4}}, {}), "tiene 5 filas; se informaron 4"));
    EXPECT_TRUE(contiene(faltas({{0, QStringLiteral("otra"), 99, 5}}, {}), "está 0 veces"));
    db.ejecutar(QStringLiteral("DELETE FROM Infracciones WHERE id = (SELECT max(id) FROM Infracciones)"));
    const std::string mitad = faltas(dicha, {});
    EXPECT_TRUE(contiene(mitad, "quedó a medias: 4 filas de 5"));
    EXPECT_TRUE(contiene(mitad, "Verificar registro: "));
    db.ejecutar(QStringLiteral("INSERT INTO Infracciones (NumeroCliente) VALUES ('9999')"));
    EXPECT_TRUE(contiene(faltas(dicha, {}), "1 filas de infracciones sin su cliente"));
}

TEST(CargaOficinas, CuatroPuestosConReinicioYSesionesCortadas) {
    QString motivo;
    ServidorPrueba* servidor = ServidorPrueba::compartido(&motivo);
    if (!servidor)
        GTEST_SKIP() << "Sin servidor PostgreSQL: " << motivo.toStdString();
    OpcionesSimulacion opciones;
    opciones.puestos = 4;
    opciones.segundos = 30;
    opciones.semilla = 27;
    const ResultadoSimulacion r = SimularOficinas(*servidor, opciones);
    for (const QString& falta : r.faltas)
        ADD_FAILURE() << falta.toStdString();
    for (const auto& [mensaje, veces] : r.mensajes)
        std::printf("%5d  %s\n", veces, qPrintable(mensaje));
    std::printf("%lld hechas, %lld rechazadas, %lld cortadas en %.1f s; acuerdo en %.2f s\n",
                static_cast<long long>(r.hechas), static_cast<long long>(r.rechazadas),
                static_cast<long long>(r.cortadas), r.segundos, r.segundosHastaAcuerdo);
    EXPECT_EQ(r.reinicios, 1);
    EXPECT_GT(r.sesionesCortadas, 0);
    // The failures reached the desks, each with its Spanish message, and were survived.
    EXPECT_GT(r.cortadas, 0);
    EXPECT_GE(r.segundosHastaAcuerdo, 0.0);
    EXPECT_LE(r.segundosHastaAcuerdo, 2.0);
    for (const char* tipo :
         {"importacion", "edicion", "alta", "retiro", "restitucion", "busqueda", "documento"})
        EXPECT_GT(r.latencias.count(QString::fromLatin1(tipo))
                      ? r.latencias.at(QString::fromLatin1(tipo)).size()
                      : 0u,
                  0u)
            << tipo;
}

} // namespace
