#include "windows/clients/BarraEstado.h"

#include "windows/platform/EstadoTeclado.h"
#include "windows/platform/VersionPrograma.h"

#include <QDateTime>
#include <QLabel>
#include <QTimer>

BarraEstado::BarraEstado(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("barraEstado"));
    // As QMainWindow::statusBar() makes its own.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setSizeGripEnabled(true);
    static const char* const nombres[] = {"estado",    "programa",       "mayusculas", "numerico",
                                          "insercion", "desplazamiento", "fecha",      "hora"};
    // Pixel widths that fit a 1366-pixel screen; the two texts stretch.
    const int anchos[] = {0, 0, 64, 64, 48, 64, 92, 80};
    for (int i = 0; i < Cantidad; ++i) {
        auto* p = new QLabel;
        p->setObjectName(QLatin1String(nombres[i]));
        p->setFrameShape(QFrame::StyledPanel);
        p->setFrameShadow(QFrame::Sunken);
        p->setContentsMargins(4, 0, 4, 0);
        paneles_[static_cast<size_t>(i)] = p;
        if (i < Mayusculas) {
            addWidget(p, i == Estado ? 4 : 5);
        } else {
            p->setAlignment(Qt::AlignCenter);
            p->setMinimumWidth(anchos[i]);
            addPermanentWidget(p);
        }
    }
    paneles_[Estado]->setText(QStringLiteral("Listo"));
    paneles_[Programa]->setText(QStringLiteral("Velmora KV-270 - Sistema de Adquisicion de Datos ") +
                                QStringLiteral("Version: ") + TextoVersion());
    paneles_[Fecha]->setToolTip(QStringLiteral("Fecha Actual"));
    paneles_[Hora]->setToolTip(QStringLiteral("Hora Actual"));
    reloj_ = new QTimer(this);
    reloj_->setObjectName(QStringLiteral("relojBarra"));
    reloj_->setInterval(500);
    connect(reloj_, &QTimer::timeout, this, &BarraEstado::actualizar);
    reloj_->start();
    actualizar();
}

void BarraEstado::actualizar() {
    const EstadoTeclado e = LeerEstadoTeclado();
    const std::tuple<const std::optional<bool>&, QLabel*, const char*, const char*> teclas[] = {
        {e.mayusculas, paneles_[Mayusculas], "MAYÚS", "Bloq Mayús"},
        {e.numerico, paneles_[Numerico], "NÚM", "Bloq Num"},
        {e.insercion, paneles_[Insercion], "INS", "Insertar"},
        {e.desplazamiento, paneles_[Desplazamiento], "DESPL", "Bloq Despl"}};
    for (const auto& [estado, panel, texto, nombre] : teclas) {
        if (!estado) {
            panel->clear();
            panel->setAccessibleName(QString());
            continue;
        }
        panel->setText(QString::fromUtf8(texto));
        panel->setEnabled(*estado);
        panel->setAccessibleName(QString::fromUtf8(nombre) +
                                 (*estado ? QStringLiteral(" activado") : QStringLiteral(" desactivado")));
    }
    const QDateTime ahora = QDateTime::currentDateTime();
    paneles_[Fecha]->setText(ahora.date().toString(QStringLiteral("dd/MM/yyyy")));
    paneles_[Hora]->setText(ahora.time().toString(QStringLiteral("HH:mm")));
}
