#include "output/Informe.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>

namespace {

// Font sizes in twips (20 per point): the painter works in twips, so fonts get a pixel size.
constexpr int k8_25 = 165;
constexpr int k9 = 180;
constexpr int k9_75 = 195;
constexpr int k11_25 = 225;
constexpr int k14_25 = 285;

constexpr int kLineaFina = 10;   // 0.5 pt
constexpr int kLineaGruesa = 20; // 1 pt

const QFont& fuente(int twips, bool negrita = false) {
    // Arial is what the layout was drawn for; where it is missing, Liberation Sans has the same
    // metrics, so every box still holds its text.
    static const bool sustituida = [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    Q_UNUSED(sustituida);
    // A handful of fonts, made once (thousands of lines each set one). Never destroyed: a font
    // must not outlive the application's font database.
    static auto* fuentes = new std::map<std::pair<int, bool>, QFont>();
    auto it = fuentes->find({twips, negrita});
    if (it == fuentes->end()) {
        QFont f(QStringLiteral("Arial"));
        f.setStyleHint(QFont::SansSerif);
        f.setPixelSize(twips);
        f.setBold(negrita);
        it = fuentes->emplace(std::pair(twips, negrita), f).first;
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
    int campo; // index in RegistroInforme
    int izquierda;
    int ancho;
    int alto;
    const char* titulo;
};

// Detail text boxes, left to right, with the heading printed above each.
constexpr Columna kColumnas[16] = {
    {15, 57, 630, 255, "N° de Infraccion"},
    {0, 737, 1304, 255, "Fecha de Infraccion"},
    {1, 2041, 1298, 255, "Hora de Infraccion"},
    {2, 3345, 705, 255, "Nivel en dB"},
    {3, 4139, 1247, 255, "Estatus de Micrófono"},
    {4, 5443, 793, 255, "Nivel de Bateria"},
    {5, 6293, 737, 255, "Conectado a la Red de 220V"},
    {6, 7030, 705, 255, "% de Compresion"},
    {7, 7767, 1927, 255, "Inspector"},
    {8, 9694, 705, 255, "Nivel Máximo Permitido en dB"},
    {9, 10431, 690, 255, "Umbral para inicio de Compresión en dB"},
    {10, 11112, 705, 283, "Penalizaciones Máximas Permitidas"},
    {11, 11849, 680, 255, "Calibración contrastada en dB +/-"},
    {12, 12529, 705, 255, "Segundos a transcurrir para Penalizar"},
    {13, 13266, 675, 285, "Nivel mínimo de Entrada de Consola"},
    {14, 13946, 690, 255, "Nivel Máximo de Ruido Ambiente"},
};

// Borders of the heading cells.
constexpr int kBordes[17] = {0,    691,   2029,  3366,  4073,  5410,  6327,  7033, 7740,
                             9709, 10415, 11121, 11828, 12534, 13240, 13947, 14653};

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

Impresion::Impresion(DatosInforme datos) : datos_(std::move(datos)) {}

QPageLayout Impresion::disenoPagina() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

std::vector<Impresion::Pagina> Impresion::paginar(int altoUtil) const {
    const int cuerpo = altoUtil - kAltoPiePagina;
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
    paginas.push_back(actual);
    return paginas;
}

std::vector<QString> Impresion::lineasProcedencia() const {
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

Impresion::Maqueta Impresion::maquetar(double anchoTw, double altoTw) const {
    Maqueta m;
    if (anchoTw <= 0 || altoTw <= 0)
        return m;
    m.escala = std::min(1.0, anchoTw / kAnchoInforme);
    m.altoUtil = static_cast<int>(std::floor(altoTw / m.escala));
    m.margenX = (anchoTw / m.escala - kAnchoInforme) / 2;
    m.paginas = paginar(m.altoUtil);
    m.procedencia = lineasProcedencia();
    m.graficos = datos_.graficoNiveles.isNull() && datos_.graficoSemana.isNull() ? 0 : 1;
    return m;
}

void Impresion::dibujarPagina(QPainter& p, const Maqueta& m, int indice) const {
    if (indice < 0 || indice >= m.total())
        return;
    const double dpiX = p.device()->logicalDpiX();
    const double dpiY = p.device()->logicalDpiY();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(dpiX / 1440.0 * m.escala, dpiY / 1440.0 * m.escala);
    p.translate(m.margenX, 0);
    const int total = m.total();
    if (indice < m.graficos) {
        dibujarGraficos(p, m.altoUtil);
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
    for (int i = 0; i < pag.registros; ++i) {
        dibujarDetalle(p, y, datos_.registros[static_cast<size_t>(pag.primerRegistro + i)]);
        y += kAltoDetalle;
    }
    if (pag.pieInforme) {
        dibujarPieInforme(p, y);
        y += kAltoPieInforme;
    }
    for (int l = 0; l < pag.procedencias; ++l) {
        const int linea = pag.primeraProcedencia + l;
        dibujarProcedencia(p, y, m.procedencia[static_cast<size_t>(linea)], linea == 0);
        y += kAltoProcedencia;
    }
    dibujarPiePagina(p, m.altoUtil - kAltoPiePagina, indice + 1, total);
    p.restore();
}

bool Impresion::imprimir(QPagedPaintDevice* dispositivo) const {
    if (!dispositivo)
        return false;
    QPainter p;
    if (!p.begin(dispositivo))
        return false;
    const Maqueta m = maquetar(dispositivo->width() * 1440.0 / dispositivo->logicalDpiX(),
                               dispositivo->height() * 1440.0 / dispositivo->logicalDpiY());
    if (m.total() == 0) {
        p.end();
        return false;
    }
    for (int k = 0; k < m.total(); ++k) {
        if (k > 0 && !dispositivo->newPage()) {
            p.end();
            return false;
        }
        dibujarPagina(p, m, k);
    }
    return p.end();
}

bool Impresion::guardarPdf(const QString& ruta) const {
    // Written aside and renamed at the end: a failed save leaves no half-written file behind.
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter pdf(&archivo);
        pdf.setPageLayout(disenoPagina());
        pdf.setResolution(600);
        pdf.setTitle(datos_.titulo);
        pdf.setCreator(QStringLiteral("Sistema de Adquisición de Datos"));
        if (!imprimir(&pdf)) {
            archivo.cancelWriting();
            return false;
        }
    }
    return archivo.commit();
}

void Impresion::dibujarCabeceraInforme(QPainter& p, int y) const {
    p.setPen(Qt::black);
    p.setFont(fuente(k14_25, true));
    texto(p, QRectF(540, y + 60, 11195, 345), datos_.titulo, Qt::AlignLeft);

    p.setFont(fuente(k11_25, true));
    etiqueta(p, QRectF(567, y + 567, 2891, 240), QStringLiteral("Nombre del Responsable:"));
    etiqueta(p, QRectF(567, y + 964, 2535, 240), QStringLiteral("Nombre del Local:"));
    etiqueta(p, QRectF(567, y + 1361, 2535, 240), QStringLiteral("Dirección del Local:"));

    p.setFont(fuente(k11_25));
    texto(p, QRectF(3685, y + 567, 7905, 240), datos_.cliente, Qt::AlignLeft);
    texto(p, QRectF(3685, y + 964, 7905, 240), datos_.local, Qt::AlignLeft);
    texto(p, QRectF(3685, y + 1361, 7935, 240), datos_.direccionLocal, Qt::AlignLeft);

    linea(p, 57, y + 1814, 14570, kLineaGruesa);
}

// A heading laid out once, as QPainter::drawText(caja, Qt::AlignCenter | Qt::TextWordWrap) lays
// it out: lines as wide as the box, stacked from the top on whole units until the box is full,
// the block centred in the box and each line centred across it.
struct Impresion::Titulo {
    QTextLayout disposicion;
    qreal alto = 0;
    qreal ancho = 0;
};

void Impresion::comprobarResolucion(const QPainter& p) const {
    const int dpi = p.device() ? p.device()->logicalDpiY() : 0;
    if (dpi == dpiCeldas_)
        return;
    for (auto& c : celdas_)
        c.clear();
    for (auto& t : titulos_)
        t.reset();
    dpiCeldas_ = dpi;
}

namespace {

// A text laid out as the painter's drawText() would lay it out: its font, direction, cache.
void prepararDisposicion(QTextLayout& d, const QString& texto, const QPainter& p) {
    d.setText(texto);
    d.setFont(p.font());
    d.setCacheEnabled(true);
    QTextOption opcion;
    opcion.setTextDirection(p.layoutDirection());
    opcion.setAlignment(Qt::AlignLeft);
    d.setTextOption(opcion);
}

} // namespace

void Impresion::dibujarCabeceraPagina(QPainter& p, int y) const {
    p.setPen(pluma(kLineaGruesa));
    p.setBrush(Qt::NoBrush);
    p.setFont(fuente(k8_25, true));
    comprobarResolucion(p);
    constexpr int relleno = 40;
    for (int c = 0; c < 16; ++c) {
        const QRectF celda(kBordes[c], y, kBordes[c + 1] - kBordes[c], kAltoCabeceraPagina);
        p.drawRect(celda);
        // Turned a quarter to the left, so the heading reads upwards.
        p.save();
        p.translate(celda.center());
        p.rotate(-90);
        const QRectF caja(-celda.height() / 2 + relleno, -celda.width() / 2 + relleno,
                          celda.height() - 2 * relleno, celda.width() - 2 * relleno);
        std::shared_ptr<const Titulo>& titulo = titulos_[static_cast<size_t>(c)];
        if (!titulo) {
            auto t = std::make_shared<Titulo>();
            QTextLayout& d = t->disposicion;
            prepararDisposicion(d, QString::fromUtf8(kColumnas[c].titulo), p);
            const qreal interlineado = QFontMetricsF(p.font()).leading();
            qreal alto = -interlineado;
            d.beginLayout();
            for (QTextLine l = d.createLine(); l.isValid(); l = d.createLine()) {
                l.setLineWidth(std::max<qreal>(0, caja.width()));
                alto = std::ceil(alto + interlineado);
                l.setPosition(QPointF(0, alto));
                alto += l.ascent() + l.descent();
                t->ancho = std::max(t->ancho, l.naturalTextWidth());
                if (alto >= caja.height())
                    break;
            }
            d.endLayout();
            t->alto = alto;
            titulo = std::move(t);
        }
        const qreal arriba = (caja.height() - titulo->alto) / 2;
        const QRectF ocupado(caja.x() + (caja.width() - titulo->ancho) / 2, caja.y() + arriba, titulo->ancho,
                             titulo->alto);
        if (!caja.contains(ocupado))
            p.setClipRect(caja, Qt::IntersectClip);
        for (int i = 0; i < titulo->disposicion.lineCount(); ++i) {
            const QTextLine l = titulo->disposicion.lineAt(i);
            l.draw(&p, QPointF(caja.x() + (caja.width() - l.horizontalAdvance()) / 2, caja.y() + arriba));
        }
        p.restore();
    }
}

// A detail text as its box shows it, shaped once. Drawn as QPainter::drawText() draws a single
// top-aligned, horizontally centred line: the same line layout, at the same place.
struct Impresion::CeldaDetalle {
    QTextLayout disposicion;
    qreal avance = 0;
};

namespace {

// Texts that QPainter::drawText() would first rewrite (line breaks, tabs, length variants) or
// whose trailing blanks it would count: drawn by it, uncached.
bool sinReescritura(const QString& t) {
    for (const QChar c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x9c || c.unicode() == 0x2028)
            return false;
    return !t.back().isSpace();
}

} // namespace

void Impresion::dibujarDetalle(QPainter& p, int y, const RegistroInforme& registro) const {
    linea(p, 0, y, 14627, kLineaFina);
    p.setFont(fuente(k9));
    // Each text is measured (does it fit its box?) and shaped once: detail columns repeat their
    // values over thousands of lines. Both depend on the device's resolution.
    comprobarResolucion(p);
    std::optional<QFontMetricsF> fm;
    for (size_t k = 0; k < std::size(kColumnas); ++k) {
        const Columna& c = kColumnas[k];
        const QString& t = registro[static_cast<size_t>(c.campo)];
        if (t.isEmpty())
            continue;
        const QRectF caja(c.izquierda, y + 57, c.ancho, c.alto);
        auto& celdas = celdas_[k];
        auto it = celdas.find(t);
        if (it == celdas.end()) {
            if (!fm)
                fm.emplace(p.font());
            const QString mostrado =
                fm->horizontalAdvance(t) > c.ancho ? fm->elidedText(t, Qt::ElideRight, c.ancho) : t;
            if (mostrado.isEmpty() || !sinReescritura(mostrado)) {
                etiqueta(p, caja, mostrado, Qt::AlignHCenter);
                continue;
            }
            // Bounded: a column of all-different values (the record number) keeps few.
            if (celdas.size() >= 4096)
                celdas.clear();
            auto celda = std::make_unique<CeldaDetalle>();
            QTextLayout& d = celda->disposicion;
            prepararDisposicion(d, mostrado, p);
            d.beginLayout();
            QTextLine linea = d.createLine();
            linea.setLineWidth(0x01000000);
            linea.setPosition(QPointF(0, 0));
            d.endLayout();
            celda->avance = linea.horizontalAdvance();
            it = celdas.emplace(t, std::move(celda)).first;
        }
        const CeldaDetalle& celda = *it->second;
        celda.disposicion.lineAt(0).draw(&p, QPointF(caja.x() + (caja.width() - celda.avance) / 2, caja.y()));
    }
}

void Impresion::dibujarPiePagina(QPainter& p, int y, int pagina, int total) const {
    linea(p, 0, y, 14627, kLineaGruesa);
    p.setFont(fuente(k9_75, true));
    etiqueta(p, QRectF(11282, y + 58, 795, 270), QStringLiteral("Página:"));
    etiqueta(p, QRectF(12132, y + 58, 540, 240), QString::number(pagina), Qt::AlignHCenter);
    etiqueta(p, QRectF(12755, y + 58, 390, 225), QStringLiteral("de"), Qt::AlignHCenter);
    etiqueta(p, QRectF(13209, y + 58, 510, 240), QString::number(total), Qt::AlignHCenter);
}

void Impresion::dibujarProcedencia(QPainter& p, int y, const QString& linea, bool titulo) const {
    p.setFont(fuente(titulo ? k9 : 140, titulo));
    etiqueta(p, QRectF(0, y + 20, 14627, kAltoProcedencia - 20), linea);
}

void Impresion::dibujarPieInforme(QPainter& p, int y) const {
    linea(p, 0, y, 14683, kLineaGruesa);
    p.setFont(fuente(k9_75, true));
    const QString fecha = FechaLargaInforme(datos_.generado.date());
    QRectF cajaEtiqueta(8050, y + 227, 2155, 227);
    QRectF cajaFecha(10205, y + 227, 2498, 240);
    // A long date ("miércoles, 30 de septiembre de 2026") is wider than its box: it grows to the
    // left and pushes the label along, rather than being cut or shrunk.
    const double anchoFecha = QFontMetricsF(p.font()).horizontalAdvance(fecha);
    if (anchoFecha > cajaFecha.width()) {
        cajaFecha.setRight(cajaFecha.right() - 60);
        cajaFecha.setLeft(cajaFecha.right() - anchoFecha);
        cajaEtiqueta.moveRight(cajaFecha.left() - 100);
        etiqueta(p, cajaEtiqueta, QStringLiteral("Informe Generado el :"), Qt::AlignRight);
    } else {
        etiqueta(p, cajaEtiqueta, QStringLiteral("Informe Generado el :"));
    }
    etiqueta(p, cajaFecha, fecha, Qt::AlignHCenter);
    etiqueta(p, QRectF(12755, y + 227, 510, 270), QStringLiteral("a las"));
    etiqueta(p, QRectF(13266, y + 227, 1361, 240), HoraLargaInforme(datos_.generado.time()),
             Qt::AlignHCenter);
}

void Impresion::dibujarGraficos(QPainter& p, int altoUtil) const {
    dibujarCabeceraInforme(p, 0);
    int y = kAltoCabeceraInforme + 120;
    const QImage* imagenes[] = {&datos_.graficoNiveles, &datos_.graficoSemana};
    const int cuantas = (imagenes[0]->isNull() ? 0 : 1) + (imagenes[1]->isNull() ? 0 : 1);
    const int alto = (altoUtil - kAltoPiePagina - y - 120 * cuantas) / std::max(1, cuantas);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const QImage* imagen : imagenes) {
        if (imagen->isNull())
            continue;
        // As large as the box allows, keeping the picture's proportions, centred across.
        const QSizeF tam =
            QSizeF(imagen->size()).scaled(QSizeF(kAnchoInforme - 120, alto), Qt::KeepAspectRatio);
        p.drawImage(QRectF((kAnchoInforme - tam.width()) / 2, y, tam.width(), tam.height()), *imagen);
        y += static_cast<int>(tam.height()) + 120;
    }
}
