#pragma once

#include <QRectF>
#include <QString>

class QPainter;

// What the box of a signed document says.
struct RecuadroFirma {
    QString firmante; // the certificate's subject
    QString fecha;    // when it was signed, as shown
    QString codigo;   // the verification code; empty when there is none
};

// The box's lines, as drawn.
QStringList LineasRecuadroFirma(const RecuadroFirma& recuadro);

// Draws the box in `caja` (in the painter's units), with letters `tamano` units high.
void DibujarRecuadroFirma(QPainter& p, const QRectF& caja, const RecuadroFirma& recuadro, int tamano);
