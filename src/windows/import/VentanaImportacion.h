#pragma once

#include <QByteArray>
#include <QPointer>
#include <QWidget>

class CajasSoloLectura;
class Oficina;
class QComboBox;
class QDateEdit;
class QFileSystemWatcher;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimeEdit;
class QTreeWidget;
class QTreeWidgetItem;
struct VistaPreviaInspeccion;

// Shows the import window (modeless, one at a time).
void MostrarVentanaImportacion(Oficina& oficina);
// Whether an import is writing its transaction: the program must not end before it finishes.
bool ImportacionEnCurso();

// The import window: finds an inspection data file on any drive, previews its client number,
// date and time, and imports it through the office model.
class VentanaImportacion : public QWidget {
    Q_OBJECT
public:
    static VentanaImportacion* instancia(); // nullptr when not open

    explicit VentanaImportacion(Oficina& oficina, QWidget* parent = nullptr);
    ~VentanaImportacion() override;

    // Directory the tree and the file list show. False (and nothing changes) when it cannot be read.
    bool setDirectorio(const QString& ruta);
    QString directorio() const { return directorio_; }
    // Full path of the file selected in the list; empty when none is selected.
    QString rutaSeleccionada() const;
    // Re-reads the file list of the current directory (nothing selected afterwards).
    void actualizarArchivos();
    // The bytes whose data the preview shows: what an import stores, or nothing.
    const QByteArray& datosPrevistos() const { return datosPrevistos_; }

    // Behind the file click and the "Importar Datos" button.
    void previsualizar(const QString& nombreArchivo);
    void importar();

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    friend bool ImportacionEnCurso();

    void construir();
    void cargarUnidades();
    void cambiarUnidad(int indice);
    void llenarDirectorios();
    void seleccionCambiada();
    void archivoPulsado(QListWidgetItem* item);
    void directorioActivado(QTreeWidgetItem* item);
    bool registrarClienteNuevo(const VistaPreviaInspeccion& vista);
    void permitirAcciones(bool si);
    void directorioCambiado();
    void archivoDistinto(const QString& ruta);

    Oficina& oficina_;
    QGroupBox* ubicacion_ = nullptr;         // "Ubicacion de los Archivos de Datos"
    QComboBox* unidades_ = nullptr;          // mounted volumes; item data holds the root path
    QTreeWidget* directorios_ = nullptr;     // the current directory's parents and sub-directories
    QListWidget* archivos_ = nullptr;        // "*.kvd" names of the current directory
    QGroupBox* datosPreliminares_ = nullptr; // "Datos Preliminares"
    QLineEdit* numeroCliente_ = nullptr;
    QDateEdit* fechaInspeccion_ = nullptr;
    QTimeEdit* horaInspeccion_ = nullptr;
    QPushButton* botonImportar_ = nullptr; // "Importar Datos"
    QPushButton* botonVolver_ = nullptr;   // "Cancelar y Volver"

    QString directorio_;
    QString rutaPrevista_;      // file whose preview filled the number and the pickers
    QByteArray datosPrevistos_; // its bytes as they were read for the preview
    CajasSoloLectura* cajasSoloLectura_ = nullptr;
    QFileSystemWatcher* vigilante_ = nullptr;
    int unidadActual_ = -1;
    bool importando_ = false;
    QListWidgetItem* previstoPorSeleccion_ = nullptr;
};
