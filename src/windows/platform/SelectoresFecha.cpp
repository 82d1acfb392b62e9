#include "windows/platform/SelectoresFecha.h"

#include <QDateEdit>
#include <QTimeEdit>

namespace {
// The picker shows this text instead of its minimum value while it holds no date.
const QString kVacio = QStringLiteral(" ");
} // namespace

void PonerFecha(QDateEdit* picker, const std::optional<QDate>& fecha) {
    if (!picker)
        return;
    if (fecha && *fecha > picker->minimumDate()) {
        picker->setSpecialValueText(QString());
        picker->setDate(*fecha);
    } else {
        picker->setSpecialValueText(kVacio);
        picker->setDate(picker->minimumDate());
    }
}

void PonerHora(QTimeEdit* picker, const std::optional<QTime>& hora) {
    if (!picker)
        return;
    if (hora) {
        picker->setSpecialValueText(QString());
        picker->setTime(*hora);
    } else {
        picker->setSpecialValueText(kVacio);
        picker->setTime(picker->minimumTime());
    }
}

bool PickerVacio(const QDateTimeEdit* picker) {
    return picker && !picker->specialValueText().isEmpty() && picker->text() == picker->specialValueText();
}

QString FechaAlmacenada(const QDateEdit* picker) {
    if (!picker || PickerVacio(picker))
        return QString();
    return picker->date().toString(QStringLiteral("yyyyMMdd"));
}

QString HoraAlmacenada(const QTimeEdit* picker) {
    if (!picker || PickerVacio(picker))
        return QString();
    return picker->time().toString(QStringLiteral("HHmmss"));
}
