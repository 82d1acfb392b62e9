// The report of "Verificar registro" in Spanish and as JSON.

#include "core/actividad/VerificacionRegistro.h"

#include "core/import/RegistroImportaciones.h"

#include <QJsonArray>
#include <QStringList>

namespace {

const char* claveClase(ClaseDiferencia c) {
    switch (c) {
    case ClaseDiferencia::CadenaRota:
        return "cadena_rota";
    case ClaseDiferencia::OriginalFalta:
        return "original_falta";
    case ClaseDiferencia::OriginalAlterado:
        return "original_alterado";
    case ClaseDiferencia::ImportacionAlterada:
        return "importacion_alterada";
    case ClaseDiferencia::FilaCambiada:
        return "fila_cambiada";
    case ClaseDiferencia::FilaFalta:
        return "fila_falta";
    case ClaseDiferencia::FilaSobrante:
        return "fila_sobrante";
    case ClaseDiferencia::FilasAnteriores:
        return "filas_anteriores";
    case ClaseDiferencia::ClienteCambiado:
        return "cliente_cambiado";
    case ClaseDiferencia::ClienteSobrante:
        return "cliente_sobrante";
    case ClaseDiferencia::ClienteFalta:
        return "cliente_falta";
    }
    return "";
}

// yyyymmdd as dd/mm/yyyy and hhmmss as hh:mm:ss; anything else as stored.
QString fechaLegible(const QString& f) {
    if (f.size() != 8)
        return f;
    return f.mid(6, 2) + u'/' + f.mid(4, 2) + u'/' + f.left(4);
}

QString horaLegible(const QString& h) {
    if (h.size() != 6)
        return h;
    return h.left(2) + u':' + h.mid(2, 2) + u':' + h.mid(4, 2);
}

QString entreComillas(const QString& v) {
    return u'"' + v + u'"';
}

} // namespace

QString Diferencia::texto() const {
    QStringList lugar;
    if (entrada)
        lugar << QStringLiteral("entrada %1 del registro de actividad").arg(entrada);
    if (!cliente.isEmpty())
        lugar << QStringLiteral("cliente %1").arg(cliente);
    if (!fecha.isEmpty() || !hora.isEmpty())
        lugar << QStringLiteral("%1 %2").arg(fechaLegible(fecha), horaLegible(hora)).trimmed();
    if (importacion)
        lugar << QStringLiteral("importación %1").arg(importacion);
    if (fila)
        lugar << QStringLiteral("fila %1").arg(fila);
    QString t = lugar.join(QStringLiteral(", "));
    if (!t.isEmpty())
        t += QStringLiteral(": ");
    t += detalle;
    if (!campo.isEmpty())
        t += QStringLiteral("; campo %1: guardado %2, en el original %3")
                 .arg(campo, entreComillas(guardado), entreComillas(original));
    return t + u'.';
}

QString TextoInforme(const InformeVerificacion& r) {
    QStringList l;
    if (r.cancelada)
        l << QStringLiteral("Verificación cancelada: el registro no se comprobó entero.");
    else if (r.correcto())
        l << QStringLiteral("Registro correcto: no se encontró ninguna diferencia.");
    else if (const qint64 n = static_cast<qint64>(r.diferencias.size()) + r.noListadas; n == 1)
        l << QStringLiteral("Se encontró 1 diferencia en el registro.");
    else
        l << QStringLiteral("Se encontraron %1 diferencias en el registro.").arg(NumeroConPuntos(n));
    l << QString();
    l << QStringLiteral("Entradas del registro de actividad: %1").arg(NumeroConPuntos(r.entradas));
    l << QStringLiteral("Importaciones registradas: %1 (%2 retiradas)")
             .arg(NumeroConPuntos(r.importaciones), NumeroConPuntos(r.retiradas));
    l << QStringLiteral("Originales conservados que coinciden con su SHA-256: %1")
             .arg(NumeroConPuntos(r.originales));
    l << QStringLiteral("Filas comparadas con su original: %1").arg(NumeroConPuntos(r.filas));
    l << QStringLiteral("Clientes comparados con sus cambios registrados: %1")
             .arg(NumeroConPuntos(r.clientes));
    if (!r.avisoEntrada.isEmpty())
        l << QStringLiteral("Aviso: la verificación no quedó anotada en el registro de actividad (%1).")
                 .arg(r.avisoEntrada);
    if (!r.sinOriginal.empty()) {
        l << QString();
        l << QStringLiteral("Filas anteriores al registro de importaciones (sin archivo original):");
        for (const FilasAnterioresCliente& s : r.sinOriginal)
            l << QStringLiteral("  cliente %1: %2 filas").arg(s.cliente, NumeroConPuntos(s.filas));
    }
    if (!r.diferencias.empty()) {
        l << QString();
        l << QStringLiteral("Diferencias:");
        for (const Diferencia& d : r.diferencias)
            l << QStringLiteral("- ") + d.texto();
        if (r.noListadas)
            l << QStringLiteral("... y %1 diferencias más.").arg(NumeroConPuntos(r.noListadas));
    }
    return l.join(u'\n') + u'\n';
}

QJsonObject JsonInforme(const InformeVerificacion& r) {
    QJsonArray sinOriginal;
    for (const FilasAnterioresCliente& s : r.sinOriginal)
        sinOriginal.append(
            QJsonObject{{QStringLiteral("cliente"), s.cliente}, {QStringLiteral("filas"), s.filas}});
    QJsonArray diferencias;
    for (const Diferencia& d : r.diferencias) {
        QJsonObject o{{QStringLiteral("clase"), QLatin1String(claveClase(d.clase))},
                      {QStringLiteral("detalle"), d.detalle},
                      {QStringLiteral("texto"), d.texto()}};
        const std::pair<const char*, QString> textos[] = {
            {"cliente", d.cliente}, {"fecha", d.fecha}, {"hora", d.hora}, {"campo", d.campo}};
        for (const auto& [clave, valor] : textos)
            if (!valor.isEmpty())
                o.insert(QLatin1String(clave), valor);
        // A field's two values go together, even when one of them is empty.
        if (!d.campo.isEmpty()) {
            o.insert(QStringLiteral("guardado"), d.guardado);
            o.insert(QStringLiteral("original"), d.original);
        }
        const std::pair<const char*, qint64> numeros[] = {
            {"importacion", d.importacion}, {"fila", d.fila}, {"entrada", d.entrada}};
        for (const auto& [clave, valor] : numeros)
            if (valor)
                o.insert(QLatin1String(clave), valor);
        diferencias.append(o);
    }
    return {{QStringLiteral("correcto"), r.correcto()},
            {QStringLiteral("cancelada"), r.cancelada},
            {QStringLiteral("entradas"), r.entradas},
            {QStringLiteral("importaciones"), r.importaciones},
            {QStringLiteral("retiradas"), r.retiradas},
            {QStringLiteral("originales"), r.originales},
            {QStringLiteral("filas"), r.filas},
            {QStringLiteral("clientes"), r.clientes},
            {QStringLiteral("sin_original"), sinOriginal},
            {QStringLiteral("diferencias"), diferencias},
            {QStringLiteral("no_listadas"), r.noListadas},
            {QStringLiteral("anotada"), r.entradaEscrita},
            {QStringLiteral("aviso"), r.avisoEntrada}};
}
