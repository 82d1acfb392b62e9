// The client editor driven as a user would: typing, pressing save, cancel and Esc.
#include "BaseTemporal.h"
#include "ClientesDePrueba.h"
#include "MessageRecorder.h"
#include "clients/CamposFecha.h"
#include "clients/frmEdit.h"
#include "store/modVarios.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

const QColor kResaltado(255, 224, 192);

class Editor : public ::testing::Test {
public:
    void SetUp() override {
        AbrirConexion1();
        AbrirRegistros(Registros1, Conexion1, Sentencias::listaClientes());
    }

    // Opens the editor modally and runs `usuario` while it is shown; closes it if the user
    // part left it open, so a failing test cannot hang.
    bool abrir(int modo, const std::function<void(frmEdit*)>& preparar,
               const std::function<void(frmEdit*)>& usuario) {
        frmEdit* e = frmEdit::instancia();
        e->ModoEdicion = modo;
        if (preparar)
            preparar(e);
        QTimer::singleShot(0, e, [e, usuario] {
            usuario(e);
            if (e->isVisible()) {
                ADD_FAILURE() << "el editor quedó abierto";
                e->Cancelar();
            }
        });
        return e->MostrarModal();
    }

    static void escribir(frmEdit* e, int indice, const QString& texto) {
        QLineEdit* t = e->Text1(indice);
        t->selectAll();
        // QTest types ASCII only; other letters go in as the keyboard would insert them.
        bool ascii = true;
        for (QChar c : texto)
            ascii = ascii && c.unicode() < 128;
        if (ascii)
            QTest::keyClicks(t, texto);
        else
            t->insert(texto);
    }
    static void llenarObligatorios(frmEdit* e) {
        escribir(e, 1, QStringLiteral("0042"));
        escribir(e, 2, QStringLiteral("Carlos O'Neill"));
        escribir(e, 8, QStringLiteral("4253-1000"));
        escribir(e, 13, QStringLiteral("Bar L'Étoile"));
        escribir(e, 14, QStringLiteral("Av. Mitre 100"));
    }
    static bool resaltado(QLineEdit* t) { return t->palette().color(QPalette::Base) == kResaltado; }

    QStringList fila(const QString& numero) {
        Statement st(
            BaseDatosCompartida(),
            QStringLiteral("SELECT NumeroCliente,Nombre,Direccion,Localidad,CodigoPostal,Partido,Provincia,"
                           "Telefono,TelefonoMovil,Email,FechadeAlta,NombreLocal,Direccionlocal,"
                           "Localidadlocal,partidolocal,provincialocal,telefonolocal,emaillocal,"
                           "ultimainspeccionfecha,ultimainspeccionhora,anteriorinspeccionfecha,"
                           "anteriorinspeccionhora,notas,Id FROM Clientes WHERE NumeroCliente = ?"));
        st.enlazar(1, numero);
        QStringList r;
        if (st.paso())
            for (int i = 0; i < 24; ++i)
                r << st.texto(i);
        return r;
    }
    int cantidadClientes() {
        Statement st(BaseDatosCompartida(), QStringLiteral("SELECT count(*) FROM Clientes"));
        st.paso();
        return static_cast<int>(st.entero(0));
    }

    BaseTemporal base_;
    MessageRecorder mensajes_;
};

