#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

class QDateEdit;
class QTimeEdit;
class QDateTimeEdit;

// Date and time pickers that can also show nothing: a stored date or time that is empty or not
// a date must not show up as some other, made-up date.

// "dd/mm/yyyy" (the display form of the statements); nothing when it is not a real date.
std::optional<QDate> LeerFechaDMA(const QString& texto);
// "hh:mm:ss"; nothing when it is not a real time.
std::optional<QTime> LeerHoraHMS(const QString& texto);

void PonerFecha(QDateEdit* picker, const std::optional<QDate>& fecha);
void PonerHora(QTimeEdit* picker, const std::optional<QTime>& hora);
bool PickerVacio(const QDateTimeEdit* picker);

// Stored forms "yyyymmdd" and "hhmmss"; an empty picker stores the empty text.
QString FechaAlmacenada(const QDateEdit* picker);
QString HoraAlmacenada(const QTimeEdit* picker);
