#include "windows/platform/PedirMotivo.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
std::function<QString(const QString&, const QString&)>& sustituto() {
    static std::function<QString(const QString&, const QString&)> f;
    return f;
}
} // namespace

DialogoMotivo::DialogoMotivo(QWidget* padre, const QString& titulo, const QString& pregunta)
    : QDialog(padre) {
    setObjectName(QStringLiteral("DialogoMotivo"));
    setWindowTitle(titulo);
    auto* raiz = new QVBoxLayout(this);
    auto* texto = new QLabel(pregunta, this);
    texto->setObjectName(QStringLiteral("pregunta"));
    texto->setWordWrap(true);
    raiz->addWidget(texto);
    auto* campos = new QFormLayout;
    motivo_ = new QLineEdit(this);
    motivo_->setObjectName(QStringLiteral("motivo"));
    motivo_->setMaxLength(500);
    auto* etiqueta = new QLabel(QStringLiteral("Motivo:"), this);
    etiqueta->setObjectName(QStringLiteral("etiquetaMotivo"));
    etiqueta->setBuddy(motivo_);
    campos->addRow(etiqueta, motivo_);
    raiz->addLayout(campos);
    auto* botones = new QDialogButtonBox(this);
    aceptar_ = botones->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
    aceptar_->setObjectName(QStringLiteral("botonAceptar"));
    QPushButton* cancelar = botones->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    cancelar->setObjectName(QStringLiteral("botonCancelar"));
    raiz->addWidget(botones);
    aceptar_->setEnabled(false);
    // Required: spaces alone are no reason.
    connect(motivo_, &QLineEdit::textChanged, this,
            [this](const QString& t) { aceptar_->setEnabled(!t.trimmed().isEmpty()); });
    connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString DialogoMotivo::motivo() const {
    return motivo_->text().trimmed();
}

QString PedirMotivo(QWidget* padre, const QString& titulo, const QString& pregunta) {
    if (sustituto())
        return sustituto()(titulo, pregunta).trimmed();
    DialogoMotivo dialogo(padre, titulo, pregunta);
    return dialogo.exec() == QDialog::Accepted ? dialogo.motivo() : QString();
}

void SustituirPedirMotivo(std::function<QString(const QString& titulo, const QString& pregunta)> f) {
    sustituto() = std::move(f);
}
