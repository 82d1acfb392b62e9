#pragma once

#include "core/accounts/Cuentas.h"

#include <QString>
#include <QWidget>

#include <vector>

class Oficina;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Shows the account window (modeless; a second call brings the open one to the front).
void MostrarVentanaCuentas(Oficina& oficina);

// Password boxes of the account windows: masked with '*', at most 10 characters.
void PrepararCajaContrasena(QLineEdit* caja);

// The account window: change one's own password; the administrator also changes any account's
// password, creates and deletes accounts.
class VentanaCuentas : public QWidget {
    Q_OBJECT
public:
    static VentanaCuentas* instancia(); // nullptr when not open
    ~VentanaCuentas() override;

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    friend void MostrarVentanaCuentas(Oficina& oficina);
    explicit VentanaCuentas(Oficina& oficina);
    void construir();
    void cargar();
    void aceptar();
    void borrar();
    void cancelar();

    Oficina& oficina_;
    // The accounts as read once at load (Id and name): a password goes to every Id of the name.
    std::vector<Cuenta> cuentas_;
    QLabel* etiquetaUsuario_ = nullptr;
    QComboBox* usuarios_ = nullptr;
    QLabel* etiquetaClave_ = nullptr;
    QLineEdit* clave_ = nullptr;
    QLabel* etiquetaConfirmacion_ = nullptr;
    QLineEdit* confirmacion_ = nullptr;
    QPushButton* botonBorrar_ = nullptr;
    QPushButton* botonAceptar_ = nullptr;
    QPushButton* botonVolver_ = nullptr;  // "Cancelar y Volver"
    QPushButton* botonAgregar_ = nullptr; // "Agregar Usuario"
};
