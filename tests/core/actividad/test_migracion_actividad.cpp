// A register of the previous schema, with rows from before the import log, rows of a logged
// import and rows whose client is gone, gets the log with its baseline and nothing else changes.

#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "core/actividad/CadenaActividad.h"
#include "core/actividad/DigestFilas.h"
#include "core/actividad/VerificacionRegistro.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Esquema.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace prueba;

namespace {

std::vector<EntradaActividad> entradas(Conexion& db) {
    std::vector<EntradaActividad> r;
    RecorrerEntradas(db, [&](const EntradaActividad& e) {
        r.push_back(e);
        return true;
    });
    return r;
}

QJsonObject detalles(const EntradaActividad& e) {
    return QJsonDocument::fromJson(e.detalles.toUtf8()).object();
}

QString digestDe(const QList<QStringList>& filas) {
    DigestFilas d;
    for (const QStringList& f : filas)
        d.agregar(f);
    return d.resultado();
}

const QString kSinOriginal = QStringLiteral(
    "SELECT NumeroCliente,FechaInfraccion,HoraInfraccion,NiveldB,Microfono,Estado,TensionLinea,"
    "PorcentajeCompresion,Inspector,Maxdb,dbaten,excesos,caldb,segpenal,nivelconsola,nivelruido,contadorinf "
    "FROM Infracciones WHERE NumeroCliente = ? AND IdImportacion IS NULL ORDER BY id");

} // namespace

