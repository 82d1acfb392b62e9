// The chart's data from rows: points in the range, the limit's steps, the reduction for drawing
// and the week-by-hour counts.

#include "core/charts/DatosGrafico.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

QStringList fila(const QString& fecha, const QString& hora, const QString& nivel,
                 const QString& estatus = QStringLiteral("L. SHOW"),
                 const QString& maximo = QStringLiteral("095")) {
    QStringList c(19, QString());
    c[ColInfraccion::Fecha] = fecha;
    c[ColInfraccion::Hora] = hora;
    c[ColInfraccion::NivelDb] = nivel;
    c[ColInfraccion::Estatus] = estatus;
    c[ColInfraccion::MaxDb] = maximo;
    return c;
}

// The row with a group mark: a separator follows it in the view.
QStringList marcada(QStringList c) {
    c[ColInfraccion::CI] = QStringLiteral("1.");
    return c;
}

const QDate kDesde(2024, 1, 1);
const QDate kHasta(2024, 12, 31);

} // namespace

TEST(DatosGrafico, PuntosDelRangoEnOrdenConSuEstatusYDescripcion) {
    const FilasInfraccion filas = FilasInfraccion::DeRegistros({
        fila("31/12/2023", "23:59:59", "120"),                       // the day before the range
        marcada(fila("01/01/2024", "00:00:00", "090", "D. JOCKEY")), // a separator follows
        fila("05/03/2024", "10:00:00", "101"),
        fila("02/01/2024", "12:30:00", "088", "MIC. DESC."), // imported late, earlier day
        fila("31/12/2024", "23:59:59", "096"),
        fila("01/01/2025", "00:00:00", "130"), // the day after
        fila("xx/01/2024", "10:00:00", "099"),
        fila("03/01/2024", "25:00:00", "099"),
        fila("03/01/2024", "10:00:00", "---"),
    });
    const SerieNiveles s = SerieDeFilas(filas, kDesde, kHasta);
    ASSERT_EQ(s.puntos.size(), 4u);
    EXPECT_EQ(s.ilegibles, 3);
    std::vector<std::uint32_t> orden;
    for (const PuntoNivel& p : s.puntos)
        orden.push_back(p.fila);
    EXPECT_EQ(orden, (std::vector<std::uint32_t>{1, 4, 3, 5}));
    EXPECT_EQ(FechaHoraDeMs(s.puntos.front().ms), QDateTime(kDesde, QTime(0, 0), Qt::UTC));
    EXPECT_EQ(FechaHoraDeMs(s.puntos.back().ms), QDateTime(kHasta, QTime(23, 59, 59), Qt::UTC));
    EXPECT_EQ(s.estatus.at(s.puntos[0].estatus), "D. JOCKEY");
    EXPECT_EQ(s.estatus.at(s.puntos[1].estatus), "MIC. DESC.");
    EXPECT_EQ(s.nivelMaximo, 101.0f);
    EXPECT_EQ(s.excesos, 2);
    EXPECT_EQ(DescribirSerie(s), QStringLiteral("Nivel dB del 01/01/2024 al 31/12/2024: 4 registros, nivel "
                                                "máximo 101 dB, 2 superan el máximo permitido."));
    EXPECT_EQ(DescribirSerie(SerieDeFilas(filas, QDate(2030, 1, 1), QDate(2030, 2, 1))),
              QStringLiteral("Nivel dB del 01/01/2030 al 01/02/2030: sin registros en el período."));
}

