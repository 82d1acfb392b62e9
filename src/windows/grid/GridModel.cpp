#include "windows/grid/GridModel.h"

#include "core/store/Recordset.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Sort class of a cell, in ascending order. Empty cells sit between numbers and the rest, where
// they always sorted: after the numbers of a numeric column, first in a date or text column.
enum Clase : unsigned char { Numero, Vacia, Fecha, Hora, Texto };

struct Clave {
    Clase clase;
    double valor; // the number, yyyymmdd, seconds, or the text's rank in Spanish order
};

// Digits from `i` up to `max` of them; -1 when there are fewer than `min`.
int leerDigitos(QStringView s, qsizetype& i, int min, int max) {
    int v = 0;
    int n = 0;
    while (i < s.size() && n < max && s[i].isDigit() && s[i].unicode() < 0x80) {
        v = v * 10 + (s[i].unicode() - u'0');
        ++i;
        ++n;
    }
    return n < min ? -1 : v;
}

// d/m/yyyy or dd/mm/yyyy as yyyymmdd.
std::optional<int> comoFecha(QStringView s) {
    qsizetype i = 0;
    const int d = leerDigitos(s, i, 1, 2);
    if (d < 1 || d > 31 || i >= s.size() || s[i++] != u'/')
        return std::nullopt;
    const int m = leerDigitos(s, i, 1, 2);
    if (m < 1 || m > 12 || i >= s.size() || s[i++] != u'/')
        return std::nullopt;
    const int a = leerDigitos(s, i, 4, 4);
    if (a < 0 || i != s.size())
        return std::nullopt;
    return a * 10000 + m * 100 + d;
}

// h:mm or h:mm:ss (hours of one or two digits) as seconds; an unpadded hour would sort wrongly
// as text ("9:00:00" after "10:00:00").
std::optional<int> comoHora(QStringView s) {
    qsizetype i = 0;
    const int h = leerDigitos(s, i, 1, 2);
    if (h < 0 || i >= s.size() || s[i++] != u':')
        return std::nullopt;
    const int m = leerDigitos(s, i, 2, 2);
    if (m < 0 || m > 59)
        return std::nullopt;
    int seg = 0;
    if (i < s.size()) {
        if (s[i++] != u':')
            return std::nullopt;
        seg = leerDigitos(s, i, 2, 2);
        if (seg < 0 || seg > 59 || i != s.size())
            return std::nullopt;
    }
    return h * 3600 + m * 60 + seg;
}

// One key per data row, computed once. Texts are ranked among the column's distinct texts in
// Spanish order (accents and case secondary, "Ñ" its own letter after "N"), ties by code
// point, so rows then compare by a number: a column of few distinct texts (statuses, provinces)
// costs a handful of collations, not one per comparison.
std::vector<Clave> clavesDeOrden(const std::vector<QString>& textos) {
    std::vector<Clave> claves(textos.size());
    QHash<QString, int> distintos;
    for (size_t i = 0; i < textos.size(); ++i) {
        const QString& t = textos[i];
        const QStringView v = QStringView(t).trimmed();
        bool esNumero = false;
        const double n = v.isEmpty() ? 0.0 : v.toDouble(&esNumero);
        if (esNumero && std::isfinite(n)) // "nan" would break the ordering
            claves[i] = {Numero, n};
        else if (v.isEmpty())
            claves[i] = {Vacia, 0};
        else if (const auto f = comoFecha(v))
            claves[i] = {Fecha, static_cast<double>(*f)};
        else if (const auto h = comoHora(v))
            claves[i] = {Hora, static_cast<double>(*h)};
        else {
            claves[i] = {Texto, 0};
            distintos.insert(t, 0);
        }
    }
    if (distintos.isEmpty())
        return claves;

    QCollator orden{QLocale(QLocale::Spanish, QLocale::Spain)};
    struct Distinto {
        QString texto;
        QCollatorSortKey clave;
    };
    std::vector<Distinto> lista;
    lista.reserve(static_cast<size_t>(distintos.size()));
    for (auto it = distintos.cbegin(); it != distintos.cend(); ++it)
        lista.push_back({it.key(), orden.sortKey(it.key())});
    std::sort(lista.begin(), lista.end(), [](const Distinto& a, const Distinto& b) {
        const int r = a.clave.compare(b.clave);
        return r != 0 ? r < 0 : a.texto < b.texto;
    });
    for (size_t r = 0; r < lista.size(); ++r)
        distintos[lista[r].texto] = static_cast<int>(r);
    for (size_t i = 0; i < textos.size(); ++i)
        if (claves[i].clase == Texto)
            claves[i].valor = distintos.value(textos[i]);
    return claves;
}
} // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {
    filas_.resize(1);
}

