// The grid model's sort and hidden rows, its view, and the bounded column measurement.
#include "core/store/TablaTextos.h"
#include "windows/grid/AnchoColumnas.h"
#include "windows/grid/GridModel.h"
#include "windows/grid/GridView.h"
#include "windows/grid/VistaInfracciones.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <functional>

#include <gtest/gtest.h>

namespace {

void llenar(GridModel& g, const QList<QStringList>& filas) {
    g.bind(QStringList(filas.first().size(), QString()),
           std::vector<QStringList>(filas.begin(), filas.end()));
}
QString columna(const GridModel& g, int c, const QString& separador = QStringLiteral(",")) {
    QStringList r;
    for (int i = 1; i < g.rows(); ++i)
        r << g.textMatrix(i, c);
    return r.join(separador);
}
void ordenar(GridModel& g, int col, bool ascendente) {
    g.setCol(col);
    ASSERT_TRUE(g.sortByCurrentCol(ascendente));
}

// Numbers as numbers ("nan" and "inf" are text), dates by date, times by time, names in Spanish
// order; equal keys keep their order both ways; a hidden row moves with its texts.
TEST(Grid, OrdenNumericoFechaHoraYEspanolConFilasOcultas) {
    GridModel g;
    QAbstractItemModelTester tester(&g, QAbstractItemModelTester::FailureReportingMode::Fatal);
    llenar(g, {{"14/02/2023", "10:00:00", "Oso", "a", "nan"},
               {"03/01/2024", "9:05:00", "Ñandú", "b", "10"},
               {"", "", "", "c", "-1.5"},
               {"1/2/2023", "09:04:59", "Berlín", "d", "inf"},
               {"14/02/2023", "23:59:59", "Ávila", "e", "2"},
               {"31/12/2022", "00:00:00", "avila", "f", ""},
               {"14/02/2023", "10:00:00", "Nube", "g", "1/1/2000"},
               {"5/1/2023", "09:05:00", "Avila", "h", "100"},
               {"31/12/2022", "12:00:00", "Über", "i", "9"}});
    g.setRowHeight(2, 0); // "b"
    ordenar(g, 0, true);
    EXPECT_EQ(columna(g, 3, {}), QStringLiteral("cfihdaegb"));
    EXPECT_TRUE(g.rowHidden(9));
    EXPECT_EQ(g.rowCount(), 8);
    ordenar(g, 0, false);
    EXPECT_EQ(columna(g, 3, {}), QStringLiteral("baegdhfic"));
    ordenar(g, 1, true);
    EXPECT_TRUE(columna(g, 1).startsWith(QStringLiteral(",00:00:00,09:04:59,9:05:00,09:05:00,10")));
    ordenar(g, 2, true);
    EXPECT_EQ(columna(g, 2), QStringLiteral(",avila,Avila,Ávila,Berlín,Nube,Ñandú,Oso,Über"));
    ordenar(g, 4, true);
    EXPECT_EQ(columna(g, 4), QStringLiteral("-1.5,2,9,10,100,,1/1/2000,inf,nan"));
    EXPECT_TRUE(g.rowHidden(4));
    EXPECT_EQ(g.textMatrix(4, 3), QStringLiteral("b"));
    // Each row still knows which bound row it shows, so a date filter reaches the right ones.
    for (int f = 1; f < g.rows(); ++f)
        EXPECT_EQ(g.rowTag(f), g.textMatrix(f, 3).at(0).unicode() - 'a');
    std::vector<QStringList> registros(9, QStringList(ColInfraccion::Cantidad, QStringLiteral("01/01/2020")));
    registros[0][ColInfraccion::Fecha] = registros[8][ColInfraccion::Fecha] = QStringLiteral("01/01/2000");
    FilasInfraccion filas = FilasInfraccion::DeRegistros(registros);
    filas.filtrarPorFechas(QDate(2010, 1, 1), QDate(2030, 1, 1)); // hides "a" and "i"
    AplicarOcultas(g, filas);
    QString ocultas;
    for (int f = 1; f < g.rows(); ++f)
        if (g.rowHidden(f))
            ocultas += g.textMatrix(f, 3);
    EXPECT_EQ(ocultas, QStringLiteral("ia"));
}

// Rows whose texts stay with their owner: the grid asks for them by bound row wherever a sort
// moved them, a text set on one row overrides only that row, and the colour follows the row.
TEST(Grid, FilasDeUnaFuenteAjenaOrdenColorYTextoPropio) {
    auto textos = std::make_shared<std::vector<QStringList>>(
        std::vector<QStringList>{{"3", "tres"}, {"1", "uno"}, {"2", "dos"}});
    GridModel g;
    QAbstractItemModelTester tester(&g, QAbstractItemModelTester::FailureReportingMode::Fatal);
    g.setFixedCols(1);
    g.bind({QStringLiteral("n"), QStringLiteral("nombre")}, textos->size(),
           [textos](std::size_t f, int c) { return textos->at(f).value(c); });
    EXPECT_EQ(g.cols(), 3);
    EXPECT_EQ(columna(g, 2), QStringLiteral("tres,uno,dos"));
    EXPECT_EQ(g.textMatrix(0, 2), QStringLiteral("nombre"));
    g.setRowColorFunction([](const GridModel& m, int f) {
        return m.textMatrix(f, 1) == QStringLiteral("1") ? Qt::red : Qt::white;
    });
    ordenar(g, 1, true);
    EXPECT_EQ(columna(g, 2), QStringLiteral("uno,dos,tres"));
    EXPECT_EQ(g.rowTag(1), 1);
    EXPECT_EQ(g.cellBackColor(1, 2), QColor(Qt::red));
    EXPECT_EQ(g.rowTexts(3), (QStringList{QString(), "3", "tres"}));
    g.setTextMatrix(3, 2, QStringLiteral("TRES"));
    EXPECT_EQ(columna(g, 2), QStringLiteral("uno,dos,TRES"));
    EXPECT_EQ(g.textMatrix(3, 1), QStringLiteral("3"));
    EXPECT_EQ(textos->at(0).at(1), QStringLiteral("tres")); // the owner's text is untouched
    g.insertEmptyRow(2);
    EXPECT_EQ(columna(g, 1), QStringLiteral("1,,2,3"));
    EXPECT_EQ(g.rowTag(2), -1);
}

TEST(Grid, VistaMuestraSoloFilasVisiblesYReportaClics) {
    GridModel g;
    llenar(g, {{"1", "uno"}, {"2", "dos"}, {"3", "tres"}});
    g.setColWidth(0, 0);
    g.setColWidth(1, 100);
    g.setRowHeight(1, 0);
    GridView v(&g);
    v.resize(400, 300);
    v.show();
    EXPECT_TRUE(v.isColumnHidden(0));
    EXPECT_EQ(v.columnWidth(1), 100);
    ASSERT_EQ(v.model()->rowCount(), 2);
    EXPECT_EQ(v.model()->index(0, 1).data().toString(), QStringLiteral("dos"));

    QSignalSpy clics(&v, &GridView::clic);
    QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, v.visualRect(v.model()->index(1, 1)).center());
    EXPECT_EQ(g.row(), 3);
    EXPECT_EQ(g.col(), 1);
    ASSERT_EQ(clics.count(), 1);
    EXPECT_EQ(clics[0][0].toInt(), 3);
    g.setRow(2);
    EXPECT_EQ(v.currentIndex().row(), 0);
}

