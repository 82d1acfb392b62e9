// The office summary counts on both stores exactly what the rows hold: every count is compared
// with one made here from the rows read back plainly.
#include "Almacenes.h"
#include "ArchivosDePrueba.h"
#include "FilasDePrueba.h"
#include "core/Oficina.h"
#include "core/import/Importacion.h"
#include "core/resumen/ResumenOficina.h"
#include "core/store/Conexion.h"
#include "core/store/Dialecto.h"
#include "core/store/ResumenMensual.h"
#include "core/store/Sentencias.h"

#include <QRandomGenerator>

#include <map>
#include <numeric>

namespace {

struct FilaLeida {
    QString numero;
    QDate fecha;
    QString estatus;
    QString nivel;
    QString maximo;
};

std::optional<int> entero(const QString& t) {
    if (t.isEmpty() || t.size() > 9)
        return std::nullopt;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return t.toInt();
}

// The numbers of one client, counted row by row.
FilaResumen contar(const std::vector<FilaLeida>& filas, const QString& numero, const PeriodoResumen& p) {
    const PeriodoResumen anterior = PeriodoAnterior(p);
    FilaResumen r;
    for (const FilaLeida& f : filas) {
        if (f.numero != numero || !f.fecha.isValid())
            continue;
        if (anterior.desde <= f.fecha && f.fecha <= anterior.hasta)
            ++r.totalAnterior;
        if (f.fecha < p.desde || f.fecha > p.hasta)
            continue;
        ++r.total;
        for (std::size_t i = 0; i < kEstatusResumen.size(); ++i)
            if (f.estatus == QLatin1String(kEstatusResumen[i]))
                ++r.porEstatus[i];
        const auto nivel = entero(f.nivel);
        const auto maximo = entero(f.maximo);
        if (nivel && (!r.nivelMaximo || *nivel > *r.nivelMaximo))
            r.nivelMaximo = nivel;
        if (nivel && maximo && *nivel > *maximo)
            ++r.excesos;
    }
    return r;
}

void insertarCliente(Conexion& db, const QString& numero, const QString& ultima) {
    QStringList v(23, QString());
    v[0] = numero;
    v[1] = QStringLiteral("Cliente ") + numero;
    v[3] = QStringLiteral("Quilmes");
    v[11] = QStringLiteral("Local ") + numero;
    v[18] = ultima;
    const Consulta c = Sentencias::insertarCliente(prueba::clienteDe(v));
    db.ejecutar(c.sql, c.parametros);
}

void insertar(Conexion& db, const QString& numero, const QDate& fecha, const QString& hora,
              const QString& estatus, const QString& nivel, const QString& maximo = QStringLiteral("095")) {
    const Consulta c = Sentencias::insertarInfraccion(prueba::infraccionDe(
        {numero, fecha.toString(QStringLiteral("yyyyMMdd")), hora, nivel, estatus, QStringLiteral("SI"),
         QStringLiteral("220 V"), QStringLiteral("010"), QStringLiteral("Peña"), maximo}));
    db.ejecutar(c.sql, c.parametros);
}

class Resumen : public ::testing::TestWithParam<Almacen> {
protected:
    void SetUp() override {
        PREPARAR_ALMACEN(registro, GetParam());
        Conexion& db = registro.conexion();
        Transaccion t(db);
        insertarCliente(db, QStringLiteral("0001"), QStringLiteral("20240110"));
        insertarCliente(db, QStringLiteral("0002"), QString());                  // no rows, never inspected
        insertarCliente(db, QStringLiteral("0003"), QStringLiteral("20230105")); // rows only long ago
        insertarCliente(db, QStringLiteral("0004"), QStringLiteral("20240301"));
        // Edges of March 2024: the first and last second of each end, and the days beside them.
        const QString mic = QStringLiteral("MIC. DESC.");
        insertar(db, QStringLiteral("0001"), QDate(2024, 2, 29), QStringLiteral("235959"), mic,
                 QStringLiteral("120"));
        insertar(db, QStringLiteral("0001"), QDate(2024, 3, 1), QStringLiteral("000000"), mic,
                 QStringLiteral("099"));
        insertar(db, QStringLiteral("0001"), QDate(2024, 3, 31), QStringLiteral("235959"),
                 QStringLiteral("APERT. GAB."), QStringLiteral("100"), QStringLiteral("100"));
        insertar(db, QStringLiteral("0001"), QDate(2024, 4, 1), QStringLiteral("000000"),
                 QStringLiteral("REINICIO EQ."), QStringLiteral("130"));
        insertar(db, QStringLiteral("0003"), QDate(2020, 6, 1), QStringLiteral("120000"), mic,
                 QStringLiteral("110"));
        // Unreadable levels and maxima, an empty and an unknown status.
        insertar(db, QStringLiteral("0004"), QDate(2024, 3, 10), QStringLiteral("100000"), QString(),
                 QStringLiteral("---"), QStringLiteral("080"));
        insertar(db, QStringLiteral("0004"), QDate(2024, 3, 10), QStringLiteral("100500"),
                 QStringLiteral("OTRO"), QStringLiteral("090"), QStringLiteral(""));
        // Many rows of clients 1 and 4 over two years, every status, levels around the maximum.
        QRandomGenerator rnd(270);
        for (int i = 0; i < 400; ++i) {
            const int e = static_cast<int>(rnd.bounded(9));
            const QString estatus = e < 7 ? QLatin1String(kEstatusResumen[static_cast<std::size_t>(e)])
                                          : (e == 7 ? QString() : QStringLiteral("X"));
            insertar(db, rnd.bounded(2) ? QStringLiteral("0001") : QStringLiteral("0004"),
                     QDate(2023, 1, 1).addDays(rnd.bounded(731)), QStringLiteral("120000"), estatus,
                     QStringLiteral("%1").arg(80 + rnd.bounded(30), 3, 10, QLatin1Char('0')),
                     QStringLiteral("%1").arg(90 + rnd.bounded(10), 3, 10, QLatin1Char('0')));
        }
        t.confirmar();
        const auto st = db.preparar(QStringLiteral(
            "SELECT NumeroCliente, FechaInfraccion, Microfono, NiveldB, Maxdb FROM Infracciones"));
        while (st->paso())
            filas.push_back({st->texto(0), QDate::fromString(st->texto(1), QStringLiteral("yyyyMMdd")),
                             st->texto(2), st->texto(3), st->texto(4)});
    }

