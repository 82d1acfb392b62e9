#pragma once

#include "core/actividad/EmisionDocumentos.h"

#include <QDate>
#include <QString>

class Oficina;

// A document the office hands out (a report or a workbook), as the register keeps track of it.
struct DocumentoEmitido {
    QString tipo; // "informe" | "libro"
    QString cliente;
    QDate desde, hasta;
    qsizetype filas = 0;
    QString origen; // "ventana" | "linea de comandos"
};

// Prepares the issue of what the office's selected client and range list now: the stamp the
// document carries, and the entry to write once it is saved. Throws ErrorBD.
EmisionPreparada PrepararDocumento(const Oficina& oficina, const DocumentoEmitido& documento);
