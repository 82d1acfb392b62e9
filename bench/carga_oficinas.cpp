// Desks without windows on a PostgreSQL server started here, each signed in with its own login
// over TLS, importing, editing, withdrawing and restoring, searching and issuing documents at
// random, while the server is restarted once and sessions are ended. Reports operations per
// second, the 95th percentile of each kind of operation and the seconds until every desk shows
// the server's client list after the last change.
//   bench_carga_oficinas        (VELMORA_CARGA_PUESTOS, 16 by default; VELMORA_CARGA_SEGUNDOS, 300)
#include "Medidas.h"
#include "ServidorPrueba.h"
#include "SimuladorOficinas.h"

#include <QGuiApplication>

#include <cstdio>
#include <string>

namespace {

int entorno(const char* nombre, int porDefecto) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(nombre, &ok);
    return ok && v > 0 ? v : porDefecto;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString motivo;
    ServidorPrueba* servidor = ServidorPrueba::compartido(&motivo);
    if (!servidor) {
        std::fprintf(stderr, "Sin servidor PostgreSQL: %s\n", qPrintable(motivo));
        return 1;
    }
    OpcionesSimulacion o;
    o.puestos = entorno("VELMORA_CARGA_PUESTOS", 16);
    o.segundos = entorno("VELMORA_CARGA_SEGUNDOS", 300);
    o.semilla = static_cast<unsigned>(entorno("VELMORA_CARGA_SEMILLA", 1));
    o.clientesIniciales = 60;
    std::fprintf(stderr, "%d puestos durante %d s...\n", o.puestos, o.segundos);
    const ResultadoSimulacion r = SimularOficinas(*servidor, o);

    std::fprintf(stderr,
                 "%lld hechas, %lld rechazadas (conflictos), %lld cortadas por fallas en %.1f s: "
                 "%.1f operaciones por segundo; %d reinicio(s), %d sesiones cortadas\n",
                 static_cast<long long>(r.hechas), static_cast<long long>(r.rechazadas),
                 static_cast<long long>(r.cortadas), r.segundos, r.operacionesPorSegundo(), r.reinicios,
                 r.sesionesCortadas);
    for (const auto& [mensaje, veces] : r.mensajes)
        std::fprintf(stderr, "%6d  %s\n", veces, qPrintable(mensaje));
    for (const QString& falta : r.faltas)
        std::fprintf(stderr, "FALTA: %s\n", qPrintable(falta));

    const std::string prefijo = "carga_" + std::to_string(o.puestos) + "_puestos_";
    // The figures script reads milliseconds: the rate goes as the time between operations, the
    // rate itself in the target's text.
    char texto[96];
    std::snprintf(texto, sizeof texto, "informativo: %.1f operaciones por segundo",
                  r.operacionesPorSegundo());
    if (r.hechas > 0)
        medidas::imprimir((prefijo + "ms_por_operacion").c_str(), 1000.0 / r.operacionesPorSegundo(), 0,
                          medidas::Objetivo::ninguno(texto));
    for (const auto& [tipo, ms] : r.latencias) {
        std::snprintf(texto, sizeof texto, "informativo: percentil 95 de %zu", ms.size());
        medidas::imprimir((prefijo + "p95_" + tipo.toStdString()).c_str(), Percentil95(ms), 0,
                          medidas::Objetivo::ninguno(texto));
    }
    if (r.segundosHastaAcuerdo >= 0)
        medidas::imprimir((prefijo + "acuerdo").c_str(), r.segundosHastaAcuerdo * 1000.0, 0,
                          medidas::Objetivo::hastaMs(2000, "<=2 s hasta que todos los puestos coinciden"));
    return r.faltas.isEmpty() ? 0 : 1;
}
