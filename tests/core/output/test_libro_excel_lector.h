#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// Reads back what a test needs from an .xlsx (unpacked with unzip): the first sheet's cells
// with their resolved style, rows, merges and page setup, and the sheet names.
struct EstiloCelda {
    bool negrita = false;
    QString colorLetra; // "RRGGBB" when set
    QString relleno;    // "RRGGBB" of a solid fill, empty when none
    QString borde;      // style of the left border ("thin", "thick"), empty when none
    QString horizontal; // "center" or empty
};

struct CeldaLeida {
    QString texto;
    EstiloCelda estilo;
};

class LibroLeido {
public:
    // ok() is false when the file cannot be read. With `soloFilas`, only the cells of those rows
    // are kept (big sheets).
    explicit LibroLeido(const QString& archivo, const QSet<int>& soloFilas = {});
    bool ok() const { return ok_; }

    QStringList hojas;
    QMap<QString, CeldaLeida> celdas; // by address ("A1")
    QMap<int, bool> ocultas;          // by sheet row number (1-based)
    QStringList combinadas;           // "A1:O1"
    QString pie;                      // oddFooter
    bool horizontal = false, ajustarAncho = false;
    double margenInf = 0, margenPie = 0;

    QString texto(const QString& ref) const { return celdas.value(ref).texto; }
    bool existe(const QString& ref) const { return celdas.contains(ref); }
    EstiloCelda estilo(const QString& ref) const { return celdas.value(ref).estilo; }
    int ultimaFila() const; // highest row with a cell

private:
    bool ok_ = false;
};

// "A1=text|A3|B4=": each address holds that text; an address alone is not written.
void ComprobarTextos(const LibroLeido& l, const char* esperados);
