// The "Registro compartido..." window: reached from the Archivo menu, saves the connection string
// per user but never one with a password, offers the move to the server to the administrator only,
// and leaves with Esc.
#include "ClientesDePrueba.h"
#include "core/store/AjustesRegistro.h"
#include "windows/store/RegistroCompartido.h"

#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>

namespace {

using namespace Qt::StringLiterals;
using prueba::hijo;

class VentanaRegistro : public prueba::VentanaDePrueba {
protected:
    void SetUp() override {
        VentanaDePrueba::SetUp();
        // The user's real settings are never touched.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ajustes.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ajustes.path());
    }
    QTemporaryDir ajustes;
};

TEST_F(VentanaRegistro, GuardaSinContrasenaYSoloElAdministradorPasaElRegistro) {
    abrir();
    mensajes.limpiar();
    const auto acciones = ventana->findChild<QMenu*>(u"menuArchivo"_s)->actions();
    EXPECT_TRUE(std::any_of(acciones.begin(), acciones.end(), [](const QAction* a) {
        return a->objectName() == u"accionRegistroCompartido"_s;
    }));

    RegistroCompartido dialogo(oficina, ventana);
    dialogo.show();
    auto* conexion = hijo<QLineEdit>(&dialogo, u"conexion"_s);
    EXPECT_FALSE(conexion->accessibleName().isEmpty());
    EXPECT_TRUE(hijo<QPushButton>(&dialogo, u"pasar"_s)->isEnabled());

    conexion->setText(u"host=servidor dbname=registro user=puesto1 password=secreta"_s);
    hijo<QPushButton>(&dialogo, u"guardar"_s)->click();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_TRUE(mensajes.mensajes()[0].texto.contains(u"no puede llevar la contraseña"_s));
    EXPECT_TRUE(dialogo.isVisible());
    EXPECT_TRUE(ConexionRegistroGuardada().isEmpty());

    conexion->setText(u" host=servidor dbname=registro user=puesto1 sslmode=verify-full "_s);
    hijo<QPushButton>(&dialogo, u"guardar"_s)->click();
    EXPECT_EQ(ConexionRegistroGuardada(),
              u"host=servidor dbname=registro user=puesto1 sslmode=verify-full"_s);
    EXPECT_FALSE(dialogo.isVisible());
    // Emptied: back to the local file.
    ASSERT_TRUE(GuardarConexionRegistro(QString(), nullptr));
    EXPECT_TRUE(ConexionRegistroGuardada().isEmpty());

    oficina.establecerUsuario(u"Invitado"_s);
    RegistroCompartido invitado(oficina, ventana);
    invitado.show();
    EXPECT_FALSE(hijo<QPushButton>(&invitado, u"pasar"_s)->isEnabled());
    QTest::keyClick(&invitado, Qt::Key_Escape);
    EXPECT_FALSE(invitado.isVisible());
}

} // namespace
