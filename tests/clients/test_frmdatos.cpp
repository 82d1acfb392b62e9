// The main window and its client list, driven as a user would.
#include "ClientesDePrueba.h"
#include "clients/ArchivoMunicipio.h"
#include "clients/frmEdit.h"
#include "grid/AnchoColumnas.h"
#include "platform/Traducciones.h"

#include <QApplication>
#include <QHeaderView>

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

namespace {

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

// Texts of column `col` in the rows the user sees, in order.
QStringList visibles(const GridModel& g, int col = 1) {
    QStringList r;
    for (int f = 1; f < g.rows(); ++f)
        if (!g.rowHidden(f))
            r << g.textMatrix(f, col);
    return r;
}

class VentanaPrincipal : public ::testing::Test {
protected:
    void SetUp() override {
        EstablecerFinalizadorPrograma([this] { ++finales; });
        UsuarioActual = QStringLiteral("Administrador");
        agregar("120", "Juan Pérez", "Quilmes", "Bar El Ñandú");
        agregar("7", "Ana Ruiz", "Bernal", "Pub BARRIO Norte");
        agregar("45", "Peña Hnos.", "Wilde", "Club 100% Social");
        agregar("9", "Oculto", "-", "Barra Oculta");
        agregar("300", "Carlos O'Neill", "Ezpeleta", "Salón_Álamos", QString(500, QLatin1Char('W')));
    }
    void TearDown() override {
        delete FrmDatos::instancia();
        EstablecerFinalizadorPrograma(nullptr);
        UsuarioActual.clear();
    }
    QString rutaMunicipio() const { return QDir(base.directorio()).filePath(QStringLiteral("data.dat")); }
    QStringList buscar(FrmDatos* f, const QString& columna, const QString& texto) {
        f->Combo1->setCurrentIndex(f->Combo1->findText(columna));
        f->Text1->clear();
        prueba::teclear(f->Text1, texto);
        return visibles(*f->flex);
    }

    BaseTemporal base;
    MessageRecorder mensajes;
    int finales = 0;
};

} // namespace

TEST_F(VentanaPrincipal, CargaDaLaBienvenidaYMuestraLaListaFormateada) {
    FrmDatos* f = FrmDatos::Mostrar();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("Bienvenido Usuario Administrador"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Bienvenido!"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Sistema de Adquisición de Datos - Velmora KV-270"));
    EXPECT_EQ(f->Usuario->text(), QStringLiteral("Administrador"));
    EXPECT_TRUE(Conexion1.abierta());
    EXPECT_FALSE(Conexion2.abierta());
    // No client selected yet: the inspection pickers show nothing.
    EXPECT_TRUE(f->UltimaFechaInsp->text().trimmed().isEmpty());

    GridModel& g = *f->flex;
    ASSERT_EQ(g.cols(), 24);
    EXPECT_EQ(g.textMatrix(0, 1), QStringLiteral(" Num. Cliente "));
    EXPECT_EQ(g.textMatrix(0, 12), QStringLiteral(" Nombre Local"));
    // Id and the columns other windows read are hidden, however wide their texts (the notes).
    for (int c = 0; c < 24; ++c) {
        EXPECT_EQ(g.colWidth(c) > 350, c >= 1 && c <= 12) << c;
        EXPECT_EQ(f->flexVista->isColumnHidden(c), c == 0 || c >= 13) << c;
    }
    EXPECT_EQ(g.colAlignment(5), Qt::AlignCenter);
    // Only the placeholder record is hidden; a client saved with locality "-" stays listed.
    EXPECT_EQ(visibles(g), QStringList({"120", "7", "45", "9", "300"}));
    EXPECT_EQ(g.textMatrix(1, 1), QStringLiteral("----"));
    EXPECT_TRUE(g.rowHidden(1));
    EXPECT_EQ(f->flexVista->model()->rowCount(), 5);
    // Display forms of the hidden columns the other windows read.
    EXPECT_EQ(g.textMatrix(2, 11), QStringLiteral("15/01/2024"));
    EXPECT_EQ(g.textMatrix(2, 20), QStringLiteral("10:15:00"));

    EXPECT_EQ(f->Paneles[1]->text(),
              QStringLiteral("Velmora KV-270 - Sistema de Adquisicion de Datos Version: 1.0.18"));
    EXPECT_EQ(f->Paneles[6]->text(), QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(f->FechaInfInicio->date(), QDate(2011, 1, 1));
    EXPECT_EQ(f->FechaInfFin->date(), QDate::currentDate());
    EXPECT_TRUE(f->Municipio->isEnabled());
    EXPECT_TRUE(f->cmdOpciones[2]->isEnabled());
}