TEST_F(Editor, LayoutLabelsLimitsAndInitialValues) {
    frmEdit* e = frmEdit::instancia();
    EXPECT_TRUE(e->windowTitle().isEmpty()); // no caption until it is shown
    EXPECT_EQ(e->Frame1->title(), QStringLiteral("Datos Cliente"));
    EXPECT_EQ(e->Frame2->title(), QStringLiteral("Datos Local Cliente"));
    EXPECT_EQ(e->Label10->text(), QStringLiteral("Los campos marcados con * son obligatorios"));
    EXPECT_EQ(e->Label10->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(e->cmdCancelar->text(), QStringLiteral("Cancelar y Volver"));
    const std::map<int, int> largos = {{1, 4},   {2, 50},  {3, 50},  {4, 50},  {5, 10},  {6, 50},
                                       {7, 20},  {8, 20},  {9, 20},  {10, 50}, {13, 50}, {14, 50},
                                       {15, 50}, {16, 50}, {17, 20}, {18, 20}, {19, 50}};
    for (const auto& [i, largo] : largos) {
        ASSERT_NE(e->Text1(i), nullptr) << i;
        EXPECT_EQ(e->Text1(i)->maxLength(), largo) << i;
        EXPECT_EQ(e->Text1(i)->objectName(), QStringLiteral("Text1_%1").arg(i));
        EXPECT_EQ(e->Text1(i)->toolTip(),
                  i == 1 ? QString() : QStringLiteral("Escriba Como Máximo %1 Caracteres").arg(largo));
        EXPECT_TRUE(e->Text1(i)->text().isEmpty());
    }
    EXPECT_EQ(e->Notas->toolTip(), QStringLiteral("Escriba Como Máximo 250 Caracteres"));
    EXPECT_EQ(e->Text1(11), nullptr);
    // A red mark beside each of the five mandatory fields.
    for (int i : {1, 2, 8, 13, 14}) {
        auto* marca = e->findChild<QLabel*>(QStringLiteral("Obligatorio_%1").arg(i));
        ASSERT_NE(marca, nullptr) << i;
        EXPECT_EQ(marca->text(), QStringLiteral("*"));
    }
    EXPECT_EQ(e->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^Obligatorio_"))).size(), 5);
    for (QDateEdit* d : {e->DTPicker1, e->DTPicker2, e->DTPicker4})
        EXPECT_EQ(d->text(), QStringLiteral("10/05/2010"));
    for (QTimeEdit* t : {e->DTPicker3, e->DTPicker5})
        EXPECT_EQ(t->text(), QStringLiteral("00:00:00"));
    // Tab sequence: client fields, date, notes, premises, last inspection, buttons, then the
    // previous inspection time and date.
    QList<QWidget*> orden;
    for (int i = 1; i <= 10; ++i)
        orden << e->Text1(i);
    orden << e->DTPicker1 << e->Notas;
    for (int i = 13; i <= 19; ++i)
        orden << e->Text1(i);
    orden << e->DTPicker2 << e->DTPicker3 << e->cmdGuardar << e->cmdCancelar << e->DTPicker5 << e->DTPicker4;
    QList<QWidget*> cadena;
    QWidget* w = e->Text1(1);
    for (int paso = 0; paso < 500 && cadena.size() < orden.size(); ++paso, w = w->nextInFocusChain())
        if (orden.contains(w) && !cadena.contains(w))
            cadena << w;
    EXPECT_EQ(cadena, orden);
    delete e;
    EXPECT_FALSE(frmEdit::existe());
}

TEST_F(Editor, AddValidatesInOrderHighlightsAndStoresTheTypedRow) {
    const int antes = cantidadClientes();
    const bool guardado = abrir(0, nullptr, [this, antes](frmEdit* e) {
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Agregar nuevo Cliente"));
        EXPECT_EQ(e->cmdGuardar->text(), QStringLiteral("Agregar nuevo Cliente"));
        EXPECT_TRUE(e->Text1(1)->isEnabled());
        escribir(e, 1, QStringLiteral("0042"));
        escribir(e, 2, QStringLiteral("   ")); // only spaces counts as empty
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        ASSERT_EQ(mensajes_.mensajes().size(), 1);
        EXPECT_EQ(mensajes_.ultimo().texto, QStringLiteral("Ingrese un valor para este campo por favor"));
        EXPECT_EQ(mensajes_.ultimo().titulo, QStringLiteral("Datos incompletos"));
        EXPECT_EQ(mensajes_.ultimo().icono, Icono::Informacion);
        EXPECT_TRUE(resaltado(e->Text1(2)));
        EXPECT_FALSE(resaltado(e->Text1(13))); // one box per press
        // Typing in any box clears the highlight.
        QTest::keyClicks(e->Text1(5), QStringLiteral("1878"));
        EXPECT_FALSE(resaltado(e->Text1(2)));

        escribir(e, 2, QStringLiteral("Carlos O'Neill"));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        EXPECT_TRUE(resaltado(e->Text1(8)));
        escribir(e, 8, QStringLiteral("4253-1000"));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        EXPECT_TRUE(resaltado(e->Text1(13)));
        escribir(e, 13, QStringLiteral("Bar L'Étoile"));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        EXPECT_TRUE(resaltado(e->Text1(14)));
        EXPECT_EQ(mensajes_.mensajes().size(), 4);
        EXPECT_EQ(cantidadClientes(), antes);
        escribir(e, 14, QStringLiteral("Av. Mitre 100"));
        QTest::keyClicks(e->Notas, QStringLiteral("Llamar 'antes'"));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        EXPECT_FALSE(e->isVisible());
    });
    EXPECT_TRUE(guardado);
    EXPECT_FALSE(frmEdit::existe()); // the next opening starts afresh
    EXPECT_EQ(cantidadClientes(), antes + 1);
    const QStringList r = fila(QStringLiteral("0042"));
    ASSERT_EQ(r.size(), 24);
    EXPECT_EQ(r[1], QStringLiteral("Carlos O'Neill"));
    EXPECT_EQ(r[4], QStringLiteral("1878"));
    EXPECT_EQ(r[11], QStringLiteral("Bar L'Étoile"));
    EXPECT_EQ(r[22], QStringLiteral("Llamar 'antes'"));
    // Untouched pickers: 10/05/2010 00:00:00.
    EXPECT_EQ(r[10], QStringLiteral("20100510"));
    EXPECT_EQ(r[18], QStringLiteral("20100510"));
    EXPECT_EQ(r[19], QStringLiteral("000000"));
    EXPECT_EQ(r[20], QStringLiteral("20100510"));
    EXPECT_EQ(r[21], QStringLiteral("000000"));
    // The client list's recordset was re-run.
    bool visto = false;
    for (const QStringList& f : Registros1.filas())
        visto = visto || f.at(1) == QStringLiteral("0042");
    EXPECT_TRUE(visto);
    // Duplicates are not prevented.
    EXPECT_TRUE(abrir(0, nullptr, [](frmEdit* e) {
        llenarObligatorios(e);
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    }));
    EXPECT_EQ(cantidadClientes(), antes + 2);
}

TEST_F(Editor, EditRewritesTheRowWithTheNumberLocked) {
    ASSERT_TRUE(abrir(0, nullptr, [](frmEdit* e) {
        llenarObligatorios(e);
        e->DTPicker2->setDate(QDate(2012, 7, 9));
        e->DTPicker3->setTime(QTime(21, 5, 7));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    }));
    const QStringList antes = fila(QStringLiteral("0042"));
    ASSERT_EQ(antes.size(), 24);
    EXPECT_EQ(antes[18], QStringLiteral("20120709"));
    EXPECT_EQ(antes[19], QStringLiteral("210507"));
    const QString larga(60, QLatin1Char('x'));
    const bool guardado = abrir(
        1,
        [&](frmEdit* e) {
            e->IdCliente = antes[23].toInt();
            e->PonerTexto(1, antes[0]);
            e->PonerTexto(2, antes[1]);
            e->PonerTexto(3, larga); // a caller's text beyond the typing limit stays whole
            e->PonerTexto(8, antes[7]);
            e->PonerTexto(13, antes[11]);
            e->PonerTexto(14, antes[12]);
            PonerFecha(e->DTPicker4, std::nullopt); // stored empty, stays empty
            PonerHora(e->DTPicker5, std::nullopt);
        },
        [](frmEdit* e) {
            EXPECT_EQ(e->windowTitle(), QStringLiteral("Editar Cliente"));
            EXPECT_EQ(e->cmdGuardar->text(), QStringLiteral("Editar Cliente"));
            EXPECT_FALSE(e->Text1(1)->isEnabled());
            escribir(e, 2, QStringLiteral("María D'Angelo"));
            QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        });
    EXPECT_TRUE(guardado);
    const QStringList despues = fila(QStringLiteral("0042"));
    ASSERT_EQ(despues.size(), 24);
    EXPECT_EQ(despues[23], antes[23]);
    EXPECT_EQ(despues[0], QStringLiteral("0042"));
    EXPECT_EQ(despues[1], QStringLiteral("María D'Angelo"));
    EXPECT_EQ(despues[2], larga);
    EXPECT_EQ(despues[18], QStringLiteral("20100510")); // the picker's initial value, rewritten
    EXPECT_EQ(despues[20], QString());
    EXPECT_EQ(despues[21], QString());
}

TEST_F(Editor, EscAndCancelCloseWithoutSavingTheTitleBarDoesNot) {
    const int antes = cantidadClientes();
    EXPECT_FALSE(abrir(0, nullptr, [](frmEdit* e) {
        llenarObligatorios(e);
        EXPECT_FALSE(e->close()); // the title bar's close is refused
        EXPECT_TRUE(e->isVisible());
        EXPECT_FALSE(e->windowFlags() & Qt::WindowCloseButtonHint);
        QTest::keyClick(e->Text1(2), Qt::Key_Escape);
        EXPECT_FALSE(e->isVisible());
    }));
    EXPECT_FALSE(abrir(0, nullptr, [](frmEdit* e) {
        EXPECT_TRUE(e->Text1(1)->text().isEmpty()); // a fresh window
        llenarObligatorios(e);
        QTest::mouseClick(e->cmdCancelar, Qt::LeftButton);
    }));
    // With cancelling disabled by the caller, Esc does not close either.
    EXPECT_TRUE(abrir(
        0, [](frmEdit* e) { e->cmdCancelar->setEnabled(false); },
        [](frmEdit* e) {
            QTest::keyClick(e, Qt::Key_Escape);
            EXPECT_TRUE(e->isVisible());
            llenarObligatorios(e);
            QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        }));
    EXPECT_EQ(cantidadClientes(), antes + 1);
    EXPECT_TRUE(mensajes_.mensajes().isEmpty());
}

TEST_F(Editor, AFailedSaveKeepsTheWindowAndWhatWasTyped) {
    BaseDatosCompartida().ejecutar(QStringLiteral("CREATE TRIGGER lleno BEFORE INSERT ON Clientes "
                                                  "BEGIN SELECT RAISE(ABORT, 'base llena'); END"));
    const int antes = cantidadClientes();
    EXPECT_TRUE(abrir(0, nullptr, [this](frmEdit* e) {
        llenarObligatorios(e);
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        ASSERT_EQ(mensajes_.mensajes().size(), 1);
        EXPECT_TRUE(mensajes_.ultimo().texto.contains(QStringLiteral("base llena")));
        EXPECT_EQ(mensajes_.ultimo().icono, Icono::Ninguno);
        EXPECT_EQ(mensajes_.ultimo().titulo, TituloAplicacion());
        EXPECT_TRUE(e->isVisible());
        EXPECT_EQ(e->Text1(2)->text(), QStringLiteral("Carlos O'Neill"));
        BaseDatosCompartida().ejecutar(QStringLiteral("DROP TRIGGER lleno"));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    }));
    EXPECT_EQ(cantidadClientes(), antes + 1);
}

TEST_F(Editor, ASecondPressWhileSavingSavesOnce) {
    const int antes = cantidadClientes();
    EXPECT_TRUE(abrir(0, nullptr, [](frmEdit* e) {
        llenarObligatorios(e);
        // The second press arrives while the first save lets the list repaint.
        QMetaObject::invokeMethod(e->cmdGuardar, "click", Qt::QueuedConnection);
        QMetaObject::invokeMethod(e->cmdCancelar, "click", Qt::QueuedConnection);
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    }));
    EXPECT_EQ(cantidadClientes(), antes + 1);
}

TEST_F(Editor, NotesTakeAtMost249TypedCharacters) {
    frmEdit* e = frmEdit::instancia();
    QTest::keyClicks(e->Notas, QString(260, QLatin1Char('n')));
    EXPECT_EQ(e->Notas->toPlainText().size(), 249);
    e->PonerTexto(22, QString(300, QLatin1Char('m')));
    EXPECT_EQ(e->Notas->toPlainText().size(), 300);
    delete e;
}

// "Nuevo" and "Editar" in the main window.
class EditorEnVentana : public prueba::VentanaConClientes {
protected:
    // Presses the button; `usuario` runs while the editor is shown.
    void pulsar(int boton, const std::function<void(frmEdit*)>& usuario) {
        bool abierto = false;
        QTimer::singleShot(0, ventana, [&] {
            if (!frmEdit::existe() || !frmEdit::instancia()->isVisible())
                return;
            abierto = true;
            frmEdit* e = frmEdit::instancia();
            usuario(e);
            if (e->isVisible()) {
                ADD_FAILURE() << "el editor quedó abierto";
                e->Cancelar();
            }
        });
        QTest::mouseClick(ventana->cmdOpciones[static_cast<size_t>(boton)], Qt::LeftButton);
        EXPECT_TRUE(abierto);
    }
};

TEST_F(EditorEnVentana, NuevoAddsAClientThatTheListShows) {
    pulsar(0, [](frmEdit* e) {
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Agregar nuevo Cliente"));
        EXPECT_TRUE(e->isModal());
        Editor::escribir(e, 1, QStringLiteral("0099"));
        Editor::escribir(e, 2, QStringLiteral("Juana D'Alessandro"));
        Editor::escribir(e, 8, QStringLiteral("4253"));
        Editor::escribir(e, 13, QStringLiteral("Resto L'Ami"));
        Editor::escribir(e, 14, QStringLiteral("Calle 2"));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    });
    const int f = filaDe(QStringLiteral("0099"));
    ASSERT_GT(f, 0);
    EXPECT_EQ(ventana->flex->textMatrix(f, 2), QStringLiteral("Juana D'Alessandro"));
    EXPECT_EQ(ventana->flex->textMatrix(f, 11), QStringLiteral("10/05/2010"));
    EXPECT_EQ(ventana->flex->textMatrix(0, 1), QStringLiteral(" Num. Cliente ")); // formatted again
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

TEST_F(EditorEnVentana, EditarCopiesTheRowAndSavesTheChanges) {
    seleccionar(QStringLiteral("12"));
    pulsar(1, [](frmEdit* e) {
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Editar Cliente"));
        EXPECT_EQ(e->Text1(1)->text(), QStringLiteral("12"));
        EXPECT_FALSE(e->Text1(1)->isEnabled());
        EXPECT_EQ(e->Text1(2)->text(), QStringLiteral("Juan Pérez"));
        EXPECT_EQ(e->Text1(13)->text(), QStringLiteral("Bar El Ñandú"));
        EXPECT_EQ(e->Text1(19)->text(), QStringLiteral("local@correo.com.ar"));
        EXPECT_EQ(e->Notas->toPlainText(), QStringLiteral("Notas de Juan Pérez"));
        EXPECT_EQ(e->DTPicker1->date(), QDate(2010, 1, 1));
        EXPECT_EQ(e->DTPicker2->date(), QDate(2011, 9, 15));
        EXPECT_EQ(e->DTPicker3->time(), QTime(14, 30, 5));
        EXPECT_EQ(e->DTPicker4->date(), QDate(2011, 1, 1));
        EXPECT_EQ(e->DTPicker5->time(), QTime(9, 30));
        Editor::escribir(e, 2, QStringLiteral("Juan D'Arco"));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    });
    const int f = filaDe(QStringLiteral("12"));
    ASSERT_GT(f, 0);
    EXPECT_EQ(ventana->flex->textMatrix(f, 2), QStringLiteral("Juan D'Arco"));
    EXPECT_EQ(ventana->flex->textMatrix(f, 19), QStringLiteral("15/09/2011"));
    EXPECT_EQ(ventana->flex->textMatrix(f, 20), QStringLiteral("14:30:05"));
    EXPECT_EQ(ventana->flex->textMatrix(f, 23), QStringLiteral("Notas de Juan Pérez"));
    // The edited client stays selected with its view.
    EXPECT_EQ(ventana->flex->row(), f);
    EXPECT_EQ(ventana->InicioBHA->text(), QStringLiteral("Lunes 08:30"));
    // Device configuration written by the import is not touched.
    EXPECT_EQ(prueba::contar(QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente = '12' AND "
                                            "fechainicio = 'Lunes' AND horainicio = '8'")),
              1);
}

TEST_F(EditorEnVentana, EditingAClientWithoutInspectionKeepsItEmpty) {
    seleccionar(QStringLiteral("7"));
    pulsar(1, [](frmEdit* e) {
        EXPECT_TRUE(PickerVacio(e->DTPicker2));
        EXPECT_TRUE(PickerVacio(e->DTPicker3));
        EXPECT_FALSE(PickerVacio(e->DTPicker4));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    });
    EXPECT_EQ(prueba::contar(QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente = '7' AND "
                                            "UltimaInspeccionFecha = '' AND UltimaInspeccionHora = '' AND "
                                            "AnteriorInspeccionFecha = '20110101'")),
              1);
}

TEST_F(EditorEnVentana, EditarWithoutAClientSaysSo) {
    ventana->EditarCliente(); // the placeholder row is current after the load
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("¡No hay clientes para editar!"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("No existe Cliente en la Base de Datos"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_FALSE(frmEdit::existe());
}

} // namespace
