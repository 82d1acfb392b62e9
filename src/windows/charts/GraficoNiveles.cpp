#include "windows/charts/GraficoNiveles.h"

#include "core/charts/MarcasTiempo.h"
#include "windows/estatus/ColoresEstatus.h"

#include <QCategoryAxis>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kHora = 3600000;
// Closer than this (pixels) to a point, the pointer names it.
constexpr double kRadioSenalado = 12;
// More date ticks than this crowd the axis even on a wide screen.
constexpr int kMaximoMarcas = 10;

QString textoEstatus(const QString& estatus) {
    return estatus.isEmpty() ? QStringLiteral("(sin estatus)") : estatus;
}

} // namespace

GraficoNiveles::GraficoNiveles(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("GraficoNiveles"));
    setAccessibleName(QStringLiteral("Gráfico de Niveles"));
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::HorizontalRubberBand);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(QStringLiteral("Rueda del ratón o arrastrar: acercar un período; doble clic o Inicio: "
                              "todo el período; + y -: acercar y alejar; flechas: desplazar"));

    auto* grafico = new QChart;
    grafico->setMargins(QMargins(4, 4, 4, 4));
    grafico->legend()->setAlignment(Qt::AlignBottom);
    grafico->legend()->setShowToolTips(true);
    // Statuses sharing a colour differ only in the marker's shape: the legend must show it.
    grafico->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    setChart(grafico);

    // A date axis only offers evenly spread ticks at odd instants; labelled values put them on
    // whole units instead.
    ejeX_ = new QCategoryAxis;
    ejeX_->setTitleText(QStringLiteral("Fecha y hora"));
    ejeX_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    ejeX_->setTruncateLabels(false); // their number is chosen so they fit
    ejeY_ = new QValueAxis;
    ejeY_->setTitleText(QStringLiteral("Nivel dB"));
    ejeY_->setLabelFormat(QStringLiteral("%.0f"));
    grafico->addAxis(ejeX_, Qt::AlignBottom);
    grafico->addAxis(ejeY_, Qt::AlignLeft);
    connect(ejeX_, &QValueAxis::rangeChanged, this, [this] {
        if (!ajustando_)
            programarRedibujo();
    });
    // How many ticks fit is known once the chart is laid out (and again when the width changes).
    connect(grafico, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
        if (std::abs(area.width() - anchoMarcas_) < 1)
            return;
        // At once, not queued: a picture drawn right after the layout must have them right.
        ajustarMarcas();
        programarRedibujo();
    });
}

qreal GraficoNiveles::xDeMs(qint64 ms) const {
    // The axis labels local time: the wall-clock time is placed at the local instant that shows it.
    // Offsets change only on the hour, and neighbouring points share it: one conversion per hour.
    const qint64 hora = ms >= 0 ? ms / kHora : (ms - kHora + 1) / kHora;
    if (hora != horaDesfase_) {
        const QDateTime pared = FechaHoraDeMs(hora * kHora);
        desfase_ = QDateTime(pared.date(), pared.time(), Qt::LocalTime).toMSecsSinceEpoch() - hora * kHora;
        horaDesfase_ = hora;
    }
    return static_cast<qreal>(ms + desfase_);
}

qint64 GraficoNiveles::msDeX(qreal x) const {
    const QDateTime local =
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(x)), Qt::LocalTime);
    return MsDeFechaHora(local.date(), local.time());
}

