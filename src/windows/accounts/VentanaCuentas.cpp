#include "windows/accounts/VentanaCuentas.h"

#include "core/Oficina.h"
#include "core/store/ErrorBD.h"
#include "windows/accounts/NuevaCuenta.h"
#include "windows/platform/Mensajes.h"

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

VentanaCuentas* unica = nullptr;

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
    if (unica) {
        unica->showNormal();
        unica->raise();
        unica->activateWindow();
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
    return unica;
}

VentanaCuentas::VentanaCuentas(Oficina& oficina) : oficina_(oficina) {
    unica = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("VentanaCuentas"));
    setWindowTitle(QStringLiteral("Configuracion de Cuentas de Usuario"));
    construir();
}

VentanaCuentas::~VentanaCuentas() {
    if (unica == this)
        unica = nullptr;
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

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    // A typed name is used as typed: never added to the list, never completed to another case.
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->completer()->setCaseSensitivity(Qt::CaseSensitive);
    Pass1 = new QLineEdit(this);
    Pass1->setObjectName(QStringLiteral("Pass1"));
    PrepararCajaContrasena(Pass1);
    Pass2 = new QLineEdit(this);
    Pass2->setObjectName(QStringLiteral("Pass2"));
    PrepararCajaContrasena(Pass2);
    Label1 = etiqueta("Label1", QStringLiteral("Usuario Actual:"), Combo1);
    Label2 = etiqueta("Label2", QStringLiteral("Nueva Contraseña:"), Pass1);
    Label3 = etiqueta("Label3", QStringLiteral("Repetir Nueva Contraseña:"), Pass2);
    Combo1->setAccessibleName(Label1->text());

    BorrarUsuario = boton("BorrarUsuario", QStringLiteral("Borrar Usuario"), QStyle::SP_TrashIcon);
    Aceptar = boton("Aceptar", QStringLiteral("Aceptar"), QStyle::SP_DialogOkButton);
    Command3 = boton("Command3", QStringLiteral("Cancelar y Volver"), QStyle::SP_DialogCancelButton);
    Command1 = boton("Command1", QStringLiteral("Agregar Usuario"), QStyle::SP_FileIcon);
    Aceptar->setDefault(true);

    auto* campos = new QGridLayout;
    campos->addWidget(Label1, 0, 0);
    campos->addWidget(Combo1, 0, 1);
    campos->addWidget(Label2, 1, 0);
    campos->addWidget(Pass1, 1, 1);
    campos->addWidget(Label3, 2, 0);
    campos->addWidget(Pass2, 2, 1);
    auto* botones = new QHBoxLayout;
    botones->addWidget(BorrarUsuario);
    botones->addWidget(Command1);
    botones->addStretch();
    botones->addWidget(Aceptar);
    botones->addWidget(Command3);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(campos);
    principal->addLayout(botones);

    setTabOrder(Combo1, Pass1);
    setTabOrder(Pass1, Pass2);
    setTabOrder(Pass2, BorrarUsuario);
    setTabOrder(BorrarUsuario, Aceptar);
    setTabOrder(Aceptar, Command3);
    setTabOrder(Command3, Command1);

    connect(Aceptar, &QPushButton::clicked, this, &VentanaCuentas::aceptar);
    connect(BorrarUsuario, &QPushButton::clicked, this, &VentanaCuentas::borrar);
    connect(Command3, &QPushButton::clicked, this, &VentanaCuentas::cancelar);
    connect(Command1, &QPushButton::clicked, this, [this] { MostrarNuevaCuenta(oficina_); });
}

void VentanaCuentas::cargar() {
    cuentas_ = oficina_.cuentas();
    const QString& usuario = oficina_.usuario();
    if (oficina_.esAdministrador()) {
        for (const Cuenta& cuenta : cuentas_)
            Combo1->addItem(cuenta.nombre);
        const int indice = Combo1->findText(usuario, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (indice >= 0)
            Combo1->setCurrentIndex(indice);
        else
            Combo1->setEditText(usuario);
    } else {
        Combo1->setEditText(usuario);
        Combo1->setEnabled(false);
    }
    BorrarUsuario->setVisible(oficina_.esAdministrador());
    Command1->setVisible(oficina_.esAdministrador());
}

void VentanaCuentas::aceptar() {
    if (Pass1->text() != Pass2->text()) {
        MostrarMensaje(
            QStringLiteral("¡La confirmación de la contraseña debe ser la misma que la contraseña!"),
            QStringLiteral("Error de Verificación"), Icono::Exclamacion);
    } else {
        const QString nombre = Combo1->currentText();
        try {
            for (const Cuenta& cuenta : cuentas_) {
                if (cuenta.nombre != nombre || !oficina_.cambiarContrasena(cuenta.id, nombre, Pass1->text()))
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
    const QString nombre = Combo1->currentText();
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
    if (unica == this)
        unica = nullptr;
    evento->accept();
}
