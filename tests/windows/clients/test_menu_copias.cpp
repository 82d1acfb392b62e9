// The "Archivo" menu's copies: rights, a backup to a chosen folder, the check, and a restore that
// the open window shows at once.
#include "ClientesDePrueba.h"
#include "windows/platform/Dialogos.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>

namespace {

using prueba::hijo;

class MenuCopias : public prueba::VentanaConClientes {
protected:
    void TearDown() override {
        SustituirDialogoCarpeta(nullptr);
        SustituirDialogoAbrir(nullptr);
        prueba::VentanaConClientes::TearDown();
    }
    QAction* accion(const char* nombre) const { return hijo<QAction>(ventana, QLatin1String(nombre)); }
    QTemporaryDir destino;
};

TEST_F(MenuCopias, AdministratorBacksUpAndRestoresAnyoneChecks) {
    Oficina otra{base.registro()};
    otra.establecerUsuario(QStringLiteral("Invitado"));
    VentanaPrincipal invitado(otra);
    EXPECT_FALSE(hijo<QAction>(&invitado, QStringLiteral("accionCopia"))->isEnabled());
    EXPECT_FALSE(hijo<QAction>(&invitado, QStringLiteral("accionRestaurar"))->isEnabled());
    EXPECT_TRUE(hijo<QAction>(&invitado, QStringLiteral("accionVerificarBase"))->isEnabled());
    EXPECT_TRUE(accion("accionCopia")->isEnabled() && accion("accionRestaurar")->isEnabled());

    mensajes.limpiar(); // the guest's welcome
    SustituirDialogoCarpeta([this](const QString&) { return destino.path(); });
    accion("accionCopia")->trigger();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion) << mensajes.ultimo().texto.toStdString();
    const QStringList copias = QDir(destino.path()).entryList({QStringLiteral("*.wfg")}, QDir::Files);
    ASSERT_EQ(copias.size(), 1);
    EXPECT_TRUE(mensajes.ultimo().texto.contains(copias.first()));

    accion("accionVerificarBase")->trigger();
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Verificar base de datos"));
    EXPECT_TRUE(mensajes.ultimo().texto.contains(QStringLiteral("buen estado")));

    // A client added after the copy is gone once it is restored; "No" first changes nothing.
    prueba::ejecutar(
        base.registro(),
        {QStringLiteral("INSERT INTO Clientes (NumeroCliente, Nombre) VALUES ('555', 'Nuevo')"), {}});
    oficina.recargarClientes();
    ASSERT_GT(filaDe(QStringLiteral("555")), 0);
    SustituirDialogoAbrir(
        [&](const QString&, const QString&) { return QDir(destino.path()).filePath(copias.first()); });
    mensajes.limpiar();
    accion("accionRestaurar")->trigger();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_TRUE(mensajes.ultimo().texto.contains(QStringLiteral("Clientes: 5\nInfracciones: 8\n")))
        << mensajes.ultimo().texto.toStdString();
    EXPECT_GT(filaDe(QStringLiteral("555")), 0);

    mensajes.responder(Respuesta::Si);
    accion("accionRestaurar")->trigger();
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion) << mensajes.ultimo().texto.toStdString();
    EXPECT_EQ(filaDe(QStringLiteral("555")), -1);
    EXPECT_GT(filaDe(QStringLiteral("12")), 0);
    EXPECT_EQ(prueba::contar(base.registro(), QStringLiteral("SELECT count(*) FROM Infracciones")), 8);
}

} // namespace
