#include "core/output/InformeInfracciones.h"

#include "core/output/EscribirArchivo.h"
#include "core/output/LineaDispuesta.h"
#include "core/output/LoteGlifos.h"
#include "core/output/UnirPdf.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

namespace {

// The report is drawn in twentieths of a point: every length of the layout is a whole number of
// them, so sums and comparisons are exact, and so is every font size, which Qt takes in whole
// pixels. Lengths are written in points and converted at compile time.
constexpr int kPorPunto = 20;
constexpr double kPorPulgada = 72.0 * kPorPunto;

consteval int pt(double puntos) {
    const double v = puntos * kPorPunto;
    const int n = static_cast<int>(v + 0.5);
    if (v - n > 1e-9 || n - v > 1e-9)
        throw "not a whole twentieth of a point";
    return n;
}

constexpr int kAnchoInforme = pt(735);
constexpr int kAltoCabeceraInforme = pt(90.75);
constexpr int kAltoCabeceraPagina = pt(116.25);
constexpr int kAltoDetalle = pt(25.5);
constexpr int kAltoPiePagina = pt(16.4);
constexpr int kAltoPieInforme = pt(36.85);
constexpr int kAltoProcedencia = pt(11); // one small-print line of the import list
constexpr int kAltoFirma = pt(48);
constexpr int kAnchoFirma = pt(340);
constexpr int kAltoSello = pt(46); // the verification stamp above the page footer

// Font sizes: fonts get a pixel size in the painter's unit.
constexpr int k8_25 = pt(8.25);
constexpr int k9 = pt(9);
constexpr int k9_75 = pt(9.75);
constexpr int k11_25 = pt(11.25);
constexpr int k14_25 = pt(14.25);
constexpr int k7 = pt(7);

constexpr int kLineaFina = pt(0.5);
constexpr int kLineaGruesa = pt(1);

const QFont& fuente(int tamano, bool negrita = false) {
    // Arial is what the layout was drawn for; where it is missing, Liberation Sans has the same
    // metrics, so every box still holds its text.
    static const bool sustituida = [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    Q_UNUSED(sustituida);
    // A handful of fonts, made once (thousands of lines each set one), for each thread that
    // paints: a font is not shared between threads. The main thread's are never destroyed: a
    // font must not outlive the application's font database; another thread's go with it.
    static auto* principales = new std::map<std::pair<int, bool>, QFont>();
    std::map<std::pair<int, bool>, QFont>* fuentes = principales;
    const QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        thread_local std::map<std::pair<int, bool>, QFont> propias;
        fuentes = &propias;
    }
    auto it = fuentes->find({tamano, negrita});
    if (it == fuentes->end()) {
        QFont f(QStringLiteral("Arial"));
        f.setStyleHint(QFont::SansSerif);
        f.setPixelSize(tamano);
        f.setBold(negrita);
        it = fuentes->emplace(std::pair(tamano, negrita), f).first;
    }
    return it->second;
}

QPen pluma(int ancho) {
    QPen p(Qt::black);
    p.setWidth(ancho);
    p.setCapStyle(Qt::FlatCap);
    return p;
}

void linea(QPainter& p, int x, int y, int ancho, int grosor) {
    p.setPen(pluma(grosor));
    p.drawLine(QPointF(x, y), QPointF(x + ancho, y));
}

// A fixed label: drawn as laid out, never cut. Texts hang from the top of their box, so boxes
// of slightly different heights on one line still share a baseline.
void etiqueta(QPainter& p, const QRectF& caja, const QString& texto,
              Qt::Alignment alineacion = Qt::AlignLeft) {
    p.drawText(caja, static_cast<int>(alineacion | Qt::AlignTop) | Qt::TextDontClip | Qt::TextSingleLine,
               texto);
}

// A text that comes from the data: cut to its box with an ellipsis when it does not fit.
void texto(QPainter& p, const QRectF& caja, const QString& t, Qt::Alignment alineacion) {
    if (t.isEmpty())
        return;
    const QFontMetricsF fm(p.font());
    QString mostrado = t;
    if (fm.horizontalAdvance(t) > caja.width())
        mostrado = fm.elidedText(t, Qt::ElideRight, caja.width());
    etiqueta(p, caja, mostrado, alineacion);
}

struct Columna {
    QString RegistroInforme::*campo;
    int izquierda;
    int ancho;
    int alto;
    const char* titulo;
};

// Detail text boxes, left to right, with the heading printed above each.
constexpr Columna kColumnas[16] = {
    {&RegistroInforme::numeroInfraccion, pt(2.85), pt(31.5), pt(12.75), "N° de Infraccion"},
    {&RegistroInforme::fecha, pt(36.85), pt(65.2), pt(12.75), "Fecha de Infraccion"},
    {&RegistroInforme::hora, pt(102.05), pt(64.9), pt(12.75), "Hora de Infraccion"},
    {&RegistroInforme::nivelDb, pt(167.25), pt(35.25), pt(12.75), "Nivel en dB"},
    {&RegistroInforme::estatus, pt(206.95), pt(62.35), pt(12.75), "Estatus de Micrófono"},
    {&RegistroInforme::bateria, pt(272.15), pt(39.65), pt(12.75), "Nivel de Bateria"},
    {&RegistroInforme::tensionLinea, pt(314.65), pt(36.85), pt(12.75), "Conectado a la Red de 220V"},
    {&RegistroInforme::compresion, pt(351.5), pt(35.25), pt(12.75), "% de Compresion"},
    {&RegistroInforme::inspector, pt(388.35), pt(96.35), pt(12.75), "Inspector"},
    {&RegistroInforme::maximoDb, pt(484.7), pt(35.25), pt(12.75), "Nivel Máximo Permitido en dB"},
    {&RegistroInforme::umbralCompresionDb, pt(521.55), pt(34.5), pt(12.75),
     "Umbral para inicio de Compresión en dB"},
    {&RegistroInforme::penalizacionesMaximas, pt(555.6), pt(35.25), pt(14.15),
     "Penalizaciones Máximas Permitidas"},
    {&RegistroInforme::calibracionDb, pt(592.45), pt(34), pt(12.75), "Calibración contrastada en dB +/-"},
    {&RegistroInforme::segundosPenalizar, pt(626.45), pt(35.25), pt(12.75),
     "Segundos a transcurrir para Penalizar"},
    {&RegistroInforme::nivelConsola, pt(663.3), pt(33.75), pt(14.25), "Nivel mínimo de Entrada de Consola"},
    {&RegistroInforme::nivelRuido, pt(697.3), pt(34.5), pt(12.75), "Nivel Máximo de Ruido Ambiente"},
};

// Borders of the heading cells.
constexpr int kBordes[17] = {pt(0),      pt(34.55),  pt(101.45), pt(168.3),  pt(203.65), pt(270.5),
                             pt(316.35), pt(351.65), pt(387),    pt(485.45), pt(520.75), pt(556.05),
                             pt(591.4),  pt(626.7),  pt(662),    pt(697.35), pt(732.65)};

} // namespace

