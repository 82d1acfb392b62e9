// The output windows: the export options and the report preview, their messages and save dialogs.

#include "BaseTemporal.h"
#include "CertificadosPrueba.h"
#include "FilasDePrueba.h"
#include "MessageRecorder.h"
#include "core/Oficina.h"
#include "core/output/FirmaPdf.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Sentencias.h"
#include "windows/output/ExportarExcel.h"
#include "windows/output/GuardarFirmado.h"
#include "windows/output/VistaInforme.h"
#include "windows/output/VistaPrevia.h"
#include "windows/platform/Dialogos.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

const QString kTituloSinCliente = "Seleccione o cree un Cliente";
const QString kSinClienteExcel = "¡No hay clientes para exportar a excel o no lo seleccionó del listado!";
const QString kSinInfracciones = "El cliente que selecciono no tiene infracciones para imprimir!!";
const QString kTituloError = "Error en la generación del informe";

// Logged in as "Administrador": client 501 with four infractions in March and April 2011 (the
// second one marked, so a separator follows it), client 502 with none.
class Salida : public ::testing::Test {
protected:
    void SetUp() override {
        // The preview keeps the user's choices: never the real ones.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ajustes.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ajustes.path());
        const auto ejecutar = [this](const Consulta& c) { base.registro().ejecutar(c.sql, c.parametros); };
        for (const QString n : {"501|Carlos Ruiz", "502|Sin Infracciones"}) {
            ejecutar(Sentencias::insertarCliente(prueba::clienteDe(
                (n + "||Centro||||||||Bar Central|Mitre 45||Lomas|Buenos Aires|||||||").split('|'))));
            ids << base.registro().ultimoId();
        }
        for (const QString f :
             {"20110302|Insp1|1", "20110315|Insp2|2.", "20110331|Insp3|3", "20110401|Insp4|4"}) {
            const QStringList c = f.split('|');
            ejecutar(Sentencias::insertarInfraccion(prueba::infraccionDe(
                QStringList{"501", c[0], "213000", "95", "D. JOCKEY", "BAT. OK", "SI", "12", c[1]} +
                QStringList(7) + QStringList{c[2]})));
        }
        oficina.establecerUsuario("Administrador");
        oficina.abrirClientes();
        SustituirDialogoGuardar([this](const QString& titulo, const QString& filtro) {
            dialogos << titulo + " | " + filtro;
            return respuesta;
        });
    }
    void TearDown() override {
        SustituirDialogoGuardar({});
        delete ExportarExcel::instancia();
        delete VistaPreviaInforme();
    }
    // Exactly one message was shown, this one; the record is cleared for the next step.
    void unMensaje(const QString& texto, const QString& titulo, Icono icono) {
        ASSERT_EQ(mensajes.textos(), QStringList{texto});
        EXPECT_EQ(std::pair(mensajes.ultimo().titulo, mensajes.ultimo().icono), std::pair(titulo, icono));
        mensajes.limpiar();
    }
    // The export window after opening it, or after a click that may close it (nullptr then).
    ExportarExcel* abrir() {
        ExportarExcel::Mostrar(oficina);
        return ExportarExcel::instancia();
    }
    static ExportarExcel* pulsar(ExportarExcel* w, const QString& boton) {
        QTest::mouseClick(w->findChild<QPushButton*>(boton), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return ExportarExcel::instancia();
    }
    // Documents issued so far: one entry each, only for those really saved or printed.
    qint64 emitidos() {
        const auto st = base.registro().preparar(
            "SELECT count(*) FROM RegistroActividad WHERE Accion = 'documento.emitido'");
        return st->paso() ? st->entero(0) : -1;
    }
    QTemporaryDir ajustes;
    BaseTemporal base;
    MessageRecorder mensajes;
    Oficina oficina{base.registro()};
    QTemporaryDir dir;
    QString respuesta;
    QStringList dialogos;
    QList<qint64> ids; // clients 501 and 502
};

TEST_F(Salida, ExportarOpcionesMensajesYArchivo) {
    EXPECT_EQ(abrir(), nullptr);
    unMensaje(kSinClienteExcel, kTituloSinCliente, Icono::Informacion);
    oficina.seleccionar(ids[0]);
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible() && w->isWindow() && !w->isModal());
    EXPECT_EQ(w->windowTitle(), "Exportar Datos a Excel");
    const auto caja = [&](int n) { return w->findChild<QCheckBox*>(QString("columna%1").arg(n)); };
    EXPECT_EQ(caja(14)->text(), "Anterior Inspeccion del Local");
    EXPECT_EQ(caja(15), nullptr);
    // Every box is the option it is labelled with, and starts unmarked.
    const std::pair<int, bool OpcionesLibro::*> casillas[] = {
        {1, &OpcionesLibro::numero},
        {2, &OpcionesLibro::nombre},
        {3, &OpcionesLibro::direccion},
        {4, &OpcionesLibro::localidad},
        {5, &OpcionesLibro::codigoPostal},
        {6, &OpcionesLibro::partido},
        {7, &OpcionesLibro::provincia},
        {8, &OpcionesLibro::telefono},
        {9, &OpcionesLibro::telefonoMovil},
        {10, &OpcionesLibro::email},
        {11, &OpcionesLibro::notas},
        {12, &OpcionesLibro::fechaAlta},
        {13, &OpcionesLibro::nombreLocal},
        {14, &OpcionesLibro::anteriorInspeccion},
        {16, &OpcionesLibro::ultimaInspeccion},
        {17, &OpcionesLibro::emailLocal},
        {18, &OpcionesLibro::provinciaLocal},
        {19, &OpcionesLibro::partidoLocal},
        {20, &OpcionesLibro::localidadLocal},
        {21, &OpcionesLibro::direccionLocal},
        {22, &OpcionesLibro::telefonoLocal},
    };
    for (const auto& [numero, opcion] : casillas) {
        EXPECT_EQ(w->opciones(), OpcionesLibro{}) << numero;
        caja(numero)->setChecked(true);
        OpcionesLibro esperadas;
        esperadas.*opcion = true;
        EXPECT_EQ(w->opciones(), esperadas) << numero;
        caja(numero)->setChecked(false);
    }
    pulsar(w, "botonMarcarTodos");
    EXPECT_EQ(w->opciones(), OpcionesLibro::todas());
    pulsar(w, "botonDesmarcarTodos");
    EXPECT_EQ(w->opciones(), OpcionesLibro{});
    // Opening again raises the same window, marks kept; a new one after closing starts unmarked.
    caja(5)->setChecked(true);
    EXPECT_EQ(abrir(), w);
    EXPECT_TRUE(caja(5)->isChecked());
    EXPECT_EQ(pulsar(w, "botonVolver"), nullptr);
    w = abrir();
    EXPECT_FALSE(caja(5)->isChecked());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ExportarExcel::instancia(), nullptr);
    w = abrir();
    EXPECT_EQ(pulsar(w, "botonExportar"), w); // cancelled: nothing happens, the window stays
    EXPECT_EQ(dialogos,
              QStringList{"Escriba el nombre del archivo a guardar los datos | Libro de Excel (*.xlsx)"});
    // A failure is told with its description and writes nothing.
    respuesta = dir.filePath("no-existe/libro");
    EXPECT_EQ(pulsar(w, "botonExportar"), nullptr);
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_TRUE(mensajes.ultimo().texto.contains("no existe") && mensajes.ultimo().icono == Icono::Critico);
    mensajes.limpiar();
    EXPECT_EQ(emitidos(), 0); // a workbook not written was not issued either
    // A name with dots still gets its extension.
    respuesta = dir.filePath("Informe 15.03.2024");
    EXPECT_EQ(pulsar(abrir(), "botonExportar"), nullptr);
    unMensaje("Datos exportados correctamente!", "Datos Exportados", Icono::Informacion);
    EXPECT_TRUE(QFileInfo::exists(respuesta + ".xlsx"));
    EXPECT_EQ(emitidos(), 1);
    EXPECT_EQ(NombreConExtension("a/B.XLSX", ".xlsx"), "a/B.XLSX");
    EXPECT_EQ(NombreConExtension("a.b/x.pdf", ".xlsx"), "a.b/x.pdf.xlsx");
    // The selection moved to no client while the options window was open.
    w = abrir();
    oficina.seleccionar(0);
    respuesta = dir.filePath("x.xlsx");
    EXPECT_EQ(pulsar(w, "botonExportar"), w);
    unMensaje(kSinClienteExcel, kTituloSinCliente, Icono::Informacion);
    EXPECT_FALSE(QFileInfo::exists(respuesta));
}

