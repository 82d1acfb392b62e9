#include "windows/platform/Dialogos.h"

#include "windows/platform/Mensajes.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

namespace {
std::function<QString(const QString&, const QString&)> dialogoGuardar;
std::function<QString(const QString&, const QString&)> dialogoAbrir;
std::function<bool(const QString&)> borrado;
std::function<QString(const QString&)> dialogoCarpeta;
} // namespace

QString DialogoGuardarArchivo(QWidget* padre, const QString& titulo, const QString& filtro) {
    if (dialogoGuardar)
        return dialogoGuardar(titulo, filtro);
    return QFileDialog::getSaveFileName(padre, titulo, QString(), filtro);
}

QString DialogoAbrirArchivo(QWidget* padre, const QString& titulo, const QString& filtro) {
    if (dialogoAbrir)
        return dialogoAbrir(titulo, filtro);
    return QFileDialog::getOpenFileName(padre, titulo, QString(), filtro);
}

QString NombreConExtension(const QString& ruta, const QString& extension) {
    if (ruta.endsWith(extension, Qt::CaseInsensitive))
        return ruta;
    return ruta + extension;
}

QString ElegirArchivoGuardar(QWidget* padre, const QString& titulo, const QString& filtro,
                             const QString& extension) {
    const QString escrito = DialogoGuardarArchivo(padre, titulo, filtro);
    if (escrito.isEmpty())
        return QString();
    const QString ruta = NombreConExtension(escrito, extension);
    if (ruta != escrito && QFileInfo::exists(ruta) &&
        MostrarMensaje(QStringLiteral("El archivo \"%1\" ya existe.\n¿Desea reemplazarlo?")
                           .arg(QDir::toNativeSeparators(ruta)),
                       padre ? padre->window()->windowTitle() : QString(), Icono::Pregunta,
                       Botones::SiNo) != Respuesta::Si)
        return QString();
    return ruta;
}

bool BorrarArchivo(const QString& ruta) {
    if (borrado)
        return borrado(ruta);
    return QFile::remove(ruta);
}

void SustituirDialogoGuardar(std::function<QString(const QString&, const QString&)> f) {
    dialogoGuardar = std::move(f);
}

void SustituirDialogoAbrir(std::function<QString(const QString&, const QString&)> f) {
    dialogoAbrir = std::move(f);
}

void SustituirBorrado(std::function<bool(const QString&)> f) {
    borrado = std::move(f);
}

QString DialogoElegirCarpeta(QWidget* padre, const QString& titulo) {
    if (dialogoCarpeta)
        return dialogoCarpeta(titulo);
    return QFileDialog::getExistingDirectory(padre, titulo);
}

void SustituirDialogoCarpeta(std::function<QString(const QString&)> f) {
    dialogoCarpeta = std::move(f);
}