QString TituloInforme(const QString& municipio) {
    return municipio + QStringLiteral(" - ") + QStringLiteral("Detalle de Infracciones");
}

QString DireccionLocalInforme(const QString& direccion, const QString& localidad, const QString& partido,
                              const QString& provincia) {
    return QStringList{direccion, localidad, partido, provincia}.join(QStringLiteral(" - "));
}

QString FechaLargaInforme(const QDate& fecha) {
    return QLocale(QLocale::Spanish, QLocale::Spain).toString(fecha, QLocale::LongFormat);
}

QString HoraLargaInforme(const QTime& hora) {
    // The locale's long form appends the time zone, which the footer box has no room for.
    return hora.toString(QStringLiteral("HH:mm:ss"));
}

bool RegistroInforme::vacio() const {
    return std::ranges::all_of(kColumnas, [this](const Columna& c) { return (this->*c.campo).isEmpty(); });
}

InformeInfracciones::InformeInfracciones(DatosInforme datos) : datos_(std::move(datos)) {}

QPageLayout InformeInfracciones::disenoPagina() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

std::vector<InformeInfracciones::Pagina> InformeInfracciones::paginar(double altoUtil) const {
    return paginarVeinteavos(static_cast<int>(std::lround(altoUtil * kPorPunto)));
}