// The widths come from a few candidate cells per column, yet equal measuring every cell.
TEST(AnchoColumnas, MedicionAcotadaDaLosAnchosDeMedirCadaCelda) {
    GridModel g;
    g.setCols(3);
    g.setRows(402);
    g.setTextMatrix(0, 1, QStringLiteral("Cabecera muy larga"));
    for (int f = 1; f < 402; ++f) {
        g.setTextMatrix(f, 1, QStringLiteral("corto"));
        // Many long but narrow texts, one short but wide: the wide one decides.
        g.setTextMatrix(f, 2,
                        f == 250 ? QStringLiteral("WWWWWWWW") : QStringLiteral("iiiiiiiiiiil%1").arg(f % 7));
    }
    QFont fuente(QStringLiteral("Arial"));
    fuente.setPointSize(9);
    for (int candidatos : {1, 4, 24})
        EXPECT_EQ(AnchosColumnas(g, fuente, -1, candidatos), AnchosColumnasCompleto(g, fuente)) << candidatos;
    // Header wider than every cell; 23⅓ pixels of margin, measured to a fifteenth of a pixel.
    EXPECT_EQ(
        AnchosColumnas(g, fuente)[1],
        (qRound(QFontMetricsF(fuente).horizontalAdvance(QStringLiteral("Cabecera muy larga")) * 15 + 350) +
         7) /
            15);

    // A search shows part of a list estimated once: the widths of that part, not of the whole.
    std::vector<QStringList> todas;
    auto tabla = std::make_shared<TablaTextos>(3);
    for (int f = 1; f < 402; ++f) {
        todas.push_back(g.rowTexts(f));
        const QByteArray utf8[] = {g.textMatrix(f, 0).toUtf8(), g.textMatrix(f, 1).toUtf8(),
                                   g.textMatrix(f, 2).toUtf8()};
        const QByteArrayView celdas[] = {utf8[0], utf8[1], utf8[2]};
        tabla->agregarFila(celdas, 3);
    }
    const EstimacionAnchos estimacion = EstimarAnchos(tabla, fuente, 3);
    std::vector<QStringList> parte;
    std::vector<quint32> origen;
    for (quint32 i = 1; i < todas.size(); i += 3) { // leaves out the wide one
        parte.push_back(todas[i]);
        origen.push_back(i);
    }
    GridModel p;
    // The header row holds only the cells written to it: the three columns are named here.
    p.bind({QString(), QStringLiteral("Cabecera muy larga"), QString()}, parte);
    ASSERT_EQ(p.cols(), 3);
    EXPECT_EQ(AnchosColumnas(p, fuente, -1, estimacion, origen), AnchosColumnasCompleto(p, fuente));
    EXPECT_LT(AnchosColumnas(p, fuente, -1, estimacion, origen)[2], AnchosColumnas(g, fuente)[2]);
}

