#include "windows/inicio/PantallaInicio.h"

#include "core/platform/Programa.h"
#include "windows/accounts/InicioSesion.h"
#include "windows/platform/Imagenes.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
PantallaInicio* unica = nullptr;
const QSize kTamano(640, 360);
} // namespace

PantallaInicio::PantallaInicio(Oficina& oficina, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), oficina_(oficina) {
    unica = this;
    setObjectName(QStringLiteral("PantallaInicio"));
    setWindowTitle(QStringLiteral("Sistema de Adquisición de Datos - Velmora KV-270"));
    setWindowIcon(IconoPrograma());
    setAccessibleName(windowTitle());
    setAccessibleDescription(
        QStringLiteral("Pantalla de inicio. Haga clic para continuar; cualquier tecla cierra el programa."));
    setFocusPolicy(Qt::StrongFocus);
    auto* capa = new QVBoxLayout(this);
    capa->setContentsMargins(0, 0, 0, 0);
    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(ImagenPresentacion(kTamano, devicePixelRatioF()));
    Image1->setFixedSize(kTamano);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setAccessibleName(windowTitle());
    Image1->installEventFilter(this);
    capa->addWidget(Image1);
    setFixedSize(kTamano);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    Timer1->setSingleShot(false);
    connect(Timer1, &QTimer::timeout, this, &PantallaInicio::continuar);
    Timer1->start();
}

PantallaInicio::~PantallaInicio() {
    if (unica == this)
        unica = nullptr;
}

PantallaInicio* PantallaInicio::instancia() {
    return unica;
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
    Timer1->stop();
    hide();
    InicioSesion::Mostrar(oficina_);
}

bool PantallaInicio::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == Image1 && evento->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(evento)->button() == Qt::LeftButton) {
        continuar();
        return true;
    }
    return QWidget::eventFilter(objeto, evento);
}

void PantallaInicio::keyPressEvent(QKeyEvent* evento) {
    Q_UNUSED(evento);
    Timer1->stop();
    close();
    FinalizarPrograma();
}
