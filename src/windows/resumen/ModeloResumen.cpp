#include "windows/resumen/ModeloResumen.h"

#include "windows/estatus/ColoresEstatus.h"

#include <QBrush>

void ModeloResumen::mostrar(ResumenOficina resumen) {
    beginResetModel();
    resumen_ = std::move(resumen);
    endResetModel();
}

int ModeloResumen::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : static_cast<int>(resumen_.filas.size());
}

int ModeloResumen::columnCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : ColResumen::Cantidad;
}

QVariant ModeloResumen::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid())
        return {};
    const FilaResumen& f = fila(indice.row());
    const int col = indice.column();
    switch (rol) {
    case Qt::DisplayRole:
        return TextoResumen(f, col, resumen_.hoy);
    case RolOrden: {
        if (col == ColResumen::UltimaInspeccion || col == ColResumen::AnteriorInspeccion) {
            const QDate d = col == ColResumen::UltimaInspeccion ? f.ultimaInspeccion : f.anteriorInspeccion;
            return d.isValid() ? d.toJulianDay() : qint64{-1};
        }
        if (col == ColResumen::Cambio)
            return f.total - f.totalAnterior;
        const QVariant v = ValorResumen(f, col, resumen_.hoy);
        if (ColumnaNumericaResumen(col))
            return v.isNull() ? qint64{-1} : v.toLongLong();
        return v.toString();
    }
    case Qt::TextAlignmentRole:
        return ColumnaNumericaResumen(col) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::BackgroundRole: {
        const int e = f.estatusMasGrave();
        return e < 0 ? QVariant()
                     : QVariant(
                           QBrush(ColorEstatus(QLatin1String(kEstatusResumen[static_cast<std::size_t>(e)]))));
    }
    case Qt::ForegroundRole: {
        const int e = f.estatusMasGrave();
        if (e < 0)
            return {};
        const QColor fondo = ColorEstatus(QLatin1String(kEstatusResumen[static_cast<std::size_t>(e)]));
        return QBrush(fondo.lightness() < 140 ? Qt::white : Qt::black);
    }
    default:
        return {};
    }
}

QVariant ModeloResumen::headerData(int seccion, Qt::Orientation orientacion, int rol) const {
    if (orientacion == Qt::Horizontal && rol == Qt::DisplayRole)
        return TituloColumnaResumen(seccion);
    return QAbstractTableModel::headerData(seccion, orientacion, rol);
}

bool CumpleCriterios(const FilaResumen& f, const CriteriosResumen& c, const QDate& hoy) {
    if (c.soloManipulacion && f.manipulacion() == 0)
        return false;
    if (c.soloConFilas && f.total == 0)
        return false;
    if (c.soloSinInspeccion) {
        const auto dias = f.diasSinInspeccion(hoy);
        if (dias && *dias <= c.diasSinInspeccion)
            return false;
    }
    return !c.buscando || c.encontrados.count(f.id) > 0;
}

FiltroResumen::FiltroResumen(ModeloResumen* modelo, QObject* padre)
    : QSortFilterProxyModel(padre), modelo_(modelo) {
    setSourceModel(modelo);
    setSortRole(ModeloResumen::RolOrden);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    setSortLocaleAware(true);
}

void FiltroResumen::establecer(CriteriosResumen criterios) {
    criterios_ = std::move(criterios);
    invalidateFilter();
}

std::vector<FilaResumen> FiltroResumen::filasListadas() const {
    std::vector<FilaResumen> r;
    r.reserve(static_cast<std::size_t>(rowCount()));
    for (int i = 0; i < rowCount(); ++i)
        r.push_back(modelo_->fila(mapToSource(index(i, 0)).row()));
    return r;
}

bool FiltroResumen::filterAcceptsRow(int fila, const QModelIndex&) const {
    return CumpleCriterios(modelo_->fila(fila), criterios_, modelo_->resumen().hoy);
}
