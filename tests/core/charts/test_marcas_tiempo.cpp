// The date axis's ticks: a step in whole units chosen for the period, the ticks on multiples of
// it inside the period, and texts in that unit with the day or year where it changes.

#include "core/charts/DatosGrafico.h"
#include "core/charts/MarcasTiempo.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

// Texts as text in the failures.
void PrintTo(const QString& texto, std::ostream* os) {
    *os << '"' << texto.toStdString() << '"';
}

namespace {

qint64 ms(int a, int m, int d, int h = 0, int min = 0, int s = 0) {
    return MsDeFechaHora(QDate(a, m, d), QTime(h, min, s));
}

QStringList textos(const MarcasTiempo& r) {
    QStringList t;
    for (const MarcaTiempo& m : r.marcas)
        t << m.texto;
    return t;
}

QStringList contextos(const MarcasTiempo& r) {
    QStringList t;
    for (const MarcaTiempo& m : r.marcas)
        t << m.contexto;
    return t;
}

// What every answer must hold, whatever the period: few ticks, in order, inside the period, on
// whole multiples of the step, written in its unit, and never two alike.
::testing::AssertionResult bienFormadas(const MarcasTiempo& r, qint64 desde, qint64 hasta, int maximo) {
    if (r.marcas.empty() || r.marcas.size() > static_cast<std::size_t>(maximo))
        return ::testing::AssertionFailure() << r.marcas.size() << " marcas";
    std::set<QString> vistas;
    QString contextoVigente;
    for (std::size_t i = 0; i < r.marcas.size(); ++i) {
        const MarcaTiempo& m = r.marcas[i];
        const QDateTime t = FechaHoraDeMs(m.ms);
        const QDate f = t.date();
        if (m.ms < desde || m.ms > hasta || (i > 0 && m.ms <= r.marcas[i - 1].ms))
            return ::testing::AssertionFailure() << "fuera de orden o del período: " << m.texto.toStdString();
        bool entera = false;
        QString esperado, contexto;
        switch (r.unidad) {
        case UnidadTiempo::Segundo:
            entera = t.time().second() % r.paso == 0 && t.time().msec() == 0;
            esperado = t.toString(QStringLiteral("HH:mm:ss"));
            contexto = f.toString(QStringLiteral("dd/MM/yyyy"));
            break;
        case UnidadTiempo::Minuto:
            entera = t.time().minute() % r.paso == 0 && t.time().second() == 0 && t.time().msec() == 0;
            esperado = t.toString(QStringLiteral("HH:mm"));
            contexto = f.toString(QStringLiteral("dd/MM/yyyy"));
            break;
        case UnidadTiempo::Hora:
            entera = t.time().hour() % r.paso == 0 && t.time().minute() == 0 && t.time().second() == 0 &&
                     t.time().msec() == 0;
            esperado = t.toString(QStringLiteral("HH:mm"));
            contexto = f.toString(QStringLiteral("dd/MM/yyyy"));
            break;
        case UnidadTiempo::Dia:
            entera = t.time() == QTime(0, 0) && f.toJulianDay() % r.paso == 0;
            esperado = f.toString(QStringLiteral("dd/MM"));
            contexto = QString::number(f.year());
            break;
        case UnidadTiempo::Mes:
            entera = t.time() == QTime(0, 0) && f.day() == 1 && (f.month() - 1) % r.paso == 0;
            esperado = QRegularExpression(QStringLiteral("^[a-z]{3} \\d{4}$")).match(m.texto).hasMatch() &&
                               m.texto.endsWith(QString::number(f.year()))
                           ? m.texto
                           : QStringLiteral("mmm aaaa");
            break;
        case UnidadTiempo::Anio:
            entera = t.time() == QTime(0, 0) && f.day() == 1 && f.month() == 1 && f.year() % r.paso == 0;
            esperado = QString::number(f.year());
            break;
        }
        if (!entera)
            return ::testing::AssertionFailure() << "no cae en una unidad entera: " << m.texto.toStdString();
        if (m.texto != esperado)
            return ::testing::AssertionFailure()
                   << m.texto.toStdString() << " en vez de " << esperado.toStdString();
        // The day (or year) is written on the first tick and where it changes, nowhere else.
        const QString debido = contexto != contextoVigente ? contexto : QString();
        contextoVigente = contexto;
        if (m.contexto != debido)
            return ::testing::AssertionFailure()
                   << "contexto " << m.contexto.toStdString() << " en " << m.texto.toStdString();
        if (!vistas.insert(m.texto + QLatin1Char('|') + contextoVigente).second)
            return ::testing::AssertionFailure() << "repetida: " << m.texto.toStdString();
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(MarcasTiempo, UnaTardeYUnDiaEnHorasConLaFechaDondeCambia) {
    // One evening, with the chart's half-hour margins.
    qint64 desde = ms(2014, 3, 12, 17, 30), hasta = ms(2014, 3, 12, 23, 30);
    MarcasTiempo r = ElegirMarcasTiempo(desde, hasta);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 10));
    EXPECT_EQ(r.unidad, UnidadTiempo::Hora);
    EXPECT_EQ(r.paso, 1);
    EXPECT_EQ(textos(r), QStringList({"18:00", "19:00", "20:00", "21:00", "22:00", "23:00"}));
    EXPECT_EQ(contextos(r), QStringList({"12/03/2014", "", "", "", "", ""}));

    // Past midnight the new day is named at its first tick.
    desde = ms(2014, 3, 12, 20, 40), hasta = ms(2014, 3, 13, 2, 20);
    r = ElegirMarcasTiempo(desde, hasta);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 10));
    EXPECT_EQ(textos(r), QStringList({"21:00", "22:00", "23:00", "00:00", "01:00", "02:00"}));
    EXPECT_EQ(contextos(r), QStringList({"12/03/2014", "", "", "13/03/2014", "", ""}));

    // A whole day: every 3 hours, both midnights told apart by their date.
    desde = ms(2014, 3, 12), hasta = ms(2014, 3, 13);
    r = ElegirMarcasTiempo(desde, hasta);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 10));
    EXPECT_EQ(r.unidad, UnidadTiempo::Hora);
    EXPECT_EQ(r.paso, 3);
    EXPECT_EQ(r.marcas.front().texto, "00:00");
    EXPECT_EQ(r.marcas.back().texto, "00:00");
    EXPECT_EQ(r.marcas.back().contexto, "13/03/2014");
    // Less room, fewer ticks: the same day every 12 hours.
    r = ElegirMarcasTiempo(desde, hasta, 4);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 4));
    EXPECT_EQ(r.paso, 12);

    // Zoomed down to a minute: seconds.
    desde = ms(2014, 3, 12, 20, 14, 3), hasta = ms(2014, 3, 12, 20, 15, 3);
    r = ElegirMarcasTiempo(desde, hasta);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 10));
    EXPECT_EQ(r.unidad, UnidadTiempo::Segundo);
    EXPECT_EQ(r.marcas.front().texto, "20:14:10");
}

