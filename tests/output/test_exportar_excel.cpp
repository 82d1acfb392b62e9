// The export as the user runs it: "Exportar Excel" in the main window, the options window,
// the save dialog and the workbook written from what the main window shows.
#include "../clients/ClientesDePrueba.h"
#include "accounts/Sesion.h"
#include "output/ExportarExcel.h"
#include "platform/Dialogos.h"
#include "test_libro_excel_lector.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSinCliente =
    QStringLiteral("¡No hay clientes para exportar a excel o no lo seleccionó del listado!");

class Exportacion : public prueba::VentanaConClientes {
protected:
    void SetUp() override {
        VentanaConClientes::SetUp();
        SustituirDialogoGuardar([this](const QString& titulo, const QString& filtro) {
            titulos << titulo;
            filtros << filtro;
            return respuestaDialogo;
        });
    }
    void TearDown() override {
        SustituirDialogoGuardar({});
        delete ExportarExcel::instancia();
        VentanaConClientes::TearDown();
    }
    static void borrarCerradas() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    // "Exportar Excel" in the main window.
    ExportarExcel* abrir() {
        QTest::mouseClick(ventana->cmdOpciones[4], Qt::LeftButton);
        return ExportarExcel::instancia();
    }
    QString ruta(const QString& nombre) const { return QDir(dir.path()).filePath(nombre); }

    QTemporaryDir dir;
    QString respuestaDialogo;
    QStringList titulos, filtros;
};

std::string s(const QString& t) {
    return t.toStdString();
}

TEST_F(Exportacion, VentanaDeOpcionesMarcarDesmarcarYCancelar) {
    seleccionar(QStringLiteral("12"));
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->parentWidget(), nullptr);
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Exportar Datos a Excel"));
    const QStringList titulosCasillas =
        QStringLiteral("Numero de Cliente|Nombre y Apellido|Direccion|Localidad|Codigo Postal|Partido|"
                       "Provincia|Telefono|Telefono Movil|Email|Notas|Fecha de Alta|Nombre del Local|"
                       "Anterior Inspeccion del Local||Ultima Inspeccion del Local|Email del Local|"
                       "Provincia del Local|Partido del Local|Localidad del Local|Direccion del Local|"
                       "Telefono del Local")
            .split(QLatin1Char('|'));
    for (int n = 1; n <= 22; ++n) {
        auto* caja = w->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(n));
        if (n == 15) {
            EXPECT_EQ(caja, nullptr);
            continue;
        }
        ASSERT_NE(caja, nullptr) << n;
        EXPECT_EQ(caja->text(), titulosCasillas[n - 1]);
        EXPECT_FALSE(caja->isChecked());
    }
    QStringList botones;
    for (const char* n : {"Command1", "Command2", "Command3", "Volver"})
        botones << w->findChild<QPushButton*>(n)->text();
    EXPECT_EQ(botones, QStringList({"Exportar", "Desmarcar Todos", "Marcar Todos", "Cancelar y Volver"}));

    QTest::mouseClick(w->Command3, Qt::LeftButton);
    for (QCheckBox* c : w->findChildren<QCheckBox*>())
        EXPECT_TRUE(c->isChecked()) << s(c->objectName());
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    for (QCheckBox* c : w->findChildren<QCheckBox*>())
        EXPECT_FALSE(c->isChecked()) << s(c->objectName());

    // The main window stays usable; opening again raises the same window.
    w->Check[5]->setChecked(true);
    EXPECT_EQ(abrir(), w);
    EXPECT_TRUE(w->Check[5]->isChecked());

    QTest::mouseClick(w->Volver, Qt::LeftButton);
    borrarCerradas();
    EXPECT_EQ(ExportarExcel::instancia(), nullptr);
    EXPECT_TRUE(titulos.isEmpty());
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
    // A new opening starts unmarked.
    w = abrir();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->Check[5]->isChecked());
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

TEST_F(Exportacion, DialogoCanceladoNoExportaYLaVentanaSigue) {
    seleccionar(QStringLiteral("12"));
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    respuestaDialogo.clear();
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    EXPECT_EQ(titulos, QStringList{"Escriba el nombre del archivo a guardar los datos"});
    EXPECT_TRUE(filtros.value(0).contains("*.xlsx")) << s(filtros.value(0));
    borrarCerradas();
    EXPECT_EQ(ExportarExcel::instancia(), w);
    EXPECT_TRUE(mensajes.mensajes().isEmpty());

    // A name typed without extension that exists with it: asked first; "No" keeps everything.
    QFile existente(ruta("informe.xlsx"));
    ASSERT_TRUE(existente.open(QIODevice::WriteOnly));
    existente.write("anterior");
    existente.close();
    respuestaDialogo = ruta("informe");
    mensajes.responder(Respuesta::No);
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Pregunta);
    borrarCerradas();
    EXPECT_EQ(ExportarExcel::instancia(), w);
    ASSERT_TRUE(existente.open(QIODevice::ReadOnly));
    EXPECT_EQ(existente.readAll(), QByteArray("anterior"));
}

