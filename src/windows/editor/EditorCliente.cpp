#include "windows/editor/EditorCliente.h"

#include "core/Oficina.h"
#include "core/store/ErrorBD.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/SelectoresFecha.h"
#include "windows/platform/UnaVentana.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {
using Campo = EditorCliente::Campo;

struct Caja {
    Campo campo;
    const char* nombre;
    const char* etiqueta;
    int largo;
    bool obligatorio;
};

const Caja kCajasCliente[] = {{Campo::Numero, "numeroCliente", "Numero de Cliente:", 4, true},
                              {Campo::Nombre, "nombreResponsable", "Nombre y Apellido:", 50, true},
                              {Campo::Direccion, "direccion", "Direccion:", 50, false},
                              {Campo::Localidad, "localidad", "Localidad:", 50, false},
                              {Campo::CodigoPostal, "codigoPostal", "Codigo Postal:", 10, false},
                              {Campo::Partido, "partido", "Partido:", 50, false},
                              {Campo::Provincia, "provincia", "Provincia:", 20, false},
                              {Campo::Telefono, "telefono", "Telefono:", 20, true},
                              {Campo::TelefonoMovil, "telefonoMovil", "Telefono Movil:", 20, false},
                              {Campo::Email, "email", "Email:", 50, false}};

const Caja kCajasLocal[] = {{Campo::NombreLocal, "nombreLocal", "Nombre:", 50, true},
                            {Campo::DireccionLocal, "direccionLocal", "Direccion:", 50, true},
                            {Campo::LocalidadLocal, "localidadLocal", "Localidad:", 50, false},
                            {Campo::PartidoLocal, "partidoLocal", "Partido:", 50, false},
                            {Campo::ProvinciaLocal, "provinciaLocal", "Provincia:", 20, false},
                            {Campo::TelefonoLocal, "telefonoLocal", "Telefono:", 20, false},
                            {Campo::EmailLocal, "emailLocal", "Email:", 50, false}};

// Checked in this order; the first empty one stops the save.
const Campo kObligatorios[] = {Campo::Numero, Campo::Nombre, Campo::Telefono, Campo::NombreLocal,
                               Campo::DireccionLocal};

const QDate kFechaInicial(2010, 5, 10);

QString tooltipLargo(int largo) {
    return QStringLiteral("Escriba Como Máximo %1 Caracteres").arg(largo);
}

QLabel* etiquetaRoja(const QString& texto, QWidget* padre) {
    auto* l = new QLabel(texto, padre);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::red);
    l->setPalette(p);
    return l;
}

QDateEdit* selectorFecha(const char* nombre, QWidget* padre) {
    auto* d = new QDateEdit(kFechaInicial, padre);
    d->setObjectName(QLatin1String(nombre));
    d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    d->setCalendarPopup(true);
    return d;
}

QTimeEdit* selectorHora(const char* nombre, QWidget* padre) {
    auto* t = new QTimeEdit(QTime(0, 0), padre);
    t->setObjectName(QLatin1String(nombre));
    t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return t;
}
} // namespace

EditorCliente* EditorCliente::Abrir(Oficina& oficina, QWidget* padre) {
    if (UnaVentana<EditorCliente>::actual() && UnaVentana<EditorCliente>::actual()->isVisible())
        return UnaVentana<EditorCliente>::actual();
    // One not shown yet may carry another opening's mode: the new one starts afresh.
    delete UnaVentana<EditorCliente>::actual();
    UnaVentana<EditorCliente>::registrar(new EditorCliente(oficina, padre));
    return UnaVentana<EditorCliente>::actual();
}

EditorCliente* EditorCliente::instancia() {
    return UnaVentana<EditorCliente>::actual();
}

EditorCliente::EditorCliente(Oficina& oficina, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), oficina_(oficina) {
    setObjectName(QStringLiteral("EditorCliente"));
    setModal(true);
    construir();
}

EditorCliente::~EditorCliente() {
    UnaVentana<EditorCliente>::olvidar(this);
}

QLineEdit* EditorCliente::caja(Campo campo) const {
    const auto it = textos_.find(campo);
    return it == textos_.end() ? nullptr : it->second;
}