TEST_F(VentanaPrincipal, ControlesConNombresAccesiblesYOrdenDeTeclado) {
    FrmDatos* f = FrmDatos::Mostrar();
    EXPECT_FALSE(f->FlexBandasVista->isVisibleTo(f));
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
    QWidget* siguiente = f->Municipio->nextInFocusChain();
    while (!(siguiente->focusPolicy() & Qt::TabFocus))
        siguiente = siguiente->nextInFocusChain();
    EXPECT_EQ(siguiente, f->Text1);
    QWidget* w = f->Text1;
    while (w && w != f->flexVista)
        w = w->nextInFocusChain();
    EXPECT_EQ(w, f->flexVista);
}

TEST_F(VentanaPrincipal, UsuarioComunYAdministradorEnMinusculasNoTienenDerechos) {
    for (const char* nombre : {"Invitado", "administrador"}) {
        UsuarioActual = QString::fromUtf8(nombre);
        FrmDatos* f = FrmDatos::Mostrar();
        EXPECT_EQ(f->Usuario->text(), UsuarioActual);
        EXPECT_FALSE(f->Municipio->isEnabled()) << nombre;
        for (size_t i = 0; i < 8; ++i)
            EXPECT_EQ(f->cmdOpciones[i]->isEnabled(), i != 2) << nombre << i;
        delete f;
    }
}

// Every keystroke searches: literally, in any letter case (Ñ too), through a bound parameter.
TEST_F(VentanaPrincipal, BusquedaLiteralSinDistinguirMayusculasYVaciarla) {
    BaseDatosCompartida().ejecutar(QStringLiteral(
        "INSERT INTO Clientes (NumeroCliente, Nombre, Localidad) VALUES ('77', 'Sin Local', 'Wilde')"));
    FrmDatos* f = FrmDatos::Mostrar();
    EXPECT_EQ(visibles(*f->flex), QStringList({"120", "7", "45", "9", "300", "77"}));
    EXPECT_EQ(buscar(f, QStringLiteral("Local"), QStringLiteral("bar")), QStringList({"120", "7", "9"}));
    EXPECT_EQ(f->flex->rows(), 4);
    EXPECT_EQ(buscar(f, QStringLiteral("Local"), QStringLiteral("ÑANDÚ")), QStringList({"120"}));
    EXPECT_EQ(buscar(f, QStringLiteral("Nombre"), QStringLiteral("peña")), QStringList({"45"}));
    EXPECT_EQ(buscar(f, QStringLiteral("Nombre"), QStringLiteral("o'n")), QStringList({"300"}));
    EXPECT_EQ(buscar(f, QStringLiteral("Local"), QStringLiteral("%")), QStringList({"45"}));
    EXPECT_EQ(buscar(f, QStringLiteral("Local"), QStringLiteral("_")), QStringList({"300"}));
    EXPECT_EQ(buscar(f, QStringLiteral("Numero de Cliente"), QStringLiteral("12")), QStringList({"120"}));
    // After a search the grid keeps its 24 columns, formats and hidden columns.
    EXPECT_EQ(f->flex->cols(), 24);
    EXPECT_EQ(f->flex->textMatrix(0, 2), QStringLiteral(" Nombre "));
    EXPECT_EQ(f->flex->colWidth(23), 0);
    EXPECT_EQ(f->flex->textMatrix(1, 20), QStringLiteral("10:15:00"));

    EXPECT_EQ(buscar(f, QStringLiteral("Local"), QStringLiteral("norte")), QStringList({"7"}));
    QTest::keyClick(f->Text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f->Text1, Qt::Key_Delete);
    EXPECT_TRUE(f->Text1->text().isEmpty());
    // An empty text matches every value, the empty one included, but not a missing one.
    EXPECT_EQ(visibles(*f->flex), QStringList({"120", "7", "45", "9", "300"}));
    EXPECT_EQ(f->flex->rows(), 6);            // the placeholder's empty premises name matches, hidden
    EXPECT_EQ(mensajes.mensajes().size(), 1); // only the welcome
}

