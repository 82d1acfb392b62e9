// The import window driven as a user would, with the main window open, real files in a
// temporary directory and the message recorder answering every box.

#include "BaseTemporal.h"
#include "MessageRecorder.h"
#include "test_importacion_archivos.h"

#include "accounts/Sesion.h"
#include "clients/FrmDatos.h"
#include "clients/frmEdit.h"
#include "grid/GridModel.h"
#include "import/AdquirirInf.h"
#include "platform/Dialogos.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
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
    static void SetUpTestSuite() {
        base = new BaseTemporal();
        UsuarioActual = QStringLiteral("Administrador");
        MessageRecorder bienvenida;
        FrmDatos::Mostrar();
    }
    static void TearDownTestSuite() {
        delete FrmDatos::instancia();
        delete base;
        base = nullptr;
        UsuarioActual.clear();
    }

    void TearDown() override {
        delete AdquirirInf::instancia();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SustituirBorrado(nullptr);
        principal()->Text1->clear(); // no search left behind for the next test
    }

    static FrmDatos* principal() { return FrmDatos::instancia(); }

    // Opens the window on the test's directory.
    AdquirirInf* abrir() {
        MostrarAdquirirInf();
        AdquirirInf* w = AdquirirInf::instancia();
        EXPECT_TRUE(w->setDirectorio(dir.path()));
        return w;
    }

    QString guardar(const QString& nombre, const QByteArray& datos) {
        return escribir(dir.path(), nombre, datos);
    }

    static void pulsar(AdquirirInf* w, const QString& nombre) {
        const QList<QListWidgetItem*> items = w->File1->findItems(nombre, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << nombre.toStdString();
        w->File1->doItemsLayout();
        QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, {},
                          w->File1->visualItemRect(items.first()).center());
    }

    static QStringList nombres(const QListWidget* lista) {
        QStringList n;
        for (int i = 0; i < lista->count(); ++i)
            n << lista->item(i)->text();
        return n;
    }

    // The client row of the main window's list with that number, or -1.
    static int filaCliente(const QString& numero) {
        const GridModel* flex = principal()->flex;
        for (int f = 1; f < flex->rows(); ++f)
            if (flex->textMatrix(f, 1) == numero)
                return f;
        return -1;
    }

    // The last message is a warning with that text, the n-th of the test.
    void aviso(const QString& texto, int n = 1) {
        ASSERT_EQ(mensajes.mensajes().size(), n) << mensajes.textos().join('\n').toStdString();
        EXPECT_EQ(mensajes.ultimo().texto, texto);
        EXPECT_EQ(mensajes.ultimo().titulo, kAviso);
        EXPECT_EQ(mensajes.ultimo().icono, Icono::Exclamacion);
        EXPECT_EQ(mensajes.ultimo().botones, Botones::Aceptar);
    }

    // The last message refuses the file and says why, the n-th of the test.
    void noValido(const QString& porque, int n = 1) {
        ASSERT_EQ(mensajes.mensajes().size(), n) << mensajes.textos().join('\n').toStdString();
        aviso(mensajes.ultimo().texto, n);
        EXPECT_TRUE(
            mensajes.ultimo().texto.startsWith(QStringLiteral("El archivo seleccionado no es válido: ")));
        EXPECT_TRUE(mensajes.ultimo().texto.contains(porque)) << mensajes.ultimo().texto.toStdString();
    }

    static inline BaseTemporal* base = nullptr;
    QTemporaryDir dir;
    MessageRecorder mensajes;
};

