#include "windows/accounts/VentanaCuentas.h"

#include "core/Oficina.h"
#include "core/store/ErrorBD.h"
#include "windows/accounts/NuevaCuenta.h"
#include "windows/accounts/VentanaPersonas.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/UnaVentana.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QVBoxLayout>

namespace {

const QString kAyudaContrasena = QStringLiteral(
    "Ingrese como máximo 10 números o letras, recuerde que diferencia entre minúsculas y mayúsculas");

// Qt's own password character depends on the style; these boxes always show '*'.
class EstiloAsterisco : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* opcion, const QWidget* widget,
                  QStyleHintReturn* retorno) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, opcion, widget, retorno);
    }
};

} // namespace

void PrepararCajaContrasena(QLineEdit* caja) {
    // Based on the application's own style so the box looks like every other one.
    auto* estilo = new EstiloAsterisco(QStyleFactory::create(QApplication::style()->name()));
    estilo->setParent(caja);
    caja->setStyle(estilo);
    caja->setEchoMode(QLineEdit::Password);
    caja->setMaxLength(10);
    caja->setToolTip(kAyudaContrasena);
}

// ---------------------------------------------------------------------------------------------

void MostrarVentanaCuentas(Oficina& oficina) {
    // A shared register's people are server logins: the administrator manages them there.
    if (oficina.sesionEnServidor()) {
        if (!oficina.esAdministrador()) {
            MostrarMensaje(
                QStringLiteral("Las personas del registro compartido y sus contraseñas las "
                               "administra un usuario con el rol de administrador en el servidor."),
                QString(), Icono::Informacion);
            return;
        }
        auto* personas = new VentanaPersonas(oficina);
        try {
            personas->cargar();
        } catch (const ErrorBD& e) {
            delete personas;
            MostrarError(e);
            return;
        }
        personas->show();
        return;
    }
    if (UnaVentana<VentanaCuentas>::actual()) {
        UnaVentana<VentanaCuentas>::alFrente(true);
        return;
    }
    auto* ventana = new VentanaCuentas(oficina);
    try {
        ventana->cargar();
    } catch (const ErrorBD& e) {
        delete ventana;
        MostrarError(e);
        return;
    }
    ventana->show();
}

VentanaCuentas* VentanaCuentas::instancia() {
    return UnaVentana<VentanaCuentas>::actual();
}

VentanaCuentas::VentanaCuentas(Oficina& oficina) : oficina_(oficina) {
    UnaVentana<VentanaCuentas>::registrar(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("VentanaCuentas"));
    setWindowTitle(QStringLiteral("Configuracion de Cuentas de Usuario"));
    construir();
}

VentanaCuentas::~VentanaCuentas() {
    UnaVentana<VentanaCuentas>::olvidar(this);
}

void VentanaCuentas::construir() {
    auto boton = [this](const char* nombre, const QString& texto, QStyle::StandardPixmap icono) {
        auto* b = new QPushButton(style()->standardIcon(icono), texto, this);
        b->setObjectName(QString::fromLatin1(nombre));
        return b;
    };
    auto etiqueta = [this](const char* nombre, const QString& texto, QWidget* companero) {
        auto* l = new QLabel(texto, this);
        l->setObjectName(QString::fromLatin1(nombre));
        l->setBuddy(companero);
        return l;
    };

    usuarios_ = new QComboBox(this);
    usuarios_->setObjectName(QStringLiteral("usuarios"));
    usuarios_->setEditable(true);
    // A typed name is used as typed: never added to the list, never completed to another case.
    usuarios_->setInsertPolicy(QComboBox::NoInsert);
    usuarios_->completer()->setCaseSensitivity(Qt::CaseSensitive);
    clave_ = new QLineEdit(this);
    clave_->setObjectName(QStringLiteral("clave"));
    PrepararCajaContrasena(clave_);
    confirmacion_ = new QLineEdit(this);
    confirmacion_->setObjectName(QStringLiteral("confirmacion"));
    PrepararCajaContrasena(confirmacion_);
    etiquetaUsuario_ = etiqueta("etiquetaUsuario", QStringLiteral("Usuario Actual:"), usuarios_);
    etiquetaClave_ = etiqueta("etiquetaClave", QStringLiteral("Nueva Contraseña:"), clave_);
    etiquetaConfirmacion_ =
        etiqueta("etiquetaConfirmacion", QStringLiteral("Repetir Nueva Contraseña:"), confirmacion_);
    usuarios_->setAccessibleName(etiquetaUsuario_->text());

    botonBorrar_ = boton("botonBorrar", QStringLiteral("Borrar Usuario"), QStyle::SP_TrashIcon);
    botonAceptar_ = boton("botonAceptar", QStringLiteral("Aceptar"), QStyle::SP_DialogOkButton);
    botonVolver_ = boton("botonVolver", QStringLiteral("Cancelar y Volver"), QStyle::SP_DialogCancelButton);
    botonAgregar_ = boton("botonAgregar", QStringLiteral("Agregar Usuario"), QStyle::SP_FileIcon);
    botonAceptar_->setDefault(true);

    auto* campos = new QGridLayout;
    campos->addWidget(etiquetaUsuario_, 0, 0);
    campos->addWidget(usuarios_, 0, 1);
    campos->addWidget(etiquetaClave_, 1, 0);
    campos->addWidget(clave_, 1, 1);
    campos->addWidget(etiquetaConfirmacion_, 2, 0);
    campos->addWidget(confirmacion_, 2, 1);
    auto* botones = new QHBoxLayout;
    botones->addWidget(botonBorrar_);
    botones->addWidget(botonAgregar_);
    botones->addStretch();
    botones->addWidget(botonAceptar_);
    botones->addWidget(botonVolver_);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(campos);
    principal->addLayout(botones);

    setTabOrder(usuarios_, clave_);
    setTabOrder(clave_, confirmacion_);
    setTabOrder(confirmacion_, botonBorrar_);
    setTabOrder(botonBorrar_, botonAceptar_);
    setTabOrder(botonAceptar_, botonVolver_);
    setTabOrder(botonVolver_, botonAgregar_);

    connect(botonAceptar_, &QPushButton::clicked, this, &VentanaCuentas::aceptar);
    connect(botonBorrar_, &QPushButton::clicked, this, &VentanaCuentas::borrar);
    connect(botonVolver_, &QPushButton::clicked, this, &VentanaCuentas::cancelar);
    connect(botonAgregar_, &QPushButton::clicked, this, [this] { MostrarNuevaCuenta(oficina_); });
}

