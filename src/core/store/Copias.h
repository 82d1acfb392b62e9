#pragma once

#include "core/store/ErrorBD.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// Copies of the register: taken through SQLite's online backup API, verified before they take
// their name, kept daily with rotation, checked and restored. A copy is the database file
// "<nombre>.wfg" with the municipality header "<nombre>.dat" beside it.

// What the integrity checks found in a database file.
struct Integridad {
    bool correcta = false;
    QString problema; // Spanish, empty when correct
    QString detalles; // what SQLite reported, for support
};

// Opens the file read-only with the key and runs SQLite's integrity check and SQLCipher's page
// authentication (every page is read and its code checked). Never writes to the file.
Integridad VerificarArchivoBase(const QString& ruta, const QByteArray& clave);
// The report shown to the user, with what to do when the check failed.
QString InformeIntegridad(const Integridad& resultado);

// What a copy holds, as shown before a restore.
struct ContenidoCopia {
    int versionEsquema = 0;
    qint64 clientes = 0; // the placeholder row does not count
    qint64 infracciones = 0;
    // Day of the newest import in the log; for registers from before the log, the newest
    // inspection imported. Invalid when none.
    QDate ultimaImportacion;
};
// Checks that the file is a sound database of this program (key, integrity, tables, schema not
// newer than this program's) and counts what it holds. Throws ErrorBD with the reason.
ContenidoCopia ExaminarCopia(const QString& ruta, const QByteArray& clave);

// The header file that goes with a copy: "x.wfg" -> "x.dat".
QString RutaMunicipioDeCopia(const QString& rutaCopia);
// Name of a copy taken now into a folder the user picked.
QString NombreCopia(const QDateTime& cuando);

// The manifest beside every copy ("x.wfg" -> "x.manifiesto"): the register's identity and the
// activity log's head the copy holds, so a later rewrite of the whole register contradicts the
// copies already made.
struct ManifiestoCopia {
    QString identidad;
    qint64 secuencia = 0; // the log's last entry in the copy (0: empty log)
    QString hash;
    QString sha256; // of the copy's file
};
QString RutaManifiestoDeCopia(const QString& rutaCopia);
// None when the copy has no manifest or it cannot be read.
std::optional<ManifiestoCopia> LeerManifiestoCopia(const QString& rutaCopia);

// Writes a consistent copy of the database file `origen` to `destino` (a ".wfg" path), with the
// header file `municipio` beside it when that exists. The copy is read through its own
// connection, so a transaction in progress on the program's connection is left out whole. It is
// written under a temporary name, verified and only then renamed. Throws ErrorBD; an existing
// `destino` is only replaced by a verified copy. Its manifest is written beside it.
void CopiarBase(const QString& origen, const QString& municipio, const QString& destino,
                const QByteArray& clave);

// --- Daily copies: "diaria-AAAA-MM-DD.wfg" in the data directory's "copias" folder ---
inline constexpr const char* kCarpetaCopias = "copias";
QString NombreCopiaDiaria(const QDate& dia);
// Rotation: of the daily copies named, the ones to keep: the 7 newest, and the newest of each
// of the 4 newest calendar weeks (ISO weeks). Names that are not daily copies are kept.
QStringList CopiasAConservar(const QStringList& nombres);

struct ResultadoCopiaDiaria {
    enum Estado { YaHecha, Hecha, Fallida } estado = YaHecha;
    QString error;       // when it failed: Spanish
    QString detalles;    // technical cause
    bool avisar = false; // a failure the user has not been told of today
};
// Makes today's copy unless it exists, then applies the rotation. A failure removes nothing and
// is to be told once a day.
ResultadoCopiaDiaria CopiaDiaria(const QString& directorioDatos, const QString& rutaBase,
                                 const QString& rutaMunicipio, const QByteArray& clave, const QDate& hoy);

// Replaces the database file `rutaBase` (its connection closed) by the copy, after checking it
// again. The replaced database and header are first kept in `carpetaCopias` as
// "anterior-AAAA-MM-DD-HHMMSS"; the copy's header, when it has one, replaces `rutaMunicipio`.
// Returns the path of the kept database. Throws ErrorBD, with `rutaBase` untouched.
QString RestaurarCopia(const QString& copia, const QString& rutaBase, const QString& rutaMunicipio,
                       const QString& carpetaCopias, const QByteArray& clave, const QDateTime& cuando);