TEST_F(VentanaImportacion, OpensOnTheCurrentDirectoryThenListsAndPreviewsKvdFiles) {
    MostrarAdquirirInf();
    AdquirirInf* w = AdquirirInf::instancia();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ((QStringList{w->windowTitle(), w->Frame1->title(), w->Frame2->title(), w->Label1->text(),
                           w->Label5->text(), w->Command1->text(), w->Volver->text()}),
              partes("Adquirir Datos de Inspección|Ubicacion de los Archivos de Datos|Datos Preliminares|"
                     "Numero de Cliente:|Fecha y Hora de la Inspeccion:|Importar Datos|Cancelar y Volver"));
    EXPECT_TRUE(w->Text1->text().isEmpty());
    EXPECT_EQ(w->DTPicker1->date(), QDate(2010, 6, 8));
    EXPECT_EQ(w->DTPicker2->time(), QTime(0, 0, 0));
    // The preview comes from the file: nobody types into it.
    EXPECT_TRUE(w->Text1->isReadOnly() && w->DTPicker1->isReadOnly() && w->DTPicker2->isReadOnly());
    EXPECT_EQ(w->findChild<QLineEdit*>(QStringLiteral("Text1")), w->Text1);

    EXPECT_EQ(w->directorio(), QFileInfo(QDir::currentPath()).canonicalFilePath());
    EXPECT_EQ(w->Drive1->currentData().toString(), QStorageInfo(QDir::currentPath()).rootPath());
    EXPECT_EQ(w->Dir1->currentItem()->data(0, Qt::UserRole).toString(), w->directorio());

    // One window at a time.
    MostrarAdquirirInf();
    EXPECT_EQ(AdquirirInf::instancia(), w);

    // Only *.kvd files are listed, whatever their letter case; a click or the keyboard previews one.
    for (const char* n : {"b.kvd", "DATOS.KVD", "Mezcla.Kvd", "notas.txt", "copia.kvd.bak", "kvd"})
        guardar(QString::fromLatin1(n), cabecera());
    guardar(QStringLiteral("a.kvd"), archivo("12", "77A9"));
    guardar(QStringLiteral("siglo.kvd"), cabecera("0123", "010199", "235959"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("carpeta.kvd")));
    ASSERT_TRUE(w->setDirectorio(dir.path()));
    EXPECT_EQ(nombres(w->File1), partes("a.kvd|b.kvd|DATOS.KVD|Mezcla.Kvd|siglo.kvd"));
    EXPECT_EQ(w->File1->selectedItems().size(), 0);

    pulsar(w, QStringLiteral("a.kvd"));
    EXPECT_EQ(w->Text1->text(), QStringLiteral("77A9"));
    EXPECT_EQ(w->DTPicker1->date(), QDate(2011, 9, 28));
    EXPECT_EQ(w->DTPicker2->time(), QTime(14, 5, 30));
    EXPECT_EQ(w->rutaSeleccionada(), dir.filePath(QStringLiteral("a.kvd")));
    pulsar(w, QStringLiteral("DATOS.KVD"));
    EXPECT_EQ(w->Text1->text(), QStringLiteral("0123"));
    pulsar(w, QStringLiteral("siglo.kvd"));
    EXPECT_EQ(w->DTPicker1->date(), QDate(2099, 1, 1));
    EXPECT_EQ(w->DTPicker2->time(), QTime(23, 59, 59));
    // Keyboard selection previews as well.
    QTest::keyClick(w->File1, Qt::Key_Home);
    EXPECT_EQ(w->Text1->text(), QStringLiteral("77A9"));
    const QString captura = QStringLiteral(VELMORA_BUILD_DIR "/capturas/AdquirirInf.png");
    QDir().mkpath(QFileInfo(captura).path());
    EXPECT_TRUE(w->grab().save(captura)); // to look at

    QTest::mouseClick(w->Volver, Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(AdquirirInf::instancia(), nullptr);
    EXPECT_TRUE(mensajes.mensajes().isEmpty());
}

TEST_F(VentanaImportacion, APreviewFailureKeepsWhatWasAlreadyWritten) {
    guardar(QStringLiteral("bueno.kvd"), cabecera());
    guardar(QStringLiteral("corto.kvd"), QByteArray("9876543210"));
    guardar(QStringLiteral("diminuto.kvd"), QByteArray("45"));
    guardar(QStringLiteral("fecha.kvd"), cabecera("5555", "28ab11", "101010"));
    guardar(QStringLiteral("hora.kvd"), cabecera("6666", "150312", "1x0000"));
    guardar(QStringLiteral("mes.kvd"), cabecera("7777", "311311", "101010")); // month 13
    AdquirirInf* w = abrir();
    pulsar(w, QStringLiteral("bueno.kvd"));
    ASSERT_TRUE(mensajes.mensajes().isEmpty());

    const auto fallo = [&](const char* nombre, const char* cliente, const QDate& fecha) {
        mensajes.limpiar();
        pulsar(w, QString::fromLatin1(nombre));
        aviso(QStringLiteral("El sistema no puede leer el archivo seleccionado"));
        EXPECT_EQ(w->Text1->text(), QString::fromLatin1(cliente)) << nombre;
        EXPECT_EQ(w->DTPicker1->date(), fecha) << nombre;
        EXPECT_EQ(w->DTPicker2->time(), QTime(14, 5, 30)) << nombre;
    };
    fallo("corto.kvd", "9876", QDate(2011, 9, 28));
    fallo("diminuto.kvd", "45", QDate(2011, 9, 28));
    fallo("fecha.kvd", "5555", QDate(2011, 9, 28));
    fallo("mes.kvd", "7777", QDate(2011, 9, 28));
    // Only the time is wrong: the date has already been taken.
    fallo("hora.kvd", "6666", QDate(2012, 3, 15));
    // A file removed after it was listed.
    QFile::remove(dir.filePath(QStringLiteral("bueno.kvd")));
    fallo("bueno.kvd", "", QDate(2012, 3, 15));
}

TEST_F(VentanaImportacion, ChangingDirectoryOrDriveSelectsNoFileAndTheListFollowsTheFolder) {
    guardar(QStringLiteral("a.kvd"), cabecera());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    escribir(dir.filePath(QStringLiteral("sub")), QStringLiteral("otro.kvd"), cabecera("4444"));
    AdquirirInf* w = abrir();
    // Nothing previewed yet: the import asks for a file.
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    aviso(QStringLiteral("Seleccione un archivo del directorio"));

    // A drive that cannot be read leaves the lists where they were.
    const int unidad = w->Drive1->currentIndex();
    w->Drive1->addItem(QStringLiteral("/sin/medio"), QStringLiteral("/sin/medio"));
    w->Drive1->setCurrentIndex(w->Drive1->count() - 1);
    aviso(QStringLiteral("No puede leerse la unidad"), 2);
    EXPECT_EQ(w->Drive1->currentIndex(), unidad);
    EXPECT_EQ(w->directorio(), QFileInfo(dir.path()).canonicalFilePath());
    EXPECT_EQ(nombres(w->File1), QStringList{QStringLiteral("a.kvd")});

    pulsar(w, QStringLiteral("a.kvd"));
    QTreeWidgetItem* sub = nullptr;
    for (QTreeWidgetItemIterator it(w->Dir1); *it; ++it)
        if ((*it)->text(0) == QStringLiteral("sub"))
            sub = *it;
    ASSERT_NE(sub, nullptr);
    w->Dir1->setCurrentItem(sub);
    QTest::keyClick(w->Dir1, Qt::Key_Return);
    EXPECT_EQ(w->directorio(), QFileInfo(dir.filePath(QStringLiteral("sub"))).canonicalFilePath());
    EXPECT_EQ(nombres(w->File1), QStringList{QStringLiteral("otro.kvd")});
    EXPECT_TRUE(w->rutaSeleccionada().isEmpty());
    EXPECT_EQ(w->Text1->text(), QStringLiteral("0123"));

    // Nothing is selected now: the import asks for a file instead of taking the old preview.
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    aviso(QStringLiteral("Seleccione un archivo del directorio"), 3);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("a.kvd"))));

    // Files come and go without reopening the window; the one picked stays picked while it is there.
    const QString sub2 = dir.filePath(QStringLiteral("sub"));
    pulsar(w, QStringLiteral("otro.kvd"));
    escribir(sub2, QStringLiteral("nuevo.kvd"), cabecera());
    EXPECT_TRUE(QTest::qWaitFor([&] { return nombres(w->File1).size() == 2; }, 5000));
    EXPECT_EQ(nombres(w->File1), partes("nuevo.kvd|otro.kvd"));
    EXPECT_EQ(w->rutaSeleccionada(), QDir(w->directorio()).filePath(QStringLiteral("otro.kvd")));
    QFile::remove(QDir(sub2).filePath(QStringLiteral("otro.kvd")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return nombres(w->File1) == partes("nuevo.kvd"); }, 5000));
    EXPECT_TRUE(w->rutaSeleccionada().isEmpty());
    EXPECT_EQ(mensajes.mensajes().size(), 3);
}