void GridModel::bind(const Recordset& registros) {
    bind(registros.campos(), registros.filas());
}

void GridModel::bind(const QStringList& columnas, const std::vector<QStringList>& filas) {
    beginResetModel();
    enlazadas_ = filas; // implicitly shared, no copy of the texts
    textoEnlazado_ = nullptr;
    enlazar(columnas, filas.size());
    endResetModel();
    Q_EMIT columnasCambiadas();
}

void GridModel::bind(const QStringList& columnas, std::size_t cantidad, TextoEnlazado texto) {
    beginResetModel();
    enlazadas_.clear();
    textoEnlazado_ = std::move(texto);
    enlazar(columnas, cantidad);
    endResetModel();
    Q_EMIT columnasCambiadas();
}

void GridModel::enlazar(const QStringList& columnas, std::size_t cantidad) {
    colorFila_ = nullptr;
    fijasEnlazadas_ = fixedCols_;
    cols_ = static_cast<int>(columnas.size()) + fijasEnlazadas_;
    propias_.clear();
    Propia cabecera;
    cabecera.conTextos = true;
    for (int i = 0; i < fijasEnlazadas_; ++i)
        cabecera.celdas << QString();
    cabecera.celdas << columnas;
    propias_.push_back(std::move(cabecera));
    filas_.clear();
    filas_.reserve(cantidad + 1);
    filas_.push_back({-1, -1, 0});
    for (std::size_t i = 0; i < cantidad; ++i)
        filas_.push_back({static_cast<int>(i), -1, -1});
    anchos_.assign(static_cast<size_t>(cols_), -1);
    alineaciones_.assign(static_cast<size_t>(cols_), Qt::AlignLeft | Qt::AlignVCenter);
    fila_ = rows() > 1 ? 1 : 0;
    col_ = fijasEnlazadas_;
    reconstruirVisibles();
    pendiente_ = false;
}

void GridModel::clear() {
    beginResetModel();
    colorFila_ = nullptr;
    filas_.assign(1, Fila{});
    propias_.clear();
    enlazadas_.clear();
    textoEnlazado_ = nullptr;
    fijasEnlazadas_ = 0;
    cols_ = 0;
    anchos_.clear();
    alineaciones_.clear();
    fila_ = 0;
    col_ = 0;
    reconstruirVisibles();
    endResetModel();
    Q_EMIT columnasCambiadas();
}

GridModel::Propia& GridModel::propia(int fila) {
    Fila& f = filas_[static_cast<size_t>(fila)];
    if (f.propia < 0) {
        f.propia = static_cast<int>(propias_.size());
        propias_.emplace_back();
    }
    return propias_[static_cast<size_t>(f.propia)];
}

const GridModel::Propia* GridModel::propiaDe(int fila) const {
    const int p = filas_[static_cast<size_t>(fila)].propia;
    return p < 0 ? nullptr : &propias_[static_cast<size_t>(p)];
}

void GridModel::setCols(int n) {
    n = std::max(0, n);
    cols_ = n;
    anchos_.resize(static_cast<size_t>(n), -1);
    alineaciones_.resize(static_cast<size_t>(n), Qt::AlignLeft | Qt::AlignVCenter);
    estructuraCambiada();
    columnasPendientes_ = true;
    if (redraw_) {
        columnasPendientes_ = false;
        Q_EMIT columnasCambiadas();
    }
}

