// The main window and its client list, driven as a user would.
#include "ClientesDePrueba.h"
#include "clients/frmEdit.h"
#include "grid/AnchoColumnas.h"
#include "platform/Traducciones.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QTranslator>

namespace {

using prueba::hijo;

// Number, name, locality, premises name; the other columns get fixed texts.
void agregar(const char* numero, const char* nombre, const char* localidad, const char* local,
             const QString& notas = QStringLiteral("nota")) {
    QStringList v(23, QStringLiteral("x"));
    v[0] = QString::fromUtf8(numero);
    v[1] = QString::fromUtf8(nombre);
    v[3] = QString::fromUtf8(localidad);
    v[10] = QStringLiteral("20240115");
    v[11] = QString::fromUtf8(local);
    v[18] = QStringLiteral("20240301");
    v[19] = QStringLiteral("101500");
    v[22] = notas;
    prueba::ejecutar(Sentencias::insertarCliente(v));
}

class VentanaPrincipal : public prueba::VentanaDePrueba {
protected:
    void SetUp() override {
        VentanaDePrueba::SetUp();
        agregar("120", "Juan Pérez", "Quilmes", "Bar El Ñandú");
        agregar("7", "Ana Ruiz", "Bernal", "Pub BARRIO Norte");
        agregar("45", "Peña Hnos.", "Wilde", "Club 100% Social");
        agregar("9", "Oculto", "-", "Barra Oculta");
        agregar("300", "Carlos O'Neill", "Ezpeleta", "Salón_Álamos", QString(500, QLatin1Char('W')));
    }
    QStringList lista(int col = 1) const { return prueba::visibles(flex(), col); }
    QLabel* panel(int i) const { return hijo<QLabel>(ventana, QStringLiteral("Panel%1").arg(i)); }
    void buscar(const QString& texto) {
        linea("Text1")->clear();
        prueba::teclear(linea("Text1"), texto);
    }
};

TEST_F(VentanaPrincipal, CargaDaLaBienvenidaYMuestraLaListaFormateada) {
    FrmDatos* f = abrir();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("Bienvenido Usuario Administrador"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Bienvenido!"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Sistema de Adquisición de Datos - Velmora KV-270"));
    EXPECT_EQ(linea("Usuario")->text(), QStringLiteral("Administrador"));
    // No client selected yet: the inspection pickers show nothing.
    EXPECT_TRUE(fecha("UltimaFechaInsp")->text().trimmed().isEmpty());

    GridModel& g = flex();
    ASSERT_EQ(g.cols(), 24);
    EXPECT_EQ(g.textMatrix(0, 1), QStringLiteral(" Num. Cliente "));
    EXPECT_EQ(g.textMatrix(0, 12), QStringLiteral(" Nombre Local"));
    // Id and the columns behind the premises fields are hidden, however wide their texts (the notes).
    for (int c = 0; c < 24; ++c) {
        EXPECT_EQ(g.colWidth(c) > 350, c >= 1 && c <= 12) << c;
        EXPECT_EQ(vista("flexVista")->isColumnHidden(c), c == 0 || c >= 13) << c;
    }
    EXPECT_EQ(g.colAlignment(5), Qt::AlignCenter);
    // Only the placeholder record is hidden; a client saved with locality "-" stays listed.
    EXPECT_EQ(lista(), QStringList({"120", "7", "45", "9", "300"}));
    EXPECT_EQ(g.textMatrix(1, 1), QStringLiteral("----"));
    EXPECT_TRUE(g.rowHidden(1));
    EXPECT_EQ(vista("flexVista")->model()->rowCount(), 5);

