#pragma once

#include "output/LibroExcel.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QPushButton;

// Options window of the Excel export: which client and premises fields go into the workbook.
// Modeless and without owner; it reads the main window when "Exportar" is pressed.
class ExportarExcel : public QWidget {
    Q_OBJECT
public:
    // Shows the window; a new one (every box unmarked) when it is not loaded.
    static ExportarExcel* Mostrar();
    static ExportarExcel* instancia(); // nullptr when not loaded

    ~ExportarExcel() override;

    // Check boxes by designer number: Check[1]..Check[14], Check[16]..Check[22].
    std::array<QCheckBox*, 23> Check{};
    QPushButton* Command1 = nullptr; // "Exportar"
    QPushButton* Command2 = nullptr; // "Desmarcar Todos"
    QPushButton* Command3 = nullptr; // "Marcar Todos"
    QPushButton* Volver = nullptr;   // "Cancelar y Volver"

    // The workbook input from the main window's grids and boxes and this window's options.
    EntradaLibro Entrada() const;

private:
    explicit ExportarExcel(QWidget* parent = nullptr);
    void marcarTodos(bool marcar);
    void exportar();
};

class GridModel;

// Copies the data rows of the infraction grid (texts and hidden flags) into the input.
void InfraccionesDesdeGrilla(EntradaLibro& entrada, const GridModel& grilla);
