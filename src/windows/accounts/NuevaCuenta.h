#pragma once

#include <QWidget>

class Oficina;
class QLabel;
class QLineEdit;
class QPushButton;

// Shows the new-user window (modeless; a second call brings the open one to the front).
void MostrarNuevaCuenta(Oficina& oficina);

// The new-user window, opened from the account window by the administrator. It writes on its
// own, so it keeps working after the account window has closed.
class NuevaCuenta : public QWidget {
    Q_OBJECT
public:
    static NuevaCuenta* instancia(); // nullptr when not open
    ~NuevaCuenta() override;

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    friend void MostrarNuevaCuenta(Oficina& oficina);
    explicit NuevaCuenta(Oficina& oficina);
    void construir();
    void aceptar();

    Oficina& oficina_;
    QLabel* etiquetaUsuario_ = nullptr;
    QLineEdit* nombreUsuario_ = nullptr;
    QLabel* etiquetaClave_ = nullptr;
    QLineEdit* clave_ = nullptr;
    QLabel* etiquetaConfirmacion_ = nullptr;
    QLineEdit* confirmacion_ = nullptr;
    QPushButton* botonAceptar_ = nullptr;
    QPushButton* botonVolver_ = nullptr; // "Cancelar y Volver"
};
