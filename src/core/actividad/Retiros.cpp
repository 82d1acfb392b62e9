#include "core/actividad/Retiros.h"

#include "core/actividad/CadenaActividad.h"
#include "core/actividad/DigestFilas.h"
#include "core/actividad/EntradasActividad.h"
#include "core/import/Importacion.h"
#include "core/import/RegistroImportaciones.h"
#include "core/store/Conexion.h"
#include "core/store/ResumenMensual.h"
#include "core/store/Sentencias.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QSysInfo>

#include <optional>

const QString kFaltaMotivo = QStringLiteral("Escriba el motivo de la eliminación: es obligatorio.");

namespace {

QStringList valores(const FilaInfraccion& f) {
    return {
        f.numeroCliente,        f.fecha,      f.hora,       f.nivelDb, f.microfono, f.estado, f.tensionLinea,
        f.porcentajeCompresion, f.inspector,  f.maxDb,      f.dbAten,  f.excesos,   f.calDb,  f.segPenal,
        f.nivelConsola,         f.nivelRuido, f.contadorInf};
}

QStringList valoresDe(const Sentencia& st) {
    QStringList v;
    for (int i = 0; i < kCantidadColumnasDigest; ++i)
        v << st.texto(i);
    return v;
}

void comprobarMotivo(const QString& motivo) {
    if (motivo.trimmed().isEmpty())
        throw ErrorBD(kFaltaMotivo);
}

ImportacionRegistrada importacion(Conexion& db, qint64 id) {
    const std::vector<ImportacionRegistrada> r = ImportacionesPorId(db, {id});
    if (r.empty())
        throw ErrorBD(QStringLiteral("La importación %1 no está en el registro.").arg(id));
    return r.front();
}

// The rows of an original, as the import wrote them, one at a time.
class FilasDelOriginal {
public:
    FilasDelOriginal(const QByteArray& datos, const QString& inspector) : dec_(datos), inspector_(inspector) {
        ArchivoImportacion a;
        valido_ = prepararImportacion(datos, a).ok();
        cabecera_ = a.cabecera;
    }
    bool valido() const { return valido_; }
    bool siguiente(QStringList& fila) {
        RegistroInfraccion r;
        if (!valido_ || !dec_.siguiente(r))
            return false;
        fila = valores(valoresInfraccion(cabecera_, r, inspector_));
        return true;
    }

private:
    DecodificadorRegistros dec_;
    QString inspector_;
    CabeceraInspeccion cabecera_;
    bool valido_ = false;
};

// What the withdrawal of one import keeps: its log data, the count and digest of its rows, and
// how to write them again: the records of the original it left out, or, when the rows cannot be
// told from the original, their values.
QJsonObject resumenImportacion(Conexion& db, const ImportacionRegistrada& i) {
    const auto st =
        db.preparar(QStringLiteral("SELECT %1 FROM Infracciones WHERE IdImportacion = ? ORDER BY id")
                        .arg(QLatin1String(kColumnasDigest)));
    st->enlazar(1, i.id);
    DigestFilas digest;
    QJsonArray omitidos;
    QJsonArray todas;
    bool delOriginal = false;
    const Original original = LeerOriginal(db, i);
    std::optional<FilasDelOriginal> archivo;
    if (original.estado == EstadoOriginal::Correcto) {
        archivo.emplace(original.datos, i.usuario);
        delOriginal = archivo->valido();
    }
    qint64 registro = 0;
    QStringList delArchivo;
    while (st->paso()) {
        const QStringList fila = valoresDe(*st);
        digest.agregar(fila);
        todas.append(QJsonArray::fromStringList(fila));
        // The stored rows are the original's records in order, some left out.
        while (delOriginal) {
            if (!archivo->siguiente(delArchivo)) {
                delOriginal = false;
                break;
            }
            if (delArchivo == fila) {
                ++registro;
                break;
            }
            omitidos.append(registro++);
        }
    }
    while (delOriginal && archivo->siguiente(delArchivo))
        omitidos.append(registro++);
    QJsonObject r{{QStringLiteral("importacion"), i.id},
                  {QStringLiteral("cliente"), i.numeroCliente},
                  {QStringLiteral("archivo"), i.nombreArchivo},
                  {QStringLiteral("sha256"), i.sha256},
                  {QStringLiteral("tamano"), i.tamano},
                  {QStringLiteral("registros"), i.registros},
                  {QStringLiteral("guardados"), i.guardados},
                  {QStringLiteral("omitidos"), i.omitidos},
                  {QStringLiteral("primer_registro"), i.primerRegistro},
                  {QStringLiteral("ultimo_registro"), i.ultimoRegistro},
                  {QStringLiteral("fecha_inspeccion"), i.fechaInspeccion},
                  {QStringLiteral("hora_inspeccion"), i.horaInspeccion},
                  {QStringLiteral("usuario_importacion"), i.usuario},
                  {QStringLiteral("filas"), digest.filas()},
                  {QStringLiteral("digest"), digest.resultado()}};
    if (delOriginal)
        r.insert(QStringLiteral("registros_omitidos"), omitidos);
    else
        r.insert(QStringLiteral("valores"), todas);
    return r;
}

void retirarFilas(Conexion& db, qint64 id) {
    db.ejecutar(QStringLiteral("DELETE FROM Infracciones WHERE IdImportacion = ?"), {id});
    db.ejecutar(QStringLiteral("UPDATE Importaciones SET Retirada = 1 WHERE Id = ?"), {id});
}

bool retirada(Conexion& db, qint64 id) {
    const auto st = db.preparar(QStringLiteral("SELECT Retirada FROM Importaciones WHERE Id = ?"));
    st->enlazar(1, id);
    return st->paso() && st->entero(0) != 0;
}

// The import's part of the entry that withdrew it last (its own or its client's).
std::optional<std::pair<qint64, QJsonObject>> ultimoRetiro(Conexion& db, qint64 id) {
    std::optional<std::pair<qint64, QJsonObject>> r;
    const auto st = db.preparar(QStringLiteral(
        "SELECT Secuencia, Accion, Detalles FROM RegistroActividad WHERE Accion IN ('importacion.retirada', "
        "'cliente.baja') ORDER BY Secuencia"));
    while (st->paso()) {
        const QJsonObject d = QJsonDocument::fromJson(st->texto(2).toUtf8()).object();
        if (st->texto(1) == QLatin1String("importacion.retirada")) {
            if (d.value(QStringLiteral("importacion")).toInteger() == id)
                r.emplace(st->entero(0), d);
            continue;
        }
        for (const QJsonValue& v : d.value(QStringLiteral("importaciones")).toArray())
            if (v.toObject().value(QStringLiteral("importacion")).toInteger() == id)
                r.emplace(st->entero(0), v.toObject());
    }
    return r;
}

} // namespace

