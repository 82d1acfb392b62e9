#include "core/store/SentenciasTraspaso.h"

namespace SentenciasTraspaso {

QString contar(const QString& tabla) {
    return QStringLiteral("SELECT count(*) FROM %1").arg(tabla);
}

QString contarClientes() {
    return QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente <> '----'");
}

QString numerosRepetidos() {
    return QStringLiteral("SELECT NumeroCliente FROM Clientes GROUP BY NumeroCliente HAVING count(*) > 1 "
                          "ORDER BY NumeroCliente");
}

QString leerTabla(const QString& tabla) {
    return QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(tabla);
}

QString insertarFila(const QString& tabla, const QStringList& columnas) {
    const QStringList marcas(columnas.size(), QStringLiteral("?"));
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(tabla, columnas.join(QLatin1Char(',')), marcas.join(QLatin1Char(',')));
}

QStringList vaciarFilasIniciales() {
    return {QStringLiteral("DELETE FROM Clientes"), QStringLiteral("DELETE FROM PassUsuarios")};
}

QString continuarIds(const QString& tabla) {
    return QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'), "
                          "coalesce((SELECT max(id) FROM %1), 0) + 1, false)")
        .arg(tabla.toLower());
}

QString originales() {
    return QStringLiteral("SELECT i.Id, i.Tamano, i.Sha256, o.Datos FROM Importaciones i "
                          "JOIN OriginalesImportacion o ON o.IdImportacion = i.Id ORDER BY i.Id");
}

} // namespace SentenciasTraspaso