    EXPECT_EQ(panel(2)->text(),
              QStringLiteral("Velmora KV-270 - Sistema de Adquisicion de Datos Version: 1.0.18"));
    EXPECT_EQ(panel(7)->text(), QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(fecha("FechaInfInicio")->date(), QDate(2011, 1, 1));
    EXPECT_EQ(fecha("FechaInfFin")->date(), QDate::currentDate());
    EXPECT_TRUE(linea("Municipio")->isEnabled());
    EXPECT_TRUE(opcion(2)->isEnabled());

    // Another user gets the window without the header box and the delete button.
    Oficina otra;
    otra.establecerUsuario(QStringLiteral("Invitado"));
    FrmDatos invitado(otra);
    EXPECT_EQ(hijo<QLineEdit>(&invitado, QStringLiteral("Usuario"))->text(), QStringLiteral("Invitado"));
    EXPECT_FALSE(hijo<QLineEdit>(&invitado, QStringLiteral("Municipio"))->isEnabled());
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(hijo<QPushButton>(&invitado, QStringLiteral("cmdOpciones_%1").arg(i))->isEnabled(), i != 2)
            << i;
}

TEST_F(VentanaPrincipal, ControlesConNombresAccesiblesYOrdenDeTeclado) {
    FrmDatos* f = abrir();
    // Labelled boxes carry their label's text, through the label's buddy (pickers add their part).
    int etiquetados = 0;
    for (QLabel* l : f->findChildren<QLabel*>()) {
        if (l->buddy() && l->isVisibleTo(f)) {
            ++etiquetados;
            EXPECT_TRUE(l->buddy()->accessibleName().startsWith(l->text()))
                << l->buddy()->objectName().toStdString();
        }
    }
    EXPECT_GE(etiquetados, 18);
    // Every control the user can reach has a name a screen reader can read out.
    for (QWidget* w : f->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(f) || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        const auto* b = qobject_cast<QPushButton*>(w);
        EXPECT_FALSE((b ? b->text() : w->accessibleName()).isEmpty())
            << w->metaObject()->className() << " " << w->objectName().toStdString();
    }
    // Keyboard order: header, search, the option buttons, the list, then the client's view.
    QWidget* siguiente = linea("Municipio")->nextInFocusChain();
    while (!(siguiente->focusPolicy() & Qt::TabFocus))
        siguiente = siguiente->nextInFocusChain();
    EXPECT_EQ(siguiente, linea("Text1"));
    QWidget* w = linea("Text1");
    while (w && w != vista("flexVista"))
        w = w->nextInFocusChain();
    EXPECT_EQ(w, vista("flexVista"));
}

// After every change to the list the highlighted row, the client shown below and the client
// the buttons act on are one and the same, or none is selected and the buttons say so.
TEST_F(VentanaPrincipal, LaFilaResaltadaElClienteMostradoYLosBotonesCoinciden) {
    abrir();
    GridModel& g = flex();
    GridView* v = vista("flexVista");
    auto resaltado = [&] {
        const QModelIndex i = v->currentIndex();
        return i.isValid() && v->selectionModel()->isRowSelected(i.row(), QModelIndex())
                   ? g.textMatrix(g.gridRowForViewRow(i.row()), 1)
                   : QString();
    };
    auto editado = [&] {
        QString numero = QStringLiteral("(sin editor)");
        QObject vigencia; // a timer left pending when no editor opens dies with it
        QTimer::singleShot(0, &vigencia, [&numero] {
            QDialog* e = frmEdit::instancia();
            numero = hijo<QLineEdit>(e, QStringLiteral("Text1_1"))->text();
            QTest::mouseClick(hijo<QPushButton>(e, QStringLiteral("cmdCancelar")), Qt::LeftButton);
        });
        mensajes.limpiar();
        QTest::mouseClick(opcion(1), Qt::LeftButton);
        return mensajes.mensajes().isEmpty() ? numero : mensajes.ultimo().texto;
    };
    auto coinciden = [&](const QString& numero, const QString& local) {
        EXPECT_EQ(resaltado(), numero);
        EXPECT_EQ(linea("NLocal")->text(), local);
        if (numero.isEmpty()) {
            EXPECT_EQ(editado(), QStringLiteral("¡No hay clientes para editar!"));
            mensajes.limpiar();
            for (int boton : {2, 4, 7})
                QTest::mouseClick(opcion(boton), Qt::LeftButton);
            EXPECT_EQ(mensajes.textos(),
                      QStringList({"No hay ningún registro para eliminar",
                                   "¡No hay clientes para exportar a excel o no lo seleccionó del listado!",
                                   "¡No hay clientes para imprimir o no lo seleccionó del listado!"}));
        } else {
            EXPECT_EQ(editado(), numero);
            mensajes.limpiar();
            QTest::mouseClick(opcion(2), Qt::LeftButton); // answered No
            ASSERT_EQ(mensajes.mensajes().size(), 1);
            EXPECT_TRUE(
                mensajes.ultimo().texto.contains(QStringLiteral("Numero de Cliente: ") + numero + "\r\n"));
        }
    };
    // At start nothing is chosen.
    coinciden(QString(), QString());
    v->setCurrentIndex(g.index(g.viewRowForGridRow(4), 1)); // client 45
    coinciden(QStringLiteral("45"), QStringLiteral("Club 100% Social"));
    // Each keystroke that keeps 45 listed keeps it; one that drops it leaves nothing chosen.
    prueba::teclear(linea("Text1"), QStringLiteral("a"));
    coinciden(QStringLiteral("45"), QStringLiteral("Club 100% Social"));
    prueba::teclear(linea("Text1"), QStringLiteral("n"));
    EXPECT_EQ(lista(), QStringList({"120", "7"}));
    coinciden(QString(), QString());
    // Sorting and the date filter keep the client.
    v->setCurrentIndex(g.index(0, 1));
    coinciden(QStringLiteral("120"), QStringLiteral("Bar El Ñandú"));
    Q_EMIT v->clic(0, 2);
    fecha("FechaInfInicio")->setDate(QDate(2020, 1, 1));
    coinciden(QStringLiteral("120"), QStringLiteral("Bar El Ñandú"));
    // A client saved with locality "-" can be chosen like any other.
    buscar(QStringLiteral("oculto"));
    v->setCurrentIndex(g.index(0, 1));
    coinciden(QStringLiteral("9"), QStringLiteral("Barra Oculta"));
}

// Every control reachable and nothing overlapping on the screens offices use; the extra room
// of a larger window goes to the lists.
TEST_F(VentanaPrincipal, CabeEnPantallasDe1024y1366) {
    FrmDatos* f = abrir();
    GridView* infracciones = vista("flex2Vista");
    auto filasVisibles = [&] {
        return infracciones->viewport()->height() / infracciones->verticalHeader()->defaultSectionSize();
    };
    int filasInfracciones = 0;
    for (const QSize pantalla : {QSize(1024, 768), QSize(1366, 768)}) {
        // What the desktop leaves of the screen: a panel and the title bar.
        const QSize zona = pantalla - QSize(0, 60);
        EXPECT_LE(f->minimumSizeHint().width(), zona.width());
        EXPECT_LE(f->minimumSizeHint().height(), zona.height());
        f->resize(zona);
        QApplication::processEvents();
        const QRect marco = f->rect();
        QList<QWidget*> controles;
        for (QWidget* w : f->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(f) || w->inherits("QGroupBox") || w->inherits("QSplitterHandle") ||
                w->objectName().startsWith(QLatin1String("qt_")) ||
                w->parentWidget()->inherits("QAbstractSpinBox") || w->parentWidget()->inherits("QComboBox") ||
                w->parentWidget()->inherits("QAbstractScrollArea") ||
                w->parentWidget()->inherits("QStatusBar") || w->inherits("QStatusBar") ||
                w->inherits("QMenuBar") || w == f->centralWidget())
                continue;
            if (w->inherits("QAbstractButton") || w->inherits("QLineEdit") || w->inherits("QLabel") ||
                w->inherits("QComboBox") || w->inherits("QAbstractSpinBox") || w->inherits("QTableView"))
                controles << w;
        }
        EXPECT_GE(controles.size(), 40);
        for (QWidget* w : controles) {
            const QRect r(w->mapTo(f, QPoint(0, 0)), w->size());
            EXPECT_TRUE(marco.contains(r)) << pantalla.width() << " " << w->objectName().toStdString();
            for (QWidget* otro : controles) {
                if (otro != w && !w->isAncestorOf(otro) && !otro->isAncestorOf(w)) {
                    EXPECT_FALSE(r.intersects(QRect(otro->mapTo(f, QPoint(0, 0)), otro->size())))
                        << pantalla.width() << " " << w->objectName().toStdString() << " / "
                        << otro->objectName().toStdString();
                }
            }
        }
        EXPECT_GE(filasVisibles(), 12) << pantalla.width();
        filasInfracciones = filasVisibles();
    }
    f->showMaximized();
    f->resize(1920, 1080);
    QApplication::processEvents();
    EXPECT_GT(filasVisibles(), filasInfracciones);
}

