#pragma once

// Fills a database with realistic clients and infractions for the benchmarks.

#include "core/clients/Cliente.h"
#include "core/import/ArchivoInspeccion.h"
#include "core/store/Conexion.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Sentencias.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace generador {

inline QString numeroCliente(int i) {
    return QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
}

inline void agregarClientes(Conexion& db, int cantidad, int primero = 1, quint32 semilla = 42) {
    static const char* const nombres[] = {"Juan Pérez",     "María Gómez",     "Peña Hnos.",    "Sofía Núñez",
                                          "Carlos O'Neill", "Lucía Fernández", "Diego Álvarez", "Ana Ruiz"};
    static const char* const locales[] = {"Bar El Ñandú",     "Boliche La Estación", "Pub Barrio Norte",
                                          "Salón Los Álamos", "Club Social",         "Parrilla Don José"};
    static const char* const localidades[] = {"Quilmes", "Bernal", "Ezpeleta", "Don Bosco", "Wilde"};
    QRandomGenerator rnd(semilla);
    Transaccion t(db);
    const auto st = db.preparar(Sentencias::insertarCliente(Cliente{}).sql);
    for (int i = 0; i < cantidad; ++i) {
        const int n = primero + i;
        const QDate alta = QDate(2010, 1, 1).addDays(rnd.bounded(4000));
        const QStringList v = {numeroCliente(n),
                               QString::fromUtf8(nombres[rnd.bounded(8)]) + QStringLiteral(" %1").arg(n),
                               QStringLiteral("Calle %1 %2").arg(rnd.bounded(900)).arg(rnd.bounded(9999)),
                               QString::fromUtf8(localidades[rnd.bounded(5)]),
                               QString::number(1800 + rnd.bounded(200)),
                               QStringLiteral("Quilmes"),
                               QStringLiteral("Buenos Aires"),
                               QStringLiteral("4%1").arg(rnd.bounded(1000000, 9999999)),
                               QStringLiteral("15%1").arg(rnd.bounded(10000000, 99999999)),
                               QStringLiteral("cliente%1@correo.com.ar").arg(n),
                               alta.toString(QStringLiteral("yyyyMMdd")),
                               QString::fromUtf8(locales[rnd.bounded(6)]) + QStringLiteral(" %1").arg(n),
                               QStringLiteral("Av. Mitre %1").arg(rnd.bounded(9999)),
                               QString::fromUtf8(localidades[rnd.bounded(5)]),
                               QStringLiteral("Quilmes"),
                               QStringLiteral("Buenos Aires"),
                               QStringLiteral("4%1").arg(rnd.bounded(1000000, 9999999)),
                               QStringLiteral("local%1@correo.com.ar").arg(n),
                               alta.addDays(300).toString(QStringLiteral("yyyyMMdd")),
                               QStringLiteral("221500"),
                               alta.addDays(100).toString(QStringLiteral("yyyyMMdd")),
                               QStringLiteral("013000"),
                               QStringLiteral("Sin observaciones")};
        st->reiniciar();
        for (int k = 0; k < v.size(); ++k)
            st->enlazar(k + 1, v.at(k));
        while (st->paso()) {
        }
    }
    t.confirmar();
}

// One infraction row as the import stores it; status mix and group marks like a real device.
inline QStringList infraccion(const QString& numero, const QDate& fecha, int segundos, QRandomGenerator& rnd,
                              int& jockey, int& show,
                              const QString& inspector = QStringLiteral("Administrador")) {
    static const char* const estatus[] = {"MIC. DESC.",  "D. JOCKEY",    "L. SHOW",     "BAT. DESC.",
                                          "EXCESO INF.", "REINICIO EQ.", "APERT. GAB.", ""};
    const int r = rnd.bounded(100);
    const int codigo = r < 40 ? 1 : (r < 80 ? 2 : (r < 97 ? static_cast<int>(rnd.bounded(7)) : 7));
    QString contador;
    if (codigo == 1)
        contador = QString::number(++jockey);
    else if (codigo == 2)
        contador = QString::number(++show);
    else if (codigo != 7)
        contador = QStringLiteral("BLOQ.");
    if (rnd.bounded(50) == 0)
        contador += QLatin1Char('.');
    const QTime hora = QTime(0, 0).addSecs(segundos % 86400);
    return {numero,
            fecha.toString(QStringLiteral("yyyyMMdd")),
            hora.toString(QStringLiteral("HHmmss")),
            QStringLiteral("%1").arg(70 + rnd.bounded(40), 3, 10, QLatin1Char('0')),
            QString::fromLatin1(estatus[codigo == 7 ? 7 : codigo]),
            QStringLiteral("1%1,%2 V").arg(rnd.bounded(2, 4)).arg(rnd.bounded(10)),
            rnd.bounded(10) ? QStringLiteral("SI") : QStringLiteral("NO"),
            QStringLiteral("%1").arg(rnd.bounded(100), 3, 10, QLatin1Char('0')),
            inspector,
            QStringLiteral("095"),
            QStringLiteral("085"),
            QStringLiteral("003"),
            QStringLiteral("- 05"),
            QStringLiteral("010"),
            QStringLiteral("060"),
            QStringLiteral("070"),
            contador};
}

