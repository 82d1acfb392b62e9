// The output windows: the export options and the report preview, their messages and save dialogs.

#include "BaseTemporal.h"
#include "MessageRecorder.h"
#include "Oficina.h"
#include "output/ExportarExcel.h"
#include "output/Impresion.h"
#include "platform/Dialogos.h"
#include "store/Sentencias.h"
#include "store/modVarios.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

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
        const auto ejecutar = [](const Consulta& c) { BaseDatosCompartida().ejecutar(c.sql, c.parametros); };
        for (const QString n : {"501|Carlos Ruiz", "502|Sin Infracciones"})
            ejecutar(Sentencias::insertarCliente(
                (n + "||Centro||||||||Bar Central|Mitre 45||Lomas|Buenos Aires|||||||").split('|')));
        int i = 0;
        for (const QString fecha : {"20110302", "20110315", "20110331", "20110401"}) {
            ++i;
            ejecutar(Sentencias::insertarInfraccion(
                QString("501|%1|21300%2|9%2|D. JOCKEY|BAT. OK|SI|12|Insp%2||||||||%2%3")
                    .arg(fecha)
                    .arg(i)
                    .arg(i == 2 ? "." : "")
                    .split('|')));
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
    void seleccionar(const QString& numero) {
        for (const QStringList& fila : oficina.filasClientes())
            if (fila.value(1) == numero)
                oficina.seleccionar(fila.value(0).toLongLong());
        ASSERT_TRUE(oficina.clienteSeleccionado()) << qPrintable(numero);
    }
    // Exactly one message was shown, this one; the record is cleared for the next step.
    void unMensaje(const QString& texto, const QString& titulo, Icono icono) {
        ASSERT_EQ(mensajes.textos(), QStringList{texto});
        EXPECT_EQ(mensajes.ultimo().titulo, titulo);
        EXPECT_EQ(mensajes.ultimo().icono, icono);
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
    static QByteArray contenido(const QString& ruta) {
        QFile f(ruta);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    BaseTemporal base;
    MessageRecorder mensajes;
    Oficina oficina;
    QTemporaryDir dir;
    QString respuesta;
    QStringList dialogos;
};

TEST_F(Salida, OpcionesDeExportacionMarcarDesmarcarYCerrar) {
    seleccionar("501");
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible() && w->isWindow() && !w->isModal());
    EXPECT_EQ(w->windowTitle(), "Exportar Datos a Excel");
    const auto caja = [&](int n) { return w->findChild<QCheckBox*>(QString("Check%1").arg(n)); };
    EXPECT_EQ(caja(14)->text(), "Anterior Inspeccion del Local");
    EXPECT_EQ(caja(15), nullptr);
    QStringList botones;
    for (const char* n : {"Command1", "Command2", "Command3", "Volver"})
        botones << w->findChild<QPushButton*>(n)->text();
    EXPECT_EQ(botones, QStringList({"Exportar", "Desmarcar Todos", "Marcar Todos", "Cancelar y Volver"}));

    // Every box starts unmarked and is the option of its own number.
    std::array<bool, 23> esperadas{};
    EXPECT_EQ(w->opciones(), esperadas);
    caja(16)->setChecked(true);
    esperadas[16] = true;
    EXPECT_EQ(w->opciones(), esperadas);
    pulsar(w, "Command3");
    esperadas.fill(true);
    esperadas[0] = esperadas[15] = false;
    EXPECT_EQ(w->opciones(), esperadas);
    pulsar(w, "Command2");
    EXPECT_EQ(w->opciones(), (std::array<bool, 23>{}));

    // Opening again raises the same window, marks kept; a new one after closing starts unmarked.
    caja(5)->setChecked(true);
    EXPECT_EQ(abrir(), w);
    EXPECT_TRUE(caja(5)->isChecked());
    EXPECT_EQ(pulsar(w, "Volver"), nullptr);
    w = abrir();
    EXPECT_FALSE(caja(5)->isChecked());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ExportarExcel::instancia(), nullptr);
    EXPECT_TRUE(dialogos.isEmpty() && mensajes.mensajes().isEmpty());
}

TEST(NombreArchivo, SeAgregaLaExtensionSalvoQueYaLaTenga) {
    EXPECT_EQ(NombreConExtension("/d/Informe 15.03.2024", ".xlsx"), "/d/Informe 15.03.2024.xlsx");
    EXPECT_EQ(NombreConExtension("/d/informe.pdf", ".xlsx"), "/d/informe.pdf.xlsx");
    EXPECT_EQ(NombreConExtension("/d/INFORME.XLSX", ".xlsx"), "/d/INFORME.XLSX");
}

