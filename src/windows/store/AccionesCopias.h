#pragma once

class Oficina;
class QWidget;

// The "Archivo" menu's register safety actions: each asks what it needs through the dialog and
// message seams and tells the outcome. Backup and restore are the administrator's.
void CopiaDeSeguridad(QWidget* padre, const Oficina& oficina);
void RestaurarCopiaDeSeguridad(QWidget* padre, Oficina& oficina);
void VerificarBaseDeDatos(QWidget* padre, const Oficina& oficina);
