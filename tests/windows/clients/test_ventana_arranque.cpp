// The start-up before the login: the register opened and updated in a worker while a window
// tells what goes on, and an update that can be stopped.
#include "ArchivosDePrueba.h"
#include "MessageRecorder.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Copias.h"
#include "core/store/Esquema.h"
#include "windows/inicio/ArranqueRegistro.h"
#include "windows/inicio/VentanaArranque.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {} // namespace

// Esc and the close button during an update ask first: "No" goes on, "Sí" asks the work to stop.
TEST(VentanaArranque, CerrarPreguntaYSoloConSiDetiene) {
    MessageRecorder mensajes;
    VentanaArranque v;
    QSignalSpy detener(&v, &VentanaArranque::detener);
    v.show();
    v.mostrarPaso({kVersionEsquema, 2, 6, QStringLiteral("Creando el registro de actividad")});
    EXPECT_FALSE(v.close());
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Pregunta);
    EXPECT_EQ(mensajes.ultimo().botones, Botones::NoSi);
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(detener.count(), 0);

    mensajes.responder(Respuesta::Si);
    QTest::keyClick(&v, Qt::Key_Escape);
    EXPECT_EQ(detener.count(), 1);
    EXPECT_TRUE(v.detencionPedida());
}

// An older register opens updated, with the day's copy made and recorded. Stopping from the window
// ends the start-up without a register, the file whole at its version, and the next start
// completes it.
TEST(ArranqueRegistro, AbreActualizadoOSeDetieneSinAbrir) {
    MessageRecorder mensajes;
    const QDate hoy(2026, 3, 14);
    QTemporaryDir dir;
    const QString ruta = prueba::registroVersion1(dir.path());
    // Another connection holds the file until the stop is asked, so the worker cannot pass the
    // open before it.
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
    RegistroLocal local = AbrirRegistroLocal(dir.path(), hoy, 0);
    sqlite3_close(bloqueo);
    EXPECT_FALSE(local.registro);
    EXPECT_EQ(local.estado, 1);
    EXPECT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), 1);
    EXPECT_FALSE(QDir(dir.path()).exists(QStringLiteral("copias")));

    local = AbrirRegistroLocal(dir.path(), hoy);
    ASSERT_TRUE(local.registro);
    EXPECT_EQ(mensajes.mensajes().size(), 1);
    {
        const std::unique_ptr<Sentencia> st = local.registro->preparar(
            QStringLiteral("SELECT count(*) FROM RegistroActividad WHERE Accion = 'copia.escrita'"));
        ASSERT_TRUE(st->paso());
        EXPECT_EQ(st->entero(0), 1);
    }
    local.registro.reset();
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), kVersionEsquema);
    const QString copia = QDir(dir.path()).filePath(QStringLiteral("copias/") + NombreCopiaDiaria(hoy));
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(copia, ClaveBaseDatos()), kVersionEsquema);
}
