#pragma once

#include "core/Oficina.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// What the level chart and the week map draw, built from the selected client's rows. Plain
// functions: no window is needed to build or test them.

// A row's date and time as milliseconds of wall-clock time read as UTC: rows are local times
// written by the device, and reading them as UTC keeps them free of daylight-saving gaps.
qint64 MsDeFechaHora(const QDate& fecha, const QTime& hora);
QDateTime FechaHoraDeMs(qint64 ms); // back to the wall-clock date and time, read as UTC

struct PuntoNivel {
    qint64 ms = 0;
    float nivel = 0;
    float maximo = 0;       // the permitted maximum in force for this row (NaN when none was read)
    quint16 estatus = 0;    // index into SerieNiveles::estatus
    std::uint32_t fila = 0; // index of the row in the rows it was built from
    bool excede() const { return nivel > maximo; } // false when no maximum is known
};

// The client's readable rows inside the date range, in time order.
struct SerieNiveles {
    std::vector<PuntoNivel> puntos;
    QStringList estatus;   // the distinct status texts, in order of first appearance
    int ilegibles = 0;     // rows in the range whose date, time or level could not be read
    float nivelMaximo = 0; // of the points (0 when there are none)
    int excesos = 0;       // points above the maximum in force
    QDate inicio, fin;     // the date range asked for
};

// Rows dated inside [inicio, fin] (both days whole); separators and unreadable rows are left out.
// The maximum of a row whose "Max. dB" cannot be read is the last one read before it.
SerieNiveles SerieDeFilas(const FilasInfraccion& filas, const QDate& inicio, const QDate& fin);

// The permitted maximum as a step line: a vertex where it starts, two where it changes (old value
// then new value at the first row with the new one), one at the last point.
struct PuntoLimite {
    qint64 ms = 0;
    float maximo = 0;
};
std::vector<PuntoLimite> LineaLimite(const SerieNiveles& serie);

// The points to draw between desde and hasta (ms) on a plot `columnas` pixels wide, as indices
// into `puntos` in time order. A column with few points keeps them all; a crowded one keeps its
// first, last, lowest and highest points and, per status, its highest point above the limit: no
// peak and no status above the limit disappears, and a column never holds more than 4 + the
// number of statuses. The nearest point on each side of the period is kept too, so a line drawn
// through the points enters and leaves the plot.
std::vector<std::size_t> ReducirPuntos(const std::vector<PuntoNivel>& puntos, qint64 desde, qint64 hasta,
                                       int columnas, int estatus);

// Infractions per weekday (0 = Monday .. 6 = Sunday) and hour of day (0..23).
using CuadroSemanal = std::array<std::array<int, 24>, 7>;

struct MapaSemanal {
    CuadroSemanal total{};
    QStringList estatus;                   // the distinct status texts, in order of first appearance
    std::vector<CuadroSemanal> porEstatus; // one per status text
    int cantidad = 0;                      // rows counted
    int maximoCelda() const;               // the largest cell of `total`
};

// Counts the rows dated inside [inicio, fin] with a readable date and time.
MapaSemanal ContarSemanaHora(const FilasInfraccion& filas, const QDate& inicio, const QDate& fin);

// The text alternative of the level chart: period, number of points, maximum level and how
// many points exceed the permitted maximum.
QString DescribirSerie(const SerieNiveles& serie);

// Whether the rows hold at least one infraction (not only separators).
bool HayFilasInfraccion(const FilasInfraccion& filas);

// Weekday names for the map's rows, Monday first.
const QStringList& DiasSemana();
