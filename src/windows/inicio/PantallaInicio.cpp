#include "windows/inicio/PantallaInicio.h"

#include "core/platform/Programa.h"
#include "windows/inicio/InicioSesion.h"
#include "windows/platform/Imagenes.h"
#include "windows/platform/UnaVentana.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QSize kTamano(640, 360);
} // namespace

PantallaInicio::PantallaInicio(Oficina& oficina, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), oficina_(oficina) {
    UnaVentana<PantallaInicio>::registrar(this);
    setObjectName(QStringLiteral("PantallaInicio"));
    setWindowTitle(QStringLiteral("Sistema de Adquisición de Datos - Velmora KV-270"));
    setWindowIcon(IconoPrograma());
    setAccessibleName(windowTitle());
    setAccessibleDescription(
        QStringLiteral("Pantalla de inicio. Haga clic para continuar; cualquier tecla cierra el programa."));
    setFocusPolicy(Qt::StrongFocus);
    auto* capa = new QVBoxLayout(this);
    capa->setContentsMargins(0, 0, 0, 0);
    imagen_ = new QLabel;
    imagen_->setObjectName(QStringLiteral("imagen"));
    imagen_->setPixmap(ImagenPresentacion(kTamano, devicePixelRatioF()));
    imagen_->setFixedSize(kTamano);
    imagen_->setCursor(Qt::PointingHandCursor);
    imagen_->setAccessibleName(windowTitle());
    imagen_->installEventFilter(this);
    capa->addWidget(imagen_);
    setFixedSize(kTamano);

    temporizador_ = new QTimer(this);
    temporizador_->setObjectName(QStringLiteral("temporizador"));
    temporizador_->setInterval(2000);
    temporizador_->setSingleShot(false);
    connect(temporizador_, &QTimer::timeout, this, &PantallaInicio::continuar);
    temporizador_->start();
}

PantallaInicio::~PantallaInicio() {
    UnaVentana<PantallaInicio>::olvidar(this);
}

PantallaInicio* PantallaInicio::instancia() {
    return UnaVentana<PantallaInicio>::actual();
}

void PantallaInicio::showEvent(QShowEvent* evento) {
    QWidget::showEvent(evento);
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    // Keys must reach the splash to end the program.
    activateWindow();
    setFocus();
}

void PantallaInicio::continuar() {
    temporizador_->stop();
    hide();
    InicioSesion::Mostrar(oficina_);
}

bool PantallaInicio::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == imagen_ && evento->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(evento)->button() == Qt::LeftButton) {
        continuar();
        return true;
    }
    return QWidget::eventFilter(objeto, evento);
}

void PantallaInicio::keyPressEvent(QKeyEvent* evento) {
    Q_UNUSED(evento);
    temporizador_->stop();
    close();
    FinalizarPrograma();
}