TEST_F(Salida, InformeAvisosYVistaPreviaUnicaNoModalQueGuardaPdf) {
    ImprimirInformeInfracciones(oficina, nullptr);
    unMensaje("¡No hay clientes para imprimir o no lo seleccionó del listado!", kTituloSinCliente,
              Icono::Informacion);
    oficina.seleccionar(ids[1]);
    ImprimirInformeInfracciones(oficina, nullptr);
    unMensaje(kSinInfracciones, kTituloError, Icono::Critico);
    // A range that hides every infraction leaves the separator alone: nothing to print either.
    oficina.seleccionar(ids[0]);
    oficina.establecerRango(QDate(2012, 1, 1), QDate(2012, 12, 31));
    ImprimirInformeInfracciones(oficina, nullptr);
    unMensaje(kSinInfracciones, kTituloError, Icono::Critico);
    EXPECT_EQ(VistaPreviaInforme(), nullptr);
    const auto registros = [] { return InformeEnVistaPrevia()->datos().registros.size(); };
    oficina.establecerRango(QDate(2011, 1, 1), QDate(2011, 12, 31));
    ImprimirInformeInfracciones(oficina, nullptr);
    DialogoVistaPrevia* vista = VistaPreviaInforme();
    ASSERT_NE(vista, nullptr);
    EXPECT_TRUE(vista->isVisible() && !vista->isModal());
    EXPECT_EQ(vista->windowTitle(), "Detalle de Infracciones - Vista Previa");
    EXPECT_EQ(registros(), 5u); // with the separator after the marked one
    EXPECT_EQ(vista->hojas()->paginas(), 1);
    vista->grab();
    EXPECT_EQ(vista->hojas()->paginasPintadas(), 1);
    // "Guardar como PDF": the name gets its extension; an existing file is replaced only on "Sí".
    auto* guardar = vista->findChild<QAction*>("GuardarPdf");
    ASSERT_NE(guardar, nullptr);
    respuesta = dir.filePath("informe");
    const QString pdf = respuesta + ".pdf";
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("anterior") == 8 && f.flush());
    guardar->trigger();
    EXPECT_EQ(dialogos, QStringList{"Guardar como PDF | Documento PDF (*.pdf)"});
    unMensaje(
        QString("El archivo \"%1\" ya existe.\n¿Desea reemplazarlo?").arg(QDir::toNativeSeparators(pdf)),
        vista->windowTitle(), Icono::Pregunta);
    EXPECT_EQ(QFileInfo(pdf).size(), 8);
    mensajes.responder(Respuesta::Si);
    guardar->trigger();
    mensajes.limpiar();
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
    // A save that cannot be written is reported, not taken for done, and issues nothing.
    const qint64 antes = emitidos();
    respuesta = dir.filePath("no/hay/x.pdf");
    guardar->trigger();
    unMensaje(QString("No se pudo guardar \"%1\": la carpeta \"%2\" no existe.")
                  .arg(QDir::toNativeSeparators(respuesta), QDir::toNativeSeparators(dir.filePath("no/hay"))),
              kTituloError, Icono::Critico);
    EXPECT_EQ(emitidos(), antes);
    // A later call refills the same preview with what the model shows now.
    oficina.establecerRango(QDate(2011, 3, 1), QDate(2011, 3, 31));
    ImprimirInformeInfracciones(oficina, nullptr);
    EXPECT_EQ(VistaPreviaInforme(), vista);
    EXPECT_EQ(registros(), 4u);
}

