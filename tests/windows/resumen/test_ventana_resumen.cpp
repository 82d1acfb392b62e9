// The office summary window: opened from the main window and its menu, the period and its
// presets, the filters, the client list's search, sorting, the chart, selecting a client in the
// main window, Esc; its workbook and report hold exactly the table it shows.
#include "../clients/ClientesDePrueba.h"
#include "windows/platform/UnaVentana.h"
#include "windows/resumen/VentanaResumen.h"

#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>

#include <map>

namespace {

using prueba::hijo;

class Resumen : public prueba::VentanaConClientes {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ajustes.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ajustes.path());
        prueba::VentanaConClientes::SetUp();
        hijo<QAction>(ventana->menuBar(), QStringLiteral("accionResumen"))->trigger();
        v = UnaVentana<VentanaResumen>::actual();
        ASSERT_NE(v, nullptr);
        QApplication::processEvents();
        v->elegirPeriodo({QDate(2011, 3, 1), QDate(2011, 3, 31)});
        ASSERT_TRUE(v->recalcular());
    }
    void TearDown() override {
        delete UnaVentana<VentanaResumen>::actual();
        prueba::VentanaConClientes::TearDown();
    }
    // The table as shown: one text list per row.
    std::vector<QStringList> tablaMostrada() const {
        std::vector<QStringList> r;
        const QAbstractItemModel* m = v->tabla().model();
        for (int f = 0; f < m->rowCount(); ++f) {
            QStringList fila;
            for (int c = 0; c < m->columnCount(); ++c)
                fila << m->index(f, c).data().toString();
            r.push_back(fila);
        }
        return r;
    }
    QStringList columna(int c) const {
        QStringList r;
        for (const QStringList& f : tablaMostrada())
            r << f.at(c);
        return r;
    }
    QTemporaryDir ajustes;
    QTemporaryDir dir;
    VentanaResumen* v = nullptr;
};

// The cells of the workbook's first sheet, by row and column (constant-memory mode writes
// strings inline).
std::vector<QStringList> leerLibro(const QString& ruta) {
    QProcess p;
    p.start(QStringLiteral("unzip"),
            {QStringLiteral("-p"), ruta, QStringLiteral("xl/worksheets/sheet1.xml")});
    EXPECT_TRUE(p.waitForFinished(30000));
    const QString xml = QString::fromUtf8(p.readAllStandardOutput());
    std::vector<QStringList> filas;
    static const QRegularExpression celda(QStringLiteral(
        "<c r=\"([A-Z]+)(\\d+)\"[^>]*?(?:/>|>(?:<is><t[^>]*>(.*?)</t></is>|<v>(.*?)</v>)</c>)"));
    for (auto it = celda.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        const int fila = m.captured(2).toInt() - 1;
        int col = 0;
        for (const QChar ch : m.captured(1))
            col = col * 26 + (ch.unicode() - 'A' + 1);
        --col;
        if (static_cast<int>(filas.size()) <= fila)
            filas.resize(static_cast<std::size_t>(fila) + 1);
        QStringList& f = filas[static_cast<std::size_t>(fila)];
        while (f.size() <= col)
            f << QString();
        QString t = m.captured(3).isEmpty() ? m.captured(4) : m.captured(3);
        t.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        f[col] = t;
        // Strings are marked as such; numbers are not.
        if (!m.captured(3).isEmpty())
            f[col] = t;
    }
    for (QStringList& f : filas)
        while (f.size() < ColResumen::Cantidad)
            f << QString();
    return filas;
}

TEST_F(Resumen, UnaFilaPorClienteConSusCuentasYColores) {
    // Clients 12, 123, 312, 7 and 9; the placeholder is left out.
    EXPECT_EQ(v->tabla().model()->rowCount(), 5);
    std::map<QString, QStringList> por;
    for (const QStringList& f : tablaMostrada())
        por[f.at(ColResumen::Numero)] = f;
    // Client 12 in March 2011: D. JOCKEY, MIC. DESC. and an empty status; one tampering event.
    const QStringList& c12 = por[QStringLiteral("12")];
    EXPECT_EQ(c12.at(ColResumen::PrimerEstatus + 0), QStringLiteral("1"));
    EXPECT_EQ(c12.at(ColResumen::PrimerEstatus + 1), QStringLiteral("1"));
    EXPECT_EQ(c12.at(ColResumen::PrimerEstatus + 2), QStringLiteral("0"));
    EXPECT_EQ(c12.at(ColResumen::Manipulacion), QStringLiteral("1"));
    EXPECT_EQ(c12.at(ColResumen::Total), QStringLiteral("3"));
    EXPECT_EQ(c12.at(ColResumen::TotalAnterior), QStringLiteral("1")); // 28/02/2011
    EXPECT_EQ(c12.at(ColResumen::Cambio), QStringLiteral("más"));
    EXPECT_EQ(c12.at(ColResumen::UltimaInspeccion), QStringLiteral("15/09/2011"));
    EXPECT_EQ(por[QStringLiteral("7")].at(ColResumen::UltimaInspeccion), QString());
    EXPECT_EQ(por[QStringLiteral("7")].at(ColResumen::Total), QStringLiteral("0"));
    // Coloured by the most serious event, with the grid's colours; no colour without events.
    const QAbstractItemModel* m = v->tabla().model();
    for (int f = 0; f < m->rowCount(); ++f) {
        const QString n = m->index(f, 0).data().toString();
        const QVariant fondo = m->index(f, 1).data(Qt::BackgroundRole);
        if (n == QLatin1String("12") || n == QLatin1String("123") || n == QLatin1String("312"))
            EXPECT_EQ(fondo.value<QBrush>().color(), QColor(255, 0, 0)) << n.toStdString();
        else
            EXPECT_FALSE(fondo.isValid()) << n.toStdString();
    }
}

