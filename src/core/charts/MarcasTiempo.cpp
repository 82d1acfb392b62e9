#include "core/charts/MarcasTiempo.h"

#include "core/charts/DatosGrafico.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 kSegundo = 1000;
constexpr qint64 kMinuto = 60 * kSegundo;
constexpr qint64 kHora = 60 * kMinuto;
constexpr qint64 kDia = 24 * kHora;

struct Paso {
    UnidadTiempo unidad;
    int cantidad;
};

// Finest first, none more than 2.5 times the one before: a period too long for one step holds at
// least two ticks of the next when five or more fit. Days of 24 h are exact here: the scale has no
// daylight-saving changes.
constexpr std::array kPasos = {
    Paso{UnidadTiempo::Segundo, 1},  Paso{UnidadTiempo::Segundo, 2},  Paso{UnidadTiempo::Segundo, 5},
    Paso{UnidadTiempo::Segundo, 10}, Paso{UnidadTiempo::Segundo, 15}, Paso{UnidadTiempo::Segundo, 30},
    Paso{UnidadTiempo::Minuto, 1},   Paso{UnidadTiempo::Minuto, 2},   Paso{UnidadTiempo::Minuto, 5},
    Paso{UnidadTiempo::Minuto, 10},  Paso{UnidadTiempo::Minuto, 15},  Paso{UnidadTiempo::Minuto, 30},
    Paso{UnidadTiempo::Hora, 1},     Paso{UnidadTiempo::Hora, 2},     Paso{UnidadTiempo::Hora, 3},
    Paso{UnidadTiempo::Hora, 6},     Paso{UnidadTiempo::Hora, 12},    Paso{UnidadTiempo::Dia, 1},
    Paso{UnidadTiempo::Dia, 2},      Paso{UnidadTiempo::Dia, 3},      Paso{UnidadTiempo::Dia, 7},
    Paso{UnidadTiempo::Dia, 14},     Paso{UnidadTiempo::Mes, 1},      Paso{UnidadTiempo::Mes, 2},
    Paso{UnidadTiempo::Mes, 3},      Paso{UnidadTiempo::Mes, 6},
};

// Written out rather than taken from the locale: its short names vary between versions ("sept.").
const std::array<QString, 12> kMeses = {QStringLiteral("ene"), QStringLiteral("feb"), QStringLiteral("mar"),
                                        QStringLiteral("abr"), QStringLiteral("may"), QStringLiteral("jun"),
                                        QStringLiteral("jul"), QStringLiteral("ago"), QStringLiteral("sep"),
                                        QStringLiteral("oct"), QStringLiteral("nov"), QStringLiteral("dic")};

