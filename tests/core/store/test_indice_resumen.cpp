// The summary's index: added to an older register by its migration, with the rows unchanged, and
// used by the summary's query so that each client's period is one range of it.
#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "core/resumen/ResumenOficina.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Esquema.h"
#include "core/store/ResumenMensual.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList filas(Conexion& db, const QString& sql, const QVariantList& parametros = {}) {
    QStringList r;
    const auto st = db.preparar(sql);
    st->enlazarTodos(parametros);
    while (st->paso()) {
        QStringList f;
        for (int i = 0; i < st->columnas(); ++i)
            f << st->texto(i);
        r << f.join(QLatin1Char('|'));
    }
    return r;
}

const QString kIndices = QStringLiteral(
    "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = 'Infracciones' ORDER BY name");
const QString kInfracciones = QStringLiteral("SELECT * FROM Infracciones ORDER BY id");

} // namespace

TEST(IndiceResumen, MigracionDesdeRegistroAnterior) {
    QTemporaryDir dir;
    const QString ruta = prueba::registroVersion1(dir.path(), QStringLiteral("anterior.wfg"));
    ConexionSqlcipher db(ruta, ClaveBaseDatos());
    EXPECT_EQ(filas(db, QStringLiteral("PRAGMA user_version")),
              QStringList{QString::number(kVersionEsquema)});
    EXPECT_EQ(filas(db, kIndices), (QStringList{QStringLiteral("idx_infracciones_cliente"),
                                                QStringLiteral("idx_infracciones_dia_resumen"),
                                                QStringLiteral("idx_infracciones_importacion"),
                                                QStringLiteral("idx_infracciones_resumen")}));
    EXPECT_EQ(filas(db, QStringLiteral("SELECT count(*) FROM Infracciones")),
              QStringList{QStringLiteral("6")});
    // The fixture's import of 28/09/2011: three rows of client 0042,.
    const auto r = CalcularResumen(db, {QDate(2011, 9, 1), QDate(2011, 9, 30)}, QDate(2011, 10, 1));
    ASSERT_TRUE(r);
    ASSERT_EQ(r->filas.size(), 1u);
    EXPECT_EQ(r->filas[0].numero, QStringLiteral("0042"));
    EXPECT_EQ(r->filas[0].total, 3);
    // The monthly counts were filled from the rows, and cover them all.
    EXPECT_EQ(filas(db, QStringLiteral("SELECT * FROM ResumenMensual ORDER BY Mes, NumeroCliente")),
              filas(db, RecuentoMensual(db.dialecto()) + QStringLiteral(" ORDER BY Mes, NumeroCliente")));
    EXPECT_EQ(filas(db, QStringLiteral("SELECT count(*) FROM ResumenMensual")),
              QStringList{QStringLiteral("2")});
    EXPECT_EQ(filas(db, QStringLiteral(
                            "SELECT Hasta = (SELECT max(id) FROM Infracciones) FROM ResumenMensualHasta")),
              QStringList{QStringLiteral("1")});
}

// A new register has the same indexes as a migrated one. The summary reads whole months from the
// monthly counts by their key, the rows the counts do not cover by id, the days of partial months
// from one range of the index by date; it never scans the infractions.
TEST(IndiceResumen, NuevoRegistroYPlanDeLaConsulta) {
    BaseTemporal base;
    Conexion& db = base.registro();
    EXPECT_EQ(filas(db, kIndices).size(), 4);
    // 2024 has 366 days: the period before starts on 31/12/2022, one day of a partial month.
    const Consulta c = ConsultaResumen(db.dialecto(), {QDate(2024, 1, 1), QDate(2024, 12, 31)});
    const QString plan =
        filas(db, QStringLiteral("EXPLAIN QUERY PLAN ") + c.sql, c.parametros).join(QLatin1Char('\n'));
    for (const char* parte : {"SEARCH TABLE ResumenMensual USING PRIMARY KEY (Mes>? AND Mes<?)",
                              "SEARCH TABLE Infracciones AS i USING INTEGER PRIMARY KEY (rowid>?)",
                              "USING COVERING INDEX idx_infracciones_dia_resumen (FechaInfraccion>? AND "
                              "FechaInfraccion<?)"})
        EXPECT_TRUE(plan.contains(QLatin1String(parte))) << parte << "\n" << plan.toStdString();
    EXPECT_FALSE(plan.contains(QStringLiteral("SCAN TABLE Infracciones"))) << plan.toStdString();
}
