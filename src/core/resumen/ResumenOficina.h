#pragma once

#include "core/store/ResumenMensual.h"
#include "core/store/Sentencias.h"

#include <QDate>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class Conexion;
class Dialecto;

// The statuses that show someone tampered with the device, as indices of kEstatusResumen.
inline constexpr std::array<int, 4> kEstatusManipulacion = {0, 6, 5, 3};
// From the most serious to the least: the event that colours a client's row.
inline constexpr std::array<int, 7> kGravedadEstatus = {0, 6, 5, 3, 4, 1, 2};

// A period of whole days, both ends included.
struct PeriodoResumen {
    QDate desde;
    QDate hasta;
    bool operator==(const PeriodoResumen&) const = default;
    qint64 dias() const { return desde.daysTo(hasta) + 1; }
    bool valido() const { return desde.isValid() && hasta.isValid() && desde <= hasta; }
};

// The period compared against: for a whole calendar month, the month before; otherwise the same
// number of days just before.
PeriodoResumen PeriodoAnterior(const PeriodoResumen& periodo);

enum class PreajustePeriodo { EsteMes, MesPasado, EsteAnio, Ultimos12Meses };
// "Last 12 months" ends today and starts the day after the same date a year before.
PeriodoResumen PeriodoDe(PreajustePeriodo preajuste, const QDate& hoy);

enum class Tendencia { Mas, Menos, Igual };
QString TextoTendencia(Tendencia tendencia); // "más", "menos", "igual"

// One client's numbers for the period.
struct FilaResumen {
    qint64 id = 0;
    QString numero;
    QString nombre;
    QString local;
    std::array<qint64, 7> porEstatus{}; // by kEstatusResumen
    qint64 total = 0;                   // every row in the period, whatever its status
    qint64 totalAnterior = 0;           // every row in the previous period
    std::optional<int> nivelMaximo;     // none without a readable level
    qint64 excesos = 0;                 // rows whose level is above the row's own stored maximum
    QDate ultimaInspeccion;             // invalid when none is stored
    QDate anteriorInspeccion;

    qint64 manipulacion() const;
    // Days from the last inspection to `hoy`; none when it was never inspected.
    std::optional<qint64> diasSinInspeccion(const QDate& hoy) const;
    Tendencia tendencia() const;
    // The most serious status with rows in the period (index of kEstatusResumen); -1 for none.
    int estatusMasGrave() const;
};

struct ResumenOficina {
    PeriodoResumen periodo;
    PeriodoResumen anterior;
    QDate hoy;                      // the days without inspection count up to it
    std::vector<FilaResumen> filas; // by client id
};

// The one aggregate query: per client of the register (the placeholder left out), the counts of
// the period and the previous one. Whole months come from the monthly counts (ResumenMensual),
// the days of a month the period takes only part of from the rows themselves.
// `desdeLasFilas`: every day from the rows themselves, for a check that must not trust the counts.
Consulta ConsultaResumen(const Dialecto& dialecto, const PeriodoResumen& periodo, bool desdeLasFilas = false);
// The same counts straight from the infractions, by client number, without the clients: what the
// summary cannot be faster than.
Consulta ConsultaAgregadoDesnudo(const Dialecto& dialecto, const PeriodoResumen& periodo);

// Called every few clients with the clients read and the total; false cancels.
using AvanceResumen = std::function<bool(qint64 hechas, qint64 total)>;

// Computes the summary; nothing when cancelled. Throws ErrorBD.
std::optional<ResumenOficina> CalcularResumen(Conexion& db, const PeriodoResumen& periodo, const QDate& hoy,
                                              const AvanceResumen& avance = {}, bool desdeLasFilas = false);
