// The client editor on the office model, driven as a user would.
#include "ClientesDePrueba.h"
#include "FilasDePrueba.h"
#include "core/store/Recordset.h"
#include "core/store/Sentencias.h"
#include "windows/editor/EditorCliente.h"
#include "windows/platform/SelectoresFecha.h"
#include <QPlainTextEdit>
#include <QTimer>
#include <functional>

namespace {

using namespace Qt::StringLiterals;
using prueba::hijo;

class Editor : public prueba::VentanaDePrueba {
protected:
    static QLineEdit* texto(const EditorCliente* e, const char* caja) {
        return hijo<QLineEdit>(e, QLatin1String(caja));
    }
    static void clic(const EditorCliente* e, const char* b) {
        hijo<QPushButton>(e, QLatin1String(b))->click();
    }
    static void escribir(const EditorCliente* e, const char* i, const QString& t) {
        texto(e, i)->selectAll();
        QTest::keyClicks(texto(e, i), t);
    }
    static bool resaltado(const EditorCliente* e, const char* i) {
        return texto(e, i)->palette().color(QPalette::Base) == EditorCliente::colorResaltado();
    }
    qint64 total() { return prueba::contar(base.registro(), u"SELECT count(*) FROM Clientes"_s); }
    // The stored columns NumeroCliente .. Notas of a client.
    QStringList fila(const QString& numero) {
        Recordset r;
        r.abrir(base.registro(), {u"SELECT * FROM Clientes WHERE NumeroCliente = ?"_s, {numero}});
        return r.filas().empty() ? QStringList() : r.filas()[0].mid(1, 23);
    }

