#pragma once

// A digest of infraction rows, for rows that have no original to check them against (rows from
// before the import log, rows of a withdrawn client) and for the rows a document listed. One row
// at a time, so a million rows never sit in memory at once.

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <QStringList>

class Sentencia;

// The stored columns of Infracciones the digest covers, in order (after id, before IdImportacion).
extern const char* const kColumnasDigest;
inline constexpr int kCantidadColumnasDigest = 17;

class DigestFilas {
public:
    DigestFilas();
    // One row: its 17 values in kColumnasDigest order (NULL as the empty text).
    void agregar(const QStringList& valores);
    // The row at the current step of `st`, from column `primera` on.
    void agregar(const Sentencia& st, int primera = 0);
    qint64 filas() const { return filas_; }
    // Lower-case hex SHA-256 of the rows added so far; called once, at the end.
    QString resultado();

private:
    void campo(const char* datos, qsizetype largo);
    QCryptographicHash hash_;
    qint64 filas_ = 0;
};
