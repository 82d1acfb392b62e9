// The import window on the office model, driven as a user would, with real files in a temporary
// directory and the message recorder answering every box. What a file holds and how it is stored
// is tested without the window (test_importacion.cpp, test_archivo_inspeccion.cpp).

#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "MessageRecorder.h"

#include "Oficina.h"
#include "clients/frmEdit.h"
#include "import/AdquirirInf.h"
#include "platform/Dialogos.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>

using namespace prueba;

namespace {

const QString kAviso = QStringLiteral("Aviso Importante!");
const QStringList kImportado = {QStringLiteral("Infracciones Agregadas a la Base de Datos"),
                                QStringLiteral("Se borrara el archivo de infracciones")};

class VentanaImportacion : public ::testing::Test {
protected:
    template <typename T = QWidget> static T* hijo(const QWidget* w, const char* nombre) {
        T* h = w->findChild<T*>(QLatin1String(nombre));
        EXPECT_NE(h, nullptr) << nombre;
        return h;
    }
    static QListWidget* lista(const AdquirirInf* w) { return hijo<QListWidget>(w, "File1"); }
    static QPushButton* importar(const AdquirirInf* w) { return hijo<QPushButton>(w, "Command1"); }
    static QString cliente(const AdquirirInf* w) { return hijo<QLineEdit>(w, "Text1")->text(); }
    // The preview's date and time.
    static QDateTime momento(const AdquirirInf* w) {
        return {hijo<QDateEdit>(w, "DTPicker1")->date(), hijo<QTimeEdit>(w, "DTPicker2")->time()};
    }

    void SetUp() override {
        oficina.establecerUsuario(QStringLiteral("Administrador"));
        oficina.abrirClientes();
    }
    void TearDown() override {
        delete AdquirirInf::instancia();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SustituirBorrado(nullptr);
    }

    // Opens the window on the test's directory.
    AdquirirInf* abrir() {
        MostrarAdquirirInf(oficina);
        AdquirirInf* w = AdquirirInf::instancia();
        EXPECT_TRUE(w->setDirectorio(dir.path()));
        return w;
    }

    QString guardar(const QString& nombre, const QByteArray& datos) {
        return escribir(dir.path(), nombre, datos);
    }

    static void pulsar(AdquirirInf* w, const QString& nombre) {
        QListWidget* l = lista(w);
        const QList<QListWidgetItem*> items = l->findItems(nombre, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << nombre.toStdString();
        l->doItemsLayout();
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(items.first()).center());
    }

    static QStringList nombres(const AdquirirInf* w) {
        QStringList n;
        for (int i = 0; i < lista(w)->count(); ++i)
            n << lista(w)->item(i)->text();
        return n;
    }

    qint64 idDe(const QString& numero) {
        for (const QStringList& f : oficina.filasClientes())
            if (f.value(1) == numero)
                return f.value(0).toLongLong();
        return 0;
    }

    // The last message is a warning with that text, the n-th of the test.
    void aviso(const QString& texto, int n = 1) {
        ASSERT_EQ(mensajes.mensajes().size(), n) << mensajes.textos().join('\n').toStdString();
        EXPECT_EQ(mensajes.ultimo().texto, texto);
        EXPECT_EQ(mensajes.ultimo().titulo, kAviso);
        EXPECT_EQ(mensajes.ultimo().icono, Icono::Exclamacion);
    }

