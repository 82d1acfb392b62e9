#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLineEdit;
class QPushButton;

// Asks why something is deleted: the question, a required "Motivo:" field, "Aceptar" only once
// a reason is written.
class DialogoMotivo : public QDialog {
    Q_OBJECT
public:
    DialogoMotivo(QWidget* padre, const QString& titulo, const QString& pregunta);
    QString motivo() const;

private:
    QLineEdit* motivo_ = nullptr;
    QPushButton* aceptar_ = nullptr;
};

// The reason typed, trimmed; empty when cancelled.
QString PedirMotivo(QWidget* padre, const QString& titulo, const QString& pregunta);
// Test seam: replaces the dialog; an empty function restores the real one.
void SustituirPedirMotivo(std::function<QString(const QString& titulo, const QString& pregunta)> f);