qint64 RetirarImportacion(Conexion& db, const QString& usuario, qint64 id, const QString& motivo) {
    comprobarMotivo(motivo);
    if (db.sesionEnServidor()) {
        // Evidence is removed only by the server's function, which checks the login's role and
        // writes the entry under the server's session user.
        const auto st = db.preparar(QStringLiteral("SELECT velmora_eliminar_importacion(?, ?, ?, ?)"));
        st->enlazarTodos({id, motivo.trimmed(), QSysInfo::machineHostName(), usuario});
        return st->paso() ? st->entero(0) : 0;
    }
    Transaccion t(db);
    const ImportacionRegistrada i = importacion(db, id);
    if (retirada(db, id))
        throw ErrorBD(QStringLiteral("La importación %1 ya estaba eliminada.").arg(id));
    QJsonObject detalles = resumenImportacion(db, i);
    detalles.insert(QStringLiteral("motivo"), motivo.trimmed());
    detalles.insert(QStringLiteral("datos_cliente"), DatosClientePorNumero(db, i.numeroCliente));
    retirarFilas(db, id);
    const qint64 filas = detalles.value(QStringLiteral("filas")).toInteger();
    AgregarEntrada(db, usuario, QStringLiteral("importacion.retirada"), QString::number(id), detalles);
    t.confirmar();
    return filas;
}

