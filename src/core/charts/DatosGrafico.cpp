#include "core/charts/DatosGrafico.h"

#include "core/clients/CamposFecha.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr qint64 kMsDia = 86400000;

// Status index of a text; the statuses of one client are few, and rows come in runs.
class IndiceEstatus {
public:
    explicit IndiceEstatus(QStringList& estatus) : estatus_(estatus) {}
    quint16 indice(QByteArrayView texto) {
        if (ultimo_ >= 0 && utf8_[static_cast<std::size_t>(ultimo_)] == texto)
            return static_cast<quint16>(ultimo_);
        auto i = std::find(utf8_.begin(), utf8_.end(), texto);
        if (i == utf8_.end()) {
            utf8_.emplace_back(texto.toByteArray());
            estatus_ << QString::fromUtf8(texto);
            i = utf8_.end() - 1;
        }
        ultimo_ = static_cast<int>(i - utf8_.begin());
        return static_cast<quint16>(ultimo_);
    }

private:
    QStringList& estatus_;
    std::vector<QByteArray> utf8_;
    int ultimo_ = -1;
};

// Rows of one client share few dates: the last one read is kept.
class LectorFechas {
public:
    // The view must outlive the next call (the rows' texts do).
    const std::optional<QDate>& leer(QByteArrayView texto) {
        if (!leido_ || texto != texto_) {
            leido_ = true;
            texto_ = texto;
            fecha_ = LeerFechaDMA(texto);
        }
        return fecha_;
    }

private:
    bool leido_ = false;
    QByteArrayView texto_;
    std::optional<QDate> fecha_;
};

std::optional<float> leerNumero(QByteArrayView texto) {
    // Levels are whole numbers ("095"): read them directly, the general parser only otherwise.
    int v = 0, digitos = 0;
    for (const char c : texto) {
        if (c >= '0' && c <= '9' && digitos < 6) {
            v = v * 10 + (c - '0');
            ++digitos;
        } else if (c != ' ' || digitos > 0) {
            digitos = -1;
            break;
        }
    }
    if (digitos > 0)
        return static_cast<float>(v);
    bool ok = false;
    const float f = QString::fromUtf8(texto).trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(f))
        return std::nullopt;
    return f;
}

} // namespace

qint64 MsDeFechaHora(const QDate& fecha, const QTime& hora) {
    return fecha.toJulianDay() * kMsDia + hora.msecsSinceStartOfDay();
}

QDateTime FechaHoraDeMs(qint64 ms) {
    const qint64 dia = ms >= 0 ? ms / kMsDia : (ms - kMsDia + 1) / kMsDia;
    return QDateTime(QDate::fromJulianDay(dia),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms - dia * kMsDia)), Qt::UTC);
}

SerieNiveles SerieDeFilas(const FilasInfraccion& filas, const QDate& inicio, const QDate& fin) {
    SerieNiveles s;
    s.inicio = inicio;
    s.fin = fin;
    s.puntos.reserve(filas.size());
    LectorFechas fechas;
    float maximo = std::numeric_limits<float>::quiet_NaN();
    IndiceEstatus estatus(s.estatus);
    for (std::size_t i = 0; i < filas.size(); ++i) {
        if (filas.separador(i))
            continue;
        // The limit in force carries over rows outside the range too.
        if (const std::optional<float> m = leerNumero(filas.utf8(i, ColInfraccion::MaxDb)))
            maximo = *m;
        const std::optional<QDate>& fecha = fechas.leer(filas.utf8(i, ColInfraccion::Fecha));
        if (fecha && (*fecha < inicio || *fecha > fin))
            continue;
        const std::optional<QTime> hora = LeerHoraHMS(filas.utf8(i, ColInfraccion::Hora));
        const std::optional<float> nivel = leerNumero(filas.utf8(i, ColInfraccion::NivelDb));
        if (!fecha || !hora || !nivel) {
            ++s.ilegibles;
            continue;
        }
        PuntoNivel p;
        p.ms = MsDeFechaHora(*fecha, *hora);
        p.nivel = *nivel;
        p.maximo = maximo;
        p.estatus = estatus.indice(filas.utf8(i, ColInfraccion::Estatus));
        p.fila = static_cast<std::uint32_t>(i);
        s.puntos.push_back(p);
    }
    // Rows are stored in import order; a file imported late may hold earlier days.
    if (!std::is_sorted(s.puntos.begin(), s.puntos.end(),
                        [](const PuntoNivel& a, const PuntoNivel& b) { return a.ms < b.ms; }))
        std::stable_sort(s.puntos.begin(), s.puntos.end(),
                         [](const PuntoNivel& a, const PuntoNivel& b) { return a.ms < b.ms; });
    for (const PuntoNivel& p : s.puntos) {
        s.nivelMaximo = std::max(s.nivelMaximo, p.nivel);
        s.excesos += p.excede() ? 1 : 0;
    }
    return s;
}