void EditorCliente::construir() {
    auto* raiz = new QVBoxLayout(this);
    auto* marcos = new QHBoxLayout();
    raiz->addLayout(marcos);

    auto agregarCajas = [this](QGridLayout* g, QGroupBox* marco, const Caja* cajas, int n) {
        for (int i = 0; i < n; ++i) {
            const Caja& c = cajas[i];
            auto* texto = new QLineEdit(marco);
            texto->setObjectName(QLatin1String(c.nombre));
            texto->setMaxLength(c.largo);
            if (c.campo != Campo::Numero)
                texto->setToolTip(tooltipLargo(c.largo));
            auto* etiqueta = new QLabel(QString::fromUtf8(c.etiqueta), marco);
            etiqueta->setBuddy(texto);
            g->addWidget(etiqueta, i, 0);
            if (c.obligatorio) {
                auto* marca = etiquetaRoja(QStringLiteral("*"), marco);
                marca->setObjectName(QStringLiteral("obligatorio_") + QLatin1String(c.nombre));
                g->addWidget(marca, i, 1);
            }
            g->addWidget(texto, i, 2);
            textos_[c.campo] = texto;
            connect(texto, &QLineEdit::textChanged, this, &EditorCliente::quitarResaltado);
        }
    };

    // Client data, left half.
    datosCliente_ = new QGroupBox(QStringLiteral("Datos Cliente"), this);
    datosCliente_->setObjectName(QStringLiteral("datosCliente"));
    auto* g1 = new QGridLayout(datosCliente_);
    agregarCajas(g1, datosCliente_, kCajasCliente, 10);
    fechaAlta_ = selectorFecha("fechaAlta", datosCliente_);
    auto* lAlta = new QLabel(QStringLiteral("Fecha de Alta:"), datosCliente_);
    lAlta->setBuddy(fechaAlta_);
    g1->addWidget(lAlta, 10, 0);
    g1->addWidget(fechaAlta_, 10, 2, Qt::AlignLeft);
    notas_ = new QPlainTextEdit(datosCliente_);
    notas_->setObjectName(QStringLiteral("notas"));
    notas_->setToolTip(tooltipLargo(250));
    notas_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    notas_->setTabChangesFocus(true);
    notas_->setFixedHeight(80);
    auto* lNotas = new QLabel(QStringLiteral("Notas:"), datosCliente_);
    lNotas->setBuddy(notas_);
    lNotas->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    g1->addWidget(lNotas, 11, 0);
    g1->addWidget(notas_, 11, 2);
    g1->setColumnMinimumWidth(2, 260);
    connect(notas_, &QPlainTextEdit::textChanged, this, [this] {
        // The box takes at most its limit from the keyboard; a caller's longer text stays.
        const QString t = notas_->toPlainText();
        if (t.size() > limiteNotas_) {
            notas_->setPlainText(t.left(limiteNotas_));
            notas_->moveCursor(QTextCursor::End);
            return;
        }
        quitarResaltado();
    });
    marcos->addWidget(datosCliente_);

    // Premises data, right half.
    datosLocal_ = new QGroupBox(QStringLiteral("Datos Local Cliente"), this);
    datosLocal_->setObjectName(QStringLiteral("datosLocal"));
    auto* g2 = new QGridLayout(datosLocal_);
    agregarCajas(g2, datosLocal_, kCajasLocal, 7);
    fechaUltimaInspeccion_ = selectorFecha("fechaUltimaInspeccion", datosLocal_);
    horaUltimaInspeccion_ = selectorHora("horaUltimaInspeccion", datosLocal_);
    fechaAnteriorInspeccion_ = selectorFecha("fechaAnteriorInspeccion", datosLocal_);
    horaAnteriorInspeccion_ = selectorHora("horaAnteriorInspeccion", datosLocal_);
    auto* lUltima = new QLabel(QStringLiteral("Fecha y Hora de Ultima Inspeccion:"), datosLocal_);
    lUltima->setBuddy(fechaUltimaInspeccion_);
    lUltima->setWordWrap(true);
    auto* lAnterior = new QLabel(QStringLiteral("Fecha y Hora de Anterior Inspeccion:"), datosLocal_);
    lAnterior->setBuddy(fechaAnteriorInspeccion_);
    lAnterior->setWordWrap(true);
    g2->addWidget(lUltima, 7, 0, 2, 1, Qt::AlignTop);
    g2->addWidget(fechaUltimaInspeccion_, 7, 2, Qt::AlignLeft);
    g2->addWidget(horaUltimaInspeccion_, 8, 2, Qt::AlignLeft);
    g2->addWidget(lAnterior, 9, 0, 2, 1, Qt::AlignTop);
    g2->addWidget(fechaAnteriorInspeccion_, 9, 2, Qt::AlignLeft);
    g2->addWidget(horaAnteriorInspeccion_, 10, 2, Qt::AlignLeft);
    g2->setRowStretch(11, 1);
    g2->setColumnMinimumWidth(2, 260);
    g2->setColumnMinimumWidth(0, 150);
    marcos->addWidget(datosLocal_);

    // Accessible names of the pickers that share a label.
    fechaUltimaInspeccion_->setAccessibleName(QStringLiteral("Fecha de Ultima Inspeccion"));
    horaUltimaInspeccion_->setAccessibleName(QStringLiteral("Hora de Ultima Inspeccion"));
    fechaAnteriorInspeccion_->setAccessibleName(QStringLiteral("Fecha de Anterior Inspeccion"));
    horaAnteriorInspeccion_->setAccessibleName(QStringLiteral("Hora de Anterior Inspeccion"));

    auto* pie = new QHBoxLayout();
    auto* avisoObligatorios =
        etiquetaRoja(QStringLiteral("Los campos marcados con * son obligatorios"), this);
    avisoObligatorios->setObjectName(QStringLiteral("avisoObligatorios"));
    pie->addWidget(avisoObligatorios);
    pie->addStretch(1);
    botonGuardar_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QString(), this);
    botonGuardar_->setObjectName(QStringLiteral("botonGuardar"));
    botonCancelar_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                     QStringLiteral("Cancelar y Volver"), this);
    botonCancelar_->setObjectName(QStringLiteral("botonCancelar"));
    // Enter in a field must not save by itself.
    for (QPushButton* b : {botonGuardar_, botonCancelar_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setMinimumWidth(170);
        pie->addWidget(b);
    }
    raiz->addLayout(pie);
    connect(botonGuardar_, &QPushButton::clicked, this, &EditorCliente::guardar);
    connect(botonCancelar_, &QPushButton::clicked, this, &EditorCliente::cancelar);

    // The tab sequence the office is used to: client fields, registration date, notes, premises
    // fields, last inspection, buttons, then the previous inspection (time before date).
    QList<QWidget*> orden;
    for (const Caja& c : kCajasCliente)
        orden << caja(c.campo);
    orden << fechaAlta_ << notas_;
    for (const Caja& c : kCajasLocal)
        orden << caja(c.campo);
    orden << fechaUltimaInspeccion_ << horaUltimaInspeccion_ << botonGuardar_ << botonCancelar_
          << horaAnteriorInspeccion_ << fechaAnteriorInspeccion_;
    for (int i = 0; i + 1 < orden.size(); ++i)
        setTabOrder(orden.at(i), orden.at(i + 1));

    paletaNormal_ = caja(Campo::Numero)->palette();
    setFixedSize(sizeHint().expandedTo(QSize(900, 0)));
}

