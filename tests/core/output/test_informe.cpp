// The report renderer: its paging, and the PDF it writes read back with pdftotext.

#include "core/output/InformeInfracciones.h"
#include "core/output/UnirPdf.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Palabra {
    QString texto;
    double x0, x1, y, ancho; // points; y is the middle of the box, ancho the page's width
    int pagina;
};

QList<Palabra> Palabras(const QString& ruta) {
    QProcess p;
    p.start("pdftotext", {"-bbox", ruta, "-"});
    p.waitForFinished(60000);
    static const QRegularExpression re(
        "<page width=\"([\\d.]+)\"|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
        "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)<");
    QList<Palabra> palabras;
    int pagina = 0;
    double ancho = 0;
    for (auto it = re.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();) {
        const auto m = it.next();
        const auto n = [&](int i) { return m.captured(i).toDouble(); };
        if (m.capturedLength(1) > 0)
            ++pagina, ancho = n(1);
        else
            palabras.append({QTextDocumentFragment::fromHtml(m.captured(6)).toPlainText(), n(2), n(4),
                             (n(3) + n(5)) / 2, ancho, pagina});
    }
    return palabras;
}

// `pdftotext -layout` reads a short report sideways (its upward headings outnumber the detail),
// so the lines are rebuilt from the word boxes: words at one height, left to right, single
// spaces; every page ends with a form feed.
QString Texto(QList<Palabra> w) {
    std::ranges::stable_sort(w, {}, [](const Palabra& p) { return std::pair(p.pagina, p.y); });
    QString texto;
    for (qsizetype i = 0, j = 0; i < w.size(); i = j) {
        QMap<double, QString> linea;
        for (; j < w.size() && w[j].pagina == w[i].pagina && w[j].y - w[i].y <= 3; ++j)
            linea.insert(w[j].x0, w[j].texto);
        texto += QStringList(linea.values()).join(' ') + '\n';
        if (j == w.size() || w[j].pagina != w[i].pagina)
            texto += '\f';
    }
    return texto;
}

// The texts of one detail line, left to right as the grid shows them.
QStringList textosRegistro(int n) {
    return QString("%1/03/2011|14:00:30|9%2|D. JOCKEY|BAT. OK|SI|12|Insp%2|85|10|3|105|30|70|60|%2")
        .arg(n + 1, 2, 10, QChar('0'))
        .arg(n)
        .split('|');
}

RegistroInforme registro(int n) {
    const QStringList t = textosRegistro(n);
    return {t[0], t[1], t[2],  t[3],  t[4],  t[5],  t[6],  t[7],
            t[8], t[9], t[10], t[11], t[12], t[13], t[14], t[15]};
}

DatosInforme datos(int registros) {
    DatosInforme d{TituloInforme("Municipalidad de Ensayo"),
                   "Juan Pérez",
                   "La Esquina",
                   DireccionLocalInforme("San Martín 120", "", "Rivadavia", "Buenos Aires"),
                   std::vector<RegistroInforme>(),
                   QDateTime(QDate(2026, 12, 6), QTime(10, 26, 8)),
                   {},
                   0};
    for (int i = 1; i <= registros; ++i)
        d.registros.push_back(registro(i));
    return d;
}

QTemporaryDir dir;

QList<Palabra> pdf(const DatosInforme& d) {
    static int n = 0;
    const QString ruta = dir.filePath(QString::number(++n) + ".pdf");
    EXPECT_TRUE(InformeInfracciones(d).guardarPdf(ruta));
    return Palabras(ruta);
}

bool contiene(const QString& texto, const QString& patron) {
    return texto.contains(QRegularExpression(patron));
}

} // namespace

TEST(InformePaginacion, CabecerasPiesYSaltosEntreLineas) {
    // A4 landscape, 1 cm margins: 538.6 pt; the first page's body (538.6 - 16.4 - 90.75 - 116.25)
    // takes 12 lines of 25.5 pt, later pages 15.
    const InformeInfracciones informe(datos(40));
    auto p = informe.paginar(538.6);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(
        std::tuple(p[0].registros, p[1].primerRegistro, p[1].registros, p[2].primerRegistro, p[2].registros),
        std::tuple(12, 12, 15, 27, 13));
    // A full last page sends the report footer to a page of its own.
    p = InformeInfracciones(datos(12)).paginar(538.6);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_TRUE(!p[0].pieInforme && p[1].registros == 0 && p[1].pieInforme);
    // Paper too small for a single line still makes progress, one line per page.
    EXPECT_EQ(informe.paginar(150).size(), 41u);
}

