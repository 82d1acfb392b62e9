#pragma once

// Issuing a report or a workbook: the digest of the rows it lists, its verification code, and
// the "documento.emitido" entry that records it.

#include "core/output/SelloVerificacion.h"

#include <QDate>
#include <QJsonArray>
#include <QString>

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
// Reads the log's head, derives the code and writes the entry, in one transaction. Throws ErrorBD.
SelloVerificacion EmitirDocumento(Conexion& db, const QString& usuario, const QString& identidad,
                                  const PedidoEmision& pedido);