void EditorCliente::quitarResaltado() {
    for (Campo c : kObligatorios)
        if (QLineEdit* t = caja(c))
            t->setPalette(paletaNormal_);
}

void EditorCliente::ponerTexto(Campo campo, const QString& texto) {
    if (campo == Campo::Notas) {
        limiteNotas_ = std::max(249, static_cast<int>(texto.size()));
        notas_->setPlainText(texto);
        return;
    }
    QLineEdit* t = caja(campo);
    if (!t)
        return;
    if (texto.size() > t->maxLength())
        t->setMaxLength(static_cast<int>(texto.size()));
    t->setText(texto);
}

void EditorCliente::cargar(const Cliente& c) {
    modo_ = Modo::Editar;
    idCliente_ = c.id;
    versionCliente_ = c.id == oficina_.idSeleccionado() ? oficina_.versionSeleccionado() : -1;
    const QString* campos[] = {&c.numero,         &c.nombre,       &c.direccion,      &c.localidad,
                               &c.codigoPostal,   &c.partido,      &c.provincia,      &c.telefono,
                               &c.telefonoMovil,  &c.email,        &c.nombreLocal,    &c.direccionLocal,
                               &c.localidadLocal, &c.partidoLocal, &c.provinciaLocal, &c.telefonoLocal,
                               &c.emailLocal};
    for (int k = 0; k < 17; ++k)
        ponerTexto(k < 10 ? kCajasCliente[k].campo : kCajasLocal[k - 10].campo, *campos[k]);
    PonerFecha(fechaAlta_, LeerFechaDMA(c.fechaAlta));
    PonerFecha(fechaUltimaInspeccion_, LeerFechaDMA(c.ultimaInspeccionFecha));
    PonerHora(horaUltimaInspeccion_, LeerHoraHMS(c.ultimaInspeccionHora));
    PonerFecha(fechaAnteriorInspeccion_, LeerFechaDMA(c.anteriorInspeccionFecha));
    PonerHora(horaAnteriorInspeccion_, LeerHoraHMS(c.anteriorInspeccionHora));
    ponerTexto(Campo::Notas, c.notas);
}

