#pragma once

#include <QStatusBar>

#include <array>

class QLabel;
class QTimer;

// The main window's status bar: "Listo", the program and its version, the keyboard lights and
// the clock, refreshed twice a second.
class BarraEstado : public QStatusBar {
    Q_OBJECT
public:
    explicit BarraEstado(QWidget* parent = nullptr);

private:
    void actualizar();

    enum Panel { Estado, Programa, Mayusculas, Numerico, Insercion, Desplazamiento, Fecha, Hora, Cantidad };
    std::array<QLabel*, Cantidad> paneles_{};
    QTimer* reloj_ = nullptr;
};
