#include "windows/platform/CajasSoloLectura.h"

#include <QDateTimeEdit>
#include <QLineEdit>

namespace {
QVariant valorDe(QObject* caja) {
    if (auto* l = qobject_cast<QLineEdit*>(caja))
        return l->text();
    if (auto* d = qobject_cast<QDateTimeEdit*>(caja))
        return d->dateTime();
    return {};
}
} // namespace

CajasSoloLectura::CajasSoloLectura(QWidget* ventana) : QObject(ventana) {
    for (QLineEdit* l : ventana->findChildren<QLineEdit*>()) {
        // A picker's own line edit is watched through the picker.
        if (!l->isReadOnly() || qobject_cast<QAbstractSpinBox*>(l->parentWidget()))
            continue;
        valores_[l] = l->text();
        connect(l, &QLineEdit::textChanged, this, [this, l] { restaurar(l); });
    }
    for (QDateTimeEdit* d : ventana->findChildren<QDateTimeEdit*>()) {
        if (!d->isReadOnly())
            continue;
        valores_[d] = d->dateTime();
        connect(d, &QDateTimeEdit::dateTimeChanged, this, [this, d] { restaurar(d); });
    }
}

CajasSoloLectura::Escritura::~Escritura() {
    if (--cajas_.escribiendo_ == 0)
        cajas_.recordar();
}

void CajasSoloLectura::recordar() {
    for (auto& [caja, valor] : valores_)
        valor = valorDe(caja);
}

void CajasSoloLectura::restaurar(QObject* caja) {
    if (escribiendo_ > 0)
        return;
    const auto it = valores_.find(caja);
    if (it == valores_.end() || valorDe(caja) == it->second)
        return;
    const Escritura escritura(*this);
    if (auto* l = qobject_cast<QLineEdit*>(caja))
        l->setText(it->second.toString());
    else if (auto* d = qobject_cast<QDateTimeEdit*>(caja))
        d->setDateTime(it->second.toDateTime());
}
