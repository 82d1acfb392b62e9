#include "clients/VistaInfracciones.h"

#include "clients/FrmDatos.h"
#include "clients/SelectoresFecha.h"
#include "grid/AnchoColumnas.h"
#include "grid/GridModel.h"
#include "grid/GridView.h"
#include "platform/Mensajes.h"
#include "store/modVarios.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QTimeEdit>

#include <algorithm>
#include <vector>

const char* const kFormatoInfracciones =
    "id | Equipo | Fecha | Hora | Nivel dB | Estatus | Batería | Red 220V | % Compr. | Inspector | Max. dB | "
    "dB Atenuador | Excesos | Calibracion dB | Seg. Penalizar | Nivel de Consola | Nivel de Ruido | CI";

namespace {
const QColor kAmarillo(255, 255, 0);
const QColor kNaranja(255, 128, 0);
const QColor kRojo(255, 0, 0);
const QColor kGrisOscuro(40, 40, 40);

// Completed date filters; lets a filter that moved the start date (and so filtered again
// through the picker's change event) skip its own, identical pass.
int filtrosHechos = 0;

// Leading number of a text, as the band settings are stored (" 8", "08", "8.0").
double valorNumerico(const QString& texto) {
    const QString t = texto.trimmed();
    int fin = 0;
    if (fin < t.size() && (t.at(fin) == QLatin1Char('-') || t.at(fin) == QLatin1Char('+')))
        ++fin;
    while (fin < t.size() && (t.at(fin).isDigit() || t.at(fin) == QLatin1Char('.')))
        ++fin;
    bool ok = false;
    const double v = t.left(fin).toDouble(&ok);
    return ok ? v : 0.0;
}

void cargarPorSlot3(GridModel& grid, const Consulta& consulta, bool vaciar) {
    // Let the previous client's rows go first: a big client would otherwise be held twice.
    grid.clear();
    AbrirConexion3();
    try {
        AbrirRegistros(Registros3, Conexion3, consulta);
        grid.bind(Registros3);
    } catch (...) {
        CerrarConexion3();
        throw;
    }
    CerrarConexion3();
    if (vaciar)
        grid.setRows(1);
}
} // namespace

bool EsClienteReal(const GridModel& flex, int fila) {
    return fila >= 1 && fila < flex.rows() &&
           !EsRegistroMarcador(flex.textMatrix(fila, 1), flex.textMatrix(fila, 4));
}

void CargarInfracciones(GridModel& grid, const QString& numeroCliente) {
    cargarPorSlot3(grid, Sentencias::infraccionesCliente(numeroCliente), numeroCliente.isEmpty());
}

void CargarBandas(GridModel& bandas, const QString& numeroCliente) {
    cargarPorSlot3(bandas, Sentencias::bandasCliente(numeroCliente), numeroCliente.isEmpty());
}

const QStringList& TextosEstatus() {
    // The decoder's status table; kept in step with it.
    static const QStringList textos = {QStringLiteral("MIC. DESC."),  QStringLiteral("D. JOCKEY"),
                                       QStringLiteral("L. SHOW"),     QStringLiteral("BAT. DESC."),
                                       QStringLiteral("EXCESO INF."), QStringLiteral("REINICIO EQ."),
                                       QStringLiteral("APERT. GAB.")};
    return textos;
}

void FormatearInfracciones(GridModel& grid, const QFont& fuente) {
    grid.setFormatString(QString::fromUtf8(kFormatoInfracciones));
    for (int c = 0; c < grid.cols(); ++c)
        grid.setColAlignment(c, Qt::AlignCenter);
    grid.setColWidth(ColInfraccion::Id, 0);
    grid.setColWidth(ColInfraccion::Fecha, 1200);
    grid.setColWidth(ColInfraccion::Hora, 1200);
    grid.setColWidth(
        ColInfraccion::Estatus,
        std::max(1200, AnchoColumnaTwips(grid, fuente, ColInfraccion::Estatus, TextosEstatus())));
    grid.setColWidth(ColInfraccion::Inspector, 1510);
    grid.setColWidth(ColInfraccion::CI, 800);
}

bool ContadorMarcado(const QString& ci) {
    // Any dot counts, the one of "BLOQ." included: stored files and users already read
    // the grid this way.
    return ci.contains(QLatin1Char('.'));
}

void MarcarGrupos(GridModel& grid) {
    std::vector<int> marcadas;
    for (int f = 1; f < grid.rows(); ++f) {
        const QString ci = grid.textMatrix(f, ColInfraccion::CI);
        if (!ContadorMarcado(ci))
            continue;
        grid.setTextMatrix(f, ColInfraccion::CI, QString(ci).remove(QLatin1Char('.')));
        marcadas.push_back(f);
    }
    grid.insertEmptyRowsBelow(marcadas);
}

QColor ColorEstatus(const QString& estatus) {
    if (estatus.isEmpty())
        return kGrisOscuro;
    if (estatus == QLatin1String("D. JOCKEY"))
        return kNaranja;
    if (estatus == QLatin1String("MIC. DESC.") || estatus == QLatin1String("APERT. GAB.") ||
        estatus == QLatin1String("BAT. DESC.") || estatus == QLatin1String("EXCESO INF.") ||
        estatus == QLatin1String("REINICIO EQ."))
        return kRojo;
    return kAmarillo; // "L. SHOW" and any other text
}

