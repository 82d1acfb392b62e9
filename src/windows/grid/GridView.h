#pragma once

#include <QTableView>

class GridModel;

// Shows a GridModel: row 0 as the horizontal header, hidden rows and zero-width columns
// left out. Clicks report grid row and column (row 0 for the
// header); the user's moves become the model's current row and column.
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(GridModel* modelo, QWidget* parent = nullptr);
    GridModel* grid() const { return modelo_; }

Q_SIGNALS:
    // A click on a cell (after it became current) or on the header (fila 0).
    void clic(int fila, int col);

protected:
    void currentChanged(const QModelIndex& actual, const QModelIndex& anterior) override;

private:
    void aplicarColumnas();
    void sincronizarSeleccion();

    GridModel* modelo_;
    bool sincronizando_ = false;
};
