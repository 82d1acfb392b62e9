#include "grid/GridModel.h"
#include "grid/GridView.h"
#include "store/Recordset.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {
void llenar(GridModel& g, const QList<QStringList>& filas) {
    g.bind(QStringList(filas.isEmpty() ? 0 : filas.first().size(), QString()),
           std::vector<QStringList>(filas.begin(), filas.end()));
}
QStringList columna(const GridModel& g, int c) {
    QStringList r;
    for (int i = 1; i < g.rows(); ++i)
        r << g.textMatrix(i, c);
    return r;
}
} // namespace

TEST(Grid, OrdenNumericoYTextoConFilasOcultas) {
    GridModel g;
    QAbstractItemModelTester tester(&g, QAbstractItemModelTester::FailureReportingMode::Fatal);
    llenar(g, {{"10", "b"}, {"9", "a"}, {"100", "C"}, {"x", "d"}});
    g.setRowHeight(2, 0);
    g.setCol(0);
    ASSERT_TRUE(g.sortByCurrentCol(true));
    EXPECT_EQ(columna(g, 0), QStringList({"9", "10", "100", "x"}));
    // The hidden row moved with its texts and stays hidden.
    EXPECT_TRUE(g.rowHidden(1));
    EXPECT_EQ(g.textMatrix(1, 1), QStringLiteral("a"));
    EXPECT_EQ(g.rowCount(), 3);
    g.setCol(1);
    ASSERT_TRUE(g.sortByCurrentCol(false));
    EXPECT_EQ(columna(g, 1), QStringList({"d", "C", "b", "a"}));
    EXPECT_EQ(g.textMatrix(0, 0), QString());
}

// Dates by date, times by time, names in Spanish order; equal keys keep their order both ways.
TEST(Grid, OrdenPorFechaHoraYEnEspanol) {
    GridModel g;
    llenar(g, {{"14/02/2023", "10:00:00", "Oso", "a"},
               {"03/01/2024", "9:05:00", "Ñandú", "b"},
               {"", "", "", "c"},
               {"1/2/2023", "09:04:59", "Berlín", "d"},
               {"14/02/2023", "23:59:59", "Ávila", "e"},
               {"31/12/2022", "00:00:00", "avila", "f"},
               {"14/02/2023", "10:00:00", "Nube", "g"},
               {"5/1/2023", "09:05:00", "Avila", "h"},
               {"31/12/2022", "12:00:00", "Über", "i"},
               {"03/01/2024", "12:00:00", "zeta", "j"},
               {"1/2/2023", "12:00:00", "Uva", "k"}});
    g.setCol(0);
    ASSERT_TRUE(g.sortByCurrentCol(true));
    EXPECT_EQ(columna(g, 0),
              QStringList({"", "31/12/2022", "31/12/2022", "5/1/2023", "1/2/2023", "1/2/2023", "14/02/2023",
                           "14/02/2023", "14/02/2023", "03/01/2024", "03/01/2024"}));
    EXPECT_EQ(columna(g, 3).join(QString()), QStringLiteral("cfihdkaegbj"));
    ASSERT_TRUE(g.sortByCurrentCol(false));
    EXPECT_EQ(columna(g, 3).join(QString()), QStringLiteral("bjaegdkhfic"));

    g.setCol(1);
    ASSERT_TRUE(g.sortByCurrentCol(true));
    EXPECT_EQ(columna(g, 1).mid(0, 5), QStringList({"", "00:00:00", "09:04:59", "9:05:00", "09:05:00"}));

    g.setCol(2);
    ASSERT_TRUE(g.sortByCurrentCol(true));
    EXPECT_EQ(columna(g, 2), QStringList({"", "avila", "Avila", "Ávila", "Berlín", "Nube", "Ñandú", "Oso",
                                          "Über", "Uva", "zeta"}));

    // Numbers stay numeric, "nan" and "inf" are text, and a mixed column keeps one order.
    GridModel n;
    llenar(n, {{"nan"}, {"10"}, {"-1.5"}, {"inf"}, {"2"}, {""}, {"1/1/2000"}});
    n.setCol(0);
    ASSERT_TRUE(n.sortByCurrentCol(true));
    EXPECT_EQ(columna(n, 0), QStringList({"-1.5", "2", "10", "", "1/1/2000", "inf", "nan"}));
}

TEST(Grid, VistaMuestraSoloFilasVisiblesYReportaClics) {
    GridModel g;
    llenar(g, {{"1", "uno"}, {"2", "dos"}, {"3", "tres"}});
    g.setColWidth(0, 0);
    g.setColWidth(1, 1500);
    g.setRowHeight(1, 0);
    GridView v(&g);
    v.resize(400, 300);
    v.show();
    EXPECT_TRUE(v.isColumnHidden(0));
    EXPECT_EQ(v.columnWidth(1), 100);
    ASSERT_EQ(v.model()->rowCount(), 2);
    EXPECT_EQ(v.model()->index(0, 1).data().toString(), QStringLiteral("dos"));

    QSignalSpy clics(&v, &GridView::clic);
    QSignalSpy cambios(&g, &GridModel::cambioFilaColumna);
    const QRect r = v.visualRect(v.model()->index(1, 1));
    QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(g.row(), 3);
    EXPECT_EQ(g.col(), 1);
    EXPECT_GE(cambios.count(), 1);
    ASSERT_EQ(clics.count(), 1);
    EXPECT_EQ(clics[0][0].toInt(), 3);

    g.setRow(2);
    EXPECT_EQ(v.currentIndex().row(), 0);
}
