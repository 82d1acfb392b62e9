#include "windows/accounts/InicioSesion.h"

#include "core/Oficina.h"
#include "core/accounts/Cuentas.h"
#include "core/platform/Programa.h"
#include "core/store/BaseDatos.h"
#include "windows/platform/Imagenes.h"
#include "windows/clients/VentanaPrincipal.h"
#include "windows/platform/Mensajes.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
InicioSesion* unica = nullptr;
}

InicioSesion::InicioSesion(Oficina& oficina) : QWidget(nullptr, Qt::Window), oficina_(oficina) {
    unica = this;
    setObjectName(QStringLiteral("InicioSesion"));
    setWindowTitle(QStringLiteral("Inicio De Sesion"));
    setWindowIcon(IconoPrograma());
    setAttribute(Qt::WA_DeleteOnClose);

    auto* capa = new QHBoxLayout(this);
    capa->setContentsMargins(14, 14, 14, 14);
    capa->setSpacing(16);
    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(ImagenAcceso(120, devicePixelRatioF()));
    Image1->setFixedSize(120, 120);
    Image1->setAccessibleName(QStringLiteral("Velmora KV-270"));
    capa->addWidget(Image1, 0, Qt::AlignTop);

    auto* campos = new QGridLayout;
    campos->setVerticalSpacing(6);
    NomUsuario = new QComboBox;
    NomUsuario->setObjectName(QStringLiteral("NomUsuario"));
    NomUsuario->setToolTip(QStringLiteral("Elija el nombre de usuario"));
    NomUsuario->setMinimumWidth(200);
    Label1 = new QLabel(QStringLiteral("Nombre de Usuario:"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(NomUsuario);
    NomUsuario->setAccessibleName(QStringLiteral("Nombre de Usuario:"));
    NomUsuario->setAccessibleDescription(NomUsuario->toolTip());

    Pass = new QLineEdit;
    Pass->setObjectName(QStringLiteral("Pass"));
    Pass->setEchoMode(QLineEdit::Password);
    Pass->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }")); // "*"
    Pass->setMaxLength(10);
    Pass->setToolTip(QStringLiteral("Ingrese como máximo 10 números o letras, recuerde que diferencia entre "
                                    "minúsculas y mayúsculas"));
    Label2 = new QLabel(QStringLiteral("Contraseña:"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setBuddy(Pass);
    Pass->setAccessibleName(QStringLiteral("Contraseña:"));
    Pass->setAccessibleDescription(Pass->toolTip());

    campos->addWidget(Label1, 0, 0);
    campos->addWidget(NomUsuario, 1, 0);
    campos->addWidget(Label2, 2, 0);
    campos->addWidget(Pass, 3, 0);

    Inicio = new QPushButton(IconoIniciarSesion(), QStringLiteral("Iniciar Sesion"));
    Inicio->setObjectName(QStringLiteral("Inicio"));
    Inicio->setDefault(true);
    Inicio->setAutoDefault(true);
    Inicio->setIconSize(QSize(24, 24));
    Inicio->setMinimumHeight(34);
    campos->addWidget(Inicio, 4, 0, Qt::AlignRight);
    campos->setRowMinimumHeight(4, 44);
    capa->addLayout(campos, 1);

    setTabOrder(NomUsuario, Pass);
    setTabOrder(Pass, Inicio);
    connect(Inicio, &QPushButton::clicked, this, &InicioSesion::IniciarSesion);
    // Enter is handled once, by the window (the box passes the key on after returnPressed).
}

InicioSesion::~InicioSesion() {
    if (unica == this)
        unica = nullptr;
}

InicioSesion* InicioSesion::Mostrar(Oficina& oficina) {
    if (!unica) {
        auto* v = new InicioSesion(oficina);
        v->cargar();
        v->adjustSize();
        v->setFixedSize(v->sizeHint().expandedTo(QSize(420, 0)));
        if (QScreen* s = v->screen())
            v->move(s->availableGeometry().center() - v->rect().center());
    }
    unica->show();
    unica->raise();
    unica->activateWindow();
    unica->NomUsuario->setFocus();
    return unica;
}

InicioSesion* InicioSesion::instancia() {
    return unica;
}

void InicioSesion::cargar() {
    // Names only: the office checks the password, no hash ever reaches this window.
    try {
        for (const Cuenta& cuenta : LeerCuentas())
            NomUsuario->addItem(cuenta.nombre);
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
    NomUsuario->setCurrentIndex(-1);
}

void InicioSesion::IniciarSesion() {
    if (!oficina_.iniciarSesion(NomUsuario->currentText(), Pass->text())) {
        MostrarMensaje(
            QStringLiteral("Usted a ingresado una contraseña incorrecta o el campo esta vacio, por favor "
                           "escríbala correctamente y presione Iniciar Sesion"),
            QStringLiteral("Contraseña Incorrecta"), Icono::Informacion);
        return;
    }
    MostrarMensaje(QStringLiteral("Contraseña Correcta!"), QStringLiteral("Contraseña Correcta"),
                   Icono::Informacion);
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
