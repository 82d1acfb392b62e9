#pragma once

#include "windows/grid/AnchoColumnas.h"

#include <QGroupBox>

class GridModel;
class GridView;
class Oficina;

// "Listado de Clientes": the model's client list, the selected client highlighted. A row the user
// moves to selects its client in the model; a header click (or Ctrl+O) sorts.
class PanelClientes : public QGroupBox {
    Q_OBJECT
public:
    explicit PanelClientes(Oficina& oficina, QWidget* parent = nullptr);
    ~PanelClientes() override;

    GridView* vista() const { return vista_; }

    // The model's list as read, through the rows listed now.
    void mostrarClientes();
    // The highlight follows the model's selection; it is no user's move, so it selects nothing.
    void resaltarSeleccionado();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void formatear();
    void ajustarAnchoColumnas(int columnas);
    void seleccionarFilaActual();
    void ordenarPorColumna(int col);

    Oficina& oficina_;
    GridModel* listaClientes_ = nullptr;
    GridView* vista_ = nullptr;
    bool ascendente_ = false; // the way the last header click sorted
    bool resaltando_ = false;
    // Width estimates of the whole client list, kept across searches until it is read again.
    EstimacionAnchos estimacion_;
    quint64 lecturaEstimada_ = 0;
};
