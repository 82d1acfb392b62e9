#pragma once

#include <QWidget>

class Oficina;
class QLabel;
class QLineEdit;
class QPushButton;

// Shows the new-user window (modeless; a second call brings the open one to the front).
void MostrarNvoUsuario(Oficina& oficina);

// The new-user window, opened from the account window by the administrator. It writes on its
// own, so it keeps working after the account window has closed.
class NvoUsuario : public QWidget {
    Q_OBJECT
public:
    static NvoUsuario* instancia(); // nullptr when not open
    ~NvoUsuario() override;

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    friend void MostrarNvoUsuario(Oficina& oficina);
    explicit NvoUsuario(Oficina& oficina);
    void construir();
    void aceptar();

    Oficina& oficina_;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Pass1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Pass2 = nullptr;
    QPushButton* Aceptar = nullptr;
    QPushButton* Command3 = nullptr; // "Cancelar y Volver"
};
