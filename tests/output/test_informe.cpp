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

// Line index (in the whole text) of each line that holds a detail's inspector "InspN".
std::vector<int> lineasDeDetalle(const QString& texto, int registros) {
    const QStringList lineas = texto.split(QChar(u'\n'));
    std::vector<int> indices;
    for (int r = 1; r <= registros; ++r) {
        const QRegularExpression re(QStringLiteral("\\bInsp%1\\b").arg(r));
        int encontrada = -1;
        for (int i = 0; i < lineas.size(); ++i) {
            if (re.match(lineas[i]).hasMatch()) {
                EXPECT_EQ(encontrada, -1) << "Insp" << r << " printed twice";
                encontrada = i;
            }
        }
        indices.push_back(encontrada);
    }
    return indices;
}

} // namespace

TEST(InformeTextos, TituloYDireccionDelLocal) {
    EXPECT_EQ(TituloInforme(QStringLiteral("Municipio de Tigre")),
              QStringLiteral("Municipio de Tigre - Detalle de Infracciones"));
    EXPECT_EQ(TituloInforme(QString()), QStringLiteral(" - Detalle de Infracciones"));
    EXPECT_EQ(DireccionLocalInforme(QStringLiteral("Calle 1"), QString(), QStringLiteral("Tigre"),
                                    QStringLiteral("BA")),
              QStringLiteral("Calle 1 -  - Tigre - BA"));
    EXPECT_EQ(DireccionLocalInforme(QString(), QString(), QString(), QString()), QStringLiteral(" -  -  - "));
    EXPECT_EQ(FechaLargaInforme(QDate(2026, 12, 6)), QStringLiteral("domingo, 6 de diciembre de 2026"));
    EXPECT_EQ(HoraLargaInforme(QTime(9, 5, 7)), QStringLiteral("09:05:07"));
}

TEST(InformePaginacion, CabecerasPiesYSaltosEntreLineas) {
    // A4 landscape, 1 cm margins: 10772 twips of height.
    const int alto = 10772;
    Impresion vacio(datosBase(0));
    auto p = vacio.paginar(alto);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_TRUE(p[0].cabeceraInforme);
    EXPECT_TRUE(p[0].pieInforme);
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
    EXPECT_FALSE(p[1].cabeceraInforme);
    EXPECT_FALSE(p[1].pieInforme);
    EXPECT_TRUE(p[2].pieInforme);

    // A full last page sends the report footer to a page of its own, under a page header.
    Impresion lleno(datosBase(12));
    p = lleno.paginar(alto);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].registros, 12);
    EXPECT_FALSE(p[0].pieInforme);
    EXPECT_EQ(p[1].registros, 0);
    EXPECT_TRUE(p[1].pieInforme);

    // Paper too small for a single line still makes progress, one line per page.
    p = informe.paginar(3000);
    EXPECT_EQ(p.size(), 41u);
}

TEST_F(InformePdfTest, CabeceraDelInformeYPieConFechaLarga) {
    const QString texto = render(datosBase(3));
    ASSERT_FALSE(texto.isEmpty()) << "pdftotext failed";
    EXPECT_TRUE(texto.contains(QStringLiteral("Municipalidad de Ensayo - Detalle de Infracciones")))
        << qPrintable(texto);
    EXPECT_TRUE(texto.contains(QRegularExpression(QStringLiteral("Nombre del Responsable:\\s+Juan Pérez"))));
    EXPECT_TRUE(texto.contains(QRegularExpression(QStringLiteral("Nombre del Local:\\s+La Esquina"))));
    // The empty locality keeps its place: two separators in a row.
    EXPECT_TRUE(texto.contains(QRegularExpression(
        QStringLiteral("Dirección del Local:\\s+San Martín 120 -\\s+- Rivadavia - Buenos Aires"))));
    EXPECT_TRUE(texto.contains(QRegularExpression(QStringLiteral("Página:\\s+1\\s+de\\s+1"))));
    EXPECT_TRUE(texto.contains(QRegularExpression(
        QStringLiteral("Informe Generado el :\\s+domingo, 6 de diciembre de 2026\\s+a las\\s+10:26:08"))))
        << qPrintable(texto);
    EXPECT_EQ(PaginasPdf(texto), 1);
}

TEST_F(InformePdfTest, TituloConMunicipioVacioEmpiezaConGuion) {
    DatosInforme d = datosBase(1);
    d.titulo = TituloInforme(QString());
    const QString texto = render(d);
    EXPECT_TRUE(texto.contains(QRegularExpression(QStringLiteral("(^|\\n)\\s*- Detalle de Infracciones"))))
        << qPrintable(texto);
}

