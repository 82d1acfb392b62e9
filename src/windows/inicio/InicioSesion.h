#pragma once

#include <QWidget>

class Oficina;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Login window: the user picks an account and types its password; the office checks it, and a
// success opens the main window, which main() deletes at exit, before the office it shows.
// Closing the login without a success ends the program.
class InicioSesion : public QWidget {
    Q_OBJECT
public:
    // Creates (and loads) the window if needed and shows it.
    static InicioSesion* Mostrar(Oficina& oficina);
    static InicioSesion* instancia(); // nullptr when not loaded
    ~InicioSesion() override;

    // Runs a login attempt with the current name and password ("Iniciar Sesion").
    void IniciarSesion();

protected:
    void closeEvent(QCloseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

private:
    explicit InicioSesion(Oficina& oficina);
    void cargar();

    Oficina& oficina_;
    QLabel* etiquetaUsuario_ = nullptr; // "Nombre de Usuario:"
    QComboBox* nombreUsuario_ = nullptr;
    QLabel* etiquetaClave_ = nullptr; // "Contraseña:"
    QLineEdit* clave_ = nullptr;
    QPushButton* botonIniciar_ = nullptr;
    QLabel* imagen_ = nullptr;
    bool exito_ = false;
};