TEST_F(Salida, GuardarFirmadoPideCertificadoYRecuerdaSoloLaRuta) {
    const prueba::CertificadosPrueba& c = prueba::certificados();
    oficina.seleccionar(ids[0]);
    ImprimirInformeInfracciones(oficina, nullptr);
    auto* firmar = VistaPreviaInforme()->findChild<QAction*>("GuardarFirmado");
    ASSERT_NE(firmar, nullptr);
    EXPECT_EQ(firmar->text(), "Guardar firmado...");
    QStringList ofrecidos;
    QByteArray clave = "mala";
    SustituirPedirCertificado([&](const QString& predeterminado) {
        ofrecidos << predeterminado;
        return std::optional<PedidoCertificado>({c.firmante, clave});
    });
    respuesta = dir.filePath("firmado.pdf");
    // A wrong password: told, nothing asked further, nothing written, the path not remembered.
    firmar->trigger();
    unMensaje("La contraseña del certificado \"firmante.p12\" no es correcta.", "Guardar firmado",
              Icono::Critico);
    EXPECT_TRUE(dialogos.isEmpty());
    EXPECT_FALSE(QFile::exists(respuesta));
    // Neither a refused certificate nor a cancelled dialog issues a code.
    EXPECT_EQ(emitidos(), 0);
    SustituirPedirCertificado([&](const QString& predeterminado) {
        ofrecidos << predeterminado;
        return std::optional<PedidoCertificado>();
    });
    firmar->trigger();
    EXPECT_TRUE(mensajes.textos().isEmpty() && dialogos.isEmpty());
    EXPECT_EQ(emitidos(), 0);
    SustituirPedirCertificado([&](const QString& predeterminado) {
        ofrecidos << predeterminado;
        return std::optional<PedidoCertificado>({c.firmante, clave});
    });
    clave = c.contrasena;
    firmar->trigger();
    EXPECT_TRUE(mensajes.textos().isEmpty()) << mensajes.textos().join('\n').toStdString();
    EXPECT_EQ(dialogos, QStringList{"Guardar firmado | Documento PDF (*.pdf)"});
    EXPECT_EQ(emitidos(), 1);
    // The report's code is the one the entry records, and the check finds the signature whole.
    const VerificacionDocumento verificado = oficina.verificarDocumento(respuesta);
    EXPECT_EQ(verificado.estado, VerificacionDocumento::Vigente) << verificado.texto.toStdString();
    EXPECT_TRUE(verificado.texto.contains("Firma válida")) << verificado.texto.toStdString();
    QFile f(respuesta);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const EstadoFirmaPdf estado = VerificarFirmaPdf(f.readAll());
    EXPECT_TRUE(estado.intacto);
    EXPECT_TRUE(estado.firmante.contains("Oficina de Inspección"));
    // The next time the certificate used is offered; its password never is.
    firmar->trigger();
    EXPECT_EQ(ofrecidos, QStringList({QString(), QString(), QString(), c.firmante}));
    EXPECT_EQ(CertificadoPredeterminado(), c.firmante);
    QFile ajustesArchivo(
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "velmora", "velmora-kv270").fileName());
    ASSERT_TRUE(ajustesArchivo.open(QIODevice::ReadOnly));
    EXPECT_FALSE(ajustesArchivo.readAll().contains("secreto"));
    mensajes.limpiar();
    SustituirPedirCertificado({});
}