std::vector<InformeInfracciones::Pagina> InformeInfracciones::paginarVeinteavos(int altoUtil) const {
    const int cuerpo = altoUtil - altoPie();
    const int n = static_cast<int>(datos_.registros.size());
    std::vector<Pagina> paginas;
    Pagina actual;
    actual.cabeceraInforme = true;
    int y = kAltoCabeceraInforme + kAltoCabeceraPagina;
    for (int i = 0; i < n; ++i) {
        // A page always takes at least one line, however small the paper.
        if (y + kAltoDetalle > cuerpo && actual.registros > 0) {
            paginas.push_back(actual);
            actual = Pagina{false, i, 0, false, true, 0, 0};
            y = kAltoCabeceraPagina;
        }
        ++actual.registros;
        y += kAltoDetalle;
    }
    if (y + kAltoPieInforme > cuerpo && (actual.registros > 0 || actual.cabeceraInforme)) {
        paginas.push_back(actual);
        actual = Pagina{false, n, 0, false, true, 0, 0};
        y = kAltoCabeceraPagina;
    }
    actual.pieInforme = true;
    y += kAltoPieInforme;
    const int lineas = static_cast<int>(lineasProcedencia().size());
    actual.primeraProcedencia = 0;
    for (int l = 0; l < lineas; ++l) {
        if (y + kAltoProcedencia > cuerpo) {
            paginas.push_back(actual);
            actual = Pagina{false, n, 0, false, false, l, 0};
            y = 0;
        }
        ++actual.procedencias;
        y += kAltoProcedencia;
    }
    // The signature box sits above the last page's footer; a page of its own when it does not fit.
    if (datos_.firma && y + kAltoFirma + pt(6) > cuerpo) {
        paginas.push_back(actual);
        actual = Pagina{false, n, 0, false, false, lineas, 0};
    }
    paginas.push_back(actual);
    return paginas;
}

std::vector<QString> InformeInfracciones::lineasProcedencia() const {
    std::vector<QString> lineas;
    if (datos_.importaciones.empty() && datos_.anteriores == 0)
        return lineas;
    lineas.push_back(QStringLiteral("Procedencia de las infracciones impresas"));
    for (const ImportacionRegistrada& i : datos_.importaciones)
        lineas.push_back(
            QStringLiteral("Importado el %1 por %2 en %3 · archivo %4 · SHA-256 %5 · %6 registros "
                           "guardados, %7 omitidos")
                .arg(MomentoTexto(i.momento), i.usuario, i.equipo, i.nombreArchivo, i.sha256)
                .arg(i.guardados)
                .arg(i.omitidos));
    if (datos_.anteriores > 0)
        lineas.push_back(
            datos_.anteriores == 1
                ? QStringLiteral("1 fila impresa es anterior al registro de importaciones.")
                : QStringLiteral("%1 filas impresas son anteriores al registro de importaciones.")
                      .arg(NumeroConPuntos(datos_.anteriores)));
    return lineas;
}

InformeInfracciones::Maqueta InformeInfracciones::maquetar(double anchoMm, double altoMm) const {
    return maquetarVeinteavos(anchoMm / 25.4 * kPorPulgada, altoMm / 25.4 * kPorPulgada);
}

InformeInfracciones::Maqueta InformeInfracciones::maquetarVeinteavos(double anchoArea,
                                                                     double altoArea) const {
    Maqueta m;
    if (anchoArea <= 0 || altoArea <= 0)
        return m;
    m.escala = std::min(1.0, anchoArea / kAnchoInforme);
    m.altoUtil = static_cast<int>(std::floor(altoArea / m.escala));
    m.margenX = (anchoArea / m.escala - kAnchoInforme) / 2;
    m.paginas = paginarVeinteavos(m.altoUtil);
    m.procedencia = lineasProcedencia();
    m.graficos = datos_.graficoNiveles.isNull() && datos_.graficoSemana.isNull() ? 0 : 1;
    return m;
}

