// Issued documents checked against the register: the log entry of each issue,
// the answer for a document whose rows are unchanged, changed by hand, or from
// another register, a log rewritten after the issue, the command line's exit
// statuses, and the chain head beside every backup.
#include "BaseTemporal.h"
#include "FilasDePrueba.h"
#include "core/Oficina.h"
#include "core/actividad/CadenaActividad.h"
#include "core/actividad/CodigoVerificacion.h"
#include "core/output/GuardarEmitido.h"
#include "core/output/InformeInfracciones.h"
#include "core/resumen/SalidasResumen.h"
#include "core/store/Conexion.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/ErrorBD.h"
#include "core/store/ResumenMensual.h"
#include "core/store/Sentencias.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void ejecutar(Conexion& db, const QString& sql, const QVariantList& parametros = {}) {
    db.ejecutar(sql, parametros);
}

void agregarInfraccion(Conexion& db, const QString& numero, const QString& fecha, const QString& ci) {
    QStringList v = QStringLiteral("|||095|L. SHOW|13,2 V|SI|010|Administrador|095|085|003|- "
                                   "05|010|060|070|")
                        .split(QLatin1Char('|'));
    v[0] = numero;
    v[1] = fecha;
    v[2] = QStringLiteral("120000");
    v[16] = ci;
    const Consulta c = Sentencias::insertarInfraccion(prueba::infraccionDe(v));
    db.ejecutar(c.sql, c.parametros);
}

struct Salida {
    int estado = -1;
    QString texto;
};

Salida comando(const QString& dir, const QString& documento) {
    QProcess p;
    p.start(QStringLiteral(VELMORA_BUILD_DIR "/velmora-kv270"),
            {QStringLiteral("--data-dir"), dir, QStringLiteral("--verificar-documento"), documento});
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

class DocumentosTest : public ::testing::Test {
protected:
    void SetUp() override {
        const Consulta c = Sentencias::insertarCliente(
            prueba::clienteDe(QStringList{QStringLiteral("12"), QStringLiteral("Juan Pérez")} +
                              QStringList(21, QStringLiteral("x"))));
        base.registro().ejecutar(c.sql, c.parametros);
        id12 = base.registro().ultimoId();
        for (const char* f : {"20260105", "20260110", "20260220", "20260301"})
            agregarInfraccion(base.registro(), QStringLiteral("12"), QString::fromLatin1(f),
                              QStringLiteral("1"));
        oficina.establecerUsuario(QStringLiteral("Administrador"));
        oficina.abrirClientes();
        oficina.seleccionar(id12);
        oficina.establecerRango(QDate(2026, 1, 1), QDate(2026, 2, 28));
    }

    VerificacionDocumento verificar(const QString& documento) {
        return oficina.verificarDocumento(documento);
    }

    BaseTemporal base;
    Oficina oficina{base.registro()};
    qint64 id12 = 0;
};

} // namespace