TEST_F(Salida, IncluirGraficosSeRecuerdaParaElUsuarioEntreVistasPrevias) {
    oficina.seleccionar(ids[0]);
    const auto abrirVista = [&] {
        ImprimirInformeInfracciones(oficina, nullptr);
        DialogoVistaPrevia* vista = VistaPreviaInforme();
        return vista ? vista->findChild<QAction*>("IncluirGraficos") : nullptr;
    };
    QAction* opcion = abrirVista();
    ASSERT_NE(opcion, nullptr);
    EXPECT_FALSE(opcion->isChecked()); // off the first time
    EXPECT_TRUE(InformeEnVistaPrevia()->datos().graficoNiveles.isNull());
    opcion->setChecked(true);
    EXPECT_FALSE(InformeEnVistaPrevia()->datos().graficoNiveles.isNull());

    // The preview closed and opened again: the choice is back, and the report follows it.
    delete VistaPreviaInforme();
    opcion = abrirVista();
    ASSERT_NE(opcion, nullptr);
    EXPECT_TRUE(opcion->isChecked());
    EXPECT_FALSE(InformeEnVistaPrevia()->datos().graficoNiveles.isNull());
    EXPECT_FALSE(InformeEnVistaPrevia()->datos().graficoSemana.isNull());

    // It lives in the user's settings, not in this run: what they hold is what the next preview shows.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "velmora", "velmora-kv270")
        .setValue("informe/incluirGraficos", false);
    delete VistaPreviaInforme();
    opcion = abrirVista();
    ASSERT_NE(opcion, nullptr);
    EXPECT_FALSE(opcion->isChecked());
    EXPECT_TRUE(InformeEnVistaPrevia()->datos().graficoNiveles.isNull());
    opcion->setChecked(true);
    EXPECT_TRUE(QSettings(QSettings::NativeFormat, QSettings::UserScope, "velmora", "velmora-kv270")
                    .value("informe/incluirGraficos")
                    .toBool());
}

