// The shared register on a PostgreSQL server started here (as the tests do), reached through its
// Unix socket and through TCP to localhost, each interaction next to its anchor in the same run:
//   - start: the session opened and the list of 100,000 clients shown, against a bare libpq
//     connection and SELECT of the same rows;
//   - a search keystroke in the main window, against a plain scan of the loaded list;
//   - selecting a client with 200,000 infractions, against a bare libpq SELECT of its rows;
//   - importing the largest device file (65,534 records), against a bare COPY of the same rows;
//   - how long another desk's change takes to show in the list (95th percentile).
//   bench_servidor
#include "Generador.h"
#include "Medidas.h"
#include "ServidorPrueba.h"
#include "core/Oficina.h"
#include "core/import/Importacion.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/ConexionPostgres.h"
#include "core/store/Dialecto.h"
#include "core/store/Recordset.h"
#include "windows/clients/VentanaPrincipal.h"
#include "windows/grid/AnchoColumnas.h"
#include "windows/grid/GridModel.h"
#include "windows/platform/Mensajes.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFont>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>

#include <libpq-fe.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int kClientes = 100000;
constexpr int kInfracciones = 200000;
const QString kCliente = generador::numeroCliente(1);

class SinMensajes : public Mensajero {
public:
    Respuesta mostrar(const QString&, const QString&, Icono, Botones b, const QString&) override {
        return b == Botones::SiNo ? Respuesta::No : Respuesta::Aceptar;
    }
};

double ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    if (v.empty())
        return -1;
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double percentil95(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    if (v.empty())
        return -1;
    return v[static_cast<size_t>(std::ceil(0.95 * static_cast<double>(v.size()))) - 1];
}

// Ours and its anchor taken in turns, `veces` each.
struct Par {
    std::vector<double> nuestro;
    std::vector<double> ancla;
};
Par enTurnos(int veces, const std::function<double()>& nuestro, const std::function<double()>& ancla) {
    Par p;
    for (int i = 0; i < veces; ++i) {
        p.ancla.push_back(ancla());
        p.nuestro.push_back(nuestro());
    }
    return p;
}

// All the values of a bare libpq query, read as the program reads them (text).
qint64 leerTodo(PGconn* c, const QByteArray& sql, const QByteArray& parametro = QByteArray()) {
    const char* valores[] = {parametro.constData()};
    PGresult* r = parametro.isNull()
                      ? PQexec(c, sql.constData())
                      : PQexecParams(c, sql.constData(), 1, nullptr, valores, nullptr, nullptr, 0);
    if (PQresultStatus(r) != PGRES_TUPLES_OK)
        qFatal("%s", PQresultErrorMessage(r));
    qint64 bytes = 0;
    const int filas = PQntuples(r);
    const int columnas = PQnfields(r);
    for (int f = 0; f < filas; ++f)
        for (int c2 = 0; c2 < columnas; ++c2)
            bytes += PQgetlength(r, f, c2) + (PQgetvalue(r, f, c2) ? 1 : 0);
    PQclear(r);
    return bytes;
}

PGconn* conectar(const QString& conninfo) {
    PGconn* c = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(c) != CONNECTION_OK)
        qFatal("%s", PQerrorMessage(c));
    return c;
}

void esperar(int ms) {
    QEventLoop bucle;
    QTimer::singleShot(ms, &bucle, &QEventLoop::quit);
    bucle.exec();
}

