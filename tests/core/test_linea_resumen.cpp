// The summary from the command line: no login, no display; the workbook holds what the core
// counts, usage mistakes and a missing register are reported without writing anything.
#include "BaseTemporal.h"
#include "FilasDePrueba.h"
#include "core/resumen/TablaResumen.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Salida {
    int estado = -1;
    QString errores;
};

Salida resumen(const QStringList& argumentos) {
    QProcess p;
    // No display at all: the command must not need one.
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        entorno.remove(QLatin1String(v));
    p.setProcessEnvironment(entorno);
    p.start(QStringLiteral(VELMORA_BUILD_DIR "/velmora-kv270"),
            QStringList{QStringLiteral("--resumen")} + argumentos);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

QString hoja(const QString& libro) {
    QProcess p;
    p.start(QStringLiteral("unzip"),
            {QStringLiteral("-p"), libro, QStringLiteral("xl/worksheets/sheet1.xml")});
    EXPECT_TRUE(p.waitForFinished(30000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

void fila(Conexion& db, const char* numero, const char* fecha, const char* estatus) {
    const Consulta c = Sentencias::insertarInfraccion(
        prueba::infraccionDe({QString::fromLatin1(numero), QString::fromLatin1(fecha),
                              QStringLiteral("120000"), QStringLiteral("101"), QString::fromLatin1(estatus),
                              QString(), QString(), QString(), QString(), QStringLiteral("095")}));
    db.ejecutar(c.sql, c.parametros);
}

} // namespace

TEST(LineaResumen, LibroYPdfSinVentanasYErrores) {
    BaseTemporal base;
    Conexion& db = base.registro();
    for (const char* n : {"0042", "0077"}) {
        QStringList v(23, QString());
        v[0] = QString::fromLatin1(n);
        v[1] = QStringLiteral("Peña ") + v[0];
        const Consulta c = Sentencias::insertarCliente(prueba::clienteDe(v));
        db.ejecutar(c.sql, c.parametros);
    }
    fila(db, "0042", "20240301", "APERT. GAB.");
    fila(db, "0042", "20240331", "D. JOCKEY");
    fila(db, "0042", "20240401", "MIC. DESC.");
    const auto esperado = CalcularResumen(db, {QDate(2024, 3, 1), QDate(2024, 3, 31)}, QDate::currentDate());
    ASSERT_TRUE(esperado);
    base.cerrar();

    QTemporaryDir salida;
    const QString libro = QDir(salida.path()).filePath(QStringLiteral("resumen.xlsx"));
    Salida s = resumen({QStringLiteral("--desde"), QStringLiteral("01/03/2024"), QStringLiteral("--hasta"),
                        QStringLiteral("31/03/2024"), QStringLiteral("--libro"), libro,
                        QStringLiteral("--data-dir"), base.directorio()});
    ASSERT_EQ(s.estado, 0) << s.errores.toStdString();
    const QString xml = hoja(libro);
    // Every client in id order: number as text, each count as a number.
    ASSERT_EQ(esperado->filas.size(), 2u);
    for (std::size_t i = 0; i < esperado->filas.size(); ++i) {
        const FilaResumen& f = esperado->filas[i];
        const int r = static_cast<int>(i) + 2;
        EXPECT_TRUE(xml.contains(
            QStringLiteral("<c r=\"A%1\" t=\"inlineStr\"><is><t>%2</t></is></c>").arg(r).arg(f.numero)))
            << xml.toStdString();
        EXPECT_TRUE(xml.contains(QStringLiteral("<c r=\"K%1\"><v>%2</v></c>").arg(r).arg(f.manipulacion())));
        EXPECT_TRUE(xml.contains(QStringLiteral("<c r=\"L%1\"><v>%2</v></c>").arg(r).arg(f.total)));
    }
    EXPECT_EQ(esperado->filas[0].total, 2);
    EXPECT_EQ(esperado->filas[0].manipulacion(), 1);

    const QString pdf = QDir(salida.path()).filePath(QStringLiteral("resumen.pdf"));
    s = resumen({QStringLiteral("--desde"), QStringLiteral("01/03/2024"), QStringLiteral("--hasta"),
                 QStringLiteral("31/03/2024"), QStringLiteral("--pdf"), pdf, QStringLiteral("--data-dir"),
                 base.directorio()});
    ASSERT_EQ(s.estado, 0) << s.errores.toStdString();
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");

    // Usage mistakes: status 2, nothing written.
    const QString otro = QDir(salida.path()).filePath(QStringLiteral("otro.xlsx"));
    for (const QStringList& malos :
         {QStringList{"--desde", "31/02/2024", "--hasta", "31/03/2024", "--libro", otro},
          QStringList{"--desde", "01/04/2024", "--hasta", "31/03/2024", "--libro", otro},
          QStringList{"--desde", "01/03/2024", "--hasta", "31/03/2024"},
          QStringList{"--desde", "01/03/2024", "--hasta", "31/03/2024", "--libro", otro, "--pdf", pdf}}) {
        s = resumen(malos + QStringList{QStringLiteral("--data-dir"), base.directorio()});
        EXPECT_EQ(s.estado, 2) << malos.join(' ').toStdString();
        EXPECT_TRUE(s.errores.contains(QStringLiteral("Uso: velmora-kv270 --resumen")));
    }
    EXPECT_FALSE(QFileInfo::exists(otro));
    // A folder without a register: refused, and no register is made there.
    QTemporaryDir vacia;
    s = resumen({QStringLiteral("--desde"), QStringLiteral("01/03/2024"), QStringLiteral("--hasta"),
                 QStringLiteral("31/03/2024"), QStringLiteral("--libro"), otro, QStringLiteral("--data-dir"),
                 vacia.path()});
    EXPECT_EQ(s.estado, 1);
    EXPECT_TRUE(s.errores.contains(QStringLiteral("No hay ningún registro"))) << s.errores.toStdString();
    EXPECT_TRUE(QDir(vacia.path()).entryList(QDir::Files).isEmpty());
}
