#pragma once

#include <QWidget>

class GridModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Login window: the user picks an account and types its password; a success sets
// UsuarioActual and opens the main window. Closing it without a success ends the program.
class InicioSesion : public QWidget {
    Q_OBJECT
public:
    // Creates (and loads) the window if needed and shows it.
    static InicioSesion* Mostrar();
    static InicioSesion* instancia(); // nullptr when not loaded
    ~InicioSesion() override;

    QLabel* Label1 = nullptr; // "Nombre de Usuario:"
    QComboBox* NomUsuario = nullptr;
    QLabel* Label2 = nullptr; // "Contraseña:"
    QLineEdit* Pass = nullptr;
    QPushButton* Inicio = nullptr;
    QLabel* Image1 = nullptr;
    GridModel* flexpass = nullptr; // accounts: column 1 Id, 2 Nombre, 3 stored hash
    QLineEdit* text2 = nullptr;    // hash of the chosen account during an attempt (never shown)

    // Runs a login attempt with the current name and password ("Iniciar Sesion").
    void IniciarSesion();

protected:
    void closeEvent(QCloseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

private:
    explicit InicioSesion(QWidget* parent = nullptr);
    void cargar();

    bool exito_ = false;
};
