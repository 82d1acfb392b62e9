// The client editor on the office model, driven as a user would: typing, pressing save, cancel
// and Esc.
#include "ClientesDePrueba.h"
#include "clients/SelectoresFecha.h"
#include "clients/frmEdit.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTimeEdit>
#include <QTimer>

#include <functional>

namespace {

using prueba::hijo;

QLineEdit* texto(const frmEdit* e, int indice) {
    return hijo<QLineEdit>(e, QStringLiteral("Text1_%1").arg(indice));
}
QPushButton* boton(const frmEdit* e, const char* nombre) {
    return hijo<QPushButton>(e, QLatin1String(nombre));
}
void escribir(const frmEdit* e, int indice, const QString& t) {
    texto(e, indice)->selectAll();
    QTest::keyClicks(texto(e, indice), t);
}
void llenarObligatorios(const frmEdit* e) {
    const std::pair<int, const char*> campos[] = {
        {1, "0042"}, {2, "Carlos O'Neill"}, {8, "4253-1000"}, {13, "Bar L'Etoile"}, {14, "Av. Mitre 100"}};
    for (const auto& [i, t] : campos)
        escribir(e, i, QString::fromLatin1(t));
}
bool resaltado(const frmEdit* e, int indice) {
    return texto(e, indice)->palette().color(QPalette::Base) == frmEdit::colorResaltado();
}
qint64 total() {
    return prueba::contar(QStringLiteral("SELECT count(*) FROM Clientes"));
}
// The stored columns NumeroCliente .. Notas of a client.
QStringList fila(const QString& numero) {
    Statement st(BaseDatosCompartida(), QStringLiteral("SELECT * FROM Clientes WHERE NumeroCliente = ?"));
    st.enlazar(1, numero);
    QStringList r;
    if (st.paso())
        for (int i = 1; i <= 23; ++i)
            r << st.texto(i);
    return r;
}

class Editor : public prueba::VentanaDePrueba {
protected:
    // Shows the editor modally; `usuario` runs while it is shown, and it is closed if left open,
    // so a failing test cannot hang. True when it saved.
    bool mostrar(frmEdit* e, const std::function<void(frmEdit*)>& usuario) {
        bool visto = false;
        QTimer::singleShot(0, e, [&] {
            visto = e->isVisible() && frmEdit::Abrir(oficina) == e; // the one editor
            usuario(e);
            if (e->isVisible()) {
                ADD_FAILURE() << "el editor quedó abierto";
                e->done(QDialog::Rejected);
            }
        });
        const bool guardado = e->MostrarModal();
        EXPECT_TRUE(visto);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(frmEdit::instancia(), nullptr); // the next opening starts afresh
        return guardado;
    }
    frmEdit* nuevo() {
        frmEdit* e = frmEdit::Abrir(oficina);
        e->nuevo();
        return e;
    }
};

TEST_F(Editor, LayoutLimitsMarksAndTabOrder) {
    frmEdit* e = frmEdit::Abrir(oficina);
    EXPECT_TRUE(e->windowTitle().isEmpty()); // no caption until it is shown
    EXPECT_EQ(hijo<QGroupBox>(e, QStringLiteral("Frame2"))->title(), QStringLiteral("Datos Local Cliente"));
    EXPECT_EQ(hijo<QLabel>(e, QStringLiteral("Label10"))->palette().color(QPalette::WindowText),
              QColor(Qt::red));
    const int largos[] = {4, 50, 50, 50, 10, 50, 20, 20, 20, 50, 0, 0, 50, 50, 50, 50, 20, 20, 50};
    for (int i = 1; i <= 19; ++i) {
        const int largo = largos[i - 1];
        if (largo == 0)
            continue;
        EXPECT_EQ(texto(e, i)->maxLength(), largo) << i;
        EXPECT_EQ(texto(e, i)->toolTip(),
                  i == 1 ? QString() : QStringLiteral("Escriba Como Máximo %1 Caracteres").arg(largo));
    }
    // A red mark beside each of the five mandatory fields, and no other.
    EXPECT_EQ(e->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^Obligatorio_"))).size(), 5);
    for (int i : {1, 2, 8, 13, 14})
        EXPECT_EQ(hijo<QLabel>(e, QStringLiteral("Obligatorio_%1").arg(i))->text(), QStringLiteral("*"));
    // Tab sequence: client fields, date, notes, premises, last inspection, buttons, then the
    // previous inspection time and date.
    QList<QWidget*> orden;
    for (const QString& n :
         QStringLiteral("1|2|3|4|5|6|7|8|9|10|DTPicker1|22|13|14|15|16|17|18|19|DTPicker2|DTPicker3|"
                        "cmdGuardar|cmdCancelar|DTPicker5|DTPicker4")
             .split(QLatin1Char('|')))
        orden << hijo(e, n.at(0).isDigit() ? QStringLiteral("Text1_") + n : n);
    QList<QWidget*> cadena;
    QWidget* w = orden.first();
    for (int paso = 0; paso < 500 && cadena.size() < orden.size(); ++paso, w = w->nextInFocusChain())
        if (orden.contains(w) && !cadena.contains(w))
            cadena << w;
    EXPECT_EQ(cadena, orden);
    // Notes: 249 typed characters at most.
    auto* notas = hijo<QPlainTextEdit>(e, QStringLiteral("Text1_22"));
    QTest::keyClicks(notas, QString(260, QLatin1Char('n')));
    EXPECT_EQ(notas->toPlainText().size(), 249);
    delete e;
    EXPECT_EQ(frmEdit::instancia(), nullptr);
}

TEST_F(Editor, NuevoValidatesInOrderKeepsTheWindowOnAFailedSaveAndStoresOnce) {
    const qint64 antes = total();
    EXPECT_TRUE(mostrar(nuevo(), [this](frmEdit* e) {
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Agregar nuevo Cliente"));
        EXPECT_EQ(boton(e, "cmdGuardar")->text(), QStringLiteral("Agregar nuevo Cliente"));
        EXPECT_TRUE(e->isModal() && texto(e, 1)->isEnabled());
        escribir(e, 1, QStringLiteral("0042"));
        escribir(e, 2, QStringLiteral("   ")); // only spaces counts as empty
        QTest::mouseClick(boton(e, "cmdGuardar"), Qt::LeftButton);
        ASSERT_EQ(mensajes.mensajes().size(), 1);
        EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("Ingrese un valor para este campo por favor"));
        EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Datos incompletos"));
        EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
        EXPECT_TRUE(resaltado(e, 2));
        EXPECT_FALSE(resaltado(e, 13));                        // one box per press
        QTest::keyClicks(texto(e, 5), QStringLiteral("1878")); // typing clears the highlight
        EXPECT_FALSE(resaltado(e, 2));
        // Then name, phone, premises name and premises address, in that order.
        for (int i : {2, 8, 13, 14}) {
            QTest::mouseClick(boton(e, "cmdGuardar"), Qt::LeftButton);
            EXPECT_TRUE(resaltado(e, i)) << i;
            escribir(e, i, QStringLiteral("Dato '%1'").arg(i));
        }
        EXPECT_EQ(mensajes.mensajes().size(), 5);
        QTest::keyClicks(hijo(e, QStringLiteral("Text1_22")), QStringLiteral("Llamar 'antes'"));

        // The store refuses: its cause is shown and the window keeps what was typed.
        mensajes.limpiar();
        BaseDatosCompartida().ejecutar(QStringLiteral("CREATE TRIGGER lleno BEFORE INSERT ON Clientes "
                                                      "BEGIN SELECT RAISE(ABORT, 'base llena'); END"));
        QTest::mouseClick(boton(e, "cmdGuardar"), Qt::LeftButton);
        ASSERT_EQ(mensajes.mensajes().size(), 1);
        EXPECT_TRUE(mensajes.ultimo().detalles.contains(QStringLiteral("base llena")));
        EXPECT_EQ(mensajes.ultimo().icono, Icono::Ninguno);
        EXPECT_EQ(mensajes.ultimo().titulo, TituloAplicacion());
        EXPECT_TRUE(e->isVisible());
        EXPECT_EQ(texto(e, 2)->text(), QStringLiteral("Dato '2'"));
        BaseDatosCompartida().ejecutar(QStringLiteral("DROP TRIGGER lleno"));
        // Presses queued behind the one that saves neither save again nor cancel.
        QMetaObject::invokeMethod(boton(e, "cmdGuardar"), "click", Qt::QueuedConnection);
        QMetaObject::invokeMethod(boton(e, "cmdCancelar"), "click", Qt::QueuedConnection);
        QTest::mouseClick(boton(e, "cmdGuardar"), Qt::LeftButton);
        EXPECT_FALSE(e->isVisible());
    }));
    EXPECT_EQ(total(), antes + 1);
    const QStringList r = fila(QStringLiteral("0042"));
    ASSERT_EQ(r.size(), 23);
    EXPECT_EQ((QStringList{r[1], r[4], r[11], r[22]}),
              QStringList({"Dato '2'", "1878", "Dato '13'", "Llamar 'antes'"}));
    // Untouched pickers, stored as yyyymmdd and hhmmss: 10/05/2010 00:00:00.
    EXPECT_EQ(r.mid(18, 4) << r[10], QStringList({"20100510", "000000", "20100510", "000000", "20100510"}));
}

TEST_F(Editor, CargarShowsTheClientsFieldsAndSavesOverTheSameRow) {
    const QStringList valores =
        QStringLiteral("12|Juan Pérez|Calle 1|Quilmes|1878|Quilmes|Buenos Aires|4253-0000|15-0000|"
                       "c@correo.com.ar|20100101|Bar El Ñandú|Av. Mitre 10|Bernal|Quilmes Oeste|Bs. As.|"
                       "4200-0000|l@correo.com.ar|20110915|143005|||Notas de Juan")
            .split(QLatin1Char('|'));
    oficina.guardarCliente(valores, 0);
    Cliente cliente;
    for (std::size_t i = 0; i < oficina.filasClientes().size(); ++i)
        if (oficina.clienteEnFila(i).numero == valores[0])
            cliente = oficina.clienteEnFila(i);
    ASSERT_EQ(cliente.numero, QStringLiteral("12"));
    const QString larga(60, QLatin1Char('x'));
    cliente.direccion = larga; // a text beyond the typing limit stays whole
    const qint64 antes = total();

    frmEdit* editor = frmEdit::Abrir(oficina);
    editor->cargar(cliente);
    EXPECT_TRUE(mostrar(editor, [&larga](frmEdit* e) {
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Editar Cliente"));
        EXPECT_EQ(boton(e, "cmdGuardar")->text(), QStringLiteral("Editar Cliente"));
        EXPECT_FALSE(texto(e, 1)->isEnabled());
        EXPECT_EQ(texto(e, 3)->text(), larga);
        EXPECT_EQ(hijo<QTimeEdit>(e, QStringLiteral("DTPicker3"))->time(), QTime(14, 30, 5));
        // No previous inspection stored: its pickers stay empty.
        EXPECT_TRUE(PickerVacio(hijo<QDateEdit>(e, QStringLiteral("DTPicker4"))));
        EXPECT_TRUE(PickerVacio(hijo<QTimeEdit>(e, QStringLiteral("DTPicker5"))));
        escribir(e, 2, QStringLiteral("Juan D'Arco"));
        hijo<QDateEdit>(e, QStringLiteral("DTPicker2"))->setDate(QDate(2012, 7, 9));
        QTest::mouseClick(boton(e, "cmdGuardar"), Qt::LeftButton);
    }));
    // Every field went through the editor unchanged but the edited ones.
    QStringList esperada = valores;
    esperada[1] = QStringLiteral("Juan D'Arco");
    esperada[2] = larga;
    esperada[18] = QStringLiteral("20120709");
    EXPECT_EQ(fila(QStringLiteral("12")), esperada);
    EXPECT_EQ(total(), antes);
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

TEST_F(Editor, EscAndCancelLeaveUnsavedTheTitleBarOnlyForAnImport) {
    const qint64 antes = total();
    // Opened for an import's unknown client there is no cancel button, yet Esc and the close
    // button leave it unsaved, so the user is never held until a client is invented.
    for (int modo : {0, 1, 2, 3}) { // Esc, cancel; for an import: Esc, the title bar
        frmEdit* editor = nuevo();
        if (modo >= 2)
            editor->clienteDeImportacion(QStringLiteral("0950"), QDate(2011, 9, 28), QTime(14, 5, 30));
        EXPECT_FALSE(mostrar(editor, [modo](frmEdit* e) {
            EXPECT_TRUE(texto(e, 2)->text().isEmpty()); // a fresh window
            llenarObligatorios(e);
            EXPECT_EQ(boton(e, "cmdCancelar")->isEnabled(), modo < 2);
            // The title bar's close is refused unless it cancels an import.
            if (modo != 2) {
                EXPECT_EQ(e->close(), modo == 3);
            }
            EXPECT_EQ(bool(e->windowFlags() & Qt::WindowCloseButtonHint), modo >= 2);
            if (modo == 1)
                QTest::mouseClick(boton(e, "cmdCancelar"), Qt::LeftButton);
            else if (modo != 3)
                QTest::keyClick(texto(e, 2), Qt::Key_Escape);
        })) << modo;
    }
    EXPECT_EQ(total(), antes);
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

} // namespace
