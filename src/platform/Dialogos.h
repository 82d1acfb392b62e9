#pragma once

#include <QString>

#include <functional>

class QWidget;

// Save-file dialog: returns the chosen full path, or an empty text when cancelled.
QString DialogoGuardarArchivo(QWidget* padre, const QString& titulo, const QString& filtro);
// Deletes a file; false when it could not be deleted.
bool BorrarArchivo(const QString& ruta);

// Test seams: replace the dialog or the deletion; an empty function restores the real one.
void SustituirDialogoGuardar(std::function<QString(const QString& titulo, const QString& filtro)> f);
void SustituirBorrado(std::function<bool(const QString& ruta)> f);