TEST(MarcasTiempo, DiasSemanasYMesesEnUnidadesEnteras) {
    // Over the new year the days name the year where it changes.
    qint64 desde = ms(2013, 12, 24, 12), hasta = ms(2014, 1, 2, 12);
    MarcasTiempo r = ElegirMarcasTiempo(desde, hasta);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 10));
    EXPECT_EQ(r.unidad, UnidadTiempo::Dia);
    EXPECT_EQ(r.paso, 1);
    EXPECT_EQ(textos(r).mid(6), QStringList({"31/12", "01/01", "02/01"}));
    EXPECT_EQ(contextos(r).mid(6), QStringList({"", "2014", ""}));
    EXPECT_EQ(r.marcas.front().contexto, "2013");

    // Six weeks: Mondays.
    desde = ms(2014, 3, 1), hasta = ms(2014, 4, 12);
    r = ElegirMarcasTiempo(desde, hasta);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 10));
    EXPECT_EQ(r.unidad, UnidadTiempo::Dia);
    EXPECT_EQ(r.paso, 7);
    for (const MarcaTiempo& m : r.marcas)
        EXPECT_EQ(FechaHoraDeMs(m.ms).date().dayOfWeek(), 1) << m.texto.toStdString();
    EXPECT_EQ(r.marcas.front().texto, "03/03");

    // Most of a year: each month, with its year.
    desde = ms(2014, 2, 10), hasta = ms(2014, 10, 15);
    r = ElegirMarcasTiempo(desde, hasta);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 10));
    EXPECT_EQ(r.unidad, UnidadTiempo::Mes);
    EXPECT_EQ(r.paso, 1);
    EXPECT_EQ(textos(r), QStringList({"mar 2014", "abr 2014", "may 2014", "jun 2014", "jul 2014", "ago 2014",
                                      "sep 2014", "oct 2014"}));

    // Two years: quarters, starting in January, April, July and October.
    desde = ms(2012, 5, 15), hasta = ms(2014, 4, 20);
    r = ElegirMarcasTiempo(desde, hasta);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 10));
    EXPECT_EQ(r.unidad, UnidadTiempo::Mes);
    EXPECT_EQ(r.paso, 3);
    EXPECT_EQ(textos(r).first(3), QStringList({"jul 2012", "oct 2012", "ene 2013"}));
}