void InformeInfracciones::dibujarPagina(QPainter& p, const Maqueta& m, int indice) const {
    if (indice < 0 || indice >= m.total())
        return;
    const double dpiX = p.device()->logicalDpiX();
    const double dpiY = p.device()->logicalDpiY();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(dpiX / kPorPulgada * m.escala, dpiY / kPorPulgada * m.escala);
    p.translate(m.margenX, 0);
    const int total = m.total();
    if (indice < m.graficos) {
        dibujarGraficos(p, m.altoUtil);
        dibujarSello(p, m.altoUtil);
        dibujarPiePagina(p, m.altoUtil - kAltoPiePagina, 1, total);
        p.restore();
        return;
    }
    const Pagina& pag = m.paginas[static_cast<size_t>(indice - m.graficos)];
    int y = 0;
    if (pag.cabeceraInforme) {
        dibujarCabeceraInforme(p, y);
        y += kAltoCabeceraInforme;
    }
    if (pag.cabeceraPagina) {
        dibujarCabeceraPagina(p, y);
        y += kAltoCabeceraPagina;
    }
    LoteGlifos lote;
    for (int i = 0; i < pag.registros; ++i) {
        dibujarDetalle(p, y, datos_.registros[static_cast<size_t>(pag.primerRegistro + i)], lote);
        y += kAltoDetalle;
    }
    lote.dibujar(p);
    if (pag.pieInforme) {
        dibujarPieInforme(p, y);
        y += kAltoPieInforme;
    }
    for (int l = 0; l < pag.procedencias; ++l) {
        const int linea = pag.primeraProcedencia + l;
        dibujarProcedencia(p, y, m.procedencia[static_cast<size_t>(linea)], linea == 0);
        y += kAltoProcedencia;
    }
    if (datos_.firma && indice + 1 == total)
        DibujarRecuadroFirma(p, cajaFirma(m.altoUtil), *datos_.firma, pt(8));
    dibujarSello(p, m.altoUtil);
    dibujarPiePagina(p, m.altoUtil - kAltoPiePagina, indice + 1, total);
    p.restore();
}

QRectF InformeInfracciones::cajaFirma(int altoUtil) const {
    return QRectF(kAnchoInforme - kAnchoFirma - pt(4), altoUtil - altoPie() - kAltoFirma - pt(3), kAnchoFirma,
                  kAltoFirma);
}

QRectF InformeInfracciones::recuadroFirmaPdf() const {
    const QPageLayout diseno = disenoPagina();
    const QRectF area = diseno.paintRect(QPageLayout::Point);
    const QRectF hoja = diseno.fullRect(QPageLayout::Point);
    const Maqueta m = maquetarVeinteavos(area.width() * kPorPunto, area.height() * kPorPunto);
    const QRectF c = cajaFirma(m.altoUtil);
    const double s = m.escala / kPorPunto;
    const double x = area.left() + (m.margenX + c.left()) * s;
    const double arriba = area.top() + c.top() * s;
    return QRectF(x, hoja.height() - arriba - c.height() * s, c.width() * s, c.height() * s);
}

bool InformeInfracciones::imprimir(QPagedPaintDevice* dispositivo) const {
    return imprimirPaginas(dispositivo, 0, -1);
}

bool InformeInfracciones::imprimirPaginas(QPagedPaintDevice* dispositivo, int desde, int hasta) const {
    if (!dispositivo)
        return false;
    QPainter p;
    if (!p.begin(dispositivo))
        return false;
    const Maqueta m = maquetarVeinteavos(dispositivo->width() * kPorPulgada / dispositivo->logicalDpiX(),
                                         dispositivo->height() * kPorPulgada / dispositivo->logicalDpiY());
    if (hasta < 0 || hasta > m.total())
        hasta = m.total();
    if (desde < 0 || desde >= hasta) {
        p.end();
        return false;
    }
    for (int k = desde; k < hasta; ++k) {
        if (k > desde && !dispositivo->newPage()) {
            p.end();
            return false;
        }
        dibujarPagina(p, m, k);
    }
    return p.end();
}