TEST(MigracionActividad, DesdeLaVersion3ConFilasSinOriginal) {
    QTemporaryDir dir;
    const QString ruta = prueba::registroVersion1(dir.path());
    {
        // Brought up to date, then back to exactly the previous version's schema, with what a
        // version 3 register holds: a logged import, and rows of a client deleted since.
        ConexionSqlcipher db(ruta, ClaveBaseDatos());
        db.ejecutar(
            QStringLiteral("INSERT INTO Importaciones (NumeroCliente, NombreArchivo, Tamano, Sha256, "
                           "Registros, Guardados, Omitidos, Usuario) VALUES ('0042', 'a.kvd', 10, ?, 1, "
                           "1, 0, 'Peña')"),
            {QString(64, QLatin1Char('c'))});
        const qint64 id = db.ultimoId();
        db.ejecutar(
            QStringLiteral("INSERT INTO Infracciones (NumeroCliente, FechaInfraccion, HoraInfraccion, "
                           "NiveldB, IdImportacion) VALUES ('0042', '20121212', '101010', '099', ?)"),
            {id});
        db.ejecutar(
            QStringLiteral("INSERT INTO Infracciones (NumeroCliente, FechaInfraccion, HoraInfraccion, "
                           "NiveldB) VALUES ('0099', '20100101', '000000', '080')"));
        db.ejecutar(QStringLiteral("DROP TABLE RegistroActividad"));
        db.ejecutar(QStringLiteral("DROP TABLE IdentidadRegistro"));
        // This SQLite cannot drop a column: the table's definition goes back to the previous one.
        db.ejecutar(QStringLiteral("PRAGMA writable_schema = 1"));
        db.ejecutar(QStringLiteral("UPDATE sqlite_master SET sql = replace(sql, ', Retirada INTEGER NOT NULL "
                                   "DEFAULT 0', '') WHERE name = 'Importaciones'"));
        db.ejecutar(QStringLiteral("PRAGMA writable_schema = 0"));
        db.ejecutar(QStringLiteral("PRAGMA user_version = 3"));
        db.cerrar();
    }
    ConexionSqlcipher db(ruta, ClaveBaseDatos());
    EXPECT_EQ(filas(db, QStringLiteral("PRAGMA user_version")),
              QList<QStringList>{{QString::number(kVersionEsquema)}});
    const QList<QStringList> identidad =
        filas(db, QStringLiteral("SELECT Identidad, Creada FROM IdentidadRegistro"));
    ASSERT_EQ(identidad.size(), 1);
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$"))
                    .match(identidad[0][0])
                    .hasMatch())
        << identidad[0][0].toStdString();
    EXPECT_EQ(filas(db, QStringLiteral("SELECT DISTINCT Retirada FROM Importaciones")),
              QList<QStringList>{{QStringLiteral("0")}});

    const std::vector<EntradaActividad> log = entradas(db);
    EXPECT_FALSE(RoturaDeCadena(log).has_value());
    // Every later migration (the summary index is version 5) adds its own entry.
    ASSERT_EQ(log.size(), static_cast<size_t>(kVersionEsquema));
    EXPECT_EQ(log[4].objeto, QStringLiteral("5"));
    // The placeholder is not a client: one entry for 0042, one for the rows of a number without one.
    EXPECT_EQ(log[0].accion, QStringLiteral("base.cliente"));
    EXPECT_EQ(log[0].objeto, QStringLiteral("0042"));
    const QJsonObject c = detalles(log[0]);
    EXPECT_EQ(c.value(QStringLiteral("datos")).toObject().value(QStringLiteral("Nombre")).toString(),
              QStringLiteral("Peña O'Brien"));
    EXPECT_EQ(c.value(QStringLiteral("filas_sin_original")).toInteger(), 6);
    EXPECT_EQ(c.value(QStringLiteral("digest")).toString(),
              digestDe(filas(db, kSinOriginal, {QStringLiteral("0042")})));
    EXPECT_EQ(c.value(QStringLiteral("hallado")).toString(), QStringLiteral("migracion"));

    EXPECT_EQ(log[1].accion, QStringLiteral("base.cliente"));
    EXPECT_EQ(log[1].objeto, QStringLiteral("0099"));
    EXPECT_EQ(detalles(log[1]).value(QStringLiteral("filas_sin_original")).toInteger(), 1);
    EXPECT_TRUE(detalles(log[1]).value(QStringLiteral("datos")).isNull());

    EXPECT_EQ(log[2].accion, QStringLiteral("base.importacion"));
    EXPECT_EQ(detalles(log[2]).value(QStringLiteral("sha256")).toString(), QString(64, QLatin1Char('c')));
    EXPECT_EQ(detalles(log[2]).value(QStringLiteral("filas")).toInteger(), 1);

    EXPECT_EQ(log[3].accion, QStringLiteral("esquema.migracion"));
    EXPECT_EQ(log[3].objeto, QStringLiteral("4"));
    EXPECT_EQ(detalles(log[3]).value(QStringLiteral("desde")).toInteger(), 3);
    EXPECT_EQ(cantidadInfracciones(db), 8);

    // The register checks against its baseline: clients and rows without an original as found;
    // only the made-up import's original is missing.
    const InformeVerificacion r = VerificarRegistro(db);
    ASSERT_EQ(r.diferencias.size(), 1u) << TextoInforme(r).toStdString();
    EXPECT_EQ(r.diferencias[0].clase, ClaseDiferencia::OriginalFalta);
    EXPECT_EQ(r.clientes, 1);
    ASSERT_EQ(r.sinOriginal.size(), 2u);
    EXPECT_EQ(r.sinOriginal[0].filas, 6);
    EXPECT_EQ(r.sinOriginal[1].filas, 1);
}

TEST(MigracionActividad, UnRegistroNuevoTieneIdentidadYNingunaEntrada) {
    QTemporaryDir dir;
    ConexionSqlcipher a(QDir(dir.path()).filePath(QStringLiteral("a.wfg")), ClaveBaseDatos());
    ConexionSqlcipher b(QDir(dir.path()).filePath(QStringLiteral("b.wfg")), ClaveBaseDatos());
    const QList<QStringList> ia = filas(a, QStringLiteral("SELECT Identidad FROM IdentidadRegistro"));
    const QList<QStringList> ib = filas(b, QStringLiteral("SELECT Identidad FROM IdentidadRegistro"));
    ASSERT_EQ(ia.size(), 1);
    ASSERT_EQ(ib.size(), 1);
    EXPECT_EQ(ia[0][0].size(), 36);
    EXPECT_NE(ia, ib);
    EXPECT_TRUE(entradas(a).empty());
}
