#pragma once

#include <QWidget>

class Oficina;
class QDateEdit;
class QPushButton;

// "Filtrar Datos de Inspecciones" and "Reordenar": the model's date range, and reading the
// selected client's infractions again.
class FiltroInspecciones : public QWidget {
    Q_OBJECT
public:
    explicit FiltroInspecciones(Oficina& oficina, QWidget* parent = nullptr);

    void mostrarRango();
    // Its controls in keyboard order.
    std::vector<QWidget*> ordenTeclado() const;

private:
    void filtrar();

    Oficina& oficina_;
    QDateEdit* fechaInicio_ = nullptr;
    QDateEdit* fechaFin_ = nullptr;
    QPushButton* botonReordenar_ = nullptr;
    bool mostrandoRango_ = false;
};
