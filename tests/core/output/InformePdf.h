#pragma once

#include "output/Informe.h"

#include <QList>
#include <QString>

// A PDF read back with pdftotext. `pdftotext -layout` guesses a page's reading direction from
// the majority of its characters, and on a short report the upward headings outnumber the
// detail text, so it reads the page sideways; the word boxes of `pdftotext -bbox` are exact,
// and the lines are rebuilt from them.
struct PalabraPdf {
    QString texto;
    double xMin, yMin, xMax, yMax; // points, from the top left corner of the page
    int pagina;                    // from 1
    double anchoPagina;
};
struct PdfLeido {
    int paginas = 0;
    QList<PalabraPdf> palabras;
};
PdfLeido LeerPdf(const QString& ruta);

// Words of the same height joined into lines (single spaces), top to bottom; every page ends
// with a form feed.
QString TextoPdf(const QString& ruta);
int PaginasPdf(const QString& texto);
// One detail line with distinct texts, numbered n.
RegistroInforme RegistroPrueba(int n);