TEST_F(DocumentosTest, IssuingWritesOneEntryAndTheRegisterConfirmsTheRowsListed) {
    const qint64 antes = oficina.cabezaCadena().secuencia;
    const SelloVerificacion s = oficina.emitirDocumento(oficina.pedidoEmision(QStringLiteral("informe")));
    EXPECT_EQ(s.secuencia, antes);
    EXPECT_EQ(s.identidad, oficina.identidadRegistro());
    EXPECT_EQ(oficina.cabezaCadena().secuencia, antes + 1);
    const auto st =
        base.registro().preparar(QStringLiteral("SELECT Accion, Objeto, Detalles FROM RegistroActividad "
                                                "ORDER BY Secuencia DESC LIMIT 1"));
    ASSERT_TRUE(st->paso());
    EXPECT_EQ(st->texto(0), QStringLiteral("documento.emitido"));
    const QJsonObject d = QJsonDocument::fromJson(st->texto(2).toUtf8()).object();
    EXPECT_EQ(d.value("codigo").toString(), s.codigo);
    EXPECT_EQ(d.value("tipo").toString(), QStringLiteral("informe"));
    EXPECT_EQ(d.value("cliente").toString(), QStringLiteral("12"));
    EXPECT_EQ(d.value("desde").toString(), QStringLiteral("2026-01-01"));
    EXPECT_EQ(d.value("hasta").toString(), QStringLiteral("2026-02-28"));
    EXPECT_EQ(d.value("filas").toInteger(), 3);
    EXPECT_EQ(d.value("cabeza_secuencia").toInteger(), antes);
    EXPECT_EQ(d.value("origen").toString(), QStringLiteral("ventana"));

    const VerificacionDocumento v = verificar(s.codigo.toLower());
    EXPECT_EQ(v.estado, VerificacionDocumento::Vigente) << v.texto.toStdString();
    EXPECT_TRUE(
        v.texto.contains(QStringLiteral("por Administrador para el cliente 12, período del 01/01/2026 al "
                                        "28/02/2026, 3 filas")))
        << v.texto.toStdString();
    EXPECT_TRUE(v.texto.contains(QStringLiteral("conserva exactamente esas filas")));

    // The same rows issued again, at the head that now includes the first issue:
    // another code.
    const SelloVerificacion otra = oficina.emitirDocumento(oficina.pedidoEmision(QStringLiteral("libro")));
    EXPECT_NE(otra.codigo, s.codigo);
    EXPECT_EQ(verificar(otra.codigo).estado, VerificacionDocumento::Vigente);
}

TEST_F(DocumentosTest, RowsChangedAddedOrWithdrawnSinceTheIssueAreNamed) {
    const SelloVerificacion s = oficina.emitirDocumento(oficina.pedidoEmision(QStringLiteral("informe")));
    // A level changed by hand: no entry explains it.
    ejecutar(base.registro(), QStringLiteral("UPDATE Infracciones SET NiveldB = '120' WHERE "
                                             "FechaInfraccion = '20260110'"));
    VerificacionDocumento v = verificar(s.codigo);
    EXPECT_EQ(v.estado, VerificacionDocumento::Cambiado);
    EXPECT_TRUE(
        v.texto.contains(QStringLiteral("Cambiadas: las filas anteriores al registro de importaciones (3 "
                                        "filas al emitirse, 3 filas ahora)")))
        << v.texto.toStdString();
    EXPECT_TRUE(v.texto.contains(QStringLiteral("fuera del programa")));
    ejecutar(base.registro(), QStringLiteral("UPDATE Infracciones SET NiveldB = '095'"));
    EXPECT_EQ(verificar(s.codigo).estado, VerificacionDocumento::Vigente);

    // A row outside the period changes nothing; one inside it does.
    agregarInfraccion(base.registro(), QStringLiteral("12"), QStringLiteral("20260401"), QStringLiteral("5"));
    EXPECT_EQ(verificar(s.codigo).estado, VerificacionDocumento::Vigente);
    agregarInfraccion(base.registro(), QStringLiteral("12"), QStringLiteral("20260115"), QStringLiteral("6"));
    v = verificar(s.codigo);
    EXPECT_EQ(v.estado, VerificacionDocumento::Cambiado);
    EXPECT_TRUE(v.texto.contains(QStringLiteral("ahora lista 4 filas"))) << v.texto.toStdString();
}

