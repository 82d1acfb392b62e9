#pragma once

#include "core/actividad/VerificacionRegistro.h"

#include <QDialog>

#include <optional>

class Oficina;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// "Verificar registro": the check's progress with "Cancelar", then its report. The register is
// used from this thread only, so the check runs here and lets the window repaint as it goes.
class VentanaVerificarRegistro : public QDialog {
    Q_OBJECT
public:
    VentanaVerificarRegistro(Oficina& oficina, QWidget* padre = nullptr);

    // Runs the check to its end or until "Cancelar", then shows the report.
    void verificar();
    const std::optional<InformeVerificacion>& informe() const { return informe_; }

Q_SIGNALS:
    // After each repaint while checking.
    void avance(qint64 hechos, qint64 total);

private:
    Oficina& oficina_;
    QLabel* estado_ = nullptr;
    QProgressBar* barra_ = nullptr;
    QPushButton* cancelar_ = nullptr;
    QPlainTextEdit* texto_ = nullptr;
    QPushButton* cerrar_ = nullptr;
    bool cancelado_ = false;
    std::optional<InformeVerificacion> informe_;
};

// The "Archivo" menu's action: opens the window and starts the check.
void VerificarRegistroCompleto(QWidget* padre, Oficina& oficina);
