#pragma once

#include <QDialog>
#include <QPalette>

#include <map>

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;

// Client editor, shown modally in add or edit mode. A fresh window is built for each opening
// after a save; callers reach the current one through instancia(), which creates it.
class frmEdit : public QDialog {
    Q_OBJECT
public:
    static frmEdit* instancia(); // creates the window if it does not exist
    static bool existe();

    int ModoEdicion = 0; // 0 add, 1 edit
    int IdCliente = 0;

    // Text1(1..10, 13..19) are line edits; Text1(22), the notes, is a multi-line box.
    QLineEdit* Text1(int indice) const;
    QPlainTextEdit* Notas = nullptr; // Text1(22)
    QDateEdit* DTPicker1 = nullptr;
    QDateEdit* DTPicker2 = nullptr;
    QTimeEdit* DTPicker3 = nullptr;
    QDateEdit* DTPicker4 = nullptr;
    QTimeEdit* DTPicker5 = nullptr;
    QPushButton* cmdGuardar = nullptr;
    QPushButton* cmdCancelar = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label10 = nullptr;

    ~frmEdit() override;

    // Shows the window modally, without owner, and discards it once closed (the next
    // instancia() builds a fresh one). True when the client was saved.
    bool MostrarModal();
    // A caller's text for Text1(indice) (22: the notes): put in whole, even beyond the length
    // the user may type.
    void PonerTexto(int indice, const QString& texto);
    // Behind cmdGuardar and cmdCancelar (Esc too, while cancelling is allowed).
    void Guardar();
    void Cancelar();
    // For this opening the editor registers the unknown client of an import: no cancel button,
    // but Esc and the title bar's close button still leave it unsaved, which cancels the import.
    void ModoClienteDeImportacion();

    // Background of a mandatory box that stopped a save.
    static QColor colorResaltado() { return QColor(255, 224, 192); }

protected:
    explicit frmEdit(QWidget* parent = nullptr);
    void showEvent(QShowEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void reject() override;

    std::map<int, QLineEdit*> textos_;

private:
    void construir();
    void quitarResaltado();
    void cerrar(bool guardado);

    QPalette paletaNormal_;
    int limiteNotas_ = 249;
    bool cerrando_ = false;
    bool guardando_ = false;
    bool guardado_ = false;
    bool deImportacion_ = false;
};
