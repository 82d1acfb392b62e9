#include "core/store/PasarRegistro.h"

#include "core/actividad/CadenaActividad.h"
#include "core/import/ArchivoInspeccion.h"
#include "core/store/ConexionPostgres.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Dialecto.h"
#include "core/store/DialectoPostgres.h"
#include "core/store/SentenciasTraspaso.h"

#include <QDir>

namespace {

const char* const kTablas[] = {"Clientes", "Infracciones", "PassUsuarios", "Importaciones",
                               "OriginalesImportacion"};

qint64 contar(Conexion& db, const QString& sql) {
    const auto st = db.preparar(sql);
    return st->paso() ? st->entero(0) : 0;
}

void copiarTabla(Conexion& origen, Conexion& destino, const QString& tabla) {
    const auto leer = origen.preparar(SentenciasTraspaso::leerTabla(tabla));
    const int n = leer->columnas();
    QStringList columnas;
    for (int i = 0; i < n; ++i)
        columnas << destino.dialecto().nombreColumna(leer->nombreColumna(i));
    const bool blob = tabla == QLatin1String("OriginalesImportacion");
    const auto escribir = destino.preparar(SentenciasTraspaso::insertarFila(tabla, columnas));
    while (leer->paso()) {
        escribir->reiniciar();
        for (int i = 0; i < n; ++i) {
            if (leer->esNulo(i))
                escribir->enlazar(i + 1, QVariant());
            else if (blob && columnas.at(i) == QLatin1String("datos"))
                escribir->enlazarBlob(i + 1, leer->blob(i));
            else
                escribir->enlazar(i + 1, leer->texto(i));
        }
        while (escribir->paso()) {
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
                                        const QString& conninfo, const QString& contrasena,
                                        const QString& usuario) {
    ConexionSqlcipher origen(rutaArchivo, clave);
    ConexionPostgres destino(conninfo, contrasena);
    const QString titulo = QStringLiteral("No se pasó el registro al servidor:");
    if (contar(destino, SentenciasTraspaso::contar(QStringLiteral("Infracciones"))) > 0 ||
        contar(destino, SentenciasTraspaso::contar(QStringLiteral("Importaciones"))) > 0 ||
        contar(destino, SentenciasTraspaso::contarClientes()) > 0 ||
        contar(destino, SentenciasTraspaso::contar(QStringLiteral("RegistroActividad"))) > 0)
        throw ErrorBD(titulo +
                      QStringLiteral(" la base de datos del servidor ya tiene clientes o infracciones. "
                                     "Use una base de datos vacía. No se modificó nada."));
    QStringList repetidos;
    {
        const auto st = origen.preparar(SentenciasTraspaso::numerosRepetidos());
        while (st->paso())
            repetidos << st->texto(0);
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
    for (const QString& sql : SentenciasTraspaso::vaciarFilasIniciales())
        destino.ejecutar(sql);
    for (const char* tabla : kTablas)
        copiarTabla(origen, destino, QString::fromLatin1(tabla));
    // Ids went in as they were: the next ones continue after them.
    for (const char* tabla : {"Clientes", "Infracciones", "PassUsuarios", "Importaciones"})
        destino.ejecutar(SentenciasTraspaso::continuarIds(QString::fromLatin1(tabla)));
    // The log as it is, into the server's empty one: its trigger checks each entry chains.
    destino.ejecutar(DialectoPostgres::copiaLiteralActividad());
    try {
        RecorrerEntradas(origen, [&](const EntradaActividad& e) {
            CopiarEntrada(destino, e);
            ++informe.entradas;
            return true;
        });
    } catch (const ErrorBD& e) {
        throw ErrorBD(titulo + QStringLiteral(" el registro de actividad del archivo no está completo o fue "
                                              "modificado (%1). No se guardó nada en el servidor.")
                                   .arg(e.detalles().isEmpty() ? e.descripcion() : e.detalles()),
                      e.detalles());
    }
    destino.ejecutar(QStringLiteral("SELECT set_config('velmora.copia_literal', '', true)"));
    // The register keeps its identity where it goes: codes issued from it still name it.
    destino.ejecutar(QStringLiteral("DELETE FROM IdentidadRegistro"));
    {
        const auto leer = origen.preparar(QStringLiteral("SELECT Identidad, Creada FROM IdentidadRegistro"));
        while (leer->paso())
            destino.ejecutar(
                QStringLiteral("INSERT INTO IdentidadRegistro (Identidad, Creada) VALUES (?, ?)"),
                {leer->texto(0), leer->texto(1)});
    }
    QStringList diferencias;
    for (const char* tabla : {"Clientes", "Infracciones", "PassUsuarios", "Importaciones",
                              "OriginalesImportacion", "RegistroActividad", "IdentidadRegistro"}) {
        const QString sql = SentenciasTraspaso::contar(QString::fromLatin1(tabla));
        const qint64 local = contar(origen, sql);
        const qint64 servidor = contar(destino, sql);
        if (local != servidor)
            diferencias << QStringLiteral("%1: %2 en el archivo, %3 en el servidor")
                               .arg(QString::fromLatin1(tabla))
                               .arg(local)
                               .arg(servidor);
    }
    // Every kept original, read back from the server, must still be the file that was imported.
    const auto originales = destino.preparar(SentenciasTraspaso::originales());
    while (originales->paso()) {
        const QByteArray datos = qUncompress(originales->blob(3));
        if (datos.size() != originales->entero(1) || HuellaSha256(datos) != originales->texto(2))
            diferencias
                << QStringLiteral("el original de la importación %1 no coincide").arg(originales->entero(0));
        else
            ++informe.originales;
    }
    if (!diferencias.isEmpty())
        throw ErrorBD(titulo +
                      QStringLiteral(" la copia en el servidor no coincide con el archivo (%1). No se "
                                     "guardó nada en el servidor.")
                          .arg(diferencias.join(QStringLiteral("; "))));
    informe.clientes = contar(destino, SentenciasTraspaso::contarClientes());
    informe.infracciones = contar(destino, SentenciasTraspaso::contar(QStringLiteral("Infracciones")));
    informe.cuentas = contar(destino, SentenciasTraspaso::contar(QStringLiteral("PassUsuarios")));
    informe.importaciones = contar(destino, SentenciasTraspaso::contar(QStringLiteral("Importaciones")));
    const CabezaCadena cabeza = LeerCabeza(origen);
    AgregarEntrada(destino, usuario, QStringLiteral("registro.traspaso"), destino.ruta(),
                   {{QStringLiteral("archivo"), QDir::toNativeSeparators(rutaArchivo)},
                    {QStringLiteral("entradas"), informe.entradas},
                    {QStringLiteral("cabeza_secuencia"), cabeza.secuencia},
                    {QStringLiteral("cabeza_hash"), cabeza.hash},
                    {QStringLiteral("clientes"), informe.clientes},
                    {QStringLiteral("infracciones"), informe.infracciones},
                    {QStringLiteral("importaciones"), informe.importaciones}});
    t.confirmar();
    return informe;
}