namespace {

void prepararPdf(QPdfWriter& pdf, const DatosInforme& datos) {
    pdf.setPageLayout(InformeInfracciones::disenoPagina());
    pdf.setResolution(600);
    pdf.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    // The code goes into the document's title too: read back from there, without the page text.
    pdf.setTitle(datos.sello && datos.sello->emitido() ? TituloConCodigo(datos.titulo, datos.sello->codigo)
                                                       : datos.titulo);
    pdf.setCreator(QStringLiteral("Sistema de Adquisición de Datos"));
}

} // namespace

QByteArray InformeInfracciones::pdfEnDosMitades() const {
    if (QThread::idealThreadCount() < 2)
        return {};
    int total = 0;
    {
        QBuffer nada;
        nada.open(QIODevice::WriteOnly);
        QPdfWriter medida(&nada);
        prepararPdf(medida, datos_);
        total = maquetarVeinteavos(medida.width() * kPorPulgada / medida.logicalDpiX(),
                                   medida.height() * kPorPulgada / medida.logicalDpiY())
                    .total();
    }
    if (total < kPaginasEnDosMitades)
        return {};
    const int mitad = total / 2;
    fuente(k9); // the font substitution is set up here, before another thread looks fonts up
    // The second half is painted by a copy of the report: the laid-out texts it keeps belong to
    // the thread that made them.
    QByteArray segunda;
    bool segundaBien = false;
    std::unique_ptr<QThread> hilo(QThread::create([&] {
        const InformeInfracciones copia(datos_);
        QBuffer destino(&segunda);
        destino.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&destino);
        prepararPdf(pdf, datos_);
        segundaBien = copia.imprimirPaginas(&pdf, mitad, -1);
    }));
    hilo->start();
    QByteArray primera;
    bool primeraBien = false;
    {
        QBuffer destino(&primera);
        destino.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&destino);
        prepararPdf(pdf, datos_);
        primeraBien = imprimirPaginas(&pdf, 0, mitad);
    }
    hilo->wait();
    if (!primeraBien || !segundaBien)
        return {};
    return UnirPdf(primera, segunda);
}

QByteArray InformeInfracciones::pdfArchivo(const MetadatosPdf& metadatos) const {
    QByteArray pdf = pdfEnDosMitades();
    if (pdf.isEmpty()) {
        QBuffer destino(&pdf);
        destino.open(QIODevice::WriteOnly);
        QPdfWriter escritor(&destino);
        prepararPdf(escritor, datos_);
        if (!imprimir(&escritor))
            return {};
    }
    return CompletarPdfA(pdf, metadatos);
}

bool InformeInfracciones::guardarPdf(const QString& ruta, const MetadatosPdf& metadatos) const {
    const QByteArray pdf = pdfArchivo(metadatos);
    return !pdf.isEmpty() && EscribirArchivoEntero(ruta, pdf);
}

void InformeInfracciones::dibujarCabeceraInforme(QPainter& p, int y) const {
    p.setPen(Qt::black);
    p.setFont(fuente(k14_25, true));
    texto(p, QRectF(pt(27), y + pt(3), pt(559.75), pt(17.25)), datos_.titulo, Qt::AlignLeft);

    p.setFont(fuente(k11_25, true));
    etiqueta(p, QRectF(pt(28.35), y + pt(28.35), pt(144.55), pt(12)),
             QStringLiteral("Nombre del Responsable:"));
    etiqueta(p, QRectF(pt(28.35), y + pt(48.2), pt(126.75), pt(12)), QStringLiteral("Nombre del Local:"));
    etiqueta(p, QRectF(pt(28.35), y + pt(68.05), pt(126.75), pt(12)), QStringLiteral("Dirección del Local:"));

    p.setFont(fuente(k11_25));
    texto(p, QRectF(pt(184.25), y + pt(28.35), pt(395.25), pt(12)), datos_.cliente, Qt::AlignLeft);
    texto(p, QRectF(pt(184.25), y + pt(48.2), pt(395.25), pt(12)), datos_.local, Qt::AlignLeft);
    texto(p, QRectF(pt(184.25), y + pt(68.05), pt(396.75), pt(12)), datos_.direccionLocal, Qt::AlignLeft);

    linea(p, pt(2.85), y + pt(90.7), pt(728.5), kLineaGruesa);
}

