#include "windows/inicio/InicioSesion.h"

#include "core/Oficina.h"
#include "core/accounts/Cuentas.h"
#include "core/platform/Programa.h"
#include "core/store/ErrorBD.h"
#include "windows/clients/VentanaPrincipal.h"
#include "windows/platform/Imagenes.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/UnaVentana.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

InicioSesion::InicioSesion(Oficina& oficina) : QWidget(nullptr, Qt::Window), oficina_(oficina) {
    UnaVentana<InicioSesion>::registrar(this);
    setObjectName(QStringLiteral("InicioSesion"));
    setWindowTitle(QStringLiteral("Inicio De Sesion"));
    setWindowIcon(IconoPrograma());
    setAttribute(Qt::WA_DeleteOnClose);

    auto* capa = new QHBoxLayout(this);
    capa->setContentsMargins(14, 14, 14, 14);
    capa->setSpacing(16);
    imagen_ = new QLabel;
    imagen_->setObjectName(QStringLiteral("imagen"));
    imagen_->setPixmap(ImagenAcceso(120, devicePixelRatioF()));
    imagen_->setFixedSize(120, 120);
    imagen_->setAccessibleName(QStringLiteral("Velmora KV-270"));
    capa->addWidget(imagen_, 0, Qt::AlignTop);

    auto* campos = new QGridLayout;
    campos->setVerticalSpacing(6);
    nombreUsuario_ = new QComboBox;
    nombreUsuario_->setObjectName(QStringLiteral("nombreUsuario"));
    nombreUsuario_->setToolTip(QStringLiteral("Elija el nombre de usuario"));
    nombreUsuario_->setMinimumWidth(200);
    etiquetaUsuario_ = new QLabel(QStringLiteral("Nombre de Usuario:"));
    etiquetaUsuario_->setObjectName(QStringLiteral("etiquetaUsuario"));
    etiquetaUsuario_->setBuddy(nombreUsuario_);
    nombreUsuario_->setAccessibleName(QStringLiteral("Nombre de Usuario:"));
    nombreUsuario_->setAccessibleDescription(nombreUsuario_->toolTip());

    clave_ = new QLineEdit;
    clave_->setObjectName(QStringLiteral("clave"));
    clave_->setEchoMode(QLineEdit::Password);
    clave_->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }")); // "*"
    clave_->setMaxLength(10);
    clave_->setToolTip(
        QStringLiteral("Ingrese como máximo 10 números o letras, recuerde que diferencia entre "
                       "minúsculas y mayúsculas"));
    etiquetaClave_ = new QLabel(QStringLiteral("Contraseña:"));
    etiquetaClave_->setObjectName(QStringLiteral("etiquetaClave"));
    etiquetaClave_->setBuddy(clave_);
    clave_->setAccessibleName(QStringLiteral("Contraseña:"));
    clave_->setAccessibleDescription(clave_->toolTip());

    campos->addWidget(etiquetaUsuario_, 0, 0);
    campos->addWidget(nombreUsuario_, 1, 0);
    campos->addWidget(etiquetaClave_, 2, 0);
    campos->addWidget(clave_, 3, 0);

    botonIniciar_ = new QPushButton(IconoIniciarSesion(), QStringLiteral("Iniciar Sesion"));
    botonIniciar_->setObjectName(QStringLiteral("botonIniciar"));
    botonIniciar_->setDefault(true);
    botonIniciar_->setAutoDefault(true);
    botonIniciar_->setIconSize(QSize(24, 24));
    botonIniciar_->setMinimumHeight(34);
    campos->addWidget(botonIniciar_, 4, 0, Qt::AlignRight);
    campos->setRowMinimumHeight(4, 44);
    capa->addLayout(campos, 1);

    setTabOrder(nombreUsuario_, clave_);
    setTabOrder(clave_, botonIniciar_);
    connect(botonIniciar_, &QPushButton::clicked, this, &InicioSesion::IniciarSesion);
    // Enter is handled once, by the window (the box passes the key on after returnPressed).
}

InicioSesion::~InicioSesion() {
    UnaVentana<InicioSesion>::olvidar(this);
}

InicioSesion* InicioSesion::Mostrar(Oficina& oficina) {
    if (!UnaVentana<InicioSesion>::actual()) {
        auto* v = new InicioSesion(oficina);
        v->cargar();
        v->adjustSize();
        v->setFixedSize(v->sizeHint().expandedTo(QSize(420, 0)));
        if (QScreen* s = v->screen())
            v->move(s->availableGeometry().center() - v->rect().center());
    }
    UnaVentana<InicioSesion>::alFrente();
    UnaVentana<InicioSesion>::actual()->nombreUsuario_->setFocus();
    return UnaVentana<InicioSesion>::actual();
}

InicioSesion* InicioSesion::instancia() {
    return UnaVentana<InicioSesion>::actual();
}

void InicioSesion::cargar() {
    // On a server register each person signs in with their own server login, which the server
    // checks; the program's accounts are not listed there.
    if (oficina_.sesionEnServidor()) {
        nombreUsuario_->setEditable(true);
        nombreUsuario_->setEditText(oficina_.usuarioPropuesto());
        nombreUsuario_->setToolTip(QStringLiteral("Escriba su usuario del servidor del registro compartido"));
        clave_->setMaxLength(1024);
        clave_->setToolTip(QStringLiteral("Contraseña de su usuario en el servidor (vacía si entra con un "
                                          "certificado)"));
        return;
    }
    // Names only: the office checks the password, no hash ever reaches this window.
    try {
        for (const Cuenta& cuenta : oficina_.cuentas())
            nombreUsuario_->addItem(cuenta.nombre);
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
    nombreUsuario_->setCurrentIndex(-1);
}

void InicioSesion::IniciarSesion() {
    bool aceptada = false;
    try {
        aceptada = oficina_.iniciarSesion(nombreUsuario_->currentText().trimmed(), clave_->text());
    } catch (const ErrorBD& e) {
        // The server said why (wrong password, certificate, no role, not prepared).
        MostrarError(e, Icono::Exclamacion, QStringLiteral("Inicio De Sesion"));
        return;
    }
    if (!aceptada) {
        MostrarMensaje(
            QStringLiteral("Usted a ingresado una contraseña incorrecta o el campo esta vacio, por favor "
                           "escríbala correctamente y presione Iniciar Sesion"),
            QStringLiteral("Contraseña Incorrecta"), Icono::Informacion);
        return;
    }
    MostrarMensaje(QStringLiteral("Contraseña Correcta!"), QStringLiteral("Contraseña Correcta"),
                   Icono::Informacion);
    if (!oficina_.avisoSesion().isEmpty())
        MostrarMensaje(oficina_.avisoSesion(), QStringLiteral("Registro de actividad"), Icono::Exclamacion);
    exito_ = true;
    close();
    auto* ventana = new VentanaPrincipal(oficina_);
    ventana->show();
    ventana->raise();
    ventana->activateWindow();
}

void InicioSesion::keyPressEvent(QKeyEvent* evento) {
    // Enter anywhere in the window logs in, as the default button of a dialog would.
    if (evento->key() == Qt::Key_Return || evento->key() == Qt::Key_Enter) {
        IniciarSesion();
        return;
    }
    if (evento->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(evento);
}

void InicioSesion::closeEvent(QCloseEvent* evento) {
    evento->accept();
    // Without a login there is nothing else to show: the run ends here.
    if (!exito_)
        FinalizarPrograma();
}
