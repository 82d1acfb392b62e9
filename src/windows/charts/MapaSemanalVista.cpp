#include "windows/charts/MapaSemanalVista.h"

#include "windows/estatus/ColoresEstatus.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// White for none, deep red for the busiest cell of the map.
QColor sombra(int cuenta, int maximo) {
    if (cuenta <= 0 || maximo <= 0)
        return Qt::white;
    const double t = 0.15 + 0.85 * static_cast<double>(cuenta) / maximo;
    return QColor::fromRgbF(static_cast<float>(1.0 - 0.35 * t), static_cast<float>(1.0 - 0.95 * t),
                            static_cast<float>(1.0 - 0.95 * t));
}

QString nombreEstatus(const QString& e) {
    return e.isEmpty() ? QStringLiteral("(sin estatus)") : e;
}

QString infracciones(int n) {
    return n == 1 ? QStringLiteral("1 infracción") : QStringLiteral("%1 infracciones").arg(n);
}

// One line per status: a square of the status colour and the count.
class DelegadoPorEstatus : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& opcion, const QModelIndex& indice) const override {
        const auto* modelo = qobject_cast<const ModeloMapaSemanal*>(indice.model());
        if (!modelo || modelo->modo() != ModeloMapaSemanal::kPorEstatus) {
            QStyledItemDelegate::paint(p, opcion, indice);
            return;
        }
        QStyleOptionViewItem sinTexto = opcion;
        initStyleOption(&sinTexto, indice);
        sinTexto.text.clear();
        QStyledItemDelegate::paint(p, sinTexto, QModelIndex());
        p->save();
        p->fillRect(opcion.rect, indice.data(Qt::BackgroundRole).value<QColor>());
        if (opcion.state & QStyle::State_HasFocus) {
            p->setPen(QPen(opcion.palette.highlight().color(), 2));
            p->drawRect(opcion.rect.adjusted(1, 1, -1, -1));
        }
        // A fixed line per status, so a line means the same status in every cell.
        const MapaSemanal& m = modelo->mapa();
        const int alto = opcion.fontMetrics.height();
        for (std::size_t e = 0; e < m.porEstatus.size(); ++e) {
            const int n = m.porEstatus[e][static_cast<std::size_t>(indice.row())]
                                      [static_cast<std::size_t>(indice.column())];
            if (n == 0)
                continue;
            const int y = opcion.rect.top() + 2 + static_cast<int>(e) * alto;
            const QRect cuadro(opcion.rect.left() + 3, y + (alto - 7) / 2, 7, 7);
            p->fillRect(cuadro, ColorEstatus(m.estatus.at(static_cast<qsizetype>(e))));
            p->setPen(Qt::black);
            p->drawRect(cuadro);
            p->drawText(QRect(cuadro.right() + 2, y, opcion.rect.right() - cuadro.right() - 3, alto),
                        Qt::AlignRight | Qt::AlignVCenter, QString::number(n));
        }
        p->restore();
    }
};

} // namespace

ModeloMapaSemanal::ModeloMapaSemanal(QObject* parent) : QAbstractTableModel(parent) {}

void ModeloMapaSemanal::setMapa(MapaSemanal mapa) {
    beginResetModel();
    mapa_ = std::move(mapa);
    if (modo_ >= mapa_.estatus.size())
        modo_ = kTodos;
    endResetModel();
}

void ModeloMapaSemanal::setModo(int modo) {
    beginResetModel();
    modo_ = modo < mapa_.estatus.size() ? modo : kTodos;
    endResetModel();
}

int ModeloMapaSemanal::cuenta(int dia, int hora) const {
    const auto d = static_cast<std::size_t>(dia);
    const auto h = static_cast<std::size_t>(hora);
    if (modo_ >= 0)
        return mapa_.porEstatus[static_cast<std::size_t>(modo_)][d][h];
    return mapa_.total[d][h];
}

