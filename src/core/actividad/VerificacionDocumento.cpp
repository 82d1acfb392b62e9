#include "core/actividad/VerificacionDocumento.h"

#include "core/actividad/CadenaActividad.h"
#include "core/actividad/CodigoVerificacion.h"
#include "core/actividad/EmisionDocumentos.h"
#include "core/resumen/TablaResumen.h"
#include "core/store/Conexion.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>
#include <memory>
#include <optional>

namespace {

struct Asiento {
    qint64 secuencia = 0;
    QString momentoLocal;
    QString usuario;
    QString accion;
    QString objeto;
    QJsonObject detalles;
};

Asiento leerAsiento(const Sentencia& st) {
    return {st.entero(0), st.texto(1), st.texto(2),
            st.texto(3),  st.texto(4), QJsonDocument::fromJson(st.texto(5).toUtf8()).object()};
}

const QString kColumnas = QStringLiteral("Secuencia, MomentoLocal, Usuario, Accion, Objeto, Detalles");

std::optional<QString> hashDeAsiento(Conexion& db, qint64 secuencia) {
    if (secuencia == 0)
        return HashInicial();
    const std::unique_ptr<Sentencia> st =
        db.preparar(QStringLiteral("SELECT Hash FROM RegistroActividad WHERE Secuencia = ?"));
    st->enlazar(1, secuencia);
    if (!st->paso())
        return {};
    return st->texto(0);
}

QString fecha(const QString& iso) {
    return QDate::fromString(iso, Qt::ISODate).toString(QStringLiteral("dd/MM/yyyy"));
}

QString momento(const QString& local) {
    const QDateTime m = QDateTime::fromString(local, Qt::ISODateWithMs);
    return m.isValid() ? m.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : local;
}

QString filas(qint64 n) {
    return n == 1 ? QStringLiteral("1 fila") : QStringLiteral("%1 filas").arg(n);
}

QString grupo(qint64 importacion) {
    return importacion == 0 ? QStringLiteral("anteriores al registro de importaciones")
                            : QStringLiteral("de la importación %1").arg(importacion);
}

// Whether an entry after the issue touches the client's rows.
bool tocaCliente(const Asiento& a, const QString& cliente) {
    static const QStringList acciones = {QStringLiteral("importacion"),
                                         QStringLiteral("importacion.retirada"),
                                         QStringLiteral("importacion.restituida"),
                                         QStringLiteral("cliente.baja"),
                                         QStringLiteral("cliente.cambio"),
                                         QStringLiteral("copia.restaurada"),
                                         QStringLiteral("registro.traspaso")};
    if (!acciones.contains(a.accion))
        return false;
    if (a.accion == QLatin1String("copia.restaurada") || a.accion == QLatin1String("registro.traspaso"))
        return true;
    if (a.objeto == cliente)
        return true;
    for (const char* clave : {"cliente", "numero", "NumeroCliente", "numero_cliente"}) {
        const QJsonValue v = a.detalles.value(QLatin1String(clave));
        if (v.toString() == cliente || (v.isDouble() && QString::number(v.toInteger()) == cliente))
            return true;
    }
    return false;
}

QString clientes(qint64 n) {
    return n == 1 ? QStringLiteral("1 cliente") : QStringLiteral("%1 clientes").arg(n);
}

// A summary: the register must still give the same numbers for the same clients, in the order the
// document lists them.
VerificacionDocumento verificarResumen(Conexion& db, const QJsonObject& d, QStringList texto) {
    using V = VerificacionDocumento;
    const PeriodoResumen periodo{QDate::fromString(d.value(QStringLiteral("desde")).toString(), Qt::ISODate),
                                 QDate::fromString(d.value(QStringLiteral("hasta")).toString(), Qt::ISODate)};
    // The days without inspection are left out of the digest: any day gives the same.
    const QDate hoy = QDate::currentDate();
    // From the rows themselves: the monthly counts beside them are no evidence.
    const std::optional<ResumenOficina> ahora = CalcularResumen(db, periodo, hoy, {}, true);
    std::map<QString, const FilaResumen*> porNumero;
    for (const FilaResumen& f : ahora->filas)
        porNumero[f.numero] = &f;
    std::vector<FilaResumen> filas;
    QStringList faltan;
    for (const QJsonValue& v : d.value(QStringLiteral("clientes")).toArray()) {
        const auto it = porNumero.find(v.toString());
        if (it == porNumero.end())
            faltan << v.toString();
        else
            filas.push_back(*it->second);
    }
    if (faltan.isEmpty() && DigestResumen(filas, hoy) == d.value(QStringLiteral("digest")).toString()) {
        texto << QStringLiteral("El registro sigue dando el mismo resumen para ese período.");
        return {V::Vigente, texto.join(QLatin1Char('\n'))};
    }
    texto << QStringLiteral("El registro ya no da el mismo resumen para ese período: las cifras cambiaron "
                            "después de emitirse.");
    if (!faltan.isEmpty())
        texto << QStringLiteral("Clientes del documento que ya no están en el registro: %1.")
                     .arg(faltan.join(QStringLiteral(", ")));
    return {V::Cambiado, texto.join(QLatin1Char('\n'))};
}

VerificacionDocumento verificarEnRegistro(Conexion& db, const QString& identidad, const DocumentoLeido& doc) {
    using V = VerificacionDocumento;
    if (!doc.error.isEmpty())
        return {V::Ilegible, QStringLiteral("No se pudo verificar %1: %2.").arg(doc.origen, doc.error)};
    if (!doc.identidad.isEmpty() && doc.identidad != identidad)
        return {V::Ajeno,
                QStringLiteral("El documento %1 no fue emitido por este registro: lo emitió el registro "
                               "%2, y este es el registro %3.")
                    .arg(doc.codigo, doc.identidad, identidad)};

    std::optional<Asiento> emision;
    {
        const std::unique_ptr<Sentencia> st = db.preparar(
            QStringLiteral("SELECT %1 FROM RegistroActividad WHERE Accion = 'documento.emitido' AND "
                           "Objeto = ? ORDER BY Secuencia")
                .arg(kColumnas));
        st->enlazar(1, doc.codigo);
        if (st->paso())
            emision = leerAsiento(*st);
    }
    if (!emision) {
        // A document that carries the head it was issued at shows a rewritten log.
        if (doc.secuencia >= 0 && hashDeAsiento(db, doc.secuencia) != doc.hash)
            return {V::Cambiado,
                    QStringLiteral(
                        "El documento %1 dice haber sido emitido por este registro cuando su registro de "
                        "actividad terminaba en el asiento %2 (hash %3), pero el registro ya no tiene ese "
                        "asiento ni la anotación de la emisión: el registro de actividad fue reescrito "
                        "después de emitirse el documento.")
                        .arg(doc.codigo)
                        .arg(doc.secuencia)
                        .arg(doc.hash)};
        return {V::Ajeno,
                QStringLiteral("Este registro no emitió ningún documento con el código %1.").arg(doc.codigo)};
    }

    const QJsonObject& d = emision->detalles;
    const QString cliente = d.value(QStringLiteral("cliente")).toString();
    const qint64 cabeza = d.value(QStringLiteral("cabeza_secuencia")).toInteger();
    const QString cabezaHash = d.value(QStringLiteral("cabeza_hash")).toString();
    const qint64 cuantas = d.value(QStringLiteral("filas")).toInteger();
    const bool esResumen = d.value(QStringLiteral("tipo")).toString() == QLatin1String("resumen");
    QStringList texto;
    if (esResumen)
        texto << QStringLiteral("Emitido por este registro el %1 por %2: resumen de la oficina del %3 al %4, "
                                "%5 (%6, código %7, asiento %8 del registro de actividad).")
                     .arg(momento(emision->momentoLocal), emision->usuario,
                          fecha(d.value(QStringLiteral("desde")).toString()),
                          fecha(d.value(QStringLiteral("hasta")).toString()), clientes(cuantas),
                          d.value(QStringLiteral("salida")).toString(), doc.codigo)
                     .arg(emision->secuencia);
    else
        texto << QStringLiteral(
                     "Emitido por este registro el %1 por %2 para el cliente %3, período del %4 al %5, %6 "
                     "(%7, código %8, asiento %9 del registro de actividad).")
                     .arg(momento(emision->momentoLocal), emision->usuario, cliente,
                          fecha(d.value(QStringLiteral("desde")).toString()),
                          fecha(d.value(QStringLiteral("hasta")).toString()), filas(cuantas),
                          d.value(QStringLiteral("tipo")).toString(), doc.codigo)
                     .arg(emision->secuencia);

    // The entry must still give the code, and the log must still hold the head it was issued at.
    const ContenidoDocumento contenido{
        identidad,
        cliente,
        QDate::fromString(d.value(QStringLiteral("desde")).toString(), Qt::ISODate),
        QDate::fromString(d.value(QStringLiteral("hasta")).toString(), Qt::ISODate),
        d.value(QStringLiteral("digest")).toString(),
        cabeza,
        cabezaHash};
    if (CalcularCodigoVerificacion(contenido) != doc.codigo) {
        texto << QStringLiteral(
                     "Pero la anotación de la emisión (asiento %1) fue alterada: lo que guarda ya no da "
                     "el código %2.")
                     .arg(emision->secuencia)
                     .arg(doc.codigo);
        return {V::Cambiado, texto.join(QLatin1Char('\n'))};
    }
    const std::optional<QString> hashAhora = hashDeAsiento(db, cabeza);
    if (hashAhora != cabezaHash ||
        (doc.secuencia >= 0 && (doc.secuencia != cabeza || doc.hash != cabezaHash))) {
        texto << QStringLiteral(
                     "Pero el registro de actividad fue reescrito después de la emisión: al emitirse, el "
                     "asiento %1 tenía el hash %2; ahora %3.")
                     .arg(cabeza)
                     .arg(cabezaHash, hashAhora ? QStringLiteral("tiene el hash %1").arg(*hashAhora)
                                                : QStringLiteral("no existe"));
        return {V::Cambiado, texto.join(QLatin1Char('\n'))};
    }

    if (esResumen)
        return verificarResumen(db, d, std::move(texto));
    const FilasDocumento ahora = FilasListadasAhora(db, cliente, contenido.desde, contenido.hasta);
    if (ahora.digest == contenido.digest) {
        texto << QStringLiteral("El registro conserva exactamente esas filas.");
        return {V::Vigente, texto.join(QLatin1Char('\n'))};
    }
    texto << QStringLiteral(
                 "El registro ya no conserva exactamente esas filas: ahora lista %1 para ese cliente y "
                 "período.")
                 .arg(filas(ahora.filas));
    std::map<qint64, GrupoFilas> antes;
    for (const GrupoFilas& g : GruposDeJson(d.value(QStringLiteral("grupos")).toArray()))
        antes[g.importacion] = g;
    for (const GrupoFilas& g : ahora.grupos) {
        const auto it = antes.find(g.importacion);
        if (it == antes.end())
            texto << QStringLiteral("Agregadas: %1 %2.").arg(filas(g.filas), grupo(g.importacion));
        else if (it->second.digest != g.digest)
            texto << QStringLiteral("Cambiadas: las filas %1 (%2 al emitirse, %3 ahora).")
                         .arg(grupo(g.importacion), filas(it->second.filas), filas(g.filas));
        if (it != antes.end())
            antes.erase(it);
    }
    for (const auto& [importacion, g] : antes)
        texto << QStringLiteral("Retiradas: %1 %2.").arg(filas(g.filas), grupo(importacion));

    QStringList asientos;
    const std::unique_ptr<Sentencia> st =
        db.preparar(QStringLiteral("SELECT %1 FROM RegistroActividad WHERE Secuencia > ? ORDER BY Secuencia")
                        .arg(kColumnas));
    st->enlazar(1, emision->secuencia);
    while (st->paso()) {
        const Asiento a = leerAsiento(*st);
        if (tocaCliente(a, cliente))
            asientos << QStringLiteral("  asiento %1, %2, %3: %4 %5")
                            .arg(a.secuencia)
                            .arg(momento(a.momentoLocal), a.usuario, a.accion, a.objeto);
    }
    if (asientos.isEmpty())
        texto << QStringLiteral("Ningún asiento del registro de actividad explica el cambio: las filas se "
                                "modificaron fuera del programa.");
    else
        texto << QStringLiteral("Asientos posteriores a la emisión que afectan a esas filas:") << asientos;
    return {V::Cambiado, texto.join(QLatin1Char('\n'))};
}

} // namespace

VerificacionDocumento VerificarDocumento(Conexion& db, const QString& identidad, const DocumentoLeido& doc) {
    VerificacionDocumento r = verificarEnRegistro(db, identidad, doc);
    if (!doc.firma)
        return r;
    const EstadoFirmaPdf& firma = *doc.firma;
    if (!firma.firmado) {
        if (doc.error.isEmpty())
            r.texto += QStringLiteral("\nEl documento no está firmado.");
        return r;
    }
    const bool valida = firma.intacto && !firma.modificadoDespues;
    QStringList texto;
    // A changed file cannot stand for what was signed, whatever its code still says.
    if (!valida)
        texto << QStringLiteral("El documento fue modificado después de firmarlo: no vale como documento "
                                "emitido.");
    texto << r.texto << QString() << QStringLiteral("Firma del documento:") << DescribirFirma(firma);
    r.texto = texto.join(QLatin1Char('\n'));
    if (!valida) {
        r.estado = VerificacionDocumento::Ilegible;
        r.firmaRota = true;
    }
    return r;
}
