#pragma once

#include <QDialog>

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

protected:
    explicit frmEdit(QWidget* parent = nullptr);
    std::map<int, QLineEdit*> textos_;
};
