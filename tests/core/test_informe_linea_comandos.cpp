// Reports and workbooks made from the command line, run as the program (no display, no login).

#include "BaseTemporal.h"
#include "CertificadosPrueba.h"
#include "FilasDePrueba.h"

#include "core/Oficina.h"
#include "core/output/FirmaPdf.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/Sentencias.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Resultado {
    int estado = -1;
    QString errores;
    QString texto; // standard output
};

void ejecutar(Conexion& db, const Consulta& c) {
    db.ejecutar(c.sql, c.parametros);
}

class InformeLineaComandos : public ::testing::Test {
protected:
    void SetUp() override {
        Conexion& db = base.registro();
        QStringList v(23, QStringLiteral("x"));
        v[0] = QStringLiteral("77");
        v[1] = QStringLiteral("Juan Pérez");
        ejecutar(db, Sentencias::insertarCliente(prueba::clienteDe(v)));
        v[0] = QStringLiteral("771"); // a number that starts with the other's is another client
        ejecutar(db, Sentencias::insertarCliente(prueba::clienteDe(v)));
        for (int dia = 1; dia <= 20; ++dia) {
            QStringList f =
                QStringLiteral(
                    "77|202403%1|120000|095|D. JOCKEY|13,2 V|SI|010|Insp|095|085|003|- 05|010|060|070|%2")
                    .arg(dia, 2, 10, QChar('0'))
                    .arg(dia)
                    .split('|');
            ejecutar(db, Sentencias::insertarInfraccion(prueba::infraccionDe(f)));
        }
        base.cerrar();
    }

    Resultado correr(QStringList argumentos, const QByteArray& entrada = {}) {
        argumentos << QStringLiteral("--data-dir") << base.directorio();
        QProcess p;
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.remove(QStringLiteral("QT_QPA_PLATFORM"));
        entorno.remove(QStringLiteral("DISPLAY"));
        entorno.remove(QStringLiteral("WAYLAND_DISPLAY"));
        p.setProcessEnvironment(entorno);
        p.start(QStringLiteral(VELMORA_BUILD_DIR "/velmora-kv270"), argumentos);
        p.write(entrada);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(120000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardError()), QString::fromUtf8(p.readAllStandardOutput())};
    }

    QStringList rango() const {
        return {"--informe", "77", "--desde", "01/03/2024", "--hasta", "10/03/2024"};
    }

    BaseTemporal base;
    QTemporaryDir salida;
};

QString pdfsig(const QString& ruta) {
    QProcess p;
    p.start(QStringLiteral("pdfsig"), {ruta});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QByteArray leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The workbook's parts, without what changes from one run to the next (times, the footer).
QStringList partesLibro(const QString& archivo) {
    QStringList partes;
    for (const char* nombre :
         {"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml", "xl/sharedStrings.xml"}) {
        QProcess p;
        p.start("unzip", {"-p", archivo, nombre});
        p.waitForFinished(60000);
        QString texto = QString::fromUtf8(p.readAllStandardOutput());
        texto.remove(QRegularExpression("<oddFooter>[^<]*</oddFooter>"));
        partes << texto;
    }
    return partes;
}

} // namespace

TEST_F(InformeLineaComandos, InformePdfSinPantallaNiSesionYNuncaPisaSinPermiso) {
    const QString pdf = salida.filePath("informe.pdf");
    Resultado r = correr(rango() << "--pdf" << pdf);
    ASSERT_EQ(r.estado, 0) << r.errores.toStdString();
    EXPECT_TRUE(r.errores.isEmpty()) << r.errores.toStdString();
    QProcess texto;
    texto.start("pdftotext", {pdf, "-"});
    texto.waitForFinished(60000);
    const QString t = QString::fromUtf8(texto.readAllStandardOutput());
    EXPECT_TRUE(t.contains("Juan Pérez"));
    EXPECT_TRUE(t.contains("10/03/2024"));
    EXPECT_FALSE(t.contains("11/03/2024"));

    const QByteArray antes = leer(pdf);
    r = correr(rango() << "--pdf" << pdf);
    EXPECT_EQ(r.estado, 1);
    EXPECT_EQ(r.errores.toStdString(), QStringLiteral("velmora-kv270: el archivo \"%1\" ya existe; use "
                                                      "--sobrescribir para reemplazarlo\n")
                                           .arg(pdf)
                                           .toStdString());
    EXPECT_EQ(leer(pdf), antes);
    r = correr(rango() << "--pdf" << pdf << "--sobrescribir");
    EXPECT_EQ(r.estado, 0) << r.errores.toStdString();
}

