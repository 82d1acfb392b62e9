#pragma once

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// Reads back what a test needs from an .xlsx: the first sheet's cells with their resolved
// style, rows, merges, columns and page setup, and the sheet names.
struct EstiloCelda {
    bool negrita = false;
    double tamano = 0;
    QString colorLetra; // "RRGGBB" when set
    QString relleno;    // "RRGGBB" of a solid fill, empty when none
    QString borde;      // style of the left border ("thin", "thick"), empty when none
    QString horizontal; // "center" or empty
    QString vertical;   // "center" or empty
    int rotacion = 0;
    bool ajuste = false;   // wrap text
    QString formatoNumero; // format code when a custom one is set
};

struct CeldaLeida {
    QString texto;
    bool esTexto = false; // written as a string (not a number or date)
    EstiloCelda estilo;
};

struct FilaLeida {
    bool oculta = false;
    double alto = 0; // 0 when not set
};

class LibroLeido {
public:
    // Unpacks the file with unzip; ok() is false when it cannot be read. With `soloFilas`,
    // only the cells of those rows are kept (big sheets).
    explicit LibroLeido(const QString& archivo, const QSet<int>& soloFilas = {});
    bool ok() const { return ok_; }

    QStringList hojas;
    QMap<QString, CeldaLeida> celdas; // by address ("A1")
    QMap<int, FilaLeida> filas;       // by sheet row number (1-based)
    QStringList combinadas;           // "A1:O1"
    QMap<int, double> anchos;         // by column number (1 = A)
    QString pie;                      // oddFooter
    bool horizontal = false;          // landscape
    double margenIzq = 0, margenDer = 0, margenSup = 0, margenInf = 0, margenPie = 0;
    bool ajustarAncho = false; // fit to one page wide

    QString texto(const QString& ref) const { return celdas.value(ref).texto; }
    bool existe(const QString& ref) const { return celdas.contains(ref); }
    EstiloCelda estilo(const QString& ref) const { return celdas.value(ref).estilo; }
    int ultimaFila() const; // highest row with a cell
    // Number of the first row whose column A holds the text (0 when none).
    int filaCon(const QString& textoA) const;

private:
    bool ok_ = false;
};

QByteArray Descomprimir(const QString& archivo, const QString& interno);