    BaseTemporal base;
    Oficina oficina;
    QTemporaryDir dir;
    MessageRecorder mensajes;
};

TEST_F(VentanaImportacion, OpensOnTheCurrentDirectoryThenListsAndPreviewsKvdFiles) {
    MostrarAdquirirInf(oficina);
    AdquirirInf* w = AdquirirInf::instancia();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ((QStringList{w->windowTitle(), hijo<QGroupBox>(w, "Frame1")->title(),
                           hijo<QGroupBox>(w, "Frame2")->title(), hijo<QLabel>(w, "Label1")->text(),
                           hijo<QLabel>(w, "Label5")->text(), importar(w)->text(),
                           hijo<QPushButton>(w, "Volver")->text()}),
              partes("Adquirir Datos de Inspección|Ubicacion de los Archivos de Datos|Datos Preliminares|"
                     "Numero de Cliente:|Fecha y Hora de la Inspeccion:|Importar Datos|Cancelar y Volver"));
    EXPECT_TRUE(cliente(w).isEmpty());
    EXPECT_EQ(momento(w), QDateTime(QDate(2010, 6, 8), QTime(0, 0, 0)));
    // The preview comes from the file: nobody types into it.
    EXPECT_TRUE(hijo<QLineEdit>(w, "Text1")->isReadOnly() && hijo<QDateEdit>(w, "DTPicker1")->isReadOnly() &&
                hijo<QTimeEdit>(w, "DTPicker2")->isReadOnly());
    EXPECT_EQ(w->directorio(), QFileInfo(QDir::currentPath()).canonicalFilePath());
    // One window at a time.
    MostrarAdquirirInf(oficina);
    EXPECT_EQ(AdquirirInf::instancia(), w);

    // Only *.kvd files are listed, whatever their letter case; a click or the keyboard previews one.
    for (const char* n : {"b.kvd", "DATOS.KVD", "notas.txt", "copia.kvd.bak"})
        guardar(QString::fromLatin1(n), cabecera());
    guardar(QStringLiteral("a.kvd"), archivo("12", "77A9"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("carpeta.kvd")));
    ASSERT_TRUE(w->setDirectorio(dir.path()));
    EXPECT_EQ(nombres(w), partes("a.kvd|b.kvd|DATOS.KVD"));
    pulsar(w, QStringLiteral("a.kvd"));
    EXPECT_EQ(cliente(w), QStringLiteral("77A9"));
    EXPECT_EQ(momento(w), QDateTime(QDate(2011, 9, 28), QTime(14, 5, 30)));
    EXPECT_EQ(w->rutaSeleccionada(), dir.filePath(QStringLiteral("a.kvd")));
    pulsar(w, QStringLiteral("DATOS.KVD"));
    QTest::keyClick(lista(w), Qt::Key_Home);
    EXPECT_EQ(cliente(w), QStringLiteral("77A9"));
    const QString captura = QStringLiteral(VELMORA_BUILD_DIR "/capturas/AdquirirInf.png");
    QDir().mkpath(QFileInfo(captura).path());
    EXPECT_TRUE(w->grab().save(captura)); // to look at

    // A preview that fails keeps what it had already written into the boxes.
    guardar(QStringLiteral("hora.kvd"), cabecera("6666", "150312", "1x0000"));
    ASSERT_TRUE(w->setDirectorio(dir.path()));
    pulsar(w, QStringLiteral("hora.kvd"));
    aviso(QStringLiteral("El sistema no puede leer el archivo seleccionado"));
    EXPECT_EQ(cliente(w), QStringLiteral("6666"));
    EXPECT_EQ(momento(w), QDateTime(QDate(2012, 3, 15), QTime(14, 5, 30)));

    QTest::mouseClick(hijo<QPushButton>(w, "Volver"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(AdquirirInf::instancia(), nullptr);
    EXPECT_EQ(mensajes.mensajes().size(), 1);
}

TEST_F(VentanaImportacion, ChangingDirectoryOrDriveSelectsNoFileAndTheListFollowsTheFolder) {
    guardar(QStringLiteral("a.kvd"), cabecera());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const QString sub = dir.filePath(QStringLiteral("sub"));
    escribir(sub, QStringLiteral("otro.kvd"), cabecera("4444"));
    AdquirirInf* w = abrir();
    // Nothing previewed yet: the import asks for a file.
    QTest::mouseClick(importar(w), Qt::LeftButton);
    aviso(QStringLiteral("Seleccione un archivo del directorio"));

    // A drive that cannot be read leaves the lists where they were.
    auto* unidades = hijo<QComboBox>(w, "Drive1");
    const int unidad = unidades->currentIndex();
    unidades->addItem(QStringLiteral("/sin/medio"), QStringLiteral("/sin/medio"));
    unidades->setCurrentIndex(unidades->count() - 1);
    aviso(QStringLiteral("No puede leerse la unidad"), 2);
    EXPECT_EQ(unidades->currentIndex(), unidad);
    EXPECT_EQ(nombres(w), QStringList{QStringLiteral("a.kvd")});

    pulsar(w, QStringLiteral("a.kvd"));
    auto* arbol = hijo<QTreeWidget>(w, "Dir1");
    const QList<QTreeWidgetItem*> subs =
        arbol->findItems(QStringLiteral("sub"), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(subs.size(), 1);
    arbol->setCurrentItem(subs.first());
    QTest::keyClick(arbol, Qt::Key_Return);
    EXPECT_EQ(w->directorio(), QFileInfo(sub).canonicalFilePath());
    EXPECT_EQ(nombres(w), QStringList{QStringLiteral("otro.kvd")});
    // Nothing is selected now: the import asks for a file instead of taking the old preview.
    QTest::mouseClick(importar(w), Qt::LeftButton);
    aviso(QStringLiteral("Seleccione un archivo del directorio"), 3);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("a.kvd"))));

    // Files come and go without reopening the window; the one picked stays picked while it is there.
    pulsar(w, QStringLiteral("otro.kvd"));
    escribir(sub, QStringLiteral("nuevo.kvd"), cabecera());
    EXPECT_TRUE(QTest::qWaitFor([&] { return nombres(w) == partes("nuevo.kvd|otro.kvd"); }, 5000));
    EXPECT_EQ(w->rutaSeleccionada(), QDir(w->directorio()).filePath(QStringLiteral("otro.kvd")));
    QFile::remove(QDir(sub).filePath(QStringLiteral("otro.kvd")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return nombres(w) == partes("nuevo.kvd"); }, 5000));
    EXPECT_TRUE(w->rutaSeleccionada().isEmpty());
    EXPECT_EQ(mensajes.mensajes().size(), 3);
}

