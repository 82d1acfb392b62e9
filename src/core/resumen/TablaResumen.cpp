#include "core/resumen/TablaResumen.h"

#include "core/actividad/CadenaActividad.h"
#include "core/actividad/CodigoVerificacion.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonObject>

namespace {
QString fecha(const QDate& d) {
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}
} // namespace

QString TituloColumnaResumen(int col) {
    if (col >= ColResumen::PrimerEstatus && col < ColResumen::Manipulacion)
        return QString::fromLatin1(
            kEstatusResumen[static_cast<std::size_t>(col - ColResumen::PrimerEstatus)]);
    switch (col) {
    case ColResumen::Numero:
        return QStringLiteral("Cliente");
    case ColResumen::Nombre:
        return QStringLiteral("Nombre");
    case ColResumen::Local:
        return QStringLiteral("Local");
    case ColResumen::Manipulacion:
        return QStringLiteral("Manipulación");
    case ColResumen::Total:
        return QStringLiteral("Total");
    case ColResumen::NivelMaximo:
        return QStringLiteral("Nivel máx. dB");
    case ColResumen::Excesos:
        return QStringLiteral("Sobre máx. dB");
    case ColResumen::UltimaInspeccion:
        return QStringLiteral("Última inspección");
    case ColResumen::AnteriorInspeccion:
        return QStringLiteral("Inspección anterior");
    case ColResumen::DiasSinInspeccion:
        return QStringLiteral("Días sin inspección");
    case ColResumen::TotalAnterior:
        return QStringLiteral("Período anterior");
    case ColResumen::Cambio:
        return QStringLiteral("Cambio");
    default:
        return QString();
    }
}

bool ColumnaNumericaResumen(int col) {
    return col >= ColResumen::PrimerEstatus && col <= ColResumen::TotalAnterior &&
           col != ColResumen::UltimaInspeccion && col != ColResumen::AnteriorInspeccion;
}

QVariant ValorResumen(const FilaResumen& f, int col, const QDate& hoy) {
    if (col >= ColResumen::PrimerEstatus && col < ColResumen::Manipulacion)
        return f.porEstatus[static_cast<std::size_t>(col - ColResumen::PrimerEstatus)];
    switch (col) {
    case ColResumen::Numero:
        return f.numero;
    case ColResumen::Nombre:
        return f.nombre;
    case ColResumen::Local:
        return f.local;
    case ColResumen::Manipulacion:
        return f.manipulacion();
    case ColResumen::Total:
        return f.total;
    case ColResumen::NivelMaximo:
        return f.nivelMaximo ? QVariant(static_cast<qint64>(*f.nivelMaximo)) : QVariant();
    case ColResumen::Excesos:
        return f.excesos;
    case ColResumen::UltimaInspeccion:
        return f.ultimaInspeccion.isValid() ? QVariant(fecha(f.ultimaInspeccion)) : QVariant();
    case ColResumen::AnteriorInspeccion:
        return f.anteriorInspeccion.isValid() ? QVariant(fecha(f.anteriorInspeccion)) : QVariant();
    case ColResumen::DiasSinInspeccion: {
        const auto dias = f.diasSinInspeccion(hoy);
        return dias ? QVariant(*dias) : QVariant();
    }
    case ColResumen::TotalAnterior:
        return f.totalAnterior;
    case ColResumen::Cambio:
        return TextoTendencia(f.tendencia());
    default:
        return QVariant();
    }
}

QString TextoResumen(const FilaResumen& fila, int col, const QDate& hoy) {
    const QVariant v = ValorResumen(fila, col, hoy);
    return v.isNull() ? QString() : v.toString();
}

QString TextoPeriodo(const PeriodoResumen& p) {
    return QStringLiteral("%1 al %2").arg(fecha(p.desde), fecha(p.hasta));
}

DocumentoResumen DocumentoDe(const ResumenOficina& resumen, std::vector<FilaResumen> filas) {
    DocumentoResumen d;
    d.periodo = resumen.periodo;
    d.anterior = resumen.anterior;
    d.hoy = resumen.hoy;
    d.filas = std::move(filas);
    return d;
}

QString DigestResumen(const std::vector<FilaResumen>& filas, const QDate& hoy) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (const FilaResumen& f : filas) {
        for (int c = 0; c < ColResumen::Cantidad; ++c) {
            if (c == ColResumen::DiasSinInspeccion)
                continue;
            h.addData(TextoResumen(f, c, hoy).toUtf8());
            h.addData(QByteArrayView("\x1f"));
        }
        h.addData(QByteArrayView("\x1e"));
    }
    return QString::fromLatin1(h.result().toHex());
}

EmisionPreparada SellarDocumentoResumen(Conexion& db, const QString& identidad, DocumentoResumen& d,
                                        const QString& salida) {
    const CabezaCadena cabeza = LeerCabeza(db);
    const QString digest = DigestResumen(d.filas, d.hoy);
    // No client: a summary's code can never be a client document's.
    const ContenidoDocumento contenido{identidad, QString(),        d.periodo.desde, d.periodo.hasta,
                                       digest,    cabeza.secuencia, cabeza.hash};
    EmisionPreparada e;
    e.sello = {CalcularCodigoVerificacion(contenido), identidad, cabeza.secuencia, cabeza.hash};
    e.usuario = d.usuario;
    QJsonArray clientes;
    for (const FilaResumen& f : d.filas)
        clientes.append(f.numero);
    e.detalles = QJsonObject{{QStringLiteral("codigo"), e.sello.codigo},
                             {QStringLiteral("tipo"), QStringLiteral("resumen")},
                             {QStringLiteral("salida"), salida},
                             {QStringLiteral("desde"), d.periodo.desde.toString(Qt::ISODate)},
                             {QStringLiteral("hasta"), d.periodo.hasta.toString(Qt::ISODate)},
                             {QStringLiteral("filas"), static_cast<qint64>(d.filas.size())},
                             {QStringLiteral("clientes"), clientes},
                             {QStringLiteral("digest"), digest},
                             {QStringLiteral("cabeza_secuencia"), cabeza.secuencia},
                             {QStringLiteral("cabeza_hash"), cabeza.hash},
                             {QStringLiteral("registro"), identidad},
                             {QStringLiteral("origen"), d.origen}};
    d.sello = e.sello;
    return e;
}