TEST(DatosGrafico, ElLimiteEscalonaDondeCambiaElMaximoGuardado) {
    const std::vector<QStringList> registros = {
        fila("01/02/2024", "10:00:00", "090", "L. SHOW", "095"),
        fila("01/02/2024", "11:00:00", "096", "L. SHOW", "095"),
        fila("02/02/2024", "10:00:00", "090", "L. SHOW", "085"), // next inspection lowers it
        fila("02/02/2024", "11:00:00", "090", "L. SHOW", ""),    // unreadable: the last one holds
        fila("03/02/2024", "10:00:00", "090", "L. SHOW", "100"),
    };
    const SerieNiveles s = SerieDeFilas(FilasInfraccion::DeRegistros(registros), kDesde, kHasta);
    EXPECT_TRUE(s.puntos[3].excede());
    const auto ms = [&](int i) { return s.puntos[static_cast<std::size_t>(i)].ms; };
    const std::vector<PuntoLimite> linea = LineaLimite(s);
    ASSERT_EQ(linea.size(), 5u);
    const std::vector<std::pair<qint64, float>> esperado = {
        {ms(0), 95}, {ms(2), 95}, {ms(2), 85}, {ms(4), 85}, {ms(4), 100}};
    for (std::size_t i = 0; i < linea.size(); ++i) {
        EXPECT_EQ(linea[i].ms, esperado[i].first) << i;
        EXPECT_EQ(linea[i].maximo, esperado[i].second) << i;
    }
    // One maximum throughout: a flat line from the first point to the last.
    const SerieNiveles plano =
        SerieDeFilas(FilasInfraccion::DeRegistros({registros[0], registros[1]}), kDesde, kHasta);
    ASSERT_EQ(LineaLimite(plano).size(), 2u);
    EXPECT_EQ(LineaLimite(plano).back().ms, plano.puntos.back().ms);
}

TEST(DatosGrafico, LaReduccionConservaExtremosYExcesos) {
    // Many points a minute apart, with a few isolated spikes of different statuses.
    QRandomGenerator rnd(3);
    std::vector<PuntoNivel> puntos;
    const qint64 inicio = MsDeFechaHora(QDate(2024, 1, 1), QTime(0, 0));
    for (int i = 0; i < 20000; ++i) {
        PuntoNivel p;
        p.ms = inicio + i * 60000LL;
        p.nivel = static_cast<float>(70 + rnd.bounded(20));
        p.maximo = 95;
        p.estatus = static_cast<quint16>(rnd.bounded(3));
        puntos.push_back(p);
    }
    for (int i : {17, 5000, 5001, 12345, 19999}) {
        puntos[static_cast<std::size_t>(i)].nivel = static_cast<float>(96 + i % 7);
        puntos[static_cast<std::size_t>(i)].estatus = static_cast<quint16>(i % 3);
    }
    puntos[777].nivel = 40; // a low extreme

    const qint64 fin = puntos.back().ms;
    for (int columnas : {1, 37, 800}) {
        const std::vector<std::size_t> r = ReducirPuntos(puntos, inicio, fin, columnas, 3);
        EXPECT_TRUE(std::is_sorted(r.begin(), r.end()));
        EXPECT_LE(r.size(), static_cast<std::size_t>(columnas) * 7u);
        const std::set<std::size_t> elegidos(r.begin(), r.end());
        EXPECT_EQ(elegidos.size(), r.size());
        // Each column keeps its extremes; every point above the limit is kept, or a kept point of
        // its status at least as high stands in the same column.
        const auto columna = [&](std::size_t i) {
            return static_cast<qint64>(static_cast<double>(puntos[i].ms - inicio) / double(fin - inicio + 1) *
                                       columnas);
        };
        std::map<qint64, std::pair<float, float>> extremos, guardados;
        for (std::size_t i = 0; i < puntos.size(); ++i) {
            auto [it, nuevo] = extremos.try_emplace(columna(i), puntos[i].nivel, puntos[i].nivel);
            it->second = {std::min(it->second.first, puntos[i].nivel),
                          std::max(it->second.second, puntos[i].nivel)};
        }
        for (std::size_t i : r) {
            auto [it, nuevo] = guardados.try_emplace(columna(i), puntos[i].nivel, puntos[i].nivel);
            it->second = {std::min(it->second.first, puntos[i].nivel),
                          std::max(it->second.second, puntos[i].nivel)};
        }
        EXPECT_EQ(extremos, guardados) << columnas;
        for (std::size_t i = 0; i < puntos.size(); ++i) {
            if (!puntos[i].excede())
                continue;
            EXPECT_TRUE(std::any_of(r.begin(), r.end(),
                                    [&](std::size_t k) {
                                        return columna(k) == columna(i) &&
                                               puntos[k].estatus == puntos[i].estatus &&
                                               puntos[k].nivel >= puntos[i].nivel;
                                    }))
                << columnas << " " << i;
        }
    }
    // Zoomed in far enough, every point is kept, plus one on each side of the period.
    const std::vector<std::size_t> cerca = ReducirPuntos(puntos, puntos[4990].ms, puntos[5010].ms, 800, 3);
    ASSERT_EQ(cerca.size(), 23u);
    EXPECT_EQ(cerca.front(), 4989u);
    EXPECT_EQ(cerca.back(), 5011u);
    EXPECT_TRUE(ReducirPuntos({}, 0, 10, 100, 3).empty());
}

