#include "core/actividad/EmisionDocumentos.h"

#include "core/actividad/CadenaActividad.h"
#include "core/actividad/CodigoVerificacion.h"
#include "core/actividad/DigestFilas.h"
#include "core/clients/FilasInfraccion.h"
#include "core/store/Conexion.h"
#include "core/store/ErrorBD.h"
#include "core/store/Sentencias.h"

#include <QJsonObject>

#include <map>
#include <memory>

QJsonArray GruposJson(const std::vector<GrupoFilas>& grupos) {
    QJsonArray a;
    for (const GrupoFilas& g : grupos)
        a.append(QJsonObject{{QStringLiteral("importacion"), g.importacion},
                             {QStringLiteral("filas"), g.filas},
                             {QStringLiteral("digest"), g.digest}});
    return a;
}

std::vector<GrupoFilas> GruposDeJson(const QJsonArray& json) {
    std::vector<GrupoFilas> grupos;
    for (const QJsonValue& v : json) {
        const QJsonObject o = v.toObject();
        grupos.push_back({o.value(QStringLiteral("importacion")).toInteger(),
                          o.value(QStringLiteral("filas")).toInteger(),
                          o.value(QStringLiteral("digest")).toString()});
    }
    return grupos;
}

std::vector<qint64> IdsListados(const FilasInfraccion& filas) {
    std::vector<qint64> ids;
    for (std::size_t i = 0; i < filas.size(); ++i) {
        if (filas.separador(i) || filas.oculta(i))
            continue;
        const QByteArrayView id = filas.utf8(i, ColInfraccion::Id);
        ids.push_back(QByteArray(id.data(), id.size()).toLongLong());
    }
    return ids;
}

FilasDocumento LeerFilasDocumento(Conexion& db, const QString& cliente, const std::vector<qint64>& ids) {
    // The view lists the rows by ascending id: the stored rows are walked once alongside.
    const std::unique_ptr<Sentencia> st = db.preparar(
        QStringLiteral("SELECT id, IdImportacion, %1 FROM Infracciones WHERE NumeroCliente = ? ORDER BY id")
            .arg(QLatin1String(kColumnasDigest)));
    st->enlazar(1, cliente);
    DigestFilas todas;
    std::map<qint64, DigestFilas> porImportacion;
    std::size_t siguiente = 0;
    while (siguiente < ids.size() && st->paso()) {
        const qint64 id = st->entero(0);
        if (id < ids[siguiente])
            continue;
        if (id > ids[siguiente])
            break;
        todas.agregar(*st, 2);
        porImportacion[st->esNulo(1) ? 0 : st->entero(1)].agregar(*st, 2);
        ++siguiente;
    }
    if (siguiente < ids.size())
        throw ErrorBD(
            QStringLiteral("Las infracciones del cliente %1 cambiaron desde que se leyeron (otro puesto "
                           "importó o eliminó datos). Pulse \"Reordenar Datos\" y vuelva a intentarlo.")
                .arg(cliente));
    FilasDocumento f;
    f.filas = todas.filas();
    f.digest = todas.resultado();
    for (auto& [importacion, digest] : porImportacion)
        f.grupos.push_back({importacion, digest.filas(), digest.resultado()});
    return f;
}

FilasDocumento FilasListadasAhora(Conexion& db, const QString& cliente, const QDate& desde,
                                  const QDate& hasta) {
    // The same rows the view lists for that range: its reading and its date filter.
    FilasInfraccion filas = FilasInfraccion::Leer(db, Sentencias::infraccionesCliente(cliente));
    filas.filtrarPorFechas(desde, hasta);
    return LeerFilasDocumento(db, cliente, IdsListados(filas));
}

EmisionPreparada PrepararEmision(Conexion& db, const QString& usuario, const QString& identidad,
                                 const PedidoEmision& pedido) {
    // One reading: the rows and the head belong together.
    Transaccion t(db);
    const FilasDocumento filas = LeerFilasDocumento(db, pedido.cliente, pedido.ids);
    const CabezaCadena cabeza = LeerCabeza(db);
    t.confirmar();
    ContenidoDocumento contenido{identidad,    pedido.cliente,   pedido.desde, pedido.hasta,
                                 filas.digest, cabeza.secuencia, cabeza.hash};
    const QString codigo = CalcularCodigoVerificacion(contenido);
    EmisionPreparada e;
    e.sello = {codigo, identidad, cabeza.secuencia, cabeza.hash};
    e.usuario = usuario;
    e.cliente = pedido.cliente;
    e.ids = pedido.ids;
    e.detalles = QJsonObject{{QStringLiteral("codigo"), codigo},
                             {QStringLiteral("tipo"), pedido.tipo},
                             {QStringLiteral("cliente"), pedido.cliente},
                             {QStringLiteral("desde"), pedido.desde.toString(Qt::ISODate)},
                             {QStringLiteral("hasta"), pedido.hasta.toString(Qt::ISODate)},
                             {QStringLiteral("filas"), filas.filas},
                             {QStringLiteral("digest"), filas.digest},
                             {QStringLiteral("grupos"), GruposJson(filas.grupos)},
                             {QStringLiteral("cabeza_secuencia"), cabeza.secuencia},
                             {QStringLiteral("cabeza_hash"), cabeza.hash},
                             {QStringLiteral("registro"), identidad},
                             {QStringLiteral("origen"), pedido.origen}};
    return e;
}

void AnotarEmision(Conexion& db, const EmisionPreparada& emision,
                   const std::function<void()>& antesDeConfirmar) {
    Transaccion t(db);
    // Another desk may have changed the rows while the document was written: its code would
    // then stand for rows the register no longer holds.
    if (!emision.cliente.isEmpty() && LeerFilasDocumento(db, emision.cliente, emision.ids).digest !=
                                          emision.detalles.value(QStringLiteral("digest")).toString())
        throw ErrorBD(QStringLiteral("Las infracciones del cliente %1 cambiaron mientras se escribía el "
                                     "documento (otro puesto las modificó). Vuelva a generarlo.")
                          .arg(emision.cliente));
    AgregarEntrada(db, emision.usuario, QStringLiteral("documento.emitido"), emision.sello.codigo,
                   emision.detalles);
    if (antesDeConfirmar)
        antesDeConfirmar();
    t.confirmar();
}

SelloVerificacion EmitirDocumento(Conexion& db, const QString& usuario, const QString& identidad,
                                  const PedidoEmision& pedido) {
    const EmisionPreparada e = PrepararEmision(db, usuario, identidad, pedido);
    AnotarEmision(db, e);
    return e.sello;
}