void GridModel::setRows(int n) {
    filas_.resize(static_cast<size_t>(std::max(1, n)));
    if (fila_ >= rows())
        fila_ = rows() - 1;
    estructuraCambiada();
}

int GridModel::rowTag(int fila) const {
    return fila >= 0 && fila < rows() ? filas_[static_cast<size_t>(fila)].etiqueta : -1;
}

QString GridModel::textMatrix(int fila, int col) const {
    if (fila < 0 || fila >= rows() || col < 0)
        return QString();
    if (const Propia* p = propiaDe(fila); p && p->conTextos)
        return p->celdas.value(col);
    const int etiqueta = filas_[static_cast<size_t>(fila)].etiqueta;
    const int c = col - fijasEnlazadas_;
    if (etiqueta < 0 || c < 0)
        return QString();
    if (textoEnlazado_)
        return textoEnlazado_(static_cast<std::size_t>(etiqueta), c);
    if (static_cast<size_t>(etiqueta) < enlazadas_.size())
        return enlazadas_[static_cast<size_t>(etiqueta)].value(c);
    return QString();
}

void GridModel::setTextMatrix(int fila, int col, const QString& texto) {
    if (fila < 0 || fila >= rows() || col < 0 || col >= cols_)
        return;
    if (const Propia* p = propiaDe(fila); !p || !p->conTextos) {
        QStringList actuales = rowTexts(fila);
        Propia& nueva = propia(fila);
        nueva.celdas = std::move(actuales);
        nueva.conTextos = true;
    }
    QStringList& c = propia(fila).celdas;
    while (c.size() <= col)
        c << QString();
    c[col] = texto;
    if (fila == 0) {
        if (redraw_)
            Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
        else
            pendiente_ = true;
    } else {
        celdaCambiada(fila, col);
    }
}

QStringList GridModel::rowTexts(int fila) const {
    if (fila < 0 || fila >= rows())
        return {};
    if (const Propia* p = propiaDe(fila); p && p->conTextos)
        return p->celdas;
    const int etiqueta = filas_[static_cast<size_t>(fila)].etiqueta;
    if (etiqueta < 0)
        return {};
    if (!textoEnlazado_ && fijasEnlazadas_ == 0 && static_cast<size_t>(etiqueta) < enlazadas_.size())
        return enlazadas_[static_cast<size_t>(etiqueta)];
    QStringList celdas;
    for (int c = 0; c < cols_; ++c)
        celdas << textMatrix(fila, c);
    return celdas;
}

int GridModel::rowHeight(int fila) const {
    if (fila < 0 || fila >= rows())
        return 0;
    const int alto = filas_[static_cast<size_t>(fila)].alto;
    return alto < 0 ? kAltoFilaPorDefecto : alto;
}

void GridModel::setRowHeight(int fila, int alto) {
    if (fila < 0 || fila >= rows())
        return;
    Fila& f = filas_[static_cast<size_t>(fila)];
    const bool antes = rowHidden(fila);
    f.alto = alto < 0 ? -1 : alto;
    if (antes != rowHidden(fila) && fila > 0)
        estructuraCambiada();
}

int GridModel::colWidth(int col) const {
    if (col < 0 || col >= cols_)
        return 0;
    return anchos_[static_cast<size_t>(col)];
}

void GridModel::setColWidth(int col, int ancho) {
    if (col < 0 || col >= cols_)
        return;
    anchos_[static_cast<size_t>(col)] = ancho;
    if (redraw_)
        Q_EMIT columnasCambiadas();
    else
        columnasPendientes_ = true;
}

Qt::Alignment GridModel::colAlignment(int col) const {
    if (col < 0 || col >= cols_)
        return Qt::AlignLeft | Qt::AlignVCenter;
    return alineaciones_[static_cast<size_t>(col)];
}