// A list estimated once, then shown in parts: whole, a part that holds each column's widest text,
// parts that leave it out, sorted, and with a row the grid added. Always the widths of what is
// shown, as measuring every cell gives.
TEST(AnchoColumnas, PartesDeUnaListaEstimadaUnaVez) {
    const char* const localidades[] = {"Quilmes", "Bernal", "Wilde", "Don Bosco del Oeste"};
    auto tabla = std::make_shared<TablaTextos>(3);
    std::vector<QStringList> todas;
    for (int i = 0; i < 600; ++i) {
        const QStringList fila{QString::number(i + 1), QString::fromLatin1(localidades[i % 4]),
                               i == 300 ? QStringLiteral("WWWWWWWW") : QStringLiteral("Cliente %1").arg(i)};
        todas.push_back(fila);
        const QByteArray utf8[] = {fila[0].toUtf8(), fila[1].toUtf8(), fila[2].toUtf8()};
        const QByteArrayView celdas[] = {utf8[0], utf8[1], utf8[2]};
        tabla->agregarFila(celdas, 3);
    }
    QFont fuente(QStringLiteral("Arial"));
    fuente.setPointSize(9);
    const EstimacionAnchos estimacion = EstimarAnchos(tabla, fuente, 3);
    const auto mostrar = [&](const std::function<bool(int)>& incluida,
                             const std::function<void(GridModel&)>& luego) {
        std::vector<QStringList> parte;
        std::vector<quint32> origen;
        for (int i = 0; i < 600; ++i)
            if (incluida(i)) {
                parte.push_back(todas[static_cast<size_t>(i)]);
                origen.push_back(static_cast<quint32>(i));
            }
        GridModel p;
        p.bind({QStringLiteral("id"), QStringLiteral("Localidad"), QStringLiteral("Nombre")}, parte);
        if (luego)
            luego(p);
        const std::vector<int> anchos = AnchosColumnas(p, fuente, -1, estimacion, origen);
        EXPECT_EQ(anchos, AnchosColumnasCompleto(p, fuente));
        return anchos;
    };
    const std::vector<int> entera = mostrar([](int) { return true; }, {});
    const std::vector<int> conAncha = mostrar([](int i) { return i % 3 == 0; }, {});
    EXPECT_EQ(conAncha, entera);
    const std::vector<int> sinAncha = mostrar([](int i) { return i % 4 != 3 && i != 300; }, {});
    EXPECT_LT(sinAncha[1], entera[1]);
    EXPECT_LT(sinAncha[2], entera[2]);
    mostrar([](int i) { return i % 3 == 0; },
            [](GridModel& p) {
                p.setCol(2);
                p.sortByCurrentCol(false);
            });
    mostrar([](int i) { return i % 4 != 3; }, [](GridModel& p) { p.insertEmptyRow(1); });
}

