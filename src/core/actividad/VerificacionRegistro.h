#pragma once

// "Verificar registro": reads the whole register and tells whether it still holds what its logs
// say. The activity log's chain, every kept original against its logged SHA-256, every row of an
// import against what its original decodes to, the rows older than the log against their
// client's baseline, and each client against its logged changes. It writes nothing but its own
// log entry.

#include <QJsonObject>
#include <QString>

#include <functional>
#include <vector>

class Conexion;

enum class ClaseDiferencia {
    CadenaRota,          // the activity log is not one whole chain from its first entry
    OriginalFalta,       // a logged import has no kept original
    OriginalAlterado,    // the kept original does not hash to its logged SHA-256
    ImportacionAlterada, // the import log row differs from its activity log entry
    FilaCambiada,        // a stored row differs from its record in some field
    FilaFalta,           // a record of the original has no stored row
    FilaSobrante,        // a stored row that no record, import or baseline accounts for
    FilasAnteriores,     // rows older than the log no longer match their client's baseline
    ClienteCambiado,     // a client's stored data differ from its logged changes
    ClienteSobrante,     // a stored client without a logged creation or baseline
    ClienteFalta,        // a logged client that is no longer stored, without a logged deletion
};

// One difference, with whatever of its place applies (empty or 0 otherwise).
struct Diferencia {
    ClaseDiferencia clase = ClaseDiferencia::FilaCambiada;
    QString cliente;
    QString fecha; // as stored, yyyymmdd
    QString hora;  // as stored, hhmmss
    QString campo; // the stored column's name
    QString guardado;
    QString original;       // the value in the original (or in the log)
    qint64 importacion = 0; // the import log's id
    qint64 fila = 0;        // the stored row's id
    qint64 entrada = 0;     // the activity log entry (its sequence number)
    QString detalle;        // what is wrong, in Spanish

    // One line in Spanish naming all of the above that applies.
    QString texto() const;
};

// Rows stored before the import log, which have no original to compare with.
struct FilasAnterioresCliente {
    QString cliente;
    qint64 filas = 0;
};

struct InformeVerificacion {
    bool cancelada = false;
    qint64 entradas = 0;      // activity log entries read
    qint64 importaciones = 0; // logged imports
    qint64 retiradas = 0;     // of them, withdrawn
    qint64 originales = 0;    // kept originals that hash right
    qint64 filas = 0;         // stored rows compared with their original
    qint64 clientes = 0;      // clients compared with their logged changes
    std::vector<FilasAnterioresCliente> sinOriginal;
    std::vector<Diferencia> diferencias;
    qint64 noListadas = 0;       // differences beyond the listed ones
    bool entradaEscrita = false; // the check's own log entry
    QString avisoEntrada;        // why it could not be written

    bool correcto() const { return !cancelada && diferencias.empty() && noListadas == 0; }
};

struct OpcionesVerificacion {
    // Called every few thousand rows; `total` is what the whole check reads.
    std::function<void(qint64 hechos, qint64 total)> progreso;
    // Asked with each progress call; true stops the check (reported as cancelled).
    std::function<bool()> cancelar;
    // Who asked, for the check's own log entry; none is written when empty.
    QString usuario;
    QString origen; // "ventana" | "linea de comandos"
};

// Reads the register and reports every difference. Throws ErrorBD when it cannot be read.
InformeVerificacion VerificarRegistro(Conexion& db, const OpcionesVerificacion& opciones = {});

// The report in Spanish for people, and as JSON.
QString TextoInforme(const InformeVerificacion& informe);
QJsonObject JsonInforme(const InformeVerificacion& informe);
