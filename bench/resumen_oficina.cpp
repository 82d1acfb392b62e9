// The office summary of one year over 10,000 clients and 10,000,000 infractions spread evenly over
// ten years, on the embedded store and on a PostgreSQL server, next to a bare aggregate SELECT of
// the same counts in the same run: at most 500 ms and at most 1.3 times the bare SELECT.
// The big register is generated once (minutes) and kept: VELMORA_RESUMEN_DIR, by default
// resumen-10M/ beside the benchmark. The server's copy is made from it at every run unless
// VELMORA_RESUMEN_SIN_SERVIDOR is set; VELMORA_REGISTRO names an existing empty server register.
#include "Generador.h"
#include "Medidas.h"
#include "ServidorPrueba.h"
#include "core/platform/DirectorioDatos.h"
#include "core/resumen/ResumenOficina.h"
#include "core/store/ConexionPostgres.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Dialecto.h"
#include "core/store/PasarRegistro.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kClientes = 10000;
constexpr int kPorCliente = 1000;
const QDate kPrimerDia(2015, 1, 1);
constexpr int kDias = 3652; // 2015-01-01 .. 2024-12-31

void generar(const QString& ruta) {
    ConexionSqlcipher db(ruta, ClaveBaseDatos());
    generador::agregarClientes(db, kClientes);
    const auto st = db.preparar(Sentencias::insertarInfraccion(FilaInfraccion{}).sql);
    QRandomGenerator rnd(2015);
    for (int c = 1; c <= kClientes; ++c) {
        if (c % 500 == 1)
            db.comenzar();
        int jockey = 0;
        int show = 0;
        const QString numero = generador::numeroCliente(c);
        for (int i = 0; i < kPorCliente; ++i) {
            // Evenly over the ten years, each client a little apart from the others.
            const QDate fecha =
                kPrimerDia.addDays((static_cast<qint64>(i) * kDias + c) / kPorCliente % kDias);
            const QStringList v =
                generador::infraccion(numero, fecha, static_cast<int>(rnd.bounded(86400)), rnd, jockey, show);
            st->reiniciar();
            for (int k = 0; k < v.size(); ++k)
                st->enlazar(k + 1, v.at(k));
            while (st->paso()) {
            }
        }
        if (c % 500 == 0 || c == kClientes)
            db.confirmar();
    }
    db.ejecutar(QStringLiteral("ANALYZE"));
}

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// The summary and the bare SELECT, alternately, five times each; their medians in ms.
std::pair<double, double> medir(Conexion& db, const PeriodoResumen& periodo) {
    std::vector<double> resumen;
    std::vector<double> desnudo;
    qint64 filasResumen = 0;
    qint64 filasDesnudo = 0;
    for (int vuelta = 0; vuelta < 6; ++vuelta) {
        QElapsedTimer t;
        t.start();
        const auto r = CalcularResumen(db, periodo, QDate(2025, 1, 1));
        const double a = static_cast<double>(t.nsecsElapsed()) / 1e6;
        filasResumen = r ? static_cast<qint64>(r->filas.size()) : -1;
        const Consulta c = ConsultaAgregadoDesnudo(db.dialecto(), periodo);
        t.start();
        const auto st = db.preparar(c.sql);
        st->enlazarTodos(c.parametros);
        qint64 n = 0;
        qint64 suma = 0;
        while (st->paso()) {
            ++n;
            for (int k = 1; k < st->columnas(); ++k)
                suma += st->entero(k);
        }
        const double b = static_cast<double>(t.nsecsElapsed()) / 1e6;
        filasDesnudo = n;
        if (vuelta > 0) { // the first run warms the caches
            resumen.push_back(a);
            desnudo.push_back(b);
        }
        benchmark::DoNotOptimize(suma);
    }
    std::fprintf(stderr,
                 "  %lld clientes en el resumen, %lld en el SELECT; resumen %.1f ms, SELECT %.1f ms\n",
                 static_cast<long long>(filasResumen), static_cast<long long>(filasDesnudo), mediana(resumen),
                 mediana(desnudo));
    return {mediana(resumen), mediana(desnudo)};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString dir = QString::fromLocal8Bit(qgetenv("VELMORA_RESUMEN_DIR"));
    if (dir.isEmpty())
        dir = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("resumen-10M"));
    QDir().mkpath(dir);
    const QString ruta = QDir(dir).filePath(QLatin1String(kNombreBaseDatos));
    const QString hecho = ruta + QStringLiteral(".completo");
    try {
        if (!QFileInfo::exists(hecho)) {
            QFile::remove(ruta);
            QElapsedTimer t;
            t.start();
            generar(ruta);
            QFile(hecho).open(QIODevice::WriteOnly);
            std::fprintf(stderr, "Registro grande generado en %.0f s\n",
                         static_cast<double>(t.elapsed()) / 1000);
        }
        const PeriodoResumen anio{QDate(2024, 1, 1), QDate(2024, 12, 31)};
        {
            ConexionSqlcipher db(ruta, ClaveBaseDatos());
            std::fprintf(stderr, "Archivo:\n");
            const auto [resumen, desnudo] = medir(db, anio);
            medidas::imprimir("resumen_anio_archivo", resumen, desnudo,
                              medidas::Objetivo::ambos(1.3, 500, "<=500 ms y <=1.3x SELECT desnudo"));
        }
        if (qEnvironmentVariableIsSet("VELMORA_RESUMEN_SIN_SERVIDOR"))
            return 0;
        QString conninfo = QString::fromLocal8Bit(qgetenv("VELMORA_REGISTRO"));
        if (conninfo.isEmpty()) {
            QString motivo;
            ServidorPrueba* s = ServidorPrueba::compartido(&motivo);
            if (!s) {
                std::fprintf(stderr, "Sin servidor PostgreSQL: %s\n", qPrintable(motivo));
                return 0;
            }
            conninfo = s->baseNueva();
        }
        QElapsedTimer t;
        t.start();
        PasarRegistroAlServidor(ruta, ClaveBaseDatos(), conninfo);
        std::fprintf(stderr, "Registro pasado al servidor en %.0f s\n",
                     static_cast<double>(t.elapsed()) / 1000);
        ConexionPostgres db(conninfo);
        db.ejecutar(QStringLiteral("VACUUM ANALYZE Infracciones"));
        std::fprintf(stderr, "Servidor:\n");
        const auto [resumen, desnudo] = medir(db, anio);
        medidas::imprimir("resumen_anio_servidor", resumen, desnudo,
                          medidas::Objetivo::ambos(1.3, 500, "<=500 ms y <=1.3x SELECT desnudo"));
    } catch (const ErrorBD& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.descripcion()));
        return 1;
    }
    return 0;
}
