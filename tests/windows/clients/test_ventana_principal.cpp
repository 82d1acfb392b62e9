// The main window and its client list, driven as a user would.
#include "ClientesDePrueba.h"
#include "windows/editor/EditorCliente.h"
#include "windows/platform/Traducciones.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTimer>
#include <QTranslator>

#include <optional>

namespace {

using prueba::hijo;

class PruebaVentanaPrincipal : public prueba::VentanaConClientes {
protected:
    QStringList lista(int col = 1) const { return visibles(listaClientes(), col); }
};

TEST_F(PruebaVentanaPrincipal, EncabezadoBienvenidaListaYDerechosDelUsuario) {
    // The header file is written on the first change only, and read at the next opening.
    QFile archivo(QDir(base.directorio()).filePath(QStringLiteral("data.dat")));
    EXPECT_FALSE(archivo.exists());
    QTest::keyClicks(linea("municipio"), QStringLiteral("Quilmes, Bs. As."));
    ASSERT_TRUE(archivo.open(QIODevice::ReadOnly));
    EXPECT_EQ(archivo.readAll(), QByteArray("\"Quilmes, Bs. As.\"\r\n"));
    VentanaPrincipal* f = abrir();
    EXPECT_EQ(linea("municipio")->text(), QStringLiteral("Quilmes, Bs. As."));
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("Bienvenido Usuario Administrador"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Bienvenido!"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Sistema de Adquisición de Datos - Velmora KV-270"));
    EXPECT_TRUE(fecha("fechaUltimaInspeccion")->text().trimmed().isEmpty()); // no client selected yet

    GridModel& g = listaClientes();
    // Id and the columns behind the premises fields are hidden, however wide their texts (notes).
    for (int c = 0; c < 24; ++c) {
        EXPECT_EQ(g.colWidth(c) > 23, c >= 1 && c <= 12) << c; // wider than the bare margin
        EXPECT_EQ(vista("vistaClientes")->isColumnHidden(c), c == 0 || c >= 13) << c;
    }
    // Only the placeholder record is hidden; a client saved with locality "-" stays listed.
    EXPECT_EQ(lista(), QStringList({"12", "123", "312", "7", "9"}));
    EXPECT_EQ(vista("vistaClientes")->model()->rowCount(), 5);
    EXPECT_TRUE(linea("municipio")->isEnabled() && boton("botonEliminar")->isEnabled());

    // Another login gets the window without the header box and the delete button.
    Oficina otra{base.registro()};
    otra.establecerUsuario(QStringLiteral("Invitado"));
    VentanaPrincipal invitado(otra);
    EXPECT_EQ(hijo<QLineEdit>(&invitado, QStringLiteral("usuarioActual"))->text(),
              QStringLiteral("Invitado"));
    EXPECT_FALSE(hijo<QLineEdit>(&invitado, QStringLiteral("municipio"))->isEnabled());
    for (const char* boton : {"botonNuevo", "botonEditar", "botonEliminar", "botonSalir",
                              "botonExportarExcel", "botonAdquirirDatos", "botonCuentas", "botonImprimir"})
        EXPECT_EQ(hijo<QPushButton>(&invitado, QLatin1String(boton))->isEnabled(),
                  std::string_view(boton) != "botonEliminar")
            << boton;
}

TEST_F(PruebaVentanaPrincipal, ControlesConNombresAccesiblesYOrdenDeTeclado) {
    // Labelled boxes carry their label's text, through the label's buddy (pickers add their part).
    int etiquetados = 0;
    for (QLabel* l : ventana->findChildren<QLabel*>()) {
        if (l->buddy() && l->isVisibleTo(ventana)) {
            ++etiquetados;
            EXPECT_TRUE(l->buddy()->accessibleName().startsWith(l->text()))
                << l->buddy()->objectName().toStdString();
        }
    }
    EXPECT_GE(etiquetados, 18);
    // Every control the user can reach has a name a screen reader can read out.
    for (QWidget* w : ventana->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(ventana) || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        const auto* b = qobject_cast<QPushButton*>(w);
        EXPECT_FALSE((b ? b->text() : w->accessibleName()).isEmpty()) << w->objectName().toStdString();
    }
    // Keyboard order: header, search, the option buttons, the list, then the client's view.
    QWidget* w = linea("municipio")->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus))
        w = w->nextInFocusChain();
    EXPECT_EQ(w, linea("textoBusqueda"));
    while (w && w != vista("vistaClientes"))
        w = w->nextInFocusChain();
    EXPECT_EQ(w, vista("vistaClientes"));
}

