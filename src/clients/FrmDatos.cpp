// Minimal main window; the full window replaces this file.
#include "clients/FrmDatos.h"

#include <QCloseEvent>

namespace {
FrmDatos* unica = nullptr;
}

FrmDatos::FrmDatos(QWidget* parent) : QMainWindow(parent) { unica = this; }

FrmDatos::~FrmDatos() {
    if (unica == this)
        unica = nullptr;
}

FrmDatos* FrmDatos::Mostrar() {
    if (!unica)
        new FrmDatos();
    unica->show();
    return unica;
}

FrmDatos* FrmDatos::instancia() { return unica; }

void FrmDatos::FormateoFlex() {}
void FrmDatos::CargarNombreMunicipio() {}
void FrmDatos::GuardarNombreMunicipio() {}
void FrmDatos::closeEvent(QCloseEvent* evento) { evento->accept(); }
void FrmDatos::construir() {}
void FrmDatos::cargar() {}