TEST_F(VentanaImportacion, ImportsAKnownClientEndToEnd) {
    agregarCliente(QStringLiteral("0901"));
    const QString ruta = guardar(QStringLiteral("0901.kvd"), archivo("12081", "0901"));
    // Make the list show the new client, and select it.
    principal()->Text1->setText(QStringLiteral("x"));
    principal()->Text1->clear();
    ASSERT_GT(filaCliente(QStringLiteral("0901")), 0);
    principal()->flex->setRow(filaCliente(QStringLiteral("0901")));
    ASSERT_EQ(principal()->flex2->rows(), 1);
    AdquirirInf* w = abrir();
    pulsar(w, QStringLiteral("0901.kvd"));
    // The inspector is the login's user, whatever the box on the screen was made to say.
    UsuarioActual = QStringLiteral("Invitado");
    const QString usuarioEnPantalla = principal()->Usuario->text();
    principal()->Usuario->setText(QStringLiteral("Administrador"));
    // The file is gone before the first notice waits for an answer.
    mensajes.alMostrar([&](const MessageRecorder::Mensaje&) { EXPECT_FALSE(QFile::exists(ruta)); });
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    UsuarioActual = QStringLiteral("Administrador");
    principal()->Usuario->setText(usuarioEnPantalla);

    ASSERT_EQ(mensajes.textos(), kImportado);
    for (const MessageRecorder::Mensaje& m : mensajes.mensajes()) {
        EXPECT_EQ(m.titulo, kAviso);
        EXPECT_EQ(m.icono, Icono::Informacion);
        EXPECT_EQ(m.botones, Botones::Aceptar);
    }
    EXPECT_FALSE(QFile::exists(ruta));
    EXPECT_EQ(w->File1->count(), 0);
    EXPECT_FALSE(w->isVisible());

    EXPECT_EQ(clientes(QStringLiteral("0901")), QList<QStringList>{clienteImportado(QStringLiteral("0901"))});
    QStringList estatus;
    for (const QStringList& f : infracciones(QStringLiteral("0901"))) {
        EXPECT_EQ(f.at(8), QStringLiteral("Invitado"));
        estatus << f.at(4);
    }
    EXPECT_EQ(estatus, partes("D. JOCKEY|L. SHOW|MIC. DESC.||D. JOCKEY"));
    EXPECT_EQ(contadoresGuardados(QStringLiteral("0901")), partes("1|1|BLOQ.||2"));

    // The client list shows the new inspection without any further action, still selected, and
    // its infraction view shows the new rows.
    const int fila = filaCliente(QStringLiteral("0901"));
    ASSERT_GT(fila, 0);
    EXPECT_EQ((QStringList{principal()->flex->textMatrix(fila, 19), principal()->flex->textMatrix(fila, 20),
                           principal()->flex->textMatrix(fila, 21), principal()->flex->textMatrix(fila, 22)}),
              partes("28/09/2011|14:05:30|05/01/2011|10:10:10"));
    EXPECT_EQ(principal()->flex->row(), fila);
    int mostradas = 0;
    for (int f = 1; f < principal()->flex2->rows(); ++f)
        mostradas += principal()->flex2->textMatrix(f, 1) == QStringLiteral("0901");
    EXPECT_EQ(mostradas, 5);
}

