// Stored dates and times read from text and from the store's UTF-8 alike.
#include "core/clients/CamposFecha.h"

#include <gtest/gtest.h>

TEST(CamposFecha, FechasYHorasIgualDesdeTextoQueDesdeUtf8) {
    const std::pair<const char*, std::optional<QDate>> fechas[] = {{"01/03/2011", QDate(2011, 3, 1)},
                                                                   {" 01/03/2011 ", QDate(2011, 3, 1)},
                                                                   {"1/3/2011", QDate(2011, 3, 1)},
                                                                   {"31/02/2011", std::nullopt},
                                                                   {"xx/03/2011", std::nullopt},
                                                                   {"01-03-2011", std::nullopt},
                                                                   {"", std::nullopt},
                                                                   {"29/02/2012", QDate(2012, 2, 29)}};
    for (const auto& [texto, esperada] : fechas) {
        EXPECT_EQ(LeerFechaDMA(QString::fromUtf8(texto)), esperada) << texto;
        EXPECT_EQ(LeerFechaDMA(QByteArrayView(texto)), esperada) << texto;
    }
    const std::pair<const char*, std::optional<QTime>> horas[] = {
        {"00:00:00", QTime(0, 0)},  {"23:59:59", QTime(23, 59, 59)},
        {"9:5:3", QTime(9, 5, 3)},  {"24:00:00", std::nullopt},
        {"12:60:00", std::nullopt}, {"2:00", std::nullopt},
        {"1a:00:00", std::nullopt}, {"", std::nullopt}};
    for (const auto& [texto, esperada] : horas) {
        EXPECT_EQ(LeerHoraHMS(QString::fromUtf8(texto)), esperada) << texto;
        EXPECT_EQ(LeerHoraHMS(QByteArrayView(texto)), esperada) << texto;
    }
}
