#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// Stored dates and times as the statements show them. A text that is not a real date or time
// reads as nothing, never as some other, made-up date.

// "dd/mm/yyyy" (the display form of the statements); nothing when it is not a real date.
std::optional<QDate> LeerFechaDMA(const QString& texto);
// "hh:mm:ss"; nothing when it is not a real time.
std::optional<QTime> LeerHoraHMS(const QString& texto);