TEST_F(VentanaImportacion, ASearchThatHidesTheClientDoesNotMakeItNew) {
    agregarCliente(QStringLiteral("0902"), QStringLiteral("Zoilo"));
    principal()->Combo1->setCurrentText(QStringLiteral("Nombre"));
    principal()->Text1->setText(QStringLiteral("nadie se llama así"));
    ASSERT_EQ(filaCliente(QStringLiteral("0902")), -1);

    guardar(QStringLiteral("z.kvd"), archivo("1", "0902"));
    AdquirirInf* w = abrir();
    pulsar(w, QStringLiteral("z.kvd"));
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    EXPECT_EQ(mensajes.textos(), kImportado);
    const QList<QStringList> c = clientes(QStringLiteral("0902"));
    ASSERT_EQ(c.size(), 1); // not registered a second time
    EXPECT_EQ(c.at(0).at(7), QStringLiteral("20110928"));
    EXPECT_EQ(infracciones(QStringLiteral("0902")).size(), 1);
    // The search still narrows the list after the refresh.
    EXPECT_EQ(filaCliente(QStringLiteral("0902")), -1);
    principal()->Text1->clear();
    EXPECT_GT(filaCliente(QStringLiteral("0902")), 0);
}

TEST_F(VentanaImportacion, AnInvalidOrVanishedFileStoresNothingAndStaysOnDisk) {
    agregarCliente(QStringLiteral("0903"));
    const QList<QStringList> antes = clientes(QStringLiteral("0903"));
    const qint64 filasAntes = cantidadInfracciones();
    const auto roto = [&](const char* nombre, QByteArray d, qsizetype posicion, char c) {
        if (posicion < 0)
            d.chop(-posicion); // the last record ends before its byte 23
        else
            d[posicion] = c;
        guardar(QString::fromLatin1(nombre), d);
    };
    roto("cortado.kvd", archivo("1212", "0903"), -2, 0);
    roto("cabecera.kvd", archivo("12", "0903"), 83, ' ');
    roto("estatus.kvd", archivo("121", "0903"), 85 + 2 * 25 + 16, '-');
    roto("nuevo.kvd", archivo("11", "0952"), -3, 0); // an unknown client: refused before the editor opens
    AdquirirInf* w = abrir();

    const std::pair<const char*, const char*> porque[] = {
        {"cortado.kvd", "el registro 4 (byte 160) está incompleto"},
        {"cabecera.kvd", "terminador"},
        {"estatus.kvd", "carácter no numérico en el byte 151 del registro 3"},
        {"nuevo.kvd", "el registro 2 (byte 110) está incompleto"}};
    for (const auto& [nombre, texto] : porque) {
        mensajes.limpiar();
        pulsar(w, QString::fromLatin1(nombre));
        ASSERT_TRUE(mensajes.mensajes().isEmpty()) << nombre;
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        noValido(QString::fromUtf8(texto));
        EXPECT_TRUE(QFile::exists(dir.filePath(QString::fromLatin1(nombre))));
        EXPECT_TRUE(w->isVisible() && w->Command1->isEnabled() && w->Volver->isEnabled()) << nombre;
    }
    EXPECT_FALSE(frmEdit::existe());

    // Valid records but a preview time that cannot be read: not imported with another file's date.
    guardar(QStringLiteral("hora.kvd"), cabecera("0903", "150312", "1x0000") + registro('1'));
    w->setDirectorio(dir.path());
    mensajes.limpiar();
    pulsar(w, QStringLiteral("cortado.kvd"));
    pulsar(w, QStringLiteral("hora.kvd"));
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    noValido(QStringLiteral("la hora de la inspección \"1x:00:00\" (bytes 10 a 15)"), 2);

    // A file removed after the preview.
    mensajes.limpiar();
    guardar(QStringLiteral("a.kvd"), archivo("1", "0903"));
    w->setDirectorio(dir.path());
    pulsar(w, QStringLiteral("a.kvd"));
    QFile::remove(dir.filePath(QStringLiteral("a.kvd")));
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_TRUE(
        mensajes.ultimo().texto.startsWith(QStringLiteral("No se puede leer el archivo seleccionado")));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Exclamacion);
    EXPECT_TRUE(w->isVisible());

    EXPECT_EQ(cantidadInfracciones(), filasAntes);
    EXPECT_EQ(clientes(QStringLiteral("0903")), antes);
    EXPECT_TRUE(clientes(QStringLiteral("0952")).isEmpty());
}

