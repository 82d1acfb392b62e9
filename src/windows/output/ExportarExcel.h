#pragma once

#include "core/output/LibroExcel.h"

#include <QWidget>

#include <array>

class Oficina;
class QCheckBox;

// Options window of the Excel export: which client and premises fields go into the workbook.
// Modeless and without owner; the office model says, when "Exportar" is pressed, which client
// and which rows go out.
class ExportarExcel : public QWidget {
    Q_OBJECT
public:
    // Shows the window (a new one, every box unmarked, when it is not loaded); with no client
    // selected it tells the user and opens nothing.
    static void Mostrar(Oficina& oficina);
    static ExportarExcel* instancia(); // nullptr when not loaded

    ~ExportarExcel() override;

    // The lines the marked boxes ask for.
    OpcionesLibro opciones() const;

private:
    explicit ExportarExcel(Oficina& oficina);
    void marcarTodos(bool marcar);
    void exportar();

    Oficina& oficina_;
    // One box per column option, by its number: 1..14 and 16..22.
    std::array<QCheckBox*, 23> casillas_{};
};
