#include "windows/clients/PanelLocal.h"

#include "core/Oficina.h"
#include "core/clients/Cliente.h"
#include "windows/platform/Controles.h"
#include "windows/platform/SelectoresFecha.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>

namespace {
QLabel* etiqueta(const char* texto, QWidget* campo) {
    return EtiquetaDe(QString::fromUtf8(texto), campo, QStringLiteral("etiqueta_") + campo->objectName());
}
} // namespace

PanelLocal::PanelLocal(QWidget* parent) : QGroupBox(QStringLiteral("Local Asociado al Cliente"), parent) {
    setObjectName(QStringLiteral("panelLocal"));
    auto* local = new QGridLayout(this);
    local->setContentsMargins(6, 2, 6, 4);
    local->setHorizontalSpacing(6);
    local->setVerticalSpacing(3);
    nombreLocal_ = CampoSoloLectura(QStringLiteral("nombreLocal"));
    direccionLocal_ = CampoSoloLectura(QStringLiteral("direccionLocal"));
    localidadLocal_ = CampoSoloLectura(QStringLiteral("localidadLocal"));
    partidoLocal_ = CampoSoloLectura(QStringLiteral("partidoLocal"));
    provinciaLocal_ = CampoSoloLectura(QStringLiteral("provinciaLocal"));
    telefonoLocal_ = CampoSoloLectura(QStringLiteral("telefonoLocal"));
    emailLocal_ = CampoSoloLectura(QStringLiteral("emailLocal"));
    const std::pair<QLineEdit*, const char*> camposLocal[] = {
        {nombreLocal_, "Nombre:"},   {direccionLocal_, "Direccion:"}, {localidadLocal_, "Localidad:"},
        {partidoLocal_, "Partido:"}, {provinciaLocal_, "Provincia:"}, {telefonoLocal_, "Telefono:"},
        {emailLocal_, "Email:"}};
    int fila = 0;
    for (const auto& [campo, texto] : camposLocal) {
        campo->setMinimumWidth(120);
        local->addWidget(etiqueta(texto, campo), fila, 0);
        local->addWidget(campo, fila, 1);
        ++fila;
    }
    fechaUltimaInspeccion_ = SelectorFecha(QStringLiteral("fechaUltimaInspeccion"));
    horaUltimaInspeccion_ = SelectorHora(QStringLiteral("horaUltimaInspeccion"));
    fechaAnteriorInspeccion_ = SelectorFecha(QStringLiteral("fechaAnteriorInspeccion"));
    horaAnteriorInspeccion_ = SelectorHora(QStringLiteral("horaAnteriorInspeccion"));
    // Until a client is selected the inspection pickers show nothing rather than a made-up date.
    for (auto* d : {fechaUltimaInspeccion_, fechaAnteriorInspeccion_}) {
        d->setReadOnly(true);
        d->setCalendarPopup(false);
        d->setButtonSymbols(QAbstractSpinBox::NoButtons);
        PonerFecha(d, std::nullopt);
    }
    for (auto* t : {horaUltimaInspeccion_, horaAnteriorInspeccion_}) {
        t->setReadOnly(true);
        t->setButtonSymbols(QAbstractSpinBox::NoButtons);
        PonerHora(t, std::nullopt);
    }
    const std::tuple<QDateEdit*, QTimeEdit*, const char*> inspecciones[] = {
        {fechaUltimaInspeccion_, horaUltimaInspeccion_, "Fecha/Hora Ultima Insp.:"},
        {fechaAnteriorInspeccion_, horaAnteriorInspeccion_, "Fecha/Hora Anter. Insp.:"}};
    for (const auto& [fecha, hora, texto] : inspecciones) {
        auto* par = new QHBoxLayout;
        par->setSpacing(4);
        par->addWidget(fecha, 3);
        par->addWidget(hora, 2);
        local->addWidget(etiqueta(texto, fecha), fila, 0);
        // Both pickers share the label; the time one is named after it as well.
        const QString t = QString::fromUtf8(texto);
        fecha->setAccessibleName(t + QStringLiteral(" fecha"));
        hora->setAccessibleName(t + QStringLiteral(" hora"));
        local->addLayout(par, fila, 1);
        ++fila;
    }

    fila = 0;
    for (size_t b = 0; b < 3; ++b) {
        const QString banda(QLatin1Char(static_cast<char>('A' + b)));
        activacionBanda_[b] = CampoSoloLectura(QStringLiteral("activacionBanda") + banda);
        inicioBanda_[b] = CampoSoloLectura(QStringLiteral("inicioBanda") + banda);
        finBanda_[b] = CampoSoloLectura(QStringLiteral("finBanda") + banda);
        const QByteArray activacion = QStringLiteral("Act. B. Hor. %1:").arg(banda).toUtf8();
        const std::pair<QLineEdit*, const char*> campos[] = {{activacionBanda_[b], activacion.constData()},
                                                             {inicioBanda_[b], "Dia y Hora Inicio:"},
                                                             {finBanda_[b], "Dia y Hora Fin:"}};
        for (const auto& [campo, texto] : campos) {
            campo->setMinimumWidth(100);
            local->addWidget(etiqueta(texto, campo), fila, 2);
            // Three boxes share each label text; the band tells them apart for a screen reader.
            campo->setAccessibleDescription(QStringLiteral("Banda horaria %1").arg(banda));
            local->addWidget(campo, fila, 3);
            ++fila;
        }
    }
    local->setColumnStretch(1, 3);
    local->setColumnStretch(3, 2);
    local->setColumnMinimumWidth(2, 20);
}

void PanelLocal::mostrar(const Cliente& c) {
    const std::pair<QLineEdit*, const QString&> local[] = {
        {nombreLocal_, c.nombreLocal},       {direccionLocal_, c.direccionLocal},
        {localidadLocal_, c.localidadLocal}, {partidoLocal_, c.partidoLocal},
        {provinciaLocal_, c.provinciaLocal}, {telefonoLocal_, c.telefonoLocal},
        {emailLocal_, c.emailLocal}};
    for (const auto& [campo, texto] : local)
        campo->setText(texto);
    PonerFecha(fechaUltimaInspeccion_, LeerFechaDMA(c.ultimaInspeccionFecha));
    PonerHora(horaUltimaInspeccion_, LeerHoraHMS(c.ultimaInspeccionHora));
    PonerFecha(fechaAnteriorInspeccion_, LeerFechaDMA(c.anteriorInspeccionFecha));
    PonerHora(horaAnteriorInspeccion_, LeerHoraHMS(c.anteriorInspeccionHora));
}

void PanelLocal::mostrarBandas(const TextosBandas& t) {
    for (size_t b = 0; b < 3; ++b) {
        activacionBanda_[b]->setText(t.activacion[b]);
        inicioBanda_[b]->setText(t.inicio[b]);
        finBanda_[b]->setText(t.fin[b]);
    }
}

std::vector<QWidget*> PanelLocal::ordenTeclado() const {
    std::vector<QWidget*> orden{nombreLocal_,
                                direccionLocal_,
                                localidadLocal_,
                                partidoLocal_,
                                provinciaLocal_,
                                telefonoLocal_,
                                emailLocal_,
                                fechaUltimaInspeccion_,
                                horaUltimaInspeccion_,
                                fechaAnteriorInspeccion_,
                                horaAnteriorInspeccion_};
    for (size_t b = 0; b < 3; ++b)
        orden.insert(orden.end(), {activacionBanda_[b], inicioBanda_[b], finBanda_[b]});
    return orden;
}
