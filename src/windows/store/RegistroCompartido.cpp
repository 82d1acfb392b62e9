#include "windows/store/RegistroCompartido.h"

#include "core/Oficina.h"
#include "core/store/AjustesRegistro.h"
#include "core/store/ErrorBD.h"
#include "core/store/PasarRegistro.h"
#include "core/store/SeguridadConexion.h"
#include "windows/platform/Mensajes.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RegistroCompartido::RegistroCompartido(Oficina& oficina, QWidget* parent)
    : QDialog(parent), oficina_(oficina) {
    setWindowTitle(QStringLiteral("Registro compartido"));
    setObjectName(QStringLiteral("RegistroCompartido"));
    auto* capa = new QVBoxLayout(this);
    auto* explicacion = new QLabel(
        QStringLiteral("Varios puestos pueden trabajar sobre un mismo registro guardado en un servidor "
                       "PostgreSQL. Deje el campo vacío para usar el archivo local de este equipo."),
        this);
    explicacion->setWordWrap(true);
    capa->addWidget(explicacion);
    auto* etiqueta = new QLabel(QStringLiteral("&Cadena de conexión:"), this);
    conexion_ = new QLineEdit(ConexionRegistroGuardada(), this);
    conexion_->setObjectName(QStringLiteral("conexion"));
    conexion_->setAccessibleName(QStringLiteral("Cadena de conexión del registro compartido"));
    conexion_->setPlaceholderText(QStringLiteral("host=servidor dbname=registro user=puesto1"));
    etiqueta->setBuddy(conexion_);
    capa->addWidget(etiqueta);
    capa->addWidget(conexion_);
    auto* ayuda = new QLabel(
        QStringLiteral(
            "Ejemplo: host=servidor.oficina dbname=registro user=puesto1 sslmode=verify-full "
            "(verify-full comprueba el certificado del servidor; recomendado fuera de la red local). "
            "La contraseña no se guarda aquí: póngala en el archivo ~/.pgpass o escríbala cuando "
            "el programa la pida al iniciar. El cambio se aplica la próxima vez que se inicie el "
            "programa; también puede indicarse con --registro \"...\" al iniciarlo."),
        this);
    ayuda->setWordWrap(true);
    capa->addWidget(ayuda);
    auto* botones = new QDialogButtonBox(this);
    auto* guardar = botones->addButton(QStringLiteral("&Guardar"), QDialogButtonBox::AcceptRole);
    guardar->setObjectName(QStringLiteral("guardar"));
    pasar_ =
        botones->addButton(QStringLiteral("&Pasar registro al servidor..."), QDialogButtonBox::ActionRole);
    pasar_->setObjectName(QStringLiteral("pasar"));
    pasar_->setEnabled(oficina_.esAdministrador());
    pasar_->setToolTip(QStringLiteral("Copia el registro local a una base de datos vacía del servidor "
                                      "(solo el Administrador)."));
    auto* cerrar = botones->addButton(QStringLiteral("Cerrar"), QDialogButtonBox::RejectRole);
    cerrar->setObjectName(QStringLiteral("cerrar"));
    capa->addWidget(botones);
    connect(guardar, &QPushButton::clicked, this, &RegistroCompartido::guardar);
    connect(pasar_, &QPushButton::clicked, this, &RegistroCompartido::pasarAlServidor);
    connect(cerrar, &QPushButton::clicked, this, &QDialog::reject);
    resize(560, sizeHint().height());
}

void RegistroCompartido::guardar() {
    QString error;
    if (!GuardarConexionRegistro(conexion_->text(), &error)) {
        MostrarMensaje(error, windowTitle(), Icono::Exclamacion);
        return;
    }
    MostrarMensaje(conexion_->text().trimmed().isEmpty()
                       ? QStringLiteral("Desde el próximo inicio este puesto usará el archivo local.")
                       : QStringLiteral("Desde el próximo inicio este puesto usará el registro compartido."),
                   windowTitle(), Icono::Informacion);
    accept();
}

void RegistroCompartido::pasarAlServidor() {
    if (!oficina_.esAdministrador())
        return;
    const QString destino = conexion_->text().trimmed();
    if (destino.isEmpty() || oficina_.archivoLocal().isEmpty()) {
        MostrarMensaje(QStringLiteral("Escriba primero la cadena de conexión del servidor."), windowTitle(),
                       Icono::Exclamacion);
        return;
    }
    if (MostrarMensaje(
            QStringLiteral("Se copiará todo el registro local (clientes, infracciones, cuentas e historial "
                           "de importaciones) a la base de datos vacía del servidor. El archivo local no se "
                           "modifica. ¿Continuar?"),
            windowTitle(), Icono::Pregunta, Botones::NoSi) != Respuesta::Si)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const InformeTraspaso informe = oficina_.pasarRegistroAlServidor(destino);
        QGuiApplication::restoreOverrideCursor();
        MostrarMensaje(informe.texto(), windowTitle(), Icono::Informacion);
    } catch (const ErrorBD& e) {
        QGuiApplication::restoreOverrideCursor();
        MostrarError(e, Icono::Critico, windowTitle());
    }
}

bool ConfirmarConexionSinCifrar(const QString& conninfo) {
    if (!ConexionSinCifrar(conninfo) || SinCifrarAceptada(conninfo))
        return true;
    if (MostrarMensaje(
            QStringLiteral("La cadena de conexión del registro compartido no pide cifrado (TLS) y "
                           "el servidor está en otro equipo: los datos y las contraseñas podrían "
                           "leerse en la red. Se recomienda sslmode=verify-full.\n\n"
                           "¿Conectar de todos modos? No se volverá a preguntar para esta cadena."),
            QStringLiteral("Registro compartido"), Icono::Exclamacion, Botones::NoSi) != Respuesta::Si)
        return false;
    AceptarSinCifrar(conninfo);
    return true;
}
