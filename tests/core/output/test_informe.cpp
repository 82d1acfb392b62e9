// The report renderer: rendered to PDF exactly as the preview renders it, read back as text.

#include "InformePdf.h"

#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

DatosInforme datosBase(int registros) {
    DatosInforme d;
    d.titulo = TituloInforme(QStringLiteral("Municipalidad de Ensayo"));
    d.cliente = QStringLiteral("Juan Pérez");
    d.local = QStringLiteral("La Esquina");
    d.direccionLocal = DireccionLocalInforme(QStringLiteral("San Martín 120"), QString(),
                                             QStringLiteral("Rivadavia"), QStringLiteral("Buenos Aires"));
    d.generado = QDateTime(QDate(2026, 12, 6), QTime(10, 26, 8));
    for (int i = 1; i <= registros; ++i)
        d.registros.push_back(RegistroPrueba(i));
    return d;
}

class InformePdfTest : public ::testing::Test {
protected:
    QString render(const DatosInforme& datos) {
        ultima_ = dir_.filePath(QStringLiteral("informe%1.pdf").arg(++n_));
        EXPECT_TRUE(Impresion(datos).guardarPdf(ultima_));
        return TextoPdf(ultima_);
    }
    QTemporaryDir dir_;
    QString ultima_;
    int n_ = 0;
};

bool contiene(const QString& texto, const QString& patron) {
    return texto.contains(QRegularExpression(patron));
}

} // namespace

TEST(InformePaginacion, CabecerasPiesYSaltosEntreLineas) {
    // A4 landscape, 1 cm margins: 10772 twips of height.
    const int alto = 10772;
    auto p = Impresion(datosBase(0)).paginar(alto);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_TRUE(p[0].cabeceraInforme && p[0].pieInforme);
    EXPECT_EQ(p[0].registros, 0);

    // Body of the first page: 10772 - 328 - 1815 - 2325 = 6304 -> 12 lines; later pages 15.
    Impresion informe(datosBase(40));
    p = informe.paginar(alto);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].registros, 12);
    EXPECT_EQ(p[1].primerRegistro, 12);
    EXPECT_EQ(p[1].registros, 15);
    EXPECT_EQ(p[2].primerRegistro, 27);
    EXPECT_EQ(p[2].registros, 13);
    EXPECT_FALSE(p[1].cabeceraInforme || p[1].pieInforme);
    EXPECT_TRUE(p[2].pieInforme);

    // A full last page sends the report footer to a page of its own, under a page header.
    p = Impresion(datosBase(12)).paginar(alto);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_FALSE(p[0].pieInforme);
    EXPECT_EQ(p[1].registros, 0);
    EXPECT_TRUE(p[1].pieInforme);

    // Paper too small for a single line still makes progress, one line per page.
    EXPECT_EQ(informe.paginar(3000).size(), 41u);
}

TEST_F(InformePdfTest, CabeceraDelInformeYPieConFechaLarga) {
    const QString texto = render(datosBase(3));
    ASSERT_FALSE(texto.isEmpty()) << "pdftotext failed";
    EXPECT_TRUE(texto.contains(QStringLiteral("Municipalidad de Ensayo - Detalle de Infracciones")))
        << qPrintable(texto);
    EXPECT_TRUE(contiene(texto, QStringLiteral("Nombre del Responsable:\\s+Juan Pérez")));
    EXPECT_TRUE(contiene(texto, QStringLiteral("Nombre del Local:\\s+La Esquina")));
    // The empty locality keeps its place: two separators in a row.
    EXPECT_TRUE(contiene(
        texto, QStringLiteral("Dirección del Local:\\s+San Martín 120 -\\s+- Rivadavia - Buenos Aires")));
    EXPECT_TRUE(contiene(texto, QStringLiteral("Página:\\s+1\\s+de\\s+1")));
    EXPECT_TRUE(contiene(
        texto,
        QStringLiteral("Informe Generado el :\\s+domingo, 6 de diciembre de 2026\\s+a las\\s+10:26:08")))
        << qPrintable(texto);
    EXPECT_EQ(PaginasPdf(texto), 1);

    // An empty header leaves the title starting with " - ".
    DatosInforme d = datosBase(1);
    d.titulo = TituloInforme(QString());
    EXPECT_EQ(d.titulo, QStringLiteral(" - Detalle de Infracciones"));
    EXPECT_TRUE(contiene(render(d), QStringLiteral("(^|\\n)\\s*- Detalle de Infracciones")));
}