TEST_F(InformePdfTest, DetallesEnOrdenConTodasSusColumnas) {
    DatosInforme d = datosBase(3);
    const QString texto = render(d);
    const auto lineas = lineasDeDetalle(texto, 3);
    ASSERT_NE(lineas[0], -1);
    EXPECT_LT(lineas[0], lineas[1]);
    EXPECT_LT(lineas[1], lineas[2]);
    // Every field of a record is on its line, left to right in the heading order.
    const QString primera = texto.split(QChar(u'\n'))[lineas[0]];
    EXPECT_TRUE(primera.contains(QRegularExpression(
        QStringLiteral("^\\s*1\\s+02/03/2011\\s+14:01:30\\s+91\\s+D\\. JOCKEY\\s+BAT\\. "
                       "OK\\s+SI\\s+12\\s+Insp1\\s+85\\s+10\\s+3\\s+105\\s+30\\s+70\\s+60\\s*$"))))
        << qPrintable(primera);
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
    const double y1 = arriba(QStringLiteral("Insp1"));
    const double y2 = arriba(QStringLiteral("Insp2"));
    const double y3 = arriba(QStringLiteral("Insp3"));
    // One detail line is 510 twips (25.5 pt); the separator takes one, empty.
    EXPECT_NEAR(y2 - y1, 25.5, 0.2);
    EXPECT_NEAR(y3 - y2, 51.0, 0.2);
    for (const PalabraPdf& w : pdf.palabras)
        EXPECT_FALSE(w.yMin > y2 + 5 && w.yMin < y3 - 5) << qPrintable(w.texto);
}

TEST_F(InformePdfTest, VariasPaginasNumeradasYSinLineasPartidas) {
    const QString texto = render(datosBase(40));
    const int n = PaginasPdf(texto);
    ASSERT_EQ(n, 3);
    const QStringList paginas = texto.split(QChar(u'\f'));
    for (int k = 1; k <= n; ++k) {
        const QString& pagina = paginas[k - 1];
        EXPECT_TRUE(
            pagina.contains(QRegularExpression(QStringLiteral("Página:\\s+%1\\s+de\\s+%2").arg(k).arg(n))))
            << "page " << k << qPrintable(pagina);
        // The page header repeats: its first heading reads upwards on every page.
        EXPECT_EQ(pagina.contains(QStringLiteral("Municipalidad de Ensayo")), k == 1);
        EXPECT_EQ(pagina.contains(QStringLiteral("Informe Generado el :")), k == n);
    }
    // Every record once, in order; all of a record's fields on one line.
    const auto l = lineasDeDetalle(texto, 40);
    for (size_t i = 1; i < l.size(); ++i)
        EXPECT_LT(l[i - 1], l[i]);
    const QStringList lineas = texto.split(QChar(u'\n'));
    for (int r = 1; r <= 40; ++r)
        EXPECT_TRUE(lineas[l[static_cast<size_t>(r - 1)]].contains(
            QStringLiteral("%1/03/2011").arg(1 + r % 28, 2, 10, QChar(u'0'))));
}

TEST_F(InformePdfTest, TextoLargoSeCortaConPuntosSuspensivos) {
    DatosInforme d = datosBase(1);
    const QString largo =
        QStringLiteral("Inspectora Municipal María de los Ángeles Fernández de la Cruz Sosa");
    ASSERT_GT(largo.size(), 50);
    d.registros[0][7] = largo;
    d.cliente = QStringLiteral("Responsable ") + QString(120, QChar(u'x'));
    const QString texto = render(d);
    EXPECT_FALSE(texto.contains(largo));
    EXPECT_TRUE(texto.contains(QRegularExpression(QStringLiteral("Inspectora[^\\n]*…"))))
        << qPrintable(texto);
    EXPECT_TRUE(texto.contains(QRegularExpression(QStringLiteral("Responsable x+…"))));
    // The neighbours of the cut text are untouched.
    EXPECT_TRUE(
        texto.contains(QRegularExpression(QStringLiteral("SI\\s+12\\s+Inspectora[^\\n]*…\\s+85\\s+10"))));
}

TEST_F(InformePdfTest, PaginaAngostaReduceElInformeSinPerderColumnas) {
    DatosInforme d = datosBase(2);
    const QString ruta = dir_.filePath(QStringLiteral("vertical.pdf"));
    QPdfWriter pdf(ruta);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                  QPageLayout::Millimeter));
    ASSERT_TRUE(Impresion(d).imprimir(&pdf));
    // Every field of both lines is printed whole, and nothing runs off the paper.
    const QList<PalabraPdf> palabras = LeerPdf(ruta).palabras;
    ASSERT_FALSE(palabras.isEmpty());
    QStringList textos;
    for (const PalabraPdf& w : palabras) {
        textos << w.texto;
        EXPECT_GT(w.xMin, 0.0) << qPrintable(w.texto);
        EXPECT_LT(w.xMax, w.anchoPagina) << qPrintable(w.texto);
    }
    const QString todo = textos.join(QChar(u' '));
    EXPECT_FALSE(todo.contains(QStringLiteral("…")));
    for (const QString& campo : RegistroPrueba(2))
        EXPECT_TRUE(todo.contains(campo)) << qPrintable(campo);
    EXPECT_TRUE(todo.contains(QStringLiteral("Ambiente"))); // the rightmost heading
}

TEST_F(InformePdfTest, ArchivoQueNoSePuedeEscribirFalla) {
    EXPECT_FALSE(Impresion(datosBase(1)).guardarPdf(dir_.filePath(QStringLiteral("no/existe/informe.pdf"))));
    EXPECT_FALSE(Impresion(datosBase(1)).imprimir(nullptr));
}
