#pragma once

#include "clients/ArchivoMunicipio.h"

#include <QMainWindow>

#include <array>

class GridModel;
class GridView;
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

// The main window: client list, infraction and time-band view, option buttons. One instance
// lives from the login until the program ends; other windows reach it through instancia().
// Controls keep their designer names (also their objectName) because the other windows read
// them by name.
class FrmDatos : public QMainWindow {
    Q_OBJECT
public:
    // Creates the single instance if needed, runs its load (welcome message, rights, client
    // list, municipality header) and shows it.
    static FrmDatos* Mostrar();
    static FrmDatos* instancia(); // nullptr when not loaded

    ~FrmDatos() override;

    // Public operations used by other windows.
    void Agregar();
    void FormateoFlex();
    void FiltrarFechasInfracciones();
    void CargarNombreMunicipio();
    void GuardarNombreMunicipio();
    void ExportarExcelF();
    void Imprimir();
    // Behind the option buttons "Editar" and "Eliminar".
    void EditarCliente();
    void EliminarCliente();
    // Reads the client list again after a write; the selected client stays selected while it
    // is listed, and the view below always shows the highlighted client (or none).
    void RecargarClientes();

    // Header texts and municipality
    QLineEdit* Municipio = nullptr;
    QLineEdit* Usuario = nullptr;
    // Option buttons 0..7: Nuevo, Editar, Eliminar, Salir, Exportar Excel,
    // Adquirir Datos de Inspección, Config. Cuentas, Imprimir
    std::array<QPushButton*, 8> cmdOpciones{};
    QGroupBox* Frame1 = nullptr; // Control de Clientes
    QGroupBox* Frame2 = nullptr; // Listado de Clientes
    QGroupBox* Frame3 = nullptr; // Local Asociado al Cliente
    QGroupBox* Frame4 = nullptr; // Infracciones del Cliente
    QGroupBox* Frame5 = nullptr; // Filtrar Datos
    QGroupBox* Frame6 = nullptr; // Salir
    QGroupBox* Frame7 = nullptr; // Filtrar Datos de Inspecciones
    QGroupBox* Reordenar = nullptr;
    QGroupBox* SesionFrame = nullptr;
    // Search
    QLineEdit* Text1 = nullptr;
    QComboBox* Combo1 = nullptr;
    // Grids: models (read by row and column) and their views
    GridModel* flex = nullptr;
    GridModel* flex2 = nullptr;
    GridModel* FlexBandas = nullptr;
    GridView* flexVista = nullptr;
    GridView* flex2Vista = nullptr;
    GridView* FlexBandasVista = nullptr;
    QLabel* Label12 = nullptr; // "DATOS DE RELEVAMIENTO"
    QLabel* Label13 = nullptr; // "ESTATUS DEL EQUIPO"
    // Premises of the selected client
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
    // Time bands A, B, C
    QLineEdit* ActBHA = nullptr;
    QLineEdit* InicioBHA = nullptr;
    QLineEdit* FinBHA = nullptr;
    QLineEdit* ActBHB = nullptr;
    QLineEdit* InicioBHB = nullptr;
    QLineEdit* FinBHB = nullptr;
    QLineEdit* ActBHC = nullptr;
    QLineEdit* InicioBHC = nullptr;
    QLineEdit* FinBHC = nullptr;
    // Date range of the infraction grid
    QDateEdit* FechaInfInicio = nullptr;
    QDateEdit* FechaInfFin = nullptr;
    QPushButton* Command1 = nullptr; // "Reordenar Datos"

    // Whether the last header click sorted ascending, one flag per grid.
    bool OrdenFlex = false;
    bool OrdenFlex2 = false;

    // Picture, menus and status bar (panels 1..8 are Paneles[0..7]).
    QLabel* Image2 = nullptr;
    QMenu* mnuArchivo = nullptr;
    QMenu* mnuayuda = nullptr;
    QAction* mnusalir = nullptr;
    QAction* mnuacercade = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 8> Paneles{};

    // Sets every column of the grid to the width of its widest text (first `columnas`
    // columns only when given).
    void AjustarAnchoColumnas(GridModel& grid, int columnas = -1);

protected:
    void closeEvent(QCloseEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    explicit FrmDatos(QWidget* parent = nullptr);
    void construir();
    void construirMenus();
    void construirBarraEstado();
    void conectar();
    void cargar();
    void Buscar();
    QString idSeleccionado() const; // empty when no real client is selected
    void EnlazarClientes(const QString& idPreferido);
    void OrdenarPorCabecera(GridModel& grid, bool& orden, int fila, int col);
    void AcercaDe();
    void actualizarBarraEstado();

    QTimer* relojBarra_ = nullptr;
    bool guardandoMunicipio_ = false;
    CodificacionMunicipio codificacionMunicipio_ = CodificacionMunicipio::Utf8; // kept on save
    bool avisoGuardadoMostrado_ = false;
};
