#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <optional>

class Conexion;
class Dialecto;

// The device's statuses, in the order the office summary lists them; the texts are the stored ones.
inline constexpr std::array<const char*, 7> kEstatusResumen = {
    "MIC. DESC.", "D. JOCKEY", "L. SHOW", "BAT. DESC.", "EXCESO INF.", "REINICIO EQ.", "APERT. GAB."};
// ResumenMensual's count column of each status, in the same order.
inline constexpr std::array<const char*, 7> kColumnasEstatus = {
    "MicDesc", "DJockey", "LShow", "BatDesc", "ExcesoInf", "ReinicioEq", "AperturaGab"};

// ResumenMensual holds, per month (yyyyMM) and client number, the counts the office summary reads,
// so that a year is about a dozen rows per client instead of every infraction. Only rows with a
// client number and a date of eight digits are counted; the month is the date's first six.
//
// On a server, statement triggers keep it exact whatever writes the infractions. On the file a
// trigger per inserted row would cost the import as much again, so the table covers the rows up
// to ResumenMensualHasta.Hasta (an id): the import adds its own rows' counts in its transaction,
// anything else inserted is read from the rows (the summary adds the rows past Hasta) until
// IncorporarFilasNuevas() takes them in. Deletions and updates are followed by triggers.

// The statements that create the tables and their triggers and fill them from the stored rows.
// They can run again: they start by dropping what an earlier run made.
QStringList EsquemaResumenMensual(const Dialecto& dialecto);

// The counts of every stored row as one SELECT with the table's columns, by month and client: what
// the table must hold (on the file, once IncorporarFilasNuevas() ran).
QString RecuentoMensual(const Dialecto& dialecto);

// Takes the rows past Hasta into the table (the file; nothing on a server). In the caller's
// transaction.
void IncorporarFilasNuevas(Conexion& db);

// One import's rows counted as it writes them, for one client and one stored maximum; the same
// rules as the SQL above.
class CuentaMensual {
public:
    CuentaMensual(QString numeroCliente, const QString& maximoGuardado);
    void agregar(const QString& fecha, const QString& estatus, const QString& nivel);
    // Adds the counts to the table and moves Hasta past the import's rows; when rows the table did
    // not cover were already there (written by something else), takes those in from the rows
    // instead. `hastaAntes` is what HastaActual() gave before the rows were inserted.
    void guardar(Conexion& db, std::optional<qint64> hastaAntes) const;

private:
    struct Mes {
        qint64 filas = 0;
        std::array<qint64, 7> porEstatus{};
        std::optional<qint64> nivelMaximo;
        qint64 vecesNivelMaximo = 0;
        qint64 excesos = 0;
    };
    QString numero_;
    std::optional<qint64> maximo_;
    std::map<QString, Mes> meses_;
    QString ultimaClave_;
    Mes* ultimo_ = nullptr;
};

// On the file, Hasta when every stored row is covered by the table (none has a greater id), else
// nothing; nothing on a server.
std::optional<qint64> HastaActual(Conexion& db);

// The whole number a stored level text holds: one to nine ASCII digits, else nothing.
std::optional<qint64> EnteroGuardado(const QString& texto);
