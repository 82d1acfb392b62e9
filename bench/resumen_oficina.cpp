// The office summary of one year over 10,000 clients and 10,000,000 infractions spread evenly over
// ten years, on the embedded store and on a PostgreSQL server, next to bare aggregate SELECTs of
// the same counts in the same run, one from the rows and one from the monthly counts the summary
// reads: at most 500 ms and at most 1.3 times the bare SELECT.
// The big register is generated once (minutes) and kept: VELMORA_RESUMEN_DIR, by default
// resumen-10M/ beside the benchmark. The server's copy is made from it at every run unless
// VELMORA_RESUMEN_SIN_SERVIDOR is set; VELMORA_REGISTRO names an existing server register, empty
// (it is filled) or filled by an earlier run (it is reused).
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
#include <string>

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
    // Written around the import: the monthly counts take them in as anything else written so.
    db.comenzar();
    IncorporarFilasNuevas(db);
    db.confirmar();
    db.ejecutar(QStringLiteral("ANALYZE"));
}

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// The bare aggregate of the kept monthly counts: the year's per status and level, the year
// before's totals, by client number, without the clients or the days of partial months.
Consulta cuentasDesnudas(const PeriodoResumen& periodo) {
    const qint64 desde = periodo.desde.toString(QStringLiteral("yyyyMM")).toLongLong();
    QString sql = QStringLiteral("SELECT NumeroCliente, sum(CASE WHEN Mes >= ? THEN Filas ELSE 0 END), "
                                 "sum(CASE WHEN Mes < ? THEN Filas ELSE 0 END)");
    QVariantList v{desde, desde};
    for (const char* c : kColumnasEstatus) {
        sql += QStringLiteral(", sum(CASE WHEN Mes >= ? THEN %1 ELSE 0 END)").arg(QLatin1String(c));
        v << desde;
    }
    sql +=
        QStringLiteral(", max(CASE WHEN Mes >= ? THEN NivelMaximo END), sum(CASE WHEN Mes >= ? THEN Excesos "
                       "ELSE 0 END) FROM ResumenMensual WHERE Mes >= ? AND Mes <= ? GROUP BY NumeroCliente");
    v << desde << desde << PeriodoAnterior(periodo).desde.toString(QStringLiteral("yyyyMM")).toLongLong()
      << periodo.hasta.toString(QStringLiteral("yyyyMM")).toLongLong();
    return {sql, v};
}

struct Medianas {
    double resumen;
    double filas;   // the bare aggregate of the rows
    double cuentas; // the bare aggregate of the monthly counts
};

double correr(Conexion& db, const Consulta& c, qint64& n) {
    QElapsedTimer t;
    t.start();
    const auto st = db.preparar(c.sql);
    st->enlazarTodos(c.parametros);
    n = 0;
    qint64 suma = 0;
    while (st->paso()) {
        ++n;
        for (int k = 1; k < st->columnas(); ++k)
            suma += st->entero(k);
    }
    benchmark::DoNotOptimize(suma);
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// The summary and the two bare SELECTs, in turn, five times each; their medians in ms.
Medianas medir(Conexion& db, const PeriodoResumen& periodo) {
    std::vector<double> resumen;
    std::vector<double> filas;
    std::vector<double> cuentas;
    qint64 filasResumen = 0;
    qint64 nFilas = 0;
    qint64 nCuentas = 0;
    for (int vuelta = 0; vuelta < 6; ++vuelta) {
        QElapsedTimer t;
        t.start();
        const auto r = CalcularResumen(db, periodo, QDate(2025, 1, 1));
        const double a = static_cast<double>(t.nsecsElapsed()) / 1e6;
        filasResumen = r ? static_cast<qint64>(r->filas.size()) : -1;
        const double b = correr(db, ConsultaAgregadoDesnudo(db.dialecto(), periodo), nFilas);
        const double c = correr(db, cuentasDesnudas(periodo), nCuentas);
        if (vuelta > 0) { // the first run warms the caches
            resumen.push_back(a);
            filas.push_back(b);
            cuentas.push_back(c);
        }
    }
    const Medianas m{mediana(resumen), mediana(filas), mediana(cuentas)};
    std::fprintf(stderr,
                 "  %lld clientes en el resumen, %lld y %lld en los SELECT; resumen %.1f ms, SELECT de las "
                 "filas %.1f ms, de las cuentas mensuales %.1f ms\n",
                 static_cast<long long>(filasResumen), static_cast<long long>(nFilas),
                 static_cast<long long>(nCuentas), m.resumen, m.filas, m.cuentas);
    return m;
}

void imprimir(const char* almacen, const Medianas& m) {
    medidas::imprimir((std::string("resumen_anio_") + almacen).c_str(), m.resumen, m.filas,
                      medidas::Objetivo::ambos(1.3, 500, "<=500 ms y <=1.3x SELECT desnudo de las filas"));
    medidas::imprimir((std::string("resumen_anio_") + almacen + "_cuentas").c_str(), m.resumen, m.cuentas,
                      medidas::Objetivo::ambos(1.3, 500, "<=500 ms y <=1.3x SELECT desnudo de las cuentas"));
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
            imprimir("archivo", medir(db, anio));
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
        // A register named by VELMORA_REGISTRO that already holds the rows is measured as it is.
        bool lleno = false;
        if (!qEnvironmentVariableIsEmpty("VELMORA_REGISTRO")) {
            ConexionPostgres previo(conninfo);
            const auto st = previo.preparar(QStringLiteral("SELECT count(*) FROM Clientes"));
            lleno = st->paso() && st->entero(0) > kClientes;
        }
        if (!lleno) {
            QElapsedTimer t;
            t.start();
            PasarRegistroAlServidor(ruta, ClaveBaseDatos(), conninfo);
            std::fprintf(stderr, "Registro pasado al servidor en %.0f s\n",
                         static_cast<double>(t.elapsed()) / 1000);
        }
        ConexionPostgres db(conninfo);
        db.ejecutar(QStringLiteral("VACUUM ANALYZE"));
        std::fprintf(stderr, "Servidor:\n");
        imprimir("servidor", medir(db, anio));
    } catch (const ErrorBD& e) {
        std::fprintf(stderr, "%s\n%s\n", qPrintable(e.descripcion()), qPrintable(e.detalles()));
        return 1;
    }
    return 0;
}
