// The compact text table the views show rows from, and the infraction rows built on it.

#include "BaseTemporal.h"
#include "FilasDePrueba.h"
#include "core/clients/FilasInfraccion.h"
#include "core/store/Conexion.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Recordset.h"
#include "core/store/Sentencias.h"
#include "core/store/TablaTextos.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

QStringList registro(const QString& fecha, const QString& ci, qint64 importacion = 0) {
    QStringList r(ColInfraccion::Cantidad, QStringLiteral("x"));
    r[ColInfraccion::Equipo] = QStringLiteral("12");
    r[ColInfraccion::Fecha] = fecha;
    r[ColInfraccion::CI] = ci;
    if (importacion)
        r << QString::number(importacion);
    return r;
}

QStringList vista(const FilasInfraccion& f, int col) {
    QStringList r;
    for (std::size_t i = 0; i < f.size(); ++i)
        r << (f.separador(i) ? QStringLiteral("-") : (f.oculta(i) ? QStringLiteral("~") : f.texto(i, col)));
    return r;
}

} // namespace

TEST(TablaTextos, CeldasNulasVaciasYAcentuadasAunCreciendo) {
    const std::size_t antes = bloques::mapeados();
    auto tabla = std::make_unique<TablaTextos>(3);
    TablaTextos& t = *tabla;
    for (int i = 0; i < 150000; ++i) { // past the size from which blocks are mapped apart
        const QByteArrayView fila[] = {"Peña", QByteArrayView(), i % 2 ? "" : "ab.c."};
        t.agregarFila(fila, 3);
    }
    t.ajustar();
    ASSERT_EQ(t.filas(), 150000u);
    EXPECT_GT(bloques::mapeados(), antes);
    EXPECT_EQ(t.texto(149999, 0), QStringLiteral("Peña"));
    // NULL and empty text read as the store hands them: a null string, an empty one.
    EXPECT_TRUE(t.nulo(7, 1));
    EXPECT_TRUE(t.texto(7, 1).isNull());
    EXPECT_FALSE(t.nulo(7, 2));
    EXPECT_TRUE(t.texto(7, 2).isEmpty());
    EXPECT_FALSE(t.texto(7, 2).isNull());
    EXPECT_EQ(t.fila(8), (QStringList{QStringLiteral("Peña"), QString(), QStringLiteral("ab.c.")}));
    // Outside the table reads as empty, never as a neighbour's text.
    EXPECT_TRUE(t.texto(150000, 0).isEmpty());
    EXPECT_TRUE(t.texto(0, 3).isEmpty());
    EXPECT_TRUE(t.texto(0, -1).isEmpty());
    tabla.reset();
    EXPECT_EQ(bloques::mapeados(), antes); // all given back

    // Whole rows: one column without its dots, a short row's missing cells NULL.
    TablaTextos filas(3);
    const QByteArrayView una[] = {"a.b", "BLOQ..", QByteArrayView()};
    const QByteArrayView otra[] = {"", "."};
    filas.agregarFila(una, 3, 1, '.');
    filas.agregarFila(otra, 2, 1, '.');
    EXPECT_EQ(filas.fila(0), (QStringList{"a.b", "BLOQ", QString()}));
    EXPECT_TRUE(filas.nulo(0, 2));
    EXPECT_FALSE(filas.nulo(1, 0));
    EXPECT_FALSE(filas.nulo(1, 1));
    EXPECT_TRUE(filas.texto(1, 1).isEmpty());
    EXPECT_TRUE(filas.nulo(1, 2));
}

TEST(FilasInfraccion, SeparadoresMarcasRangoYOtrosClientes) {
    std::vector<QStringList> registros = {
        registro("28/02/2011", "1", 5),      registro("01/03/2011", "1.", 5), // a separator follows
        registro("15/03/2011", "BLOQ..", 6), registro("", ""),                // no date: always shown
        registro("xx/03/2011", "2"),         registro("01/04/2012", "3", 7)};
    registros[4][ColInfraccion::Equipo] = QStringLiteral("99"); // another client's row
    FilasInfraccion f = FilasInfraccion::DeRegistros(registros);
    EXPECT_EQ(vista(f, ColInfraccion::CI), (QStringList{"1", "1", "-", "BLOQ", "-", "", "2", "3"}));
    EXPECT_EQ(f.importacion(0), 5);
    EXPECT_EQ(f.importacion(2), 0); // separator
    EXPECT_EQ(f.importacion(3), 6);
    EXPECT_EQ(f.importacion(5), 0); // stored before the log
    EXPECT_TRUE(f.celdas(2).isEmpty());
    EXPECT_EQ(f.celdas(7).value(ColInfraccion::CI), QStringLiteral("3"));
    EXPECT_EQ(f.distintos(ColInfraccion::CI), (QStringList{"1", "BLOQ", "", "2", "3"}));

    EXPECT_EQ(f.filtrarPorFechas(QDate(2011, 3, 1), QDate(2011, 12, 31)), 1);
    EXPECT_EQ(vista(f, ColInfraccion::Fecha),
              (QStringList{"~", "01/03/2011", "-", "15/03/2011", "-", "", "xx/03/2011", "~"}));
    const ProcedenciaFilas p = ProcedenciaDe(f);
    EXPECT_EQ(p.importaciones, (std::vector<qint64>{5, 6}));
    EXPECT_EQ(p.anteriores, 2); // the undated row and the unreadable one

    f.conservarCliente(QStringLiteral("12"));
    EXPECT_EQ(vista(f, ColInfraccion::CI), (QStringList{"~", "1", "-", "BLOQ", "-", "", "~"}));

    // Many distinct texts are still each listed once.
    std::vector<QStringList> muchos;
    for (int i = 0; i < 300; ++i)
        muchos.push_back(registro(QString::number(i % 100), "1"));
    EXPECT_EQ(FilasInfraccion::DeRegistros(muchos).distintos(ColInfraccion::Fecha).size(), 100);
}