    void comparar(const PeriodoResumen& p) {
        comparar(p, false);
        comparar(p, true);
    }
    void comparar(const PeriodoResumen& p, bool desdeLasFilas) {
        SCOPED_TRACE(desdeLasFilas ? "desde las filas" : "desde las cuentas mensuales");
        const auto r = CalcularResumen(registro.conexion(), p, QDate(2024, 4, 15), {}, desdeLasFilas);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->anterior, PeriodoAnterior(p));
        ASSERT_EQ(r->filas.size(), clientes) << "the placeholder is left out";
        for (const FilaResumen& f : r->filas) {
            SCOPED_TRACE(f.numero.toStdString() + " " + p.desde.toString(Qt::ISODate).toStdString());
            const FilaResumen e = contar(filas, f.numero, p);
            EXPECT_EQ(f.total, e.total);
            EXPECT_EQ(f.totalAnterior, e.totalAnterior);
            EXPECT_EQ(f.porEstatus, e.porEstatus);
            EXPECT_EQ(f.nivelMaximo, e.nivelMaximo);
            EXPECT_EQ(f.excesos, e.excesos);
            EXPECT_EQ(f.manipulacion(),
                      e.porEstatus[0] + e.porEstatus[3] + e.porEstatus[5] + e.porEstatus[6]);
        }
    }

    void releer() {
        filas.clear();
        const auto st = registro.conexion().preparar(QStringLiteral(
            "SELECT NumeroCliente, FechaInfraccion, Microfono, NiveldB, Maxdb FROM Infracciones"));
        while (st->paso())
            filas.push_back({st->texto(0), QDate::fromString(st->texto(1), QStringLiteral("yyyyMMdd")),
                             st->texto(2), st->texto(3), st->texto(4)});
    }

