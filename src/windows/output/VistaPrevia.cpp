#include "windows/output/VistaPrevia.h"

#include "windows/platform/Mensajes.h"

#include <QAction>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSeparacion = 12;  // pixels around and between the pages
constexpr size_t kGuardadas = 6; // painted pages kept for scrolling back
constexpr double kZoomMinimo = 0.25;
constexpr double kZoomMaximo = 4;

QSizeF papelMm() {
    return InformeInfracciones::disenoPagina().fullRect(QPageLayout::Millimeter).size();
}

QRectF areaMm() {
    return InformeInfracciones::disenoPagina().paintRect(QPageLayout::Millimeter);
}

} // namespace

HojasVistaPrevia::HojasVistaPrevia(QWidget* padre) : QAbstractScrollArea(padre) {
    setAccessibleName(QStringLiteral("Páginas del informe"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
}

void HojasVistaPrevia::setInforme(std::shared_ptr<const InformeInfracciones> informe) {
    informe_ = std::move(informe);
    cache_.clear();
    pintadas_ = 0;
    const QRectF area = areaMm();
    maqueta_ = informe_ ? informe_->maquetar(area.width(), area.height()) : InformeInfracciones::Maqueta();
    actualizarBarras();
    viewport()->update();
    Q_EMIT paginaCambiada(paginaActual());
}

QSize HojasVistaPrevia::tamanoPapel() const {
    const int dpi = std::max(1, static_cast<int>(std::lround(logicalDpiX() * zoom_)));
    const QSizeF mm = papelMm();
    return QSize(static_cast<int>(std::lround(mm.width() / 25.4 * dpi)),
                 static_cast<int>(std::lround(mm.height() / 25.4 * dpi)));
}

int HojasVistaPrevia::paso() const {
    return tamanoPapel().height() + kSeparacion;
}

void HojasVistaPrevia::actualizarBarras() {
    const QSize papel = tamanoPapel();
    const QSize vista = viewport()->size();
    const qint64 alto = static_cast<qint64>(paginas()) * paso() + kSeparacion;
    verticalScrollBar()->setRange(0, static_cast<int>(std::clamp<qint64>(alto - vista.height(), 0, INT_MAX)));
    verticalScrollBar()->setPageStep(vista.height());
    horizontalScrollBar()->setRange(0, std::max(0, papel.width() + 2 * kSeparacion - vista.width()));
    horizontalScrollBar()->setPageStep(vista.width());
}

int HojasVistaPrevia::paginaActual() const {
    if (paginas() == 0)
        return 0;
    const int y = verticalScrollBar()->value() + viewport()->height() / 3;
    return std::clamp(y / paso() + 1, 1, paginas());
}

void HojasVistaPrevia::irAPagina(int pagina) {
    if (paginas() == 0)
        return;
    pagina = std::clamp(pagina, 1, paginas());
    verticalScrollBar()->setValue((pagina - 1) * paso());
}

void HojasVistaPrevia::setZoom(double zoom) {
    zoomElegido_ = true;
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    aplicarZoom(zoom);
}

void HojasVistaPrevia::aplicarZoom(double zoom) {
    zoom = std::clamp(zoom, kZoomMinimo, kZoomMaximo);
    if (std::abs(zoom - zoom_) < 1e-6)
        return;
    const int pagina = paginaActual();
    zoom_ = zoom;
    cache_.clear();
    actualizarBarras();
    irAPagina(pagina);
    viewport()->update();
}

void HojasVistaPrevia::ajustarAncho() {
    zoomElegido_ = false;
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // the page fits across
    const double ancho = papelMm().width() / 25.4 * logicalDpiX();
    const double zoom =
        (viewport()->width() - 2.0 * kSeparacion - verticalScrollBar()->sizeHint().width()) / ancho;
    // Pages are drawn at a whole resolution: rounded down, so the page never overflows.
    aplicarZoom(std::floor(zoom * logicalDpiX()) / logicalDpiX());
}

const QImage& HojasVistaPrevia::imagenPagina(int indice) {
    for (auto it = cache_.begin(); it != cache_.end(); ++it)
        if (it->first == indice) {
            cache_.splice(cache_.begin(), cache_, it);
            return cache_.front().second;
        }
    const int dpi = std::max(1, static_cast<int>(std::lround(logicalDpiX() * zoom_)));
    QImage imagen(tamanoPapel(), QImage::Format_RGB32);
    // The image's resolution is what the report scales its points by.
    imagen.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
    imagen.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
    imagen.fill(Qt::white);
    if (informe_) {
        QPainter p(&imagen);
        const QRectF area = areaMm();
        p.translate(area.left() / 25.4 * dpi, area.top() / 25.4 * dpi);
        informe_->dibujarPagina(p, maqueta_, indice);
    }
    ++pintadas_;
    cache_.emplace_front(indice, std::move(imagen));
    if (cache_.size() > kGuardadas)
        cache_.pop_back();
    return cache_.front().second;
}

void HojasVistaPrevia::paintEvent(QPaintEvent* evento) {
    QPainter p(viewport());
    p.fillRect(evento->rect(), palette().color(QPalette::Dark));
    if (paginas() == 0)
        return;
    const QSize papel = tamanoPapel();
    const int vy = verticalScrollBar()->value();
    const int x =
        std::max(kSeparacion, (viewport()->width() - papel.width()) / 2) - horizontalScrollBar()->value();
    const int primera = std::max(0, (vy + evento->rect().top() - kSeparacion) / paso());
    for (int k = primera; k < paginas(); ++k) {
        const int y = kSeparacion + k * paso() - vy;
        if (y > evento->rect().bottom())
            break;
        const QRect hoja(QPoint(x, y), papel);
        p.fillRect(hoja.translated(3, 3), palette().color(QPalette::Shadow));
        p.drawImage(hoja.topLeft(), imagenPagina(k));
    }
}

void HojasVistaPrevia::resizeEvent(QResizeEvent* evento) {
    QAbstractScrollArea::resizeEvent(evento);
    if (!zoomElegido_)
        ajustarAncho();
    actualizarBarras();
}

void HojasVistaPrevia::scrollContentsBy(int, int) {
    viewport()->update();
    Q_EMIT paginaCambiada(paginaActual());
}

DialogoVistaPrevia::DialogoVistaPrevia(QWidget* padre) : QDialog(padre) {
    auto* disposicion = new QVBoxLayout(this);
    disposicion->setContentsMargins(0, 0, 0, 0);
    disposicion->setSpacing(0);
    barra_ = new QToolBar(this);
    barra_->setAccessibleName(QStringLiteral("Barra de la vista previa"));
    hojas_ = new HojasVistaPrevia(this);
    disposicion->addWidget(barra_);
    disposicion->addWidget(hojas_, 1);

    const auto accion = [this](const QString& nombre, const QString& texto, const QKeySequence& atajo,
                               auto funcion) {
        QAction* a = barra_->addAction(texto);
        a->setObjectName(nombre);
        a->setShortcut(atajo);
        a->setToolTip(atajo.isEmpty()
                          ? texto
                          : QStringLiteral("%1 (%2)").arg(texto, atajo.toString(QKeySequence::NativeText)));
        connect(a, &QAction::triggered, this, funcion);
        return a;
    };
    accion(QStringLiteral("Imprimir"), QStringLiteral("Imprimir…"), QKeySequence::Print,
           [this] { imprimir(); });
    barra_->addSeparator();
    accion(QStringLiteral("PrimeraPagina"), QStringLiteral("Primera"), QKeySequence(Qt::CTRL | Qt::Key_Home),
           [this] { hojas_->irAPagina(1); });
    accion(QStringLiteral("PaginaAnterior"), QStringLiteral("Anterior"),
           QKeySequence(Qt::CTRL | Qt::Key_PageUp),
           [this] { hojas_->irAPagina(hojas_->paginaActual() - 1); });
    pagina_ = new QSpinBox(this);
    pagina_->setObjectName(QStringLiteral("Pagina"));
    pagina_->setAccessibleName(QStringLiteral("Página"));
    pagina_->setKeyboardTracking(false);
    barra_->addWidget(pagina_);
    deTotal_ = new QLabel(this);
    deTotal_->setContentsMargins(4, 0, 4, 0);
    barra_->addWidget(deTotal_);
    accion(QStringLiteral("PaginaSiguiente"), QStringLiteral("Siguiente"),
           QKeySequence(Qt::CTRL | Qt::Key_PageDown),
           [this] { hojas_->irAPagina(hojas_->paginaActual() + 1); });
    accion(QStringLiteral("UltimaPagina"), QStringLiteral("Última"), QKeySequence(Qt::CTRL | Qt::Key_End),
           [this] { hojas_->irAPagina(hojas_->paginas()); });
    barra_->addSeparator();
    accion(QStringLiteral("Alejar"), QStringLiteral("Alejar"), QKeySequence::ZoomOut,
           [this] { hojas_->setZoom(hojas_->zoom() / 1.25); });
    accion(QStringLiteral("Acercar"), QStringLiteral("Acercar"), QKeySequence::ZoomIn,
           [this] { hojas_->setZoom(hojas_->zoom() * 1.25); });
    accion(QStringLiteral("AjustarAncho"), QStringLiteral("Ajustar al ancho"), QKeySequence(),
           [this] { hojas_->ajustarAncho(); });
    barra_->addSeparator();

    connect(pagina_, &QSpinBox::valueChanged, this, [this](int p) {
        if (p != hojas_->paginaActual())
            hojas_->irAPagina(p);
    });
    connect(hojas_, &HojasVistaPrevia::paginaCambiada, this, &DialogoVistaPrevia::actualizarPagina);
    hojas_->setFocus();
}

void DialogoVistaPrevia::setInforme(std::shared_ptr<const InformeInfracciones> informe) {
    informe_ = informe;
    hojas_->setInforme(std::move(informe));
}

void DialogoVistaPrevia::actualizarPagina(int pagina) {
    const QSignalBlocker bloqueo(pagina_);
    pagina_->setRange(hojas_->paginas() ? 1 : 0, hojas_->paginas());
    pagina_->setValue(pagina);
    deTotal_->setText(QStringLiteral("de %1").arg(hojas_->paginas()));
}

void DialogoVistaPrevia::imprimir() {
    if (!informe_)
        return;
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setPageLayout(InformeInfracciones::disenoPagina());
    impresora.setDocName(QStringLiteral("Detalle de Infracciones"));
    QPrintDialog dialogo(&impresora, this);
    if (dialogo.exec() != QDialog::Accepted)
        return;
    const Imprimir imprimirEn = [&impresora](const InformeInfracciones& informe) {
        if (informe.imprimir(&impresora))
            return true;
        MostrarMensaje(QStringLiteral("No se pudo imprimir el informe."),
                       QStringLiteral("Error en la generación del informe"), Icono::Critico);
        return false;
    };
    if (emision_)
        emision_(imprimirEn);
    else
        imprimirEn(*informe_);
}
