#pragma once

#include <QDialog>
#include <QPalette>

#include <map>

class Oficina;
class QDate;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTime;
class QTimeEdit;
struct Cliente;

// Client editor, shown modally to add a client, edit one, or register the unknown client of an
// import. Saves through the office model. Each opening is a fresh window, discarded once closed.
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

    // The client's fields, numbered by their place in the client's stored row.
    enum class Campo {
        Numero = 1,
        Nombre,
        Direccion,
        Localidad,
        CodigoPostal,
        Partido,
        Provincia,
        Telefono,
        TelefonoMovil,
        Email,
        NombreLocal = 13,
        DireccionLocal,
        LocalidadLocal,
        PartidoLocal,
        ProvinciaLocal,
        TelefonoLocal,
        EmailLocal,
        Notas = 22
    };

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
    // The line edit of a field; the notes are the multi-line box.
    QLineEdit* caja(Campo campo) const;
    // A caller's text: put in whole, even beyond the length the user may type.
    void ponerTexto(Campo campo, const QString& texto);
    void guardar();
    void cancelar();
    void quitarResaltado();
    void cerrar(bool guardado);

    Oficina& oficina_;
    std::map<Campo, QLineEdit*> textos_;
    QPlainTextEdit* notas_ = nullptr;
    QDateEdit* fechaAlta_ = nullptr;
    QDateEdit* fechaUltimaInspeccion_ = nullptr;
    QTimeEdit* horaUltimaInspeccion_ = nullptr;
    QDateEdit* fechaAnteriorInspeccion_ = nullptr;
    QTimeEdit* horaAnteriorInspeccion_ = nullptr;
    QPushButton* botonGuardar_ = nullptr;
    QPushButton* botonCancelar_ = nullptr;
    QGroupBox* datosCliente_ = nullptr;
    QGroupBox* datosLocal_ = nullptr;

    QPalette paletaNormal_;
    enum class Modo { Agregar, Editar };
    Modo modo_ = Modo::Agregar;
    qint64 idCliente_ = 0;
    qint64 versionCliente_ = -1; // the row version the shown values were read with
    int limiteNotas_ = 249;
    bool cerrando_ = false;
    bool guardando_ = false;
    bool guardado_ = false;
    bool cerrado_ = false;
    bool deImportacion_ = false;
};