TEST_F(Exportacion, ExportaLoQueMuestraLaVentanaPrincipal) {
    seleccionar(QStringLiteral("12"));
    ventana->Municipio->setText(QStringLiteral("Municipalidad de Quilmes"));
    // The date filter hides the record of 28/02/2011.
    ventana->FechaInfInicio->setDate(QDate(2011, 3, 1));
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w->Command3, Qt::LeftButton);
    respuestaDialogo = ruta("cliente12"); // ".xlsx" is added
    // The inspector is the session's user, whatever the box on the screen says.
    ventana->Usuario->setText(QStringLiteral("Administrador"));
    UsuarioActual = QStringLiteral("Invitado");
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("Datos exportados correctamente!"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Datos Exportados"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    borrarCerradas();
    EXPECT_EQ(ExportarExcel::instancia(), nullptr);

    const LibroLeido l(ruta("cliente12.xlsx"));
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(s(l.texto("A2")), "Inspector responsable:  Invitado");
    ComprobarTextos(l, "A1=Municipalidad de Quilmes - DETALLE DE INFRACCIONES|A4=Numero de Cliente:  12|"
                       "A5=Nombre y Apellido:  Juan Pérez|A16=Nombre del Local:  Bar El Ñandú|"
                       "A23=Ultima Inspeccion:  15/09/2011 / 14:30:05|A25=Notas:  Notas de Juan Pérez|"
                       "A28=Dia y Hora Inicio Banda Horaria A:  Lunes   08:30|"
                       "A29=Dia y Hora Fin Banda Horaria A:  Viernes   23:05|"
                       "A32=Dia y Hora Inicio Banda Horaria B:  Sabado   22:00|A39=N° de Infraccion");

    // Grid rows: L. SHOW (filtered out), D. JOCKEY (its CI in A), separator, MIC. DESC., separator,
    // empty status, L. SHOW, separator, APERT. GAB., separator.
    EXPECT_TRUE(l.ocultas.value(40));
    EXPECT_FALSE(l.ocultas.value(42));
    ComprobarTextos(l,
                    "A40=|A41=1|B41=01/03/2011|A43=12|E43=MIC. DESC.|B45=31/03/2011|A46=2|E48=APERT. GAB.");
    const struct {
        const char* ref;
        const char* relleno;
    } rellenos[] = {{"P41", "FF8000"}, {"P42", "000000"}, {"A44", "000000"},
                    {"A45", "000000"}, {"A46", "FFFF00"}, {"A49", "000000"}};
    for (const auto& r : rellenos)
        EXPECT_EQ(s(l.estilo(r.ref).relleno), r.relleno) << r.ref;
    EXPECT_EQ(l.ultimaFila(), 49);
}

TEST_F(Exportacion, UnFalloSeInformaConSuDescripcion) {
    seleccionar(QStringLiteral("312"));
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    respuestaDialogo = ruta("no-existe/libro.xlsx");
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_TRUE(mensajes.ultimo().texto.contains("no existe")) << s(mensajes.ultimo().texto);
    EXPECT_EQ(mensajes.ultimo().titulo, TituloAplicacion());
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Critico);
    EXPECT_FALSE(QFileInfo::exists(ruta("no-existe")));
}

TEST_F(Exportacion, SinClienteSeleccionadoNoAbreNiExporta) {
    ventana->flex->setRow(filaDe(QStringLiteral("----")));
    EXPECT_EQ(abrir(), nullptr);
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, kSinCliente);
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Seleccione o cree un Cliente"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);

    // The selection moved to no client while the options window was open.
    mensajes.limpiar();
    seleccionar(QStringLiteral("123"));
    ExportarExcel* w = abrir();
    ASSERT_NE(w, nullptr);
    ventana->flex->setRow(filaDe(QStringLiteral("----")));
    respuestaDialogo = ruta("x.xlsx");
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    EXPECT_TRUE(titulos.isEmpty());
    EXPECT_EQ(mensajes.textos(), QStringList{kSinCliente});
    EXPECT_FALSE(QFileInfo::exists(ruta("x.xlsx")));
}

} // namespace