TEST_F(VentanaImportacion, ImportsThroughTheOfficeWithTheWindowLockedUntilItEnds) {
    agregarCliente(QStringLiteral("0901"));
    oficina.recargarClientes();
    oficina.seleccionar(idDe(QStringLiteral("0901")));
    ASSERT_TRUE(oficina.infracciones().empty());
    QByteArray d = cabecera("0901");
    for (int i = 0; i < 5000; ++i)
        d += registro('1');
    const QString ruta = guardar(QStringLiteral("0901.kvd"), d);
    AdquirirInf* w = abrir();
    pulsar(w, QStringLiteral("0901.kvd"));
    oficina.establecerUsuario(QStringLiteral("Invitado"));
    EXPECT_FALSE(ImportacionEnCurso());
    bool visto = false;
    // Runs from the import's own event processing, halfway through the rows.
    QTimer::singleShot(0, w, [&] {
        visto = true;
        EXPECT_TRUE(ImportacionEnCurso());
        EXPECT_TRUE(BaseDatosCompartida().enTransaccion());
        for (const char* b : {"Command1", "Volver", "File1", "Dir1", "Drive1"})
            EXPECT_FALSE(hijo(w, b)->isEnabled()) << b;
        w->importar(); // a second start is ignored
        EXPECT_FALSE(w->close());
    });
    // The file is gone before the first notice waits for an answer.
    mensajes.alMostrar([&](const MessageRecorder::Mensaje&) { EXPECT_FALSE(QFile::exists(ruta)); });
    QTest::mouseClick(importar(w), Qt::LeftButton);

    EXPECT_TRUE(visto);
    EXPECT_FALSE(ImportacionEnCurso());
    ASSERT_EQ(mensajes.textos(), kImportado);
    for (const MessageRecorder::Mensaje& m : mensajes.mensajes())
        EXPECT_TRUE(m.titulo == kAviso && m.icono == Icono::Informacion && m.botones == Botones::Aceptar);
    EXPECT_EQ(lista(w)->count(), 0);
    EXPECT_FALSE(w->isVisible());
    const QList<QStringList> filas = infracciones(QStringLiteral("0901"));
    ASSERT_EQ(filas.size(), 5000);
    // The session's user, never a box on a screen.
    EXPECT_EQ(filas.first().at(8), QStringLiteral("Invitado"));
    // The office read the list again: the client is still selected and shows the new rows.
    EXPECT_EQ(oficina.clienteSeleccionado()->numero, QStringLiteral("0901"));
    EXPECT_EQ(oficina.clienteSeleccionado()->ultimaInspeccionFecha, QStringLiteral("28/09/2011"));
    EXPECT_FALSE(oficina.infracciones().empty());
}

