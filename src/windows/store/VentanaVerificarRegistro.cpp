#include "windows/store/VentanaVerificarRegistro.h"

#include "core/Oficina.h"
#include "windows/platform/Mensajes.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kTitulo = QStringLiteral("Verificar registro");
}

VentanaVerificarRegistro::VentanaVerificarRegistro(Oficina& oficina, QWidget* padre)
    : QDialog(padre), oficina_(oficina) {
    setWindowTitle(kTitulo);
    setObjectName(QStringLiteral("ventanaVerificarRegistro"));
    estado_ = new QLabel(QStringLiteral("Verificando el registro..."), this);
    estado_->setObjectName(QStringLiteral("estadoVerificacion"));
    barra_ = new QProgressBar(this);
    barra_->setObjectName(QStringLiteral("progresoVerificacion"));
    barra_->setAccessibleName(QStringLiteral("Progreso de la verificación"));
    barra_->setRange(0, 0);
    cancelar_ = new QPushButton(QStringLiteral("Cancelar"), this);
    cancelar_->setObjectName(QStringLiteral("botonCancelar"));
    texto_ = new QPlainTextEdit(this);
    texto_->setObjectName(QStringLiteral("informeVerificacion"));
    texto_->setAccessibleName(QStringLiteral("Informe de la verificación"));
    texto_->setReadOnly(true);
    texto_->setLineWrapMode(QPlainTextEdit::NoWrap);
    texto_->hide();
    cerrar_ = new QPushButton(QStringLiteral("Cerrar"), this);
    cerrar_->setObjectName(QStringLiteral("botonCerrar"));
    cerrar_->hide();
    auto* capas = new QVBoxLayout(this);
    capas->addWidget(estado_);
    capas->addWidget(barra_);
    capas->addWidget(texto_, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(cancelar_);
    botones->addWidget(cerrar_);
    capas->addLayout(botones);
    resize(760, 420);
    connect(cancelar_, &QPushButton::clicked, this, [this] {
        cancelado_ = true;
        cancelar_->setEnabled(false);
        estado_->setText(QStringLiteral("Cancelando..."));
    });
    connect(cerrar_, &QPushButton::clicked, this, &QDialog::accept);
}

void VentanaVerificarRegistro::verificar() {
    cancelado_ = false;
    informe_.reset();
    const auto progreso = [this](qint64 hechos, qint64 total) {
        // The bar counts in thousands, so a register of any size fits its int range.
        barra_->setRange(0, static_cast<int>(std::max<qint64>(1, total / 1000)));
        barra_->setValue(static_cast<int>(hechos / 1000));
        QCoreApplication::processEvents();
        Q_EMIT avance(hechos, total);
    };
    try {
        informe_ = oficina_.verificarContenido(progreso, [this] { return cancelado_; });
    } catch (const ErrorBD& e) {
        MostrarError(e, Icono::Critico, kTitulo);
        reject();
        return;
    }
    estado_->setText(informe_->cancelada    ? QStringLiteral("Verificación cancelada.")
                     : informe_->correcto() ? QStringLiteral("Registro correcto.")
                                            : QStringLiteral("Se encontraron diferencias."));
    barra_->hide();
    cancelar_->hide();
    texto_->setPlainText(TextoInforme(*informe_));
    texto_->show();
    cerrar_->show();
    cerrar_->setDefault(true);
}

void VerificarRegistroCompleto(QWidget* padre, Oficina& oficina) {
    auto* ventana = new VentanaVerificarRegistro(oficina, padre);
    ventana->setAttribute(Qt::WA_DeleteOnClose);
    ventana->open();
    QTimer::singleShot(0, ventana, [ventana] { ventana->verificar(); });
}