std::vector<PuntoLimite> LineaLimite(const SerieNiveles& serie) {
    std::vector<PuntoLimite> linea;
    const PuntoNivel* ultimo = nullptr;
    for (const PuntoNivel& p : serie.puntos) {
        if (std::isnan(p.maximo))
            continue;
        if (!ultimo)
            linea.push_back({p.ms, p.maximo});
        else if (p.maximo != ultimo->maximo) {
            linea.push_back({p.ms, ultimo->maximo});
            linea.push_back({p.ms, p.maximo});
        }
        ultimo = &p;
    }
    if (ultimo && (linea.empty() || linea.back().ms != ultimo->ms))
        linea.push_back({ultimo->ms, ultimo->maximo});
    return linea;
}

std::vector<std::size_t> ReducirPuntos(const std::vector<PuntoNivel>& puntos, qint64 desde, qint64 hasta,
                                       int columnas, int estatus) {
    std::vector<std::size_t> elegidos;
    if (puntos.empty() || hasta < desde)
        return elegidos;
    columnas = std::max(1, columnas);
    estatus = std::max(0, estatus);
    const auto menor = [](const PuntoNivel& p, qint64 ms) { return p.ms < ms; };
    const auto mayor = [](qint64 ms, const PuntoNivel& p) { return ms < p.ms; };
    const std::size_t primero = static_cast<std::size_t>(
        std::lower_bound(puntos.begin(), puntos.end(), desde, menor) - puntos.begin());
    const std::size_t fin = static_cast<std::size_t>(
        std::upper_bound(puntos.begin(), puntos.end(), hasta, mayor) - puntos.begin());
    if (primero > 0)
        elegidos.push_back(primero - 1);

    // A column that holds no more than this keeps every point.
    const std::size_t pocos = static_cast<std::size_t>(4 + estatus);
    const double ancho = static_cast<double>(hasta - desde) + 1.0;
    std::vector<std::size_t> columna;
    std::vector<std::size_t> picoEstatus(static_cast<std::size_t>(estatus));
    constexpr std::size_t kNinguno = std::numeric_limits<std::size_t>::max();
    std::size_t i = primero;
    while (i < fin) {
        const auto col = static_cast<qint64>((static_cast<double>(puntos[i].ms - desde) / ancho) * columnas);
        std::size_t j = i;
        while (j < fin &&
               static_cast<qint64>((static_cast<double>(puntos[j].ms - desde) / ancho) * columnas) == col)
            ++j;
        if (j - i <= pocos) {
            for (std::size_t k = i; k < j; ++k)
                elegidos.push_back(k);
        } else {
            columna.assign({i, j - 1});
            std::size_t bajo = i, alto = i;
            std::fill(picoEstatus.begin(), picoEstatus.end(), kNinguno);
            for (std::size_t k = i; k < j; ++k) {
                const PuntoNivel& p = puntos[k];
                if (p.nivel < puntos[bajo].nivel)
                    bajo = k;
                if (p.nivel > puntos[alto].nivel)
                    alto = k;
                if (p.excede() && p.estatus < picoEstatus.size()) {
                    std::size_t& pico = picoEstatus[p.estatus];
                    if (pico == kNinguno || p.nivel > puntos[pico].nivel)
                        pico = k;
                }
            }
            columna.push_back(bajo);
            columna.push_back(alto);
            for (std::size_t pico : picoEstatus)
                if (pico != kNinguno)
                    columna.push_back(pico);
            std::sort(columna.begin(), columna.end());
            columna.erase(std::unique(columna.begin(), columna.end()), columna.end());
            elegidos.insert(elegidos.end(), columna.begin(), columna.end());
        }
        i = j;
    }
    if (fin < puntos.size())
        elegidos.push_back(fin);
    return elegidos;
}

