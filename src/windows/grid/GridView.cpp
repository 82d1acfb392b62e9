#include "windows/grid/GridView.h"

#include "windows/grid/GridModel.h"

#include <QHeaderView>

GridView::GridView(GridModel* modelo, QWidget* parent) : QTableView(parent), modelo_(modelo) {
    setModel(modelo_);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(GridModel::kAltoFilaPorDefecto + 4);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);

    connect(modelo_, &GridModel::columnasCambiadas, this, &GridView::aplicarColumnas);
    connect(modelo_, &QAbstractItemModel::modelReset, this, [this] {
        aplicarColumnas();
        sincronizarSeleccion();
    });
    connect(modelo_, &GridModel::cambioFilaColumna, this, [this] {
        if (modelo_->redraw())
            sincronizarSeleccion();
    });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int seccion) { Q_EMIT clic(0, seccion); });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
        const int fila = modelo_->gridRowForViewRow(i.row());
        if (fila >= 0)
            Q_EMIT clic(fila, i.column());
    });
    aplicarColumnas();
}

void GridView::currentChanged(const QModelIndex& actual, const QModelIndex& anterior) {
    QTableView::currentChanged(actual, anterior);
    if (sincronizando_ || !actual.isValid())
        return;
    const int fila = modelo_->gridRowForViewRow(actual.row());
    if (fila < 0)
        return;
    const bool cambio = fila != modelo_->row() || actual.column() != modelo_->col();
    sincronizando_ = true;
    {
        // One change notification for a move of both row and column.
        const QSignalBlocker bloqueo(modelo_);
        modelo_->setRow(fila);
        modelo_->setCol(actual.column());
    }
    sincronizando_ = false;
    if (cambio)
        Q_EMIT modelo_->cambioFilaColumna();
}

void GridView::aplicarColumnas() {
    const int n = modelo_->cols();
    for (int c = 0; c < n; ++c) {
        const int ancho = modelo_->colWidth(c);
        setColumnHidden(c, ancho == 0);
        if (ancho > 0)
            setColumnWidth(c, ancho);
        else if (ancho < 0)
            setColumnWidth(c, horizontalHeader()->defaultSectionSize());
    }
}

void GridView::sincronizarSeleccion() {
    if (sincronizando_)
        return;
    const int v = modelo_->viewRowForGridRow(modelo_->row());
    sincronizando_ = true;
    if (v >= 0) {
        const QModelIndex i = model()->index(v, std::max(0, modelo_->col()));
        selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        // No row: no highlight and no current cell either, so nothing looks chosen.
        selectionModel()->clear();
    }
    sincronizando_ = false;
}
