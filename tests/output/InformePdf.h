#pragma once

#include "output/Informe.h"

#include <QString>
#include <QStringList>

// Text of a PDF as `pdftotext -layout` reads it back; pages are separated by form feeds.
QString TextoPdf(const QString& ruta);
// Words of a PDF with their boxes (pdftotext -bbox), in points.
struct PalabraPdf {
    QString texto;
    double xMin, yMin, xMax, yMax;
    int pagina; // from 1
    double anchoPagina;
};
QList<PalabraPdf> PalabrasPdf(const QString& ruta);
// Number of pages of a PDF (its form feeds as pdftotext writes them).
int PaginasPdf(const QString& texto);
// One detail line with distinct texts, numbered n.
RegistroInforme RegistroPrueba(int n);
