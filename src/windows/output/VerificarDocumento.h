#pragma once

#include <QDialog>

class Oficina;
class QLineEdit;
class QPlainTextEdit;

// "Verificar documento...": a report (PDF), a workbook or a typed code, checked against the
// register; the answer stays shown so several documents can be checked in a row.
class DialogoVerificarDocumento : public QDialog {
    Q_OBJECT
public:
    explicit DialogoVerificarDocumento(Oficina& oficina, QWidget* padre = nullptr);
    // Checks what the box holds and shows the answer.
    void verificar();
    QString respuesta() const;

private:
    Oficina& oficina_;
    QLineEdit* entrada_;
    QPlainTextEdit* respuesta_;
};
