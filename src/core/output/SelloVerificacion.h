#pragma once

// The verification stamp of an issued document: the line that begins "Código de verificación:"
// with the activity log's head at issue, the register's identity, and a QR code holding the code
// and the identity. Drawn the same on every report page.

#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

struct SelloVerificacion {
    QString codigo; // empty until the document is issued (the preview)
    QString identidad;
    qint64 secuencia = 0; // the log's head at issue
    QString hash;
    bool emitido() const { return !codigo.isEmpty(); }
};

// "Código de verificación: K7QF-… · registro de actividad en el asiento N, hash …".
QString LineaVerificacion(const SelloVerificacion& sello);
// The register and how to check the document.
QString LineaRegistroVerificacion(const SelloVerificacion& sello);

// The document title with the code after it, where a PDF keeps it for the check to read back.
QString TituloConCodigo(const QString& titulo, const QString& codigo);

// A QR code's modules, row by row, without the quiet zone.
struct MatrizQr {
    int lado = 0;
    std::vector<bool> negros;
    bool negro(int x, int y) const { return negros[static_cast<size_t>(y * lado + x)]; }
};
// Medium error correction; empty (lado 0) when the text does not fit a QR code.
MatrizQr CodificarQr(const QString& texto);

// Draws the stamp into `area` (painter units; `porPunto` of them make a point): the QR code at
// the right, square, as tall as the area, and the two lines at the left. Before issue, the line
// says when the code is given and no QR is drawn.
void DibujarSelloVerificacion(QPainter& p, const QRectF& area, const SelloVerificacion& sello,
                              double porPunto);
