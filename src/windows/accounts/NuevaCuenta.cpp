#include "windows/accounts/NuevaCuenta.h"

#include "core/Oficina.h"
#include "core/store/ErrorBD.h"
#include "windows/accounts/VentanaCuentas.h"
#include "windows/platform/Mensajes.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
NuevaCuenta* unica = nullptr;
}

void MostrarNuevaCuenta(Oficina& oficina) {
    if (!unica)
        new NuevaCuenta(oficina);
    unica->showNormal();
    unica->raise();
    unica->activateWindow();
}

NuevaCuenta* NuevaCuenta::instancia() {
    return unica;
}

NuevaCuenta::NuevaCuenta(Oficina& oficina) : oficina_(oficina) {
    unica = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("NuevaCuenta"));
    setWindowTitle(QStringLiteral("Nuevo Usuario"));
    construir();
}

NuevaCuenta::~NuevaCuenta() {
    if (unica == this)
        unica = nullptr;
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

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setMaxLength(32767); // the widest a line edit allows: no practical limit
    Pass1 = new QLineEdit(this);
    Pass1->setObjectName(QStringLiteral("Pass1"));
    PrepararCajaContrasena(Pass1);
    Text1->setToolTip(Pass1->toolTip());
    Pass2 = new QLineEdit(this);
    Pass2->setObjectName(QStringLiteral("Pass2"));
    PrepararCajaContrasena(Pass2);
    Label1 = etiqueta("Label1", QStringLiteral("Nombre del Usuario:"), Text1);
    Label2 = etiqueta("Label2", QStringLiteral("Nueva Contraseña:"), Pass1);
    Label3 = etiqueta("Label3", QStringLiteral("Repetir Nueva Contraseña:"), Pass2);
    Aceptar = boton("Aceptar", QStringLiteral("Aceptar"), QStyle::SP_DialogOkButton);
    Command3 = boton("Command3", QStringLiteral("Cancelar y Volver"), QStyle::SP_DialogCancelButton);

    auto* campos = new QGridLayout;
    campos->addWidget(Label1, 0, 0);
    campos->addWidget(Text1, 0, 1);
    campos->addWidget(Label2, 1, 0);
    campos->addWidget(Pass1, 1, 1);
    campos->addWidget(Label3, 2, 0);
    campos->addWidget(Pass2, 2, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(Aceptar);
    botones->addWidget(Command3);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(campos);
    principal->addLayout(botones);

    // The window opens on "Cancelar y Volver"; Tab runs backwards up the form to the name.
    setTabOrder(Command3, Aceptar);
    setTabOrder(Aceptar, Pass2);
    setTabOrder(Pass2, Pass1);
    setTabOrder(Pass1, Text1);
    Command3->setFocus();

    connect(Aceptar, &QPushButton::clicked, this, &NuevaCuenta::aceptar);
    connect(Command3, &QPushButton::clicked, this, &QWidget::close);
}

void NuevaCuenta::aceptar() {
    if (Pass1->text() != Pass2->text()) {
        MostrarMensaje(
            QStringLiteral("Los dos campos de contraseñas deben ser iguales, recuerde que se diferencian "
                           "minúsculas de mayúsculas"),
            QStringLiteral("Error comprobación"), Icono::Exclamacion);
        return;
    }
    const QString nombre = Text1->text();
    if (nombre.isEmpty() || Pass1->text().isEmpty() || Pass2->text().isEmpty()) {
        MostrarMensaje(QStringLiteral("Ingrese los valores en los campos"), QStringLiteral("Falta Valores"),
                       Icono::Informacion);
        return;
    }
    try {
        oficina_.crearCuenta(nombre, Pass1->text());
    } catch (const ErrorBD& e) {
        MostrarError(e);
        return;
    }
    MostrarMensaje(QStringLiteral("Usuario ") + nombre + QStringLiteral(" creado!"),
                   QStringLiteral("Usuario Creado"), Icono::Informacion);
    close();
}

void NuevaCuenta::closeEvent(QCloseEvent* evento) {
    if (unica == this)
        unica = nullptr;
    evento->accept();
}
