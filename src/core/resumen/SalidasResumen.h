#pragma once

#include "core/resumen/TablaResumen.h"

#include <QString>

class QPagedPaintDevice;

// The workbook: the first sheet holds the table (header row, then one row per client, the client
// number as text, counts as numbers, zero written as 0), the second what it covers. False, with the
// reason in `error`, when it could not be saved; the target is then left as it was.
bool GuardarLibroResumen(const DocumentoResumen& documento, const QString& archivo, QString* error);

// The report: landscape pages with the title, the period and the table, its header on every page.
bool ImprimirInformeResumen(const DocumentoResumen& documento, QPagedPaintDevice* dispositivo);
bool GuardarPdfResumen(const DocumentoResumen& documento, const QString& archivo, QString* error);