qint64 pisoDiv(qint64 a, qint64 b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

qint64 techoDiv(qint64 a, qint64 b) {
    return -pisoDiv(-a, b);
}

// The first multiple of n at or after v.
qint64 multiploDesde(qint64 v, qint64 n) {
    return techoDiv(v, n) * n;
}

qint64 msDeDia(const QDate& d) {
    return MsDeFechaHora(d, QTime(0, 0));
}

// The step's ticks inside [desde, hasta], no more than `tope` of them.
std::vector<qint64> instantes(Paso paso, qint64 desde, qint64 hasta, std::size_t tope) {
    std::vector<qint64> v;
    const auto agregar = [&](qint64 t) {
        if (t > hasta || v.size() >= tope)
            return false;
        v.push_back(t);
        return true;
    };
    switch (paso.unidad) {
    case UnidadTiempo::Segundo:
    case UnidadTiempo::Minuto:
    case UnidadTiempo::Hora: {
        // The scale counts from a midnight and every such step divides a day: its multiples are
        // multiples within the day.
        const qint64 unidad = paso.unidad == UnidadTiempo::Segundo  ? kSegundo
                              : paso.unidad == UnidadTiempo::Minuto ? kMinuto
                                                                    : kHora;
        const qint64 largo = unidad * paso.cantidad;
        for (qint64 t = multiploDesde(desde, largo); agregar(t); t += largo) {
        }
        break;
    }
    case UnidadTiempo::Dia: {
        // The scale's days are Julian days, and those that are multiples of 7 are Mondays.
        for (qint64 d = multiploDesde(techoDiv(desde, kDia), paso.cantidad); agregar(d * kDia);
             d += paso.cantidad) {
        }
        break;
    }
    case UnidadTiempo::Mes: {
        const QDate fecha = FechaHoraDeMs(desde).date();
        qint64 mes = qint64(fecha.year()) * 12 + fecha.month() - 1;
        if (msDeDia(QDate(fecha.year(), fecha.month(), 1)) < desde)
            ++mes;
        for (mes = multiploDesde(mes, paso.cantidad);
             agregar(msDeDia(QDate(int(pisoDiv(mes, 12)), int(mes - pisoDiv(mes, 12) * 12) + 1, 1)));
             mes += paso.cantidad) {
        }
        break;
    }
    case UnidadTiempo::Anio: {
        const QDate fecha = FechaHoraDeMs(desde).date();
        qint64 anio = fecha.year();
        if (msDeDia(QDate(fecha.year(), 1, 1)) < desde)
            ++anio;
        for (anio = multiploDesde(anio, paso.cantidad); agregar(msDeDia(QDate(int(anio), 1, 1)));
             anio += paso.cantidad) {
        }
        break;
    }
    }
    return v;
}

QString textoMarca(UnidadTiempo unidad, const QDateTime& t) {
    switch (unidad) {
    case UnidadTiempo::Segundo:
        return t.toString(QStringLiteral("HH:mm:ss"));
    case UnidadTiempo::Minuto:
    case UnidadTiempo::Hora:
        return t.toString(QStringLiteral("HH:mm"));
    case UnidadTiempo::Dia:
        return t.toString(QStringLiteral("dd/MM"));
    case UnidadTiempo::Mes:
        return kMeses[static_cast<std::size_t>(t.date().month() - 1)] + QLatin1Char(' ') +
               QString::number(t.date().year());
    case UnidadTiempo::Anio:
        break;
    }
    return QString::number(t.date().year());
}

// What a tick's text leaves out and a reader needs once: the day of a time, the year of a day.
QString contextoMarca(UnidadTiempo unidad, const QDateTime& t) {
    switch (unidad) {
    case UnidadTiempo::Segundo:
    case UnidadTiempo::Minuto:
    case UnidadTiempo::Hora:
        return t.toString(QStringLiteral("dd/MM/yyyy"));
    case UnidadTiempo::Dia:
        return QString::number(t.date().year());
    case UnidadTiempo::Mes:
    case UnidadTiempo::Anio:
        break;
    }
    return {};
}

// How close to the edges and to each other a step's ticks may come, and how many of them fit.
struct Limite {
    qint64 borde = 0;
    qint64 separacion = 0;
    std::size_t tope = 2;
};

bool separadas(const std::vector<qint64>& v, qint64 separacion) {
    for (std::size_t i = 1; i < v.size(); ++i)
        if (v[i] - v[i - 1] < separacion)
            return false;
    return true;
}

MarcasTiempo elegir(qint64 desde, qint64 hasta, const std::function<Limite(UnidadTiempo)>& limite) {
    MarcasTiempo r;
    if (hasta < desde)
        return r;
    std::vector<Paso> pasos(kPasos.begin(), kPasos.end());
    // Years by 1, 2 and 5 times a power of ten, up to steps longer than the period.
    const qint64 anios = (hasta - desde) / (365 * kDia) + 1;
    for (qint64 potencia = 1; potencia <= anios * 10; potencia *= 10)
        for (int factor : {1, 2, 5})
            pasos.push_back(Paso{UnidadTiempo::Anio, static_cast<int>(potencia * factor)});

    const auto dentro = [&](Paso paso, std::size_t tope) {
        const Limite l = limite(paso.unidad);
        return l.borde * 2 > hasta - desde ? std::vector<qint64>()
                                           : instantes(paso, desde + l.borde, hasta - l.borde, tope);
    };
    std::vector<qint64> elegidos, anteriores;
    bool anterioresSeparadas = false;
    Paso elegido = pasos.back();
    for (std::size_t i = 0; i < pasos.size(); ++i) {
        const Limite l = limite(pasos[i].unidad);
        const std::size_t tope = std::max<std::size_t>(2, l.tope);
        std::vector<qint64> v = dentro(pasos[i], tope + 1);
        const bool apartadas = separadas(v, l.separacion);
        if (v.size() <= tope && apartadas) {
            elegido = pasos[i];
            elegidos = std::move(v);
            // When there is room for very few, a tick or two too many say more than a bare axis;
            // labels on top of each other would not.
            if (elegidos.size() < 2 && i > 0 && anteriores.size() > elegidos.size() && anterioresSeparadas) {
                elegido = pasos[i - 1];
                elegidos = dentro(elegido, std::numeric_limits<std::size_t>::max());
            }
            break;
        }
        anteriores = std::move(v);
        anterioresSeparadas = apartadas;
    }
    r.unidad = elegido.unidad;
    r.paso = elegido.cantidad;
    r.marcas.reserve(elegidos.size());
    QString anterior;
    for (qint64 ms : elegidos) {
        const QDateTime t = FechaHoraDeMs(ms);
        MarcaTiempo m;
        m.ms = ms;
        m.texto = textoMarca(r.unidad, t);
        const QString contexto = contextoMarca(r.unidad, t);
        if (contexto != anterior)
            m.contexto = contexto;
        anterior = contexto;
        r.marcas.push_back(std::move(m));
    }
    return r;
}

} // namespace

MarcasTiempo ElegirMarcasTiempo(qint64 desde, qint64 hasta, int maximo) {
    const Limite l{0, 0, static_cast<std::size_t>(std::max(2, maximo))};
    return elegir(desde, hasta, [&](UnidadTiempo) { return l; });
}

MarcasTiempo ElegirMarcasTiempo(qint64 desde, qint64 hasta, double ancho,
                                const std::function<double(UnidadTiempo)>& anchoEtiqueta, int maximo) {
    if (!(ancho > 0))
        return ElegirMarcasTiempo(desde, hasta, maximo);
    const double msPorPixel = static_cast<double>(hasta - desde) / ancho;
    return elegir(desde, hasta, [&](UnidadTiempo unidad) {
        const double etiqueta = std::max(1.0, anchoEtiqueta(unidad));
        return Limite{static_cast<qint64>(std::ceil(etiqueta / 2 * msPorPixel)),
                      static_cast<qint64>(std::ceil(etiqueta * msPorPixel)),
                      static_cast<std::size_t>(std::min(std::floor(ancho / etiqueta), double(maximo)))};
    });
}
