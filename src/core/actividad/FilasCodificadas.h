#pragma once

// Infraction rows as their 17 stored columns in UTF-8 (NumeroCliente ... contadorinf), all in one
// buffer: the check holds an import's stored rows and its decoded records side by side, and a
// million rows must not become seventeen million small allocations.

#include "core/import/ArchivoInspeccion.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

class Sentencia;

inline constexpr int kCamposInfraccion = 17;

// The stored column names, in order: how the report names a field.
const char* NombreCampoInfraccion(int campo);
inline constexpr int kCampoFecha = 1;
inline constexpr int kCampoHora = 2;

class FilasCodificadas {
public:
    void reservar(qsizetype filas, qsizetype bytes);
    // One row from its 17 values; `id` is the stored row's id (0 for a decoded record).
    void agregar(const QByteArrayView* campos, qint64 id = 0);
    // The 17 columns of the current row of `st`, starting at column `primera`.
    void agregarDe(const Sentencia& st, int primera, qint64 id);

    qsizetype size() const { return static_cast<qsizetype>(ids_.size()); }
    bool empty() const { return ids_.empty(); }
    qint64 id(qsizetype fila) const { return ids_[static_cast<size_t>(fila)]; }
    QByteArrayView campo(qsizetype fila, int k) const;
    QString texto(qsizetype fila, int k) const { return QString::fromUtf8(campo(fila, k)); }
    // Same 17 values.
    bool igual(qsizetype fila, const FilasCodificadas& otra, qsizetype filaOtra) const;

private:
    qsizetype inicio(qsizetype fila) const {
        return fila == 0 ? 0 : fines_[static_cast<size_t>(fila * kCamposInfraccion - 1)];
    }

    QByteArray datos_;
    std::vector<qsizetype> fines_; // end of each field, 17 per row
    std::vector<qint64> ids_;
};

// The rows an import of these records stores: the file's header values and the importing user
// on every row, as the import writes them.
class CodificadorRegistros {
public:
    CodificadorRegistros(const CabeceraInspeccion& cabecera, const QString& inspector);
    void agregar(const RegistroInfraccion& registro, FilasCodificadas& filas);

private:
    QByteArray fijos_[9];
    QByteArray propios_[8];
};

// Decodes a whole original into the rows its import stores. False when the bytes are not a valid
// file (then `error` says why).
bool DecodificarOriginal(const QByteArray& datos, const QString& inspector, FilasCodificadas& filas,
                         QString* error = nullptr);

// How the stored rows of an import line up with the records of its original, both in order:
// records without a stored row, stored rows that are no record, and pairs that differ in some field.
struct Alineacion {
    std::vector<qsizetype> faltan;
    std::vector<qsizetype> sobran;
    std::vector<std::pair<qsizetype, qsizetype>> cambiadas; // record, stored row
};
Alineacion Alinear(const FilasCodificadas& originales, const FilasCodificadas& guardadas);
