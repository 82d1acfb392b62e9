// Four desks at once on one server for half a minute, the server restarted once and sessions
// ended at random: what each desk was told is what the register holds, nothing is half-stored,
// the log's chain is whole, every desk works again afterwards and shows the server's list.
#include "ServidorPrueba.h"
#include "SimuladorOficinas.h"

#include <gtest/gtest.h>

namespace {

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
