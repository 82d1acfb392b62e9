#pragma once

// Desks without windows on one shared register: each desk is the office model on its own server
// session, signed in with its own server login, on a thread of its own with its own event loop
// (so the other desks' notices reach it). They import, edit and add clients, withdraw and restore
// imports and delete clients with a reason, search and issue documents, at random from a seed.
// Meanwhile the server is restarted once and random sessions are ended. Afterwards the register
// is checked against what the desks were told, and the time until every desk shows the same
// client list as the server is measured.

#include <QSet>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

class Conexion;
class ServidorPrueba;

struct OpcionesSimulacion {
    int puestos = 4;
    int segundos = 30;
    unsigned semilla = 1;
    int clientesIniciales = 30;
    // The server restarted once, at 40% of the run; sessions ended every 1 to 3 s until 70% of it.
    bool reiniciar = true;
    bool cortarSesiones = true;
    // Pause between a desk's operations, at most (a person's pace, in ms).
    int pausaMaximaMs = 40;
};

struct ResultadoSimulacion {
    // Operations that ended: done, refused by the register's rules (another desk got there
    // first: a conflict, not a fault) and cut by a lost session.
    qint64 hechas = 0;
    qint64 rechazadas = 0;
    qint64 cortadas = 0;
    double segundos = 0;
    // Milliseconds of each operation done, by kind.
    std::map<QString, std::vector<double>> latencias;
    // Every distinct message the desks were given, and how often.
    std::map<QString, int> mensajes;
    int reinicios = 0;
    int sesionesCortadas = 0;
    // Seconds from the last change until every desk showed the server's list; negative when some
    // desk still did not after 10 s.
    double segundosHastaAcuerdo = -1;
    // What the checks found wrong, in words; empty when the register is sound.
    QStringList faltas;

    double operacionesPorSegundo() const { return segundos > 0 ? static_cast<double>(hechas) / segundos : 0; }
};

// An import a desk was told was stored.
struct ImportacionInformada {
    int puesto = 0;
    QString sha256;
    qint64 id = 0;
    qint64 registros = 0;
};

// What the register must hold after desks worked on it: every import told stored there once,
// with its log entry and its rows (none once withdrawn); none of those told failed; no import
// half-stored or half-withdrawn; no row without its client or its import; the log's chain whole;
// and "Verificar registro" finds nothing. Returns what is wrong, in words; throws ErrorBD.
QStringList ComprobarRegistro(Conexion& db, const std::vector<ImportacionInformada>& guardadas,
                              const QSet<QString>& fallidas);

// The 95th percentile of a set of figures (-1 when empty).
double Percentil95(std::vector<double> v);

// Runs the desks on a fresh register of `servidor`. Never throws: what goes wrong is in `faltas`.
ResultadoSimulacion SimularOficinas(ServidorPrueba& servidor, const OpcionesSimulacion& opciones);
