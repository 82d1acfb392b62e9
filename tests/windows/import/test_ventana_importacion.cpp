// The import window on the office model, driven as a user would, with real files in a temporary
// directory and the message recorder answering every box. What a file holds and how it is stored
// is tested without the window (test_importacion.cpp, test_archivo_inspeccion.cpp, test_oficina.cpp).

#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "MessageRecorder.h"

#include "core/Oficina.h"
#include "windows/editor/EditorCliente.h"
#include "windows/import/VentanaImportacion.h"
#include "windows/platform/Dialogos.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
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

class PruebaImportacion : public ::testing::Test {
protected:
    template <typename T = QWidget> static T* hijo(const QWidget* v, const char* nombre) {
        T* h = v->findChild<T*>(QLatin1String(nombre));
        EXPECT_NE(h, nullptr) << nombre;
        return h;
    }
    QListWidget* lista() const { return hijo<QListWidget>(w, "archivos"); }
    bool habilitada() const {
        return w->isVisible() && hijo(w, "botonImportar")->isEnabled() && lista()->isEnabled();
    }
    void importar() const { QTest::mouseClick(hijo(w, "botonImportar"), Qt::LeftButton); }
    QString cliente() const { return hijo<QLineEdit>(w, "numeroCliente")->text(); }
    QDateTime momento() const { // the preview's date and time
        return {hijo<QDateEdit>(w, "fechaInspeccion")->date(), hijo<QTimeEdit>(w, "horaInspeccion")->time()};
    }

    void SetUp() override {
        oficina.establecerUsuario(QStringLiteral("Administrador"));
        oficina.abrirClientes();
        MostrarVentanaImportacion(oficina);
        ASSERT_NE(w = VentanaImportacion::instancia(), nullptr);
    }
    void TearDown() override {
        delete VentanaImportacion::instancia();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SustituirBorrado(nullptr);
    }

    void mirar() const { ASSERT_TRUE(w->setDirectorio(dir.path())); }
    QString guardar(const QString& nombre, const QByteArray& d) const {
        return escribir(dir.path(), nombre, d);
    }

