// The export options window: its boxes and buttons, the messages, the save dialog and the file.

#include "OficinaDePrueba.h"

#include "output/ExportarExcel.h"
#include "platform/Dialogos.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSinCliente =
    QStringLiteral("¡No hay clientes para exportar a excel o no lo seleccionó del listado!");

class Exportacion : public OficinaDePrueba {
protected:
    void SetUp() override {
        OficinaDePrueba::SetUp();
        SustituirDialogoGuardar([this](const QString& titulo, const QString& filtro) {
            dialogos << titulo + QStringLiteral(" | ") + filtro;
            return respuestaDialogo;
        });
    }
    void TearDown() override {
        SustituirDialogoGuardar({});
        delete ExportarExcel::instancia();
    }
    // The window after opening it, or after a click that may close it (nullptr then).
    ExportarExcel* abrir() {
        ExportarExcel::Mostrar(oficina);
        return ExportarExcel::instancia();
    }
    static ExportarExcel* pulsar(ExportarExcel* w, const char* boton) {
        QTest::mouseClick(w->findChild<QPushButton*>(QString::fromLatin1(boton)), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return ExportarExcel::instancia();
    }
    static QCheckBox* caja(ExportarExcel* w, int n) {
        return w->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(n));
    }
    QString ruta(const char* nombre) const { return QDir(dir.path()).filePath(QString::fromUtf8(nombre)); }

    QTemporaryDir dir;
    QString respuestaDialogo;
    QStringList dialogos;
};

TEST_F(Exportacion, VentanaDeOpcionesMarcarDesmarcarYCerrar) {
    seleccionar(QStringLiteral("501"));
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->parentWidget(), nullptr);
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Exportar Datos a Excel"));
    const QStringList titulos =
        QStringLiteral("Numero de Cliente|Nombre y Apellido|Direccion|Localidad|Codigo Postal|Partido|"
                       "Provincia|Telefono|Telefono Movil|Email|Notas|Fecha de Alta|Nombre del Local|"
                       "Anterior Inspeccion del Local||Ultima Inspeccion del Local|Email del Local|"
                       "Provincia del Local|Partido del Local|Localidad del Local|Direccion del Local|"
                       "Telefono del Local")
            .split(QLatin1Char('|'));
    for (int n = 1; n <= 22; ++n) {
        QCheckBox* c = caja(w, n);
        ASSERT_EQ(c != nullptr, n != 15) << n;
        if (c) {
            EXPECT_EQ(c->text(), titulos[n - 1]) << n;
        }
    }
    QStringList botones;
    for (const char* n : {"Command1", "Command2", "Command3", "Volver"})
        botones << w->findChild<QPushButton*>(QString::fromLatin1(n))->text();
    EXPECT_EQ(botones, QStringList({"Exportar", "Desmarcar Todos", "Marcar Todos", "Cancelar y Volver"}));

    // Every box starts unmarked and is the option of its own number.
    std::array<bool, 23> esperadas{};
    EXPECT_EQ(w->opciones(), esperadas);
    caja(w, 16)->setChecked(true);
    esperadas[16] = true;
    EXPECT_EQ(w->opciones(), esperadas);
    pulsar(w, "Command3");
    esperadas.fill(true);
    esperadas[0] = esperadas[15] = false;
    EXPECT_EQ(w->opciones(), esperadas);
    pulsar(w, "Command2");
    esperadas.fill(false);
    EXPECT_EQ(w->opciones(), esperadas);

    // Opening again raises the same window, marks kept; a new one after closing starts unmarked.
    caja(w, 5)->setChecked(true);
    EXPECT_EQ(abrir(), w);
    EXPECT_TRUE(caja(w, 5)->isChecked());
    EXPECT_EQ(pulsar(w, "Volver"), nullptr);
    w = abrir();
    EXPECT_FALSE(caja(w, 5)->isChecked());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ExportarExcel::instancia(), nullptr);
    EXPECT_TRUE(dialogos.isEmpty());
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

TEST(NombreArchivo, SeAgregaLaExtensionSalvoQueYaLaTenga) {
    const QString xlsx = QStringLiteral(".xlsx");
    EXPECT_EQ(NombreConExtension(QStringLiteral("/d/Informe 15.03.2024"), xlsx),
              QStringLiteral("/d/Informe 15.03.2024.xlsx"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("/d/informe.pdf"), xlsx),
              QStringLiteral("/d/informe.pdf.xlsx"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("/d/INFORME.XLSX"), xlsx), QStringLiteral("/d/INFORME.XLSX"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("/d/v1.2/informe"), xlsx),
              QStringLiteral("/d/v1.2/informe.xlsx"));
}

TEST_F(Exportacion, CancelarNoReemplazarFallarYExportar) {
    seleccionar(QStringLiteral("501"));
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(pulsar(w, "Command1"), w); // cancelled: nothing happens, the window stays
    EXPECT_EQ(dialogos,
              QStringList{"Escriba el nombre del archivo a guardar los datos | Libro de Excel (*.xlsx)"});
    EXPECT_TRUE(mensajes.mensajes().isEmpty());

    // A name typed without extension that exists with it: asked first; "No" keeps everything.
    QFile existente(ruta("cliente501.xlsx"));
    ASSERT_TRUE(existente.open(QIODevice::WriteOnly) && existente.write("anterior") == 8);
    existente.close();
    respuestaDialogo = ruta("cliente501");
    mensajes.responder(Respuesta::No);
    EXPECT_EQ(pulsar(w, "Command1"), w);
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Pregunta);
    mensajes.limpiar();
    ASSERT_TRUE(existente.open(QIODevice::ReadOnly));
    EXPECT_EQ(existente.readAll(), QByteArray("anterior"));
    existente.close();

    // A failure is told with its description and writes nothing.
    respuestaDialogo = ruta("no-existe/libro.xlsx");
    EXPECT_EQ(pulsar(w, "Command1"), nullptr);
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_TRUE(mensajes.ultimo().texto.contains(QStringLiteral("no existe")))
        << qPrintable(mensajes.ultimo().texto);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Critico);
    EXPECT_FALSE(QFileInfo::exists(ruta("no-existe")));
    mensajes.limpiar();

    // "Sí" replaces the file with the workbook, says so and closes the window.
    respuestaDialogo = ruta("cliente501");
    mensajes.responder(Respuesta::Si);
    EXPECT_EQ(pulsar(abrir(), "Command1"), nullptr);
    ASSERT_EQ(mensajes.mensajes().size(), 2); // the question, then the result
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("Datos exportados correctamente!"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Datos Exportados"));
    ASSERT_TRUE(existente.open(QIODevice::ReadOnly));
    EXPECT_TRUE(existente.readAll().startsWith("PK"));
}

TEST_F(Exportacion, SinClienteSeleccionadoNoAbreNiExporta) {
    EXPECT_EQ(abrir(), nullptr);
    unMensaje(kSinCliente, QStringLiteral("Seleccione o cree un Cliente"), Icono::Informacion);
    // The selection moved to no client while the options window was open.
    seleccionar(QStringLiteral("502"));
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    oficina.seleccionar(0);
    respuestaDialogo = ruta("x.xlsx");
    EXPECT_EQ(pulsar(w, "Command1"), w);
    EXPECT_TRUE(dialogos.isEmpty());
    EXPECT_EQ(mensajes.textos(), QStringList{kSinCliente});
    EXPECT_FALSE(QFileInfo::exists(ruta("x.xlsx")));
}

} // namespace
