#include "core/resumen/ResumenOficina.h"

#include "core/clients/Cliente.h"
#include "core/store/Conexion.h"
#include "core/store/Dialecto.h"

namespace {

QString clave(const QDate& fecha) {
    return fecha.toString(QStringLiteral("yyyyMMdd"));
}

QDate fechaGuardada(const QString& texto) {
    return QDate::fromString(texto.trimmed(), QStringLiteral("yyyyMMdd"));
}

// The per-status, level and previous-period aggregates over `i`, the period's rows being those
// from the first `?` on. Both queries share them so that they count the same.
QString agregados(const Dialecto& d) {
    const QString actual = QStringLiteral("i.FechaInfraccion >= ?");
    QString s = QStringLiteral("SUM(CASE WHEN %1 THEN 1 ELSE 0 END), "
                               "SUM(CASE WHEN i.FechaInfraccion < ? THEN 1 ELSE 0 END)")
                    .arg(actual);
    for (const char* estatus : kEstatusResumen)
        s += QStringLiteral(", SUM(CASE WHEN %1 AND i.Microfono = '%2' THEN 1 ELSE 0 END)")
                 .arg(actual, QLatin1String(estatus));
    const QString nivel = d.enteroDeTexto(QStringLiteral("i.NiveldB"));
    const QString maximo = d.enteroDeTexto(QStringLiteral("i.Maxdb"));
    s += QStringLiteral(", MAX(CASE WHEN %1 THEN %2 END), SUM(CASE WHEN %1 AND %2 > %3 THEN 1 ELSE 0 END)")
             .arg(actual, nivel, maximo);
    return s;
}

// The values of agregados() and then of the range `desde`..`hasta`.
QVariantList parametros(const PeriodoResumen& periodo) {
    const QString desde = clave(periodo.desde);
    QVariantList v{desde, desde};
    for (std::size_t i = 0; i < kEstatusResumen.size(); ++i)
        v << desde;
    v << desde << desde << clave(PeriodoAnterior(periodo).desde) << clave(periodo.hasta);
    return v;
}

constexpr int kColumnasCliente = 6;

QString mes(const QDate& fecha) {
    return fecha.toString(QStringLiteral("yyyyMM"));
}

// A period as the whole months it holds (read from the monthly counts) and the days of the
// months it takes only part of (read from the rows), each range with both ends included.
struct Tramos {
    std::optional<std::pair<QString, QString>> meses; // yyyyMM
    std::vector<std::pair<QString, QString>> dias;    // yyyyMMdd
};

Tramos partir(const PeriodoResumen& p) {
    const QDate primerMes =
        p.desde.day() == 1 ? p.desde : QDate(p.desde.year(), p.desde.month(), 1).addMonths(1);
    const QDate finUltimoMes = p.hasta.day() == p.hasta.daysInMonth()
                                   ? p.hasta
                                   : QDate(p.hasta.year(), p.hasta.month(), 1).addDays(-1);
    Tramos t;
    if (primerMes > finUltimoMes) {
        t.dias.emplace_back(clave(p.desde), clave(p.hasta));
        return t;
    }
    t.meses.emplace(mes(primerMes), mes(finUltimoMes));
    if (p.desde < primerMes)
        t.dias.emplace_back(clave(p.desde), clave(primerMes.addDays(-1)));
    if (finUltimoMes < p.hasta)
        t.dias.emplace_back(clave(finUltimoMes.addDays(1)), clave(p.hasta));
    return t;
}

// Rows of Infracciones one by one, with the columns of every part of the summary's union: number,
// rows of the period, rows of the previous one, per status, level, excess.
QString deFilas(const Dialecto& d, bool actual, const QString& condicion) {
    const QString nivel = d.enteroDeTexto(QStringLiteral("i.NiveldB"));
    const QString maximo = d.enteroDeTexto(QStringLiteral("i.Maxdb"));
    QString s =
        QStringLiteral("SELECT i.NumeroCliente AS Numero, ") +
        (actual ? QStringLiteral("1 AS Filas, 0 AS Anterior") : QStringLiteral("0 AS Filas, 1 AS Anterior"));
    for (std::size_t k = 0; k < kEstatusResumen.size(); ++k)
        s += (actual ? QStringLiteral(", CASE WHEN i.Microfono = '%1' THEN 1 ELSE 0 END")
                           .arg(QLatin1String(kEstatusResumen[k]))
                     : QStringLiteral(", 0")) +
             QStringLiteral(" AS E%1").arg(k);
    s += actual ? QStringLiteral(", %1 AS Nivel, CASE WHEN %1 > %2 THEN 1 ELSE 0 END AS Excesos")
                      .arg(nivel, maximo)
                : QStringLiteral(", CAST(NULL AS INTEGER) AS Nivel, 0 AS Excesos");
    return s + QStringLiteral(" FROM Infracciones i WHERE %1 AND %2")
                   .arg(d.ochoCifras(QStringLiteral("i.FechaInfraccion")), condicion);
}

QString deMeses(bool actual) {
    QString s = QStringLiteral("SELECT NumeroCliente AS Numero, ") +
                (actual ? QStringLiteral("Filas AS Filas, 0 AS Anterior")
                        : QStringLiteral("0 AS Filas, Filas AS Anterior"));
    for (std::size_t k = 0; k < kColumnasEstatus.size(); ++k)
        s += (actual ? QStringLiteral(", ") + QLatin1String(kColumnasEstatus[k]) : QStringLiteral(", 0")) +
             QStringLiteral(" AS E%1").arg(k);
    s += actual ? QStringLiteral(", NivelMaximo AS Nivel, Excesos AS Excesos")
                : QStringLiteral(", CAST(NULL AS INTEGER) AS Nivel, 0 AS Excesos");
    return s + QStringLiteral(" FROM ResumenMensual WHERE Mes >= ? AND Mes <= ?");
}

// The parts of one period: its whole months from the counts, and from the rows the days of its
// partial months and the rows the counts do not cover yet.
void partes(const Dialecto& d, const PeriodoResumen& periodo, bool actual, bool desdeLasFilas,
            QStringList& sql, QVariantList& valores) {
    const Tramos t = desdeLasFilas ? Tramos{std::nullopt, {{clave(periodo.desde), clave(periodo.hasta)}}}
                                   : partir(periodo);
    if (t.meses) {
        sql << deMeses(actual);
        valores << t.meses->first.toLongLong() << t.meses->second.toLongLong();
        // On the file, the rows the counts do not cover yet (the server's triggers count every row).
        // By id alone: the other conditions are written so that no index serves them, or the
        // planner would walk the whole (client, date) index for them.
        if (!d.variosPuestos()) {
            sql << deFilas(
                d, actual,
                QStringLiteral("i.id > (SELECT Hasta FROM ResumenMensualHasta) AND (i.NumeroCliente || '') "
                               "IS NOT NULL AND substr(i.FechaInfraccion, 1, 6) >= ? AND "
                               "substr(i.FechaInfraccion, 1, 6) <= ?"));
            valores << t.meses->first << t.meses->second;
        }
    }
    // The days from one range of the (date, client) index; numbers without a client join nothing.
    for (const auto& [desde, hasta] : t.dias) {
        sql << deFilas(d, actual, QStringLiteral("i.FechaInfraccion >= ? AND i.FechaInfraccion <= ?"));
        valores << desde << hasta;
    }
}

} // namespace