TEST_F(DocumentosTest, ACodeFromAnotherRegisterOrMistypedIsToldApart) {
    BaseTemporal otraBase;
    Oficina otra(otraBase.registro());
    // Test registers are copies of one file: this one is given an identity of its own.
    ejecutar(
        otraBase.registro(),
        QStringLiteral("UPDATE IdentidadRegistro SET Identidad = '9b2f6c3e-4d1a-4e8b-9c7d-2a1b3c4d5e6f'"));
    ASSERT_NE(otra.identidadRegistro(), oficina.identidadRegistro());
    otra.establecerUsuario(QStringLiteral("Administrador"));
    const Consulta c = Sentencias::insertarCliente(
        prueba::clienteDe(QStringList{QStringLiteral("12")} + QStringList(22, QStringLiteral("x"))));
    otraBase.registro().ejecutar(c.sql, c.parametros);
    const qint64 id = otraBase.registro().ultimoId();
    otra.abrirClientes();
    otra.seleccionar(id);
    const SelloVerificacion ajeno = otra.emitirDocumento(otra.pedidoEmision(QStringLiteral("informe")));
    VerificacionDocumento v = verificar(ajeno.codigo);
    EXPECT_EQ(v.estado, VerificacionDocumento::Ajeno);
    EXPECT_EQ(v.texto,
              QStringLiteral("Este registro no emitió ningún documento con el código %1.").arg(ajeno.codigo));

    QString mal = ajeno.codigo;
    mal[0] = mal[0] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
    v = verificar(mal);
    EXPECT_EQ(v.estado, VerificacionDocumento::Ilegible);
    EXPECT_TRUE(v.texto.contains(QStringLiteral("está mal escrito"))) << v.texto.toStdString();
}

TEST_F(DocumentosTest, ALogRewrittenConsistentlyAfterTheIssueNoLongerMatchesTheCode) {
    oficina.emitirDocumento(oficina.pedidoEmision(QStringLiteral("libro"))); // an entry before the issue
    const SelloVerificacion s = oficina.emitirDocumento(oficina.pedidoEmision(QStringLiteral("informe")));
    ASSERT_GT(s.secuencia, 0);
    // Whoever rewrites the log drops its guards, changes an entry up to the
    // issue's head and chains every later one again, so the chain itself is
    // whole.
    Conexion& db = base.registro();
    std::vector<EntradaActividad> entradas;
    RecorrerEntradas(db, [&](const EntradaActividad& e) {
        entradas.push_back(e);
        return true;
    });
    const auto st = db.preparar(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' "
                                               "AND tbl_name = 'RegistroActividad'"));
    QStringList disparadores;
    while (st->paso())
        disparadores << st->texto(0);
    for (const QString& d : disparadores)
        ejecutar(db, QStringLiteral("DROP TRIGGER \"%1\"").arg(d));
    const auto reescribir = [&] {
        ejecutar(db, QStringLiteral("DELETE FROM RegistroActividad"));
        QString anterior = HashInicial();
        for (EntradaActividad& e : entradas) {
            e.hashAnterior = anterior;
            e.hash = HashEntrada(e);
            anterior = e.hash;
            ejecutar(db,
                     QStringLiteral("INSERT INTO RegistroActividad (Secuencia, MomentoUtc, "
                                    "MomentoLocal, Usuario, "
                                    "Puesto, Accion, Objeto, Detalles, HashAnterior, Hash) VALUES "
                                    "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     {e.secuencia, e.momentoUtc, e.momentoLocal, e.usuario, e.puesto, e.accion, e.objeto,
                      e.detalles, e.hashAnterior, e.hash});
        }
    };
    entradas[static_cast<size_t>(s.secuencia - 1)].puesto = QStringLiteral("otro-puesto");
    reescribir();
    ASSERT_FALSE(RoturaDeCadena(entradas));
    VerificacionDocumento v = verificar(s.codigo);
    EXPECT_EQ(v.estado, VerificacionDocumento::Cambiado);
    EXPECT_TRUE(v.texto.contains(QStringLiteral("fue reescrito"))) << v.texto.toStdString();

    // With the issue's own entry gone too, a typed code is simply unknown here,
    // but a workbook, which carries the head it was issued at, shows the rewrite.
    entradas.pop_back();
    reescribir();
    EXPECT_EQ(verificar(s.codigo).estado, VerificacionDocumento::Ajeno);
    EntradaLibro e = oficina.entradaLibro(OpcionesLibro());
    e.sello = s;
    const QString libro = base.directorio() + QStringLiteral("/libro.xlsx");
    ASSERT_TRUE(CrearLibroExcel(e, libro).ok);
    v = verificar(libro);
    EXPECT_EQ(v.estado, VerificacionDocumento::Cambiado);
    EXPECT_TRUE(v.texto.contains(QStringLiteral("fue reescrito"))) << v.texto.toStdString();
}

