#pragma once

#include <QString>
#include <QStringList>

// One client of the register as the client list shows it: dates as dd/mm/yyyy and times as
// hh:mm:ss (the statements' display forms), everything else as stored. One to be saved carries
// its dates and times in their stored forms (yyyymmdd, hhmmss), as the editor writes them.
struct Cliente {
    qint64 id = 0;
    QString numero;
    QString nombre;
    QString direccion;
    QString localidad;
    QString codigoPostal;
    QString partido;
    QString provincia;
    QString telefono;
    QString telefonoMovil;
    QString email;
    QString fechaAlta;
    QString nombreLocal;
    QString direccionLocal;
    QString localidadLocal;
    QString partidoLocal;
    QString provinciaLocal;
    QString telefonoLocal;
    QString emailLocal;
    QString ultimaInspeccionFecha;
    QString ultimaInspeccionHora;
    QString anteriorInspeccionFecha;
    QString anteriorInspeccionHora;
    QString notas;

    // The record a new database starts with; it is never listed, edited or deleted.
    bool esMarcador() const;

    // The row Sentencias::listaClientes() reads, and back.
    static Cliente desdeFila(const QStringList& fila);
    QStringList fila() const;
};

// The record a new database starts with ("----", locality "-"). Only it is hidden: a saved
// client whose number or locality alone looks like it must stay listed, or it could never be
// seen, edited or deleted again.
bool EsRegistroMarcador(const QString& numero, const QString& localidad);

// The question shown before a client is deleted: number, name and the premises' name,
// address, locality and district, with blank lines between.
QString TextoConfirmacionEliminar(const Cliente& cliente);
