#pragma once

#include <QByteArrayView>
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
// The same from UTF-8 as the store hands it, without a QString for the usual exact forms.
std::optional<QDate> LeerFechaDMA(QByteArrayView utf8);
std::optional<QTime> LeerHoraHMS(QByteArrayView utf8);
