#pragma once

#include "core/resumen/TablaResumen.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <unordered_set>

// The summary's rows for the table: one per client, the columns of ColResumen, coloured by the
// most serious event of the period as the infraction grid colours it.
class ModeloResumen : public QAbstractTableModel {
    Q_OBJECT
public:
    // The value a column sorts by (numbers as numbers, dates by day, "nothing" first).
    static constexpr int RolOrden = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;
    void mostrar(ResumenOficina resumen);
    const ResumenOficina& resumen() const { return resumen_; }
    const FilaResumen& fila(int i) const { return resumen_.filas[static_cast<std::size_t>(i)]; }

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol) const override;
    QVariant headerData(int seccion, Qt::Orientation orientacion, int rol) const override;

private:
    ResumenOficina resumen_;
};

// What the summary lists: the search of the client list and the three filters.
struct CriteriosResumen {
    bool soloManipulacion = false;
    bool soloSinInspeccion = false;
    int diasSinInspeccion = 90; // more than this many days, or never inspected
    bool soloConFilas = false;
    bool buscando = false;
    std::unordered_set<qint64> encontrados; // client ids the search finds, when `buscando`
};

bool CumpleCriterios(const FilaResumen& fila, const CriteriosResumen& criterios, const QDate& hoy);

class FiltroResumen : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit FiltroResumen(ModeloResumen* modelo, QObject* padre = nullptr);
    void establecer(CriteriosResumen criterios);
    const CriteriosResumen& criterios() const { return criterios_; }
    // The listed rows, in the order shown.
    std::vector<FilaResumen> filasListadas() const;

protected:
    bool filterAcceptsRow(int fila, const QModelIndex& padre) const override;

private:
    ModeloResumen* modelo_;
    CriteriosResumen criterios_;
};
