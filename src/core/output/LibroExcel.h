#pragma once

#include "core/clients/BandasCliente.h"
#include "core/clients/Cliente.h"
#include "core/import/RegistroImportaciones.h"
#include "core/output/SelloVerificacion.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// One row of the infraction grid as the view shows it: its texts, by ColInfraccion, and whether
// the date filter hides it.
struct FilaInfraccionLibro {
    QStringList celdas;
    bool oculta = false;
};

// The client's and premises' lines the user marked for the workbook.
struct OpcionesLibro {
    bool numero = false;
    bool nombre = false;
    bool direccion = false;
    bool localidad = false;
    bool codigoPostal = false;
    bool partido = false;
    bool provincia = false;
    bool telefono = false;
    bool telefonoMovil = false;
    bool email = false;
    bool fechaAlta = false;
    bool notas = false;
    bool nombreLocal = false;
    bool direccionLocal = false;
    bool localidadLocal = false;
    bool partidoLocal = false;
    bool provinciaLocal = false;
    bool telefonoLocal = false;
    bool emailLocal = false;
    bool ultimaInspeccion = false;
    bool anteriorInspeccion = false;

    static OpcionesLibro todas();
    bool operator==(const OpcionesLibro&) const = default;
};

// Everything the workbook is built from, gathered from the main window when "Exportar" is
// pressed, so the builder needs no window.
struct EntradaLibro {
    QString titulo;    // municipality header
    QString inspector; // logged-in user
    Cliente cliente;
    BandasCliente bandas;
    std::vector<FilaInfraccionLibro> infracciones; // grid rows 1.. (the header row is not included)
    OpcionesLibro opciones;
    // Date and time of the left footer; an invalid value takes the current time.
    QDateTime momento;
    // The imports behind the shown rows, and how many shown rows are older than the log: the
    // second sheet.
    std::vector<ImportacionRegistrada> importaciones;
    qsizetype anteriores = 0;
    // The verification code of an issued workbook: on the second sheet and in the document's
    // properties.
    std::optional<SelloVerificacion> sello;
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

struct lxw_workbook;
// The code, the register and the log's head in a workbook's properties, where the check reads
// them back.
void SellarPropiedadesLibro(lxw_workbook* libro, const SelloVerificacion& sello);