TEST_F(Salida, ExportarCanceladoFallidoYCorrecto) {
    EXPECT_EQ(abrir(), nullptr);
    unMensaje(kSinClienteExcel, kTituloSinCliente, Icono::Informacion);
    seleccionar("501");
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(pulsar(w, "Command1"), w); // cancelled: nothing happens, the window stays
    EXPECT_EQ(dialogos,
              QStringList{"Escriba el nombre del archivo a guardar los datos | Libro de Excel (*.xlsx)"});
    EXPECT_TRUE(mensajes.mensajes().isEmpty());

    // A failure is told with its description and writes nothing.
    respuesta = dir.filePath("no-existe/libro");
    EXPECT_EQ(pulsar(w, "Command1"), nullptr);
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_TRUE(mensajes.ultimo().texto.contains("no existe")) << qPrintable(mensajes.ultimo().texto);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Critico);
    mensajes.limpiar();

    respuesta = dir.filePath("cliente501");
    EXPECT_EQ(pulsar(abrir(), "Command1"), nullptr);
    unMensaje("Datos exportados correctamente!", "Datos Exportados", Icono::Informacion);
    EXPECT_TRUE(contenido(respuesta + ".xlsx").startsWith("PK"));

    // The selection moved to no client while the options window was open.
    w = abrir();
    oficina.seleccionar(0);
    respuesta = dir.filePath("x.xlsx");
    EXPECT_EQ(pulsar(w, "Command1"), w);
    unMensaje(kSinClienteExcel, kTituloSinCliente, Icono::Informacion);
    EXPECT_FALSE(QFileInfo::exists(respuesta));
}

TEST_F(Salida, InformeSinClienteOSinInfraccionesAvisaYNoMuestraNada) {
    ImprimirInformeInfracciones(oficina, nullptr);
    unMensaje("¡No hay clientes para imprimir o no lo seleccionó del listado!", kTituloSinCliente,
              Icono::Informacion);
    seleccionar("502");
    ImprimirInformeInfracciones(oficina, nullptr);
    unMensaje(kSinInfracciones, kTituloError, Icono::Critico);
    // A range that hides every infraction leaves the separator alone: nothing to print either.
    seleccionar("501");
    oficina.establecerRango(QDate(2012, 1, 1), QDate(2012, 12, 31));
    ImprimirInformeInfracciones(oficina, nullptr);
    unMensaje(kSinInfracciones, kTituloError, Icono::Critico);
    EXPECT_EQ(VistaPreviaInforme(), nullptr);
}

TEST_F(Salida, VistaPreviaUnicaNoModalQueGuardaPdf) {
    // Inspector of each record in the open preview ("-" for a separator).
    const auto inspectores = [] {
        QStringList l;
        for (const RegistroInforme& r : InformeEnVistaPrevia()->datos().registros)
            l << (r[0].isEmpty() ? "-" : r[7]);
        return l.join(',');
    };
    seleccionar("501");
    ImprimirInformeInfracciones(oficina, nullptr);
    EXPECT_TRUE(mensajes.mensajes().isEmpty()) << qPrintable(mensajes.textos().join('\n'));
    QPrintPreviewDialog* vista = VistaPreviaInforme();
    ASSERT_NE(vista, nullptr);
    EXPECT_TRUE(vista->isVisible() && !vista->isModal());
    EXPECT_EQ(vista->windowTitle(), "Detalle de Infracciones - Vista Previa");
    EXPECT_EQ(inspectores(), "Insp1,Insp2,-,Insp3,Insp4");

    // "Guardar como PDF": the name gets its extension; an existing file is replaced only on "Sí".
    auto* guardar = vista->findChild<QAction*>("GuardarPdf");
    ASSERT_NE(guardar, nullptr);
    EXPECT_EQ(guardar->text(), "Guardar como PDF");
    respuesta = dir.filePath("informe");
    const QString pdf = respuesta + ".pdf";
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("anterior") == 8);
    f.close();
    guardar->trigger();
    EXPECT_EQ(dialogos, QStringList{"Guardar como PDF | Documento PDF (*.pdf)"});
    unMensaje(
        QString("El archivo \"%1\" ya existe.\n¿Desea reemplazarlo?").arg(QDir::toNativeSeparators(pdf)),
        vista->windowTitle(), Icono::Pregunta);
    EXPECT_EQ(contenido(pdf), "anterior");
    mensajes.responder(Respuesta::Si);
    guardar->trigger();
    mensajes.limpiar();
    EXPECT_TRUE(contenido(pdf).startsWith("%PDF"));
    // A save that cannot be written is reported, not taken for done.
    respuesta = dir.filePath("no/hay/x.pdf");
    guardar->trigger();
    unMensaje("No se pudo guardar el informe en el archivo:\n" + respuesta, kTituloError, Icono::Critico);

    // A later call refills the same preview with what the model shows now.
    oficina.establecerRango(QDate(2011, 3, 1), QDate(2011, 3, 31));
    ImprimirInformeInfracciones(oficina, nullptr);
    EXPECT_EQ(VistaPreviaInforme(), vista);
    EXPECT_EQ(inspectores(), "Insp1,Insp2,-,Insp3");
}

} // namespace
