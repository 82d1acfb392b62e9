#pragma once

#include "core/charts/DatosGrafico.h"

#include <QChartView>

#include <limits>
#include <memory>
#include <vector>

class QCategoryAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

// "Nivel dB" against date and time: the points coloured by status (the infraction grid's
// colours) and the permitted maximum as a step line. The wheel and a drag zoom into a period,
// a double click (or Inicio) shows the whole series again; only what a pixel column can show is
// drawn, recomputed for every period.
class GraficoNiveles : public QChartView {
    Q_OBJECT
public:
    explicit GraficoNiveles(QWidget* parent = nullptr);

    void setSerie(std::shared_ptr<const SerieNiveles> serie);
    const SerieNiveles* serie() const { return serie_.get(); }

    // The whole series on the axis again.
    void verTodo();
    // Zooms around a point of the plot (factor < 1 zooms in).
    void zoom(double factor, double centroX);
    // The period shown, as wall-clock ms (the series' own time scale).
    std::pair<qint64, qint64> periodo() const;
    void mostrarPeriodo(qint64 desde, qint64 hasta);
    // Points drawn now (after the reduction), and how many are above their limit.
    std::size_t puntosDibujados() const { return dibujados_.size(); }
    // The description of the nearest drawn point to a position in the view; empty when none.
    QString describirCercano(const QPoint& posicion) const;

Q_SIGNALS:
    // The text of the point under the pointer (empty when it left the points).
    void puntoSenalado(const QString& texto);

protected:
    void wheelEvent(QWheelEvent* evento) override;
    void mouseDoubleClickEvent(QMouseEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;

private:
    void redibujar();
    void programarRedibujo();
    void ajustarMarcas();
    qreal xDeMs(qint64 ms) const;
    qint64 msDeX(qreal x) const;

    std::shared_ptr<const SerieNiveles> serie_;
    std::vector<std::size_t> dibujados_;
    qint64 todoDesde_ = 0;
    qint64 todoHasta_ = 0;
    mutable qint64 horaDesfase_ = std::numeric_limits<qint64>::min(); // the hour desfase_ is for
    mutable qint64 desfase_ = 0;
    bool redibujoPendiente_ = false;
    bool ajustando_ = false;
    qreal anchoMarcas_ = -1;        // the plot width the ticks were chosen for
    QCategoryAxis* ejeX_ = nullptr; // ticks on whole hours, days, months or years, see ajustarMarcas
    QValueAxis* ejeY_ = nullptr;
    QLineSeries* linea_ = nullptr;
    QLineSeries* limite_ = nullptr;
    std::vector<QScatterSeries*> porEstatus_;
};
