#pragma once

// The verification code a report or workbook carries: a short text derived from what the document
// lists and from the activity log's head when it was issued, so the register can later say
// whether it issued it and whether it still holds exactly those rows.

#include <QDate>
#include <QString>

#include <optional>

// What a code is derived from.
struct ContenidoDocumento {
    QString identidad; // of the register
    QString cliente;   // the client number, as stored
    QDate desde;
    QDate hasta;
    QString digest; // DigestFilas of the rows listed, in the order listed
    qint64 cabezaSecuencia = 0;
    QString cabezaHash;
};

// Sixteen characters in four groups ("K7QF-2M9X-T4LA-8WZC"): fifteen from SHA-256 of the
// content, the last a check character over them.
QString CalcularCodigoVerificacion(const ContenidoDocumento& contenido);

// A code as typed: spaces, dashes and letter case do not matter. The code in its printed form,
// or the reason it is not one.
struct CodigoEscrito {
    QString codigo;
    QString error; // Spanish, empty when the code is well formed
    bool valido() const { return error.isEmpty(); }
};
CodigoEscrito LeerCodigoVerificacion(const QString& escrito);

// The text of the QR code next to the printed code: the code and the register's identity.
QString TextoQrVerificacion(const QString& codigo, const QString& identidad);
struct DatosQrVerificacion {
    QString codigo;
    QString identidad;
};
std::optional<DatosQrVerificacion> LeerTextoQrVerificacion(const QString& texto);
