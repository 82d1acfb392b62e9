#include "windows/platform/EstadoTeclado.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>

namespace {

// Bits 0..2: Caps, Num and Scroll Lock; false when the X server cannot be asked.
bool leerIndicadoresX11(unsigned int* indicadores);

class SeguimientoInsercion : public QObject {
public:
    bool activa = false;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        // Every key press passes the filter once per receiver in the propagation chain; count
        // it only at the widget that got it first (the focus widget's window).
        if (evento->type() == QEvent::KeyPress && objeto->isWindowType()) {
            const auto* tecla = static_cast<QKeyEvent*>(evento);
            if (tecla->key() == Qt::Key_Insert && !tecla->isAutoRepeat())
                activa = !activa;
        }
        return false;
    }
};

SeguimientoInsercion* seguimiento() {
    static SeguimientoInsercion* s = nullptr;
    if (!s && qApp) {
        s = new SeguimientoInsercion;
        s->setParent(qApp);
        qApp->installEventFilter(s);
    }
    return s;
}

} // namespace

EstadoTeclado LeerEstadoTeclado() {
    EstadoTeclado e;
    if (auto* s = seguimiento())
        e.insercion = s->activa;
    unsigned int indicadores = 0;
    if (leerIndicadoresX11(&indicadores)) {
        // Standard indicator order of the core keyboard: Caps, Num, Scroll.
        e.mayusculas = (indicadores & 0x1U) != 0;
        e.numerico = (indicadores & 0x2U) != 0;
        e.desplazamiento = (indicadores & 0x4U) != 0;
    }
    return e;
}

// Xlib's macros (None, KeyPress, Bool...) clash with Qt's names, so it comes last.
#ifdef VELMORA_HAVE_X11
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#endif

namespace {
bool leerIndicadoresX11(unsigned int* indicadores) {
#ifdef VELMORA_HAVE_X11
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* pantalla = x11 ? x11->display() : nullptr;
    return pantalla && XkbGetIndicatorState(pantalla, XkbUseCoreKbd, indicadores) == Success;
#else
    Q_UNUSED(indicadores);
    return false;
#endif
}
} // namespace
