// The client editor driven from the main window as a user would: typing, pressing save, cancel
// and Esc.
#include "ClientesDePrueba.h"
#include "clients/SelectoresFecha.h"
#include "clients/frmEdit.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include <functional>

namespace {

const QColor kResaltado(255, 224, 192);

void escribir(frmEdit* e, int indice, const QString& texto) {
    e->Text1(indice)->selectAll();
    prueba::teclear(e->Text1(indice), texto);
}

void llenarObligatorios(frmEdit* e, const QString& numero = QStringLiteral("0042")) {
    escribir(e, 1, numero);
    escribir(e, 2, QStringLiteral("Carlos O'Neill"));
    escribir(e, 8, QStringLiteral("4253-1000"));
    escribir(e, 13, QStringLiteral("Bar L'Étoile"));
    escribir(e, 14, QStringLiteral("Av. Mitre 100"));
}

bool resaltado(QLineEdit* t) {
    return t->palette().color(QPalette::Base) == kResaltado;
}

class EditorEnVentana : public prueba::VentanaConClientes {
protected:
    // Presses "Nuevo" (0) or "Editar" (1); `usuario` runs while the editor is shown and it is
    // closed if left open, so a failing test cannot hang.
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
    // The stored columns of a client, in the order of the INSERT.
    QStringList fila(const QString& numero) {
        Statement st(BaseDatosCompartida(), QStringLiteral("SELECT * FROM Clientes WHERE NumeroCliente = ?"));
        st.enlazar(1, numero);
        QStringList r;
        if (st.paso())
            for (int i = 1; i <= 23; ++i)
                r << st.texto(i);
        return r;
    }
    qint64 total() { return prueba::contar(QStringLiteral("SELECT count(*) FROM Clientes")); }
};

TEST_F(EditorEnVentana, LayoutLimitsMarksAndTabOrder) {
    frmEdit* e = frmEdit::instancia();
    EXPECT_TRUE(e->windowTitle().isEmpty()); // no caption until it is shown
    EXPECT_EQ(e->Frame2->title(), QStringLiteral("Datos Local Cliente"));
    EXPECT_EQ(e->Label10->palette().color(QPalette::WindowText), QColor(Qt::red));
    const std::map<int, int> largos = {{1, 4},   {2, 50},  {3, 50},  {4, 50},  {5, 10},  {6, 50},
                                       {7, 20},  {8, 20},  {9, 20},  {10, 50}, {13, 50}, {14, 50},
                                       {15, 50}, {16, 50}, {17, 20}, {18, 20}, {19, 50}};
    for (const auto& [i, largo] : largos) {
        ASSERT_NE(e->Text1(i), nullptr) << i;
        EXPECT_EQ(e->Text1(i)->maxLength(), largo) << i;
        EXPECT_EQ(e->Text1(i)->toolTip(),
                  i == 1 ? QString() : QStringLiteral("Escriba Como Máximo %1 Caracteres").arg(largo));
    }
    // A red mark beside each of the five mandatory fields, and no other.
    EXPECT_EQ(e->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^Obligatorio_"))).size(), 5);
    for (int i : {1, 2, 8, 13, 14}) {
        const QLabel* marca = e->findChild<QLabel*>(QStringLiteral("Obligatorio_%1").arg(i));
        EXPECT_TRUE(marca && marca->text() == QStringLiteral("*")) << i;
    }
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
    // Notes: 249 typed characters at most, a longer stored text stays whole.
    QTest::keyClicks(e->Notas, QString(260, QLatin1Char('n')));
    EXPECT_EQ(e->Notas->toPlainText().size(), 249);
    e->PonerTexto(22, QString(300, QLatin1Char('m')));
    EXPECT_EQ(e->Notas->toPlainText().size(), 300);
    delete e;
    EXPECT_FALSE(frmEdit::existe());
}

TEST_F(EditorEnVentana, NuevoValidatesInOrderHighlightsAndStoresTheTypedRow) {
    const qint64 antes = total();
    pulsar(0, [this, antes](frmEdit* e) {
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Agregar nuevo Cliente"));
        EXPECT_EQ(e->cmdGuardar->text(), QStringLiteral("Agregar nuevo Cliente"));
        EXPECT_TRUE(e->isModal());
        EXPECT_TRUE(e->Text1(1)->isEnabled());
        escribir(e, 1, QStringLiteral("0042"));
        escribir(e, 2, QStringLiteral("   ")); // only spaces counts as empty
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        ASSERT_EQ(mensajes.mensajes().size(), 1);
        EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("Ingrese un valor para este campo por favor"));
        EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Datos incompletos"));
        EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
        EXPECT_TRUE(resaltado(e->Text1(2)));
        EXPECT_FALSE(resaltado(e->Text1(13))); // one box per press
        // Typing in any box clears the highlight.
        QTest::keyClicks(e->Text1(5), QStringLiteral("1878"));
        EXPECT_FALSE(resaltado(e->Text1(2)));
        // Then name, phone, premises name and premises address, in that order.
        const std::pair<int, const char*> orden[] = {
            {2, "Carlos O'Neill"}, {8, "4253-1000"}, {13, "Bar L'Étoile"}, {14, "Av. Mitre 100"}};
        for (size_t k = 0; k < std::size(orden); ++k) {
            escribir(e, orden[k].first, QString::fromUtf8(orden[k].second));
            if (k + 1 < std::size(orden)) {
                QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
                EXPECT_TRUE(resaltado(e->Text1(orden[k + 1].first))) << orden[k + 1].first;
            }
        }
        EXPECT_EQ(mensajes.mensajes().size(), 4);
        EXPECT_EQ(total(), antes);
        QTest::keyClicks(e->Notas, QStringLiteral("Llamar 'antes'"));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        EXPECT_FALSE(e->isVisible());
    });
    EXPECT_FALSE(frmEdit::existe()); // the next opening starts afresh
    EXPECT_EQ(total(), antes + 1);
    const QStringList r = fila(QStringLiteral("0042"));
    ASSERT_EQ(r.size(), 23);
    EXPECT_EQ(r[1], QStringLiteral("Carlos O'Neill"));
    EXPECT_EQ(r[4], QStringLiteral("1878"));
    EXPECT_EQ(r[11], QStringLiteral("Bar L'Étoile"));
    EXPECT_EQ(r[22], QStringLiteral("Llamar 'antes'"));
    // Untouched pickers, stored as yyyymmdd and hhmmss: 10/05/2010 00:00:00.
    EXPECT_EQ(r.mid(18, 4), QStringList({"20100510", "000000", "20100510", "000000"}));
    EXPECT_EQ(r[10], QStringLiteral("20100510"));
    // The list shows it, formatted again.
    const int f = filaDe(QStringLiteral("0042"));
    ASSERT_GT(f, 0);
    EXPECT_EQ(ventana->flex->textMatrix(f, 2), QStringLiteral("Carlos O'Neill"));
    EXPECT_EQ(ventana->flex->textMatrix(f, 11), QStringLiteral("10/05/2010"));
    EXPECT_EQ(ventana->flex->textMatrix(0, 1), QStringLiteral(" Num. Cliente "));
    // Duplicates are not prevented.
    pulsar(0, [](frmEdit* e) {
        llenarObligatorios(e);
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    });
    EXPECT_EQ(total(), antes + 2);
}

TEST_F(EditorEnVentana, EditarCopiesTheRowAndSavesTheChanges) {
    ventana->EditarCliente(); // the placeholder row is current after the load
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("¡No hay clientes para editar!"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("No existe Cliente en la Base de Datos"));
    EXPECT_FALSE(frmEdit::existe());
    mensajes.limpiar();

    // Every field is copied into the editor and saved back; only the changes differ.
    const QString larga(60, QLatin1Char('x'));
    QStringList esperada = fila(QStringLiteral("12"));
    esperada[1] = QStringLiteral("Juan D'Arco");
    esperada[2] = larga;
    esperada[18] = QStringLiteral("20120709");
    esperada[19] = QStringLiteral("210507");
    seleccionar(QStringLiteral("12"));
    pulsar(1, [&larga](frmEdit* e) {
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Editar Cliente"));
        EXPECT_EQ(e->cmdGuardar->text(), QStringLiteral("Editar Cliente"));
        EXPECT_EQ(e->Text1(1)->text(), QStringLiteral("12"));
        EXPECT_FALSE(e->Text1(1)->isEnabled());
        EXPECT_EQ(e->DTPicker3->time(), QTime(14, 30, 5));
        escribir(e, 2, QStringLiteral("Juan D'Arco"));
        e->PonerTexto(3, larga); // a text beyond the typing limit stays whole
        e->DTPicker2->setDate(QDate(2012, 7, 9));
        e->DTPicker3->setTime(QTime(21, 5, 7));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    });
    EXPECT_EQ(fila(QStringLiteral("12")), esperada);
    EXPECT_EQ(prueba::cuantos("Clientes", QStringLiteral("12")), 1);
    // Device configuration written by the import is not touched.
    EXPECT_EQ(prueba::contar(QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente = '12' AND "
                                            "fechainicio = 'Lunes' AND horainicio = '8'")),
              1);
    // The edited client stays selected with its view, the list shows the change.
    const int f = filaDe(QStringLiteral("12"));
    EXPECT_EQ(ventana->flex->row(), f);
    EXPECT_EQ(ventana->flex->textMatrix(f, 2), QStringLiteral("Juan D'Arco"));
    EXPECT_EQ(ventana->flex->textMatrix(f, 19), QStringLiteral("09/07/2012"));
    EXPECT_EQ(ventana->InicioBHA->text(), QStringLiteral("Lunes 08:30"));