TEST(InformePdf, CabecerasPiesYCadaLineaEnteraEnOrden) {
    const QString texto = Texto(pdf(datos(40)));
    const QStringList paginas = texto.split('\f');
    ASSERT_EQ(paginas.size(), 4) << qPrintable(texto); // three pages and what follows the last
    EXPECT_TRUE(paginas[0].contains("Municipalidad de Ensayo - Detalle de Infracciones"));
    EXPECT_TRUE(contiene(paginas[0], "Nombre del Responsable:\\s+Juan Pérez"));
    EXPECT_TRUE(contiene(paginas[0], "Nombre del Local:\\s+La Esquina"));
    // The empty locality keeps its place: two separators in a row.
    EXPECT_TRUE(contiene(paginas[0], "Dirección del Local:\\s+San Martín 120 -\\s+- Rivadavia"));
    EXPECT_TRUE(contiene(paginas[2],
                         "Informe Generado el :\\s+domingo, 6 de diciembre de 2026\\s+a las\\s+10:26:08"));
    for (int k = 1; k <= 3; ++k) {
        EXPECT_TRUE(contiene(paginas[k - 1], QString("Página:\\s+%1\\s+de\\s+3").arg(k))) << k;
        // The report header on the first page only, its footer on the last.
        EXPECT_EQ(paginas[k - 1].contains("Municipalidad"), k == 1);
        EXPECT_EQ(paginas[k - 1].contains("Informe Generado"), k == 3);
    }
    // Every record whole on one line, in the heading order, and in order.
    EXPECT_EQ(texto.count(QRegularExpression(
                  "(?m)^\\d+ \\d\\d/03/2011 14:00:30 9\\d+ D. JOCKEY BAT. OK SI 12 Insp\\d+ "
                  "85 10 3 105 30 70 60$")),
              40);
    QStringList orden, esperado;
    for (auto it = QRegularExpression("Insp(\\d+)").globalMatch(texto); it.hasNext();)
        orden << it.next().captured(1), esperado << QString::number(esperado.size() + 1);
    EXPECT_EQ(orden, esperado);
    EXPECT_EQ(TituloInforme(""), " - Detalle de Infracciones"); // an empty header keeps the dash
}

// The report ends with the imports behind its rows, on pages of their own when they do not fit.
TEST(InformePdf, TerminaConLaProcedenciaDeLasFilas) {
    DatosInforme d = datos(3);
    ImportacionRegistrada i;
    i.usuario = "Invitado";
    i.equipo = "puesto-3";
    i.nombreArchivo = "0123.kvd";
    i.sha256 = QString(64, 'b');
    i.momento = QDateTime(QDate(2026, 12, 6), QTime(9, 30));
    i.guardados = 3;
    d.importaciones = {i};
    d.anteriores = 1;
    const QString texto = Texto(pdf(d));
    EXPECT_TRUE(contiene(texto,
                         "Procedencia de las infracciones impresas\\s+Importado el 06/12/2026 09:30:00 por "
                         "Invitado en puesto-3 · archivo 0123.kvd · SHA-256 b{64} · 3 registros guardados, 0 "
                         "omitidos\\s+1 fila impresa es anterior al registro de importaciones."))
        << qPrintable(texto);

    d.importaciones.assign(60, i);
    const auto p = InformeInfracciones(d).paginar(538.6);
    int lineas = 0;
    for (const InformeInfracciones::Pagina& pag : p)
        lineas += pag.procedencias;
    EXPECT_EQ(lineas, 62);
    ASSERT_GE(p.size(), 2u);
    EXPECT_TRUE(p[0].cabeceraPagina && p[0].pieInforme && !p.back().cabeceraPagina &&
                p.back().registros == 0);
}

TEST(InformePdf, SeparadorVacioYTextosLargosCortados) {
    DatosInforme d = datos(0);
    d.registros = {registro(1), registro(2), RegistroInforme{}, registro(3)};
    const QString largo = "Inspectora Municipal María de los Ángeles Fernández de la Cruz";
    d.registros[3].inspector = largo;
    d.cliente = "Responsable " + QString(120, u'x');
    const QList<Palabra> palabras = pdf(d);
    QHash<QString, double> y;
    for (const Palabra& w : palabras)
        y.insert(w.texto, w.y);
    // One detail line is 25.5 pt; the separator takes one, with nothing on it.
    const double y1 = y["02/03/2011"], y2 = y["03/03/2011"], y3 = y["04/03/2011"];
    EXPECT_NEAR(y2 - y1, 25.5, 0.2);
    EXPECT_NEAR(y3 - y2, 51.0, 0.2);
    for (const Palabra& w : palabras)
        EXPECT_FALSE(w.y > y2 + 5 && w.y < y3 - 5) << qPrintable(w.texto);
    const QString texto = Texto(palabras);
    EXPECT_TRUE(contiene(texto, "Responsable x+…"));
    // The neighbours of the cut text are untouched.
    EXPECT_TRUE(contiene(texto, "SI 12 Inspectora[^\\n]*… 85 10")) << qPrintable(texto);
}

