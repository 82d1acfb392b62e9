#pragma once

#include <QString>

class QDateEdit;
class QLabel;
class QLineEdit;
class QTimeEdit;
class QWidget;

// A label for `companero`: its buddy gives keyboard access, its text the companion's accessible name.
QLabel* EtiquetaDe(const QString& texto, QWidget* companero, const QString& nombre);
QLineEdit* CampoSoloLectura(const QString& nombre);
// Date as dd/MM/yyyy with a calendar; time as HH:mm:ss.
QDateEdit* SelectorFecha(const QString& nombre);
QTimeEdit* SelectorHora(const QString& nombre);