TEST(MarcasTiempo, QuinceAniosEnAniosYCualquierPeriodoBienFormado) {
    // Fifteen years, as the whole series of a long-kept client is shown.
    qint64 desde = ms(2009, 11, 30, 7, 12), hasta = ms(2025, 2, 3, 16, 48);
    MarcasTiempo r = ElegirMarcasTiempo(desde, hasta);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 10));
    EXPECT_EQ(r.unidad, UnidadTiempo::Anio);
    EXPECT_EQ(r.paso, 2);
    EXPECT_EQ(textos(r), QStringList({"2010", "2012", "2014", "2016", "2018", "2020", "2022", "2024"}));
    EXPECT_EQ(contextos(r), QStringList(8));
    // Centuries still get a handful of ticks.
    desde = ms(1900, 1, 1), hasta = ms(2099, 12, 31);
    r = ElegirMarcasTiempo(desde, hasta);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 10));
    EXPECT_EQ(r.paso, 20);

    // Any period from a minute to a few decades, anywhere, with room for five to ten ticks.
    QRandomGenerator azar(11);
    for (int i = 0; i < 2000; ++i) {
        desde = ms(2000, 1, 1) + qint64(azar.bounded(30 * 365)) * 86400000 + azar.bounded(86400000);
        const double exponente = 4.8 + azar.generateDouble() * 4.2; // 1 min to ~30 years
        hasta = desde + static_cast<qint64>(std::pow(10.0, exponente));
        const int maximo = 5 + azar.bounded(6);
        r = ElegirMarcasTiempo(desde, hasta, maximo);
        ASSERT_TRUE(bienFormadas(r, desde, hasta, maximo)) << desde << ".." << hasta << " max " << maximo;
        // Never so coarse that the period is left nearly bare.
        EXPECT_GE(r.marcas.size(), 2u) << desde << ".." << hasta << " max " << maximo;
    }
    // With room for two only, every two hours would leave a single tick: hourly ones instead.
    desde = ms(2014, 3, 4, 18, 10), hasta = ms(2014, 3, 4, 21, 50);
    r = ElegirMarcasTiempo(desde, hasta, 2);
    EXPECT_TRUE(bienFormadas(r, desde, hasta, 3));
    EXPECT_EQ(textos(r), QStringList({"19:00", "20:00", "21:00"}));

    EXPECT_TRUE(ElegirMarcasTiempo(hasta, desde).marcas.empty());
}

TEST(MarcasTiempo, EnUnGraficoCadaEtiquetaCabeEnteraYNoTocaALaVecina) {
    // Years need little room, a date under a time much more.
    const auto anchos = [](UnidadTiempo u) {
        switch (u) {
        case UnidadTiempo::Anio:
            return 40.0;
        case UnidadTiempo::Mes:
            return 70.0;
        case UnidadTiempo::Dia:
            return 45.0;
        default:
            return 85.0;
        }
    };
    // Fifteen years on a narrow plot: every two years still fits...
    qint64 desde = ms(2009, 8, 20), hasta = ms(2025, 5, 15);
    MarcasTiempo r = ElegirMarcasTiempo(desde, hasta, 560.0, anchos);
    EXPECT_EQ(r.unidad, UnidadTiempo::Anio);
    EXPECT_EQ(r.paso, 2);
    // ...but not with labels twice as wide.
    r = ElegirMarcasTiempo(desde, hasta, 560.0, [&](UnidadTiempo u) { return 2 * anchos(u); });
    EXPECT_EQ(r.paso, 5);
    // No room to speak of: as many as the plain rule would give.
    EXPECT_EQ(textos(ElegirMarcasTiempo(desde, hasta, 0.0, anchos)),
              textos(ElegirMarcasTiempo(desde, hasta)));

    QRandomGenerator azar(5);
    for (int i = 0; i < 2000; ++i) {
        desde = ms(2000, 1, 1) + qint64(azar.bounded(30 * 365)) * 86400000 + azar.bounded(86400000);
        hasta = desde + static_cast<qint64>(std::pow(10.0, 4.8 + azar.generateDouble() * 4.2));
        const double ancho = 300 + azar.bounded(1200);
        r = ElegirMarcasTiempo(desde, hasta, ancho, anchos);
        ASSERT_TRUE(bienFormadas(r, desde, hasta, 10)) << desde << ".." << hasta << " en " << ancho;
        const double etiqueta = anchos(r.unidad);
        const auto x = [&](qint64 t) { return double(t - desde) * ancho / double(hasta - desde); };
        for (std::size_t k = 0; k < r.marcas.size(); ++k) {
            EXPECT_GE(x(r.marcas[k].ms), etiqueta / 2 - 0.01) << desde << ".." << hasta << " en " << ancho;
            EXPECT_LE(x(r.marcas[k].ms), ancho - etiqueta / 2 + 0.01)
                << desde << ".." << hasta << " en " << ancho;
            if (k > 0) {
                EXPECT_GE(x(r.marcas[k].ms) - x(r.marcas[k - 1].ms), etiqueta - 0.01)
                    << desde << ".." << hasta << " en " << ancho;
            }
        }
    }
}
