#pragma once

#include "core/actividad/EmisionDocumentos.h"
#include "core/resumen/ResumenOficina.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

// The summary's columns, the same in the window, the workbook and the report.
namespace ColResumen {
constexpr int Numero = 0;
constexpr int Nombre = 1;
constexpr int Local = 2;
constexpr int PrimerEstatus = 3; // the seven statuses of kEstatusResumen follow
constexpr int Manipulacion = 10;
constexpr int Total = 11;
constexpr int NivelMaximo = 12;
constexpr int Excesos = 13;
constexpr int UltimaInspeccion = 14;
constexpr int AnteriorInspeccion = 15;
constexpr int DiasSinInspeccion = 16;
constexpr int TotalAnterior = 17;
constexpr int Cambio = 18;
constexpr int Cantidad = 19;
} // namespace ColResumen

QString TituloColumnaResumen(int col);
// Whether the column holds counts (written as numbers, zero included).
bool ColumnaNumericaResumen(int col);
// A cell: a number (qint64) for counts, text otherwise; null when there is nothing to show
// (no readable level, never inspected).
QVariant ValorResumen(const FilaResumen& fila, int col, const QDate& hoy);
// The cell as shown: numbers in plain digits, dates as dd/MM/yyyy.
QString TextoResumen(const FilaResumen& fila, int col, const QDate& hoy);
// "01/03/2024 al 31/03/2024".
QString TextoPeriodo(const PeriodoResumen& periodo);

// An issued summary: the rows as the window lists them (or every client), and what frames them.
struct DocumentoResumen {
    QString municipio;
    QString usuario;
    PeriodoResumen periodo;
    PeriodoResumen anterior;
    QDate hoy;
    std::vector<FilaResumen> filas;
    QDateTime generado = QDateTime::currentDateTime();
    QString origen; // "ventana" | "linea de comandos"
    // The verification stamp issued documents carry; its code is empty while none is issued.
    SelloVerificacion sello;
};

class Conexion;

// The digest of the rows in the order listed, over every column but the days without inspection
// (they grow each day while the register stays the same).
QString DigestResumen(const std::vector<FilaResumen>& filas, const QDate& hoy);

// Every summary the program issues, workbook ("libro") or report ("informe"), passes here before
// it is written: it gets its verification code, derived from the register, the period, the rows
// in order and the log's head, and the entry to write once it was saved. Writes nothing.
// Throws ErrorBD.
EmisionPreparada SellarDocumentoResumen(Conexion& db, const QString& identidad, DocumentoResumen& documento,
                                        const QString& salida);

DocumentoResumen DocumentoDe(const ResumenOficina& resumen, std::vector<FilaResumen> filas);
