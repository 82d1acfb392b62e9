#include "windows/accounts/VentanaPersonas.h"

#include "core/Oficina.h"
#include "core/store/ErrorBD.h"
#include "windows/platform/Mensajes.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString textoRol(Derechos d) {
    switch (d) {
    case Derechos::Administrar:
        return QStringLiteral("Administrador");
    case Derechos::Escribir:
        return QStringLiteral("Oficina");
    case Derechos::Consulta:
        return QStringLiteral("Consulta");
    case Derechos::Ninguno:
        break;
    }
    return QString();
}

} // namespace

VentanaPersonas::VentanaPersonas(Oficina& oficina, QWidget* parent)
    : QWidget(parent, Qt::Window), oficina_(oficina) {
    setObjectName(QStringLiteral("VentanaPersonas"));
    setWindowTitle(QStringLiteral("Personas del registro compartido"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* capa = new QVBoxLayout(this);
    lista_ = new QListWidget(this);
    lista_->setObjectName(QStringLiteral("personas"));
    lista_->setAccessibleName(QStringLiteral("Personas y su rol"));
    capa->addWidget(lista_);
    botonQuitar_ = new QPushButton(QStringLiteral("&Quitar persona..."), this);
    botonQuitar_->setObjectName(QStringLiteral("botonQuitar"));
    capa->addWidget(botonQuitar_, 0, Qt::AlignRight);

    auto* campos = new QFormLayout;
    nombre_ = new QLineEdit(this);
    nombre_->setObjectName(QStringLiteral("nombre"));
    clave_ = new QLineEdit(this);
    clave_->setObjectName(QStringLiteral("clave"));
    clave_->setEchoMode(QLineEdit::Password);
    rol_ = new QComboBox(this);
    rol_->setObjectName(QStringLiteral("rol"));
    for (const Derechos d : {Derechos::Consulta, Derechos::Escribir, Derechos::Administrar})
        rol_->addItem(textoRol(d), static_cast<int>(d));
    campos->addRow(QStringLiteral("&Usuario:"), nombre_);
    campos->addRow(QStringLiteral("&Contraseña:"), clave_);
    campos->addRow(QStringLiteral("&Rol:"), rol_);
    capa->addLayout(campos);
    botonAgregar_ = new QPushButton(QStringLiteral("&Agregar persona"), this);
    botonAgregar_->setObjectName(QStringLiteral("botonAgregar"));
    capa->addWidget(botonAgregar_, 0, Qt::AlignRight);
    connect(botonAgregar_, &QPushButton::clicked, this, &VentanaPersonas::agregar);
    connect(botonQuitar_, &QPushButton::clicked, this, &VentanaPersonas::quitar);
    // The buttons follow the rights; the server refuses the rest anyway.
    botonAgregar_->setEnabled(oficina_.esAdministrador());
    botonQuitar_->setEnabled(oficina_.esAdministrador());
}

void VentanaPersonas::cargar() {
    lista_->clear();
    for (const PersonaServidor& p : oficina_.personas()) {
        auto* fila =
            new QListWidgetItem(QStringLiteral("%1 — %2").arg(p.nombre, textoRol(p.derechos)), lista_);
        fila->setData(Qt::UserRole, p.nombre);
    }
}

void VentanaPersonas::agregar() {
    try {
        oficina_.altaPersona(nombre_->text().trimmed(), clave_->text(),
                             static_cast<Derechos>(rol_->currentData().toInt()));
        nombre_->clear();
        clave_->clear();
        cargar();
    } catch (const ErrorBD& e) {
        MostrarError(e, Icono::Exclamacion, windowTitle());
    }
}

void VentanaPersonas::quitar() {
    const QListWidgetItem* fila = lista_->currentItem();
    if (!fila)
        return;
    const QString nombre = fila->data(Qt::UserRole).toString();
    if (MostrarMensaje(QStringLiteral("¿Quitar a %1 del registro compartido? Su usuario del servidor se "
                                      "elimina.")
                           .arg(nombre),
                       windowTitle(), Icono::Pregunta, Botones::SiNo) != Respuesta::Si)
        return;
    try {
        oficina_.bajaPersona(nombre);
        cargar();
    } catch (const ErrorBD& e) {
        MostrarError(e, Icono::Exclamacion, windowTitle());
    }
}
