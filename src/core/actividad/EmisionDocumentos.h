#pragma once

// Issuing a report or a workbook: the digest of the rows it lists, its verification code, and
// the "documento.emitido" entry that records it.

#include "core/output/SelloVerificacion.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <vector>

class Conexion;
class FilasInfraccion;

// The rows of one import among those listed (import 0: rows from before the import log).
struct GrupoFilas {
    qint64 importacion = 0;
    qint64 filas = 0;
    QString digest;
};
// The rows a document lists, over their stored values, in the order listed; and the same per
// import, so a later check can say which rows went, came or changed.
struct FilasDocumento {
    qint64 filas = 0;
    QString digest;
    std::vector<GrupoFilas> grupos; // by import, ascending
};
QJsonArray GruposJson(const std::vector<GrupoFilas>& grupos);
std::vector<GrupoFilas> GruposDeJson(const QJsonArray& json);

// The stored rows a view of a client's infractions shows (neither hidden nor separators), by id.
std::vector<qint64> IdsListados(const FilasInfraccion& filas);
// The digest of the client's stored rows with these ids (ascending). Throws ErrorBD when one of
// them is no longer stored (the rows changed since they were read).
FilasDocumento LeerFilasDocumento(Conexion& db, const QString& cliente, const std::vector<qint64>& ids);
// The rows a report of the client over [desde, hasta] lists now. Throws ErrorBD.
FilasDocumento FilasListadasAhora(Conexion& db, const QString& cliente, const QDate& desde,
                                  const QDate& hasta);

// What is issued.
struct PedidoEmision {
    QString tipo; // "informe" | "libro" | "resumen"
    QString cliente;
    QDate desde;
    QDate hasta;
    std::vector<qint64> ids; // the rows listed
    QString origen = QStringLiteral("ventana");
};
// A document about to be issued: its stamp, and the entry that records it once it was really
// saved or printed.
struct EmisionPreparada {
    SelloVerificacion sello;
    QString usuario;
    QJsonObject detalles;
    // The rows it lists, read again when the entry is written: they must still give `digest`.
    QString cliente;
    std::vector<qint64> ids;
};
// Reads the rows and the log's head and derives the code; writes nothing. Throws ErrorBD.
EmisionPreparada PrepararEmision(Conexion& db, const QString& usuario, const QString& identidad,
                                 const PedidoEmision& pedido);
// Writes its "documento.emitido" entry in one transaction; `antesDeConfirmar` (moving the written
// file into place) runs inside it, and what it throws undoes the entry. Throws ErrorBD, also when
// the rows listed changed since it was prepared.
void AnotarEmision(Conexion& db, const EmisionPreparada& emision,
                   const std::function<void()>& antesDeConfirmar = {});
// Both at once, for a document that cannot fail after its code is known.
SelloVerificacion EmitirDocumento(Conexion& db, const QString& usuario, const QString& identidad,
                                  const PedidoEmision& pedido);