int ModeloMapaSemanal::maximo() const {
    int m = 0;
    for (int d = 0; d < 7; ++d)
        for (int h = 0; h < 24; ++h)
            m = std::max(m, cuenta(d, h));
    return m;
}

int ModeloMapaSemanal::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : 7;
}

int ModeloMapaSemanal::columnCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : 24;
}

QVariant ModeloMapaSemanal::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid())
        return {};
    const int n = cuenta(indice.row(), indice.column());
    switch (rol) {
    case Qt::DisplayRole:
        return n > 0 ? QString::number(n) : QString();
    case Qt::BackgroundRole:
        // Lighter under the per-status lines, so their squares and counts stay readable.
        return modo_ == kPorEstatus ? sombra(n, maximo() * 3) : sombra(n, maximo());
    case Qt::ForegroundRole:
        return n * 2 > maximo() ? QColor(Qt::white) : QColor(Qt::black);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole: {
        QString texto = QStringLiteral("%1, de %2:00 a %2:59: %3")
                            .arg(DiasSemana().at(indice.row()))
                            .arg(indice.column(), 2, 10, QLatin1Char('0'))
                            .arg(infracciones(n));
        if (modo_ >= 0)
            texto += QStringLiteral(" (%1)").arg(nombreEstatus(mapa_.estatus.at(modo_)));
        if (modo_ == kPorEstatus)
            for (qsizetype e = 0; e < mapa_.estatus.size(); ++e)
                if (const int k = mapa_.porEstatus[static_cast<std::size_t>(e)][static_cast<std::size_t>(
                        indice.row())][static_cast<std::size_t>(indice.column())])
                    texto += QStringLiteral("; %1: %2").arg(nombreEstatus(mapa_.estatus.at(e))).arg(k);
        return texto;
    }
    default:
        return {};
    }
}

QVariant ModeloMapaSemanal::headerData(int seccion, Qt::Orientation orientacion, int rol) const {
    if (orientacion == Qt::Vertical && (rol == Qt::DisplayRole || rol == Qt::AccessibleTextRole))
        return DiasSemana().value(seccion);
    if (orientacion == Qt::Horizontal) {
        if (rol == Qt::DisplayRole)
            return QStringLiteral("%1").arg(seccion, 2, 10, QLatin1Char('0'));
        if (rol == Qt::AccessibleTextRole || rol == Qt::ToolTipRole)
            return QStringLiteral("De %1:00 a %1:59").arg(seccion, 2, 10, QLatin1Char('0'));
    }
    return {};
}

MapaSemanalVista::MapaSemanalVista(QWidget* parent)
    : QTableView(parent), modelo_(new ModeloMapaSemanal(this)) {
    setObjectName(QStringLiteral("MapaSemanal"));
    setAccessibleName(QStringLiteral("Infracciones por día de la semana y hora"));
    setModel(modelo_);
    setItemDelegate(new DelegadoPorEstatus(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    horizontalHeader()->setMinimumSectionSize(24);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setWordWrap(false);
    // The shading is the content: a selection colour would hide it.
    QPalette paleta = palette();
    paleta.setColor(QPalette::Highlight, QColor(0, 0, 0, 0));
    paleta.setColor(QPalette::HighlightedText, Qt::black);
    setPalette(paleta);
    connect(modelo_, &QAbstractItemModel::modelReset, this, &MapaSemanalVista::ajustarFilas);
}

void MapaSemanalVista::ajustarFilas() {
    const int lineas = modelo_->modo() == ModeloMapaSemanal::kPorEstatus
                           ? std::max<int>(1, modelo_->mapa().estatus.size())
                           : 1;
    const int disponible = viewport()->height() / 7;
    const int necesario = lineas * fontMetrics().height() + 6;
    for (int d = 0; d < 7; ++d)
        setRowHeight(d, std::max(necesario, disponible));
}

void MapaSemanalVista::resizeEvent(QResizeEvent* evento) {
    QTableView::resizeEvent(evento);
    ajustarFilas();
}