// After every change to the list the highlighted row, the client shown below and the client
// the buttons act on are one and the same, or none is selected and the buttons say so.
TEST_F(PruebaVentanaPrincipal, LaFilaResaltadaElClienteMostradoYLosBotonesCoinciden) {
    GridModel& g = listaClientes();
    GridView* v = vista("vistaClientes");
    auto coinciden = [&](const QString& numero, const QString& local) {
        const QModelIndex i = v->currentIndex();
        const bool resaltada = i.isValid() && v->selectionModel()->isRowSelected(i.row(), QModelIndex());
        EXPECT_EQ(resaltada ? g.textMatrix(g.gridRowForViewRow(i.row()), 1) : QString(), numero);
        EXPECT_EQ(linea("nombreLocal")->text(), local);
        QString editado = QStringLiteral("(sin editor)");
        QObject vigencia; // a timer left pending when no editor opens dies with it
        QTimer::singleShot(0, &vigencia, [&editado] {
            QDialog* e = EditorCliente::instancia();
            editado = hijo<QLineEdit>(e, QStringLiteral("numeroCliente"))->text();
            QTest::mouseClick(hijo<QPushButton>(e, QStringLiteral("botonCancelar")), Qt::LeftButton);
        });
        mensajes.limpiar();
        const QList<const char*> botones =
            numero.isEmpty()
                ? QList<const char*>{"botonEditar", "botonEliminar", "botonExportarExcel", "botonImprimir"}
                : QList<const char*>{"botonEditar", "botonEliminar"}; // delete: No
        for (const char* nombre : botones)
            QTest::mouseClick(boton(nombre), Qt::LeftButton);
        if (numero.isEmpty()) {
            EXPECT_EQ(mensajes.textos(),
                      QStringList({"¡No hay clientes para editar!", "No hay ningún registro para eliminar",
                                   "¡No hay clientes para exportar a excel o no lo seleccionó del listado!",
                                   "¡No hay clientes para imprimir o no lo seleccionó del listado!"}));
        } else {
            EXPECT_EQ(editado, numero);
            EXPECT_TRUE(mensajes.textos().value(0).contains(QStringLiteral("Numero de Cliente: ") + numero));
        }
    };
    coinciden(QString(), QString()); // at start nothing is chosen
    seleccionar(QStringLiteral("312"));
    coinciden(QStringLiteral("312"), QStringLiteral("Club 100% Social"));
    // Header clicks and Ctrl+O sort, the toggle per grid, and keep the client.
    Q_EMIT v->clic(0, 1); // numbers compare as numbers
    EXPECT_EQ(lista(), QStringList({"7", "9", "12", "123", "312"}));
    Q_EMIT v->clic(0, 2); // another column: descending
    Q_EMIT v->clic(2, 2); // a click on a data row does not sort
    EXPECT_EQ(lista(2), QStringList({"Sofía Núñez", "Peña Hnos.", "Oculto", "Juan Pérez", "Ana Ruiz"}));
    QTest::keyClick(v, Qt::Key_O, Qt::ControlModifier); // the last sorted column, now ascending
    EXPECT_EQ(lista(), QStringList({"123", "12", "9", "312", "7"}));
    fecha("fechaInicioInfracciones")->setDate(QDate(2011, 3, 1));
    coinciden(QStringLiteral("312"), QStringLiteral("Club 100% Social"));
    // A keystroke that keeps 312 listed keeps it; one that drops it leaves nothing chosen.
    QTest::keyClicks(linea("textoBusqueda"), QStringLiteral("a"));
    coinciden(QStringLiteral("312"), QStringLiteral("Club 100% Social"));
    QTest::keyClicks(linea("textoBusqueda"), QStringLiteral("n"));
    EXPECT_EQ(lista(), QStringList({"12", "123"}));
    coinciden(QString(), QString());
    // A client saved with locality "-" can be chosen like any other.
    linea("textoBusqueda")->clear();
    QTest::keyClicks(linea("textoBusqueda"), QStringLiteral("oculto"));
    v->setCurrentIndex(g.index(0, 1));
    coinciden(QStringLiteral("9"), QStringLiteral("Barra Oculta"));
}