TEST_F(Resumen, OrdenBusquedaYFiltros) {
    // Every column sorts, numbers as numbers.
    for (int c = 0; c < ColResumen::Cantidad; ++c) {
        v->tabla().sortByColumn(c, Qt::AscendingOrder);
        EXPECT_EQ(v->tabla().model()->rowCount(), 5);
    }
    v->tabla().sortByColumn(ColResumen::Numero, Qt::AscendingOrder);
    EXPECT_EQ(columna(ColResumen::Numero), (QStringList{"12", "123", "312", "7", "9"}));
    v->tabla().sortByColumn(ColResumen::Total, Qt::DescendingOrder);
    EXPECT_EQ(columna(ColResumen::Numero).first(), QStringLiteral("12"));
    // The client list's search, in any letter case.
    hijo<QComboBox>(v, QStringLiteral("columnaBusqueda"))->setCurrentText(QStringLiteral("Nombre"));
    hijo<QLineEdit>(v, QStringLiteral("textoBusqueda"))->setText(QStringLiteral("peña"));
    EXPECT_EQ(columna(ColResumen::Numero), QStringList{QStringLiteral("312")});
    hijo<QLineEdit>(v, QStringLiteral("textoBusqueda"))->clear();
    // Only tampering: 12 (MIC. DESC.) and 312 (BAT. DESC.); EXCESO INF. is no tampering.
    hijo<QCheckBox>(v, QStringLiteral("soloManipulacion"))->setChecked(true);
    v->tabla().sortByColumn(ColResumen::Numero, Qt::AscendingOrder);
    EXPECT_EQ(columna(ColResumen::Numero), (QStringList{"12", "312"}));
    hijo<QCheckBox>(v, QStringLiteral("soloManipulacion"))->setChecked(false);
    hijo<QCheckBox>(v, QStringLiteral("soloConFilas"))->setChecked(true);
    EXPECT_EQ(columna(ColResumen::Numero), (QStringList{"12", "123", "312"}));
    hijo<QCheckBox>(v, QStringLiteral("soloConFilas"))->setChecked(false);
    // Not inspected for more than N days (never inspected counts); N remembered per user.
    hijo<QCheckBox>(v, QStringLiteral("soloSinInspeccion"))->setChecked(true);
    auto* dias = hijo<QSpinBox>(v, QStringLiteral("diasSinInspeccion"));
    dias->setValue(1000000 < dias->maximum() ? 1000000 : dias->maximum());
    EXPECT_EQ(columna(ColResumen::Numero), QStringList{QStringLiteral("7")});
    dias->setValue(30);
    EXPECT_EQ(v->tabla().model()->rowCount(), 5);
    EXPECT_EQ(QSettings().value(QStringLiteral("resumen/Administrador/diasSinInspeccion")).toInt(), 30);
}