TEST_F(VentanaImportacion, AFileThatCannotBeDeletedIsReportedAfterTheDataIsStored) {
    agregarCliente(QStringLiteral("0905"));
    const QString ruta = guardar(QStringLiteral("a.kvd"), archivo("11", "0905"));
    QStringList intentos;
    SustituirBorrado([&](const QString& r) {
        intentos << r;
        // The rows are already committed when the deletion is tried.
        EXPECT_EQ(infracciones(QStringLiteral("0905")).size(), 2);
        EXPECT_FALSE(BaseDatosCompartida().enTransaccion());
        EXPECT_TRUE(mensajes.mensajes().isEmpty());
        return false;
    });
    AdquirirInf* w = abrir();
    pulsar(w, QStringLiteral("a.kvd"));
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    EXPECT_EQ(intentos, QStringList{ruta});
    // The stored rows are announced; a deletion that did not happen is not.
    ASSERT_EQ(mensajes.mensajes().size(), 2);
    EXPECT_EQ(mensajes.textos().at(1), kImportado.at(0));
    const MessageRecorder::Mensaje& m = mensajes.mensajes().at(0);
    EXPECT_TRUE(m.texto.contains(QStringLiteral("se guardaron")));
    EXPECT_TRUE(m.texto.contains(QStringLiteral("No vuelva a importarlo")));
    EXPECT_TRUE(m.texto.contains(QDir::toNativeSeparators(ruta)));
    EXPECT_EQ(m.titulo, kAviso);
    EXPECT_EQ(m.icono, Icono::Exclamacion);
    EXPECT_TRUE(QFile::exists(ruta));
    EXPECT_EQ(infracciones(QStringLiteral("0905")).size(), 2);
}