void ColorearInfracciones(GridModel& grid) {
    grid.setBackColor(kAmarillo);
    for (int f = 1; f < grid.rows(); ++f)
        grid.setRowBackColor(f, ColorEstatus(grid.textMatrix(f, ColInfraccion::Estatus)));
}

int FiltrarPorFechas(GridModel& grid, const QDate& inicio, const QDate& fin) {
    int ilegibles = 0;
    for (int f = 1; f < grid.rows(); ++f) {
        const QString texto = grid.textMatrix(f, ColInfraccion::Fecha);
        if (texto.isEmpty())
            continue;
        const std::optional<QDate> fecha = LeerFechaDMA(texto);
        if (!fecha) {
            ++ilegibles;
            continue;
        }
        grid.setRowHeight(f, (inicio <= *fecha && *fecha <= fin) ? -1 : 0);
    }
    return ilegibles;
}

QString RellenarCero(const QString& numero) {
    return valorNumerico(numero) < 10 ? QLatin1Char('0') + numero : numero;
}

TextosBandas CalcularTextosBandas(const GridModel& bandas) {
    TextosBandas t;
    if (bandas.rows() < 2 || bandas.textMatrix(1, 4).isEmpty())
        return t;
    for (int b = 0; b < 3; ++b) {
        const int base = 1 + 7 * b; // activation, start day, end day, hours and minutes
        auto celda = [&](int desplazamiento) { return bandas.textMatrix(1, base + desplazamiento); };
        t.activacion[b] = celda(0);
        t.inicio[b] =
            celda(1) + QLatin1Char(' ') + RellenarCero(celda(3)) + QLatin1Char(':') + RellenarCero(celda(4));
        t.fin[b] =
            celda(2) + QLatin1Char(' ') + RellenarCero(celda(5)) + QLatin1Char(':') + RellenarCero(celda(6));
    }
    return t;
}

void MostrarInfraccionesCliente() {
    FrmDatos* v = FrmDatos::instancia();
    if (!v || !v->flex || !v->flex2 || !v->FlexBandas)
        return;
    GridModel& flex = *v->flex;
    GridModel& flex2 = *v->flex2;
    const int fila = flex.row();
    const bool hayCliente = EsClienteReal(flex, fila);
    auto celda = [&](int col) { return hayCliente ? flex.textMatrix(fila, col) : QString(); };
    const QString numero = celda(1);

    flex2.setRedraw(false);
    try {
        QLineEdit* const local[] = {v->NLocal,    v->DLocal,   v->LocLocal,  v->PartLocal,
                                    v->ProvLocal, v->TelLocal, v->EmailLocal};
        for (int i = 0; i < 7; ++i)
            if (local[i])
                local[i]->setText(celda(12 + i));
        PonerFecha(v->UltimaFechaInsp, LeerFechaDMA(celda(19)));
        PonerHora(v->UltimaHoraInsp, LeerHoraHMS(celda(20)));
        PonerFecha(v->AnteriorInspeccionFecha, LeerFechaDMA(celda(21)));
        PonerHora(v->AnteriorInspeccionHora, LeerHoraHMS(celda(22)));

        CargarInfracciones(flex2, numero);
        // No row selected at first: a selection would hide the first record's colour.
        flex2.setRow(0);
        FormatearInfracciones(flex2, v->flex2Vista ? v->flex2Vista->font() : v->font());
        // Filter before the separators go in, so separators always show.
        v->FiltrarFechasInfracciones();
        MarcarGrupos(flex2);
        ColorearInfracciones(flex2);

        CargarBandas(*v->FlexBandas, numero);
        const TextosBandas t = CalcularTextosBandas(*v->FlexBandas);
        QLineEdit* const act[] = {v->ActBHA, v->ActBHB, v->ActBHC};
        QLineEdit* const ini[] = {v->InicioBHA, v->InicioBHB, v->InicioBHC};
        QLineEdit* const fin[] = {v->FinBHA, v->FinBHB, v->FinBHC};
        for (int b = 0; b < 3; ++b) {
            if (act[b])
                act[b]->setText(t.activacion[b]);
            if (ini[b])
                ini[b]->setText(t.inicio[b]);
            if (fin[b])
                fin[b]->setText(t.fin[b]);
        }
    } catch (const ErrorBD& e) {
        flex2.setRedraw(true);
        MostrarError(e);
        return;
    } catch (const std::exception& e) {
        flex2.setRedraw(true);
        MsgBox(QString::fromLocal8Bit(e.what()), QString(), Icono::Critico);
        return;
    }
    flex2.setRedraw(true);
}

void FrmDatos::FiltrarFechasInfracciones() {
    if (!flex2 || !FechaInfInicio || !FechaInfFin)
        return;
    if (FechaInfInicio->date() > FechaInfFin->date()) {
        const int antes = filtrosHechos;
        // Its change event filters again, now with the dates in order.
        FechaInfInicio->setDate(FechaInfFin->date());
        if (filtrosHechos != antes)
            return;
    }
    const bool dibujando = flex2->redraw();
    flex2->setRedraw(false);
    const int ilegibles = FiltrarPorFechas(*flex2, FechaInfInicio->date(), FechaInfFin->date());
    ++filtrosHechos;
    flex2->setRedraw(dibujando);
    if (ilegibles > 0)
        MsgBox(QStringLiteral(
                   "¡No hay infracciones en el listado para filtrar!, Por favor seleccione un cliente"),
               QStringLiteral("Seleccione un Cliente"), Icono::Informacion);
}