void GraficoNiveles::setSerie(std::shared_ptr<const SerieNiveles> serie) {
    serie_ = std::move(serie);
    QChart* grafico = chart();
    grafico->removeAllSeries();
    linea_ = nullptr;
    limite_ = nullptr;
    porEstatus_.clear();
    dibujados_.clear();
    if (!serie_)
        return;

    linea_ = new QLineSeries;
    linea_->setName(QStringLiteral("Nivel dB"));
    linea_->setPen(QPen(QColor(170, 170, 170), 1));
    grafico->addSeries(linea_);
    // Several statuses share a colour in the grid: they keep it and differ in the marker's shape.
    static constexpr QScatterSeries::MarkerShape kFormas[] = {
        QScatterSeries::MarkerShapeCircle,   QScatterSeries::MarkerShapeRectangle,
        QScatterSeries::MarkerShapeTriangle, QScatterSeries::MarkerShapeRotatedRectangle,
        QScatterSeries::MarkerShapeStar,     QScatterSeries::MarkerShapePentagon};
    QList<QRgb> usados;
    for (const QString& estatus : serie_->estatus) {
        auto* puntos = new QScatterSeries;
        puntos->setName(textoEstatus(estatus));
        const QColor color = ColorEstatus(estatus);
        usados.append(color.rgb());
        puntos->setMarkerShape(kFormas[(usados.count(color.rgb()) - 1) % std::size(kFormas)]);
        puntos->setColor(color);
        // Yellow on white needs an outline to be seen.
        puntos->setBorderColor(color.darker(170));
        puntos->setMarkerSize(8);
        grafico->addSeries(puntos);
        porEstatus_.push_back(puntos);
    }
    limite_ = new QLineSeries;
    limite_->setName(QStringLiteral("Max. dB"));
    QPen pluma(QColor(0, 60, 220), 3);
    pluma.setStyle(Qt::DashLine);
    limite_->setPen(pluma);
    grafico->addSeries(limite_);
    for (QAbstractSeries* s : grafico->series()) {
        s->attachAxis(ejeX_);
        s->attachAxis(ejeY_);
    }
    // The line joining the points says nothing a legend entry would help with.
    if (const auto marcadores = grafico->legend()->markers(linea_); !marcadores.isEmpty())
        marcadores.first()->setVisible(false);

    // The limit line is short whatever the size of the series: drawn whole, once.
    QList<QPointF> escalones;
    for (const PuntoLimite& p : LineaLimite(*serie_))
        escalones.append(QPointF(xDeMs(p.ms), p.maximo));
    limite_->replace(escalones);

    float bajo = 200, alto = 0;
    for (const PuntoNivel& p : serie_->puntos) {
        bajo = std::min(bajo, p.nivel);
        alto = std::max(alto, p.nivel);
    }
    for (const PuntoLimite& p : LineaLimite(*serie_)) {
        bajo = std::min(bajo, p.maximo);
        alto = std::max(alto, p.maximo);
    }
    if (serie_->puntos.empty()) {
        bajo = 60;
        alto = 110;
    }
    ejeY_->setRange(std::floor((bajo - 5) / 5) * 5, std::ceil((alto + 5) / 5) * 5);
    ejeY_->applyNiceNumbers();

    if (serie_->puntos.empty()) {
        todoDesde_ = MsDeFechaHora(serie_->inicio, QTime(0, 0));
        todoHasta_ = MsDeFechaHora(serie_->fin, QTime(23, 59, 59));
    } else {
        todoDesde_ = serie_->puntos.front().ms;
        todoHasta_ = serie_->puntos.back().ms;
        // A little room on both sides, so the first and last points are not on the frame.
        const qint64 margen = std::max<qint64>((todoHasta_ - todoDesde_) / 50, kHora / 2);
        todoDesde_ -= margen;
        todoHasta_ += margen;
    }
    setAccessibleDescription(DescribirSerie(*serie_));
    verTodo();
}

void GraficoNiveles::verTodo() {
    mostrarPeriodo(todoDesde_, todoHasta_);
}

void GraficoNiveles::mostrarPeriodo(qint64 desde, qint64 hasta) {
    // Never narrower than a minute, nor wider than the whole series.
    if (hasta - desde < 60000) {
        const qint64 centro = (desde + hasta) / 2;
        desde = centro - 30000;
        hasta = centro + 30000;
    }
    desde = std::max(desde, todoDesde_);
    hasta = std::min(hasta, todoHasta_);
    if (hasta <= desde)
        hasta = desde + 60000;
    ajustando_ = true;
    ejeX_->setRange(xDeMs(desde), xDeMs(hasta));
    ajustando_ = false;
    ajustarMarcas();
    redibujar();
}

std::pair<qint64, qint64> GraficoNiveles::periodo() const {
    return {msDeX(ejeX_->min()), msDeX(ejeX_->max())};
}