qint64 RestituirImportacion(Conexion& db, const QString& usuario, qint64 id) {
    if (db.sesionEnServidor()) {
        // The server writes the rows back from what its own withdrawal kept, checks them and logs
        // the restitution under its session user.
        const auto st = db.preparar(QStringLiteral("SELECT velmora_restituir_importacion(?, ?, ?)"));
        st->enlazarTodos({id, QSysInfo::machineHostName(), usuario});
        return st->paso() ? st->entero(0) : 0;
    }
    Transaccion t(db);
    const ImportacionRegistrada i = importacion(db, id);
    if (!retirada(db, id))
        throw ErrorBD(
            QStringLiteral("La importación %1 no está eliminada: no hay nada que restituir.").arg(id));
    const auto retiro = ultimoRetiro(db, id);
    if (!retiro)
        throw ErrorBD(
            QStringLiteral("El registro de actividad no tiene la eliminación de la importación %1: no "
                           "se puede restituir.")
                .arg(id));
    const QJsonObject& guardado = retiro->second;
    const auto insertar = db.preparar(Sentencias::insertarInfraccionImportada());
    DigestFilas digest;
    const auto escribir = [&](const QStringList& fila) {
        insertar->reiniciar();
        for (int k = 0; k < kCantidadColumnasDigest; ++k)
            insertar->enlazar(k + 1, fila.value(k));
        insertar->enlazar(kCantidadColumnasDigest + 1, id);
        while (insertar->paso()) {
        }
        digest.agregar(fila);
    };
    if (guardado.contains(QStringLiteral("valores"))) {
        for (const QJsonValue& v : guardado.value(QStringLiteral("valores")).toArray()) {
            QStringList fila;
            for (const QJsonValue& c : v.toArray())
                fila << c.toString();
            escribir(fila);
        }
    } else {
        const Original original = LeerOriginal(db, i);
        if (original.estado != EstadoOriginal::Correcto)
            throw ErrorBD(
                QStringLiteral("El original guardado de la importación %1 falta o está dañado: no se "
                               "puede restituir.")
                    .arg(id));
        QSet<qint64> omitidos;
        for (const QJsonValue& v : guardado.value(QStringLiteral("registros_omitidos")).toArray())
            omitidos.insert(v.toInteger());
        FilasDelOriginal archivo(original.datos, i.usuario);
        QStringList fila;
        for (qint64 k = 0; archivo.siguiente(fila); ++k)
            if (!omitidos.contains(k))
                escribir(fila);
    }
    const qint64 filas = digest.filas();
    const QString resultado = digest.resultado();
    if (filas != guardado.value(QStringLiteral("filas")).toInteger() ||
        resultado != guardado.value(QStringLiteral("digest")).toString())
        throw ErrorBD(
            QStringLiteral("Las filas de la importación %1 no coinciden con las que se eliminaron: no se "
                           "restituyó nada.")
                .arg(id));
    IncorporarFilasNuevas(db);
    db.ejecutar(QStringLiteral("UPDATE Importaciones SET Retirada = 0 WHERE Id = ?"), {id});
    AgregarEntrada(db, usuario, QStringLiteral("importacion.restituida"), QString::number(id),
                   {{QStringLiteral("importacion"), id},
                    {QStringLiteral("cliente"), i.numeroCliente},
                    {QStringLiteral("sha256"), i.sha256},
                    {QStringLiteral("filas"), filas},
                    {QStringLiteral("digest"), resultado},
                    {QStringLiteral("eliminada_en"), retiro->first}});
    t.confirmar();
    return filas;
}

void RetirarCliente(Conexion& db, const QString& usuario, const QString& numeroCliente, qint64 id,
                    const QString& motivo) {
    comprobarMotivo(motivo);
    if (db.sesionEnServidor()) {
        db.ejecutar(QStringLiteral("SELECT velmora_eliminar_cliente(?, ?, ?, ?)"),
                    {id, motivo.trimmed(), QSysInfo::machineHostName(), usuario});
        return;
    }
    Transaccion t(db);
    // The client row first: on the server that locks it, so an import for the same client either
    // finished before (and its rows go too) or waits and then finds the client gone.
    db.ejecutar(QStringLiteral("UPDATE Clientes SET Version = Version + 1 WHERE Id = ?"), {id});
    if (db.filasAfectadas() == 0)
        throw ErrorBD(
            QStringLiteral("El cliente ya no está en el registro (otro puesto pudo haberlo eliminado)."));
    const QJsonObject datos = DatosCliente(db, id);
    const Consulta cliente = Sentencias::borrarCliente(id);
    db.ejecutar(cliente.sql, cliente.parametros);
    QJsonArray importaciones;
    for (const ImportacionRegistrada& i : ImportacionesCliente(db, numeroCliente)) {
        if (retirada(db, i.id))
            continue;
        importaciones.append(resumenImportacion(db, i));
        retirarFilas(db, i.id);
    }
    // Rows without an original (from before the log): kept value by value.
    DigestFilas digest;
    QJsonArray sinOriginal;
    {
        const auto st =
            db.preparar(QStringLiteral("SELECT %1 FROM Infracciones WHERE NumeroCliente = ? ORDER BY id")
                            .arg(QLatin1String(kColumnasDigest)));
        st->enlazar(1, numeroCliente);
        while (st->paso()) {
            const QStringList fila = valoresDe(*st);
            digest.agregar(fila);
            sinOriginal.append(QJsonArray::fromStringList(fila));
        }
    }
    const Consulta infracciones = Sentencias::borrarInfraccionesCliente(numeroCliente);
    db.ejecutar(infracciones.sql, infracciones.parametros);
    AgregarEntrada(db, usuario, QStringLiteral("cliente.baja"), numeroCliente,
                   {{QStringLiteral("motivo"), motivo.trimmed()},
                    {QStringLiteral("id"), id},
                    {QStringLiteral("datos"), datos},
                    {QStringLiteral("importaciones"), importaciones},
                    {QStringLiteral("filas_sin_original"), digest.filas()},
                    {QStringLiteral("digest_sin_original"), digest.resultado()},
                    {QStringLiteral("valores_sin_original"), sinOriginal}});
    t.confirmar();
}
