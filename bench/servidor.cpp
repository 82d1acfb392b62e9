// The import of the largest device file (65,534 records) into the shared register on a PostgreSQL
// server, next to a bare COPY of the same rows into the same table in the same run: the import
// decodes, checks, logs and keeps the original on top of writing the rows, and should stay within
// twice the COPY. The server is started here (as the tests do) unless VELMORA_REGISTRO names one.
#include "Generador.h"
#include "Medidas.h"
#include "ServidorPrueba.h"
#include "core/import/Importacion.h"
#include "core/store/ConexionPostgres.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

QString conninfo;
ArchivoImportacion archivo;
QByteArray filasCopia; // the rows the import writes, in COPY's text format
std::map<std::string, std::vector<double>> tiempos;

void vaciar(Conexion& db) {
    db.ejecutar(QStringLiteral("TRUNCATE Infracciones, Importaciones, OriginalesImportacion"));
}

void Importacion(benchmark::State& state) {
    ConexionPostgres db(conninfo);
    for (auto _ : state) {
        vaciar(db);
        DatosImportacion d;
        d.numeroCliente = QStringLiteral("0001");
        d.fecha = QDate(2011, 9, 28);
        d.hora = QTime(14, 5, 30);
        d.inspector = QStringLiteral("Administrador");
        QElapsedTimer t;
        t.start();
        const ResultadoImportacion r = escribirImportacion(db, archivo, d);
        const double s = static_cast<double>(t.nsecsElapsed()) / 1e9;
        if (!r.ok() || r.registros != archivo.registros)
            state.SkipWithError(r.detalle.toUtf8().constData());
        state.SetIterationTime(s);
        tiempos["importacion"].push_back(s * 1000);
    }
}

void CopiaDesnuda(benchmark::State& state) {
    ConexionPostgres db(conninfo);
    PGconn* c = db.handle();
    for (auto _ : state) {
        vaciar(db);
        QElapsedTimer t;
        t.start();
        PQclear(PQexec(c, "BEGIN"));
        PQclear(PQexec(c, "COPY Infracciones (NumeroCliente,FechaInfraccion,HoraInfraccion,NiveldB,Microfono,"
                          "Estado,TensionLinea,PorcentajeCompresion,Inspector,Maxdb,dbaten,excesos,caldb,"
                          "segpenal,nivelconsola,nivelruido,contadorinf,IdImportacion) FROM STDIN"));
        PQputCopyData(c, filasCopia.constData(), static_cast<int>(filasCopia.size()));
        PQputCopyEnd(c, nullptr);
        while (PGresult* r = PQgetResult(c))
            PQclear(r);
        PQclear(PQexec(c, "COMMIT"));
        const double s = static_cast<double>(t.nsecsElapsed()) / 1e9;
        state.SetIterationTime(s);
        tiempos["copia"].push_back(s * 1000);
    }
}

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::unique_ptr<ServidorPrueba> propio;
    conninfo = QString::fromLocal8Bit(qgetenv("VELMORA_REGISTRO"));
    if (conninfo.isEmpty()) {
        QString motivo;
        ServidorPrueba* s = ServidorPrueba::compartido(&motivo);
        if (!s) {
            std::fprintf(stderr, "Sin servidor PostgreSQL: %s\n", qPrintable(motivo));
            return 1;
        }
        conninfo = s->baseNueva();
    }
    {
        ConexionPostgres db(conninfo);
        generador::agregarClientes(db, 1);
    }
    QTemporaryDir dir;
    const QString ruta = QDir(dir.path()).filePath(QStringLiteral("maximo.kvd"));
    QFile f(ruta);
    f.open(QIODevice::WriteOnly);
    f.write(generador::archivoMaximo("0001"));
    f.close();
    if (!leerArchivoImportacion(ruta, archivo).ok())
        return 1;
    // The same rows as the import stores them, log id included (it feeds an index).
    for (int i = 0; i < kMaximoContador; ++i) {
        filasCopia +=
            "0001\t20110928\t140530\t085\t1\t12,5 V\tSI\t042\tAdministrador\t085\t010\t003\t-05\t030\t070"
            "\t060\t1.\t1\n";
        filasCopia +=
            "0001\t20110928\t140531\t092\t2\t12,4 V\tNO\t010\tAdministrador\t085\t010\t003\t-05\t030\t070"
            "\t060\t2\t1\n";
    }
    benchmark::RegisterBenchmark("ImportacionServidor", Importacion)
        ->Iterations(3)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("CopiaDesnuda", CopiaDesnuda)
        ->Iterations(3)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!tiempos["importacion"].empty() && !tiempos["copia"].empty())
        medidas::imprimir("registro_servidor_importacion", mediana(tiempos["importacion"]),
                          mediana(tiempos["copia"]), medidas::Objetivo::veces(2, "<=2x COPY"));
    return 0;
}
