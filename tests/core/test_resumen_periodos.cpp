// The summary's periods: presets and the previous period it compares against.
#include "core/resumen/ResumenOficina.h"

#include <gtest/gtest.h>

TEST(PeriodoResumen, AnteriorMesEnteroODiasJustoAntes) {
    const auto anterior = [](QDate a, QDate b) { return PeriodoAnterior({a, b}); };
    // A whole calendar month: the month before, whatever its length.
    EXPECT_EQ(anterior(QDate(2024, 3, 1), QDate(2024, 3, 31)),
              (PeriodoResumen{QDate(2024, 2, 1), QDate(2024, 2, 29)}));
    EXPECT_EQ(anterior(QDate(2024, 1, 1), QDate(2024, 1, 31)),
              (PeriodoResumen{QDate(2023, 12, 1), QDate(2023, 12, 31)}));
    EXPECT_EQ(anterior(QDate(2023, 5, 1), QDate(2023, 5, 31)),
              (PeriodoResumen{QDate(2023, 4, 1), QDate(2023, 4, 30)}));
    // Anything else: as many days, just before. Starts on the 29th, 30th and 31st.
    EXPECT_EQ(anterior(QDate(2024, 1, 29), QDate(2024, 2, 28)),
              (PeriodoResumen{QDate(2023, 12, 29), QDate(2024, 1, 28)}));
    EXPECT_EQ(anterior(QDate(2024, 3, 30), QDate(2024, 4, 29)),
              (PeriodoResumen{QDate(2024, 2, 28), QDate(2024, 3, 29)}));
    EXPECT_EQ(anterior(QDate(2024, 3, 31), QDate(2024, 4, 30)),
              (PeriodoResumen{QDate(2024, 2, 29), QDate(2024, 3, 30)}));
    EXPECT_EQ(anterior(QDate(2024, 3, 31), QDate(2024, 3, 31)),
              (PeriodoResumen{QDate(2024, 3, 30), QDate(2024, 3, 30)}));
    // Part of a month, or two whole months, is not "a whole month".
    EXPECT_EQ(anterior(QDate(2024, 3, 1), QDate(2024, 3, 30)),
              (PeriodoResumen{QDate(2024, 1, 31), QDate(2024, 2, 29)}));
    EXPECT_EQ(anterior(QDate(2024, 2, 1), QDate(2024, 3, 31)).dias(), 60);
    EXPECT_EQ(anterior(QDate(2024, 1, 1), QDate(2024, 12, 31)),
              (PeriodoResumen{QDate(2022, 12, 31), QDate(2023, 12, 31)}));
}

TEST(PeriodoResumen, Preajustes) {
    const QDate hoy(2024, 3, 31);
    EXPECT_EQ(PeriodoDe(PreajustePeriodo::EsteMes, hoy),
              (PeriodoResumen{QDate(2024, 3, 1), QDate(2024, 3, 31)}));
    EXPECT_EQ(PeriodoDe(PreajustePeriodo::MesPasado, hoy),
              (PeriodoResumen{QDate(2024, 2, 1), QDate(2024, 2, 29)}));
    EXPECT_EQ(PeriodoDe(PreajustePeriodo::MesPasado, QDate(2024, 1, 15)),
              (PeriodoResumen{QDate(2023, 12, 1), QDate(2023, 12, 31)}));
    EXPECT_EQ(PeriodoDe(PreajustePeriodo::EsteAnio, hoy),
              (PeriodoResumen{QDate(2024, 1, 1), QDate(2024, 12, 31)}));
    EXPECT_EQ(PeriodoDe(PreajustePeriodo::Ultimos12Meses, QDate(2024, 2, 29)),
              (PeriodoResumen{QDate(2023, 3, 1), QDate(2024, 2, 29)}));
}

TEST(FilaResumen, GravedadTendenciaYManipulacion) {
    FilaResumen f;
    EXPECT_EQ(f.estatusMasGrave(), -1);
    f.porEstatus = {0, 3, 5, 0, 0, 0, 0}; // jockey and show
    EXPECT_EQ(f.estatusMasGrave(), 1);
    f.porEstatus[4] = 1; // excess above both
    EXPECT_EQ(f.estatusMasGrave(), 4);
    f.porEstatus[3] = 2; // battery: tampering, above excess
    EXPECT_EQ(f.estatusMasGrave(), 3);
    f.porEstatus[0] = 1;
    f.porEstatus[6] = 4;
    f.porEstatus[5] = 8;
    EXPECT_EQ(f.manipulacion(), 1 + 4 + 8 + 2);
    f.total = 2;
    f.totalAnterior = 3;
    EXPECT_EQ(TextoTendencia(f.tendencia()), QStringLiteral("menos"));
    f.totalAnterior = 2;
    EXPECT_EQ(TextoTendencia(f.tendencia()), QStringLiteral("igual"));
}
