#include "windows/platform/Controles.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>

QLabel* EtiquetaDe(const QString& texto, QWidget* companero, const QString& nombre) {
    auto* l = new QLabel(texto);
    l->setObjectName(nombre);
    l->setBuddy(companero);
    companero->setAccessibleName(texto);
    return l;
}

QLineEdit* CampoSoloLectura(const QString& nombre) {
    auto* e = new QLineEdit;
    e->setObjectName(nombre);
    e->setReadOnly(true);
    return e;
}

QDateEdit* SelectorFecha(const QString& nombre) {
    auto* d = new QDateEdit;
    d->setObjectName(nombre);
    d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    d->setCalendarPopup(true);
    return d;
}

QTimeEdit* SelectorHora(const QString& nombre) {
    auto* t = new QTimeEdit;
    t->setObjectName(nombre);
    t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return t;
}
