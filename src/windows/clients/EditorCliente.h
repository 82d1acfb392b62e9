#pragma once

#include <QDialog>
#include <QPalette>

#include <map>

class Oficina;
class QDate;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTime;
class QTimeEdit;
struct Cliente;

// Client editor, shown modally to add a client, edit one, or register the unknown client of an
// import. Saves through the office model. Each opening is a fresh window, discarded once closed.
// Controls keep their designer names as objectName ("Text1_1" .. "Text1_22", "DTPicker1"...).
class EditorCliente : public QDialog {
    Q_OBJECT
public:
    // The one editor: the open one when there is one, otherwise a fresh one (a new client).
    static EditorCliente* Abrir(Oficina& oficina, QWidget* padre = nullptr);
    static EditorCliente* instancia(); // the open editor, or nullptr

    ~EditorCliente() override;

    // Edit mode: the fields show the client, the save updates it.
    void cargar(const Cliente& cliente);
    // Add mode, empty fields.
    void nuevo();
    // Add mode for an import's unknown client: its number locked, the inspection's date and time
    // in the pickers, no cancel button; Esc and the title bar's close button still leave it
    // unsaved, which cancels the import.
    void clienteDeImportacion(const QString& numero, const QDate& fecha, const QTime& hora);
    // Shows the window modally and discards it once closed. True when the client was saved.
    bool MostrarModal();

    // Background of a mandatory box that stopped a save.
    static QColor colorResaltado() { return QColor(255, 224, 192); }

protected:
    void showEvent(QShowEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void reject() override;

private:
    EditorCliente(Oficina& oficina, QWidget* parent);
    void construir();
    // Text1(1..10, 13..19) are line edits; Text1(22), the notes, is the multi-line box.
    QLineEdit* Text1(int indice) const;
    // A caller's text: put in whole, even beyond the length the user may type.
    void PonerTexto(int indice, const QString& texto);
    void Guardar();
    void Cancelar();
    void quitarResaltado();
    void cerrar(bool guardado);

    Oficina& oficina_;
    std::map<int, QLineEdit*> textos_;
    QPlainTextEdit* Notas = nullptr;
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

    QPalette paletaNormal_;
    int ModoEdicion = 0; // 0 add, 1 edit
    qint64 IdCliente = 0;
    qint64 VersionCliente = -1; // the row version the shown values were read with
    int limiteNotas_ = 249;
    bool cerrando_ = false;
    bool guardando_ = false;
    bool guardado_ = false;
    bool cerrado_ = false;
    bool deImportacion_ = false;
};
