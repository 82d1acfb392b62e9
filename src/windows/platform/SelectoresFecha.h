#pragma once

#include "core/clients/CamposFecha.h"

class QDateEdit;
class QTimeEdit;
class QDateTimeEdit;

// Pickers that show nothing while they hold no date or time.
void PonerFecha(QDateEdit* picker, const std::optional<QDate>& fecha);
void PonerHora(QTimeEdit* picker, const std::optional<QTime>& hora);
bool PickerVacio(const QDateTimeEdit* picker);

// Stored forms "yyyymmdd" and "hhmmss"; an empty picker stores the empty text.
QString FechaAlmacenada(const QDateEdit* picker);
QString HoraAlmacenada(const QTimeEdit* picker);
