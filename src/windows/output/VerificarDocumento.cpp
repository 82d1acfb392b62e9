#include "windows/output/VerificarDocumento.h"

#include "core/Oficina.h"
#include "windows/platform/Dialogos.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

DialogoVerificarDocumento::DialogoVerificarDocumento(Oficina& oficina, QWidget* padre)
    : QDialog(padre), oficina_(oficina) {
    setObjectName(QStringLiteral("VerificarDocumento"));
    setWindowTitle(QStringLiteral("Verificar documento"));
    auto* disposicion = new QVBoxLayout(this);
    auto* etiqueta =
        new QLabel(QStringLiteral("&Código de verificación o archivo (PDF o libro de Excel):"), this);
    entrada_ = new QLineEdit(this);
    entrada_->setObjectName(QStringLiteral("Documento"));
    entrada_->setAccessibleName(QStringLiteral("Código de verificación o archivo"));
    etiqueta->setBuddy(entrada_);
    auto* examinar = new QPushButton(QStringLiteral("&Examinar..."), this);
    examinar->setObjectName(QStringLiteral("Examinar"));
    auto* fila = new QHBoxLayout;
    fila->addWidget(entrada_, 1);
    fila->addWidget(examinar);
    respuesta_ = new QPlainTextEdit(this);
    respuesta_->setObjectName(QStringLiteral("Respuesta"));
    respuesta_->setAccessibleName(QStringLiteral("Resultado de la verificación"));
    respuesta_->setReadOnly(true);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* botonVerificar =
        botones->addButton(QStringLiteral("&Verificar"), QDialogButtonBox::ActionRole);
    botonVerificar->setObjectName(QStringLiteral("Verificar"));
    botonVerificar->setDefault(true);
    disposicion->addWidget(etiqueta);
    disposicion->addLayout(fila);
    disposicion->addWidget(respuesta_, 1);
    disposicion->addWidget(botones);
    resize(640, 360);

    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(botonVerificar, &QPushButton::clicked, this, &DialogoVerificarDocumento::verificar);
    connect(entrada_, &QLineEdit::returnPressed, this, &DialogoVerificarDocumento::verificar);
    connect(examinar, &QPushButton::clicked, this, [this] {
        const QString ruta = DialogoAbrirArchivo(this, QStringLiteral("Documento a verificar"),
                                                 QStringLiteral("Informes y libros (*.pdf *.xlsx)"));
        if (ruta.isEmpty())
            return;
        entrada_->setText(ruta);
        verificar();
    });
}

void DialogoVerificarDocumento::verificar() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString texto;
    try {
        texto = oficina_.verificarDocumento(entrada_->text().trimmed()).texto;
    } catch (const ErrorBD& e) {
        texto = QStringLiteral("No se pudo leer el registro: %1").arg(e.descripcion());
    }
    QApplication::restoreOverrideCursor();
    respuesta_->setPlainText(texto);
}

QString DialogoVerificarDocumento::respuesta() const {
    return respuesta_->toPlainText();
}