inline void agregarInfracciones(Conexion& db, const QString& numero, qint64 cantidad, quint32 semilla = 7) {
    QRandomGenerator rnd(semilla);
    int jockey = 0;
    int show = 0;
    Transaccion t(db);
    const auto st = db.preparar(Sentencias::insertarInfraccion(FilaInfraccion{}).sql);
    QDate fecha(2011, 1, 1);
    int segundos = 0;
    for (qint64 i = 0; i < cantidad; ++i) {
        segundos += 30 + static_cast<int>(rnd.bounded(600));
        if (segundos >= 86400) {
            segundos -= 86400;
            fecha = fecha.addDays(1);
        }
        const QStringList v = infraccion(numero, fecha, segundos, rnd, jockey, show);
        st->reiniciar();
        for (int k = 0; k < v.size(); ++k)
            st->enlazar(k + 1, v.at(k));
        while (st->paso()) {
        }
    }
    t.confirmar();
}

// Spreads infractions over the first `clientes` client numbers.
inline void agregarInfraccionesRepartidas(Conexion& db, int clientes, qint64 cantidad) {
    const qint64 porCliente = cantidad / std::max(1, clientes);
    for (int c = 1; c <= clientes; ++c)
        agregarInfracciones(db, numeroCliente(c),
                            c == clientes ? cantidad - porCliente * (clientes - 1) : porCliente,
                            static_cast<quint32>(c));
}

// The largest file the device's counters allow: 65,534 records alternating status 1 with
// the group mark and status 2 without it.
// `anio` (two digits) dates the records: files of different years share no record and no bytes.
inline QByteArray archivoMaximo(const QByteArray& cliente = "0001", const QByteArray& anio = "11") {
    QByteArray d = cliente + QByteArray("280911"
                                        "140530"
                                        "085"
                                        "010"
                                        "003"
                                        "105"
                                        "030"
                                        "070"
                                        "060"
                                        "1"
                                        "100080306023045"
                                        "070010004002015"
                                        "230100205011059"
                                        ";\r");
    d.reserve(kLongitudCabecera + kLongitudRegistro * 2 * kMaximoContador);
    for (int i = 0; i < kMaximoContador; ++i) {
        d += anio + "0928"
                    "140530"
                    "125"
                    "1"
                    "1"
                    "085"
                    "042"
                    ".\n"; // status 1, group mark
        d += anio + "0928"
                    "140531"
                    "124"
                    "0"
                    "2"
                    "092"
                    "010"
                    " \n"; // status 2
    }
    return d;
}

// A generated register kept between runs: under $VELMORA_BENCH_DATOS (the figures script gives
// one folder per benchmark build) it is made once and reused; without it, in a temporary folder.
// It is filled under a provisional name and renamed when complete, so a run cut short leaves
// nothing that would be taken as whole. Benchmarks that write must work on a copy.
inline QString registroGuardado(const QString& nombre, const std::function<void(Conexion&)>& llenar) {
    static QTemporaryDir temporal;
    const QString carpeta = qEnvironmentVariableIsEmpty("VELMORA_BENCH_DATOS")
                                ? temporal.path()
                                : QString::fromLocal8Bit(qgetenv("VELMORA_BENCH_DATOS"));
    QDir().mkpath(carpeta);
    const QString ruta = QDir(carpeta).filePath(nombre);
    if (QFile::exists(ruta))
        return ruta;
    const QString provisional = ruta + QStringLiteral(".provisional");
    QFile::remove(provisional);
    QElapsedTimer t;
    t.start();
    {
        ConexionSqlcipher db(provisional, ClaveBaseDatos());
        llenar(db);
    }
    if (!QFile::rename(provisional, ruta))
        qFatal("no se pudo guardar el registro generado %s", qPrintable(ruta));
    std::fprintf(stderr, "Registro generado %s: %.1f s, %.1f MB\n", qPrintable(ruta),
                 static_cast<double>(t.elapsed()) / 1000.0,
                 static_cast<double>(QFileInfo(ruta).size()) / 1e6);
    return ruta;
}

// A copy of a generated register for a benchmark that writes to it.
inline void copiarRegistro(const QString& origen, const QString& destino) {
    QFile::remove(destino);
    if (!QFile::copy(origen, destino))
        qFatal("no se pudo copiar %s", qPrintable(origen));
    QFile(destino).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

// Ten times today's register: 1,000,000 clients and 10,000,000 infractions, 200,000 of them on
// client 0001 and the rest spread over clients 0002 to 1000.
constexpr int kClientesGrande = 1000000;
constexpr qint64 kInfraccionesGrande = 10000000;
constexpr qint64 kInfraccionesClienteGrande = 200000;

inline QString registroGrande() {
    return registroGuardado(QStringLiteral("grande-1m-10m.wfg"), [](Conexion& db) {
        // A file that is discarded when interrupted needs no flush per commit.
        db.ejecutar(QStringLiteral("PRAGMA synchronous = OFF"));
        db.ejecutar(QStringLiteral("PRAGMA cache_size = -262144"));
        agregarClientes(db, kClientesGrande);
        agregarInfracciones(db, numeroCliente(1), kInfraccionesClienteGrande);
        const qint64 resto = kInfraccionesGrande - kInfraccionesClienteGrande;
        const qint64 porCliente = resto / 999;
        for (int c = 2; c <= 1000; ++c)
            agregarInfracciones(db, numeroCliente(c), c == 1000 ? resto - porCliente * 998 : porCliente,
                                static_cast<quint32>(c));
    });
}

// The benchmarks of today's size also measure at ten times it when given --grande (taken out of
// the arguments); their figures are then named grande_...
inline bool tomarGrande(int& argc, char** argv) {
    bool grande = false;
    int j = 1;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--grande")
            grande = true;
        else
            argv[j++] = argv[i];
    }
    argc = j;
    argv[argc] = nullptr;
    return grande;
}

} // namespace generador