    void pulsar(const QString& nombre) const {
        const QList<QListWidgetItem*> items = lista()->findItems(nombre, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << nombre.toStdString();
        lista()->doItemsLayout();
        QTest::mouseClick(lista()->viewport(), Qt::LeftButton, {},
                          lista()->visualItemRect(items[0]).center());
    }

    QStringList nombres() const {
        QStringList n;
        for (int i = 0; i < lista()->count(); ++i)
            n << lista()->item(i)->text();
        return n;
    }
    // The only message since the last one looked at is this warning (or starts with it).
    void aviso(const QString& texto, bool comienzo = false) {
        ASSERT_EQ(mensajes.mensajes().size(), 1) << mensajes.textos().join('\n').toStdString();
        const MessageRecorder::Mensaje& m = mensajes.ultimo();
        EXPECT_TRUE((comienzo ? m.texto.startsWith(texto) : m.texto == texto) && m.titulo == kAviso &&
                    m.icono == Icono::Exclamacion)
            << m.texto.toStdString();
        mensajes.limpiar();
    }

    BaseTemporal base;
    Oficina oficina{base.registro()};
    QTemporaryDir dir;
    MessageRecorder mensajes;
    VentanaImportacion* w = nullptr;
};

TEST_F(PruebaImportacion, ListsAndPreviewsKvdFilesAndTheListFollowsTheFolder) {
    EXPECT_TRUE(w->isVisible() && !w->isModal());
    EXPECT_EQ((QStringList{w->windowTitle(), hijo<QLabel>(w, "etiquetaCliente")->text(),
                           hijo<QPushButton>(w, "botonImportar")->text(),
                           hijo<QPushButton>(w, "botonVolver")->text()}),
              partes("Adquirir Datos de Inspección|Numero de Cliente:|Importar Datos|Cancelar y Volver"));
    // The preview comes from the file: nobody types into it.
    EXPECT_TRUE(hijo<QLineEdit>(w, "numeroCliente")->isReadOnly() &&
                hijo<QDateEdit>(w, "fechaInspeccion")->isReadOnly() &&
                hijo<QTimeEdit>(w, "horaInspeccion")->isReadOnly() && cliente().isEmpty());
    EXPECT_EQ(w->directorio(), QFileInfo(QDir::currentPath()).canonicalFilePath());
    MostrarVentanaImportacion(oficina); // one window at a time
    EXPECT_EQ(VentanaImportacion::instancia(), w);
    // Only *.kvd files are listed, whatever their letter case; a click or the keyboard previews one.
    for (const char* n : {"b.kvd", "DATOS.KVD", "notas.txt", "copia.kvd.bak"})
        guardar(QString::fromLatin1(n), cabecera());
    guardar("a.kvd", archivo("12", "77A9"));
    guardar("hora.kvd", cabecera("6666", "150312", "1x0000"));
    const QString sub = dir.filePath(QStringLiteral("sub.kvd"));
    ASSERT_TRUE(QDir().mkdir(sub));
    escribir(sub, "otro.kvd", cabecera("4444"));
    mirar();
    EXPECT_EQ(nombres(), partes("a.kvd|b.kvd|DATOS.KVD|hora.kvd"));
    const QString seleccione = QStringLiteral("Seleccione un archivo del directorio");
    importar(); // nothing previewed yet
    aviso(seleccione);
    pulsar("a.kvd");
    EXPECT_EQ(momento(), QDateTime(QDate(2011, 9, 28), QTime(14, 5, 30)));
    EXPECT_EQ(w->rutaSeleccionada(), dir.filePath(QStringLiteral("a.kvd")));
    pulsar("DATOS.KVD");
    QTest::keyClick(lista(), Qt::Key_Home);
    EXPECT_EQ(cliente(), "77A9");
    // A preview that fails keeps what it had already written into the boxes.
    pulsar("hora.kvd");
    aviso(QStringLiteral("El sistema no puede leer el archivo seleccionado"));
    EXPECT_EQ(cliente(), "6666");
    EXPECT_EQ(momento(), QDateTime(QDate(2012, 3, 15), QTime(14, 5, 30)));
    // A drive that cannot be read leaves the lists where they were.
    auto* unidades = hijo<QComboBox>(w, "unidades");
    const int unidad = unidades->currentIndex();
    unidades->addItem(QStringLiteral("/sin/medio"), QStringLiteral("/sin/medio"));
    unidades->setCurrentIndex(unidades->count() - 1);
    aviso(QStringLiteral("No puede leerse la unidad"));
    EXPECT_EQ(unidades->currentIndex(), unidad);
    EXPECT_EQ(nombres().size(), 4);
    // Another folder: nothing is selected, so the import asks for a file instead of taking the old
    // preview.
    pulsar("a.kvd");
    auto* arbol = hijo<QTreeWidget>(w, "directorios");
    const auto subs = arbol->findItems(QStringLiteral("sub.kvd"), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(subs.size(), 1);
    arbol->setCurrentItem(subs.first());
    QTest::keyClick(arbol, Qt::Key_Return);
    EXPECT_EQ(w->directorio(), QFileInfo(sub).canonicalFilePath());
    EXPECT_EQ(nombres(), partes("otro.kvd"));
    importar();
    aviso(seleccione);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("a.kvd"))));
    // Files come and go without reopening the window; the one picked stays picked while it is there.
    pulsar("otro.kvd");
    escribir(sub, "nuevo.kvd", cabecera());
    EXPECT_TRUE(QTest::qWaitFor([&] { return nombres() == partes("nuevo.kvd|otro.kvd"); }, 5000));
    EXPECT_EQ(w->rutaSeleccionada(), QDir(w->directorio()).filePath(QStringLiteral("otro.kvd")));
    QFile::remove(QDir(sub).filePath(QStringLiteral("otro.kvd")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return nombres() == partes("nuevo.kvd"); }, 5000));
    EXPECT_TRUE(w->rutaSeleccionada().isEmpty() && mensajes.mensajes().isEmpty());

    QTest::mouseClick(hijo(w, "botonVolver"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(VentanaImportacion::instancia(), nullptr);
}

TEST_F(PruebaImportacion, ImportsThroughTheOfficeWithTheWindowLockedUntilItEnds) {
    agregarCliente(base.registro(), QStringLiteral("0901"));
    QByteArray d = cabecera("0901");
    for (int i = 0; i < 5000; ++i)
        d += registro('1');
    const QString ruta = guardar("0901.kvd", d);
    mirar();
    pulsar("0901.kvd");
    oficina.establecerUsuario(QStringLiteral("Invitado"));
    bool visto = false;
    // Runs from the import's own event processing, halfway through the rows.
    QTimer::singleShot(0, w, [&] {
        visto = ImportacionEnCurso() && base.registro().enTransaccion();
        for (const char* b : {"botonImportar", "botonVolver", "archivos", "directorios", "unidades"})
            EXPECT_FALSE(hijo(w, b)->isEnabled()) << b;
        w->importar(); // a second start is ignored
        EXPECT_FALSE(w->close());
    });
    // The file is gone before the first notice waits for an answer.
    mensajes.alMostrar([&](const MessageRecorder::Mensaje&) { EXPECT_FALSE(QFile::exists(ruta)); });
    importar();
    EXPECT_TRUE(visto);
    EXPECT_FALSE(ImportacionEnCurso());
    ASSERT_EQ(mensajes.textos(), kImportado);
    for (const MessageRecorder::Mensaje& m : mensajes.mensajes())
        EXPECT_TRUE(m.titulo == kAviso && m.icono == Icono::Informacion && m.botones == Botones::Aceptar);
    EXPECT_FALSE(w->isVisible());
    const QList<QStringList> filas = infracciones(base.registro(), QStringLiteral("0901"));
    ASSERT_EQ(filas.size(), 5000);
    EXPECT_EQ(filas.first().at(8), "Invitado"); // the session's user, never a box on a screen
}

TEST_F(PruebaImportacion, CancellingFromTheProgressStoresNothingAndKeepsTheFile) {
    agregarCliente(base.registro(), QStringLiteral("0902"));
    const QString ruta = guardar("0902.kvd", archivo("1213", "0902"));
    mirar();
    pulsar("0902.kvd");
    bool visto = false;
    // Runs from the import's own event processing, before the commit.
    QTimer::singleShot(0, w, [&] {
        auto* progreso = w->findChild<QProgressDialog*>(QStringLiteral("Progreso"));
        ASSERT_NE(progreso, nullptr);
        visto =
            progreso->isModal() && !progreso->accessibleName().isEmpty() && base.registro().enTransaccion();
        progreso->cancel();
    });
    importar();
    EXPECT_TRUE(visto);
    aviso(QStringLiteral("Importación cancelada: no se guardó ningún dato. El archivo se conserva."));
    EXPECT_FALSE(base.registro().enTransaccion());
    EXPECT_TRUE(infracciones(base.registro(), QStringLiteral("0902")).isEmpty());
    EXPECT_TRUE(QFile::exists(ruta));
    EXPECT_TRUE(habilitada()); // open, for another try
    EXPECT_EQ(w->findChild<QProgressDialog*>(), nullptr);
}

TEST_F(PruebaImportacion, AnInvalidChangedOrVanishedFileStoresNothingAndIsShownAgain) {
    agregarCliente(base.registro(), QStringLiteral("0911"));
    agregarCliente(base.registro(), QStringLiteral("0912"));
    const QList<QStringList> antes = clientes(base.registro(), QStringLiteral("0911"));
    const qint64 filasAntes = cantidadInfracciones(base.registro());
    guardar("nuevo.kvd", archivo("11", "0952").chopped(3)); // an unknown client's: no editor either
    guardar("b.kvd", archivo("1", "0911"));
    const QString ruta = guardar("a.kvd", archivo("12", "0911"));
    mirar();
    pulsar("nuevo.kvd");
    importar();
    aviso(QStringLiteral("El archivo seleccionado no es válido: "), true);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("nuevo.kvd"))) && habilitada());
    EXPECT_EQ(EditorCliente::instancia(), nullptr);

    pulsar("b.kvd");
    QFile::remove(dir.filePath(QStringLiteral("b.kvd")));
    importar();
    aviso(QStringLiteral("No se puede leer el archivo seleccionado. Verifique que siga en la unidad y "
                         "selecciónelo nuevamente."));
    // Rewritten by someone else between the preview and the click: shown again, nothing stored.
    pulsar("a.kvd");
    ASSERT_EQ(cliente(), "0911");
    const QByteArray nuevo =
        cabecera("0912", "150312", "090000") + registro('1') + registro('2') + registro('3');
    guardar("a.kvd", nuevo);
    importar();
    aviso(QStringLiteral("El archivo seleccionado cambió después de mostrarse sus datos. No se guardó ningún "
                         "dato: revise los datos que se muestran ahora e impórtelo nuevamente."));
    EXPECT_EQ(cantidadInfracciones(base.registro()), filasAntes);
    EXPECT_EQ(clientes(base.registro(), QStringLiteral("0911")), antes);
    EXPECT_EQ(cliente(), "0912");
    EXPECT_EQ(momento(), QDateTime(QDate(2012, 3, 15), QTime(9, 0, 0)));
    EXPECT_EQ(w->datosPrevistos(), nuevo);
    EXPECT_TRUE(habilitada());
    // Confirmed as it is now: stored as shown. A search that hides its client does not make it
    // new; a file that cannot be deleted is reported after the rows are stored.
    ASSERT_TRUE(oficina.buscar(QStringLiteral("Nombre"), QStringLiteral("nadie se llama así")));
    SustituirBorrado([&](const QString& r) {
        EXPECT_EQ(r, ruta);
        EXPECT_EQ(infracciones(base.registro(), QStringLiteral("0912")).size(), 3);
        EXPECT_TRUE(mensajes.mensajes().isEmpty());
        return false;
    });
    importar();
    ASSERT_EQ(
        mensajes.textos(),
        (QStringList{QStringLiteral("Las infracciones se guardaron en la base de datos, pero el archivo "
                                    "\"%1\" no pudo borrarse. No vuelva a importarlo: sus datos ya "
                                    "están guardados.")
                         .arg(QDir::toNativeSeparators(ruta)),
                     kImportado.at(0)}));
    EXPECT_EQ(mensajes.mensajes().at(0).icono, Icono::Exclamacion);
    EXPECT_EQ(clientes(base.registro(), QStringLiteral("0912")).size(), 1);
    EXPECT_TRUE(infracciones(base.registro(), QStringLiteral("0911")).isEmpty() && QFile::exists(ruta));
}