TEST(DatosGrafico, SemanaPorHoraCuentaComoLasFilas) {
    // 2024-03-04 is a Monday; 2024-03-10 a Sunday.
    std::vector<QStringList> registros = {
        fila("04/03/2024", "00:00:00", "090", "D. JOCKEY"),
        fila("04/03/2024", "23:59:59", "090", "D. JOCKEY"),
        fila("10/03/2024", "23:59:59", "090", "L. SHOW"),
        fila("11/03/2024", "00:00:00", "090", "L. SHOW"), // Monday again, midnight
        fila("09/03/2024", "02:15:00", "090", "MIC. DESC."),
        fila("09/03/2024", "03:59:59", "090", "MIC. DESC."),
        marcada(fila("09/03/2024", "02:00:00", "090", "L. SHOW")), // a separator follows
        fila("09/03/2023", "02:00:00", "090", "L. SHOW"),          // outside the range
        fila("09/03/2024", "2:00", "090", "L. SHOW"),              // unreadable time
    };
    QRandomGenerator rnd(11);
    for (int i = 0; i < 500; ++i)
        registros.push_back(fila(QDate(2024, 1, 1).addDays(rnd.bounded(366)).toString("dd/MM/yyyy"),
                                 QTime(0, 0).addSecs(rnd.bounded(86400)).toString("HH:mm:ss"), "091",
                                 rnd.bounded(2) ? "L. SHOW" : "D. JOCKEY"));

    const FilasInfraccion filas = FilasInfraccion::DeRegistros(registros);
    const MapaSemanal m = ContarSemanaHora(filas, kDesde, kHasta);
    // Counted straight from the rows.
    CuadroSemanal esperado{};
    int cantidad = 0;
    for (const QStringList& r : registros) {
        const QDate d = QDate::fromString(r[ColInfraccion::Fecha], "dd/MM/yyyy");
        const QTime h = QTime::fromString(r[ColInfraccion::Hora], "HH:mm:ss");
        if (!h.isValid() || d < kDesde || d > kHasta)
            continue;
        ++esperado[static_cast<std::size_t>(d.dayOfWeek() - 1)][static_cast<std::size_t>(h.hour())];
        ++cantidad;
    }
    EXPECT_EQ(m.total, esperado);
    EXPECT_EQ(m.cantidad, cantidad);
    EXPECT_GE(m.total[0][0], 2);  // Monday at midnight, twice
    EXPECT_GE(m.total[0][23], 1); // Monday 23:59:59 stays on Monday
    EXPECT_GE(m.total[6][23], 1); // Sunday 23:59:59
    EXPECT_EQ(m.maximoCelda(), *std::max_element(&esperado[0][0], &esperado[0][0] + 7 * 24));

    // Per status: each table counts its status only, and together they make the total.
    ASSERT_EQ(m.estatus, QStringList({"D. JOCKEY", "L. SHOW", "MIC. DESC."}));
    ASSERT_EQ(m.porEstatus.size(), 3u);
    EXPECT_EQ(m.porEstatus[2][5][2], 1); // Saturday 02:15
    EXPECT_EQ(m.porEstatus[2][5][3], 1); // Saturday 03:59:59
    for (std::size_t d = 0; d < 7; ++d)
        for (std::size_t h = 0; h < 24; ++h)
            EXPECT_EQ(m.porEstatus[0][d][h] + m.porEstatus[1][d][h] + m.porEstatus[2][d][h], m.total[d][h]);
}
