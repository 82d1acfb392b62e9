#include "core/store/ResumenMensual.h"

#include "core/store/Conexion.h"
#include "core/store/Dialecto.h"

namespace {

// A level and its count packed in one number, so that one max() gives the highest level and how
// many rows have it: levels have at most nine digits, counts stay under 2^32.
constexpr qint64 kEmpaque = 4294967296;

QString columnas() {
    QString s = QStringLiteral("Mes, NumeroCliente, Filas");
    for (const char* c : kColumnasEstatus)
        s += QStringLiteral(", ") + QLatin1String(c);
    return s + QStringLiteral(", NivelMaximo, VecesNivelMaximo, Excesos");
}

// Per month and client, the counts of the rows `desde` yields (its columns those of Infracciones,
// under the alias `i`) that pass `filtro`. The rows are first grouped by level too, so that the
// count at the highest level comes out of the same pass.
QString agregadoPorMes(const Dialecto& d, const QString& desde, const QString& filtro) {
    const QString nivel = d.enteroDeTexto(QStringLiteral("i.NiveldB"));
    const QString maximo = d.enteroDeTexto(QStringLiteral("i.Maxdb"));
    QString interior = QStringLiteral("SELECT substr(i.FechaInfraccion, 1, 6) AS Mes, i.NumeroCliente AS "
                                      "NumeroCliente, %1 AS Nivel, count(*) AS N")
                           .arg(nivel);
    QString exterior = QStringLiteral("SELECT Mes, NumeroCliente, sum(N) AS Filas");
    for (std::size_t k = 0; k < kEstatusResumen.size(); ++k) {
        interior += QStringLiteral(", sum(CASE WHEN i.Microfono = '%1' THEN 1 ELSE 0 END) AS E%2")
                        .arg(QLatin1String(kEstatusResumen[k]))
                        .arg(k);
        exterior += QStringLiteral(", sum(E%1) AS %2").arg(k).arg(QLatin1String(kColumnasEstatus[k]));
    }
    interior +=
        QStringLiteral(", sum(CASE WHEN %1 > %2 THEN 1 ELSE 0 END) AS X FROM %3 WHERE i.NumeroCliente IS "
                       "NOT NULL AND %4 AND %5 GROUP BY 1, 2, 3")
            .arg(nivel, maximo, desde, d.ochoCifras(QStringLiteral("i.FechaInfraccion")), filtro);
    exterior += QStringLiteral(", max(Nivel) AS NivelMaximo, coalesce(max(Nivel * %1 + N) % %1, 0) AS "
                               "VecesNivelMaximo, sum(X) AS Excesos FROM (%2) f GROUP BY Mes, NumeroCliente")
                    .arg(kEmpaque)
                    .arg(interior);
    return exterior;
}

// Adds the counts `nuevas` yields (a SELECT with ResumenMensual's columns) to the months already
// counted. The file's SQLite predates UPSERT: the merged rows replace the old ones.
QString sumarFilas(const Dialecto& d, const QString& nuevas) {
    if (!d.variosPuestos()) {
        QString s =
            QStringLiteral("INSERT OR REPLACE INTO ResumenMensual (%1) SELECT n.Mes, n.NumeroCliente, "
                           "coalesce(r.Filas, 0) + n.Filas")
                .arg(columnas());
        for (const char* c : kColumnasEstatus)
            s += QStringLiteral(", coalesce(r.%1, 0) + n.%1").arg(QLatin1String(c));
        return s +
               QStringLiteral(
                   ", CASE WHEN r.NivelMaximo IS NULL OR n.NivelMaximo > r.NivelMaximo THEN n.NivelMaximo "
                   "ELSE r.NivelMaximo END, CASE WHEN n.NivelMaximo IS NULL THEN "
                   "coalesce(r.VecesNivelMaximo, "
                   "0) WHEN r.NivelMaximo IS NULL OR n.NivelMaximo > r.NivelMaximo THEN n.VecesNivelMaximo "
                   "WHEN n.NivelMaximo = r.NivelMaximo THEN r.VecesNivelMaximo + n.VecesNivelMaximo ELSE "
                   "r.VecesNivelMaximo END, coalesce(r.Excesos, 0) + n.Excesos FROM (%1) n LEFT JOIN "
                   "ResumenMensual r ON r.Mes = n.Mes AND r.NumeroCliente = n.NumeroCliente")
                   .arg(nuevas);
    }
    QString s =
        QStringLiteral("INSERT INTO ResumenMensual (%1) %2 ON CONFLICT (Mes, NumeroCliente) DO UPDATE "
                       "SET Filas = ResumenMensual.Filas + excluded.Filas")
            .arg(columnas(), nuevas);
    for (const char* c : kColumnasEstatus)
        s += QStringLiteral(", %1 = ResumenMensual.%1 + excluded.%1").arg(QLatin1String(c));
    s += QStringLiteral(
        ", VecesNivelMaximo = CASE WHEN excluded.NivelMaximo IS NULL THEN ResumenMensual.VecesNivelMaximo "
        "WHEN ResumenMensual.NivelMaximo IS NULL OR excluded.NivelMaximo > ResumenMensual.NivelMaximo THEN "
        "excluded.VecesNivelMaximo WHEN excluded.NivelMaximo = ResumenMensual.NivelMaximo THEN "
        "ResumenMensual.VecesNivelMaximo + excluded.VecesNivelMaximo ELSE ResumenMensual.VecesNivelMaximo "
        "END, "
        "NivelMaximo = CASE WHEN ResumenMensual.NivelMaximo IS NULL OR excluded.NivelMaximo > "
        "ResumenMensual.NivelMaximo THEN excluded.NivelMaximo ELSE ResumenMensual.NivelMaximo END, "
        "Excesos = ResumenMensual.Excesos + excluded.Excesos");
    return s;
}

QString tabla(const QString& entero, const QString& sinRowid) {
    QString s = QStringLiteral("CREATE TABLE ResumenMensual (Mes TEXT NOT NULL, NumeroCliente TEXT NOT NULL, "
                               "Filas %1 NOT NULL")
                    .arg(entero);
    for (const char* c : kColumnasEstatus)
        s += QStringLiteral(", %1 %2 NOT NULL").arg(QLatin1String(c), entero);
    return s +
           QStringLiteral(", NivelMaximo %1, VecesNivelMaximo %1 NOT NULL, Excesos %1 NOT NULL, PRIMARY KEY "
                          "(Mes, NumeroCliente))%2")
               .arg(entero, sinRowid);
}

const QString kHasta = QStringLiteral("(SELECT Hasta FROM ResumenMensualHasta)");

// The file's trigger statements that take the row `f` (OLD or NEW) out of its month, or put it in.
QString quitarFila(const Dialecto& d, const QString& f) {
    const QString nivel = d.enteroDeTexto(f + QStringLiteral(".NiveldB"));
    const QString maximo = d.enteroDeTexto(f + QStringLiteral(".Maxdb"));
    const QString cubierta = QStringLiteral("%1.id <= %2 AND %1.NumeroCliente IS NOT NULL AND %3")
                                 .arg(f, kHasta, d.ochoCifras(f + QStringLiteral(".FechaInfraccion")));
    const QString clave =
        QStringLiteral("Mes = substr(%1.FechaInfraccion, 1, 6) AND NumeroCliente = %1.NumeroCliente").arg(f);
    QString s = QStringLiteral("UPDATE ResumenMensual SET Filas = Filas - 1");
    for (std::size_t k = 0; k < kEstatusResumen.size(); ++k)
        s += QStringLiteral(", %1 = %1 - (%2.Microfono IS '%3')")
                 .arg(QLatin1String(kColumnasEstatus[k]), f, QLatin1String(kEstatusResumen[k]));
    s += QStringLiteral(", Excesos = Excesos - coalesce(%1 > %2, 0), VecesNivelMaximo = VecesNivelMaximo - "
                        "coalesce(%1 = NivelMaximo, 0) WHERE %3 AND %4; ")
             .arg(nivel, maximo, clave, cubierta);
    // The last row at the highest level gone: the next highest, from the rows the table covers.
    const QString nivelI = d.enteroDeTexto(QStringLiteral("i.NiveldB"));
    const QString filasDelMes =
        QStringLiteral(
            "FROM Infracciones i WHERE i.NumeroCliente = %1.NumeroCliente AND i.FechaInfraccion >= "
            "substr(%1.FechaInfraccion, 1, 6) || '00' AND i.FechaInfraccion <= "
            "substr(%1.FechaInfraccion, 1, 6) || '99' AND i.id <= %2")
            .arg(f, kHasta);
    const QString recontar = QStringLiteral("VecesNivelMaximo = 0 AND NivelMaximo IS NOT NULL");
    s +=
        QStringLiteral("UPDATE ResumenMensual SET NivelMaximo = (SELECT max(%1) %2) WHERE %3 AND %4 AND %5; ")
            .arg(nivelI, filasDelMes, clave, cubierta, recontar);
    s += QStringLiteral("UPDATE ResumenMensual SET VecesNivelMaximo = (SELECT count(*) %1 AND %2 = "
                        "ResumenMensual.NivelMaximo) WHERE %3 AND %4 AND %5; ")
             .arg(filasDelMes, nivelI, clave, cubierta, recontar);
    s += QStringLiteral("DELETE FROM ResumenMensual WHERE %1 AND %2 AND Filas <= 0; ").arg(clave, cubierta);
    return s;
}

QString ponerFila(const Dialecto& d, const QString& f) {
    const QString nivel = d.enteroDeTexto(f + QStringLiteral(".NiveldB"));
    const QString maximo = d.enteroDeTexto(f + QStringLiteral(".Maxdb"));
    const QString cubierta = QStringLiteral("%1.id <= %2 AND %1.NumeroCliente IS NOT NULL AND %3")
                                 .arg(f, kHasta, d.ochoCifras(f + QStringLiteral(".FechaInfraccion")));
    const QString clave =
        QStringLiteral("Mes = substr(%1.FechaInfraccion, 1, 6) AND NumeroCliente = %1.NumeroCliente").arg(f);
    QString s =
        QStringLiteral("INSERT OR IGNORE INTO ResumenMensual (%1) SELECT substr(%2.FechaInfraccion, 1, 6), "
                       "%2.NumeroCliente, 0, 0, 0, 0, 0, 0, 0, 0, NULL, 0, 0 WHERE %3; ")
            .arg(columnas(), f, cubierta);
    s += QStringLiteral("UPDATE ResumenMensual SET Filas = Filas + 1");
    for (std::size_t k = 0; k < kEstatusResumen.size(); ++k)
        s += QStringLiteral(", %1 = %1 + (%2.Microfono IS '%3')")
                 .arg(QLatin1String(kColumnasEstatus[k]), f, QLatin1String(kEstatusResumen[k]));
    s += QStringLiteral(
             ", Excesos = Excesos + coalesce(%1 > %2, 0), VecesNivelMaximo = CASE WHEN %1 IS NULL "
             "THEN VecesNivelMaximo WHEN NivelMaximo IS NULL OR %1 > NivelMaximo THEN 1 WHEN %1 = "
             "NivelMaximo THEN VecesNivelMaximo + 1 ELSE VecesNivelMaximo END, NivelMaximo = CASE WHEN "
             "NivelMaximo IS NULL OR %1 > NivelMaximo THEN %1 ELSE NivelMaximo END WHERE %3 AND %4; ")
             .arg(nivel, maximo, clave, cubierta);
    return s;
}

QStringList esquemaArchivo(const Dialecto& d) {
    return {QStringLiteral("DROP TRIGGER IF EXISTS resumen_mensual_baja"),
            QStringLiteral("DROP TRIGGER IF EXISTS resumen_mensual_cambio"),
            QStringLiteral("DROP TABLE IF EXISTS ResumenMensual"),
            QStringLiteral("DROP TABLE IF EXISTS ResumenMensualHasta"),
            tabla(QStringLiteral("INTEGER"), QStringLiteral(" WITHOUT ROWID")),
            QStringLiteral("CREATE TABLE ResumenMensualHasta (Hasta INTEGER NOT NULL)"),
            QStringLiteral(
                "INSERT INTO ResumenMensualHasta (Hasta) SELECT coalesce(max(id), 0) FROM Infracciones"),
            QStringLiteral("INSERT INTO ResumenMensual (%1) ").arg(columnas()) +
                agregadoPorMes(d, QStringLiteral("Infracciones i"), QStringLiteral("1 = 1")),
            QStringLiteral("CREATE TRIGGER resumen_mensual_baja AFTER DELETE ON Infracciones BEGIN %1END")
                .arg(quitarFila(d, QStringLiteral("OLD"))),
            QStringLiteral("CREATE TRIGGER resumen_mensual_cambio AFTER UPDATE ON Infracciones BEGIN %1%2END")
                .arg(quitarFila(d, QStringLiteral("OLD")), ponerFila(d, QStringLiteral("NEW")))};
}

// The server's: each statement's rows at once, under a lock that writers of the same client's rows
// share, so a recount never misses rows another desk is adding. Clients share 32 locks, taken in
// order: a register moved here in one transaction holds no more than those.
QStringList esquemaServidor(const Dialecto& d) {
    const QString bloquear = QStringLiteral(
        "PERFORM pg_advisory_xact_lock(270271, h) FROM (SELECT DISTINCT hashtext(NumeroCliente) & 31 "
        "AS h FROM %1 WHERE NumeroCliente IS NOT NULL ORDER BY 1) x; ");
    const QString alta =
        sumarFilas(d, agregadoPorMes(d, QStringLiteral("nuevas i"), QStringLiteral("1 = 1")));
    // The months a statement took rows from are counted again from the rows as they are now; a
    // statement of their own, so they see what other desks committed before the lock was granted.
    const QString tocados =
        QStringLiteral("SELECT DISTINCT substr(FechaInfraccion, 1, 6) AS Mes, NumeroCliente "
                       "FROM %1 WHERE NumeroCliente IS NOT NULL AND %2")
            .arg(QStringLiteral("%1"), d.ochoCifras(QStringLiteral("FechaInfraccion")));
    const auto recontar = [&](const QString& filas) {
        const QString meses = tocados.arg(filas);
        return QStringLiteral(
                   "DELETE FROM ResumenMensual r USING (%1) t WHERE r.Mes = t.Mes AND r.NumeroCliente "
                   "= t.NumeroCliente; ")
                   .arg(meses) +
               QStringLiteral("INSERT INTO ResumenMensual (%1) ").arg(columnas()) +
               agregadoPorMes(
                   d,
                   QStringLiteral("Infracciones i JOIN (%1) t ON i.NumeroCliente = t.NumeroCliente "
                                  "AND i.FechaInfraccion >= t.Mes || '00' AND i.FechaInfraccion <= "
                                  "t.Mes || '99'")
                       .arg(meses),
                   QStringLiteral("1 = 1")) +
               QStringLiteral("; ");
    };
    const QString funcion = QStringLiteral(
        "CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER SET "
        "search_path = public, pg_temp AS $$ BEGIN %2 RETURN NULL; END $$");
    const QString viejasYNuevas =
        QStringLiteral("(SELECT NumeroCliente, FechaInfraccion FROM viejas UNION SELECT NumeroCliente, "
                       "FechaInfraccion FROM nuevas) v");
    return {QStringLiteral("DROP TRIGGER IF EXISTS resumen_mensual_alta ON Infracciones"),
            QStringLiteral("DROP TRIGGER IF EXISTS resumen_mensual_baja ON Infracciones"),
            QStringLiteral("DROP TRIGGER IF EXISTS resumen_mensual_cambio ON Infracciones"),
            QStringLiteral("DROP TABLE IF EXISTS ResumenMensual"),
            QStringLiteral("DROP TABLE IF EXISTS ResumenMensualHasta"),
            tabla(QStringLiteral("BIGINT"), QString()),
            // Every row is counted by the triggers: nothing lies past Hasta.
            QStringLiteral("CREATE TABLE ResumenMensualHasta (Hasta BIGINT NOT NULL)"),
            QStringLiteral("INSERT INTO ResumenMensualHasta (Hasta) VALUES (9223372036854775807)"),
            QStringLiteral("INSERT INTO ResumenMensual (%1) ").arg(columnas()) +
                agregadoPorMes(d, QStringLiteral("Infracciones i"), QStringLiteral("1 = 1")),
            funcion.arg(QStringLiteral("resumen_mensual_alta"),
                        bloquear.arg(QStringLiteral("nuevas")) + alta + ";"),
            funcion.arg(QStringLiteral("resumen_mensual_baja"),
                        bloquear.arg(QStringLiteral("viejas")) + recontar(QStringLiteral("viejas"))),
            funcion.arg(QStringLiteral("resumen_mensual_cambio"),
                        bloquear.arg(viejasYNuevas) + recontar(viejasYNuevas)),
            QStringLiteral(
                "CREATE TRIGGER resumen_mensual_alta AFTER INSERT ON Infracciones REFERENCING NEW TABLE AS "
                "nuevas FOR EACH STATEMENT EXECUTE FUNCTION resumen_mensual_alta()"),
            QStringLiteral(
                "CREATE TRIGGER resumen_mensual_baja AFTER DELETE ON Infracciones REFERENCING OLD TABLE AS "
                "viejas FOR EACH STATEMENT EXECUTE FUNCTION resumen_mensual_baja()"),
            QStringLiteral(
                "CREATE TRIGGER resumen_mensual_cambio AFTER UPDATE ON Infracciones REFERENCING OLD TABLE "
                "AS viejas NEW TABLE AS nuevas FOR EACH STATEMENT EXECUTE FUNCTION "
                "resumen_mensual_cambio()")};
}

bool esFecha(const QString& t) {
    if (t.size() != 8)
        return false;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

QStringList EsquemaResumenMensual(const Dialecto& d) {
    return d.variosPuestos() ? esquemaServidor(d) : esquemaArchivo(d);
}

QString RecuentoMensual(const Dialecto& d) {
    return agregadoPorMes(d, QStringLiteral("Infracciones i"), QStringLiteral("1 = 1"));
}

void IncorporarFilasNuevas(Conexion& db) {
    if (db.dialecto().variosPuestos())
        return;
    db.ejecutar(sumarFilas(db.dialecto(), agregadoPorMes(db.dialecto(), QStringLiteral("Infracciones i"),
                                                         QStringLiteral("i.id > ") + kHasta)));
    db.ejecutar(
        QStringLiteral("UPDATE ResumenMensualHasta SET Hasta = max(Hasta, (SELECT coalesce(max(id), 0) "
                       "FROM Infracciones))"));
}

std::optional<qint64> HastaActual(Conexion& db) {
    if (db.dialecto().variosPuestos())
        return std::nullopt;
    const auto st = db.preparar(QStringLiteral(
        "SELECT Hasta, (SELECT coalesce(max(id), 0) FROM Infracciones) FROM ResumenMensualHasta"));
    if (!st->paso() || st->entero(1) > st->entero(0))
        return std::nullopt;
    return st->entero(0);
}

std::optional<qint64> EnteroGuardado(const QString& texto) {
    if (texto.isEmpty() || texto.size() > 9)
        return std::nullopt;
    qint64 n = 0;
    for (const QChar c : texto) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        n = n * 10 + (c.unicode() - '0');
    }
    return n;
}

CuentaMensual::CuentaMensual(QString numeroCliente, const QString& maximoGuardado)
    : numero_(std::move(numeroCliente)), maximo_(EnteroGuardado(maximoGuardado)) {}

void CuentaMensual::agregar(const QString& fecha, const QString& estatus, const QString& nivel) {
    if (!esFecha(fecha))
        return;
    // An import's rows come in date order: the month of the row before, almost always.
    if (!ultimo_ || !fecha.startsWith(ultimaClave_)) {
        ultimaClave_ = fecha.left(6);
        ultimo_ = &meses_[ultimaClave_];
    }
    Mes& m = *ultimo_;
    ++m.filas;
    for (std::size_t k = 0; k < kEstatusResumen.size(); ++k)
        if (estatus == QLatin1String(kEstatusResumen[k]))
            ++m.porEstatus[k];
    const std::optional<qint64> n = EnteroGuardado(nivel);
    if (!n)
        return;
    if (!m.nivelMaximo || *n > *m.nivelMaximo) {
        m.nivelMaximo = n;
        m.vecesNivelMaximo = 1;
    } else if (*n == *m.nivelMaximo) {
        ++m.vecesNivelMaximo;
    }
    if (maximo_ && *n > *maximo_)
        ++m.excesos;
}

void CuentaMensual::guardar(Conexion& db, std::optional<qint64> hastaAntes) const {
    if (db.dialecto().variosPuestos())
        return;
    if (!hastaAntes || numero_.isEmpty()) {
        IncorporarFilasNuevas(db);
        return;
    }
    QString nuevas = QStringLiteral("SELECT ? AS Mes, ? AS NumeroCliente, ? AS Filas");
    for (const char* c : kColumnasEstatus)
        nuevas += QStringLiteral(", ? AS ") + QLatin1String(c);
    nuevas += QStringLiteral(", ? AS NivelMaximo, ? AS VecesNivelMaximo, ? AS Excesos");
    const auto st = db.preparar(sumarFilas(db.dialecto(), nuevas));
    for (const auto& [mes, m] : meses_) {
        st->reiniciar();
        QVariantList v{mes, numero_, m.filas};
        for (const qint64 n : m.porEstatus)
            v << n;
        v << (m.nivelMaximo ? QVariant(*m.nivelMaximo) : QVariant()) << m.vecesNivelMaximo << m.excesos;
        st->enlazarTodos(v);
        while (st->paso()) {
        }
    }
    db.ejecutar(QStringLiteral("UPDATE ResumenMensualHasta SET Hasta = (SELECT coalesce(max(id), 0) FROM "
                               "Infracciones)"));
}