void VentanaCuentas::cargar() {
    cuentas_ = oficina_.cuentas();
    const QString& usuario = oficina_.usuario();
    if (oficina_.esAdministrador()) {
        for (const Cuenta& cuenta : cuentas_)
            usuarios_->addItem(cuenta.nombre);
        const int indice = usuarios_->findText(usuario, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (indice >= 0)
            usuarios_->setCurrentIndex(indice);
        else
            usuarios_->setEditText(usuario);
    } else {
        usuarios_->setEditText(usuario);
        usuarios_->setEnabled(false);
    }
    botonBorrar_->setVisible(oficina_.esAdministrador());
    botonAgregar_->setVisible(oficina_.esAdministrador());
}

void VentanaCuentas::aceptar() {
    if (clave_->text() != confirmacion_->text()) {
        MostrarMensaje(
            QStringLiteral("¡La confirmación de la contraseña debe ser la misma que la contraseña!"),
            QStringLiteral("Error de Verificación"), Icono::Exclamacion);
    } else {
        const QString nombre = usuarios_->currentText();
        try {
            for (const Cuenta& cuenta : cuentas_) {
                if (cuenta.nombre != nombre || !oficina_.cambiarContrasena(cuenta.id, nombre, clave_->text()))
                    continue;
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                MostrarMensaje(QStringLiteral("La contraseña ha sido cambiada"),
                               QStringLiteral("Aviso de contraseña"), Icono::Informacion);
            }
        } catch (const ErrorBD& e) {
            MostrarError(e);
        }
    }
    cancelar();
}

void VentanaCuentas::borrar() {
    const QString nombre = usuarios_->currentText();
    if (CuentaProtegida(nombre)) {
        MostrarMensaje(QStringLiteral("¡No se puede eliminar el usuario ") + nombre + QLatin1Char('!'),
                       QStringLiteral("Error"), Icono::Exclamacion);
        return;
    }
    const Respuesta r = MostrarMensaje(QStringLiteral("¿Está seguro que quiere eliminar el usuario ") +
                                           nombre + QLatin1Char('?'),
                                       QStringLiteral("Eliminar Usuario"), Icono::Pregunta, Botones::SiNo);
    if (r == Respuesta::Si) {
        try {
            // A typed name that matches no account is not reported as deleted.
            if (oficina_.borrarCuentas(nombre) > 0)
                MostrarMensaje(QStringLiteral("Usuario ") + nombre + QStringLiteral(" eliminado!"),
                               QStringLiteral("Usuario Eliminado"), Icono::Exclamacion);
            else
                MostrarMensaje(QStringLiteral("No existe el usuario ") + nombre,
                               QStringLiteral("Eliminar Usuario"), Icono::Informacion);
        } catch (const ErrorBD& e) {
            MostrarError(e);
        }
    }
    cancelar();
}

void VentanaCuentas::cancelar() {
    close();
}

void VentanaCuentas::closeEvent(QCloseEvent* evento) {
    // From here on a new call opens a fresh window, even before this one is deleted.
    UnaVentana<VentanaCuentas>::olvidar(this);
    evento->accept();
}