void medirVia(const char* via, const QString& datos, const QString& importacion,
              const ArchivoImportacion& archivo, const QByteArray& filasCopia) {
    const std::string prefijo = std::string("servidor_") + via + "_";
    QFont fuente(QStringLiteral("Arial"));

    // Start: the session and the list shown, as the main window shows it.
    {
        ConexionPostgres muestra(datos);
        const QByteArray sql = muestra.dialecto().traducir(Sentencias::listaClientes().sql).toUtf8();
        const Par p = enTurnos(
            3,
            [&] {
                QElapsedTimer t;
                t.start();
                auto db = std::make_unique<ConexionPostgres>(datos);
                auto oficina = std::make_unique<Oficina>(*db);
                oficina->abrirClientes();
                GridModel lista;
                auto indices = std::make_shared<const std::vector<quint32>>(oficina->indicesListados());
                lista.bind(QStringList(24, QString()), indices->size(),
                           [todos = oficina->todosLosClientes(), indices](std::size_t i, int col) {
                               return todos->texto((*indices)[i], col);
                           });
                AnchosColumnas(lista, fuente, 13, EstimarAnchos(oficina->todosLosClientes(), fuente, 13),
                               oficina->indicesListados());
                return ms(t);
            },
            [&] {
                QElapsedTimer t;
                t.start();
                PGconn* c = conectar(datos);
                leerTodo(c, sql);
                PQfinish(c);
                return ms(t);
            });
        medidas::imprimir((prefijo + "inicio_100k").c_str(), mediana(p.nuestro), mediana(p.ancla),
                          medidas::Objetivo::veces(1.5, "<=1.5x SELECT desnudo (libpq)"));
    }

    // The main window on this desk.
    ConexionPostgres db(datos);
    Oficina oficina(db);
    oficina.establecerUsuario(QStringLiteral("Administrador"));
    auto principal = std::make_unique<VentanaPrincipal>(oficina);
    principal->show();
    principal->resize(1366, 768);
    QApplication::processEvents();
    auto* columna = principal->findChild<QComboBox*>(QStringLiteral("columnaBusqueda"));
    auto* busqueda = principal->findChild<QLineEdit*>(QStringLiteral("textoBusqueda"));

    // A keystroke that lists every client, against scanning the loaded list in memory.
    {
        columna->setCurrentIndex(columna->findText(QStringLiteral("Direccion")));
        QApplication::processEvents();
        Recordset r;
        r.abrir(db, Sentencias::listaClientes());
        const std::vector<QStringList> todos = r.tomarFilas();
        const int col = Sentencias::columnaListaBusqueda(QStringLiteral("Direccion"));
        bool mayusculas = false;
        const Par p = enTurnos(
            10,
            [&] {
                mayusculas = !mayusculas;
                QElapsedTimer t;
                t.start();
                busqueda->setText(mayusculas ? QStringLiteral("CALLE") : QStringLiteral("calle"));
                QApplication::processEvents();
                return ms(t);
            },
            [&] {
                const QString texto = mayusculas ? QStringLiteral("calle") : QStringLiteral("CALLE");
                QElapsedTimer t;
                t.start();
                std::vector<QStringList> encontradas;
                for (const QStringList& fila : todos)
                    if (fila.at(col).contains(texto, Qt::CaseInsensitive))
                        encontradas.push_back(fila);
                return ms(t);
            });
        busqueda->setText(QString());
        QApplication::processEvents();
        medidas::imprimir((prefijo + "busqueda_tecla_100k").c_str(), mediana(p.nuestro), mediana(p.ancla),
                          medidas::Objetivo::hastaMs(50, "<50 ms"));
    }

    // Selecting the big client, against a bare SELECT of its rows.
    {
        qint64 id = 0;
        const auto todos = oficina.todosLosClientes();
        for (const quint32 i : oficina.indicesListados())
            if (todos->texto(i, 1) == kCliente)
                id = todos->texto(i, 0).toLongLong();
        PGconn* c = conectar(datos);
        const Consulta consulta = Sentencias::infraccionesCliente(kCliente);
        const QByteArray sql = db.dialecto().traducir(consulta.sql).toUtf8();
        const Par p = enTurnos(
            3,
            [&] {
                oficina.seleccionar(0);
                QApplication::processEvents();
                QElapsedTimer t;
                t.start();
                oficina.seleccionar(id);
                QApplication::processEvents();
                return ms(t);
            },
            [&] {
                QElapsedTimer t;
                t.start();
                leerTodo(c, sql, kCliente.toUtf8());
                return ms(t);
            });
        PQfinish(c);
        oficina.seleccionar(0);
        QApplication::processEvents();
        medidas::imprimir((prefijo + "seleccion_cliente_200k").c_str(), mediana(p.nuestro), mediana(p.ancla),
                          medidas::Objetivo::veces(1.5, "<=1.5x SELECT desnudo (libpq)"));
    }

    // Another desk changes a client; the time until this desk's list shows it.
    {
        PGconn* otra = conectar(datos);
        std::vector<double> demoras;
        QElapsedTimer t;
        bool visto = false;
        const QMetaObject::Connection aviso = QObject::connect(&oficina, &Oficina::clientesCambiados, [&] {
            if (!visto) {
                demoras.push_back(ms(t));
                visto = true;
            }
        });
        for (int i = 0; i < 20; ++i) {
            esperar(53 * i % 500); // at any point of the other desk's half-second poll
            visto = false;
            const QByteArray sql =
                QStringLiteral("UPDATE Clientes SET Notas = 'cambio %1' WHERE NumeroCliente = '%2'")
                    .arg(i)
                    .arg(generador::numeroCliente(2))
                    .toUtf8();
            PQclear(PQexec(otra, sql.constData()));
            t.start();
            QElapsedTimer limite;
            limite.start();
            while (!visto && limite.elapsed() < 5000)
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            if (!visto)
                demoras.push_back(5000);
        }
        QObject::disconnect(aviso);
        PQfinish(otra);
        medidas::imprimir((prefijo + "cambio_visible_p95").c_str(), percentil95(demoras), 0,
                          medidas::Objetivo::hastaMs(1000, "<=1 s (percentil 95)"));
    }
    principal.reset();

    // The import, against a bare COPY of the same rows into the same table.
    {
        ConexionPostgres destino(importacion);
        PGconn* c = destino.handle();
        const auto vaciar = [&] {
            destino.ejecutar(QStringLiteral("TRUNCATE Infracciones, Importaciones, OriginalesImportacion"));
        };
        const Par p = enTurnos(
            2,
            [&] {
                vaciar();
                DatosImportacion d;
                d.numeroCliente = QStringLiteral("0001");
                d.fecha = QDate(2011, 9, 28);
                d.hora = QTime(14, 5, 30);
                d.inspector = QStringLiteral("Administrador");
                QElapsedTimer t;
                t.start();
                const ResultadoImportacion r = escribirImportacion(destino, archivo, d);
                const double s = ms(t);
                if (!r.ok() || r.registros != archivo.registros)
                    qFatal("importación fallida: %s", qPrintable(r.detalle));
                return s;
            },
            [&] {
                vaciar();
                QElapsedTimer t;
                t.start();
                PQclear(PQexec(c, "BEGIN"));
                PQclear(PQexec(c, "COPY Infracciones (NumeroCliente,FechaInfraccion,HoraInfraccion,NiveldB,"
                                  "Microfono,Estado,TensionLinea,PorcentajeCompresion,Inspector,Maxdb,dbaten,"
                                  "excesos,caldb,segpenal,nivelconsola,nivelruido,contadorinf,IdImportacion) "
                                  "FROM STDIN"));
                PQputCopyData(c, filasCopia.constData(), static_cast<int>(filasCopia.size()));
                PQputCopyEnd(c, nullptr);
                while (PGresult* r = PQgetResult(c))
                    PQclear(r);
                PQclear(PQexec(c, "COMMIT"));
                return ms(t);
            });
        medidas::imprimir((prefijo + "importacion_65534").c_str(), mediana(p.nuestro), mediana(p.ancla),
                          medidas::Objetivo::veces(1.5, "<=1.5x COPY desnudo"));
    }
}

