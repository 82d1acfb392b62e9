#pragma once

#include <QString>

#include <functional>

class QWidget;

// Save-file dialog: returns the chosen full path, or an empty text when cancelled.
QString DialogoGuardarArchivo(QWidget* padre, const QString& titulo, const QString& filtro);
// Open-file dialog: the chosen full path, or an empty text when cancelled.
QString DialogoAbrirArchivo(QWidget* padre, const QString& titulo, const QString& filtro);
// The name with `extension` (".xlsx") added, unless it already ends in it in any letter case:
// "Informe 15.03.2024" becomes "Informe 15.03.2024.xlsx".
QString NombreConExtension(const QString& ruta, const QString& extension);
// The save dialog, then the name with its extension. The dialog only confirmed the name as
// typed, so when adding the extension names an existing file the user is asked (titled as the
// parent's window) before it is replaced. Empty when cancelled or answered "No".
QString ElegirArchivoGuardar(QWidget* padre, const QString& titulo, const QString& filtro,
                             const QString& extension);
// Deletes a file; false when it could not be deleted.
bool BorrarArchivo(const QString& ruta);

// Folder dialog: the chosen folder, or an empty text when cancelled.
QString DialogoElegirCarpeta(QWidget* padre, const QString& titulo);

// Test seams: replace the dialog or the deletion; an empty function restores the real one.
void SustituirDialogoGuardar(std::function<QString(const QString& titulo, const QString& filtro)> f);
void SustituirDialogoAbrir(std::function<QString(const QString& titulo, const QString& filtro)> f);
void SustituirBorrado(std::function<bool(const QString& ruta)> f);
void SustituirDialogoCarpeta(std::function<QString(const QString& titulo)> f);