PeriodoResumen PeriodoAnterior(const PeriodoResumen& p) {
    const bool mesEntero = p.desde.day() == 1 && p.hasta.year() == p.desde.year() &&
                           p.hasta.month() == p.desde.month() && p.hasta.day() == p.desde.daysInMonth();
    if (mesEntero) {
        const QDate inicio = p.desde.addMonths(-1);
        return {inicio, p.desde.addDays(-1)};
    }
    return {p.desde.addDays(-p.dias()), p.desde.addDays(-1)};
}

PeriodoResumen PeriodoDe(PreajustePeriodo preajuste, const QDate& hoy) {
    const QDate mes(hoy.year(), hoy.month(), 1);
    switch (preajuste) {
    case PreajustePeriodo::EsteMes:
        return {mes, mes.addMonths(1).addDays(-1)};
    case PreajustePeriodo::MesPasado:
        return {mes.addMonths(-1), mes.addDays(-1)};
    case PreajustePeriodo::EsteAnio:
        return {QDate(hoy.year(), 1, 1), QDate(hoy.year(), 12, 31)};
    case PreajustePeriodo::Ultimos12Meses:
        return {hoy.addYears(-1).addDays(1), hoy};
    }
    return {mes, hoy};
}

QString TextoTendencia(Tendencia tendencia) {
    switch (tendencia) {
    case Tendencia::Mas:
        return QStringLiteral("más");
    case Tendencia::Menos:
        return QStringLiteral("menos");
    case Tendencia::Igual:
        break;
    }
    return QStringLiteral("igual");
}

qint64 FilaResumen::manipulacion() const {
    qint64 n = 0;
    for (const int i : kEstatusManipulacion)
        n += porEstatus[static_cast<std::size_t>(i)];
    return n;
}

std::optional<qint64> FilaResumen::diasSinInspeccion(const QDate& hoy) const {
    if (!ultimaInspeccion.isValid())
        return std::nullopt;
    return ultimaInspeccion.daysTo(hoy);
}