void GraficoNiveles::ajustarMarcas() {
    const auto [desde, hasta] = periodo();
    anchoMarcas_ = chart()->plotArea().width();
    // The widest label of each unit (the date under a time, a month with its year), and a gap.
    const QFontMetricsF metricas(ejeX_->labelsFont());
    const auto anchoEtiqueta = [&metricas](UnidadTiempo unidad) {
        QString muestra = QStringLiteral("00/00/0000");
        if (unidad == UnidadTiempo::Dia)
            muestra = QStringLiteral("00/00");
        else if (unidad == UnidadTiempo::Mes)
            muestra = QStringLiteral("mmm 0000");
        else if (unidad == UnidadTiempo::Anio)
            muestra = QStringLiteral("0000");
        return metricas.horizontalAdvance(muestra) + 2 * metricas.averageCharWidth();
    };
    // Ticks kept half a label inside the plot: the axis hides a label that sticks out of it.
    const MarcasTiempo marcas = ElegirMarcasTiempo(desde, hasta, anchoMarcas_, anchoEtiqueta, kMaximoMarcas);

    QStringList textos;
    QList<qreal> valores;
    for (const MarcaTiempo& m : marcas.marcas) {
        QString texto = m.texto.toHtmlEscaped();
        // The day (or year) under the tick's own text, both centred on the tick.
        if (!m.contexto.isEmpty())
            texto =
                QStringLiteral("<div align=\"center\">%1<br>%2</div>").arg(texto, m.contexto.toHtmlEscaped());
        // The axis keys its labels by text: a time repeated on another day is told apart by a
        // comment, which draws nothing.
        for (int n = 1; textos.contains(texto); ++n)
            texto += QStringLiteral("<!--%1-->").arg(n);
        textos << texto;
        valores << xDeMs(m.ms);
    }
    if (textos == ejeX_->categoriesLabels() && ejeX_->startValue() == ejeX_->min()) {
        bool iguales = true;
        for (qsizetype i = 0; i < textos.size() && iguales; ++i)
            iguales = ejeX_->endValue(textos.at(i)) == valores.at(i);
        if (iguales)
            return;
    }
    for (const QString& t : ejeX_->categoriesLabels())
        ejeX_->remove(t);
    // The first label sits at the end of a first category starting at the left edge.
    ejeX_->setStartValue(ejeX_->min());
    for (qsizetype i = 0; i < textos.size(); ++i)
        ejeX_->append(textos.at(i), valores.at(i));
}

void GraficoNiveles::zoom(double factor, double centroX) {
    const auto [desde, hasta] = periodo();
    const QRectF area = chart()->plotArea();
    const double fraccion =
        area.width() > 0 ? std::clamp((centroX - area.left()) / area.width(), 0.0, 1.0) : 0.5;
    const double ancho = static_cast<double>(hasta - desde);
    const double nuevo = ancho * factor;
    const double centro = static_cast<double>(desde) + ancho * fraccion;
    mostrarPeriodo(static_cast<qint64>(centro - nuevo * fraccion),
                   static_cast<qint64>(centro + nuevo * (1 - fraccion)));
}

void GraficoNiveles::programarRedibujo() {
    // A drag or a run of wheel steps moves the axis many times: one redraw for all of them.
    if (redibujoPendiente_)
        return;
    redibujoPendiente_ = true;
    QTimer::singleShot(0, this, [this] {
        redibujoPendiente_ = false;
        // The view's own zoom (rubber band, right click) may leave the series: bring it back.
        const auto [desde, hasta] = periodo();
        if (desde < todoDesde_ || hasta > todoHasta_)
            mostrarPeriodo(desde, hasta);
        else {
            ajustarMarcas();
            redibujar();
        }
    });
}

