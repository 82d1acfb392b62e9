#pragma once

#include <QString>

#include <functional>
#include <vector>

// Where the level chart's date axis puts its ticks: on whole seconds, minutes, hours, days,
// months or years, the step chosen for the period shown. Times are the series' own scale of
// wall-clock ms (MsDeFechaHora).

enum class UnidadTiempo { Segundo, Minuto, Hora, Dia, Mes, Anio };

struct MarcaTiempo {
    qint64 ms = 0;
    QString texto;    // in the step's unit: "18:30", "12/03", "mar 2014", "2014"
    QString contexto; // the larger unit, on the first tick and where it changes: the date under
                      // hours ("12/03/2014"), the year under days ("2014"); empty otherwise
};

struct MarcasTiempo {
    UnidadTiempo unidad = UnidadTiempo::Anio;
    int paso = 1; // in units
    std::vector<MarcaTiempo> marcas;
};

// The finest step that leaves at most `maximo` ticks inside [desde, hasta] (at least 2 are asked
// for; a few more are allowed when the next step would leave fewer than two), and those ticks in
// order. Steps: 1/2/5/10/15/30 s and min, 1/2/3/6/12 h, 1/2/3/7/14 days (weeks start on Monday),
// 1/2/3/6 months, 1/2/5/10/20/50... years; each tick a multiple of its step (6 h: 0, 6, 12, 18;
// 3 months: January, April...). No ticks when hasta < desde.
MarcasTiempo ElegirMarcasTiempo(qint64 desde, qint64 hasta, int maximo = 10);

// The same for a plot `ancho` pixels wide whose labels in each unit need `anchoEtiqueta(unidad)`
// pixels (the gap to the next one included): ticks a label apart at least, and none closer to
// an edge than half a label, so that every label shows whole.
MarcasTiempo ElegirMarcasTiempo(qint64 desde, qint64 hasta, double ancho,
                                const std::function<double(UnidadTiempo)>& anchoEtiqueta, int maximo = 10);