TEST_F(Salida, LaVistaPreviaPintaSoloLasPaginasALaVista) {
    DatosInforme datos;
    datos.titulo = "Municipalidad";
    for (int i = 0; i < 600; ++i) {
        RegistroInforme r;
        r.fecha = "28/09/2011";
        r.hora = "14:05:30";
        r.nivelDb = QString::number(i);
        datos.registros.push_back(r);
    }
    const auto informe = std::make_shared<InformeInfracciones>(std::move(datos));
    DialogoVistaPrevia vista;
    vista.resize(1100, 760);
    vista.setInforme(informe);
    vista.show();
    vista.grab();
    HojasVistaPrevia* hojas = vista.hojas();
    const int paginas = static_cast<int>(informe->maquetar(277, 190).paginas.size());
    EXPECT_EQ(hojas->paginas(), paginas);
    EXPECT_GT(paginas, 20);
    EXPECT_EQ(hojas->paginaActual(), 1);
    const int alPrincipio = hojas->paginasPintadas();
    EXPECT_GE(alPrincipio, 1);
    EXPECT_LE(alPrincipio, 3);
    // The page box and the last-page action move the view; only what comes into view is painted.
    auto* pagina = vista.findChild<QSpinBox*>("Pagina");
    ASSERT_NE(pagina, nullptr);
    EXPECT_FALSE(pagina->accessibleName().isEmpty());
    EXPECT_EQ(pagina->maximum(), paginas);
    vista.findChild<QAction*>("UltimaPagina")->trigger();
    vista.grab();
    EXPECT_EQ(hojas->paginaActual(), paginas);
    EXPECT_EQ(pagina->value(), paginas);
    EXPECT_LE(hojas->paginasPintadas(), alPrincipio + 3);
    pagina->setValue(10);
    EXPECT_EQ(hojas->paginaActual(), 10);
    // Esc leaves it.
    QTest::keyClick(&vista, Qt::Key_Escape);
    EXPECT_FALSE(vista.isVisible());
}

} // namespace