void GraficoNiveles::redibujar() {
    if (!serie_ || !linea_)
        return;
    const auto [desde, hasta] = periodo();
    const int columnas = std::max(50, static_cast<int>(chart()->plotArea().width()));
    dibujados_ =
        ReducirPuntos(serie_->puntos, desde, hasta, columnas, static_cast<int>(serie_->estatus.size()));
    QList<QPointF> todos;
    todos.reserve(static_cast<qsizetype>(dibujados_.size()));
    std::vector<QList<QPointF>> grupos(porEstatus_.size());
    for (std::size_t i : dibujados_) {
        const PuntoNivel& p = serie_->puntos[i];
        const QPointF punto(xDeMs(p.ms), p.nivel);
        todos.append(punto);
        if (p.estatus < grupos.size())
            grupos[p.estatus].append(punto);
    }
    linea_->replace(todos);
    for (std::size_t e = 0; e < porEstatus_.size(); ++e)
        porEstatus_[e]->replace(grupos[e]);
}

QString GraficoNiveles::describirCercano(const QPoint& posicion) const {
    if (!serie_ || dibujados_.empty() || !chart()->plotArea().contains(mapToScene(posicion)))
        return {};
    const QPointF escena = mapToScene(posicion);
    double mejor = kRadioSenalado * kRadioSenalado;
    const PuntoNivel* cercano = nullptr;
    for (std::size_t i : dibujados_) {
        const PuntoNivel& p = serie_->puntos[i];
        const QPointF enPantalla = chart()->mapToPosition(QPointF(xDeMs(p.ms), p.nivel));
        const QPointF d = enPantalla - escena;
        const double distancia = d.x() * d.x() + d.y() * d.y();
        if (distancia <= mejor) {
            mejor = distancia;
            cercano = &p;
        }
    }
    if (!cercano)
        return {};
    const QDateTime momento = FechaHoraDeMs(cercano->ms);
    QString texto =
        QStringLiteral("%1 %2 - %3 dB - %4")
            .arg(momento.date().toString(QStringLiteral("dd/MM/yyyy")),
                 momento.time().toString(QStringLiteral("HH:mm:ss")), QString::number(cercano->nivel),
                 textoEstatus(serie_->estatus.value(cercano->estatus)));
    if (!std::isnan(cercano->maximo))
        texto += QStringLiteral(" (Max. dB %1)").arg(QString::number(cercano->maximo));
    return texto;
}

void GraficoNiveles::wheelEvent(QWheelEvent* evento) {
    const int pasos = evento->angleDelta().y() / 120;
    if (pasos == 0 || !serie_) {
        evento->accept();
        return;
    }
    zoom(std::pow(0.8, pasos), mapToScene(evento->position().toPoint()).x());
    evento->accept();
}

void GraficoNiveles::mouseDoubleClickEvent(QMouseEvent* evento) {
    verTodo();
    evento->accept();
}

void GraficoNiveles::mouseMoveEvent(QMouseEvent* evento) {
    QChartView::mouseMoveEvent(evento);
    const QString texto = describirCercano(evento->position().toPoint());
    if (texto.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(evento->globalPosition().toPoint(), texto, this);
    Q_EMIT puntoSenalado(texto);
}

void GraficoNiveles::mouseReleaseEvent(QMouseEvent* evento) {
    // The right button would zoom out past the series; it shows the whole of it instead.
    if (evento->button() == Qt::RightButton) {
        verTodo();
        evento->accept();
        return;
    }
    QChartView::mouseReleaseEvent(evento);
}

void GraficoNiveles::keyPressEvent(QKeyEvent* evento) {
    const double centro = chart()->plotArea().center().x();
    const auto [desde, hasta] = periodo();
    const qint64 paso = (hasta - desde) / 5;
    switch (evento->key()) {
    case Qt::Key_Plus:
        zoom(0.5, centro);
        break;
    case Qt::Key_Minus:
        zoom(2.0, centro);
        break;
    case Qt::Key_Home:
        verTodo();
        break;
    case Qt::Key_Left:
        mostrarPeriodo(std::max(todoDesde_, desde - paso),
                       std::max(todoDesde_, desde - paso) + (hasta - desde));
        break;
    case Qt::Key_Right:
        mostrarPeriodo(std::min(todoHasta_, hasta + paso) - (hasta - desde),
                       std::min(todoHasta_, hasta + paso));
        break;
    default:
        QChartView::keyPressEvent(evento);
        return;
    }
    evento->accept();
}

void GraficoNiveles::resizeEvent(QResizeEvent* evento) {
    QChartView::resizeEvent(evento);
    programarRedibujo();
}
