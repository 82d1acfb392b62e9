// The import log as the windows use it: the import's questions, the history window and the file
// check. What the log stores is tested without windows (test_registro_importaciones.cpp).

#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "MessageRecorder.h"

#include "core/Oficina.h"
#include "windows/grid/GridModel.h"
#include "windows/import/HistorialImportaciones.h"
#include "windows/import/VentanaImportacion.h"
#include "windows/platform/Dialogos.h"
#include "windows/platform/PedirMotivo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace prueba;

namespace {

// Another maximum level (085 -> 090), same bands.
QByteArray cabeceraCambiada() {
    QByteArray c = cabecera("0123");
    c.replace(16, 3, "090");
    return c;
}

class HistorialTest : public ::testing::Test {
protected:
    template <typename T = QWidget> static T* hijo(const QWidget* v, const char* nombre) {
        T* h = v->findChild<T*>(QLatin1String(nombre));
        EXPECT_NE(h, nullptr) << nombre;
        return h;
    }
    void SetUp() override {
        agregarCliente(base.registro(), QStringLiteral("0123"));
        oficina.establecerUsuario(QStringLiteral("Invitado"));
        oficina.abrirClientes();
        for (const QStringList& f : oficina.filasClientes())
            if (f.value(1) == QLatin1String("0123"))
                oficina.seleccionar(f.value(0).toLongLong());
        ASSERT_NE(oficina.idSeleccionado(), 0);
    }
    void TearDown() override {
        delete VentanaImportacion::instancia();
        delete HistorialImportaciones::instancia();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SustituirDialogoGuardar(nullptr);
        SustituirDialogoAbrir(nullptr);
    }
    // Through the import window, as a user does.
    void importarConVentana(const QString& nombre, const QByteArray& datos) {
        escribir(dir.path(), nombre, datos);
        MostrarVentanaImportacion(oficina);
        VentanaImportacion* w = VentanaImportacion::instancia();
        ASSERT_TRUE(w->setDirectorio(dir.path()));
        auto* lista = hijo<QListWidget>(w, "archivos");
        const QList<QListWidgetItem*> items = lista->findItems(nombre, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        lista->setCurrentItem(items.first());
        QTest::mouseClick(hijo(w, "botonImportar"), Qt::LeftButton);
    }

    BaseTemporal base;
    Oficina oficina{base.registro()};
    QTemporaryDir dir;
    MessageRecorder mensajes;
};

// The same bytes are named before anything is written and "No" is the default; records already
// stored are counted with the choice to leave them out; a settings change is shown.
TEST_F(HistorialTest, LaImportacionPreguntaAntesDeEscribir) {
    const QByteArray primero = archivo("12");
    importarConVentana("a.kvd", primero);
    ASSERT_EQ(mensajes.mensajes().size(), 2) << mensajes.textos().join('\n').toStdString();
    mensajes.limpiar();

    importarConVentana("copia.kvd", primero);
    ASSERT_EQ(mensajes.mensajes().size(), 2) << mensajes.textos().join('\n').toStdString();
    const MessageRecorder::Mensaje pregunta = mensajes.mensajes().at(0);
    EXPECT_TRUE(pregunta.texto.startsWith("Este archivo ya fue importado el "))
        << pregunta.texto.toStdString();
    EXPECT_TRUE(pregunta.texto.contains(" por Invitado.\n\n¿Desea importarlo nuevamente?"));
    EXPECT_EQ(pregunta.botones, Botones::NoSi);
    EXPECT_TRUE(
        mensajes.mensajes().at(1).texto.startsWith("Importación cancelada: no se guardó ningún dato."));
    EXPECT_TRUE(QFile::exists(dir.filePath("copia.kvd")));
    EXPECT_EQ(cantidadInfracciones(base.registro()), 2);
    mensajes.limpiar();

    // Yes to storing it again, and to leaving out the records already stored.
    mensajes.responder(Respuesta::Si);
    mensajes.responder(Respuesta::Si);
    importarConVentana("mezcla.kvd", cabeceraCambiada() + registro('1') + registro('3'));
    ASSERT_GE(mensajes.mensajes().size(), 1);
    const MessageRecorder::Mensaje confirmar = mensajes.mensajes().at(0);
    EXPECT_EQ(confirmar.botones, Botones::SiNoCancelar);
    EXPECT_EQ(confirmar.texto,
              "Cliente 0123: el archivo contiene 2 registros.\n\n"
              "La configuración del equipo cambió desde la importación anterior:\n"
              "Max. dB: 085 → 090\n\n"
              "1 registro ya está guardado para este cliente (misma fecha, hora, estatus y nivel).\n\n"
              "Sí: guardar solo el registro nuevo.\n"
              "No: guardar 2 registros, también los repetidos.\n"
              "Cancelar: no guardar nada.");
    EXPECT_TRUE(mensajes.textos().contains(
        "Registros nuevos guardados: 1 registro. Ya estaban guardados y no se repitieron: 1 registro."));
    EXPECT_EQ(cantidadInfracciones(base.registro()), 3);
}

// The history lists the client's imports with the changes marked, hands out the original byte for
// byte, shows one import's rows, and lets only the administrator delete one.
TEST_F(HistorialTest, VentanaDeHistorialYVerificacion) {
    const QByteArray primero = archivo("12");
    for (const QByteArray& d : {primero, cabeceraCambiada() + registro('4')}) {
        ArchivoImportacion a;
        ASSERT_TRUE(prepararImportacion(d, a).ok());
        DatosImportacion datos;
        datos.numeroCliente = "0123";
        datos.nombreArchivo = "0123.kvd";
        ASSERT_TRUE(oficina.importar(a, datos).ok());
    }
    MostrarHistorialImportaciones(oficina, nullptr);
    HistorialImportaciones* w = HistorialImportaciones::instancia();
    ASSERT_NE(w, nullptr);
    auto* lista = hijo<QTableWidget>(w, "tablaImportaciones");
    ASSERT_EQ(lista->rowCount(), 2);
    // Newest first, its settings change highlighted and written out.
    EXPECT_EQ(lista->item(0, 8)->text(), "Max. dB: 085 → 090");
    EXPECT_NE(lista->item(0, 0)->background(), lista->item(1, 0)->background());
    const QString sha = HuellaSha256(primero);
    EXPECT_EQ(lista->item(1, 4)->text(), sha.left(12) + "…");
    EXPECT_EQ(lista->item(1, 4)->toolTip(), sha);
    w->elegirFila(1);
    w->copiarHuella();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), sha);

