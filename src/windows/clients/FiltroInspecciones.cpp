#include "windows/clients/FiltroInspecciones.h"

#include "core/Oficina.h"
#include "core/store/ErrorBD.h"
#include "windows/platform/Controles.h"
#include "windows/platform/Mensajes.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

FiltroInspecciones::FiltroInspecciones(Oficina& oficina, QWidget* parent)
    : QWidget(parent), oficina_(oficina) {
    setObjectName(QStringLiteral("filtroInspecciones"));
    auto* controles = new QHBoxLayout(this);
    // The spacing it had as a layout nested in the left column.
    controles->setContentsMargins(0, 0, 0, 0);
    controles->setSpacing(4);
    auto* grupoFechas = new QGroupBox(QStringLiteral("Filtrar Datos de Inspecciones"));
    grupoFechas->setObjectName(QStringLiteral("grupoFechas"));
    auto* fechas = new QHBoxLayout(grupoFechas);
    fechas->setContentsMargins(6, 2, 6, 6);
    fechaInicio_ = SelectorFecha(QStringLiteral("fechaInicioInfracciones"));
    fechaInicio_->setDate(QDate(2011, 1, 1));
    fechaFin_ = SelectorFecha(QStringLiteral("fechaFinInfracciones"));
    fechaFin_->setDate(QDate(2011, 1, 1));
    fechas->addWidget(
        EtiquetaDe(QStringLiteral("Fecha Inicio:"), fechaInicio_, QStringLiteral("etiquetaFechaInicio")));
    fechas->addWidget(fechaInicio_);
    fechas->addSpacing(10);
    fechas->addWidget(
        EtiquetaDe(QStringLiteral("Fecha Final:"), fechaFin_, QStringLiteral("etiquetaFechaFin")));
    fechas->addWidget(fechaFin_);
    fechas->addStretch(1);
    controles->addWidget(grupoFechas, 1);
    auto* reordenar = new QGroupBox(QStringLiteral("Reordenar"));
    reordenar->setObjectName(QStringLiteral("grupoReordenar"));
    auto* reord = new QHBoxLayout(reordenar);
    reord->setContentsMargins(6, 2, 6, 6);
    botonReordenar_ = new QPushButton(QStringLiteral("Reordenar Datos"));
    botonReordenar_->setObjectName(QStringLiteral("botonReordenar"));
    botonReordenar_->setAutoDefault(false);
    reord->addWidget(botonReordenar_);
    controles->addWidget(reordenar);

    connect(fechaInicio_, &QDateEdit::dateChanged, this, [this] { filtrar(); });
    connect(fechaFin_, &QDateEdit::dateChanged, this, [this] { filtrar(); });
    connect(botonReordenar_, &QPushButton::clicked, this, [this] {
        try {
            oficina_.releerSeleccionado();
        } catch (const ErrorBD& e) {
            MostrarError(e);
        }
    });
    connect(&oficina_, &Oficina::rangoCambiado, this, [this] { mostrarRango(); });
}

void FiltroInspecciones::mostrarRango() {
    // The model already holds these dates: setting the pickers must not send them back.
    mostrandoRango_ = true;
    fechaInicio_->setDate(oficina_.fechaInicio());
    fechaFin_->setDate(oficina_.fechaFin());
    mostrandoRango_ = false;
}

std::vector<QWidget*> FiltroInspecciones::ordenTeclado() const {
    return {fechaInicio_, fechaFin_, botonReordenar_};
}

void FiltroInspecciones::filtrar() {
    if (mostrandoRango_)
        return;
    if (oficina_.establecerRango(fechaInicio_->date(), fechaFin_->date()) > 0)
        MostrarMensaje(
            QStringLiteral(
                "¡No hay infracciones en el listado para filtrar!, Por favor seleccione un cliente"),
            QStringLiteral("Seleccione un Cliente"), Icono::Informacion);
}