TEST_F(InformePdfTest, VariasPaginasNumeradasConCadaLineaEnteraYEnOrden) {
    const QString texto = render(datosBase(40));
    const int n = PaginasPdf(texto);
    ASSERT_EQ(n, 3);
    const QStringList paginas = texto.split(QChar(u'\f'));
    for (int k = 1; k <= n; ++k) {
        const QString& pagina = paginas[k - 1];
        EXPECT_TRUE(contiene(pagina, QStringLiteral("Página:\\s+%1\\s+de\\s+%2").arg(k).arg(n)))
            << "page " << k << qPrintable(pagina);
        // The report header is on the first page only, its footer on the last.
        EXPECT_EQ(pagina.contains(QStringLiteral("Municipalidad de Ensayo")), k == 1);
        EXPECT_EQ(pagina.contains(QStringLiteral("Informe Generado el :")), k == n);
    }
    // Every record once, in order, with all its fields on one line in the heading order.
    const QStringList lineas = texto.split(QChar(u'\n'));
    int anterior = -1;
    for (int r = 1; r <= 40; ++r) {
        const QRegularExpression re(QStringLiteral("\\bInsp%1\\b").arg(r));
        const QStringList conRegistro = lineas.filter(re);
        ASSERT_EQ(conRegistro.size(), 1) << "Insp" << r;
        const int indice = static_cast<int>(lineas.indexOf(conRegistro[0]));
        EXPECT_GT(indice, anterior) << r;
        anterior = indice;
        EXPECT_TRUE(
            conRegistro[0].contains(QStringLiteral("%1/03/2011").arg(1 + r % 28, 2, 10, QChar(u'0'))));
    }
    EXPECT_TRUE(contiene(
        texto, QStringLiteral("\\n\\s*1\\s+02/03/2011\\s+14:01:30\\s+91\\s+D\\. JOCKEY\\s+BAT\\. "
                              "OK\\s+SI\\s+12\\s+Insp1\\s+85\\s+10\\s+3\\s+105\\s+30\\s+70\\s+60\\s*\\n")));
}

TEST_F(InformePdfTest, SeparadorEsUnaLineaVacia) {
    DatosInforme d = datosBase(0);
    d.registros = {RegistroPrueba(1), RegistroPrueba(2), RegistroInforme{}, RegistroPrueba(3)};
    render(d);
    const PdfLeido pdf = LeerPdf(ultima_);
    const auto arriba = [&](const QString& t) {
        for (const PalabraPdf& w : pdf.palabras)
            if (w.texto == t)
                return w.yMin;
        ADD_FAILURE() << qPrintable(t) << " not printed";
        return 0.0;
    };
    const double y1 = arriba(QStringLiteral("Insp1")), y2 = arriba(QStringLiteral("Insp2")),
                 y3 = arriba(QStringLiteral("Insp3"));
    // One detail line is 510 twips (25.5 pt); the separator takes one, empty.
    EXPECT_NEAR(y2 - y1, 25.5, 0.2);
    EXPECT_NEAR(y3 - y2, 51.0, 0.2);
    for (const PalabraPdf& w : pdf.palabras)
        EXPECT_FALSE(w.yMin > y2 + 5 && w.yMin < y3 - 5) << qPrintable(w.texto);
}

TEST_F(InformePdfTest, TextoLargoSeCortaConPuntosSuspensivos) {
    DatosInforme d = datosBase(1);
    const QString largo =
        QStringLiteral("Inspectora Municipal María de los Ángeles Fernández de la Cruz Sosa");
    d.registros[0][7] = largo;
    d.cliente = QStringLiteral("Responsable ") + QString(120, QChar(u'x'));
    const QString texto = render(d);
    EXPECT_FALSE(texto.contains(largo));
    EXPECT_TRUE(contiene(texto, QStringLiteral("Responsable x+…")));
    // The neighbours of the cut text are untouched.
    EXPECT_TRUE(contiene(texto, QStringLiteral("SI\\s+12\\s+Inspectora[^\\n]*…\\s+85\\s+10")))
        << qPrintable(texto);
}

TEST_F(InformePdfTest, PaginaAngostaReduceElInformeSinPerderColumnas) {
    const QString ruta = dir_.filePath(QStringLiteral("vertical.pdf"));
    QPdfWriter pdf(ruta);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                  QPageLayout::Millimeter));
    ASSERT_TRUE(Impresion(datosBase(2)).imprimir(&pdf));
    // Every field of both lines is printed whole, and nothing runs off the paper.
    const QList<PalabraPdf> palabras = LeerPdf(ruta).palabras;
    ASSERT_FALSE(palabras.isEmpty());
    QStringList textos;
    for (const PalabraPdf& w : palabras) {
        textos << w.texto;
        EXPECT_TRUE(w.xMin > 0 && w.xMax < w.anchoPagina) << qPrintable(w.texto);
    }
    const QString todo = textos.join(QChar(u' '));
    EXPECT_FALSE(todo.contains(QStringLiteral("…")));
    for (const QString& campo : RegistroPrueba(2))
        EXPECT_TRUE(todo.contains(campo)) << qPrintable(campo);
    EXPECT_TRUE(todo.contains(QStringLiteral("Ambiente"))); // the rightmost heading

    // Nowhere to write: a failure, not a blank success.
    EXPECT_FALSE(Impresion(datosBase(1)).guardarPdf(dir_.filePath(QStringLiteral("no/existe/informe.pdf"))));
    EXPECT_FALSE(Impresion(datosBase(1)).imprimir(nullptr));
}
