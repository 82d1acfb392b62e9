// The verification stamp on issued documents: on every report page (also when the report is
// written in two halves), in the PDF's title, in the workbook, and in a QR code a reader decodes.

#include "core/actividad/CodigoVerificacion.h"
#include "core/actividad/LeerDocumento.h"
#include "core/output/InformeInfracciones.h"
#include "core/output/LibroExcel.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kIdentidad = QStringLiteral("0f8fad5b-d9cb-469f-a165-70867728950e");

SelloVerificacion sello() {
    const ContenidoDocumento c{kIdentidad,
                               QStringLiteral("7"),
                               QDate(2026, 1, 1),
                               QDate(2026, 3, 31),
                               QString(64, QLatin1Char('d')),
                               1234,
                               QString(64, QLatin1Char('e'))};
    return {CalcularCodigoVerificacion(c), kIdentidad, 1234, QString(64, QLatin1Char('e'))};
}

DatosInforme datos(int registros, std::optional<SelloVerificacion> s) {
    DatosInforme d;
    d.titulo = TituloInforme(QStringLiteral("Municipalidad de Ensayo"));
    d.cliente = QStringLiteral("Juan Pérez");
    for (int i = 0; i < registros; ++i)
        d.registros.push_back(
            {QStringLiteral("%1/03/2026").arg(i % 28 + 1, 2, 10, QLatin1Char('0')),
             QStringLiteral("14:00:30"), QString::number(90 + i % 9), QStringLiteral("D. JOCKEY"),
             QStringLiteral("BAT. OK"), QStringLiteral("SI"), QStringLiteral("12"), QStringLiteral("Insp"),
             QStringLiteral("85"), QStringLiteral("10"), QStringLiteral("3"), QStringLiteral("105"),
             QStringLiteral("30"), QStringLiteral("70"), QStringLiteral("60"), QString::number(i)});
    d.sello = std::move(s);
    return d;
}

QString correr(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.start(programa, argumentos);
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QTemporaryDir dir;

} // namespace

TEST(SelloVerificacion, EveryReportPageCarriesTheLineAndThePdfItsCode) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const SelloVerificacion s = sello();
    // A short report and one long enough to be written in two halves and joined.
    for (const int registros : {5, 400}) {
        const QString ruta = dir.filePath(QStringLiteral("informe-%1.pdf").arg(registros));
        ASSERT_TRUE(InformeInfracciones(datos(registros, s)).guardarPdf(ruta));
        const QStringList paginas = correr(QStringLiteral("pdftotext"), {ruta, QStringLiteral("-")})
                                        .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        ASSERT_GE(paginas.size(), registros > 100 ? InformeInfracciones::kPaginasEnDosMitades : 1);
        for (int k = 0; k < paginas.size(); ++k) {
            EXPECT_TRUE(paginas[k].contains(LineaVerificacion(s))) << registros << " page " << k + 1;
            EXPECT_TRUE(paginas[k].contains(kIdentidad)) << registros << " page " << k + 1;
        }
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const DocumentoLeido leido = LeerPdfEmitido(f.readAll());
        EXPECT_EQ(leido.codigo, s.codigo) << leido.error.toStdString();
        EXPECT_EQ(LeerDocumentoOCodigo(ruta).codigo, s.codigo);
    }
}

TEST(SelloVerificacion, TheStampTakesTheSameRoomBeforeAndAfterIssue) {
    // The preview shows where the code will go: issuing it moves no line to another page.
    SelloVerificacion pendiente;
    const auto antes = InformeInfracciones(datos(60, pendiente)).maquetar(277, 190);
    const auto despues = InformeInfracciones(datos(60, sello())).maquetar(277, 190);
    const auto sin = InformeInfracciones(datos(60, std::nullopt)).maquetar(277, 190);
    ASSERT_EQ(antes.paginas.size(), despues.paginas.size());
    for (size_t i = 0; i < antes.paginas.size(); ++i)
        EXPECT_EQ(antes.paginas[i].registros, despues.paginas[i].registros);
    EXPECT_GT(antes.paginas.size(), sin.paginas.size() - 1);
    EXPECT_LT(antes.paginas[1].registros, sin.paginas[1].registros);
}

TEST(SelloVerificacion, TheQrCodeOfARenderedPageScansBackToTheCode) {
    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "zbarimg (zbar-tools) or pdftoppm (poppler-utils) is not installed";
    const SelloVerificacion s = sello();
    const QString ruta = dir.filePath(QStringLiteral("qr.pdf"));
    ASSERT_TRUE(InformeInfracciones(datos(3, s)).guardarPdf(ruta));
    // At print resolution and at a plain screen's.
    for (const char* dpi : {"300", "150"}) {
        const QString imagen = dir.filePath(QStringLiteral("qr-%1").arg(QLatin1String(dpi)));
        correr(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QLatin1String(dpi), QStringLiteral("-f"), QStringLiteral("1"),
                QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-png"),
                QStringLiteral("-singlefile"), ruta, imagen});
        const QString leido =
            correr(QStringLiteral("zbarimg"),
                   {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sdisable"),
                    QStringLiteral("-Sqrcode.enable"), imagen + ".png"})
                .trimmed();
        EXPECT_EQ(leido, TextoQrVerificacion(s.codigo, kIdentidad)) << dpi;
        const auto datosQr = LeerTextoQrVerificacion(leido);
        ASSERT_TRUE(datosQr) << dpi;
        EXPECT_EQ(datosQr->codigo, s.codigo);
    }
}

TEST(SelloVerificacion, TheWorkbookKeepsTheCodeInItsPropertiesAndOnItsSecondSheet) {
    const SelloVerificacion s = sello();
    EntradaLibro e;
    e.titulo = QStringLiteral("Municipalidad de Ensayo");
    e.sello = s;
    const QString ruta = dir.filePath(QStringLiteral("libro.xlsx"));
    ASSERT_TRUE(CrearLibroExcel(e, ruta).ok);
    const DocumentoLeido leido = LeerDocumentoOCodigo(ruta);
    EXPECT_EQ(leido.error.toStdString(), "");
    EXPECT_EQ(leido.codigo, s.codigo);
    EXPECT_EQ(leido.identidad, kIdentidad);
    EXPECT_EQ(leido.secuencia, 1234);
    EXPECT_EQ(leido.hash, s.hash);
    if (!QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty()) {
        EXPECT_TRUE(correr(QStringLiteral("unzip"),
                           {QStringLiteral("-p"), ruta, QStringLiteral("xl/worksheets/sheet2.xml")})
                        .contains(LineaVerificacion(s)));
    }

    // A workbook written without a code is told apart from a damaged one.
    e.sello.reset();
    ASSERT_TRUE(CrearLibroExcel(e, ruta).ok);
    EXPECT_TRUE(LeerDocumentoOCodigo(ruta).error.startsWith(QStringLiteral("el libro no lleva código")));
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    bytes.truncate(bytes.size() - 30);
    EXPECT_FALSE(LeerLibroEmitido(bytes).error.isEmpty());
}