// Estimating the list again after a write lends the previous estimate's rows: whatever changed
// (a hidden column, a shown text, the cell a text sits in, a row more), the result is what
// estimating from nothing gives.
TEST(AnchoColumnas, EstimacionTrasUnaEscrituraComoDesdeCero) {
    const auto tabla = [](const std::function<void(int, QStringList&)>& cambio, int filas) {
        auto t = std::make_shared<TablaTextos>(4);
        for (int i = 0; i < filas; ++i) {
            QStringList fila{QString::number(i + 1), QStringLiteral("Quilmes"),
                             QStringLiteral("Cliente %1").arg(i), QStringLiteral("oculta")};
            if (cambio)
                cambio(i, fila);
            const QByteArray utf8[] = {fila[0].toUtf8(), fila[1].toUtf8(), fila[2].toUtf8(),
                                       fila[3].toUtf8()};
            const QByteArrayView celdas[] = {utf8[0], utf8[1], utf8[2], utf8[3]};
            t->agregarFila(celdas, 4);
        }
        return std::shared_ptr<const TablaTextos>(std::move(t));
    };
    QFont fuente(QStringLiteral("Arial"));
    fuente.setPointSize(9);
    const auto igual = [](const EstimacionAnchos& a, const EstimacionAnchos& b) {
        EXPECT_EQ(a.valores, b.valores);
        EXPECT_EQ(a.maximos, b.maximos);
        EXPECT_EQ(a.filasMaximas, b.filasMaximas);
        EXPECT_EQ(a.textosPocos, b.textosPocos);
        EXPECT_EQ(a.candidatos, b.candidatos);
    };
    const std::function<void(int, QStringList&)> cambios[] = {
        [](int i, QStringList& f) { f[3] = i == 7 ? QStringLiteral("otra cosa") : f[3]; },
        [](int i, QStringList& f) { f[2] = i == 7 ? QStringLiteral("WWWWWWWWWWWWWWW") : f[2]; },
        [](int i, QStringList& f) { f[1] = i == 3 ? QStringLiteral("Bernal") : f[1]; },
        [](int i, QStringList& f) { // the same bytes, split otherwise between two cells
            if (i == 5) {
                f[1] = QStringLiteral("QuilmesC");
                f[2] = f[2].mid(1);
            }
        },
    };
    for (const auto& cambio : cambios) {
        const auto despues = tabla(cambio, 40);
        igual(EstimarAnchos(despues, fuente, 3, EstimarAnchos(tabla({}, 40), fuente, 3)),
              EstimarAnchos(despues, fuente, 3));
    }
    igual(EstimarAnchos(tabla({}, 41), fuente, 3, EstimarAnchos(tabla({}, 40), fuente, 3)),
          EstimarAnchos(tabla({}, 41), fuente, 3));
    QFont otra = fuente;
    otra.setPointSize(14);
    igual(EstimarAnchos(tabla({}, 40), otra, 3, EstimarAnchos(tabla({}, 40), fuente, 3)),
          EstimarAnchos(tabla({}, 40), otra, 3));
}

// The per-character estimate read from UTF-8 is the sum of the advances of the text's UTF-16
// units in order, for any text the store may hold: accents, euro sign, emoji, malformed bytes.
TEST(Grid, EstimacionDesdeUtf8ComoDesdeElTexto) {
    QFont fuente(QStringLiteral("Arial"));
    fuente.setPointSize(9);
    const QFontMetricsF fm(fuente);
    const QByteArray textos[] = {"Juan Perez",
                                 "Pe\xc3\xb1"
                                 "a \xc3\x91"
                                 "and\xc3\xba",
                                 "100 \xe2\x82\xac",
                                 "\xf0\x9f\x8e\xb5 m\xc3\xbasica",
                                 "a\xc3",
                                 "\xe2\x82",
                                 "\xc0\xaf\xed\xa0\x80",
                                 ""};
    auto tabla = std::make_shared<TablaTextos>(1);
    for (const QByteArray& t : textos) {
        const QByteArrayView celda(t);
        tabla->agregarFila(&celda, 1);
    }
    const EstimacionAnchos e = EstimarAnchos(tabla, fuente, 1);
    ASSERT_EQ(e.valores.size(), std::size(textos));
    std::vector<qreal> esperados;
    for (std::size_t i = 0; i < std::size(textos); ++i) {
        qreal esperado = 0;
        for (const QChar c : QString::fromUtf8(textos[i]))
            esperado += fm.horizontalAdvance(c);
        esperados.push_back(esperado);
        EXPECT_EQ(e.valores[i], esperado) << i;
    }
    // A long list is estimated on two threads: every row as alone.
    auto larga = std::make_shared<TablaTextos>(1);
    constexpr std::size_t kFilas = 24001;
    for (std::size_t i = 0; i < kFilas; ++i) {
        const QByteArrayView celda(textos[i % std::size(textos)]);
        larga->agregarFila(&celda, 1);
    }
    const EstimacionAnchos l = EstimarAnchos(larga, fuente, 1);
    ASSERT_EQ(l.valores.size(), kFilas);
    std::size_t distintas = 0;
    for (std::size_t i = 0; i < kFilas; ++i)
        distintas += l.valores[i] == esperados[i % esperados.size()] ? 0 : 1;
    EXPECT_EQ(distintas, 0u);
}

} // namespace
