// "Verificar registro" in the "Archivo" menu: the administrator's, progress with "Cancelar", then
// the report.
#include "ClientesDePrueba.h"
#include "windows/store/VentanaVerificarRegistro.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

using prueba::hijo;

class MenuVerificarRegistro : public prueba::VentanaConClientes {};

TEST_F(MenuVerificarRegistro, SoloElAdministradorYElInformeAlTerminar) {
    Oficina otra{base.registro()};
    otra.establecerUsuario(QStringLiteral("Invitado"));
    VentanaPrincipal invitado(otra);
    EXPECT_FALSE(hijo<QAction>(&invitado, QStringLiteral("accionVerificarRegistro"))->isEnabled());
    QAction* accion = hijo<QAction>(ventana, QStringLiteral("accionVerificarRegistro"));
    EXPECT_TRUE(accion->isEnabled());
    EXPECT_EQ(accion->text(), QStringLiteral("Verificar regis&tro"));
    mensajes.limpiar(); // the guest's welcome

    VentanaVerificarRegistro v(oficina, ventana);
    EXPECT_EQ(v.windowTitle(), QStringLiteral("Verificar registro"));
    v.verificar();
    ASSERT_TRUE(v.informe().has_value());
    EXPECT_FALSE(v.informe()->cancelada);
    const auto* texto = hijo<QPlainTextEdit>(&v, QStringLiteral("informeVerificacion"));
    EXPECT_EQ(texto->toPlainText(), TextoInforme(*v.informe()));
    EXPECT_FALSE(texto->isHidden());
    EXPECT_TRUE(hijo<QPushButton>(&v, QStringLiteral("botonCancelar"))->isHidden());
    EXPECT_FALSE(hijo<QPushButton>(&v, QStringLiteral("botonCerrar"))->isHidden());
    EXPECT_TRUE(mensajes.mensajes().empty());
}

TEST_F(MenuVerificarRegistro, CancelarDetieneLaVerificacion) {
    VentanaVerificarRegistro v(oficina, ventana);
    // "Cancelar" pressed while the check runs.
    QObject::connect(&v, &VentanaVerificarRegistro::avance, &v,
                     [&] { hijo<QPushButton>(&v, QStringLiteral("botonCancelar"))->click(); });
    v.verificar();
    ASSERT_TRUE(v.informe().has_value());
    EXPECT_TRUE(v.informe()->cancelada);
    EXPECT_EQ(hijo<QLabel>(&v, QStringLiteral("estadoVerificacion"))->text(),
              QStringLiteral("Verificación cancelada."));
    EXPECT_TRUE(hijo<QPlainTextEdit>(&v, QStringLiteral("informeVerificacion"))
                    ->toPlainText()
                    .startsWith(QStringLiteral("Verificación cancelada")));
}

} // namespace