TEST_F(VentanaImportacion, AnInvalidChangedOrVanishedFileStoresNothingAndIsShownAgain) {
    agregarCliente(QStringLiteral("0911"));
    agregarCliente(QStringLiteral("0912"));
    const QList<QStringList> antes = clientes(QStringLiteral("0911"));
    const qint64 filasAntes = cantidadInfracciones();
    QByteArray roto = archivo("121", "0911");
    roto[85 + 2 * 25 + 16] = '-';
    guardar(QStringLiteral("roto.kvd"), roto);
    // An unknown client's invalid file is refused before the editor opens.
    guardar(QStringLiteral("nuevo.kvd"), archivo("11", "0952").chopped(3));
    const QString ruta = guardar(QStringLiteral("a.kvd"), archivo("12", "0911"));
    AdquirirInf* w = abrir();
    for (const char* nombre : {"roto.kvd", "nuevo.kvd"}) {
        mensajes.limpiar();
        pulsar(w, QString::fromLatin1(nombre));
        QTest::mouseClick(importar(w), Qt::LeftButton);
        ASSERT_EQ(mensajes.mensajes().size(), 1) << nombre;
        EXPECT_TRUE(
            mensajes.ultimo().texto.startsWith(QStringLiteral("El archivo seleccionado no es válido: ")));
        EXPECT_EQ(mensajes.ultimo().icono, Icono::Exclamacion);
        EXPECT_TRUE(QFile::exists(dir.filePath(QString::fromLatin1(nombre))));
        EXPECT_TRUE(w->isVisible() && importar(w)->isEnabled()) << nombre;
    }
    EXPECT_EQ(frmEdit::instancia(), nullptr);

    // A file removed after the preview.
    mensajes.limpiar();
    guardar(QStringLiteral("b.kvd"), archivo("1", "0911"));
    ASSERT_TRUE(w->setDirectorio(dir.path()));
    pulsar(w, QStringLiteral("b.kvd"));
    QFile::remove(dir.filePath(QStringLiteral("b.kvd")));
    QTest::mouseClick(importar(w), Qt::LeftButton);
    aviso(QStringLiteral("No se puede leer el archivo seleccionado. Verifique que siga en la unidad y "
                         "selecciónelo nuevamente."));

    // Rewritten by someone else between the preview and the click: shown again, nothing stored.
    mensajes.limpiar();
    pulsar(w, QStringLiteral("a.kvd"));
    ASSERT_EQ(cliente(w), QStringLiteral("0911"));
    const QByteArray nuevo =
        cabecera("0912", "150312", "090000") + registro('1') + registro('2') + registro('3');
    guardar(QStringLiteral("a.kvd"), nuevo);
    QTest::mouseClick(importar(w), Qt::LeftButton);
    aviso(QStringLiteral("El archivo seleccionado cambió después de mostrarse sus datos. No se guardó ningún "
                         "dato: revise los datos que se muestran ahora e impórtelo nuevamente."));
    EXPECT_EQ(cantidadInfracciones(), filasAntes);
    EXPECT_EQ(clientes(QStringLiteral("0911")), antes);
    EXPECT_EQ(cliente(w), QStringLiteral("0912"));
    EXPECT_EQ(momento(w), QDateTime(QDate(2012, 3, 15), QTime(9, 0, 0)));
    EXPECT_EQ(w->datosPrevistos(), nuevo);
    EXPECT_TRUE(w->isVisible() && importar(w)->isEnabled());
    // Confirmed as it is now: stored as shown. A search that hides its client does not make it
    // new; a file that cannot be deleted is reported after the rows are stored.
    ASSERT_TRUE(oficina.buscar(QStringLiteral("Nombre"), QStringLiteral("nadie se llama así")));
    ASSERT_EQ(idDe(QStringLiteral("0912")), 0);
    SustituirBorrado([&](const QString& r) {
        EXPECT_EQ(r, ruta);
        EXPECT_EQ(infracciones(QStringLiteral("0912")).size(), 3);
        EXPECT_TRUE(mensajes.mensajes().isEmpty());
        return false;
    });
    mensajes.limpiar();
    QTest::mouseClick(importar(w), Qt::LeftButton);
    ASSERT_EQ(
        mensajes.textos(),
        (QStringList{QStringLiteral("Las infracciones se guardaron en la base de datos, pero el archivo "
                                    "\"%1\" no pudo borrarse. No vuelva a importarlo: sus datos ya "
                                    "están guardados.")
                         .arg(QDir::toNativeSeparators(ruta)),
                     kImportado.at(0)}));
    EXPECT_EQ(mensajes.mensajes().at(0).icono, Icono::Exclamacion);
    EXPECT_EQ(clientes(QStringLiteral("0912")).size(), 1);
    EXPECT_TRUE(infracciones(QStringLiteral("0911")).isEmpty());
    EXPECT_TRUE(QFile::exists(ruta));
}

