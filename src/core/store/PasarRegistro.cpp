#include "core/store/PasarRegistro.h"

#include "core/import/ArchivoInspeccion.h"
#include "core/store/BaseDatos.h"

#include <QDir>

namespace {

const char* const kTablas[] = {"Clientes", "Infracciones", "PassUsuarios", "Importaciones",
                               "OriginalesImportacion"};

qint64 contar(Database& db, const QString& sql) {
    Statement st(db, sql);
    return st.paso() ? st.entero(0) : 0;
}

// The server folds unquoted names to lower case; the one with an accent was created quoted.
QString columnaServidor(const QString& nombre) {
    for (const QChar c : nombre)
        if (c.unicode() > 0x7f)
            return QLatin1Char('"') + nombre + QLatin1Char('"');
    return nombre.toLower();
}

void copiarTabla(Database& origen, Database& destino, const QString& tabla) {
    Statement leer(origen, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(tabla));
    const int n = leer.columnas();
    QStringList columnas;
    QStringList marcas;
    for (int i = 0; i < n; ++i) {
        columnas << columnaServidor(leer.nombreColumna(i));
        marcas << QStringLiteral("?");
    }
    const bool blob = tabla == QLatin1String("OriginalesImportacion");
    Statement escribir(destino,
                       QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(tabla, columnas.join(QLatin1Char(',')), marcas.join(QLatin1Char(','))));
    while (leer.paso()) {
        escribir.reiniciar();
        for (int i = 0; i < n; ++i) {
            if (leer.esNulo(i))
                escribir.enlazar(i + 1, QVariant());
            else if (blob && columnas.at(i) == QLatin1String("datos"))
                escribir.enlazarBlob(i + 1, leer.blob(i));
            else
                escribir.enlazar(i + 1, leer.texto(i));
        }
        while (escribir.paso()) {
        }
    }
}

} // namespace

QString InformeTraspaso::texto() const {
    return QStringLiteral("El registro pasó al servidor: %1 clientes, %2 infracciones, %3 cuentas de usuario "
                          "y %4 importaciones con %5 archivos originales, todos con la huella correcta. El "
                          "archivo local no se modificó.")
        .arg(clientes)
        .arg(infracciones)
        .arg(cuentas)
        .arg(importaciones)
        .arg(originales);
}

InformeTraspaso PasarRegistroAlServidor(const QString& rutaArchivo, const QByteArray& clave,
                                        const QString& conninfo, const QString& contrasena) {
    Database origen;
    origen.abrir(rutaArchivo, clave);
    Database destino;
    destino.abrirServidor(conninfo, contrasena);
    const QString titulo = QStringLiteral("No se pasó el registro al servidor:");
    if (contar(destino, QStringLiteral("SELECT count(*) FROM Infracciones")) > 0 ||
        contar(destino, QStringLiteral("SELECT count(*) FROM Importaciones")) > 0 ||
        contar(destino, QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente <> '----'")) > 0)
        throw ErrorBD(titulo +
                      QStringLiteral(" la base de datos del servidor ya tiene clientes o infracciones. "
                                     "Use una base de datos vacía. No se modificó nada."));
    QStringList repetidos;
    {
        Statement st(origen, QStringLiteral("SELECT NumeroCliente FROM Clientes GROUP BY NumeroCliente "
                                            "HAVING count(*) > 1 ORDER BY NumeroCliente"));
        while (st.paso())
            repetidos << st.texto(0);
    }
    if (!repetidos.isEmpty())
        throw ErrorBD(titulo +
                      QStringLiteral(" el registro local tiene números de cliente repetidos (%1), y en "
                                     "el registro compartido cada número es único. Corrija esos "
                                     "clientes y vuelva a intentarlo. No se modificó nada.")
                          .arg(repetidos.join(QStringLiteral(", "))));

    InformeTraspaso informe;
    Transaccion t(destino);
    // The server's own first rows (placeholder, initial accounts) give way to the file's.
    destino.ejecutar(QStringLiteral("DELETE FROM Clientes"));
    destino.ejecutar(QStringLiteral("DELETE FROM PassUsuarios"));
    for (const char* tabla : kTablas)
        copiarTabla(origen, destino, QString::fromLatin1(tabla));
    // Ids went in as they were: the next ones continue after them.
    for (const char* tabla : {"Clientes", "Infracciones", "PassUsuarios", "Importaciones"})
        destino.ejecutar(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'), "
                                        "coalesce((SELECT max(id) FROM %1), 0) + 1, false)")
                             .arg(QString::fromLatin1(tabla).toLower()));
    QStringList diferencias;
    for (const char* tabla : kTablas) {
        const QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(QString::fromLatin1(tabla));
        const qint64 local = contar(origen, sql);
        const qint64 servidor = contar(destino, sql);
        if (local != servidor)
            diferencias << QStringLiteral("%1: %2 en el archivo, %3 en el servidor")
                               .arg(QString::fromLatin1(tabla))
                               .arg(local)
                               .arg(servidor);
    }
    // Every kept original, read back from the server, must still be the file that was imported.
    Statement originales(destino,
                         QStringLiteral("SELECT i.Id, i.Tamano, i.Sha256, o.Datos FROM Importaciones i "
                                        "JOIN OriginalesImportacion o ON o.IdImportacion = i.Id "
                                        "ORDER BY i.Id"));
    while (originales.paso()) {
        const QByteArray datos = qUncompress(originales.blob(3));
        if (datos.size() != originales.entero(1) || HuellaSha256(datos) != originales.texto(2))
            diferencias
                << QStringLiteral("el original de la importación %1 no coincide").arg(originales.entero(0));
        else
            ++informe.originales;
    }
    if (!diferencias.isEmpty())
        throw ErrorBD(titulo +
                      QStringLiteral(" la copia en el servidor no coincide con el archivo (%1). No se "
                                     "guardó nada en el servidor.")
                          .arg(diferencias.join(QStringLiteral("; "))));
    informe.clientes =
        contar(destino, QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente <> '----'"));
    informe.infracciones = contar(destino, QStringLiteral("SELECT count(*) FROM Infracciones"));
    informe.cuentas = contar(destino, QStringLiteral("SELECT count(*) FROM PassUsuarios"));
    informe.importaciones = contar(destino, QStringLiteral("SELECT count(*) FROM Importaciones"));
    t.confirmar();
    return informe;
}