TEST_F(InformeLineaComandos, FirmaConLaClaveDeUnArchivoODeLaEntrada) {
    const prueba::CertificadosPrueba& c = prueba::certificados();
    const QString clave = salida.filePath("clave.txt");
    QFile f(clave);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(c.contrasena + "\n");
    f.close();
    const QString pdf = salida.filePath("firmado.pdf");
    Resultado r = correr(rango() << "--pdf" << pdf << "--firmar" << c.firmante << "--clave-archivo" << clave);
    ASSERT_EQ(r.estado, 0) << r.errores.toStdString();
    EXPECT_TRUE(pdfsig(pdf).contains("Signature is Valid."));
    EXPECT_TRUE(VerificarFirmaPdf(leer(pdf)).intacto);

    // The document check reports the signature: whole, who, when.
    r = correr({"--verificar-documento", pdf});
    EXPECT_EQ(r.estado, 0) << r.errores.toStdString() << r.texto.toStdString();
    EXPECT_TRUE(r.texto.contains("Firma válida: el documento no cambió desde que se firmó."))
        << r.texto.toStdString();
    EXPECT_TRUE(r.texto.contains("Firmante: ") && r.texto.contains("Oficina de Inspección"))
        << r.texto.toStdString();
    EXPECT_TRUE(r.texto.contains("Firmado el: ")) << r.texto.toStdString();
    // One byte changed inside what was signed, or bytes added after it: never 0, and pdfsig agrees.
    QByteArray cambiado = leer(pdf);
    const qsizetype productor = cambiado.indexOf("/Producer");
    ASSERT_GT(productor, 0);
    cambiado[productor + 3] = 'X';
    const QString alterado = salida.filePath("alterado.pdf");
    for (const QByteArray& bytes : {cambiado, leer(pdf) + "1 0 obj\n<< >>\nendobj\n"}) {
        QFile a(alterado);
        ASSERT_TRUE(a.open(QIODevice::WriteOnly));
        a.write(bytes);
        a.close();
        r = correr({"--verificar-documento", alterado});
        EXPECT_EQ(r.estado, 2) << r.texto.toStdString();
        EXPECT_TRUE(r.texto.startsWith("El documento fue modificado después de firmarlo"))
            << r.texto.toStdString();
        const QString informe = pdfsig(alterado);
        EXPECT_FALSE(informe.contains("Signature is Valid.") && informe.contains("Total document signed"))
            << informe.toStdString();
    }
    QFile::remove(alterado);

    // Standard input stands for the terminal; every refused certificate leaves no file.
    const QString otro = salida.filePath("otro.pdf");
    r = correr(rango() << "--pdf" << otro << "--firmar" << c.firmante, c.contrasena + "\n");
    EXPECT_EQ(r.estado, 0) << r.errores.toStdString();
    QFile::remove(otro);
    const std::pair<QString, QString> casos[] = {{c.firmante, "no es correcta"},
                                                 {c.vencido, "venció el"},
                                                 {c.futuro, "todavía no es válido"},
                                                 {c.sinClave, "no contiene la clave privada"},
                                                 {c.danado, "está dañado"}};
    for (const auto& [certificado, motivo] : casos) {
        r = correr(rango() << "--pdf" << otro << "--firmar" << certificado,
                   certificado == c.firmante ? QByteArray("mala\n") : c.contrasena + "\n");
        EXPECT_EQ(r.estado, 1) << certificado.toStdString();
        EXPECT_TRUE(r.errores.contains(motivo)) << r.errores.toStdString();
        EXPECT_FALSE(QFile::exists(otro));
    }
}

