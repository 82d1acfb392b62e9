#include "windows/accounts/NuevaCuenta.h"

#include "core/Oficina.h"
#include "core/store/ErrorBD.h"
#include "windows/accounts/VentanaCuentas.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/UnaVentana.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

void MostrarNuevaCuenta(Oficina& oficina) {
    if (!UnaVentana<NuevaCuenta>::actual())
        new NuevaCuenta(oficina);
    UnaVentana<NuevaCuenta>::alFrente(true);
}

NuevaCuenta* NuevaCuenta::instancia() {
    return UnaVentana<NuevaCuenta>::actual();
}

NuevaCuenta::NuevaCuenta(Oficina& oficina) : oficina_(oficina) {
    UnaVentana<NuevaCuenta>::registrar(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("NuevaCuenta"));
    setWindowTitle(QStringLiteral("Nuevo Usuario"));
    construir();
}

NuevaCuenta::~NuevaCuenta() {
    UnaVentana<NuevaCuenta>::olvidar(this);
}

void NuevaCuenta::construir() {
    auto etiqueta = [this](const char* nombre, const QString& texto, QWidget* companero) {
        auto* l = new QLabel(texto, this);
        l->setObjectName(QString::fromLatin1(nombre));
        l->setBuddy(companero);
        return l;
    };
    auto boton = [this](const char* nombre, const QString& texto, QStyle::StandardPixmap icono) {
        auto* b = new QPushButton(style()->standardIcon(icono), texto, this);
        b->setObjectName(QString::fromLatin1(nombre));
        return b;
    };

    nombreUsuario_ = new QLineEdit(this);
    nombreUsuario_->setObjectName(QStringLiteral("nombreUsuario"));
    nombreUsuario_->setMaxLength(32767); // the widest a line edit allows: no practical limit
    clave_ = new QLineEdit(this);
    clave_->setObjectName(QStringLiteral("clave"));
    PrepararCajaContrasena(clave_);
    nombreUsuario_->setToolTip(clave_->toolTip());
    confirmacion_ = new QLineEdit(this);
    confirmacion_->setObjectName(QStringLiteral("confirmacion"));
    PrepararCajaContrasena(confirmacion_);
    etiquetaUsuario_ = etiqueta("etiquetaUsuario", QStringLiteral("Nombre del Usuario:"), nombreUsuario_);
    etiquetaClave_ = etiqueta("etiquetaClave", QStringLiteral("Nueva Contraseña:"), clave_);
    etiquetaConfirmacion_ =
        etiqueta("etiquetaConfirmacion", QStringLiteral("Repetir Nueva Contraseña:"), confirmacion_);
    botonAceptar_ = boton("botonAceptar", QStringLiteral("Aceptar"), QStyle::SP_DialogOkButton);
    botonVolver_ = boton("botonVolver", QStringLiteral("Cancelar y Volver"), QStyle::SP_DialogCancelButton);

    auto* campos = new QGridLayout;
    campos->addWidget(etiquetaUsuario_, 0, 0);
    campos->addWidget(nombreUsuario_, 0, 1);
    campos->addWidget(etiquetaClave_, 1, 0);
    campos->addWidget(clave_, 1, 1);
    campos->addWidget(etiquetaConfirmacion_, 2, 0);
    campos->addWidget(confirmacion_, 2, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(botonAceptar_);
    botones->addWidget(botonVolver_);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(campos);
    principal->addLayout(botones);

    // The window opens on "Cancelar y Volver"; Tab runs backwards up the form to the name.
    setTabOrder(botonVolver_, botonAceptar_);
    setTabOrder(botonAceptar_, confirmacion_);
    setTabOrder(confirmacion_, clave_);
    setTabOrder(clave_, nombreUsuario_);
    botonVolver_->setFocus();

    connect(botonAceptar_, &QPushButton::clicked, this, &NuevaCuenta::aceptar);
    connect(botonVolver_, &QPushButton::clicked, this, &QWidget::close);
}

void NuevaCuenta::aceptar() {
    if (clave_->text() != confirmacion_->text()) {
        MostrarMensaje(
            QStringLiteral("Los dos campos de contraseñas deben ser iguales, recuerde que se diferencian "
                           "minúsculas de mayúsculas"),
            QStringLiteral("Error comprobación"), Icono::Exclamacion);
        return;
    }
    const QString nombre = nombreUsuario_->text();
    if (nombre.isEmpty() || clave_->text().isEmpty() || confirmacion_->text().isEmpty()) {
        MostrarMensaje(QStringLiteral("Ingrese los valores en los campos"), QStringLiteral("Falta Valores"),
                       Icono::Informacion);
        return;
    }
    try {
        oficina_.crearCuenta(nombre, clave_->text());
    } catch (const ErrorBD& e) {
        MostrarError(e);
        return;
    }
    MostrarMensaje(QStringLiteral("Usuario ") + nombre + QStringLiteral(" creado!"),
                   QStringLiteral("Usuario Creado"), Icono::Informacion);
    close();
}

void NuevaCuenta::closeEvent(QCloseEvent* evento) {
    UnaVentana<NuevaCuenta>::olvidar(this);
    evento->accept();
}