TEST_F(VentanaPrincipal, OrdenPorCabeceraAlternaYConservaLaSeleccion) {
    abrir();
    GridModel& g = flex();
    GridView* v = vista("flexVista");
    v->setCurrentIndex(v->model()->index(g.viewRowForGridRow(3), 2)); // client 7
    ASSERT_EQ(oficina.clienteSeleccionado().value_or(Cliente{}).numero, QStringLiteral("7"));

    Q_EMIT v->clic(0, 1); // numbers compare as numbers
    EXPECT_EQ(lista(), QStringList({"7", "9", "45", "120", "300"}));
    Q_EMIT v->clic(0, 2); // another column: descending, the toggle is per grid
    EXPECT_EQ(lista(2), QStringList({"Peña Hnos.", "Oculto", "Juan Pérez", "Carlos O'Neill", "Ana Ruiz"}));
    Q_EMIT v->clic(0, 2);
    EXPECT_EQ(lista(2), QStringList({"Ana Ruiz", "Carlos O'Neill", "Juan Pérez", "Oculto", "Peña Hnos."}));
    Q_EMIT v->clic(2, 2); // a click on a data row does not sort
    // The hidden placeholder moves with its texts and stays hidden; the highlight stays on 7.
    for (int r = 1; r < g.rows(); ++r)
        EXPECT_EQ(g.rowHidden(r), g.textMatrix(r, 1) == QStringLiteral("----"));
    EXPECT_EQ(g.textMatrix(g.gridRowForViewRow(v->currentIndex().row()), 1), QStringLiteral("7"));
    EXPECT_EQ(oficina.clienteSeleccionado().value_or(Cliente{}).numero, QStringLiteral("7"));
    // From the keyboard: Ctrl+O on the list sorts by the current column, same toggle.
    v->setCurrentIndex(v->model()->index(0, 1));
    QTest::keyClick(v, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(lista(), QStringList({"300", "120", "45", "9", "7"}));
    EXPECT_EQ(mensajes.mensajes().size(), 1);
}

TEST_F(VentanaPrincipal, EncabezadoDelMunicipioSeGuardaSoloAlEditarlo) {
    const QString ruta = QDir(base.directorio()).filePath(QStringLiteral("data.dat"));
    abrir();
    EXPECT_TRUE(linea("Municipio")->text().isEmpty());
    EXPECT_FALSE(QFile::exists(ruta)); // created on the first change only
    QTest::keyClicks(linea("Municipio"), QStringLiteral("Quilmes, Bs. As."));
    QFile archivo(ruta);
    ASSERT_TRUE(archivo.open(QIODevice::ReadOnly));
    EXPECT_EQ(archivo.readAll(), QByteArray("\"Quilmes, Bs. As.\"\r\n"));
    abrir();
    EXPECT_EQ(linea("Municipio")->text(), QStringLiteral("Quilmes, Bs. As."));
    EXPECT_EQ(mensajes.mensajes().size(), 2); // the two welcomes
}

TEST_F(VentanaPrincipal, AcercaDeBarraDeEstadoYSalir) {
    FrmDatos* f = abrir();
    hijo<QAction>(f, QStringLiteral("mnuacercade"))->trigger();
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Acerca de..."));
    const QStringList lineas = mensajes.ultimo().texto.split(QLatin1Char('\n'));
    EXPECT_EQ(lineas.size(), 8);
    EXPECT_EQ(lineas.value(2), QStringLiteral("Version: 1.0.18"));

    auto* reloj = hijo<QTimer>(f, QStringLiteral("relojBarra"));
    ASSERT_NE(reloj, nullptr);
    EXPECT_TRUE(reloj->isActive());
    // Insert has no indicator: the program follows the presses that reach its windows.
    const bool antes = panel(5)->isEnabled() && panel(5)->text() == QStringLiteral("INS");
    QTest::keyClick(f->windowHandle(), Qt::Key_Insert);
    ASSERT_TRUE(QMetaObject::invokeMethod(reloj, "timeout"));
    EXPECT_EQ(panel(5)->text(), QStringLiteral("INS"));
    EXPECT_NE(panel(5)->isEnabled(), antes);
    // Lock keys the platform cannot tell (no X server here) stay blank.
    EXPECT_TRUE(panel(3)->text().isEmpty());
    EXPECT_EQ(panel(8)->text().size(), 5); // HH:mm

    QTest::mouseClick(opcion(3), Qt::LeftButton);
    EXPECT_EQ(finales, 1);
    EXPECT_FALSE(f->isVisible());
    f->show();
    hijo<QAction>(f, QStringLiteral("mnusalir"))->trigger();
    EXPECT_EQ(finales, 2);
}

// The widths come from a few candidate cells per column, yet equal measuring every cell.
TEST(AnchoColumnas, MedicionAcotadaDaLosAnchosDeMedirCadaCelda) {
    GridModel g;
    g.setCols(3);
    g.setRows(402);
    g.setTextMatrix(0, 1, QStringLiteral("Cabecera muy larga"));
    for (int f = 1; f < 402; ++f) {
        g.setTextMatrix(f, 0, QString::number(f));
        g.setTextMatrix(f, 1, QStringLiteral("corto"));
        // Many long but narrow texts, one short but wide: the wide one decides.
        g.setTextMatrix(f, 2,
                        f == 250 ? QStringLiteral("WWWWWWWW") : QStringLiteral("iiiiiiiiiiil%1").arg(f % 7));
    }
    QFont fuente(QStringLiteral("Arial"));
    fuente.setPointSize(9);
    for (int candidatos : {1, 4, 24})
        EXPECT_EQ(AnchosColumnasTwips(g, fuente, -1, candidatos), AnchosColumnasTwipsCompleto(g, fuente))
            << candidatos;
    // Header wider than every cell; 350 twips of margin.
    EXPECT_EQ(
        AnchosColumnasTwips(g, fuente)[1],
        qRound(QFontMetricsF(fuente).horizontalAdvance(QStringLiteral("Cabecera muy larga")) * 15 + 350));
}

TEST(Traducciones, BotonesEstandarEnCastellano) {
    const QLocale local;
    ASSERT_TRUE(CargarTraduccionesQt(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Sí"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("Aceptar"));
    // Leave the other tests of this process as they were.
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    QLocale::setDefault(local);
}

} // namespace