void GridModel::setColAlignment(int col, Qt::Alignment alineacion) {
    if (col < 0 || col >= cols_)
        return;
    alineaciones_[static_cast<size_t>(col)] = alineacion;
    if (redraw_) {
        Q_EMIT columnasCambiadas();
        if (!visibles_.empty())
            Q_EMIT dataChanged(index(0, col), index(static_cast<int>(visibles_.size()) - 1, col),
                               {Qt::TextAlignmentRole});
    } else {
        columnasPendientes_ = true;
        pendiente_ = true;
    }
}

void GridModel::setFormatString(const QString& formato) {
    const QStringList partes = formato.split(QLatin1Char('|'));
    Propia& p = propia(0);
    p.conTextos = true;
    QStringList& cab = p.celdas;
    for (int i = 0; i < partes.size() && i < cols_; ++i) {
        while (cab.size() <= i)
            cab << QString();
        cab[i] = partes.at(i);
    }
    if (redraw_ && cols_ > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
    else
        pendiente_ = true;
}

void GridModel::setRow(int fila) {
    fila = std::clamp(fila, 0, rows() - 1);
    if (fila == fila_)
        return;
    fila_ = fila;
    Q_EMIT cambioFilaColumna();
}

void GridModel::setCol(int col) {
    col = std::clamp(col, 0, std::max(0, cols_ - 1));
    if (col == col_)
        return;
    col_ = col;
    Q_EMIT cambioFilaColumna();
}

void GridModel::setBackColor(const QColor& color) {
    fondoDatos_ = color;
    estructuraCambiada();
}

void GridModel::setRowBackColor(int fila, const QColor& color) {
    if (fila < 0 || fila >= rows())
        return;
    Propia& f = propia(fila);
    f.fondo = color;
    f.fondosCelda.clear();
    if (redraw_) {
        const int v = viewRowForGridRow(fila);
        if (v >= 0 && cols_ > 0)
            Q_EMIT dataChanged(index(v, 0), index(v, cols_ - 1), {Qt::BackgroundRole});
    } else {
        pendiente_ = true;
    }
}

void GridModel::setCellBackColor(const QColor& color) {
    if (fila_ < 0 || fila_ >= rows() || col_ < 0 || col_ >= cols_)
        return;
    Propia& f = propia(fila_);
    while (f.fondosCelda.size() <= col_)
        f.fondosCelda << QColor();
    f.fondosCelda[col_] = color;
    celdaCambiada(fila_, col_);
}

QColor GridModel::cellBackColor(int fila, int col) const {
    if (fila < 0 || fila >= rows())
        return QColor();
    if (const Propia* f = propiaDe(fila)) {
        if (col >= 0 && col < f->fondosCelda.size() && f->fondosCelda.at(col).isValid())
            return f->fondosCelda.at(col);
        if (f->fondo.isValid())
            return f->fondo;
    }
    if (colorFila_ && fila > 0)
        return colorFila_(*this, fila);
    return fondoDatos_;
}

void GridModel::setRowColorFunction(ColorDeFila funcion) {
    colorFila_ = std::move(funcion);
    if (redraw_) {
        if (!visibles_.empty() && cols_ > 0)
            Q_EMIT dataChanged(index(0, 0), index(static_cast<int>(visibles_.size()) - 1, cols_ - 1),
                               {Qt::BackgroundRole, Qt::ForegroundRole});
    } else {
        pendiente_ = true;
    }
}

bool GridModel::sortByCurrentCol(bool ascendente) {
    const int c = col_;
    if (c < 0 || c >= cols_)
        return false;
    if (rows() > 2) {
        const size_t n = filas_.size() - 1;
        std::vector<QString> textos(n);
        for (size_t i = 0; i < n; ++i)
            textos[i] = textMatrix(static_cast<int>(i) + 1, c);
        const std::vector<Clave> claves = clavesDeOrden(textos);
        textos.clear();
        std::vector<int> orden(n);
        for (size_t i = 0; i < n; ++i)
            orden[i] = static_cast<int>(i);
        std::stable_sort(orden.begin(), orden.end(), [&claves, ascendente](int a, int b) {
            const Clave& x = claves[static_cast<size_t>(a)];
            const Clave& y = claves[static_cast<size_t>(b)];
            if (x.clase != y.clase)
                return ascendente ? x.clase < y.clase : x.clase > y.clase;
            return ascendente ? x.valor < y.valor : x.valor > y.valor;
        });
        std::vector<Fila> ordenadas;
        ordenadas.reserve(filas_.size());
        ordenadas.push_back(filas_[0]);
        for (const int i : orden)
            ordenadas.push_back(filas_[static_cast<size_t>(i) + 1]);
        filas_ = std::move(ordenadas);
    }
    estructuraCambiada();
    return true;
}

void GridModel::insertEmptyRow(int posicion) {
    posicion = std::clamp(posicion, 1, rows());
    filas_.insert(filas_.begin() + posicion, Fila{});
    estructuraCambiada();
}

void GridModel::insertEmptyRowsBelow(const std::vector<int>& filas) {
    if (filas.empty())
        return;
    std::vector<Fila> nuevas;
    nuevas.reserve(filas_.size() + filas.size());
    size_t k = 0;
    for (int i = 0; i < rows(); ++i) {
        nuevas.push_back(filas_[static_cast<size_t>(i)]);
        while (k < filas.size() && filas[k] == i) {
            nuevas.push_back(Fila{});
            ++k;
        }
    }
    filas_ = std::move(nuevas);
    estructuraCambiada();
}

void GridModel::setRedraw(bool activo) {
    redraw_ = activo;
    if (!activo)
        return;
    if (pendiente_) {
        beginResetModel();
        reconstruirVisibles();
        pendiente_ = false;
        endResetModel();
    }
    if (columnasPendientes_) {
        columnasPendientes_ = false;
        Q_EMIT columnasCambiadas();
    }
}

int GridModel::gridRowForViewRow(int filaVista) const {
    if (filaVista < 0 || filaVista >= static_cast<int>(visibles_.size()))
        return -1;
    return visibles_[static_cast<size_t>(filaVista)];
}

int GridModel::viewRowForGridRow(int fila) const {
    const auto it = std::lower_bound(visibles_.begin(), visibles_.end(), fila);
    if (it == visibles_.end() || *it != fila)
        return -1;
    return static_cast<int>(it - visibles_.begin());
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(visibles_.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    const int fila = gridRowForViewRow(index.row());
    if (fila < 0 || fila >= rows() || index.column() >= cols_)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return textMatrix(fila, index.column());
    case Qt::BackgroundRole: {
        const QColor c = cellBackColor(fila, index.column());
        return c.isValid() ? QVariant(c) : QVariant();
    }
    case Qt::ForegroundRole: {
        // Keep text readable on dark fills.
        const QColor c = cellBackColor(fila, index.column());
        if (c.isValid() && c.lightness() < 80)
            return QColor(Qt::white);
        return QVariant();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(colAlignment(index.column()));
    default:
        return QVariant();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole)
        return textMatrix(0, section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return QVariant();
}

void GridModel::estructuraCambiada() {
    if (!redraw_) {
        pendiente_ = true;
        return;
    }
    beginResetModel();
    reconstruirVisibles();
    pendiente_ = false;
    endResetModel();
}

void GridModel::celdaCambiada(int fila, int col) {
    if (!redraw_) {
        pendiente_ = true;
        return;
    }
    const int v = viewRowForGridRow(fila);
    if (v >= 0)
        Q_EMIT dataChanged(index(v, col), index(v, col));
}

void GridModel::reconstruirVisibles() {
    visibles_.clear();
    visibles_.reserve(filas_.size());
    for (int i = 1; i < rows(); ++i)
        if (!rowHidden(i))
            visibles_.push_back(i);
}