TEST_F(VentanaImportacion, ButtonsAreDisabledWhileALongImportRuns) {
    agregarCliente(QStringLiteral("0906"));
    QByteArray d = cabecera("0906");
    for (int i = 0; i < 5000; ++i)
        d += registro('1');
    guardar(QStringLiteral("largo.kvd"), d);
    AdquirirInf* w = abrir();
    pulsar(w, QStringLiteral("largo.kvd"));

    bool visto = false;
    // Runs from the import's own event processing, halfway through the rows.
    QTimer::singleShot(0, w, [&] {
        visto = true;
        EXPECT_TRUE(w->importando());
        EXPECT_TRUE(BaseDatosCompartida().enTransaccion());
        EXPECT_FALSE(w->Command1->isEnabled() || w->Volver->isEnabled() || w->File1->isEnabled());
        w->importar(); // a second start is ignored
        EXPECT_FALSE(w->close());
        EXPECT_FALSE(FrmDatos::instancia()->close()); // nor does the main window
        EXPECT_TRUE(mensajes.mensajes().isEmpty());
    });
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    EXPECT_TRUE(visto);
    EXPECT_EQ(infracciones(QStringLiteral("0906")).size(), 5000);
    EXPECT_EQ(mensajes.textos(), kImportado);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(VentanaImportacion, AFileChangedAfterItsPreviewIsShownAgainAndStoresNothing) {
    agregarCliente(QStringLiteral("0911"));
    agregarCliente(QStringLiteral("0912"));
    const QList<QStringList> antes = clientes(QStringLiteral("0911"));
    const qint64 filasAntes = cantidadInfracciones();
    const QString ruta = guardar(QStringLiteral("a.kvd"), archivo("12", "0911"));
    AdquirirInf* w = abrir();
    pulsar(w, QStringLiteral("a.kvd"));
    ASSERT_EQ(w->Text1->text(), QStringLiteral("0911"));
    // Rewritten by someone else between the preview and the click.
    const QByteArray nuevo =
        cabecera("0912", "150312", "090000") + registro('1') + registro('2') + registro('3');
    guardar(QStringLiteral("a.kvd"), nuevo);
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    aviso(QStringLiteral("El archivo seleccionado cambió después de mostrarse sus datos. No se guardó ningún "
                         "dato: revise los datos que se muestran ahora e impórtelo nuevamente."));
    EXPECT_EQ(cantidadInfracciones(), filasAntes);
    EXPECT_EQ(clientes(QStringLiteral("0911")), antes);
    EXPECT_EQ(w->Text1->text(), QStringLiteral("0912"));
    EXPECT_EQ(w->DTPicker1->date(), QDate(2012, 3, 15));
    EXPECT_EQ(w->DTPicker2->time(), QTime(9, 0, 0));
    EXPECT_EQ(w->datosPrevistos(), nuevo);
    EXPECT_TRUE(QFile::exists(ruta));
    EXPECT_TRUE(w->isVisible() && w->Command1->isEnabled());

    // Confirmed as it is now: stored as shown.
    mensajes.limpiar();
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    EXPECT_EQ(mensajes.textos(), kImportado);
    EXPECT_EQ(infracciones(QStringLiteral("0912")).size(), 3);
    EXPECT_TRUE(infracciones(QStringLiteral("0911")).isEmpty());
    EXPECT_EQ(clientes(QStringLiteral("0912")).at(0).mid(7, 2), partes("20120315|090000"));
    EXPECT_FALSE(QFile::exists(ruta));
}

TEST_F(VentanaImportacion, ANewClientGoesThroughTheEditorFirst) {
    // Esc or the title bar's close button leave the editor: the import is cancelled whole.
    const QString nadie = guardar(QStringLiteral("nadie.kvd"), archivo("21", "0951"));
    AdquirirInf* w = abrir();
    const QString cancelada =
        QStringLiteral("Importación cancelada: no se guardó ningún dato. El archivo se conserva.");
    for (bool conEsc : {true, false}) {
        mensajes.limpiar();
        pulsar(w, QStringLiteral("nadie.kvd"));
        bool visto = false;
        mensajes.alMostrar([&](const MessageRecorder::Mensaje& m) {
            if (m.titulo == QStringLiteral("Cliente Nuevo"))
                QTimer::singleShot(0, [&] {
                    frmEdit* e = frmEdit::instancia();
                    visto = e->isVisible();
                    EXPECT_FALSE(e->cmdCancelar->isEnabled());
                    EXPECT_TRUE(e->windowFlags() & Qt::WindowCloseButtonHint);
                    if (conEsc)
                        QTest::keyClick(e->Text1(2), Qt::Key_Escape);
                    else
                        e->close();
                    EXPECT_FALSE(e->isVisible());
                });
        });
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        EXPECT_TRUE(visto) << conEsc;
        ASSERT_EQ(mensajes.mensajes().size(), 2) << conEsc;
        EXPECT_EQ(mensajes.ultimo().texto, cancelada);
        EXPECT_EQ(mensajes.ultimo().icono, Icono::Exclamacion);
        EXPECT_TRUE(clientes(QStringLiteral("0951")).isEmpty());
        EXPECT_TRUE(infracciones(QStringLiteral("0951")).isEmpty());
        EXPECT_TRUE(QFile::exists(nadie));
        EXPECT_TRUE(w->isVisible() && w->Command1->isEnabled() && w->File1->isEnabled() && !w->importando());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(frmEdit::existe());
    }

    // Registered through the editor.
    mensajes.limpiar();
    const QString ruta = guardar(QStringLiteral("nuevo.kvd"), archivo("12", "0950"));
    w = abrir();
    pulsar(w, QStringLiteral("nuevo.kvd"));
    bool editorVisto = false;
    mensajes.alMostrar([&](const MessageRecorder::Mensaje& m) {
        if (m.titulo != QStringLiteral("Cliente Nuevo"))
            return;
        // Runs inside the editor's modal loop.
        QTimer::singleShot(0, [&] {
            ASSERT_TRUE(frmEdit::existe());
            frmEdit* e = frmEdit::instancia();
            editorVisto = true;
            EXPECT_TRUE(e->isVisible());
            EXPECT_EQ(e->ModoEdicion, 0);
            EXPECT_FALSE(e->cmdCancelar->isEnabled());
            EXPECT_FALSE(e->Text1(1)->isEnabled());
            EXPECT_EQ(e->Text1(1)->text(), QStringLiteral("0950"));
            for (QDateEdit* p : {e->DTPicker1, e->DTPicker2, e->DTPicker4})
                EXPECT_EQ(p->date(), QDate(2011, 9, 28)) << p->objectName().toStdString();
            for (QTimeEdit* p : {e->DTPicker3, e->DTPicker5})
                EXPECT_EQ(p->time(), QTime(14, 5, 30)) << p->objectName().toStdString();
            QTest::keyClicks(e->Text1(2), QStringLiteral("Cliente O'Nuevo"));
            QTest::keyClicks(e->Text1(8), QStringLiteral("4200-0000"));
            QTest::keyClicks(e->Text1(13), QStringLiteral("Bar Nuevo"));
            QTest::keyClicks(e->Text1(14), QStringLiteral("Calle 1"));
            QTest::mouseClick(e->cmdGuardar, Qt::LeftButton);
        });
    });
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    EXPECT_TRUE(editorVisto);
    ASSERT_EQ(
        mensajes.textos(),
        QStringList{"El archivo de infracciones pertenece a un cliente no existente en la base de datos, "
                    "Por Favor Ingresélo a continuación"} +
            kImportado);
    EXPECT_EQ(mensajes.mensajes().at(0).titulo, QStringLiteral("Cliente Nuevo"));
    EXPECT_EQ(mensajes.mensajes().at(0).icono, Icono::Pregunta);
    EXPECT_EQ(mensajes.mensajes().at(0).botones, Botones::Aceptar);

    EXPECT_EQ(
        filas(QStringLiteral("SELECT Nombre,FechadeAlta,UltimaInspeccionFecha,UltimaInspeccionHora,"
                             "AnteriorInspeccionFecha,AnteriorInspeccionHora,ActivacionBanda1,fechainicio "
                             "FROM Clientes WHERE NumeroCliente = '0950'")),
        QList<QStringList>{partes("Cliente O'Nuevo|20110928|20110928|140530|20110928|140530|Si|Lunes")});
    EXPECT_EQ(infracciones(QStringLiteral("0950")).size(), 2);
    EXPECT_FALSE(QFile::exists(ruta));
    EXPECT_FALSE(w->isVisible());
    EXPECT_GT(filaCliente(QStringLiteral("0950")), 0);

    // The next opening of the editor can be cancelled again.
    frmEdit* siguiente = frmEdit::instancia();
    EXPECT_TRUE(siguiente->cmdCancelar->isEnabled());
    EXPECT_TRUE(siguiente->Text1(1)->isEnabled());
    delete siguiente;
}

} // namespace
