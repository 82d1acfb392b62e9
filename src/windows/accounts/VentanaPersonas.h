#pragma once

#include <QWidget>

class Oficina;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// The people of a shared register: each a login on its server with one of the three roles. The
// administrator adds and removes them here; the server itself checks that it is one.
class VentanaPersonas : public QWidget {
    Q_OBJECT
public:
    explicit VentanaPersonas(Oficina& oficina, QWidget* parent = nullptr);
    // Reads the list again. Throws ErrorBD.
    void cargar();
    void agregar();
    void quitar();

private:
    Oficina& oficina_;
    QListWidget* lista_ = nullptr;
    QLineEdit* nombre_ = nullptr;
    QLineEdit* clave_ = nullptr;
    QComboBox* rol_ = nullptr;
    QPushButton* botonAgregar_ = nullptr;
    QPushButton* botonQuitar_ = nullptr;
};
