// Text written through the accessibility interface (as dictation, on-screen keyboards and
// automation tools write it) is what the program uses, or is put back and the user is told.
#include "ClientesDePrueba.h"
#include "windows/editor/EditorCliente.h"
#include "windows/import/VentanaImportacion.h"
#include "windows/platform/SelectoresFecha.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTimeEdit>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;
using prueba::hijo;

// The whole text replaced through the widget's accessible editable-text interface.
void escribirAccesible(QWidget* w, const QString& texto) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(i, nullptr);
    if (!i->editableTextInterface()) {
        // Pickers and editable lists are written through their own line edit.
        auto* linea = w->findChild<QLineEdit*>();
        ASSERT_NE(linea, nullptr) << w->objectName().toStdString();
        i = QAccessible::queryAccessibleInterface(linea);
    }
    ASSERT_TRUE(i->editableTextInterface() && i->textInterface());
    i->editableTextInterface()->replaceText(0, i->textInterface()->characterCount(), texto);
}

class TextoAccesible : public prueba::VentanaConClientes {
protected:
    QByteArray archivoMunicipio() const {
        QFile f(QDir(base.directorio()).filePath(u"data.dat"_s));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(TextoAccesible, ElEncabezadoEscritoSeGuardaYLlegaAlLibroYAlInforme) {
    escribirAccesible(linea("municipio"), u"Quilmes, Bs. As."_s);
    EXPECT_EQ(oficina.municipio(), u"Quilmes, Bs. As."_s);
    EXPECT_EQ(archivoMunicipio(), QByteArray("\"Quilmes, Bs. As.\"\r\n"));
    EXPECT_EQ(oficina.entradaLibro(OpcionesLibro{}).titulo, u"Quilmes, Bs. As."_s);
    EXPECT_TRUE(oficina.datosInforme().titulo.contains(u"Quilmes, Bs. As."_s));
    EXPECT_TRUE(mensajes.textos().isEmpty());
    // The model's own update does not come back as a change (no second write, no message).
    oficina.cargarMunicipio(QDir(base.directorio()).filePath(u"data.dat"_s));
    EXPECT_EQ(linea("municipio")->text(), u"Quilmes, Bs. As."_s);
    EXPECT_TRUE(mensajes.textos().isEmpty());

    // Another user: the box is disabled, but a tool can still write into it. Refused, put back, told.
    Oficina otra{base.registro()};
    otra.establecerUsuario(u"Invitado"_s);
    otra.cargarMunicipio(QDir(base.directorio()).filePath(u"data.dat"_s));
    VentanaPrincipal invitado(otra);
    mensajes.limpiar();
    auto* caja = hijo<QLineEdit>(&invitado, u"municipio"_s);
    escribirAccesible(caja, u"Otro Municipio"_s);
    EXPECT_EQ(caja->text(), u"Quilmes, Bs. As."_s);
    EXPECT_EQ(otra.municipio(), u"Quilmes, Bs. As."_s);
    EXPECT_EQ(archivoMunicipio(), QByteArray("\"Quilmes, Bs. As.\"\r\n"));
    ASSERT_EQ(mensajes.textos().size(), 1);
    EXPECT_TRUE(mensajes.ultimo().texto.contains(u"Solo el usuario Administrador"_s));
}

TEST_F(TextoAccesible, BusquedaColumnaYFechasSiguenAlTextoEscrito) {
    escribirAccesible(linea("textoBusqueda"), u"peña"_s);
    EXPECT_EQ(visibles(listaClientes(), 1), QStringList{u"312"_s});
    // The column chosen is the one the search uses, however it was chosen.
    auto* columna = hijo<QComboBox>(ventana, u"columnaBusqueda"_s);
    escribirAccesible(columna, u"Numero de Cliente"_s);
    ASSERT_EQ(columna->currentText(), u"Numero de Cliente"_s);
    escribirAccesible(linea("textoBusqueda"), u"12"_s);
    EXPECT_EQ(visibles(listaClientes(), 1), QStringList({u"12"_s, u"123"_s, u"312"_s}));

    escribirAccesible(fecha("fechaInicioInfracciones"), u"01/03/2011"_s);
    EXPECT_EQ(oficina.fechaInicio(), QDate(2011, 3, 1));
    EXPECT_EQ(fecha("fechaInicioInfracciones")->date(), QDate(2011, 3, 1));
}

TEST_F(TextoAccesible, LasCajasDeSoloLecturaVuelvenALoQueMuestraElModelo) {
    linea("textoBusqueda")->setText(u"Juan"_s);
    seleccionar(u"12"_s);
    const QString local = linea("nombreLocal")->text();
    ASSERT_FALSE(local.isEmpty());
    const QDate ultima = fecha("fechaUltimaInspeccion")->date();
    escribirAccesible(linea("nombreLocal"), u"Otro local"_s);
    escribirAccesible(linea("usuarioActual"), u"Administrador2"_s);
    escribirAccesible(fecha("fechaUltimaInspeccion"), u"01/01/2020"_s);
    EXPECT_EQ(linea("nombreLocal")->text(), local);
    EXPECT_EQ(linea("usuarioActual")->text(), u"Administrador"_s);
    EXPECT_EQ(fecha("fechaUltimaInspeccion")->date(), ultima);
    // The model still updates them.
    linea("textoBusqueda")->setText(u"Ana"_s);
    seleccionar(u"123"_s);
    EXPECT_EQ(linea("nombreLocal")->text(), u"Pub Norte"_s);
}

TEST_F(TextoAccesible, ElEditorGuardaLoQueMuestranSusCajasYSelectores) {
    seleccionar(u"7"_s);
    EditorCliente* e = EditorCliente::Abrir(oficina);
    e->cargar(*oficina.clienteSeleccionado());
    QTimer::singleShot(0, e, [e] {
        escribirAccesible(hijo<QLineEdit>(e, u"nombreResponsable"_s), u"Sofía N. Núñez"_s);
        escribirAccesible(hijo<QDateEdit>(e, u"fechaUltimaInspeccion"_s), u"03/04/2012"_s);
        hijo<QPushButton>(e, u"botonGuardar"_s)->click();
        if (e->isVisible())
            e->done(QDialog::Rejected);
    });
    EXPECT_TRUE(e->MostrarModal());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(oficina.clienteSeleccionado());
    EXPECT_EQ(oficina.clienteSeleccionado()->nombre, u"Sofía N. Núñez"_s);
    EXPECT_EQ(oficina.clienteSeleccionado()->ultimaInspeccionFecha, u"03/04/2012"_s);
}

TEST_F(TextoAccesible, LaVistaPreviaDeLaImportacionNoSeReescribe) {
    VentanaImportacion* v = new VentanaImportacion(oficina);
    auto* numero = hijo<QLineEdit>(v, u"numeroCliente"_s);
    auto* dia = hijo<QDateEdit>(v, u"fechaInspeccion"_s);
    const QString antes = numero->text();
    const QDate diaAntes = dia->date();
    escribirAccesible(numero, u"9999"_s);
    escribirAccesible(dia, u"01/01/2020"_s);
    EXPECT_EQ(numero->text(), antes);
    EXPECT_EQ(dia->date(), diaAntes);
    delete v;
}

} // namespace