int MapaSemanal::maximoCelda() const {
    int m = 0;
    for (const auto& dia : total)
        for (int n : dia)
            m = std::max(m, n);
    return m;
}

MapaSemanal ContarSemanaHora(const FilasInfraccion& filas, const QDate& inicio, const QDate& fin) {
    MapaSemanal mapa;
    LectorFechas fechas;
    IndiceEstatus estatus(mapa.estatus);
    for (std::size_t i = 0; i < filas.size(); ++i) {
        if (filas.separador(i))
            continue;
        const std::optional<QDate>& fecha = fechas.leer(filas.utf8(i, ColInfraccion::Fecha));
        if (!fecha || *fecha < inicio || *fecha > fin)
            continue;
        const std::optional<QTime> hora = LeerHoraHMS(filas.utf8(i, ColInfraccion::Hora));
        if (!hora)
            continue;
        const auto dia = static_cast<std::size_t>(fecha->dayOfWeek() - 1);
        const auto h = static_cast<std::size_t>(hora->hour());
        const quint16 e = estatus.indice(filas.utf8(i, ColInfraccion::Estatus));
        if (e >= mapa.porEstatus.size())
            mapa.porEstatus.resize(e + 1u);
        ++mapa.total[dia][h];
        ++mapa.porEstatus[e][dia][h];
        ++mapa.cantidad;
    }
    return mapa;
}

QString DescribirSerie(const SerieNiveles& serie) {
    const QLocale es(QLocale::Spanish, QLocale::Spain);
    const QString formato = QStringLiteral("dd/MM/yyyy");
    QString texto = QStringLiteral("Nivel dB del %1 al %2: ")
                        .arg(serie.inicio.toString(formato), serie.fin.toString(formato));
    if (serie.puntos.empty())
        return texto + QStringLiteral("sin registros en el período.");
    const qsizetype n = static_cast<qsizetype>(serie.puntos.size());
    texto += n == 1 ? QStringLiteral("1 registro") : es.toString(n) + QStringLiteral(" registros");
    texto += QStringLiteral(", nivel máximo %1 dB, ").arg(es.toString(serie.nivelMaximo, 'f', 0));
    if (serie.excesos == 0)
        texto += QStringLiteral("ninguno supera el máximo permitido.");
    else if (serie.excesos == 1)
        texto += QStringLiteral("1 supera el máximo permitido.");
    else
        texto += QStringLiteral("%1 superan el máximo permitido.").arg(es.toString(serie.excesos));
    return texto;
}

bool HayFilasInfraccion(const FilasInfraccion& filas) {
    return filas.hayRegistros();
}

const QStringList& DiasSemana() {
    static const QStringList dias = {QStringLiteral("Lunes"),     QStringLiteral("Martes"),
                                     QStringLiteral("Miércoles"), QStringLiteral("Jueves"),
                                     QStringLiteral("Viernes"),   QStringLiteral("Sábado"),
                                     QStringLiteral("Domingo")};
    return dias;
}
