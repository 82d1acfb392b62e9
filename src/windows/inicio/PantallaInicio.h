#pragma once

#include <QWidget>

class Oficina;
class QLabel;
class QTimer;

// Splash window: shows the product picture for two seconds (or until the picture is clicked),
// then hides itself and opens the login. A key pressed meanwhile ends the program.
class PantallaInicio : public QWidget {
    Q_OBJECT
public:
    explicit PantallaInicio(Oficina& oficina, QWidget* parent = nullptr);
    ~PantallaInicio() override;
    static PantallaInicio* instancia(); // nullptr when not loaded

protected:
    void keyPressEvent(QKeyEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    void continuar();

    Oficina& oficina_;
    QLabel* imagen_ = nullptr;
    QTimer* temporizador_ = nullptr;
};
