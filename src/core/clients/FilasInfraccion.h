#pragma once

#include "core/store/TablaTextos.h"

#include <QByteArrayView>
#include <QDate>
#include <QStringList>

#include <memory>
#include <vector>

class Conexion;
struct Consulta;
struct ConsultaPorIds;

// Columns of an infraction row as the statements read them (ascending id first).
namespace ColInfraccion {
constexpr int Id = 0;
constexpr int Equipo = 1;
constexpr int Fecha = 2;
constexpr int Hora = 3;
constexpr int NivelDb = 4;
constexpr int Estatus = 5;
constexpr int Bateria = 6;
constexpr int TensionLinea = 7;
constexpr int Compresion = 8;
constexpr int Inspector = 9;
constexpr int MaxDb = 10;
constexpr int UmbralCompresion = 11;
constexpr int PenalizacionesMaximas = 12;
constexpr int Calibracion = 13;
constexpr int SegundosPenalizar = 14;
constexpr int NivelConsola = 15;
constexpr int NivelRuido = 16;
constexpr int CI = 17;
constexpr int Cantidad = 18;
constexpr int Importacion = 18; // read with the row, kept apart from the cells
} // namespace ColInfraccion

// Whether a "CI" text carries the device's group mark. Any dot counts, the one of "BLOQ."
// included: stored files and users already read the view this way.
bool ContadorMarcado(QByteArrayView ci);

// The rows of the infraction view: each stored infraction, and an empty separator below each
// row the device marked as the end of a group (the mark itself removed from "CI"). Rows outside
// the date range are kept, hidden, so the workbook can still list them when asked.
//
// The texts sit in one shared table of UTF-8 (see TablaTextos); a view shows them from there
// without a copy of its own.
class FilasInfraccion {
public:
    FilasInfraccion();

    // The rows of a query over the infractions (the cells of ColInfraccion, then the import's log
    // id when read). Throws ErrorBD.
    static FilasInfraccion Leer(Conexion& db, const Consulta& consulta);
    // The same for a query over ids, read in two parts at once when the rows are many.
    static FilasInfraccion LeerPorIds(Conexion& db, const ConsultaPorIds& consulta);
    // The same from rows already read as texts.
    static FilasInfraccion DeRegistros(const std::vector<QStringList>& registros);

    std::size_t size() const { return filas_.size(); }
    bool empty() const { return filas_.empty(); }
    bool separador(std::size_t i) const { return filas_[i].registro == kSeparador; }
    bool oculta(std::size_t i) const { return filas_[i].oculta; }
    // The import's log row; 0 for rows stored before the log, and for separators.
    qint64 importacion(std::size_t i) const;
    // A cell's text; empty for a separator.
    QByteArrayView utf8(std::size_t i, int col) const;
    QString texto(std::size_t i, int col) const {
        return separador(i) ? QString() : tabla_->texto(filas_[i].registro, col);
    }
    // The 18 cells of a row; none for a separator.
    QStringList celdas(std::size_t i) const;
    // The distinct texts of a column, in the order met.
    QStringList distintos(int col) const;
    // Whether any row is an infraction rather than a separator.
    bool hayRegistros() const;

    // Where a view row's texts are in the shared table (-1 for a separator), and the table.
    qint64 registro(std::size_t i) const { return separador(i) ? -1 : filas_[i].registro; }
    std::shared_ptr<const TablaTextos> tabla() const { return tabla_; }

    // Hides the rows dated outside [inicio, fin]; separators and rows without a readable date
    // keep showing. Returns how many date texts could not be read. Each row's date is read once.
    int filtrarPorFechas(const QDate& inicio, const QDate& fin);
    // Leaves out the rows of any other client than `numero`, with their separators.
    void conservarCliente(const QString& numero);

private:
    static constexpr quint32 kSeparador = 0xFFFFFFFFu;
    static constexpr qint32 kSinLeer = -1;
    static constexpr qint32 kSinFecha = -2;
    static constexpr qint32 kIlegible = -3;
    struct Fila {
        quint32 registro = kSeparador; // row of the table
        qint32 dia = kSinLeer;         // Julian day of the date text, read at the first filtering
        bool oculta = false;
    };
    // Appends a stored row from its cells (the 19th, when given, is the log id).
    void agregar(const QByteArrayView* celdas, int cantidad);
    // Reads every row's date once, as the first filtering would.
    void leerDias();
    // Appends the rows of `otra`, read after these.
    void agregarFilas(const FilasInfraccion& otra);

    std::shared_ptr<TablaTextos> tabla_;
    std::vector<qint64> importaciones_; // by table row
    std::vector<Fila> filas_;
};

// The imports behind the shown rows (hidden ones and separators left out), and how many shown
// rows are older than the log.
struct ProcedenciaFilas {
    std::vector<qint64> importaciones; // ascending
    qsizetype anteriores = 0;
};
ProcedenciaFilas ProcedenciaDe(const FilasInfraccion& filas);
