#pragma once

#include "windows/resumen/ModeloResumen.h"

#include <QWidget>

class Oficina;
class QChartView;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;

// "Resumen de la Oficina": every client's numbers for a period, with filters, the client list's
// search, a chart of the 20 clients with most infractions, and its workbook and report. Modeless,
// one at a time; activating a row selects that client in the main window.
class VentanaResumen : public QWidget {
    Q_OBJECT
public:
    static VentanaResumen* Mostrar(Oficina& oficina);
    ~VentanaResumen() override;

    // Counts the period chosen again; false when cancelled or failed (the message shown).
    bool recalcular();
    // Cancels a count under way.
    void cancelar() { cancelado_ = true; }
    bool calculando() const { return calculando_; }
    void elegirPeriodo(const PeriodoResumen& periodo);

    FiltroResumen& filtro() { return *filtro_; }
    QTableView& tabla() { return *tabla_; }
    QChartView& grafico() { return *grafico_; }
    // Saves the rows listed as an issued workbook or PDF report; false, with the reason, when
    // nothing was saved or issued.
    bool guardar(const QString& ruta, bool libro, QString* error) const;
    bool guardarLibro(const QString& ruta, QString* error) const;
    bool guardarPdf(const QString& ruta, QString* error) const;
    // The accessible summary of the chart.
    QString descripcionGrafico() const;

protected:
    void keyPressEvent(QKeyEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    explicit VentanaResumen(Oficina& oficina);
    void aplicarPreajuste();
    void aplicarCriterios();
    void actualizarGrafico();
    void seleccionarEnPrincipal(const QModelIndex& indice);
    void exportar(bool libro);

    Oficina& oficina_;
    ModeloResumen* modelo_;
    FiltroResumen* filtro_;
    QComboBox* preajuste_;
    QDateEdit* desde_;
    QDateEdit* hasta_;
    QComboBox* columnaBusqueda_;
    QLineEdit* textoBusqueda_;
    QCheckBox* soloManipulacion_;
    QCheckBox* soloSinInspeccion_;
    QSpinBox* dias_;
    QCheckBox* soloConFilas_;
    QTableView* tabla_;
    QChartView* grafico_;
    QProgressBar* avance_;
    QPushButton* cancelar_;
    QLabel* estado_;
    bool calculando_ = false;
    bool cancelado_ = false;
    bool pendiente_ = false;
    bool cambiandoPeriodo_ = false;
    bool cerrar_ = false;
};