TEST_F(Resumen, GraficoSeleccionEnPrincipalYEsc) {
    const QString descripcion = v->grafico().accessibleDescription();
    EXPECT_TRUE(
        descripcion.contains(QStringLiteral("cliente 12, 3 infracciones (MIC. DESC. 1, D. JOCKEY 1)")))
        << descripcion.toStdString();
    EXPECT_EQ(v->grafico().chart()->series().size(), 1);
    // Enter on a row selects that client in the main window; the summary stays open.
    v->tabla().sortByColumn(ColResumen::Numero, Qt::AscendingOrder);
    v->tabla().setCurrentIndex(v->tabla().model()->index(2, 0));
    QTest::keyClick(&v->tabla(), Qt::Key_Return);
    EXPECT_EQ(oficina.clienteSeleccionado().value_or(Cliente{}).numero, QStringLiteral("312"));
    EXPECT_TRUE(v->isVisible());
    // A double click too.
    const QRect r = v->tabla().visualRect(v->tabla().model()->index(1, 1));
    // The view acts on a double click over the row the press chose.
    QTest::mouseClick(v->tabla().viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(oficina.clienteSeleccionado().value_or(Cliente{}).numero, QStringLiteral("312"));
    QTest::mouseDClick(v->tabla().viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(oficina.clienteSeleccionado().value_or(Cliente{}).numero, QStringLiteral("123"));
    // Closed on Esc, and deleted with it: only a guarded pointer may look afterwards.
    const QPointer<VentanaResumen> cerrada(v);
    QTest::keyClick(v, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(cerrada.isNull() || !cerrada->isVisible());
    // The main window's button opens it again, and so does the Archivo menu.
    QTest::mouseClick(hijo<QPushButton>(ventana, QStringLiteral("botonResumen")), Qt::LeftButton);
    QApplication::processEvents();
    VentanaResumen* otra = UnaVentana<VentanaResumen>::actual();
    ASSERT_NE(otra, nullptr);
    EXPECT_TRUE(otra->isVisible());
    delete otra;
    hijo<QAction>(ventana->menuBar(), QStringLiteral("accionResumen"))->trigger();
    EXPECT_NE(UnaVentana<VentanaResumen>::actual(), nullptr);
}

TEST_F(Resumen, LibroEInformeIgualesALaTabla) {
    hijo<QCheckBox>(v, QStringLiteral("soloConFilas"))->setChecked(true);
    v->tabla().sortByColumn(ColResumen::Manipulacion, Qt::DescendingOrder);
    const std::vector<QStringList> tabla = tablaMostrada();
    ASSERT_EQ(tabla.size(), 3u);
    QString error;
    const QString libro = QDir(dir.path()).filePath(QStringLiteral("resumen.xlsx"));
    ASSERT_TRUE(v->guardarLibro(libro, &error)) << error.toStdString();
    const std::vector<QStringList> hoja = leerLibro(libro);
    ASSERT_EQ(hoja.size(), tabla.size() + 1);
    QStringList cabecera;
    for (int c = 0; c < ColResumen::Cantidad; ++c)
        cabecera << v->tabla().model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(hoja[0], cabecera);
    EXPECT_EQ(hoja[0].mid(ColResumen::PrimerEstatus, 8),
              (QStringList{"MIC. DESC.", "D. JOCKEY", "L. SHOW", "BAT. DESC.", "EXCESO INF.", "REINICIO EQ.",
                           "APERT. GAB.", "Manipulación"}));
    for (std::size_t i = 0; i < tabla.size(); ++i)
        EXPECT_EQ(hoja[i + 1], tabla[i]);
    // The client number as text, zero as the number 0.
    QProcess p;
    p.start(QStringLiteral("unzip"),
            {QStringLiteral("-p"), libro, QStringLiteral("xl/worksheets/sheet1.xml")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString xml = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(xml.contains(QStringLiteral("<c r=\"A2\" t=\"inlineStr\">"))) << xml.left(600).toStdString();
    EXPECT_TRUE(xml.contains(QStringLiteral("<v>0</v>")));

    // Each save issued the summary: its own entry, its code in the workbook.
    EXPECT_EQ(oficina.verificarDocumento(libro).estado, VerificacionDocumento::Vigente)
        << oficina.verificarDocumento(libro).texto.toStdString();

    // The report: every row's texts, in the table's order.
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("resumen.pdf"));
    ASSERT_TRUE(v->guardarPdf(pdf, &error)) << error.toStdString();
    QProcess t;
    t.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(t.waitForFinished(30000));
    const QStringList lineas = QString::fromUtf8(t.readAllStandardOutput()).split(QLatin1Char('\n'));
    QStringList filasPdf;
    for (const QString& l : lineas)
        for (const QStringList& f : tabla)
            if (l.simplified().startsWith(f.at(0) + QLatin1Char(' ') + f.at(1)))
                filasPdf << l.simplified();
    ASSERT_EQ(filasPdf.size(), static_cast<qsizetype>(tabla.size()))
        << lineas.join(QLatin1Char('\n')).toStdString();
    for (std::size_t i = 0; i < tabla.size(); ++i) {
        QStringList celdas;
        for (const QString& c : tabla[i])
            if (!c.isEmpty())
                celdas << c;
        EXPECT_EQ(filasPdf[static_cast<qsizetype>(i)], celdas.join(QLatin1Char(' ')));
    }
}

} // namespace
