#pragma once

// Decoding of the device's inspection data file (*.kvd): bytes in, texts out.
// Pure layer: Qt Core only, no messages, no database. The caller words the
// messages the user sees.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

// Header: 85 bytes; records: 25 bytes each, the first at offset 85.
inline constexpr qsizetype kLongitudCabecera = 85;
inline constexpr qsizetype kLongitudMinimaCabecera = 84;
inline constexpr qsizetype kLongitudRegistro = 25;
inline constexpr qsizetype kLongitudVistaPrevia = 16;
// The device numbers status 1 and status 2 records in 16-bit signed counters.
inline constexpr int kMaximoContador = 32767;

struct VistaPreviaInspeccion {
    QString numeroCliente; // 4 characters
    QString fecha;         // "dd/mm/yy"
    QString hora;          // "hh:mm:ss"
    // The same bytes as a date (century 20) and a time; invalid when they do not hold one.
    QDate fechaLeida;
    QTime horaLeida;
};

struct BandaHoraria {
    QString activacion; // "Si" / "No"
    QString diaInicio;  // "Lunes".."Domingo", or the code character itself
    QString horaInicio;
    QString minutosInicio;
    QString diaFin;
    QString horaFin;
    QString minutosFin;
};

struct CabeceraInspeccion {
    QString numeroCliente;
    QString fechaVistaPrevia; // "dd/mm/yy"
    QString horaVistaPrevia;  // "hh:mm:ss"
    QString maxDb;
    QString dbAtenuador;
    QString excesos;
    QString calibracion; // "- 05" when negative
    QString segPenalizar;
    QString nivelConsola;
    QString nivelRuido;
    QString activacionBandas; // "Si" / "No"
    BandaHoraria bandas[3];
};

// Every status text a record can carry, in the device's code order.
const QStringList& TextosEstatus();

struct RegistroInfraccion {
    QString fecha;   // "yyyymmdd", century always 20
    QString hora;    // "hhmmss"
    QString bateria; // "12,5 V"
    QString red;     // "SI" / "NO"
    QString estatus; // "MIC. DESC.", "D. JOCKEY", ... or empty
    QString nivelDb;
    QString compresion;
    QString contador; // "BLOQ.", running number, or empty; "." appended by the mark
};

enum class FalloArchivo {
    Ninguno,
    CabeceraIncompleta, // fewer than 84 bytes
    SinTerminador,      // byte 83 is not ';'
    NoEsDigito,         // a byte read as a number is not '0'..'9'
    RegistroIncompleto, // a record starts but the file ends before its byte 23
    ContadorDesbordado, // more than 32767 records of status 1 or of status 2
    FechaImposible,     // bytes 4-9 are not a possible inspection date
    HoraImposible,      // bytes 10-15 are not a possible inspection time
};

struct ErrorArchivo {
    FalloArchivo fallo = FalloArchivo::Ninguno;
    qsizetype posicion = -1; // byte offset where decoding stopped
    qsizetype registro = -1; // 0-based record index, -1 for the header
    QString valor;           // the field as written, for the faults of a field

    bool hayError() const { return fallo != FalloArchivo::Ninguno; }
    // Short Spanish description of why the file is not valid; empty if valid.
    QString texto() const;
};

// SHA-256 of exact bytes in lower-case hex: how the import log and the file tool name a file.
QString HuellaSha256(const QByteArray& datos);

// Reads the whole file. On failure returns std::nullopt and, if given, sets
// *error to a Spanish description.
std::optional<QByteArray> leerArchivoInspeccion(const QString& ruta, QString* error = nullptr);

// Client number, date and time texts of offsets 0-15; std::nullopt when the
// data is shorter than 16 bytes.
std::optional<VistaPreviaInspeccion> decodificarVistaPrevia(const QByteArray& datos);

// Decodes and validates the header. Returns false (and fills *error) when the
// file is not valid, leaving `cabecera` as it was; the records must then not
// be decoded.
bool decodificarCabecera(const QByteArray& datos, CabeceraInspeccion& cabecera,
                         ErrorArchivo* error = nullptr);

// Yields the records one at a time in file order, with the two running
// counters of this file. Validates the header first: a file whose header is
// not valid yields no record and reports the header's failure.
//
//   DecodificadorRegistros dec(datos);
//   RegistroInfraccion r;
//   while (dec.siguiente(r)) guardar(r);
//   if (!dec.valido()) ... dec.error() ...
class DecodificadorRegistros {
public:
    explicit DecodificadorRegistros(const QByteArray& datos);

    // Decodes the next record into `registro`. Returns false at the end of
    // the data or on a failure (then valido() is false); it keeps returning
    // false afterwards.
    bool siguiente(RegistroInfraccion& registro);

    bool valido() const { return !error_.hayError(); }
    const ErrorArchivo& error() const { return error_; }
    // Records yielded so far.
    qsizetype registrosLeidos() const { return leidos_; }

private:
    bool fallar(FalloArchivo fallo, qsizetype posicion);

    QByteArray datos_;
    qsizetype posicion_ = kLongitudCabecera;
    qsizetype leidos_ = 0;
    int contadorJockey_ = 0; // status 1
    int contadorShow_ = 0;   // status 2
    bool terminado_ = false;
    ErrorArchivo error_;
};

struct ArchivoDecodificado {
    bool valido = false;
    ErrorArchivo error;
    std::optional<VistaPreviaInspeccion> vistaPrevia;
    std::optional<CabeceraInspeccion> cabecera; // nullopt when the header is not valid
    QList<RegistroInfraccion> registros;        // those decoded before the end or the failure
};

// The verdict on a file, the only one: the import and kvdinfo both judge by it. The first fault
// in file order of the header's layout, the inspection date and time, and every record; no
// fault when the file can be imported. `registros`, if given, receives the records read.
ErrorArchivo verificarArchivo(const QByteArray& datos, qsizetype* registros = nullptr);

// Whole-file decoding for display, judged as verificarArchivo() judges; a file whose date or
// time is impossible still shows its header and records.
ArchivoDecodificado decodificarArchivo(const QByteArray& datos);

// One byte as one Windows-1252 character (the device's code page).
QChar caracterWindows1252(unsigned char byte);
