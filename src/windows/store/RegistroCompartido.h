#pragma once

#include <QDialog>

class Oficina;
class QLineEdit;
class QPushButton;

// Where this desk keeps its register: the local encrypted file (empty) or a shared register on a
// PostgreSQL server (a libpq connection string, saved per user, never with a password). Takes
// effect at the next start. The administrator can also pass the local register to an empty server.
class RegistroCompartido : public QDialog {
    Q_OBJECT
public:
    explicit RegistroCompartido(Oficina& oficina, QWidget* parent = nullptr);

private:
    void guardar();
    void pasarAlServidor();

    Oficina& oficina_;
    QLineEdit* conexion_ = nullptr;
    QPushButton* pasar_ = nullptr;
};

// Before a register travels unencrypted to another machine the user accepts it, once for that
// connection string. False when refused.
bool ConfirmarConexionSinCifrar(const QString& conninfo);