// A heading laid out once, as QPainter::drawText(caja, Qt::AlignCenter | Qt::TextWordWrap) lays
// it out: lines as wide as the box, stacked from the top on whole units until the box is full,
// the block centred in the box and each line centred across it.
struct InformeInfracciones::Titulo {
    QTextLayout disposicion;
    std::vector<QPointF> origenes;          // of each line, from the cell's centre
    std::vector<QList<QGlyphRun>> corridas; // of each line, from its origin
    bool recorta = false;                   // wider or taller than its box
};

void InformeInfracciones::comprobarResolucion(const QPainter& p) const {
    const int dpi = p.device() ? p.device()->logicalDpiY() : 0;
    if (dpi == dpiCeldas_)
        return;
    for (auto& c : celdas_)
        c.clear();
    for (auto& t : titulos_)
        t.reset();
    pie_.clear();
    dpiCeldas_ = dpi;
}

void InformeInfracciones::dibujarCabeceraPagina(QPainter& p, int y) const {
    p.setPen(pluma(kLineaGruesa));
    p.setBrush(Qt::NoBrush);
    p.setFont(fuente(k8_25, true));
    comprobarResolucion(p);
    constexpr int relleno = pt(2);
    QRectF celdas[16];
    for (int c = 0; c < 16; ++c)
        celdas[c] = QRectF(kBordes[c], y, kBordes[c + 1] - kBordes[c], kAltoCabeceraPagina);
    p.drawRects(celdas, 16);
    // Headings that fit their box are drawn together, in one frame turned a quarter to the left
    // (so they read upwards); one that overflows is drawn alone, clipped to its box.
    LoteGlifos lote;
    for (int c = 0; c < 16; ++c) {
        const QRectF& celda = celdas[c];
        const QRectF caja(-celda.height() / 2 + relleno, -celda.width() / 2 + relleno,
                          celda.height() - 2 * relleno, celda.width() - 2 * relleno);
        std::shared_ptr<const Titulo>& titulo = titulos_[static_cast<size_t>(c)];
        if (!titulo) {
            auto t = std::make_shared<Titulo>();
            QTextLayout& d = t->disposicion;
            PrepararDisposicion(d, QString::fromUtf8(kColumnas[c].titulo), p);
            const qreal interlineado = QFontMetricsF(p.font()).leading();
            qreal alto = -interlineado;
            qreal ancho = 0;
            d.beginLayout();
            for (QTextLine l = d.createLine(); l.isValid(); l = d.createLine()) {
                l.setLineWidth(std::max<qreal>(0, caja.width()));
                alto = std::ceil(alto + interlineado);
                l.setPosition(QPointF(0, alto));
                alto += l.ascent() + l.descent();
                ancho = std::max(ancho, l.naturalTextWidth());
                if (alto >= caja.height())
                    break;
            }
            d.endLayout();
            const qreal arriba = (caja.height() - alto) / 2;
            const QRectF ocupado(caja.x() + (caja.width() - ancho) / 2, caja.y() + arriba, ancho, alto);
            t->recorta = !caja.contains(ocupado);
            for (int i = 0; i < d.lineCount(); ++i) {
                const QTextLine l = d.lineAt(i);
                t->origenes.emplace_back(caja.x() + (caja.width() - l.horizontalAdvance()) / 2,
                                         caja.y() + arriba);
                t->corridas.push_back(l.glyphRuns());
            }
            titulo = std::move(t);
        }
        if (titulo->recorta) {
            p.save();
            p.translate(celda.center());
            p.rotate(-90);
            p.setClipRect(caja, Qt::IntersectClip);
            for (int i = 0; i < titulo->disposicion.lineCount(); ++i)
                titulo->disposicion.lineAt(i).draw(&p, titulo->origenes[static_cast<size_t>(i)]);
            p.restore();
            continue;
        }
        // The cell's centre, in the turned frame.
        const QPointF centro(-celda.center().y(), celda.center().x());
        for (size_t i = 0; i < titulo->corridas.size(); ++i)
            for (const QGlyphRun& corrida : titulo->corridas[i])
                lote.agregar(corrida, centro + titulo->origenes[i]);
    }
    p.save();
    p.rotate(-90);
    lote.dibujar(p);
    p.restore();
}

