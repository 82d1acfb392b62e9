#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>

#include <functional>
#include <vector>

class Recordset;

// Headless data grid. Row 0 is the fixed header row; rows 1..rows()-1 hold data and are read
// back by row and column number. A row of height below 1 is hidden but keeps its place and
// texts. Widths and heights are in pixels (a width of 0 hides the column).
//
// As a Qt model it exposes only the visible data rows (the header row becomes the horizontal
// header), so a view never does per-row work for hidden rows. Structural changes made while
// drawing is suspended (setRedraw(false)) reach the view once, when drawing resumes.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kAltoFilaPorDefecto = 16; // pixels

    explicit GridModel(QObject* parent = nullptr);

    // --- grid operations ---
    void bind(const Recordset& registros);
    // Header texts and data rows (each as long as the header or shorter); row 1 becomes current.
    void bind(const QStringList& columnas, const std::vector<QStringList>& filas);
    // `cantidad` rows whose texts stay with their owner: `texto(fila, col)` is asked for the cells
    // shown, sorted or measured, and the grid keeps no copy of them. The function must keep
    // what it reads alive (hold it by shared pointer) for as long as the grid is bound.
    using TextoEnlazado = std::function<QString(std::size_t fila, int col)>;
    void bind(const QStringList& columnas, std::size_t cantidad, TextoEnlazado texto);
    void clear(); // header row only, no columns
    void setFixedCols(int n) { fixedCols_ = n; }
    int fixedCols() const { return fixedCols_; }

    int rows() const { return static_cast<int>(filas_.size()); }
    int cols() const { return cols_; }
    void setCols(int n);
    void setRows(int n); // at least 1 (the header row); new rows are empty

    QString textMatrix(int fila, int col) const; // empty outside the grid
    void setTextMatrix(int fila, int col, const QString& texto);
    QStringList rowTexts(int fila) const;

    // Which of the bound rows (0-based) a grid row shows, wherever sorting moved it; -1 for a row
    // the grid added itself.
    int rowTag(int fila) const;
    int rowHeight(int fila) const;
    void setRowHeight(int fila, int alto); // negative restores the default height
    bool rowHidden(int fila) const { return rowHeight(fila) < 1; }

    int colWidth(int col) const; // -1 = default width
    void setColWidth(int col, int ancho);
    Qt::Alignment colAlignment(int col) const;
    void setColAlignment(int col, Qt::Alignment alineacion);

    // Header texts from "a|b|c"; columns beyond the last part keep their header.
    void setFormatString(const QString& formato);

    int row() const { return fila_; }
    int col() const { return col_; }
    void setRow(int fila);
    void setCol(int col);

    // Background of every data cell, of one row, and of the current cell.
    void setBackColor(const QColor& color);
    QColor backColor() const { return fondoDatos_; }
    void setRowBackColor(int fila, const QColor& color);
    void setCellBackColor(const QColor& color); // current cell
    // Colour of a data row (asked with the grid and the row), for rows and cells given no colour
    // of their own: a grid coloured by one column's text needs no work per row. Binding or
    // clearing drops it.
    using ColorDeFila = std::function<QColor(const GridModel& grid, int fila)>;
    void setRowColorFunction(ColorDeFila funcion);
    QColor cellBackColor(int fila, int col) const; // effective colour

    // Sorts the data rows by the current column, stably; whole rows move, hidden ones included.
    // Texts that read as numbers compare as numbers, dates d/m/yyyy as dates, times h:mm[:ss]
    // as times, other texts in Spanish order; numbers, then empty cells, dates, times and
    // texts. False when the current column does not exist.
    bool sortByCurrentCol(bool ascendente);

    void insertEmptyRow(int posicion);
    // Inserts one empty row directly below each of the given rows (ascending), in one pass.
    void insertEmptyRowsBelow(const std::vector<int>& filas);

    void setRedraw(bool activo);
    bool redraw() const { return redraw_; }

    // Grid row shown at a view row, and the reverse (-1 when hidden).
    int gridRowForViewRow(int filaVista) const;
    int viewRowForGridRow(int fila) const;

    // --- QAbstractItemModel ---
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // Current row or column changed (by code or by the user).
    void cambioFilaColumna();
    // Widths or alignments changed: views re-apply them.
    void columnasCambiadas();

private:
    // A grid row is small: which bound row it shows and its height. What few rows have of their
    // own (texts set on them, colours) sits apart.
    struct Fila {
        int etiqueta = -1; // index of the bound row it shows; kept through sorts
        int alto = -1;
        int propia = -1; // index in propias_
    };
    struct Propia {
        bool conTextos = false; // the row's texts are `celdas`, not the bound ones
        QStringList celdas;
        QColor fondo;
        QList<QColor> fondosCelda; // only when a single cell was coloured
    };

    Propia& propia(int fila);
    const Propia* propiaDe(int fila) const;
    void enlazar(const QStringList& columnas, std::size_t cantidad);
    void estructuraCambiada();
    void celdaCambiada(int fila, int col);
    void reconstruirVisibles();

    std::vector<Fila> filas_;
    std::vector<Propia> propias_;
    std::vector<QStringList> enlazadas_; // bound rows given as texts
    TextoEnlazado textoEnlazado_;        // bound rows kept by their owner
    int fijasEnlazadas_ = 0;             // fixed columns in front of the bound texts
    std::vector<int> visibles_;          // grid rows shown by the view, ascending
    std::vector<int> anchos_;
    std::vector<Qt::Alignment> alineaciones_;
    int cols_ = 0;
    int fixedCols_ = 0;
    int fila_ = 0;
    int col_ = 0;
    QColor fondoDatos_;
    ColorDeFila colorFila_;
    bool redraw_ = true;
    bool pendiente_ = false;
    bool columnasPendientes_ = false;
};
