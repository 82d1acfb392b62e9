#include "core/import/SentenciasImportaciones.h"

namespace SentenciasImportaciones {

QString leerLog(const QString& donde) {
    return QStringLiteral("SELECT Id, NumeroCliente, NombreArchivo, Tamano, Sha256, FechaInspeccion, "
                          "HoraInspeccion, Registros, Guardados, Omitidos, PrimerRegistro, UltimoRegistro, "
                          "Maxdb, dbaten, excesos, caldb, segpenal, nivelconsola, nivelruido, "
                          "ActivacionBandaHoraria, Banda1, Banda2, Banda3, Usuario, Equipo, MomentoLocal, "
                          "MomentoUtc, Cambios, Retirada FROM Importaciones %1")
        .arg(donde);
}

QString deCliente() {
    return QStringLiteral("WHERE NumeroCliente = ? ORDER BY Id DESC");
}

QString ultimaDeCliente() {
    return QStringLiteral("WHERE NumeroCliente = ? ORDER BY Id DESC LIMIT 1");
}

QString conHuella() {
    return QStringLiteral("WHERE Sha256 = ? ORDER BY Id");
}

QString todas() {
    return QStringLiteral("ORDER BY Id");
}

QString configuracionUltimaInfraccion() {
    return QStringLiteral("SELECT Maxdb, dbaten, excesos, caldb, segpenal, nivelconsola, nivelruido "
                          "FROM Infracciones WHERE NumeroCliente = ? ORDER BY id DESC LIMIT 1");
}

QString insertarOriginal() {
    return QStringLiteral("INSERT INTO OriginalesImportacion (IdImportacion, Compresion, Datos) "
                          "VALUES (?, 'zlib', ?)");
}

QString insertar() {
    return QStringLiteral("INSERT INTO Importaciones (NumeroCliente, NombreArchivo, Tamano, Sha256, "
                          "FechaInspeccion, HoraInspeccion, Registros, Guardados, Omitidos, PrimerRegistro, "
                          "UltimoRegistro, Maxdb, dbaten, excesos, caldb, segpenal, nivelconsola, "
                          "nivelruido, ActivacionBandaHoraria, Banda1, Banda2, Banda3, Usuario, Equipo, "
                          "MomentoLocal, MomentoUtc, Cambios) "
                          "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
}

QString leerOriginal() {
    return QStringLiteral("SELECT Compresion, Datos FROM OriginalesImportacion WHERE IdImportacion = ?");
}

QString contarRegistros() {
    return QStringLiteral("SELECT count(*) FROM Infracciones WHERE IdImportacion = ?");
}

QString clavesGuardadas(bool conRango) {
    return QStringLiteral("SELECT FechaInfraccion, HoraInfraccion, Microfono, NiveldB FROM Infracciones "
                          "WHERE NumeroCliente = ?%1")
        .arg(conRango ? QStringLiteral(" AND FechaInfraccion BETWEEN ? AND ?") : QString());
}

} // namespace SentenciasImportaciones