Tendencia FilaResumen::tendencia() const {
    return total > totalAnterior ? Tendencia::Mas
                                 : (total < totalAnterior ? Tendencia::Menos : Tendencia::Igual);
}

int FilaResumen::estatusMasGrave() const {
    for (const int i : kGravedadEstatus)
        if (porEstatus[static_cast<std::size_t>(i)] > 0)
            return i;
    return -1;
}

Consulta ConsultaResumen(const Dialecto& d, const PeriodoResumen& periodo, bool desdeLasFilas) {
    QStringList partesSql;
    QVariantList valores;
    partes(d, periodo, true, desdeLasFilas, partesSql, valores);
    partes(d, PeriodoAnterior(periodo), false, desdeLasFilas, partesSql, valores);
    QString sumas = QStringLiteral("sum(Filas) AS Filas, sum(Anterior) AS Anterior");
    QString columnas = QStringLiteral("coalesce(p.Filas, 0), coalesce(p.Anterior, 0)");
    for (std::size_t k = 0; k < kEstatusResumen.size(); ++k) {
        sumas += QStringLiteral(", sum(E%1) AS E%1").arg(k);
        columnas += QStringLiteral(", coalesce(p.E%1, 0)").arg(k);
    }
    const QString sql =
        QStringLiteral(
            "SELECT c.Id, c.NumeroCliente, c.Nombre, c.NombreLocal, c.UltimaInspeccionFecha, "
            "c.AnteriorInspeccionFecha, %1, p.Nivel, coalesce(p.Excesos, 0) FROM Clientes c LEFT JOIN "
            "(SELECT Numero, %2, max(Nivel) AS Nivel, sum(Excesos) AS Excesos FROM (%3) u GROUP BY "
            "Numero) p ON p.Numero = c.NumeroCliente "
            "WHERE NOT (coalesce(c.NumeroCliente, '') = '----' AND coalesce(c.Localidad, '') = '-') "
            "ORDER BY c.Id")
            .arg(columnas, sumas, partesSql.join(QStringLiteral(" UNION ALL ")));
    return {sql, valores};
}

Consulta ConsultaAgregadoDesnudo(const Dialecto& d, const PeriodoResumen& periodo) {
    const QString sql = QStringLiteral("SELECT i.NumeroCliente, ") + agregados(d) +
                        QStringLiteral(" FROM Infracciones i WHERE i.FechaInfraccion >= ? AND "
                                       "i.FechaInfraccion <= ? GROUP BY i.NumeroCliente");
    return {sql, parametros(periodo)};
}

std::optional<ResumenOficina> CalcularResumen(Conexion& db, const PeriodoResumen& periodo, const QDate& hoy,
                                              const AvanceResumen& avance, bool desdeLasFilas) {
    if (!periodo.valido())
        throw ErrorBD(
            QStringLiteral("El período del resumen no es válido: la fecha inicial debe ser anterior o "
                           "igual a la final."));
    ResumenOficina r;
    r.periodo = periodo;
    r.anterior = PeriodoAnterior(periodo);
    r.hoy = hoy;
    qint64 total = 0;
    if (avance) {
        const auto cuenta = db.preparar(QStringLiteral("SELECT count(*) FROM Clientes"));
        total = cuenta->paso() ? cuenta->entero(0) : 0;
        if (!avance(0, total))
            return std::nullopt;
    }
    const Consulta c = ConsultaResumen(db.dialecto(), periodo, desdeLasFilas);
    const auto st = db.preparar(c.sql);
    st->enlazarTodos(c.parametros);
    r.filas.reserve(static_cast<std::size_t>(total));
    while (st->paso()) {
        FilaResumen f;
        f.id = st->entero(0);
        f.numero = st->texto(1);
        f.nombre = st->texto(2);
        f.local = st->texto(3);
        f.ultimaInspeccion = fechaGuardada(st->texto(4));
        f.anteriorInspeccion = fechaGuardada(st->texto(5));
        int col = kColumnasCliente;
        f.total = st->entero(col++);
        f.totalAnterior = st->entero(col++);
        for (qint64& n : f.porEstatus)
            n = st->entero(col++);
        if (!st->esNulo(col))
            f.nivelMaximo = static_cast<int>(st->entero(col));
        ++col;
        f.excesos = st->entero(col);
        r.filas.push_back(std::move(f));
        if (avance && r.filas.size() % 64 == 0 && !avance(static_cast<qint64>(r.filas.size()), total))
            return std::nullopt;
    }
    if (avance && !avance(static_cast<qint64>(r.filas.size()), total))
        return std::nullopt;
    return r;
}
