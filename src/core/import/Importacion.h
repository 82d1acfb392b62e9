#pragma once

// The import of an inspection data file into the database, without any window: the import
// window gathers these inputs from its controls and words the messages from the result.

#include "core/clients/BandasCliente.h"
#include "core/import/ArchivoInspeccion.h"
#include "core/import/RegistroImportaciones.h"
#include "core/store/Sentencias.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <functional>

class Conexion;

enum class EstadoImportacion {
    Completa,
    ArchivoIlegible, // cannot be opened or read (removed, no medium, no rights)
    ArchivoNoValido, // header or some record not valid: nothing was written
    ArchivoCambiado, // the file no longer holds the bytes that were shown: nothing was written
    ErrorBaseDatos,  // the database refused a statement: everything was rolled back
    Cancelada,       // the user cancelled while writing: everything was rolled back
};

// What became of the file after a committed import.
enum class EstadoBorrado {
    NoPedido,  // no deletion was asked for
    Borrado,   // deleted
    NoBorrado, // the deletion failed: the file is still there
    Cambiado,  // kept: it no longer holds the imported bytes (or cannot be read)
};

struct ResultadoImportacion {
    EstadoImportacion estado = EstadoImportacion::Completa;
    QString detalle;              // why it failed, in Spanish (for the user or a log)
    QString causaTecnica;         // a database failure's cause from SQLite, shown apart on request
    qsizetype registros = 0;      // infraction rows stored
    qsizetype omitidos = 0;       // records already stored for the client, left out
    qint64 idImportacion = 0;     // the log row written with them
    int clientesActualizados = 0; // client rows whose inspection and bands were updated
    EstadoBorrado borrado = EstadoBorrado::NoPedido;

    bool ok() const { return estado == EstadoImportacion::Completa; }
};

// A file read whole and checked from the first to the last byte, ready to be written.
struct ArchivoImportacion {
    QByteArray datos;
    CabeceraInspeccion cabecera;
    qsizetype registros = 0;
    QString sha256;
};

struct DatosImportacion {
    QString numeroCliente; // the preview's client number: the client row to update
    QDate fecha;           // inspection date and time from the preview's pickers
    QTime hora;
    QString inspector;
    // Called every few thousand rows while writing, so the windows can repaint.
    std::function<void(qsizetype hechos, qsizetype total)> progreso;
    // Asked after each progress call and before the commit; true rolls everything back and the
    // file is kept.
    std::function<bool()> cancelar;
    // The file the bytes were read from. When given, it must still hold exactly those bytes
    // before the writing starts and again before the commit, or nothing is written.
    QString ruta;
    // When given, deletes `ruta` right after the commit if it still holds the imported bytes;
    // false when the deletion failed.
    std::function<bool(const QString& ruta)> borrar;
    // The name the log keeps; the file name of `ruta` when empty.
    QString nombreArchivo;
    // Records equal to a row already stored for the client (date, time, status, level) are left
    // out unless asked otherwise; the log says how many.
    bool omitirSolapados = true;
    QString equipo;    // the workstation; this machine's host name when empty
    QDateTime momento; // the moment logged; now when invalid
};

// What an import of these bytes would meet, read before anything is written.
struct AnalisisImportacion {
    std::vector<ImportacionRegistrada> previas; // the same bytes imported before, oldest first
    qsizetype solapados = 0;                    // records equal to rows already stored for the file's client
    std::vector<CambioConfiguracion> cambios;   // settings changed since the client's previous import
};

// Reads the file and decodes all of it. Touches no database.
ResultadoImportacion leerArchivoImportacion(const QString& ruta, ArchivoImportacion& archivo);

// Checks bytes already read (the ones the user was shown) whole. Touches no database.
ResultadoImportacion prepararImportacion(const QByteArray& datos, ArchivoImportacion& archivo);

// Whether the file at `ruta` can be read and holds exactly `datos`.
bool archivoConserva(const QString& ruta, const QByteArray& datos);

// Looks the bytes up in the log, counts the records already stored for the file's client and
// compares the settings with its previous import. Writes nothing.
AnalisisImportacion analizarImportacion(Conexion& db, const ArchivoImportacion& archivo);

// Writes the client update, the log row with the file's bytes and one infraction row per record
// (those already stored left out as `datos` asks) in one transaction, with one prepared
// statement for all rows, then deletes the file as `datos` asks. On any failure nothing stays
// written.
ResultadoImportacion escribirImportacion(Conexion& db, const ArchivoImportacion& archivo,
                                         const DatosImportacion& datos);

// Both steps: nothing is written unless the whole file is valid.
ResultadoImportacion importarArchivo(Conexion& db, const QString& ruta, const DatosImportacion& datos);

// Whether some client row has exactly this client number.
bool existeCliente(Conexion& db, const QString& numeroCliente);

// The infraction row a record of the file becomes.
FilaInfraccion valoresInfraccion(const CabeceraInspeccion& cabecera, const RegistroInfraccion& registro,
                                 const QString& inspector);

// The bands the import leaves on the client.
BandasCliente valoresBandas(const CabeceraInspeccion& cabecera);
