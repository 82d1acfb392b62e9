#include "platform/Dialogos.h"

#include <QFile>
#include <QFileDialog>

namespace {
std::function<QString(const QString&, const QString&)> dialogoGuardar;
std::function<bool(const QString&)> borrado;
} // namespace

QString DialogoGuardarArchivo(QWidget* padre, const QString& titulo, const QString& filtro) {
    if (dialogoGuardar)
        return dialogoGuardar(titulo, filtro);
    return QFileDialog::getSaveFileName(padre, titulo, QString(), filtro);
}

bool BorrarArchivo(const QString& ruta) {
    if (borrado)
        return borrado(ruta);
    return QFile::remove(ruta);
}

void SustituirDialogoGuardar(std::function<QString(const QString&, const QString&)> f) {
    dialogoGuardar = std::move(f);
}

void SustituirBorrado(std::function<bool(const QString&)> f) {
    borrado = std::move(f);
}