    // Shows the editor modally with `usuario` run inside, closed if left open; true when it saved.
    bool mostrar(EditorCliente* e, const std::function<void(EditorCliente*)>& usuario) {
        QTimer::singleShot(0, e, [&] {
            EXPECT_TRUE(e->isVisible() && EditorCliente::Abrir(oficina) == e); // the one editor
            usuario(e);
            EXPECT_FALSE(e->isVisible()) << "el editor quedó abierto";
            if (e->isVisible())
                e->done(QDialog::Rejected);
        });
        const bool guardado = e->MostrarModal();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(EditorCliente::instancia(), nullptr); // the next opening starts afresh
        return guardado;
    }
    EditorCliente* nuevo() {
        EditorCliente* e = EditorCliente::Abrir(oficina);
        e->nuevo();
        return e;
    }
};

TEST_F(Editor, NuevoValidatesInOrderKeepsTheWindowOnAFailedSaveAndStoresOnce) {
    const qint64 antes = total();
    EXPECT_TRUE(mostrar(nuevo(), [this](EditorCliente* e) {
        const QString titulo = u"Agregar nuevo Cliente"_s;
        EXPECT_TRUE(e->windowTitle() == titulo && hijo<QPushButton>(e, u"botonGuardar"_s)->text() == titulo);
        escribir(e, "numeroCliente", u"0042"_s);
        escribir(e, "nombreResponsable", u"   "_s); // only spaces counts as empty
        clic(e, "botonGuardar");
        ASSERT_EQ(mensajes.textos(), QStringList{u"Ingrese un valor para este campo por favor"_s});
        EXPECT_TRUE(mensajes.ultimo().titulo == u"Datos incompletos"_s &&
                    mensajes.ultimo().icono == Icono::Informacion);
        EXPECT_TRUE(resaltado(e, "nombreResponsable") && !resaltado(e, "nombreLocal")); // one box per press
        QTest::keyClicks(texto(e, "codigoPostal"), u"1878"_s); // typing clears the highlight
        EXPECT_FALSE(resaltado(e, "nombreResponsable"));
        // Then name, phone, premises name and premises address, in that order.
        for (const auto& [caja, dato] : {std::pair{"nombreResponsable", "Dato '2'"},
                                         {"telefono", "Dato '8'"},
                                         {"nombreLocal", "Dato '13'"},
                                         {"direccionLocal", "Dato '14'"}}) {
            clic(e, "botonGuardar");
            EXPECT_TRUE(resaltado(e, caja)) << caja;
            escribir(e, caja, QString::fromUtf8(dato));
        }
        QTest::keyClicks(hijo(e, u"notas"_s), QString(260, u'n')); // 249 kept

        // The store refuses: its cause is shown and the window keeps what was typed.
        mensajes.limpiar();
        base.registro().ejecutar(u"CREATE TRIGGER lleno BEFORE INSERT ON Clientes "
                                 u"BEGIN SELECT RAISE(ABORT, 'base llena'); END"_s);
        clic(e, "botonGuardar");
        ASSERT_EQ(mensajes.mensajes().size(), 1);
        EXPECT_TRUE(mensajes.ultimo().detalles.contains(u"base llena"_s));
        EXPECT_TRUE(e->isVisible() && texto(e, "nombreResponsable")->text() == u"Dato '2'"_s);
        base.registro().ejecutar(u"DROP TRIGGER lleno"_s);
        // Presses queued behind the one that saves neither save again nor cancel.
        QMetaObject::invokeMethod(hijo(e, u"botonGuardar"_s), "click", Qt::QueuedConnection);
        QMetaObject::invokeMethod(hijo(e, u"botonCancelar"_s), "click", Qt::QueuedConnection);
        clic(e, "botonGuardar");
    }));
    EXPECT_EQ(total(), antes + 1);
    const QStringList r = fila(u"0042"_s);
    EXPECT_EQ((QStringList{r.value(1), r.value(4), r.value(11), r.value(22)}),
              QStringList({"Dato '2'", "1878", "Dato '13'", QString(249, u'n')}));
}

TEST_F(Editor, CargarShowsTheClientsFieldsAndSavesOverTheSameRow) {
    const QStringList valores =
        u"12|Juan Pérez|Calle 1|Quilmes|1878|Quilmes|Buenos Aires|4253-0000|15-0000|c@correo.com.ar|20100101|"
        u"Bar El Ñandú|Av. Mitre 10|Bernal|Quilmes Oeste|Bs. As.|4200-0000|l@correo.com.ar|20110915|143005|||"
        u"Notas de Juan"_s.split(u'|');
    oficina.guardarCliente(Cliente::desdeFila(QStringList{u"0"_s} + valores));
    Cliente cliente = oficina.clienteEnFila(oficina.filasClientes().size() - 1);
    ASSERT_EQ(cliente.numero, u"12"_s);
    cliente.direccion = QString(60, u'x'); // a text beyond the typing limit stays whole

    EditorCliente* editor = EditorCliente::Abrir(oficina);
    editor->cargar(cliente);
    EXPECT_TRUE(mostrar(editor, [&cliente](EditorCliente* e) {
        EXPECT_EQ(e->windowTitle(), u"Editar Cliente"_s);
        EXPECT_TRUE(texto(e, "direccion")->text() == cliente.direccion &&
                    !texto(e, "numeroCliente")->isEnabled());
        // No previous inspection stored: its pickers stay empty.
        EXPECT_TRUE(PickerVacio(hijo<QDateEdit>(e, u"fechaAnteriorInspeccion"_s)));
        escribir(e, "nombreResponsable", u"Juan D'Arco"_s);
        hijo<QDateEdit>(e, u"fechaUltimaInspeccion"_s)->setDate(QDate(2012, 7, 9));
        clic(e, "botonGuardar");
    }));
    // Every field went through the editor unchanged but the edited ones.
    QStringList esperada = valores;
    esperada[1] = u"Juan D'Arco"_s;
    esperada[2] = cliente.direccion;
    esperada[18] = u"20120709"_s;
    EXPECT_EQ(fila(u"12"_s), esperada);
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

// Another desk changed the client while the editor was open (and its notice read the list again):
// the save is refused naming the current data, the window stays open with what was typed, and a
// second save, after the user reviewed it, goes through.
TEST_F(Editor, ClienteCambiadoEnOtroPuestoNoSeSobrescribe) {
    const QStringList valores =
        u"77|Original|Calle 1|Quilmes|1878|Quilmes|Buenos Aires|4253-0000|15-0000|c@correo.com.ar|20100101|"
        u"Bar|Av. Mitre 10|Bernal|Quilmes Oeste|Bs. As.|4200-0000|l@correo.com.ar|20110915|143005|||"
        u"Notas"_s.split(u'|');
    oficina.guardarCliente(Cliente::desdeFila(QStringList{u"0"_s} + valores));
    const Cliente cliente = oficina.clienteEnFila(oficina.filasClientes().size() - 1);
    oficina.seleccionar(cliente.id);
    EditorCliente* editor = EditorCliente::Abrir(oficina);
    editor->cargar(cliente);
    EXPECT_TRUE(mostrar(editor, [&](EditorCliente* e) {
        QStringList otro = valores;
        otro[1] = u"Del otro puesto"_s;
        const Consulta c = Sentencias::actualizarCliente(prueba::clienteDe(otro), cliente.id);
        base.registro().ejecutar(c.sql, c.parametros);
        oficina.recargarClientes();
        escribir(e, "nombreResponsable", u"Mio"_s);
        clic(e, "botonGuardar");
        EXPECT_TRUE(e->isVisible());
        ASSERT_EQ(mensajes.mensajes().size(), 1);
        EXPECT_TRUE(mensajes.mensajes()[0].texto.startsWith(u"Otro puesto modificó este cliente"_s));
        EXPECT_TRUE(mensajes.mensajes()[0].texto.contains(u"«Del otro puesto»"_s));
        EXPECT_EQ(fila(u"77"_s).value(1), u"Del otro puesto"_s);
        clic(e, "botonGuardar");
    }));
    EXPECT_EQ(fila(u"77"_s).value(1), u"Mio"_s);
}

// Opened for an import's unknown client there is no cancel button, yet Esc and the close button
// leave it unsaved, so the user is never held until a client is invented.
TEST_F(Editor, EscAndCancelLeaveUnsavedTheTitleBarOnlyForAnImport) {
    const qint64 antes = total();
    for (int modo : {0, 1, 2, 3}) { // Esc, cancel; for an import: Esc, the title bar
        EditorCliente* editor = nuevo();
        if (modo >= 2)
            editor->clienteDeImportacion(u"0950"_s, QDate(2011, 9, 28), QTime(14, 5, 30));
        EXPECT_FALSE(mostrar(editor, [modo](EditorCliente* e) {
            for (const auto& [caja, dato] : {std::pair{"numeroCliente", "01"},
                                             {"nombreResponsable", "02"},
                                             {"telefono", "08"},
                                             {"nombreLocal", "013"},
                                             {"direccionLocal", "014"}})
                escribir(e, caja, QString::fromUtf8(dato));
            EXPECT_EQ(hijo(e, u"botonCancelar"_s)->isEnabled(), modo < 2);
            EXPECT_EQ(bool(e->windowFlags() & Qt::WindowCloseButtonHint), modo >= 2);
            // The title bar's close is refused unless it cancels an import.
            EXPECT_TRUE(modo == 2 || e->close() == (modo == 3));
            if (modo == 1)
                clic(e, "botonCancelar");
            else if (modo != 3)
                QTest::keyClick(texto(e, "nombreResponsable"), Qt::Key_Escape);
        })) << modo;
    }
    EXPECT_TRUE(total() == antes && mensajes.mensajes().isEmpty());
}

} // namespace
