#pragma once

#include "windows/grid/AnchoColumnas.h"

#include <QMainWindow>

#include <array>

class CajasSoloLectura;
class GridModel;
class GridView;
class Oficina;
class QAction;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QTimeEdit;
class QTimer;

// The main window: client list, infraction and time-band view, option buttons. It shows the
// office model's state and hands every user action to it; the client the list highlights, the
// view below and the buttons act on is the model's selected client. Controls keep their
// designer names as objectName.
class VentanaPrincipal : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and loads it: welcome message, rights, client list, municipality header.
    explicit VentanaPrincipal(Oficina& oficina, QWidget* parent = nullptr);
    ~VentanaPrincipal() override;

protected:
    void closeEvent(QCloseEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void construir();
    void construirMenus();
    void construirBarraEstado();
    void conectar();
    void cargar();
    void actualizarBarraEstado();

    // The model's state on the screen.
    void mostrarClientes();
    void mostrarSeleccion();
    void mostrarInfracciones();
    void mostrarRango();
    void resaltarSeleccionado();
    void formatearListaClientes();
    void AjustarAnchoColumnas(GridModel& grid, int columnas = -1);

    // The user's actions.
    void Buscar();
    void seleccionarFilaActual();
    void FiltrarFechasInfracciones();
    void GuardarNombreMunicipio();
    void Agregar();
    void EditarCliente();
    void EliminarCliente();
    void ExportarLibro();
    void Imprimir();
    void OrdenarPorCabecera(GridModel& grid, bool& orden, int fila, int col);
    void AcercaDe();

    Oficina& oficina_;

    QLineEdit* Municipio = nullptr;
    QLineEdit* Usuario = nullptr;
    // Option buttons 0..7: Nuevo, Editar, Eliminar, Salir, Exportar Excel,
    // Adquirir Datos de Inspección, Config. Cuentas, Imprimir
    std::array<QPushButton*, 8> cmdOpciones{};

    // "Gráfico de Niveles": enabled while the selected client has infractions.
    QPushButton* cmdGrafico = nullptr;

    QGroupBox* Frame1 = nullptr; // Control de Clientes
    QGroupBox* Frame2 = nullptr; // Listado de Clientes
    QGroupBox* Frame3 = nullptr; // Local Asociado al Cliente
    QGroupBox* Frame4 = nullptr; // Infracciones del Cliente
    QGroupBox* Frame5 = nullptr; // Filtrar Datos
    QGroupBox* Frame6 = nullptr; // Salir
    QGroupBox* Frame7 = nullptr; // Filtrar Datos de Inspecciones
    QGroupBox* Reordenar = nullptr;
    QGroupBox* SesionFrame = nullptr;
    QLineEdit* Text1 = nullptr;
    QComboBox* Combo1 = nullptr;
    GridModel* flex = nullptr;
    GridModel* flex2 = nullptr;
    GridView* flexVista = nullptr;
    GridView* flex2Vista = nullptr;
    QLabel* Label12 = nullptr; // "DATOS DE RELEVAMIENTO"
    QLabel* Label13 = nullptr; // "ESTATUS DEL EQUIPO"
    QLineEdit* NLocal = nullptr;
    QLineEdit* DLocal = nullptr;
    QLineEdit* LocLocal = nullptr;
    QLineEdit* PartLocal = nullptr;
    QLineEdit* ProvLocal = nullptr;
    QLineEdit* TelLocal = nullptr;
    QLineEdit* EmailLocal = nullptr;
    QDateEdit* UltimaFechaInsp = nullptr;
    QTimeEdit* UltimaHoraInsp = nullptr;
    QDateEdit* AnteriorInspeccionFecha = nullptr;
    QTimeEdit* AnteriorInspeccionHora = nullptr;
    QLineEdit* ActBHA = nullptr;
    QLineEdit* InicioBHA = nullptr;
    QLineEdit* FinBHA = nullptr;
    QLineEdit* ActBHB = nullptr;
    QLineEdit* InicioBHB = nullptr;
    QLineEdit* FinBHB = nullptr;
    QLineEdit* ActBHC = nullptr;
    QLineEdit* InicioBHC = nullptr;
    QLineEdit* FinBHC = nullptr;
    QDateEdit* FechaInfInicio = nullptr;
    QDateEdit* FechaInfFin = nullptr;
    QPushButton* Command1 = nullptr; // "Reordenar Datos"
    QLabel* Image2 = nullptr;
    QMenu* mnuArchivo = nullptr;
    QMenu* mnuayuda = nullptr;
    QAction* mnuHistorial = nullptr;
    QAction* mnuVerificar = nullptr;
    QAction* mnuRegistro = nullptr;
    QAction* mnusalir = nullptr;
    QAction* mnuacercade = nullptr;
    QAction* mnucopia = nullptr;
    QAction* mnurestaurar = nullptr;
    QAction* mnuverificarbase = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 8> Paneles{}; // panels 1..8

    // Whether the last header click sorted ascending, one flag per grid.
    bool OrdenFlex = false;
    bool OrdenFlex2 = false;
    QTimer* relojBarra_ = nullptr;
    CajasSoloLectura* cajasSoloLectura_ = nullptr;
    bool avisoGuardadoMostrado_ = false;
    bool mostrandoRango_ = false;
    bool resaltando_ = false;
    // Width estimates of the whole client list, kept across searches until it is read again.
    EstimacionAnchos estimacionClientes_;
    quint64 lecturaEstimada_ = 0;
};