// A detail text as its box shows it, shaped once. Drawn as QPainter::drawText() draws a single
// top-aligned, horizontally centred line: the same line layout, at the same place.
struct InformeInfracciones::CeldaDetalle : LineaDispuesta {};

void InformeInfracciones::dibujarDetalle(QPainter& p, int y, const RegistroInforme& registro,
                                         LoteGlifos& lote) const {
    linea(p, 0, y, pt(731.35), kLineaFina);
    p.setFont(fuente(k9));
    // Each text is measured (does it fit its box?) and shaped once: detail columns repeat their
    // values over thousands of lines. Both depend on the device's resolution.
    comprobarResolucion(p);
    std::optional<QFontMetricsF> fm;
    for (size_t k = 0; k < std::size(kColumnas); ++k) {
        const Columna& c = kColumnas[k];
        const QString& t = registro.*c.campo;
        if (t.isEmpty())
            continue;
        const QRectF caja(c.izquierda, y + pt(2.85), c.ancho, c.alto);
        auto& celdas = celdas_[k];
        auto it = celdas.find(t);
        if (it == celdas.end()) {
            // Shaped first as it is, which also measures it; only a text too wide for its box
            // (or one drawText() would rewrite) goes through the font metrics and is cut.
            std::shared_ptr<CeldaDetalle> celda;
            if (SinReescritura(t)) {
                celda = std::make_shared<CeldaDetalle>();
                DisponerLinea(*celda, t, p);
                if (celda->avance > c.ancho)
                    celda.reset();
            }
            if (!celda) {
                if (!fm)
                    fm.emplace(p.font());
                const QString mostrado =
                    fm->horizontalAdvance(t) > c.ancho ? fm->elidedText(t, Qt::ElideRight, c.ancho) : t;
                if (mostrado.isEmpty() || !SinReescritura(mostrado)) {
                    etiqueta(p, caja, mostrado, Qt::AlignHCenter);
                    continue;
                }
                celda = std::make_shared<CeldaDetalle>();
                DisponerLinea(*celda, mostrado, p);
            }
            // Bounded: a column of all-different values (the record number) keeps few.
            if (celdas.size() >= 4096)
                celdas.clear();
            it = celdas.emplace(t, std::move(celda)).first;
        }
        const CeldaDetalle& celda = *it->second;
        const QPointF origen(caja.x() + (caja.width() - celda.avance) / 2, caja.y());
        for (const QGlyphRun& corrida : celda.corridas)
            lote.agregar(corrida, origen);
    }
}

void InformeInfracciones::dibujarPiePagina(QPainter& p, int y, int pagina, int total) const {
    linea(p, 0, y, pt(731.35), kLineaGruesa);
    p.setFont(fuente(k9_75, true));
    comprobarResolucion(p);
    // The same few texts on every page: shaped once, drawn together.
    LoteGlifos lote;
    const auto poner = [&](const QRectF& caja, const QString& t, bool centrado) {
        std::shared_ptr<const CeldaDetalle>& l = pie_[t];
        if (!l) {
            auto nueva = std::make_shared<CeldaDetalle>();
            DisponerLinea(*nueva, t, p);
            l = std::move(nueva);
        }
        const qreal x = centrado ? caja.x() + (caja.width() - l->avance) / 2 : caja.x();
        for (const QGlyphRun& corrida : l->corridas)
            lote.agregar(corrida, QPointF(x, caja.y()));
    };
    if (pie_.size() >= 4096)
        pie_.clear();
    poner(QRectF(pt(564.1), y + pt(2.9), pt(39.75), pt(13.5)), QStringLiteral("Página:"), false);
    poner(QRectF(pt(606.6), y + pt(2.9), pt(27), pt(12)), QString::number(pagina), true);
    poner(QRectF(pt(637.75), y + pt(2.9), pt(19.5), pt(11.25)), QStringLiteral("de"), true);
    poner(QRectF(pt(660.45), y + pt(2.9), pt(25.5), pt(12)), QString::number(total), true);
    lote.dibujar(p);
}