void EditorCliente::nuevo() {
    modo_ = Modo::Agregar;
    idCliente_ = 0;
    for (const auto& campo : textos_)
        ponerTexto(campo.first, QString());
    ponerTexto(Campo::Notas, QString());
    for (QDateEdit* d : {fechaAlta_, fechaUltimaInspeccion_, fechaAnteriorInspeccion_})
        PonerFecha(d, kFechaInicial);
    for (QTimeEdit* t : {horaUltimaInspeccion_, horaAnteriorInspeccion_})
        PonerHora(t, QTime(0, 0));
}

void EditorCliente::clienteDeImportacion(const QString& numero, const QDate& fecha, const QTime& hora) {
    nuevo();
    deImportacion_ = true;
    botonCancelar_->setEnabled(false);
    setWindowFlag(Qt::WindowCloseButtonHint, true);
    caja(Campo::Numero)->setEnabled(false);
    ponerTexto(Campo::Numero, numero);
    for (QDateEdit* d : {fechaAlta_, fechaUltimaInspeccion_, fechaAnteriorInspeccion_})
        d->setDate(fecha);
    for (QTimeEdit* t : {horaUltimaInspeccion_, horaAnteriorInspeccion_})
        t->setTime(hora);
}

void EditorCliente::showEvent(QShowEvent* evento) {
    // What the window does when it becomes active: captions by mode, the client number of an
    // existing client locked.
    const QString titulo =
        modo_ == Modo::Editar ? QStringLiteral("Editar Cliente") : QStringLiteral("Agregar nuevo Cliente");
    setWindowTitle(titulo);
    botonGuardar_->setText(titulo);
    if (modo_ == Modo::Editar)
        caja(Campo::Numero)->setEnabled(false);
    if (QScreen* pantalla = screen()) {
        const QRect r = pantalla->availableGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(evento);
}

void EditorCliente::guardar() {
    // A press (or Esc) queued behind the one that saved must not save or close again.
    if (guardando_ || cerrado_)
        return;
    for (Campo c : kObligatorios) {
        QLineEdit* t = caja(c);
        if (!t->text().trimmed().isEmpty())
            continue;
        MostrarMensaje(QStringLiteral("Ingrese un valor para este campo por favor"),
                       QStringLiteral("Datos incompletos"), Icono::Informacion);
        t->setFocus();
        QPalette p = paletaNormal_;
        p.setColor(QPalette::Base, colorResaltado());
        t->setPalette(p);
        return;
    }

    const auto texto = [this](Campo c) { return caja(c)->text(); };
    Cliente cliente;
    cliente.id = modo_ == Modo::Editar ? idCliente_ : 0;
    cliente.numero = texto(Campo::Numero);
    cliente.nombre = texto(Campo::Nombre);
    cliente.direccion = texto(Campo::Direccion);
    cliente.localidad = texto(Campo::Localidad);
    cliente.codigoPostal = texto(Campo::CodigoPostal);
    cliente.partido = texto(Campo::Partido);
    cliente.provincia = texto(Campo::Provincia);
    cliente.telefono = texto(Campo::Telefono);
    cliente.telefonoMovil = texto(Campo::TelefonoMovil);
    cliente.email = texto(Campo::Email);
    cliente.fechaAlta = FechaAlmacenada(fechaAlta_);
    cliente.nombreLocal = texto(Campo::NombreLocal);
    cliente.direccionLocal = texto(Campo::DireccionLocal);
    cliente.localidadLocal = texto(Campo::LocalidadLocal);
    cliente.partidoLocal = texto(Campo::PartidoLocal);
    cliente.provinciaLocal = texto(Campo::ProvinciaLocal);
    cliente.telefonoLocal = texto(Campo::TelefonoLocal);
    cliente.emailLocal = texto(Campo::EmailLocal);
    cliente.ultimaInspeccionFecha = FechaAlmacenada(fechaUltimaInspeccion_);
    cliente.ultimaInspeccionHora = HoraAlmacenada(horaUltimaInspeccion_);
    cliente.anteriorInspeccionFecha = FechaAlmacenada(fechaAnteriorInspeccion_);
    cliente.anteriorInspeccionHora = HoraAlmacenada(horaAnteriorInspeccion_);
    cliente.notas = notas_->toPlainText();

    guardando_ = true;
    try {
        oficina_.guardarCliente(cliente, versionCliente_);
    } catch (const ErrorBD& e) {
        // Nothing was written: the window stays open with what the user typed. Changed at another
        // desk: the next save, after the user reviewed the current data, goes over it.
        if (modo_ == Modo::Editar && idCliente_ == oficina_.idSeleccionado())
            versionCliente_ = oficina_.versionSeleccionado();
        guardando_ = false;
        MostrarError(e, Icono::Ninguno);
        return;
    } catch (const std::exception& e) {
        guardando_ = false;
        MostrarMensaje(QString::fromLocal8Bit(e.what()), QString(), Icono::Ninguno);
        return;
    }
    cerrar(true);
}

void EditorCliente::cancelar() {
    if (guardando_ || cerrado_)
        return;
    cerrar(false);
}

void EditorCliente::cerrar(bool guardado) {
    cerrando_ = true;
    cerrado_ = true;
    guardando_ = false;
    guardado_ = guardado;
    UnaVentana<EditorCliente>::olvidar(this);
    QDialog::done(guardado ? QDialog::Accepted : QDialog::Rejected);
    cerrando_ = false;
}

bool EditorCliente::MostrarModal() {
    guardado_ = false;
    exec();
    const bool guardado = guardado_;
    UnaVentana<EditorCliente>::olvidar(this);
    deleteLater();
    return guardado;
}

void EditorCliente::closeEvent(QCloseEvent* evento) {
    // Only save, cancel and Esc close the editor; the title bar only when it cancels an import,
    // so the user is never held until a client is invented.
    if (cerrando_) {
        QDialog::closeEvent(evento);
    } else if (deImportacion_ && !guardando_) {
        evento->accept();
        cerrar(false);
    } else {
        evento->ignore();
    }
}

void EditorCliente::keyPressEvent(QKeyEvent* evento) {
    if (evento->key() == Qt::Key_Escape) {
        // Esc is the keyboard's cancel: not while the caller has disabled cancelling, unless
        // leaving cancels an import.
        if (botonCancelar_->isEnabled() || deImportacion_)
            cancelar();
        evento->accept();
        return;
    }
    QDialog::keyPressEvent(evento);
}

void EditorCliente::reject() {
    if (cerrando_)
        QDialog::reject();
    else if (deImportacion_)
        cancelar();
}