// After every change to the list the highlighted row, the client shown below and the client
// the buttons act on are one and the same, or none is selected and the buttons say so.
TEST_F(VentanaPrincipal, LaFilaResaltadaElClienteMostradoYLosBotonesCoinciden) {
    FrmDatos* f = FrmDatos::Mostrar();
    GridModel& g = *f->flex;
    auto resaltado = [&] {
        const QModelIndex i = f->flexVista->currentIndex();
        return i.isValid() && f->flexVista->selectionModel()->isRowSelected(i.row(), QModelIndex())
                   ? g.textMatrix(g.gridRowForViewRow(i.row()), 1)
                   : QString();
    };
    auto editado = [&] {
        QString numero = QStringLiteral("(sin editor)");
        QObject vigencia; // a timer left pending when no editor opens dies with it
        QTimer::singleShot(0, &vigencia, [&numero] {
            frmEdit* e = frmEdit::instancia();
            numero = e->Text1(1)->text();
            e->Cancelar();
        });
        mensajes.limpiar();
        QTest::mouseClick(f->cmdOpciones[1], Qt::LeftButton);
        return mensajes.mensajes().isEmpty() ? numero : mensajes.ultimo().texto;
    };
    auto coinciden = [&](const QString& numero, const QString& local) {
        EXPECT_EQ(resaltado(), numero);
        EXPECT_EQ(f->NLocal->text(), local);
        if (numero.isEmpty()) {
            EXPECT_EQ(editado(), QStringLiteral("¡No hay clientes para editar!"));
            mensajes.limpiar();
            QTest::mouseClick(f->cmdOpciones[2], Qt::LeftButton);
            QTest::mouseClick(f->cmdOpciones[4], Qt::LeftButton);
            QTest::mouseClick(f->cmdOpciones[7], Qt::LeftButton);
            EXPECT_EQ(mensajes.textos(),
                      QStringList({"No hay ningún registro para eliminar",
                                   "¡No hay clientes para exportar a excel o no lo seleccionó del listado!",
                                   "¡No hay clientes para imprimir o no lo seleccionó del listado!"}));
        } else {
            EXPECT_EQ(editado(), numero);
            mensajes.limpiar();
            QTest::mouseClick(f->cmdOpciones[2], Qt::LeftButton); // answered No
            ASSERT_EQ(mensajes.mensajes().size(), 1);
            EXPECT_TRUE(
                mensajes.ultimo().texto.contains(QStringLiteral("Numero de Cliente: ") + numero + "\r\n"));
        }
    };
    // At start nothing is chosen.
    coinciden(QString(), QString());
    buscar(f, QStringLiteral("Nombre"), QString());
    f->flexVista->setCurrentIndex(g.index(g.viewRowForGridRow(4), 1)); // client 45
    coinciden(QStringLiteral("45"), QStringLiteral("Club 100% Social"));
    // Each keystroke that keeps 45 listed keeps it; one that drops it leaves nothing chosen,
    // never the first client listed while the view below still shows 45.
    prueba::teclear(f->Text1, QStringLiteral("a"));
    coinciden(QStringLiteral("45"), QStringLiteral("Club 100% Social"));
    prueba::teclear(f->Text1, QStringLiteral("n"));
    EXPECT_EQ(visibles(g), QStringList({"120", "7"}));
    coinciden(QString(), QString());
    // Sorting and the date filter keep the client; so does editing it.
    f->flexVista->setCurrentIndex(g.index(0, 1));
    coinciden(QStringLiteral("120"), QStringLiteral("Bar El Ñandú"));
    Q_EMIT f->flexVista->clic(0, 2);
    f->FechaInfInicio->setDate(QDate(2020, 1, 1));
    coinciden(QStringLiteral("120"), QStringLiteral("Bar El Ñandú"));
    // A client saved with locality "-" can be chosen, edited and deleted like any other.
    buscar(f, QStringLiteral("Nombre"), QStringLiteral("oculto"));
    f->flexVista->setCurrentIndex(g.index(0, 1));
    coinciden(QStringLiteral("9"), QStringLiteral("Barra Oculta"));
}

