#pragma once

// The import log: one row per import with where the file came from, who imported it and the
// device's settings, the file's exact bytes kept compressed, and the infraction rows pointing
// back to it. What an office shows when a fine is contested.

#include "core/import/ArchivoInspeccion.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class Conexion;

// The settings a file's header carries, as texts ready to compare and show.
struct ConfiguracionEquipo {
    QString maxDb;
    QString dbAtenuador;
    QString excesos;
    QString calibracion;
    QString segPenalizar;
    QString nivelConsola;
    QString nivelRuido;
    QString activacionBandas;
    std::array<QString, 3> bandas; // see TextoBanda

    bool operator==(const ConfiguracionEquipo&) const = default;
};

// "Si; Lunes 23:00 a Martes 02:00": activation, start and end of one time band.
QString TextoBanda(const BandaHoraria& banda);
ConfiguracionEquipo ConfiguracionDe(const CabeceraInspeccion& cabecera);

struct CambioConfiguracion {
    QString valor; // its name as the user knows it
    QString antes;
    QString ahora;
};

std::vector<CambioConfiguracion> CambiosConfiguracion(const ConfiguracionEquipo& antes,
                                                      const ConfiguracionEquipo& ahora);
// One line per change: "Max. dB: 85 → 90".
QString DescribirCambios(const std::vector<CambioConfiguracion>& cambios);

struct ImportacionRegistrada {
    qint64 id = 0;
    QString numeroCliente;
    QString nombreArchivo;
    qint64 tamano = 0;
    QString sha256;          // lower-case hex
    QString fechaInspeccion; // header's "dd/mm/yy"
    QString horaInspeccion;  // header's "hh:mm:ss"
    qint64 registros = 0;    // records in the file
    qint64 guardados = 0;    // rows stored
    qint64 omitidos = 0;     // records already stored for the client, left out
    QString primerRegistro;  // "yyyymmdd" of the first and last record
    QString ultimoRegistro;
    ConfiguracionEquipo configuracion;
    QString usuario;
    QString equipo; // host name of the workstation
    QDateTime momento;
    QString cambios;       // settings changed since the client's previous import, DescribirCambios()
    bool retirada = false; // deleted: its rows are gone, its log row and original kept
};

// "12.345" for the messages.
QString NumeroConPuntos(qint64 n);
// The moment of an import as the windows show it.
QString MomentoTexto(const QDateTime& momento);

// Imports of one client, newest first.
std::vector<ImportacionRegistrada> ImportacionesCliente(Conexion& db, const QString& numeroCliente);
// Every import of exactly these bytes, oldest first.
std::vector<ImportacionRegistrada> ImportacionesConHuella(Conexion& db, const QString& sha256);
// The listed ids that are in the log, in ascending id order.
std::vector<ImportacionRegistrada> ImportacionesPorId(Conexion& db, const std::vector<qint64>& ids);
// The client's latest import, or else the settings its stored rows and band columns carry.
std::optional<ConfiguracionEquipo> ConfiguracionAnterior(Conexion& db, const QString& numeroCliente);

// Writes the log row, counts included, and the compressed bytes: evidence is written once, never
// corrected afterwards.
// Runs inside the caller's transaction. Returns the new row's id.
qint64 RegistrarImportacion(Conexion& db, const ImportacionRegistrada& entrada, const QByteArray& datos);
// The same in two steps, so the bytes can be compressed while the rows are written: the log row
// alone, then the bytes as ComprimirOriginal() gives them, in the same transaction.
qint64 RegistrarEntradaImportacion(Conexion& db, const ImportacionRegistrada& entrada);
QByteArray ComprimirOriginal(const QByteArray& datos);
void GuardarOriginal(Conexion& db, qint64 idImportacion, const QByteArray& comprimido);

enum class EstadoOriginal {
    Correcto,
    Falta,  // nothing kept for that import
    Danado, // what is kept does not decompress to the logged bytes
};
struct Original {
    EstadoOriginal estado = EstadoOriginal::Falta;
    QByteArray datos; // only when Correcto
};
// The kept bytes, handed out only when their SHA-256 is the logged one.
Original LeerOriginal(Conexion& db, const ImportacionRegistrada& importacion);

// Infraction rows stored by one import.
qint64 RegistrosDeImportacion(Conexion& db, qint64 id);
