#pragma once

#include <QString>
#include <QWidget>

class GridModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Shows the account window (modeless; a second call brings the open one to the front).
void MostrarCuentasUsuario();

// The user whose rights apply: the main window's Usuario box, or the session's user while
// there is no main window.
QString UsuarioEnSesion();

// "Administrador" and "Invitado" always exist.
bool CuentaProtegida(const QString& nombre);

// Account operations. Each checks the rights of `usuario` itself and throws ErrorBD (with the
// text to show) when they are lacking, so no window can be driven past them. Passwords are
// stored as salted hashes only.
//
// Sets the password of the account with that Id, which must still bear that name; false when
// no such account is left.
bool CambiarContrasenaCuenta(const QString& usuario, qint64 id, const QString& nombre,
                             const QString& contrasena);
// Deletes every account of that name; returns how many were deleted.
int BorrarCuentas(const QString& usuario, const QString& nombre);
void CrearCuenta(const QString& usuario, const QString& nombre, const QString& contrasena);

// Password boxes of the account windows: masked with '*', at most 10 characters.
void PrepararCajaContrasena(QLineEdit* caja);

// The account window: change one's own password; the administrator also changes any account's
// password, creates and deletes accounts.
class CuentasUsuario : public QWidget {
    Q_OBJECT
public:
    static CuentasUsuario* instancia(); // nullptr when not open
    ~CuentasUsuario() override;

    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Pass1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Pass2 = nullptr;
    QPushButton* BorrarUsuario = nullptr;
    QPushButton* Aceptar = nullptr;
    QPushButton* Command3 = nullptr; // "Cancelar y Volver"
    QPushButton* Command1 = nullptr; // "Agregar Usuario"
    // Working copy of the accounts (Id, Nombre, Contraseña hash), read once at load; not shown.
    GridModel* flexpassus = nullptr;

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    friend void MostrarCuentasUsuario();
    CuentasUsuario();
    void construir();
    void cargar();
    void aceptar();
    void borrar();
    void cancelar();
};