TEST(FilasInfraccion, LeidasDeLaBaseComoLasDemasLecturas) {
    BaseTemporal base;
    Conexion& db = base.registro();
    QStringList v =
        QStringLiteral("12|20110301|120000|095|D. JOCKEY|13,2 V|SI|010|Peña|095|085|003|- 05|010|060|070|1.")
            .split(QLatin1Char('|'));
    const Consulta marcada = Sentencias::insertarInfraccion(prueba::infraccionDe(v));
    db.ejecutar(marcada.sql, marcada.parametros);
    v[16] = QString();
    const Consulta sinCi = Sentencias::insertarInfraccion(prueba::infraccionDe(v));
    db.ejecutar(sinCi.sql, sinCi.parametros);
    const Consulta c = Sentencias::infraccionesCliente(QStringLiteral("12"));
    Recordset r;
    r.abrir(db, c);
    const FilasInfraccion leidas = FilasInfraccion::Leer(db, c);
    const FilasInfraccion textos = FilasInfraccion::DeRegistros(r.filas());
    ASSERT_EQ(leidas.size(), 3u);
    ASSERT_EQ(textos.size(), 3u);
    for (std::size_t i = 0; i < leidas.size(); ++i) {
        EXPECT_EQ(leidas.celdas(i), textos.celdas(i)) << i;
        EXPECT_EQ(leidas.separador(i), textos.separador(i)) << i;
    }
    EXPECT_EQ(leidas.texto(0, ColInfraccion::Inspector), QStringLiteral("Peña"));
    EXPECT_EQ(leidas.texto(0, ColInfraccion::Fecha), QStringLiteral("01/03/2011"));

    const TablaTextos clientes = LeerTabla(db, Sentencias::listaClientes());
    EXPECT_EQ(clientes.columnas(), 24);
}

// Long id ranges are read in two parts at once, on two connections: the result is the one read,
// separators, import ids and dates included; inside an open transaction the part of the
// register not yet committed is read too, so it is read in one part there.
TEST(FilasInfraccion, LeidasEnDosPartesComoDeUnaVez) {
    BaseTemporal base;
    Conexion& db = base.registro();
    for (int i = 0; i < 7; ++i) {
        QStringList v = QStringLiteral("12|2011030%1|120000|095|D. JOCKEY|13,2 V|SI|010|Peña|095|085|003|- "
                                       "05|010|060|070|%2")
                            .arg(i + 1)
                            .arg(i % 3 == 2 ? QStringLiteral("%1.").arg(i) : QString::number(i))
                            .split(QLatin1Char('|'));
        const Consulta c = Sentencias::insertarInfraccion(prueba::infraccionDe(v));
        db.ejecutar(c.sql, c.parametros);
    }
    // Ids far apart, as years of other clients' rows leave them.
    db.ejecutar(QStringLiteral("UPDATE Infracciones SET id = id * 20000, IdImportacion = id % 2"));
    for (int i = 0; i < 4; ++i)
        db.ejecutar(QStringLiteral("INSERT INTO Clientes (id, NumeroCliente, Nombre) VALUES (?, ?, 'Bar')"),
                    {100000 + i * 30000, QStringLiteral("9%1").arg(i)});

    const QDate desde(2011, 3, 3);
    const QDate hasta(2011, 3, 6);
    FilasInfraccion una = FilasInfraccion::Leer(db, Sentencias::infraccionesCliente(QStringLiteral("12")));
    FilasInfraccion dos =
        FilasInfraccion::LeerPorIds(db, Sentencias::infraccionesClientePorIds(QStringLiteral("12")));
    ASSERT_EQ(una.size(), 9u); // 7 rows and 2 separators
    ASSERT_EQ(dos.size(), una.size());
    EXPECT_EQ(dos.filtrarPorFechas(desde, hasta), una.filtrarPorFechas(desde, hasta));
    for (std::size_t i = 0; i < una.size(); ++i) {
        EXPECT_EQ(dos.celdas(i), una.celdas(i)) << i;
        EXPECT_EQ(dos.separador(i), una.separador(i)) << i;
        EXPECT_EQ(dos.oculta(i), una.oculta(i)) << i;
        EXPECT_EQ(dos.importacion(i), una.importacion(i)) << i;
    }
    const auto todas = [](const TablaTextos& t) {
        QList<QStringList> r;
        for (std::size_t i = 0; i < t.filas(); ++i)
            r << t.fila(i);
        return r;
    };
    const QList<QStringList> clientes = todas(LeerTabla(db, Sentencias::listaClientes()));
    EXPECT_EQ(clientes.size(), 5); // the placeholder and the four
    EXPECT_EQ(todas(LeerTablaPorIds(db, Sentencias::listaClientesPorIds())), clientes);

    int partes = 0;
    EXPECT_TRUE(db.leerEnDosPartes([&](Conexion& c, int parte) {
        partes += parte + 1;
        EXPECT_EQ(&c == &db, parte == 0);
    }));
    EXPECT_EQ(partes, 3);

    Transaccion t(db);
    db.ejecutar(
        QStringLiteral("INSERT INTO Clientes (id, NumeroCliente, Nombre) VALUES (900000, '99', 'Bar')"));
    EXPECT_FALSE(db.leerEnDosPartes([](Conexion&, int) {}));
    EXPECT_EQ(LeerTablaPorIds(db, Sentencias::listaClientesPorIds()).filas(), 6u);
}