TEST_F(DocumentosTest, TheCommandLineAnswersWithItsExitStatus) {
    const SelloVerificacion s = oficina.emitirDocumento(oficina.pedidoEmision(QStringLiteral("informe")));
    DatosInforme datos = oficina.datosInforme();
    datos.sello = s;
    const QString pdf = base.directorio() + QStringLiteral("/informe.pdf");
    ASSERT_TRUE(InformeInfracciones(datos).guardarPdf(pdf));
    const QString dir = base.directorio();
    base.cerrar();

    Salida r = comando(dir, pdf);
    EXPECT_EQ(r.estado, 0) << r.texto.toStdString();
    EXPECT_TRUE(r.texto.startsWith(QStringLiteral("Emitido por este registro el "))) << r.texto.toStdString();
    EXPECT_EQ(comando(dir, s.codigo).estado, 0);
    EXPECT_EQ(comando(dir, QStringLiteral("K7QF-2M9X-T4LA-8WZ")).estado, 2);
    EXPECT_EQ(comando(dir, dir + QStringLiteral("/no-existe.pdf")).estado, 2);
    // A well-formed code this register never issued.
    const QString ajeno =
        CalcularCodigoVerificacion({QStringLiteral("otro"), QStringLiteral("1"), {}, {}, {}, 0, {}});
    EXPECT_EQ(comando(dir, ajeno).estado, 3);
    {
        ConexionSqlcipher db(QDir(dir).filePath(QStringLiteral("presentacion.wfg")), ClaveBaseDatos());
        ejecutar(db, QStringLiteral("DELETE FROM Infracciones WHERE FechaInfraccion = '20260105'"));
    }
    r = comando(dir, pdf);
    EXPECT_EQ(r.estado, 1) << r.texto.toStdString();
    EXPECT_TRUE(r.texto.contains(QStringLiteral("ahora lista 2 filas"))) << r.texto.toStdString();
}

TEST_F(DocumentosTest, EveryBackupCarriesTheChainHeadInItsManifest) {
    oficina.emitirDocumento(oficina.pedidoEmision(QStringLiteral("informe")));
    const QString copia = base.directorio() + QStringLiteral("/copias/una.wfg");
    oficina.copiarRegistro(QString(), copia);
    const std::optional<ManifiestoCopia> m = LeerManifiestoCopia(copia);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->identidad, oficina.identidadRegistro());
    // The head the copy holds: written before the backup's own entry, if any.
    EXPECT_LE(m->secuencia, oficina.cabezaCadena().secuencia);
    EXPECT_GT(m->secuencia, 0);
    const auto st =
        base.registro().preparar(QStringLiteral("SELECT Hash FROM RegistroActividad WHERE Secuencia = ?"));
    st->enlazar(1, m->secuencia);
    ASSERT_TRUE(st->paso());
    EXPECT_EQ(m->hash, st->texto(0));
    EXPECT_EQ(m->sha256.size(), 64);
}

namespace {

QStringList archivosEn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

qint64 emitidos(Conexion& db) {
    const auto st = db.preparar(
        QStringLiteral("SELECT count(*) FROM RegistroActividad WHERE Accion = 'documento.emitido'"));
    return st->paso() ? st->entero(0) : -1;
}

QString leerTexto(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool escribirTexto(const QString& ruta, const QByteArray& texto) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly) && f.write(texto) == texto.size();
}