TEST(InformePdf, PaginaAngostaReduceElInformeSinPerderColumnas) {
    const QString ruta = dir.filePath("vertical.pdf");
    QPdfWriter escritor(ruta);
    escritor.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    ASSERT_TRUE(InformeInfracciones(datos(2)).imprimir(&escritor));
    // Every field is printed whole, and nothing runs off the paper.
    const QList<Palabra> palabras = Palabras(ruta);
    for (const Palabra& w : palabras)
        EXPECT_TRUE(w.x0 > 0 && w.x1 < w.ancho && !w.texto.contains(u'…')) << qPrintable(w.texto);
    const QString texto = Texto(palabras);
    for (const QString& campo : textosRegistro(2))
        EXPECT_TRUE(texto.contains(campo)) << qPrintable(campo);
    EXPECT_TRUE(texto.contains("Ambiente")); // the rightmost heading
    EXPECT_FALSE(
        InformeInfracciones(datos(1)).imprimir(nullptr)); // nowhere to paint: a failure, not a blank success
}

// Headings, detail texts and footers are drawn grouped by font, several texts at a time: every
// page still carries each heading, in its column, and its own footer.
TEST(InformePdf, CadaPaginaConTodosLosTitulosEnSuColumna) {
    const QList<Palabra> palabras = pdf(datos(20));
    // One word of each heading, left to right.
    const QStringList titulos{"N°",          "Fecha",     "Hora",    "dB",
                              "Estatus",     "Bateria",   "220V",    "Compresion",
                              "Inspector",   "Permitido", "Umbral",  "Penalizaciones",
                              "Calibración", "Segundos",  "Consola", "Ambiente"};
    for (int pagina = 1; pagina <= 2; ++pagina) {
        double anterior = -1;
        for (const QString& t : titulos) {
            double x = 1e9; // the leftmost one right of the previous heading
            for (const Palabra& p : palabras)
                if (p.pagina == pagina && p.texto == t && p.x0 > anterior)
                    x = std::min(x, p.x0);
            ASSERT_LT(x, 1e9) << qPrintable(t) << " " << pagina;
            anterior = x;
        }
        const QString texto = Texto(palabras);
        EXPECT_TRUE(contiene(texto.split('\f')[pagina - 1], QString("Página:\\s+%1\\s+de\\s+2").arg(pagina)));
    }
}

// A long report is written in two halves at once and joined: one document, every line once and
// in order, every page numbered as part of the whole.
TEST(InformePdf, InformeLargoEnDosMitadesEsUnSoloDocumento) {
    const int lineas = 15 * InformeInfracciones::kPaginasEnDosMitades;
    const QString ruta = dir.filePath("largo.pdf");
    ASSERT_TRUE(InformeInfracciones(datos(lineas)).guardarPdf(ruta));
    QFile archivo(ruta);
    ASSERT_TRUE(archivo.open(QIODevice::ReadOnly));
    // Each half embeds the two fonts it used.
    EXPECT_EQ(archivo.readAll().count("/Type /FontDescriptor"), 4);
    const QString texto = Texto(Palabras(ruta));
    const QStringList paginas = texto.split('\f');
    const int total = int(paginas.size()) - 1;
    ASSERT_GE(total, InformeInfracciones::kPaginasEnDosMitades);
    for (int k = 1; k <= total; ++k)
        EXPECT_TRUE(contiene(paginas[k - 1], QString("Página:\\s+%1\\s+de\\s+%2").arg(k).arg(total))) << k;
    QStringList orden, esperado;
    for (auto it = QRegularExpression("Insp(\\d+) 85").globalMatch(texto); it.hasNext();)
        orden << it.next().captured(1), esperado << QString::number(esperado.size() + 1);
    EXPECT_EQ(orden.size(), lineas);
    EXPECT_EQ(orden, esperado);
}

namespace {

QByteArray documento(const QStringList& paginas) {
    QByteArray datos;
    QBuffer destino(&datos);
    destino.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&destino);
    QPainter p(&pdf);
    p.setFont(QFont("Liberation Sans", 14));
    for (qsizetype i = 0; i < paginas.size(); ++i) {
        if (i > 0)
            pdf.newPage();
        p.drawText(QPointF(200, 400), paginas[i]);
    }
    p.end();
    return datos;
}

} // namespace

TEST(UnirPdf, LasPaginasDelSegundoSiguenALasDelPrimero) {
    const QByteArray unido = UnirPdf(documento({"uno", "dos"}), documento({"tres"}));
    ASSERT_FALSE(unido.isEmpty());
    QFile archivo(dir.filePath("unido.pdf"));
    ASSERT_TRUE(archivo.open(QIODevice::WriteOnly));
    archivo.write(unido);
    archivo.close();
    const QList<Palabra> palabras = Palabras(archivo.fileName());
    QStringList vistas;
    for (const Palabra& w : palabras)
        vistas << QString("%1:%2").arg(w.pagina).arg(w.texto);
    EXPECT_EQ(vistas, QStringList({"1:uno", "2:dos", "3:tres"}));
    // Anything but what that writer writes is refused, not mangled.
    EXPECT_TRUE(UnirPdf(documento({"uno"}), "%PDF-1.4\nno es un documento\n").isEmpty());
    EXPECT_TRUE(UnirPdf(QByteArray(), documento({"uno"})).isEmpty());
}