TEST_F(VentanaImportacion, ANewClientGoesThroughTheEditorFirst) {
    const QString nuevoCliente =
        QStringLiteral("El archivo de infracciones pertenece a un cliente no existente "
                       "en la base de datos, Por Favor Ingresélo a continuación");
    const QString ruta = guardar(QStringLiteral("nuevo.kvd"), archivo("12", "0950"));
    AdquirirInf* w = abrir();
    // Esc or the title bar's close button leave the editor and cancel the import whole; then the
    // client is registered through it.
    for (int paso : {0, 1, 2}) {
        mensajes.limpiar();
        pulsar(w, QStringLiteral("nuevo.kvd"));
        bool visto = false;
        mensajes.alMostrar([&](const MessageRecorder::Mensaje& m) {
            if (m.titulo != QStringLiteral("Cliente Nuevo"))
                return;
            QTimer::singleShot(0, [&] { // inside the editor's modal loop
                frmEdit* e = frmEdit::instancia();
                ASSERT_NE(e, nullptr);
                visto = e->isVisible();
                // Opened on the file's number, date and time.
                EXPECT_EQ(e->windowTitle(), QStringLiteral("Agregar nuevo Cliente"));
                EXPECT_FALSE(hijo(e, "cmdCancelar")->isEnabled() || hijo(e, "Text1_1")->isEnabled());
                EXPECT_EQ(hijo<QLineEdit>(e, "Text1_1")->text(), QStringLiteral("0950"));
                for (const char* p : {"DTPicker1", "DTPicker2", "DTPicker4"})
                    EXPECT_EQ(hijo<QDateEdit>(e, p)->date(), QDate(2011, 9, 28)) << p;
                for (const char* p : {"DTPicker3", "DTPicker5"})
                    EXPECT_EQ(hijo<QTimeEdit>(e, p)->time(), QTime(14, 5, 30)) << p;
                if (paso == 0) {
                    QTest::keyClick(hijo(e, "Text1_2"), Qt::Key_Escape);
                } else if (paso == 1) {
                    e->close();
                } else {
                    for (const char* c : {"Text1_2", "Text1_8", "Text1_13", "Text1_14"})
                        QTest::keyClicks(hijo(e, c), QStringLiteral("Dato O'Nuevo"));
                    QTest::mouseClick(hijo(e, "cmdGuardar"), Qt::LeftButton);
                }
            });
        });
        QTest::mouseClick(importar(w), Qt::LeftButton);
        EXPECT_TRUE(visto) << paso;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(frmEdit::instancia(), nullptr);
        if (paso == 2)
            break;
        EXPECT_EQ(mensajes.textos(),
                  (QStringList{nuevoCliente, QStringLiteral("Importación cancelada: no se guardó ningún "
                                                            "dato. El archivo se conserva.")}));
        EXPECT_EQ(mensajes.ultimo().icono, Icono::Exclamacion);
        EXPECT_TRUE(clientes(QStringLiteral("0950")).isEmpty());
        EXPECT_TRUE(infracciones(QStringLiteral("0950")).isEmpty());
        EXPECT_TRUE(QFile::exists(ruta));
        EXPECT_TRUE(w->isVisible() && importar(w)->isEnabled() && lista(w)->isEnabled() &&
                    !ImportacionEnCurso());
    }
    ASSERT_EQ(mensajes.textos(), QStringList{nuevoCliente} + kImportado);
    EXPECT_EQ(mensajes.mensajes().at(0).icono, Icono::Pregunta);
    EXPECT_EQ(mensajes.mensajes().at(0).botones, Botones::Aceptar);
    const QList<QStringList> c = clientes(QStringLiteral("0950"));
    ASSERT_EQ(c.size(), 1);
    EXPECT_EQ(c.at(0).mid(1, 1) + c.at(0).mid(7, 4), partes("Dato O'Nuevo|20110928|140530|20110928|140530"));
    EXPECT_EQ(infracciones(QStringLiteral("0950")).size(), 2);
    EXPECT_FALSE(QFile::exists(ruta));
    EXPECT_FALSE(w->isVisible());
    EXPECT_GT(idDe(QStringLiteral("0950")), 0); // the office lists it
}

} // namespace
