#pragma once

#include "core/import/RegistroImportaciones.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

// One row of the infraction grid as the view shows it: its 18 texts (id .. CI) and whether
// the date filter hides it.
struct FilaInfraccionLibro {
    QStringList celdas;
    bool oculta = false;
};

// Everything the workbook is built from, gathered from the main window when "Exportar" is
// pressed, so the builder needs no window.
struct EntradaLibro {
    QString titulo;                                // municipality header
    QString inspector;                             // logged-in user
    QStringList cliente;                           // client grid row, columns 0..23 (0 = id, unused)
    QStringList bandas;                            // band grid row, columns 0..21 (0 unused)
    std::vector<FilaInfraccionLibro> infracciones; // grid rows 1.. (the header row is not included)
    // Marked options, indexed by the number of their CheckN box (0 and 15 are unused).
    std::array<bool, 23> check{};
    // Date and time of the left footer; an invalid value takes the current time.
    QDateTime momento;
    // The imports behind the shown rows, and how many shown rows are older than the log: the
    // second sheet.
    std::vector<ImportacionRegistrada> importaciones;
    qsizetype anteriores = 0;
    // Called every few thousand rows with the rows written and the total; false cancels the
    // export, and then no file is written.
    std::function<bool(qsizetype hechas, qsizetype total)> avance;
};

struct ResultadoLibro {
    bool ok = false;
    QString error;          // Spanish description when !ok
    bool cancelado = false; // the export was cancelled through `avance`
};

// Builds the workbook and saves it under the given name. It is written beside the target and
// moved into place only when complete: on failure the target is left as it was.
ResultadoLibro CrearLibroExcel(const EntradaLibro& entrada, const QString& archivo);
