#pragma once

#include <QGroupBox>

class GridModel;
class GridView;
class Oficina;

// "Infracciones del Cliente": the selected client's infractions coloured by status, the rows out
// of the model's date range hidden. A header click (or Ctrl+O) sorts.
class PanelInfracciones : public QGroupBox {
    Q_OBJECT
public:
    explicit PanelInfracciones(Oficina& oficina, QWidget* parent = nullptr);
    ~PanelInfracciones() override;

    GridView* vista() const { return vista_; }
    void mostrarInfracciones();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    Oficina& oficina_;
    GridModel* infracciones_ = nullptr;
    GridView* vista_ = nullptr;
    bool ascendente_ = false; // the way the last header click sorted
};