// Every control reachable and nothing overlapping on the screens offices use, with room for a
// dozen infractions.
// Loading a client with years of rows takes a moment: the wait cursor shows meanwhile, and only then.
TEST_F(PruebaVentanaPrincipal, CursorDeEsperaMientrasCargaElClienteElegido) {
    std::optional<Qt::CursorShape> durante;
    const auto conexion = QObject::connect(&oficina, &Oficina::seleccionCambiada, [&] {
        const QCursor* c = QGuiApplication::overrideCursor();
        durante = c ? c->shape() : Qt::ArrowCursor;
    });
    seleccionar(QStringLiteral("312"));
    QObject::disconnect(conexion);
    EXPECT_EQ(durante, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(PruebaVentanaPrincipal, CabeEnPantallasDe1024y1366) {
    VentanaPrincipal* f = ventana;
    for (const QSize pantalla : {QSize(1024, 768), QSize(1366, 768)}) {
        const QSize zona = pantalla - QSize(0, 60); // what a panel and the title bar leave
        EXPECT_LE(f->minimumSizeHint().width(), zona.width());
        EXPECT_LE(f->minimumSizeHint().height(), zona.height());
        f->resize(zona);
        QApplication::processEvents();
        QList<QWidget*> controles;
        for (QWidget* w : f->findChildren<QWidget*>()) {
            const QWidget* p = w->parentWidget();
            if (!w->isVisibleTo(f) || w->objectName().startsWith(QLatin1String("qt_")) ||
                p->inherits("QAbstractSpinBox") || p->inherits("QComboBox") ||
                p->inherits("QAbstractScrollArea") || p->inherits("QStatusBar"))
                continue;
            if (w->inherits("QAbstractButton") || w->inherits("QLineEdit") || w->inherits("QLabel") ||
                w->inherits("QComboBox") || w->inherits("QAbstractSpinBox") || w->inherits("QTableView"))
                controles << w;
        }
        EXPECT_GE(controles.size(), 40);
        for (QWidget* w : controles) {
            const QRect r(w->mapTo(f, QPoint(0, 0)), w->size());
            EXPECT_TRUE(f->rect().contains(r)) << pantalla.width() << " " << w->objectName().toStdString();
            for (QWidget* otro : controles)
                EXPECT_TRUE(otro == w || w->isAncestorOf(otro) || otro->isAncestorOf(w) ||
                            !r.intersects(QRect(otro->mapTo(f, QPoint(0, 0)), otro->size())))
                    << pantalla.width() << " " << w->objectName().toStdString() << " / "
                    << otro->objectName().toStdString();
        }
        const GridView* infracciones = vista("vistaInfracciones");
        EXPECT_GE(infracciones->viewport()->height() / infracciones->verticalHeader()->defaultSectionSize(),
                  12);
    }
}

// Yes deletes and the list is re-read before the confirmation shows; No, or a store that
// refuses, keeps the client.
TEST_F(PruebaVentanaPrincipal, EliminarPreguntaYSoloBorraConSi) {
    const QString sql = QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente = '12'");
    seleccionar(QStringLiteral("12"));
    linea("inicioBandaA")->setText(QStringLiteral("tocado"));
    QTest::mouseClick(boton("botonEliminar"), Qt::LeftButton); // the recorder answers No
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    const auto& pregunta = mensajes.ultimo();
    EXPECT_EQ(pregunta.titulo, QStringLiteral("Eliminar"));
    EXPECT_EQ(pregunta.botones, Botones::SiNo);
    const QString s = QString(50, QLatin1Char(' ')) + QStringLiteral("\r\n");
    EXPECT_EQ(pregunta.texto, QStringLiteral("Se va a eliminar el registro : \r\n") + s + s +
                                  "Numero de Cliente: 12\r\n" + s +
                                  QStringLiteral("Nombre y Apellido: Juan Pérez\r\n") + s +
                                  QStringLiteral("Nombre del Local: Bar El Ñandú\r\n") + s +
                                  QStringLiteral("Dirección: Av. Mitre 10\r\n") + s +
                                  "Localidad: Bernal\r\n" + s + "Partido: Quilmes Oeste\r\n" + s.left(50));
    EXPECT_EQ(prueba::contar(base.registro(), sql), 1);
    EXPECT_EQ(linea("inicioBandaA")->text(), QStringLiteral("Lunes 08:30")); // shown as stored

    prueba::ejecutar(base.registro(), {QStringLiteral("CREATE TRIGGER no_borrar BEFORE DELETE ON Clientes "
                                                      "BEGIN SELECT RAISE(ABORT, 'cliente protegido'); END"),
                                       {}});
    mensajes.limpiar();
    mensajes.responder(Respuesta::Si);
    QTest::mouseClick(boton("botonEliminar"), Qt::LeftButton);
    ASSERT_EQ(mensajes.mensajes().size(), 2);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Critico);
    EXPECT_TRUE(mensajes.ultimo().detalles.contains(QStringLiteral("cliente protegido")));
    EXPECT_EQ(prueba::contar(base.registro(), sql), 1);

    prueba::ejecutar(base.registro(), {QStringLiteral("DROP TRIGGER no_borrar"), {}});
    mensajes.limpiar();
    mensajes.responder(Respuesta::Si);
    bool listaRefrescada = false;
    mensajes.alMostrar([&](const MessageRecorder::Mensaje& m) {
        if (m.titulo == QStringLiteral("Cliente Eliminado"))
            listaRefrescada = filaDe(QStringLiteral("12")) < 0 && filaDe(QStringLiteral("123")) > 0;
    });
    QTest::mouseClick(boton("botonEliminar"), Qt::LeftButton);
    EXPECT_EQ(mensajes.textos().value(1), QStringLiteral("El Cliente fue eliminado satisfactoriamente"));
    EXPECT_TRUE(listaRefrescada);
    EXPECT_EQ(prueba::contar(base.registro(), sql), 0);
    EXPECT_TRUE(linea("inicioBandaA")->text().isEmpty()); // the view follows: no client
    EXPECT_EQ(gridInfracciones().rows(), 1);
}

TEST_F(PruebaVentanaPrincipal, AcercaDeYSalir) {
    hijo<QAction>(ventana, QStringLiteral("accionAcercaDe"))->trigger();
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Acerca de..."));
    EXPECT_EQ(mensajes.ultimo().texto.split(QLatin1Char('\n')).value(2), QStringLiteral("Version: 1.0.18"));
    // The register's identity, as the register holds it.
    const QString identidad = mensajes.ultimo().texto.split(QLatin1Char('\n')).value(3);
    EXPECT_TRUE(identidad.startsWith(QStringLiteral("Identidad del registro: "))) << identidad.toStdString();
    EXPECT_EQ(identidad.size(), 24 + 36);

    QTest::mouseClick(boton("botonSalir"), Qt::LeftButton);
    EXPECT_EQ(finales, 1);
    EXPECT_FALSE(ventana->isVisible());
    ventana->show();
    hijo<QAction>(ventana, QStringLiteral("accionSalir"))->trigger();
    EXPECT_EQ(finales, 2);
}

TEST(Traducciones, BotonesEstandarEnCastellano) {
    const QLocale local;
    ASSERT_TRUE(CargarTraduccionesQt(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Sí"));
    // Leave the other tests of this process as they were.
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    QLocale::setDefault(local);
}

} // namespace