    const QString destino = dir.filePath("original");
    SustituirDialogoGuardar([&](const QString&, const QString&) { return destino; });
    w->guardarOriginal();
    QFile f(destino + ".kvd");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(HuellaSha256(f.readAll()), sha);
    EXPECT_TRUE(mensajes.ultimo().texto.endsWith("SHA-256: " + sha));

    w->verInfracciones();
    EXPECT_EQ(w->findChild<GridModel*>()->rows(), 1 + 2); // header and the import's two rows

    // Rights from the login: the guest cannot delete, the administrator is asked first.
    EXPECT_FALSE(hijo(w, "botonEliminar")->isEnabled());
    oficina.establecerUsuario("Administrador");
    w->elegirFila(0);
    ASSERT_TRUE(hijo(w, "botonEliminar")->isEnabled());
    mensajes.limpiar();
    w->eliminar(); // answered "No"
    EXPECT_EQ(lista->rowCount(), 2);
    EXPECT_TRUE(mensajes.ultimo().texto.contains("y 1 registro de infracciones que guardó"));
    mensajes.responder(Respuesta::Si);
    w->eliminar();
    // Still listed, marked: the administrator can bring it back.
    EXPECT_EQ(lista->rowCount(), 2);
    EXPECT_TRUE(lista->item(0, 0)->text().endsWith("(eliminada)"));
    EXPECT_EQ(cantidadInfracciones(base.registro()), 2);
    w->elegirFila(0);
    EXPECT_FALSE(hijo(w, "botonEliminar")->isEnabled());
    ASSERT_TRUE(hijo(w, "botonRestituir")->isEnabled());
    w->restituir();
    EXPECT_EQ(cantidadInfracciones(base.registro()), 3);
    EXPECT_TRUE(mensajes.ultimo().texto.startsWith("Se restituyó la importación con 1 registro"));
    EXPECT_FALSE(lista->item(0, 0)->text().endsWith("(eliminada)"));

    // Any file can be checked: these bytes were imported, those never were.
    const QString kvd = escribir(dir.path(), "suelto.kvd", primero);
    SustituirDialogoAbrir([&](const QString&, const QString&) { return kvd; });
    VerificarArchivo(oficina, w);
    EXPECT_TRUE(mensajes.ultimo().texto.contains("Estos mismos datos fueron importados una vez:\n• el "));
    EXPECT_TRUE(mensajes.ultimo().texto.contains("por Invitado en el equipo"));
    EXPECT_TRUE(
        mensajes.ultimo().texto.contains("cliente 0123, archivo \"0123.kvd\" (2 registros guardados)"));
    escribir(dir.path(), "suelto.kvd", archivo("7"));
    VerificarArchivo(oficina, w);
    EXPECT_TRUE(mensajes.ultimo().texto.endsWith("Estos datos nunca fueron importados en este registro."));

    // Esc leaves the window.
    QTest::keyClick(w, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(HistorialImportaciones::instancia(), nullptr);
}

// The reason is a required field: "Aceptar" only once something other than spaces is written.
TEST(DialogoMotivo, MotivoObligatorio) {
    DialogoMotivo d(nullptr, "Eliminar importación", "Escriba el motivo.");
    auto* etiqueta = d.findChild<QLabel*>("etiquetaMotivo");
    ASSERT_NE(etiqueta, nullptr);
    EXPECT_EQ(etiqueta->text(), "Motivo:");
    auto* motivo = d.findChild<QLineEdit*>("motivo");
    auto* aceptar = d.findChild<QPushButton*>("botonAceptar");
    ASSERT_TRUE(motivo && aceptar);
    EXPECT_EQ(etiqueta->buddy(), motivo);
    EXPECT_FALSE(aceptar->isEnabled());
    motivo->setText("   ");
    EXPECT_FALSE(aceptar->isEnabled());
    motivo->setText("  Archivo de otro local ");
    EXPECT_TRUE(aceptar->isEnabled());
    EXPECT_EQ(d.motivo(), "Archivo de otro local");
}

} // namespace