TEST_F(PruebaImportacion, ANewClientGoesThroughTheEditorFirst) {
    const QString nuevoCliente =
        QStringLiteral("El archivo de infracciones pertenece a un cliente no existente "
                       "en la base de datos, Por Favor Ingresélo a continuación");
    const QString ruta = guardar("nuevo.kvd", archivo("12", "0950"));
    mirar();
    // Esc or the title bar's close button leave the editor and cancel the import whole; then the
    // client is registered through it, on the file's number, date and time.
    for (int paso : {0, 1, 2}) {
        pulsar("nuevo.kvd");
        bool visto = false;
        mensajes.alMostrar([&](const MessageRecorder::Mensaje& m) {
            if (m.titulo != QStringLiteral("Cliente Nuevo"))
                return;
            QTimer::singleShot(0, [&] { // inside the editor's modal loop
                EditorCliente* e = EditorCliente::instancia();
                ASSERT_NE(e, nullptr);
                visto = e->isVisible();
                EXPECT_FALSE(hijo(e, "botonCancelar")->isEnabled() || hijo(e, "numeroCliente")->isEnabled());
                if (paso == 0) {
                    QTest::keyClick(hijo(e, "nombreResponsable"), Qt::Key_Escape);
                } else if (paso == 1) {
                    e->close();
                } else {
                    for (const char* c : {"nombreResponsable", "telefono", "nombreLocal", "direccionLocal"})
                        QTest::keyClicks(hijo(e, c), QStringLiteral("Dato O'Nuevo"));
                    QTest::mouseClick(hijo(e, "botonGuardar"), Qt::LeftButton);
                }
            });
        });
        importar();
        EXPECT_TRUE(visto) << paso;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(EditorCliente::instancia(), nullptr);
        if (paso == 2)
            break;
        EXPECT_EQ(mensajes.textos(),
                  (QStringList{nuevoCliente, QStringLiteral("Importación cancelada: no se "
                                                            "guardó ningún dato. El archivo "
                                                            "se conserva.")}));
        EXPECT_EQ(mensajes.ultimo().icono, Icono::Exclamacion);
        mensajes.limpiar();
        EXPECT_TRUE(clientes(base.registro(), QStringLiteral("0950")).isEmpty() &&
                    infracciones(base.registro(), QStringLiteral("0950")).isEmpty());
        EXPECT_TRUE(QFile::exists(ruta) && habilitada() && !ImportacionEnCurso());
    }
    ASSERT_EQ(mensajes.textos(), QStringList{nuevoCliente} + kImportado);
    EXPECT_EQ(mensajes.mensajes().at(0).icono, Icono::Pregunta);
    const QList<QStringList> c = clientes(base.registro(), QStringLiteral("0950"));
    ASSERT_EQ(c.size(), 1);
    EXPECT_EQ(c.at(0).mid(1, 1) + c.at(0).mid(7, 4), partes("Dato O'Nuevo|20110928|140530|20110928|140530"));
    EXPECT_EQ(infracciones(base.registro(), QStringLiteral("0950")).size(), 2);
    // The window closed itself after the import (and went with the deferred deletions).
    EXPECT_FALSE(QFile::exists(ruta) || VentanaImportacion::instancia());
    w = nullptr;
    EXPECT_TRUE(std::ranges::any_of(oficina.filasClientes(), [](const QStringList& f) {
        return f.value(1) == "0950";
    })) << "the office lists it";
}

} // namespace
