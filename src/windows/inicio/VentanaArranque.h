#pragma once

#include <QDialog>

struct PasoEsquema;
class QLabel;
class QProgressBar;
class QPushButton;

// What the start-up is doing while it opens, updates or copies the register before the login:
// a moving bar, the step under way and, during an update, a way to stop it safely.
class VentanaArranque : public QDialog {
    Q_OBJECT
public:
    explicit VentanaArranque(QWidget* padre = nullptr);

    void mostrarApertura();
    void mostrarCopia();
    void mostrarPaso(const PasoEsquema& paso);
    // The user chose to stop the update and leave.
    bool detencionPedida() const { return fase_ == Fase::Deteniendo; }

Q_SIGNALS:
    void detener();

protected:
    // Esc and the close button come here: they never just hide the window while work runs.
    void reject() override;

private:
    enum class Fase { Apertura, Copia, Actualizacion, Deteniendo };
    void pedirDetencion();

    Fase fase_ = Fase::Apertura;
    QLabel* texto_ = nullptr;
    QLabel* detalle_ = nullptr;
    QProgressBar* barra_ = nullptr;
    QPushButton* detenerBoton_ = nullptr;
};