// Every control reachable and nothing overlapping on the screens offices use; the extra room
// of a larger window goes to the lists.
TEST_F(VentanaPrincipal, CabeEnPantallasDe1024y1366) {
    FrmDatos* f = FrmDatos::Mostrar();
    int filasInfracciones = 0;
    for (const QSize pantalla : {QSize(1024, 768), QSize(1366, 768)}) {
        // What the desktop leaves of the screen: a panel and the title bar.
        const QSize zona = pantalla - QSize(0, 60);
        EXPECT_LE(f->minimumSizeHint().width(), zona.width());
        EXPECT_LE(f->minimumSizeHint().height(), zona.height());
        f->resize(zona);
        QApplication::processEvents();
        const QRect ventana = f->rect();
        QList<QWidget*> controles;
        for (QWidget* w : f->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(f) || w->inherits("QGroupBox") || w->inherits("QSplitterHandle") ||
                w->objectName().startsWith(QLatin1String("qt_")) ||
                w->parentWidget()->inherits("QAbstractSpinBox") || w->parentWidget()->inherits("QComboBox") ||
                w->parentWidget()->inherits("QAbstractScrollArea") ||
                w->parentWidget()->inherits("QStatusBar") || w->inherits("QStatusBar") ||
                w->inherits("QMenuBar") || qobject_cast<QWidget*>(w) == f->centralWidget())
                continue;
            if (w->inherits("QAbstractButton") || w->inherits("QLineEdit") || w->inherits("QLabel") ||
                w->inherits("QComboBox") || w->inherits("QAbstractSpinBox") || w->inherits("QTableView"))
                controles << w;
        }
        EXPECT_GE(controles.size(), 40);
        for (QWidget* w : controles) {
            const QRect r(w->mapTo(f, QPoint(0, 0)), w->size());
            EXPECT_TRUE(ventana.contains(r)) << pantalla.width() << " " << w->objectName().toStdString();
            for (QWidget* otro : controles) {
                if (otro != w && !w->isAncestorOf(otro) && !otro->isAncestorOf(w)) {
                    EXPECT_FALSE(r.intersects(QRect(otro->mapTo(f, QPoint(0, 0)), otro->size())))
                        << pantalla.width() << " " << w->objectName().toStdString() << " / "
                        << otro->objectName().toStdString();
                }
            }
        }
        const int filas =
            f->flex2Vista->viewport()->height() / f->flex2Vista->verticalHeader()->defaultSectionSize();
        EXPECT_GE(filas, 12) << pantalla.width();
        filasInfracciones = filas;
    }
    f->showMaximized();
    f->resize(1920, 1080);
    QApplication::processEvents();
    EXPECT_GT(f->flex2Vista->viewport()->height() / f->flex2Vista->verticalHeader()->defaultSectionSize(),
              filasInfracciones);
}

TEST_F(VentanaPrincipal, OrdenPorCabeceraAlternaConUnaMarcaPorGrilla) {
    FrmDatos* f = FrmDatos::Mostrar();
    GridModel& g = *f->flex;
    ASSERT_EQ(g.textMatrix(3, 1), QStringLiteral("7"));
    f->flexVista->setCurrentIndex(f->flexVista->model()->index(g.viewRowForGridRow(3), 2));

    Q_EMIT f->flexVista->clic(0, 1); // numbers compare as numbers
    EXPECT_TRUE(f->OrdenFlex);
    EXPECT_EQ(visibles(g), QStringList({"7", "9", "45", "120", "300"}));
    Q_EMIT f->flexVista->clic(0, 2); // another column: descending, the flag is per grid
    EXPECT_FALSE(f->OrdenFlex);
    EXPECT_EQ(visibles(g, 2),
              QStringList({"Peña Hnos.", "Oculto", "Juan Pérez", "Carlos O'Neill", "Ana Ruiz"}));
    Q_EMIT f->flexVista->clic(0, 2);
    EXPECT_TRUE(f->OrdenFlex);
    EXPECT_EQ(visibles(g, 2),
              QStringList({"Ana Ruiz", "Carlos O'Neill", "Juan Pérez", "Oculto", "Peña Hnos."}));
    // The hidden placeholder moves with its texts and stays hidden; the selection stays on 7.
    EXPECT_EQ(g.rows(), 7);
    for (int r = 1; r < g.rows(); ++r)
        EXPECT_EQ(g.rowHidden(r), g.textMatrix(r, 1) == QStringLiteral("----"));
    EXPECT_EQ(g.textMatrix(g.row(), 1), QStringLiteral("7"));
    Q_EMIT f->flexVista->clic(2, 2); // a click on a data row does not sort
    EXPECT_TRUE(f->OrdenFlex);
    EXPECT_FALSE(f->OrdenFlex2);
    // From the keyboard: Ctrl+O on the list sorts by the current column, same toggle.
    f->flexVista->setCurrentIndex(f->flexVista->model()->index(0, 1));
    QTest::keyClick(f->flexVista, Qt::Key_O, Qt::ControlModifier);
    EXPECT_FALSE(f->OrdenFlex);
    EXPECT_EQ(visibles(g), QStringList({"300", "120", "45", "9", "7"}));
    EXPECT_EQ(mensajes.mensajes().size(), 1);
}