void InformeInfracciones::dibujarProcedencia(QPainter& p, int y, const QString& linea, bool titulo) const {
    p.setFont(fuente(titulo ? k9 : k7, titulo));
    etiqueta(p, QRectF(pt(0), y + pt(1), pt(731.35), kAltoProcedencia - pt(1)), linea);
}

void InformeInfracciones::dibujarPieInforme(QPainter& p, int y) const {
    linea(p, 0, y, pt(734.15), kLineaGruesa);
    p.setFont(fuente(k9_75, true));
    const QString fecha = FechaLargaInforme(datos_.generado.date());
    QRectF cajaEtiqueta(pt(402.5), y + pt(11.35), pt(107.75), pt(11.35));
    QRectF cajaFecha(pt(510.25), y + pt(11.35), pt(124.9), pt(12));
    // A long date ("miércoles, 30 de septiembre de 2026") is wider than its box: it grows to the
    // left and pushes the label along, rather than being cut or shrunk.
    const double anchoFecha = QFontMetricsF(p.font()).horizontalAdvance(fecha);
    if (anchoFecha > cajaFecha.width()) {
        cajaFecha.setRight(cajaFecha.right() - pt(3));
        cajaFecha.setLeft(cajaFecha.right() - anchoFecha);
        cajaEtiqueta.moveRight(cajaFecha.left() - pt(5));
        etiqueta(p, cajaEtiqueta, QStringLiteral("Informe Generado el :"), Qt::AlignRight);
    } else {
        etiqueta(p, cajaEtiqueta, QStringLiteral("Informe Generado el :"));
    }
    etiqueta(p, cajaFecha, fecha, Qt::AlignHCenter);
    etiqueta(p, QRectF(pt(637.75), y + pt(11.35), pt(25.5), pt(13.5)), QStringLiteral("a las"));
    etiqueta(p, QRectF(pt(663.3), y + pt(11.35), pt(68.05), pt(12)), HoraLargaInforme(datos_.generado.time()),
             Qt::AlignHCenter);
}

void InformeInfracciones::dibujarGraficos(QPainter& p, int altoUtil) const {
    dibujarCabeceraInforme(p, 0);
    int y = kAltoCabeceraInforme + pt(6);
    const QImage* imagenes[] = {&datos_.graficoNiveles, &datos_.graficoSemana};
    const int cuantas = (imagenes[0]->isNull() ? 0 : 1) + (imagenes[1]->isNull() ? 0 : 1);
    const int alto = (altoUtil - altoPie() - y - pt(6) * cuantas) / std::max(1, cuantas);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const QImage* imagen : imagenes) {
        if (imagen->isNull())
            continue;
        // As large as the box allows, keeping the picture's proportions, centred across.
        const QSizeF tam =
            QSizeF(imagen->size()).scaled(QSizeF(kAnchoInforme - pt(6), alto), Qt::KeepAspectRatio);
        p.drawImage(QRectF((kAnchoInforme - tam.width()) / 2, y, tam.width(), tam.height()), *imagen);
        y += static_cast<int>(tam.height()) + pt(6);
    }
}

int InformeInfracciones::altoPie() const {
    return kAltoPiePagina + (datos_.sello ? kAltoSello : 0);
}

void InformeInfracciones::dibujarSello(QPainter& p, int altoUtil) const {
    if (!datos_.sello)
        return;
    const int y = altoUtil - kAltoPiePagina - kAltoSello;
    DibujarSelloVerificacion(p, QRectF(0, y + pt(3), pt(731.35), kAltoSello - pt(4)), *datos_.sello,
                             kPorPunto);
}