QString correrPrograma(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.start(programa, argumentos);
    if (!p.waitForFinished(60000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

// The entry exists only for a document that was written: a failed write or a failed entry leaves
// the earlier file as it was, nothing recorded and no temporary file.
TEST_F(DocumentosTest, ADocumentIsRecordedOnlyOnceItIsInPlace) {
    QTemporaryDir dir;
    const QString destino = dir.filePath(QStringLiteral("informe.txt"));
    ASSERT_TRUE(escribirTexto(destino, "anterior"));
    const auto anotar = [&](const EmisionPreparada& e) {
        return [&, e](const std::function<void()>& mover) { oficina.anotarEmision(e, mover); };
    };
    const auto escribe = [](const QByteArray& texto) {
        return [texto](const QString& archivo, QString*) { return escribirTexto(archivo, texto); };
    };
    const qint64 antes = emitidos(base.registro());

    EmisionPreparada e = oficina.prepararEmision(oficina.pedidoEmision(QStringLiteral("informe")));
    QString error;
    EXPECT_FALSE(GuardarEmitido(
        destino,
        [&](const QString& archivo, QString* motivo) {
            escribirTexto(archivo, "a medias");
            *motivo = QStringLiteral("No cabe en \"%1\".").arg(archivo);
            return false;
        },
        anotar(e), &error));
    EXPECT_EQ(error, QStringLiteral("No cabe en \"%1\".").arg(destino));
    EXPECT_EQ(leerTexto(destino), QStringLiteral("anterior"));
    EXPECT_EQ(archivosEn(dir.path()), QStringList{QStringLiteral("informe.txt")});
    EXPECT_EQ(emitidos(base.registro()), antes);

    // A listed row changed by another desk while the document was written: refused, undone.
    ejecutar(base.registro(), QStringLiteral("UPDATE Infracciones SET NiveldB = '120' WHERE "
                                             "FechaInfraccion = '20260110'"));
    EXPECT_FALSE(GuardarEmitido(destino, escribe("nuevo"), anotar(e), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("cambiaron mientras se escribía"))) << error.toStdString();
    EXPECT_EQ(leerTexto(destino), QStringLiteral("anterior"));
    EXPECT_EQ(archivosEn(dir.path()), QStringList{QStringLiteral("informe.txt")});
    EXPECT_EQ(emitidos(base.registro()), antes);

    // The move itself failing inside the entry's transaction undoes the entry.
    oficina.releerSeleccionado();
    e = oficina.prepararEmision(oficina.pedidoEmision(QStringLiteral("informe")));
    EXPECT_FALSE(GuardarEmitido(
        destino, escribe("nuevo"),
        [&](const std::function<void()>& mover) {
            oficina.anotarEmision(e, [&] {
                mover();
                throw ErrorBD(QStringLiteral("disco lleno"));
            });
        },
        &error));
    EXPECT_TRUE(error.contains(QStringLiteral("disco lleno"))) << error.toStdString();
    EXPECT_EQ(leerTexto(destino), QStringLiteral("anterior"));
    EXPECT_EQ(archivosEn(dir.path()), QStringList{QStringLiteral("informe.txt")});
    EXPECT_EQ(emitidos(base.registro()), antes);

    ASSERT_TRUE(GuardarEmitido(destino, escribe("nuevo"), anotar(e), &error)) << error.toStdString();
    EXPECT_EQ(leerTexto(destino), QStringLiteral("nuevo"));
    EXPECT_EQ(archivosEn(dir.path()), QStringList{QStringLiteral("informe.txt")});
    EXPECT_EQ(emitidos(base.registro()), antes + 1);
    EXPECT_EQ(verificar(e.sello.codigo).estado, VerificacionDocumento::Vigente);
}

// A summary carries its code like a report: every page's line and QR, the workbook's properties;
// the check recomputes the summary and says whether the register still gives it.
TEST_F(DocumentosTest, ASummaryIsIssuedAndCheckedAgainstTheRegister) {
    for (int i = 0; i < 60; ++i) {
        const Consulta c = Sentencias::insertarCliente(
            prueba::clienteDe(QStringList{QString::number(100 + i), QStringLiteral("Cliente %1").arg(i)} +
                              QStringList(21, QStringLiteral("x"))));
        base.registro().ejecutar(c.sql, c.parametros);
        agregarInfraccion(base.registro(), QString::number(100 + i), QStringLiteral("20260112"),
                          QStringLiteral("1"));
    }
    oficina.abrirClientes();
    QTemporaryDir dir;
    const std::optional<ResumenOficina> r = oficina.resumen({QDate(2026, 1, 1), QDate(2026, 1, 31)});
    ASSERT_TRUE(r);
    const auto guardar = [&](const QString& salida, const QString& ruta) {
        DocumentoResumen d = oficina.documentoResumen(*r, r->filas, QStringLiteral("ventana"));
        const EmisionPreparada e = oficina.sellarResumen(d, salida);
        QString error;
        EXPECT_TRUE(GuardarEmitido(
            ruta,
            [&](const QString& archivo, QString* motivo) {
                return salida == QLatin1String("libro") ? GuardarLibroResumen(d, archivo, motivo)
                                                        : GuardarPdfResumen(d, archivo, motivo);
            },
            [&](const std::function<void()>& mover) { oficina.anotarEmision(e, mover); }, &error))
            << error.toStdString();
        return e.sello;
    };
    const QString pdf = dir.filePath(QStringLiteral("resumen.pdf"));
    const QString libro = dir.filePath(QStringLiteral("resumen.xlsx"));
    const SelloVerificacion sPdf = guardar(QStringLiteral("informe"), pdf);
    const SelloVerificacion sLibro = guardar(QStringLiteral("libro"), libro);
    EXPECT_NE(sPdf.codigo, sLibro.codigo);

    // Every page carries the line; the QR holds the code and the register.
    const QString texto =
        correrPrograma(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    const qsizetype paginas = texto.count(QLatin1Char('\f'));
    EXPECT_GE(paginas, 2);
    EXPECT_EQ(texto.count(QStringLiteral("Código de verificación: ") + sPdf.codigo), paginas);
    if (!QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty()) {
        correrPrograma(QStringLiteral("pdftoppm"),
                       {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-f"),
                        QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                        QStringLiteral("-png"), pdf, dir.filePath("pagina")});
        const QStringList imagenes = QDir(dir.path()).entryList({QStringLiteral("pagina*.png")});
        ASSERT_EQ(imagenes.size(), 1);
        EXPECT_EQ(correrPrograma(QStringLiteral("zbarimg"),
                                 {QStringLiteral("-q"), QStringLiteral("--raw"), dir.filePath(imagenes[0])})
                      .trimmed(),
                  TextoQrVerificacion(sPdf.codigo, sPdf.identidad));
    }

    for (const QString& documento : {pdf, libro, sLibro.codigo}) {
        const VerificacionDocumento v = verificar(documento);
        EXPECT_EQ(v.estado, VerificacionDocumento::Vigente) << v.texto.toStdString();
        EXPECT_TRUE(v.texto.contains(QStringLiteral("resumen de la oficina del 01/01/2026 al 31/01/2026, 61 "
                                                    "clientes")))
            << v.texto.toStdString();
        EXPECT_TRUE(v.texto.contains(QStringLiteral("sigue dando el mismo resumen")))
            << v.texto.toStdString();
    }
    // The check reads the rows, not the monthly counts kept beside them: counts changed by hand
    // neither hide a change nor make one up.
    {
        Transaccion t(base.registro());
        IncorporarFilasNuevas(base.registro());
        t.confirmar();
    }
    base.registro().ejecutar(QStringLiteral("UPDATE ResumenMensual SET Filas = Filas + 5"));
    EXPECT_EQ(verificar(pdf).estado, VerificacionDocumento::Vigente);
    // A row outside the period and the one before changes nothing; one inside it does.
    agregarInfraccion(base.registro(), QStringLiteral("105"), QStringLiteral("20260301"),
                      QStringLiteral("2"));
    EXPECT_EQ(verificar(pdf).estado, VerificacionDocumento::Vigente);
    agregarInfraccion(base.registro(), QStringLiteral("105"), QStringLiteral("20260131"),
                      QStringLiteral("3"));
    const VerificacionDocumento v = verificar(libro);
    EXPECT_EQ(v.estado, VerificacionDocumento::Cambiado) << v.texto.toStdString();
    EXPECT_TRUE(v.texto.contains(QStringLiteral("ya no da el mismo resumen"))) << v.texto.toStdString();
}
