#include "windows/clients/PanelInfracciones.h"

#include "core/Oficina.h"
#include "windows/grid/GridModel.h"
#include "windows/grid/GridView.h"
#include "windows/grid/OrdenPorCabecera.h"
#include "windows/grid/VistaInfracciones.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

PanelInfracciones::PanelInfracciones(Oficina& oficina, QWidget* parent)
    : QGroupBox(QStringLiteral("Infracciones del Cliente"), parent), oficina_(oficina) {
    setObjectName(QStringLiteral("panelInfracciones"));
    auto* infr = new QVBoxLayout(this);
    infr->setContentsMargins(4, 2, 4, 4);
    infr->setSpacing(2);
    auto* titulos = new QHBoxLayout;
    auto* tituloEstatus = new QLabel(QStringLiteral("ESTATUS DEL EQUIPO"));
    tituloEstatus->setObjectName(QStringLiteral("tituloEstatus"));
    auto* tituloRelevamiento = new QLabel(QStringLiteral("DATOS DE RELEVAMIENTO"));
    tituloRelevamiento->setObjectName(QStringLiteral("tituloRelevamiento"));
    for (QLabel* l : {tituloEstatus, tituloRelevamiento}) {
        l->setAlignment(Qt::AlignCenter);
        l->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: white; background: #1c4e8a;"
                                        " padding: 2px; border-radius: 2px; }"));
    }
    titulos->addWidget(tituloEstatus, 9);
    titulos->addWidget(tituloRelevamiento, 8);
    infr->addLayout(titulos);
    QFont fuenteGrilla(QStringLiteral("Arial"));
    fuenteGrilla.setPointSizeF(font().pointSizeF());
    infracciones_ = new GridModel(this);
    infracciones_->setObjectName(QStringLiteral("infracciones"));
    vista_ = new GridView(infracciones_);
    vista_->setObjectName(QStringLiteral("vistaInfracciones"));
    vista_->setFont(fuenteGrilla);
    vista_->setAccessibleName(QStringLiteral("Infracciones del Cliente"));
    infr->addWidget(vista_, 1);

    connect(vista_, &GridView::clic, this, [this](int fila, int col) {
        if (fila == 0)
            OrdenarPorCabecera(*infracciones_, ascendente_, col);
    });
    // Keyboard users sort too: Ctrl+O acts as a click on the current column's header.
    vista_->installEventFilter(this);
    vista_->setToolTip(
        QStringLiteral("Haga clic en un encabezado (o pulse Ctrl+O) para ordenar por esa columna"));
    connect(&oficina_, &Oficina::infraccionesPorCambiar, this, [this] { infracciones_->clear(); });
    connect(&oficina_, &Oficina::rangoCambiado, this,
            [this] { AplicarOcultas(*infracciones_, oficina_.infracciones()); });
}

PanelInfracciones::~PanelInfracciones() {
    delete vista_; // the view goes before the grid it shows
}

void PanelInfracciones::mostrarInfracciones() {
    MostrarInfracciones(*infracciones_, oficina_.infracciones(), vista_->font());
}

bool PanelInfracciones::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == vista_ && EsTeclaOrdenar(evento)) {
        OrdenarPorCabecera(*infracciones_, ascendente_, ColumnaActual(*vista_));
        return true;
    }
    return QGroupBox::eventFilter(objeto, evento);
}