    // A client without a stored inspection keeps it empty.
    seleccionar(QStringLiteral("7"));
    pulsar(1, [](frmEdit* e) {
        EXPECT_TRUE(PickerVacio(e->DTPicker2));
        EXPECT_TRUE(PickerVacio(e->DTPicker3));
        EXPECT_FALSE(PickerVacio(e->DTPicker4));
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    });
    EXPECT_EQ(fila(QStringLiteral("7")).mid(18, 4), QStringList({"", "", "20110101", "093000"}));
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

TEST_F(EditorEnVentana, EscAndCancelCloseWithoutSavingTheTitleBarOnlyForAnImport) {
    const qint64 antes = total();
    pulsar(0, [](frmEdit* e) {
        llenarObligatorios(e);
        EXPECT_FALSE(e->close()); // the title bar's close is refused
        EXPECT_TRUE(e->isVisible());
        EXPECT_FALSE(e->windowFlags() & Qt::WindowCloseButtonHint);
        QTest::keyClick(e->Text1(2), Qt::Key_Escape);
        EXPECT_FALSE(e->isVisible());
    });
    pulsar(0, [](frmEdit* e) {
        EXPECT_TRUE(e->Text1(1)->text().isEmpty()); // a fresh window
        llenarObligatorios(e);
        QTest::mouseClick(e->cmdCancelar, Qt::LeftButton);
    });
    EXPECT_EQ(total(), antes);
    // With cancelling disabled by the caller, Esc does not close either.
    frmEdit::instancia()->cmdCancelar->setEnabled(false);
    pulsar(0, [](frmEdit* e) {
        QTest::keyClick(e, Qt::Key_Escape);
        EXPECT_TRUE(e->isVisible());
        llenarObligatorios(e);
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    });
    EXPECT_EQ(total(), antes + 1);

    // Opened for an import's unknown client: no cancel button, yet Esc and the close button leave
    // it unsaved, so the user is never held until a client is invented.
    for (bool conEsc : {true, false}) {
        frmEdit* e = frmEdit::instancia();
        e->ModoClienteDeImportacion();
        QTimer::singleShot(0, e, [&] {
            llenarObligatorios(e);
            EXPECT_FALSE(e->cmdCancelar->isEnabled());
            if (conEsc)
                QTest::keyClick(e->Text1(2), Qt::Key_Escape);
            else
                EXPECT_TRUE(e->close());
            if (e->isVisible()) {
                ADD_FAILURE() << "el editor quedó abierto";
                e->Cancelar();
            }
        });
        EXPECT_FALSE(e->MostrarModal()) << conEsc;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(total(), antes + 1);
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

TEST_F(EditorEnVentana, AFailedSaveKeepsTheWindowAndASecondPressSavesOnce) {
    BaseDatosCompartida().ejecutar(QStringLiteral("CREATE TRIGGER lleno BEFORE INSERT ON Clientes "
                                                  "BEGIN SELECT RAISE(ABORT, 'base llena'); END"));
    const qint64 antes = total();
    pulsar(0, [this](frmEdit* e) {
        llenarObligatorios(e);
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        ASSERT_EQ(mensajes.mensajes().size(), 1);
        EXPECT_FALSE(mensajes.ultimo().texto.isEmpty());
        EXPECT_TRUE(mensajes.ultimo().detalles.contains(QStringLiteral("base llena")));
        EXPECT_EQ(mensajes.ultimo().icono, Icono::Ninguno);
        EXPECT_EQ(mensajes.ultimo().titulo, TituloAplicacion());
        EXPECT_TRUE(e->isVisible());
        EXPECT_EQ(e->Text1(2)->text(), QStringLiteral("Carlos O'Neill"));
        BaseDatosCompartida().ejecutar(QStringLiteral("DROP TRIGGER lleno"));
        // The second press arrives while the first save lets the list repaint.
        QMetaObject::invokeMethod(e->cmdGuardar, "click", Qt::QueuedConnection);
        QMetaObject::invokeMethod(e->cmdCancelar, "click", Qt::QueuedConnection);
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
    });
    EXPECT_EQ(total(), antes + 1);
}

} // namespace
