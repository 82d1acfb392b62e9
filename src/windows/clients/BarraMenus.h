#pragma once

#include <QMenuBar>

class Oficina;
class QMainWindow;

// The main window's menus: "Archivo" (import history, file check, shared register, backups,
// exit) and "Ayuda".
class BarraMenus : public QMenuBar {
    Q_OBJECT
public:
    // `ventana` is the main window: the dialogs open over it and "Salir" closes it.
    BarraMenus(Oficina& oficina, QMainWindow* ventana);

private:
    void acercaDe();

    Oficina& oficina_;
};