    // The kept monthly counts equal a count of every row, and the summary still equals the rows
    // for whole months, partial ones and both.
    void cuentasAlDia(const char* paso) {
        SCOPED_TRACE(paso);
        Conexion& db = registro.conexion();
        if (GetParam() == Almacen::Archivo) {
            EXPECT_EQ(
                prueba::filas(
                    db, QStringLiteral("SELECT Hasta >= (SELECT coalesce(max(id), 0) FROM Infracciones) FROM "
                                       "ResumenMensualHasta")),
                QList<QStringList>{{QStringLiteral("1")}})
                << "rows left past the mark";
        }
        QString columnas = QStringLiteral("Mes, NumeroCliente, Filas");
        for (const char* c : kColumnasEstatus)
            columnas += QStringLiteral(", ") + QLatin1String(c);
        columnas += QStringLiteral(", NivelMaximo, VecesNivelMaximo, Excesos");
        const QString orden = QStringLiteral(" ORDER BY Mes, NumeroCliente");
        EXPECT_EQ(
            prueba::filas(db, QStringLiteral("SELECT %1 FROM ResumenMensual").arg(columnas) + orden),
            prueba::filas(
                db, QStringLiteral("SELECT %1 FROM (%2) x").arg(columnas, RecuentoMensual(db.dialecto())) +
                        orden));
        releer();
        for (const PeriodoResumen& p : {PeriodoResumen{QDate(2024, 3, 1), QDate(2024, 3, 31)},
                                        PeriodoResumen{QDate(2011, 9, 1), QDate(2011, 9, 30)},
                                        PeriodoResumen{QDate(2023, 11, 15), QDate(2024, 3, 20)}})
            comparar(p);
    }

    RegistroDePrueba registro;
    std::vector<FilaLeida> filas;
    std::size_t clientes = 4;
};

// The monthly counts follow every way rows come and go: an import, rows written by hand, a
// withdrawal and its restitution, a row changed, the rows at a month's highest level deleted one by
// one, a client deleted.
TEST_P(Resumen, CuentasMensualesSiguenCadaCambioDeFilas) {
    Conexion& db = registro.conexion();
    {
        // On the file rows written by hand lie past the mark until something takes them in.
        Transaccion t(db);
        IncorporarFilasNuevas(db);
        t.confirmar();
    }
    cuentasAlDia("filas escritas a mano");

    Oficina oficina(db);
    oficina.establecerUsuario(QStringLiteral("Administrador"));
    oficina.guardarCliente(prueba::clienteDe(prueba::partes("0123|Peña Hnos.||Quilmes")));
    ++clientes;
    QByteArray datos = prueba::cabecera("0123");
    const char estatus[] = "1234560";
    for (int i = 0; i < 40; ++i)
        datos += "1109" + QByteArray::number(10 + i % 20) + QByteArray::number(1000 + i) + "30" + "125" +
                 '1' + estatus[i % 7] + QByteArray::number(120 + i % 9).rightJustified(3, '0') + "042" + ' ' +
                 '\n';
    ArchivoImportacion archivo;
    ASSERT_TRUE(prepararImportacion(datos, archivo).ok());
    DatosImportacion d;
    d.numeroCliente = archivo.cabecera.numeroCliente;
    d.fecha = QDate(2011, 9, 28);
    d.hora = QTime(14, 5, 30);
    const ResultadoImportacion r = oficina.importar(archivo, d);
    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    cuentasAlDia("importación");

    oficina.seleccionar(
        prueba::filas(db, QStringLiteral("SELECT Id FROM Clientes WHERE NumeroCliente = '0123'"))
            .at(0)
            .at(0)
            .toLongLong());
    oficina.eliminarImportacion(r.idImportacion, QStringLiteral("Archivo de otro local"));
    cuentasAlDia("importación eliminada");
    oficina.restituirImportacion(r.idImportacion);
    cuentasAlDia("importación restituida");

    db.ejecutar(
        QStringLiteral("UPDATE Infracciones SET NiveldB = '140', FechaInfraccion = '20240305' WHERE id = "
                       "(SELECT min(id) FROM Infracciones WHERE NumeroCliente = '0004')"));
    cuentasAlDia("fila cambiada");
    // The month's highest level first, then the next, until the month is empty.
    for (int vez = 0; vez < 60; ++vez)
        db.ejecutar(QStringLiteral("DELETE FROM Infracciones WHERE id = (SELECT id FROM Infracciones WHERE "
                                   "NumeroCliente = '0001' AND "
                                   "FechaInfraccion >= '20240300' AND FechaInfraccion <= '20240399' ORDER BY "
                                   "NiveldB DESC, id LIMIT 1)"));
    cuentasAlDia("filas de nivel más alto borradas");
    db.ejecutar(QStringLiteral("DELETE FROM Infracciones WHERE NumeroCliente = '0004'"));
    cuentasAlDia("cliente sin filas");
}

