#pragma once

#include "core/charts/DatosGrafico.h"

#include <QAbstractTableModel>
#include <QTableView>

// The week-by-hour map as a table (days down, hours across): a table so that screen readers
// and the keyboard reach every cell with its day, hour and count. Cells are shaded by count.
class ModeloMapaSemanal : public QAbstractTableModel {
    Q_OBJECT
public:
    // What the cells show: every infraction, one line per status, or one status alone (>= 0).
    static constexpr int kTodos = -1;
    static constexpr int kPorEstatus = -2;

    explicit ModeloMapaSemanal(QObject* parent = nullptr);

    void setMapa(MapaSemanal mapa);
    const MapaSemanal& mapa() const { return mapa_; }
    void setModo(int modo);
    int modo() const { return modo_; }

    // The count a cell shows (in the current mode; the total in "one line per status").
    int cuenta(int dia, int hora) const;
    int maximo() const; // the largest count in the current mode

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol = Qt::DisplayRole) const override;
    QVariant headerData(int seccion, Qt::Orientation orientacion, int rol = Qt::DisplayRole) const override;

private:
    MapaSemanal mapa_;
    int modo_ = kTodos;
};

class MapaSemanalVista : public QTableView {
    Q_OBJECT
public:
    explicit MapaSemanalVista(QWidget* parent = nullptr);
    ModeloMapaSemanal& modelo() { return *modelo_; }
    // Row heights for the lines a cell holds in the current mode.
    void ajustarFilas();

protected:
    void resizeEvent(QResizeEvent* evento) override;

private:
    ModeloMapaSemanal* modelo_;
};
