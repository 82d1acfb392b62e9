#include "windows/inicio/VentanaArranque.h"

#include "core/store/Esquema.h"
#include "windows/platform/Mensajes.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

VentanaArranque::VentanaArranque(QWidget* padre) : QDialog(padre) {
    setWindowTitle(QStringLiteral("Velmora KV-270"));
    setObjectName(QStringLiteral("ventanaArranque"));
    texto_ = new QLabel(this);
    texto_->setObjectName(QStringLiteral("textoArranque"));
    texto_->setWordWrap(true);
    detalle_ = new QLabel(this);
    detalle_->setObjectName(QStringLiteral("detalleArranque"));
    detalle_->setWordWrap(true);
    // Neither a copy nor a step can tell how far it got: the bar moves to show work goes on.
    barra_ = new QProgressBar(this);
    barra_->setObjectName(QStringLiteral("progresoArranque"));
    barra_->setAccessibleName(QStringLiteral("Progreso del inicio"));
    barra_->setRange(0, 0);
    barra_->setTextVisible(false);
    detenerBoton_ = new QPushButton(QStringLiteral("Detener la actualización"), this);
    detenerBoton_->setObjectName(QStringLiteral("botonDetener"));
    detenerBoton_->setAutoDefault(false);
    connect(detenerBoton_, &QPushButton::clicked, this, &VentanaArranque::pedirDetencion);
    auto* capas = new QVBoxLayout(this);
    capas->addWidget(texto_);
    capas->addWidget(detalle_);
    capas->addWidget(barra_);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(detenerBoton_);
    capas->addLayout(botones);
    setMinimumWidth(480);
    mostrarApertura();
}

void VentanaArranque::mostrarApertura() {
    if (fase_ == Fase::Deteniendo)
        return;
    fase_ = Fase::Apertura;
    texto_->setText(QStringLiteral("Abriendo el registro…"));
    detalle_->clear();
    detalle_->hide();
    detenerBoton_->hide();
}

void VentanaArranque::mostrarCopia() {
    if (fase_ == Fase::Deteniendo)
        return;
    fase_ = Fase::Copia;
    texto_->setText(QStringLiteral("Haciendo la copia de seguridad diaria del registro…"));
    detalle_->clear();
    detalle_->hide();
    detenerBoton_->hide();
}

void VentanaArranque::mostrarPaso(const PasoEsquema& paso) {
    if (fase_ == Fase::Deteniendo)
        return;
    fase_ = Fase::Actualizacion;
    texto_->setText(QStringLiteral("Actualizando el registro a la versión %1 (paso %2 de %3)…")
                        .arg(kVersionEsquema)
                        .arg(paso.paso)
                        .arg(paso.pasos));
    detalle_->setText(paso.descripcion);
    detalle_->show();
    detenerBoton_->show();
}

void VentanaArranque::reject() {
    switch (fase_) {
    case Fase::Copia:
        // The copy is written under another name and renamed when verified; waiting is what keeps
        // today's copy.
        MostrarMensaje(QStringLiteral("Se está haciendo la copia de seguridad diaria del registro. Espere a "
                                      "que termine: el programa seguirá solo en cuanto esté hecha."),
                       QString(), Icono::Informacion);
        break;
    case Fase::Apertura:
    case Fase::Actualizacion:
        pedirDetencion();
        break;
    case Fase::Deteniendo:
        break;
    }
}

void VentanaArranque::pedirDetencion() {
    if (MostrarMensaje(QStringLiteral("¿Detener la actualización del registro y salir del programa?\n\n"
                                      "El registro quedará como estaba al terminar el último paso "
                                      "completado, y la actualización seguirá la próxima vez que se "
                                      "inicie el programa."),
                       QString(), Icono::Pregunta, Botones::NoSi) != Respuesta::Si)
        return;
    if (fase_ == Fase::Deteniendo)
        return;
    // The update may have ended while the question was open: a copy under way is let finish.
    if (fase_ == Fase::Copia) {
        texto_->setText(QStringLiteral("Terminando la copia de seguridad diaria del registro…"));
        detalle_->setText(QStringLiteral("El programa se cerrará en cuanto esté hecha."));
    } else {
        texto_->setText(QStringLiteral("Deteniendo la actualización…"));
        detalle_->setText(QStringLiteral("Se deshace el paso en curso; el programa se cerrará enseguida."));
    }
    fase_ = Fase::Deteniendo;
    detalle_->show();
    detenerBoton_->hide();
    Q_EMIT detener();
}