TEST_P(Resumen, CadaCuentaIgualALasFilas) {
    // A whole month, its edges, and periods starting on the 29th, 30th and 31st.
    for (const PeriodoResumen& p : {PeriodoResumen{QDate(2024, 3, 1), QDate(2024, 3, 31)},
                                    PeriodoResumen{QDate(2024, 3, 1), QDate(2024, 3, 1)},
                                    PeriodoResumen{QDate(2024, 3, 31), QDate(2024, 3, 31)},
                                    PeriodoResumen{QDate(2024, 1, 29), QDate(2024, 2, 28)},
                                    PeriodoResumen{QDate(2024, 3, 30), QDate(2024, 4, 29)},
                                    PeriodoResumen{QDate(2023, 12, 31), QDate(2024, 1, 30)},
                                    PeriodoResumen{QDate(2023, 1, 1), QDate(2024, 12, 31)},
                                    PeriodoResumen{QDate(2030, 1, 1), QDate(2030, 1, 31)}})
        comparar(p);
}

TEST_P(Resumen, BordesClienteSinFilasYManipulacionUnaVez) {
    const auto r =
        CalcularResumen(registro.conexion(), {QDate(2024, 3, 1), QDate(2024, 3, 31)}, QDate(2024, 4, 15));
    ASSERT_TRUE(r);
    std::map<QString, FilaResumen> por;
    for (const FilaResumen& f : r->filas)
        por[f.numero] = f;
    // Client 2: no rows at all; client 3: rows only outside.
    for (const char* n : {"0002", "0003"}) {
        const FilaResumen& f = por[QString::fromLatin1(n)];
        EXPECT_EQ(f.total, 0);
        EXPECT_EQ(f.manipulacion(), 0);
        EXPECT_FALSE(f.nivelMaximo);
        EXPECT_EQ(f.estatusMasGrave(), -1);
    }
    EXPECT_FALSE(por[QStringLiteral("0002")].diasSinInspeccion(r->hoy));
    EXPECT_EQ(por[QStringLiteral("0003")].diasSinInspeccion(r->hoy),
              QDate(2023, 1, 5).daysTo(QDate(2024, 4, 15)));
    // Every tampering row once in its status and once in the sum; the total counts each row once.
    for (const auto& [numero, f] : por) {
        qint64 suma = 0;
        for (const qint64 n : f.porEstatus)
            suma += n;
        EXPECT_LE(suma, f.total) << numero.toStdString();
        EXPECT_EQ(f.manipulacion(), f.porEstatus[0] + f.porEstatus[3] + f.porEstatus[5] + f.porEstatus[6]);
    }
    // The unknown status and the empty one count in the total only; unreadable levels nowhere.
    const auto sinEstatus = [](const FilaResumen& f) {
        return f.total - std::accumulate(f.porEstatus.begin(), f.porEstatus.end(), qint64{0});
    };
    const FilaResumen& c4 = por[QStringLiteral("0004")];
    EXPECT_EQ(sinEstatus(c4), sinEstatus(contar(filas, QStringLiteral("0004"), r->periodo)));
    EXPECT_GE(sinEstatus(c4), 2);
}

// Cancelled through the progress callback, nothing is returned; an inverted period is refused.
TEST_P(Resumen, CanceladoYPeriodoInvalido) {
    int llamadas = 0;
    const auto r = CalcularResumen(registro.conexion(), {QDate(2024, 3, 1), QDate(2024, 3, 31)},
                                   QDate(2024, 4, 1), [&](qint64 hechas, qint64 total) {
                                       EXPECT_LE(hechas, total);
                                       return ++llamadas < 2;
                                   });
    EXPECT_FALSE(r);
    EXPECT_THROW(
        CalcularResumen(registro.conexion(), {QDate(2024, 3, 2), QDate(2024, 3, 1)}, QDate(2024, 4, 1)),
        ErrorBD);
}

INSTANTIATE_TEST_SUITE_P(Almacenes, Resumen, ::testing::Values(Almacen::Archivo, Almacen::Servidor),
                         NombreAlmacen);

} // namespace
