// The pieces of the infraction view on plain grids, and reading a client's rows by number.
#include "BaseTemporal.h"
#include "clients/CamposFecha.h"
#include "clients/VistaInfracciones.h"
#include "store/GridModel.h"
#include "store/modVarios.h"

#include <QDateEdit>
#include <QTimeEdit>

#include <gtest/gtest.h>

namespace {

// A grid shaped like the infraction grid: one row per (date, status, CI).
struct Inf {
    QString fecha;
    QString estatus;
    QString ci;
};

void llenar(GridModel& g, const std::vector<Inf>& filas) {
    g.setCols(ColInfraccion::Cantidad);
    g.setRows(static_cast<int>(filas.size()) + 1);
    for (int i = 0; i < static_cast<int>(filas.size()); ++i) {
        g.setTextMatrix(i + 1, ColInfraccion::Id, QString::number(i + 1));
        g.setTextMatrix(i + 1, ColInfraccion::Fecha, filas[i].fecha);
        g.setTextMatrix(i + 1, ColInfraccion::Estatus, filas[i].estatus);
        g.setTextMatrix(i + 1, ColInfraccion::CI, filas[i].ci);
    }
}

std::vector<int> visibles(const GridModel& g) {
    std::vector<int> v;
    for (int f = 1; f < g.rows(); ++f)
        if (!g.rowHidden(f))
            v.push_back(f);
    return v;
}

TEST(VistaInfracciones, ColoursFollowTheStatusTextExactly) {
    EXPECT_EQ(ColorEstatus(QStringLiteral("L. SHOW")), QColor(255, 255, 0));
    EXPECT_EQ(ColorEstatus(QStringLiteral("D. JOCKEY")), QColor(255, 128, 0));
    for (const char* rojo : {"MIC. DESC.", "APERT. GAB.", "BAT. DESC.", "EXCESO INF.", "REINICIO EQ."})
        EXPECT_EQ(ColorEstatus(QString::fromLatin1(rojo)), QColor(255, 0, 0)) << rojo;
    EXPECT_EQ(ColorEstatus(QString()), QColor(40, 40, 40));
    // Exact and case-sensitive: anything else keeps the yellow background.
    EXPECT_EQ(ColorEstatus(QStringLiteral("d. jockey")), QColor(255, 255, 0));
    EXPECT_EQ(ColorEstatus(QStringLiteral("MIC. DESC")), QColor(255, 255, 0));

    GridModel g;
    llenar(g, {{"01/01/2011", "D. JOCKEY", "1"}, {"01/01/2011", "", ""}, {"01/01/2011", "OTRO", "2"}});
    ColorearInfracciones(g);
    for (int c = 0; c < g.cols(); ++c) {
        EXPECT_EQ(g.cellBackColor(1, c), QColor(255, 128, 0));
        EXPECT_EQ(g.cellBackColor(2, c), QColor(40, 40, 40));
        EXPECT_EQ(g.cellBackColor(3, c), QColor(255, 255, 0));
    }
}

TEST(VistaInfracciones, MarkedRecordsGetASeparatorBelowAndLoseTheirMark) {
    EXPECT_TRUE(ContadorMarcado(QStringLiteral("3.")));
    EXPECT_TRUE(ContadorMarcado(QStringLiteral(".")));
    EXPECT_TRUE(ContadorMarcado(QStringLiteral("BLOQ..")));
    EXPECT_TRUE(ContadorMarcado(QStringLiteral("BLOQ.")));
    EXPECT_FALSE(ContadorMarcado(QStringLiteral("12")));
    EXPECT_FALSE(ContadorMarcado(QString()));

    GridModel g;
    llenar(g, {{"01/01/2011", "D. JOCKEY", "1."},
               {"01/01/2011", "L. SHOW", "2"},
               {"02/01/2011", "L. SHOW", "3."},
               {"03/01/2011", "MIC. DESC.", "BLOQ.."},
               {"03/01/2011", "BAT. DESC.", "BLOQ."},
               {"04/01/2011", "", "."}});
    MarcarGrupos(g);
    ASSERT_EQ(g.rows(), 1 + 6 + 5);
    const QStringList ci = {"1", "", "2", "3", "", "BLOQ", "", "BLOQ", "", "", ""};
    for (int f = 1; f < g.rows(); ++f)
        EXPECT_EQ(g.textMatrix(f, ColInfraccion::CI), ci.at(f - 1)) << f;
    // Separators are empty rows directly below their record.
    for (int f : {2, 5, 7, 9, 11}) {
        EXPECT_TRUE(g.textMatrix(f, ColInfraccion::Id).isEmpty()) << f;
        EXPECT_TRUE(g.textMatrix(f, ColInfraccion::Fecha).isEmpty()) << f;
    }
    EXPECT_EQ(g.textMatrix(4, ColInfraccion::Id), QStringLiteral("3"));
    EXPECT_EQ(g.textMatrix(8, ColInfraccion::Id), QStringLiteral("5"));
    ColorearInfracciones(g);
    EXPECT_EQ(g.cellBackColor(5, 3), QColor(40, 40, 40));
}

TEST(VistaInfracciones, DateRangeIsInclusiveAndKeepsRowsWithoutDate) {
    GridModel g;
    llenar(g, {{"28/02/2011", "L. SHOW", "1"},
               {"01/03/2011", "L. SHOW", "2"},
               {"31/03/2011", "L. SHOW", "3"},
               {"01/04/2011", "L. SHOW", "4"}});
    MarcarGrupos(g);
    g.insertEmptyRowsBelow({4}); // a separator after the last record
    EXPECT_EQ(FiltrarPorFechas(g, QDate(2011, 3, 1), QDate(2011, 3, 31)), 0);
    EXPECT_EQ(visibles(g), (std::vector<int>{2, 3, 5}));
    // A second filter shows again what the first hid.
    EXPECT_EQ(FiltrarPorFechas(g, QDate(2011, 1, 1), QDate(2011, 12, 31)), 0);
    EXPECT_EQ(visibles(g), (std::vector<int>{1, 2, 3, 4, 5}));
    // A single day.
    FiltrarPorFechas(g, QDate(2011, 4, 1), QDate(2011, 4, 1));
    EXPECT_EQ(visibles(g), (std::vector<int>{4, 5}));
}

TEST(VistaInfracciones, UnreadableDatesAreCountedAndLeftShown) {
    GridModel g;
    llenar(g, {{"//", "L. SHOW", "1"}, {"31/02/2011", "L. SHOW", "2"}, {"05/05/2015", "L. SHOW", "3"}});
    EXPECT_EQ(FiltrarPorFechas(g, QDate(2011, 1, 1), QDate(2011, 12, 31)), 2);
    EXPECT_EQ(visibles(g), (std::vector<int>{1, 2}));
}

TEST(VistaInfracciones, BandTextsPadNumbersBelowTen) {
    EXPECT_EQ(RellenarCero(QStringLiteral("8")), QStringLiteral("08"));
    EXPECT_EQ(RellenarCero(QStringLiteral("008")), QStringLiteral("0008"));
    EXPECT_EQ(RellenarCero(QStringLiteral("10")), QStringLiteral("10"));
    EXPECT_EQ(RellenarCero(QStringLiteral("30")), QStringLiteral("30"));
    EXPECT_EQ(RellenarCero(QStringLiteral("0")), QStringLiteral("00"));

    GridModel bandas;
    bandas.setCols(22);
    bandas.setRows(2);
    const QStringList fila = {"Si",     "Si",     "Lunes",   "Viernes", "8", "30", "23", "5",
                              "No",     "Sabado", "Domingo", "22",      "0", "6",  "15", "Si",
                              "Martes", "Martes", "10",      "10",      "9", "9"};
    for (int c = 0; c < 22; ++c)
        bandas.setTextMatrix(1, c, fila.at(c));
    const TextosBandas t = CalcularTextosBandas(bandas);
    EXPECT_EQ(t.activacion[0], QStringLiteral("Si"));
    EXPECT_EQ(t.inicio[0], QStringLiteral("Lunes 08:30"));
    EXPECT_EQ(t.fin[0], QStringLiteral("Viernes 23:05"));
    EXPECT_EQ(t.activacion[1], QStringLiteral("No"));
    EXPECT_EQ(t.inicio[1], QStringLiteral("Sabado 22:00"));
    EXPECT_EQ(t.fin[1], QStringLiteral("Domingo 06:15"));
    EXPECT_EQ(t.inicio[2], QStringLiteral("Martes 10:10"));
    EXPECT_EQ(t.fin[2], QStringLiteral("Martes 09:09"));

    // No band settings (band A start hour empty) or no row: every box empty.
    bandas.setTextMatrix(1, 4, QString());
    const TextosBandas vacias = CalcularTextosBandas(bandas);
    for (int b = 0; b < 3; ++b) {
        EXPECT_TRUE(vacias.activacion[b].isEmpty());
        EXPECT_TRUE(vacias.inicio[b].isEmpty());
        EXPECT_TRUE(vacias.fin[b].isEmpty());
    }
    bandas.setRows(1);
    EXPECT_TRUE(CalcularTextosBandas(bandas).inicio[0].isEmpty());
}

TEST(VistaInfracciones, PickersShowNothingForEmptyOrInvalidStoredValues) {
    EXPECT_EQ(LeerFechaDMA(QStringLiteral("15/09/2011")), QDate(2011, 9, 15));
    EXPECT_FALSE(LeerFechaDMA(QStringLiteral("//")));
    EXPECT_FALSE(LeerFechaDMA(QStringLiteral("31/02/2011")));
    EXPECT_FALSE(LeerFechaDMA(QString()));
    EXPECT_EQ(LeerHoraHMS(QStringLiteral("14:30:05")), QTime(14, 30, 5));
    EXPECT_FALSE(LeerHoraHMS(QStringLiteral("::")));
    EXPECT_FALSE(LeerHoraHMS(QStringLiteral("25:00:00")));

    QDateEdit fecha;
    fecha.setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    QTimeEdit hora;
    hora.setDisplayFormat(QStringLiteral("HH:mm:ss"));
    PonerFecha(&fecha, std::nullopt);
    PonerHora(&hora, std::nullopt);
    EXPECT_TRUE(fecha.text().trimmed().isEmpty());
    EXPECT_TRUE(hora.text().trimmed().isEmpty());
    EXPECT_TRUE(PickerVacio(&fecha));
    EXPECT_EQ(FechaAlmacenada(&fecha), QString());
    EXPECT_EQ(HoraAlmacenada(&hora), QString());
    // Midnight is a real time, not the empty picker.
    PonerHora(&hora, QTime(0, 0));
    PonerFecha(&fecha, QDate(2010, 5, 10));
    EXPECT_EQ(hora.text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(fecha.text(), QStringLiteral("10/05/2010"));
    EXPECT_EQ(FechaAlmacenada(&fecha), QStringLiteral("20100510"));
    EXPECT_EQ(HoraAlmacenada(&hora), QStringLiteral("000000"));
}

class InfraccionesPorNumero : public ::testing::Test {
protected:
    void SetUp() override {
        Database& db = BaseDatosCompartida();
        for (const char* numero : {"12", "123", "312", "12", "1", "12 "}) {
            QStringList v(17, QString());
            v[0] = QString::fromLatin1(numero);
            v[1] = QStringLiteral("20110301");
            v[2] = QStringLiteral("143005");
            v[4] = QStringLiteral("L. SHOW");
            const Consulta c = Sentencias::insertarInfraccion(v);
            db.ejecutar(c.sql, c.parametros);
        }
    }
    BaseTemporal base_;
};

TEST_F(InfraccionesPorNumero, OnlyTheExactClientNumberIsRead) {
    GridModel g;
    CargarInfracciones(g, QStringLiteral("12"));
    ASSERT_EQ(g.rows(), 3);
    EXPECT_EQ(g.cols(), ColInfraccion::Cantidad);
    for (int f = 1; f < g.rows(); ++f)
        EXPECT_EQ(g.textMatrix(f, ColInfraccion::Equipo), QStringLiteral("12"));
    EXPECT_LT(g.textMatrix(1, 0).toInt(), g.textMatrix(2, 0).toInt());
    EXPECT_EQ(g.textMatrix(1, ColInfraccion::Fecha), QStringLiteral("01/03/2011"));
    EXPECT_EQ(g.textMatrix(1, ColInfraccion::Hora), QStringLiteral("14:30:05"));
    // Slot 3 is open only while reading.
    EXPECT_FALSE(Conexion3.abierta());

    CargarInfracciones(g, QString());
    EXPECT_EQ(g.rows(), 1);
    EXPECT_EQ(g.cols(), ColInfraccion::Cantidad);
    FormatearInfracciones(g);
    EXPECT_EQ(g.textMatrix(0, 5), QStringLiteral(" Estatus "));
    EXPECT_EQ(g.textMatrix(0, 17), QStringLiteral(" CI"));
    EXPECT_EQ(g.colWidth(0), 0);
    EXPECT_EQ(g.colWidth(9), 1510);
    EXPECT_EQ(g.colAlignment(4), Qt::AlignCenter);
}

} // namespace
