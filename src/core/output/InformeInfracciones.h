#pragma once

#include "core/import/RegistroImportaciones.h"
#include "core/output/PdfArchivo.h"
#include "core/output/RecuadroFirma.h"
#include "core/output/SelloVerificacion.h"

#include <QDateTime>
#include <QImage>
#include <QPageLayout>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QPagedPaintDevice;
class QPainter;
struct LoteGlifos;

// One detail line of the infraction report, as the infraction view shows its texts.
struct RegistroInforme {
    QString fecha;
    QString hora;
    QString nivelDb;
    QString estatus; // of the microphone
    QString bateria;
    QString tensionLinea; // connected to the mains
    QString compresion;
    QString inspector;
    QString maximoDb;
    QString umbralCompresionDb;
    QString penalizacionesMaximas;
    QString calibracionDb;
    QString segundosPenalizar;
    QString nivelConsola;
    QString nivelRuido;
    QString numeroInfraccion; // the device's counter ("CI")

    // A separator line: nothing printed on it.
    bool vacio() const;
};

// Everything the report prints; it reads nothing else.
struct DatosInforme {
    QString titulo;         // Etiqueta1
    QString cliente;        // Etiqueta15
    QString local;          // etiqueta17
    QString direccionLocal; // Etiqueta19
    std::vector<RegistroInforme> registros;
    QDateTime generado = QDateTime::currentDateTime(); // report footer
    // The imports behind the printed rows, listed in small print at the end.
    std::vector<ImportacionRegistrada> importaciones{};
    qsizetype anteriores = 0;
    // When either is set, a page with them comes before the table (the client's charts).
    QImage graficoNiveles{};
    QImage graficoSemana{};
    // A signed document's box, drawn at the foot of its last page.
    std::optional<RecuadroFirma> firma{};
    // When set, every page carries the verification stamp above its footer.
    std::optional<SelloVerificacion> sello{};
};

// Title and premises line as the report header shows them.
QString TituloInforme(const QString& municipio);
QString DireccionLocalInforme(const QString& direccion, const QString& localidad, const QString& partido,
                              const QString& provincia);

// Footer date and time in their long Spanish form.
QString FechaLargaInforme(const QDate& fecha);
QString HoraLargaInforme(const QTime& hora);

// The client's infraction report, laid out in points and drawn with QPainter on any paged
// device (printer, preview, PDF writer). The layout is 735 pt wide; on a page whose printable
// width is narrower it is scaled down to fit.
class InformeInfracciones {
public:
    // What one page holds.
    struct Pagina {
        bool cabeceraInforme = false;
        int primerRegistro = 0;
        int registros = 0;
        bool pieInforme = false;
        bool cabeceraPagina = true; // pages holding only the import list go without the table header
        int primeraProcedencia = 0;
        int procedencias = 0;
    };

    explicit InformeInfracciones(DatosInforme datos);

    const DatosInforme& datos() const { return datos_; }
    void setDatos(DatosInforme datos) { datos_ = std::move(datos); }

    // Landscape A4 with 1 cm margins: holds the layout at full size.
    static QPageLayout disenoPagina();

    // Pages for a printable area of the given height in layout points.
    std::vector<Pagina> paginar(double altoUtil) const;

    // The pages laid out for a printable area, and how the layout sits on it. Lengths here are
    // in twentieths of a point, the unit the report is drawn in.
    struct Maqueta {
        double escala = 1;  // layout to area
        int altoUtil = 0;   // area height in the layout
        double margenX = 0; // centres the layout across the area
        int graficos = 0;   // 1 when a charts page comes first
        std::vector<Pagina> paginas;
        std::vector<QString> procedencia;
        int total() const { return static_cast<int>(paginas.size()) + graficos; }
    };
    // For a printable area of the given size in millimetres; no pages when it is empty.
    Maqueta maquetar(double anchoMm, double altoMm) const;

    // Paints one page (from 0, the charts page first when there is one) at the painter's origin,
    // in the resolution of the painter's device. Pages can be painted alone and in any order.
    void dibujarPagina(QPainter& p, const Maqueta& maqueta, int indice) const;

    // The import list that ends the report: a title, one line per import, the older rows.
    std::vector<QString> lineasProcedencia() const;

    // Paints every page on the device (which must already carry its page layout).
    // False when the device cannot be painted on.
    bool imprimir(QPagedPaintDevice* dispositivo) const;

    // The report as an archival PDF (PDF/A-1b) with these metadata; empty on failure.
    QByteArray pdfArchivo(const MetadatosPdf& metadatos) const;
    // The metadata it gets when none are given: its title and the moment it was made.
    MetadatosPdf metadatos() const {
        MetadatosPdf m;
        // The code goes into the title too: the check reads it back from there.
        const bool emitido = datos_.sello && datos_.sello->emitido();
        m.titulo = emitido ? TituloConCodigo(datos_.titulo, datos_.sello->codigo) : datos_.titulo;
        m.creado = datos_.generado;
        if (emitido) {
            m.codigo = datos_.sello->codigo;
            m.identidadRegistro = datos_.sello->identidad;
        }
        return m;
    }

    // Writes the report as an archival PDF file. False on failure, and then the file is left as
    // it was.
    bool guardarPdf(const QString& ruta) const { return guardarPdf(ruta, metadatos()); }
    bool guardarPdf(const QString& ruta, const MetadatosPdf& metadatos) const;

    // Where the signature box lies on the PDF's last page, in PDF points (origin bottom left).
    QRectF recuadroFirmaPdf() const;

    // Reports of at least this many pages are written as PDF in two halves, on two cores.
    static constexpr int kPaginasEnDosMitades = 20;

private:
    QRectF cajaFirma(int altoUtil) const; // in the layout, on the last page, above the stamp
    // Pages [desde, hasta) of the whole report (hasta < 0: to the end), numbered as in it.
    bool imprimirPaginas(QPagedPaintDevice* dispositivo, int desde, int hasta) const;
    // The whole report as a PDF written in two halves at once; empty when it cannot be.
    QByteArray pdfEnDosMitades() const;
    void dibujarCabeceraInforme(QPainter& p, int y) const;
    void dibujarCabeceraPagina(QPainter& p, int y) const;
    void dibujarDetalle(QPainter& p, int y, const RegistroInforme& registro, LoteGlifos& lote) const;
    void dibujarPiePagina(QPainter& p, int y, int pagina, int total) const;
    void dibujarPieInforme(QPainter& p, int y) const;
    void dibujarProcedencia(QPainter& p, int y, const QString& linea, bool titulo) const;
    void dibujarGraficos(QPainter& p, int altoUtil) const;
    int altoPie() const; // page footer, with the verification stamp when there is one
    void dibujarSello(QPainter& p, int altoUtil) const;
    // The same with the area in the unit the report is drawn in.
    std::vector<Pagina> paginarVeinteavos(int altoUtil) const;
    Maqueta maquetarVeinteavos(double ancho, double alto) const;

    DatosInforme datos_;
    // Detail texts as shown in each column's box (cut when too wide), laid out, for one
    // resolution.
    struct CeldaDetalle;
    mutable std::array<std::unordered_map<QString, std::shared_ptr<const CeldaDetalle>>, 16> celdas_;
    // The column headings laid out, for the same resolution.
    struct Titulo;
    mutable std::array<std::shared_ptr<const Titulo>, 16> titulos_;
    // The page footer's texts laid out, for the same resolution.
    mutable std::unordered_map<QString, std::shared_ptr<const CeldaDetalle>> pie_;
    mutable int dpiCeldas_ = -1;
    void comprobarResolucion(const QPainter& p) const; // drops the layouts of another resolution
};
