#pragma once

#include <QMainWindow>

class BarraEstado;
class CajasSoloLectura;
class FiltroInspecciones;
class Oficina;
class PanelClientes;
class PanelInfracciones;
class PanelLocal;
class QComboBox;
class QLineEdit;
class QPushButton;

// The main window: header, option buttons, the client list and, below, the selected client's
// premises, bands and infractions. It shows the office model's state and hands every user action
// to it; the client the list highlights, the view below and the buttons act on is the model's
// selected client.
class VentanaPrincipal : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and loads it: welcome message, rights, client list, municipality header.
    explicit VentanaPrincipal(Oficina& oficina, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    void construir();
    QLayout* construirCabecera();
    QLayout* construirOpciones();
    void ordenarTeclado();
    void conectar();
    void cargar();

    // The model's state on the screen.
    void mostrarSeleccion();
    void mostrarInfracciones();

    // The user's actions.
    void buscar();
    void guardarMunicipio();
    void agregarCliente();
    void editarCliente();
    void eliminarCliente();
    void exportarLibro();
    void imprimir();

    Oficina& oficina_;

    QLineEdit* municipio_ = nullptr;
    QLineEdit* usuarioActual_ = nullptr;
    QLineEdit* textoBusqueda_ = nullptr;
    QComboBox* columnaBusqueda_ = nullptr;
    QPushButton* botonNuevo_ = nullptr;
    QPushButton* botonEditar_ = nullptr;
    QPushButton* botonEliminar_ = nullptr;
    QPushButton* botonSalir_ = nullptr;
    QPushButton* botonExportarExcel_ = nullptr;
    QPushButton* botonAdquirirDatos_ = nullptr;
    QPushButton* botonCuentas_ = nullptr;
    QPushButton* botonImprimir_ = nullptr;
    // "Gráfico de Niveles": enabled while the selected client has infractions.
    QPushButton* botonGrafico_ = nullptr;
    QPushButton* botonResumen_ = nullptr;

    PanelClientes* panelClientes_ = nullptr;
    PanelLocal* panelLocal_ = nullptr;
    PanelInfracciones* panelInfracciones_ = nullptr;
    FiltroInspecciones* filtroInspecciones_ = nullptr;
    BarraEstado* barraEstado_ = nullptr;

    CajasSoloLectura* cajasSoloLectura_ = nullptr;
    bool avisoGuardadoMostrado_ = false;
};
