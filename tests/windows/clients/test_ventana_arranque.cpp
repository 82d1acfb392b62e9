// The start-up before the login: the register opened and updated in a worker while a window
// tells what is going on, and a way to stop an update that leaves the file whole.
#include "MessageRecorder.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Copias.h"
#include "core/store/Esquema.h"
#include "windows/inicio/ArranqueRegistro.h"
#include "windows/inicio/VentanaArranque.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

QString registroVersion1(const QTemporaryDir& dir) {
    const QString ruta = QDir(dir.path()).filePath(QStringLiteral("presentacion.wfg"));
    EXPECT_TRUE(
        QFile::copy(QStringLiteral(VELMORA_SOURCE_DIR "/tests/core/store/fixtures/esquema-1.wfg"), ruta));
    QFile(ruta).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return ruta;
}

QString texto(const VentanaArranque& v) {
    return v.findChild<QLabel*>(QStringLiteral("textoArranque"))->text();
}

} // namespace

// Esc and the close button during an update ask first; "No" goes on, "Sí" asks the work to stop
// once. During the copy they only say to wait.
TEST(VentanaArranque, CerrarPreguntaYSoloConSiDetiene) {
    MessageRecorder mensajes;
    VentanaArranque v;
    QSignalSpy detener(&v, &VentanaArranque::detener);
    v.show();
    v.mostrarPaso({kVersionEsquema, 2, 6, QStringLiteral("Creando el registro de actividad")});
    EXPECT_EQ(texto(v),
              QStringLiteral("Actualizando el registro a la versión %1 (paso 2 de 6)…").arg(kVersionEsquema));

    EXPECT_FALSE(v.close());
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Pregunta);
    EXPECT_EQ(mensajes.ultimo().botones, Botones::NoSi);
    EXPECT_TRUE(mensajes.ultimo().texto.contains(QStringLiteral("último paso completado")));
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(detener.count(), 0);
    EXPECT_FALSE(v.detencionPedida());

    mensajes.responder(Respuesta::Si);
    QTest::keyClick(&v, Qt::Key_Escape);
    EXPECT_EQ(detener.count(), 1);
    EXPECT_TRUE(v.detencionPedida());
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(texto(v), QStringLiteral("Deteniendo la actualización…"));
    // Stopping already: nothing more to ask, and later steps do not change the text.
    v.close();
    v.mostrarPaso({kVersionEsquema, 3, 6, QStringLiteral("x")});
    EXPECT_EQ(mensajes.mensajes().size(), 2);
    EXPECT_EQ(detener.count(), 1);
    EXPECT_EQ(texto(v), QStringLiteral("Deteniendo la actualización…"));

    VentanaArranque copia;
    QSignalSpy detenerCopia(&copia, &VentanaArranque::detener);
    copia.show();
    copia.mostrarCopia();
    mensajes.responder(Respuesta::Si);
    EXPECT_FALSE(copia.close());
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(detenerCopia.count(), 0);
    EXPECT_TRUE(copia.isVisible());
}

// A register of an older schema opens updated, with the day's copy made and recorded; a register
// of a newer program is refused with its message and the program ends.
TEST(ArranqueRegistro, AbreActualizadoConLaCopiaDelDia) {
    MessageRecorder mensajes;
    QTemporaryDir dir;
    const QString ruta = registroVersion1(dir);
    const QDate hoy(2026, 3, 14);
    RegistroLocal local = AbrirRegistroLocal(dir.path(), hoy);
    ASSERT_TRUE(local.registro);
    EXPECT_TRUE(mensajes.mensajes().isEmpty()) << mensajes.textos().join(u'\n').toStdString();
    const std::unique_ptr<Sentencia> st = local.registro->preparar(
        QStringLiteral("SELECT count(*) FROM RegistroActividad WHERE Accion = 'copia.escrita'"));
    ASSERT_TRUE(st->paso());
    EXPECT_EQ(st->entero(0), 1);
    local.registro.reset();
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), kVersionEsquema);
    const QString copia = QDir(dir.path()).filePath(QStringLiteral("copias/") + NombreCopiaDiaria(hoy));
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(copia, ClaveBaseDatos()), kVersionEsquema);

    QTemporaryDir otro;
    const QString nueva = registroVersion1(otro);
    { ConexionSqlcipher(nueva, ClaveBaseDatos()).ejecutar(QStringLiteral("PRAGMA user_version = 99")); }
    local = AbrirRegistroLocal(otro.path(), hoy);
    EXPECT_FALSE(local.registro);
    EXPECT_EQ(local.estado, 1);
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_TRUE(mensajes.ultimo().texto.contains(QStringLiteral("versión más reciente del programa")));
    EXPECT_FALSE(QDir(otro.path()).exists(QStringLiteral("copias")));
}

// Stopping from the window ends the start-up without a register: the update goes no further than
// its last completed step, here none, and the next start completes it.
TEST(ArranqueRegistro, DetenerLaActualizacionTerminaSinAbrir) {
    MessageRecorder mensajes;
    QTemporaryDir dir;
    const QString ruta = registroVersion1(dir);
    // Another connection holds the file until the stop is asked, so the worker cannot get past
    // the open before it.
    sqlite3* bloqueo = nullptr;
    sqlite3_open_v2(QFile::encodeName(ruta).constData(), &bloqueo, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray clave = ClaveBaseDatos();
    sqlite3_key(bloqueo, clave.constData(), static_cast<int>(clave.size()));
    ASSERT_EQ(sqlite3_exec(bloqueo, "BEGIN EXCLUSIVE; SELECT count(*) FROM sqlite_master", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    mensajes.responder(Respuesta::Si);
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<VentanaArranque*>(w)) {
                v->show();
                v->close();
            }
        sqlite3_exec(bloqueo, "COMMIT", nullptr, nullptr, nullptr);
    });
    RegistroLocal local = AbrirRegistroLocal(dir.path(), QDate(2026, 3, 14), 0);
    sqlite3_close(bloqueo);
    EXPECT_FALSE(local.registro);
    EXPECT_EQ(local.estado, 1);
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Pregunta);
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), 1);
    EXPECT_FALSE(QDir(dir.path()).exists(QStringLiteral("copias")));

    local = AbrirRegistroLocal(dir.path(), QDate(2026, 3, 14));
    EXPECT_TRUE(local.registro);
    local.registro.reset();
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), kVersionEsquema);
}