TEST_F(InformeLineaComandos, CadaErrorEnCastellanoYConSuEstado) {
    const QString pdf = salida.filePath("x.pdf");
    const struct {
        QStringList argumentos;
        int estado;
        QString mensaje;
    } casos[] = {
        {{"--informe", "99", "--desde", "01/03/2024", "--hasta", "10/03/2024", "--pdf", pdf},
         1,
         "no hay ningún cliente con el número \"99\""},
        {{"--informe", "7", "--desde", "01/03/2024", "--hasta", "10/03/2024", "--pdf", pdf},
         1,
         "no hay ningún cliente con el número \"7\""},
        {{"--informe", "77", "--desde", "31/02/2024", "--hasta", "10/03/2024", "--pdf", pdf},
         2,
         "la fecha de --desde \"31/02/2024\" no existe o no tiene la forma DD/MM/AAAA"},
        {{"--informe", "77", "--desde", "11/03/2024", "--hasta", "10/03/2024", "--pdf", pdf},
         2,
         "la fecha --desde es posterior a --hasta"},
        {{"--informe", "771", "--desde", "01/03/2024", "--hasta", "10/03/2024", "--pdf", pdf},
         1,
         "el cliente 771 no tiene infracciones entre el 01/03/2024 y el 10/03/2024"},
        {{"--informe", "77", "--desde", "01/01/2020", "--hasta", "31/12/2020", "--libro",
          salida.filePath("l.xlsx")},
         1,
         "el cliente 77 no tiene infracciones entre el 01/01/2020 y el 31/12/2020"},
        {{"--informe", "77", "--desde", "01/03/2024", "--hasta", "10/03/2024", "--pdf", "/no-existe/x.pdf"},
         1,
         "no se puede escribir en la carpeta \"/no-existe\""},
        {{"--informe", "77", "--desde", "01/03/2024", "--hasta", "10/03/2024"},
         2,
         "falta la salida: --pdf SALIDA.pdf o --libro SALIDA.xlsx"},
        {{"--informe", "77", "--hasta", "10/03/2024", "--pdf", pdf},
         2,
         "faltan --desde y --hasta (DD/MM/AAAA)"},
        {{"--informe", "77", "--desde", "01/03/2024", "--hasta", "10/03/2024", "--libro",
          salida.filePath("l.xlsx"), "--firmar", "c.p12"},
         2,
         "--firmar y --clave-archivo firman el PDF: falta --pdf SALIDA.pdf"},
    };
    for (const auto& caso : casos) {
        const Resultado r = correr(caso.argumentos);
        EXPECT_EQ(r.estado, caso.estado) << caso.argumentos.join(' ').toStdString();
        EXPECT_EQ(r.errores.toStdString(),
                  (QStringLiteral("velmora-kv270: ") + caso.mensaje + '\n').toStdString());
    }
    EXPECT_EQ(QDir(salida.path()).entryList(QDir::Files), QStringList());
}

TEST_F(InformeLineaComandos, ElLibroEsElDeLaVentana) {
    const QString cli = salida.filePath("cli.xlsx");
    const Resultado r = correr(rango() << "--libro" << cli);
    ASSERT_EQ(r.estado, 0) << r.errores.toStdString();
    // The same workbook as the window makes it: the client selected, the range set, nothing marked.
    Oficina oficina(base.registro());
    QString usuario = QStringLiteral("desconocido");
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"})
        if (!qEnvironmentVariable(variable).isEmpty() && usuario == QStringLiteral("desconocido"))
            usuario = qEnvironmentVariable(variable);
    oficina.establecerUsuario(usuario); // the command line's user is the system's
    oficina.abrirClientes();
    for (std::size_t i = 0; i < oficina.cantidadListados(); ++i)
        if (oficina.clienteEnFila(i).numero == QStringLiteral("77"))
            oficina.seleccionar(oficina.clienteEnFila(i).id);
    oficina.establecerRango(QDate(2024, 3, 1), QDate(2024, 3, 10));
    const QString ventana = salida.filePath("ventana.xlsx");
    ASSERT_TRUE(CrearLibroExcel(oficina.entradaLibro(OpcionesLibro{}), ventana).ok);
    QStringList a = partesLibro(cli), b = partesLibro(ventana);
    // The command line issues its workbook: its code line and properties are its own.
    static const QRegularExpression codigo(
        QStringLiteral("<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>C[^<:]*:[^<]*</t></is></c></row>"));
    for (QString& parte : a)
        parte.remove(codigo);
    EXPECT_FALSE(a[0].isEmpty());
    EXPECT_EQ(a.join('\n').toStdString(), b.join('\n').toStdString());
}