QString nombreBase(const QString& conninfo) {
    return QRegularExpression(QStringLiteral("dbname=(\\S+)")).match(conninfo).captured(1);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    EstablecerDirectorioDatos(dir.path());
    SinMensajes sinMensajes;
    InstalarMensajero(&sinMensajes);
    QString motivo;
    ServidorPrueba* s = ServidorPrueba::compartido(&motivo);
    if (!s) {
        std::fprintf(stderr, "Sin servidor PostgreSQL: %s\n", qPrintable(motivo));
        return 1;
    }
    if (!s->escucharTcp()) {
        std::fprintf(stderr, "El servidor no pudo escuchar por TCP\n");
        return 1;
    }
    QElapsedTimer t;
    t.start();
    const QString datos = nombreBase(s->baseNueva());
    {
        ConexionPostgres db(s->conninfo(datos));
        generador::agregarClientes(db, kClientes);
        generador::agregarInfracciones(db, kCliente, kInfracciones);
        db.ejecutar(QStringLiteral("ANALYZE"));
    }
    const QString importacion = nombreBase(s->baseNueva());
    {
        ConexionPostgres db(s->conninfo(importacion));
        generador::agregarClientes(db, 1);
    }
    std::fprintf(stderr, "Registro en el servidor: %d clientes, %d infracciones en %.1f s\n", kClientes,
                 kInfracciones, static_cast<double>(t.elapsed()) / 1000.0);

    QTemporaryDir archivos;
    const QString ruta = QDir(archivos.path()).filePath(QStringLiteral("maximo.kvd"));
    QFile f(ruta);
    f.open(QIODevice::WriteOnly);
    f.write(generador::archivoMaximo("0001"));
    f.close();
    ArchivoImportacion archivo;
    if (!leerArchivoImportacion(ruta, archivo).ok())
        return 1;
    // The same rows as the import stores them, log id included (it feeds an index).
    QByteArray filasCopia;
    for (int i = 0; i < kMaximoContador; ++i) {
        filasCopia +=
            "0001\t20110928\t140530\t085\t1\t12,5 V\tSI\t042\tAdministrador\t085\t010\t003\t-05\t030\t070"
            "\t060\t1.\t1\n";
        filasCopia +=
            "0001\t20110928\t140531\t092\t2\t12,4 V\tNO\t010\tAdministrador\t085\t010\t003\t-05\t030\t070"
            "\t060\t2\t1\n";
    }
    medirVia("socket", s->conninfo(datos), s->conninfo(importacion), archivo, filasCopia);
    medirVia("tcp", s->conninfoTcp(datos), s->conninfoTcp(importacion), archivo, filasCopia);
    InstalarMensajero(nullptr);
    return 0;
}