TEST_F(VentanaPrincipal, EncabezadoDelMunicipioSobreviveAlReinicio) {
    FrmDatos* f = FrmDatos::Mostrar();
    EXPECT_TRUE(f->Municipio->text().isEmpty());
    EXPECT_FALSE(QFile::exists(rutaMunicipio())); // created on the first change only
    QTest::keyClicks(f->Municipio, QStringLiteral("Quilmes, Bs. As."));
    QFile archivo(rutaMunicipio());
    ASSERT_TRUE(archivo.open(QIODevice::ReadOnly));
    EXPECT_EQ(archivo.readAll(), QByteArray("\"Quilmes, Bs. As.\"\r\n"));
    delete f;
    f = FrmDatos::Mostrar();
    EXPECT_EQ(f->Municipio->text(), QStringLiteral("Quilmes, Bs. As."));
    // A double quote cuts the text at the next start.
    f->Municipio->clear();
    QTest::keyClicks(f->Municipio, QStringLiteral("Municipio de \"La\" Plata"));
    delete f;
    EXPECT_EQ(FrmDatos::Mostrar()->Municipio->text(), QStringLiteral("Municipio de "));

    EXPECT_EQ(LeerCampoMunicipio("Quilmes, Bs. As.\r\n"), QStringLiteral("Quilmes"));
    EXPECT_EQ(LeerCampoMunicipio("\"sin cierre\r\n"), QStringLiteral("sin cierre"));
    EXPECT_EQ(LeerCampoMunicipio(""), QString());
    // A file that cannot be written is reported.
    QString error;
    EXPECT_FALSE(GuardarMunicipio(QStringLiteral("/sin/permiso/data.dat"), QStringLiteral("x"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(VentanaPrincipal, AcercaDeBarraDeEstadoYSalir) {
    FrmDatos* f = FrmDatos::Mostrar();
    f->mnuacercade->trigger();
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Acerca de..."));
    const QStringList lineas = mensajes.ultimo().texto.split(QLatin1Char('\n'));
    EXPECT_EQ(lineas.size(), 8);
    EXPECT_EQ(lineas.value(2), QStringLiteral("Version: 1.0.18"));

    auto* reloj = f->findChild<QTimer*>(QStringLiteral("relojBarra"));
    ASSERT_NE(reloj, nullptr);
    EXPECT_TRUE(reloj->isActive());
    // Insert has no indicator: the program follows the presses that reach its windows.
    const bool antes = f->Paneles[4]->isEnabled() && f->Paneles[4]->text() == QStringLiteral("INS");
    QTest::keyClick(f->windowHandle(), Qt::Key_Insert);
    ASSERT_TRUE(QMetaObject::invokeMethod(reloj, "timeout"));
    EXPECT_EQ(f->Paneles[4]->text(), QStringLiteral("INS"));
    EXPECT_NE(f->Paneles[4]->isEnabled(), antes);
    // Lock keys the platform cannot tell (no X server here) stay blank.
    EXPECT_TRUE(f->Paneles[2]->text().isEmpty());
    EXPECT_EQ(f->Paneles[7]->text().size(), 5); // HH:mm

    QTest::mouseClick(f->cmdOpciones[3], Qt::LeftButton);
    EXPECT_EQ(finales, 1);
    EXPECT_FALSE(f->isVisible());
    EXPECT_FALSE(Conexion1.abierta());
    f->show();
    f->mnusalir->trigger();
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
