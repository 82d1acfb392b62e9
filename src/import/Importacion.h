#pragma once

// The import of an inspection data file into the database, without any window: the import
// window gathers these inputs from its controls and words the messages from the result.

#include "import/ArchivoInspeccion.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <functional>

class Database;

enum class EstadoImportacion {
    Completa,
    ArchivoIlegible, // cannot be opened or read (removed, no medium, no rights)
    ArchivoNoValido, // header or some record not valid: nothing was written
    ErrorBaseDatos,  // the database refused a statement: everything was rolled back
};

struct ResultadoImportacion {
    EstadoImportacion estado = EstadoImportacion::Completa;
    QString detalle;              // why it failed, in Spanish (for the user or a log)
    qsizetype registros = 0;      // infraction rows stored
    int clientesActualizados = 0; // client rows whose inspection and bands were updated

    bool ok() const { return estado == EstadoImportacion::Completa; }
};

// A file read whole and checked from the first to the last byte, ready to be written.
struct ArchivoImportacion {
    QByteArray datos;
    CabeceraInspeccion cabecera;
    qsizetype registros = 0;
};

struct DatosImportacion {
    QString numeroCliente; // the preview's client number: the client row to update
    QDate fecha;           // inspection date and time from the preview's pickers
    QTime hora;
    QString inspector;
    // Called every few thousand rows while writing, so the windows can repaint.
    std::function<void(qsizetype hechos, qsizetype total)> progreso;
};

// Reads the file and decodes all of it. Touches no database.
ResultadoImportacion leerArchivoImportacion(const QString& ruta, ArchivoImportacion& archivo);

// Writes the client update and one infraction row per record in one transaction, with one
// prepared statement for all rows. On any failure nothing stays written.
ResultadoImportacion escribirImportacion(Database& db, const ArchivoImportacion& archivo,
                                         const DatosImportacion& datos);

// Both steps: nothing is written unless the whole file is valid.
ResultadoImportacion importarArchivo(Database& db, const QString& ruta, const DatosImportacion& datos);

// Whether some client row has exactly this client number.
bool existeCliente(Database& db, const QString& numeroCliente);

// The 17 values of one infraction row, in the column order of the insert.
QStringList valoresInfraccion(const CabeceraInspeccion& cabecera, const RegistroInfraccion& registro,
                              const QString& inspector);

// The 22 band values of the client update, in the order of the statement.
QStringList valoresBandas(const CabeceraInspeccion& cabecera);
