#include "BaseTemporal.h"
#include "MessageRecorder.h"

#include "accounts/Sesion.h"
#include "clients/FrmDatos.h"
#include "platform/Programa.h"
#include "store/GridModel.h"
#include "store/GridView.h"
#include "store/modVarios.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class VentanaPrincipal : public ::testing::Test {
protected:
    void SetUp() override {
        EstablecerFinalizadorPrograma([this] { ++finales; });
        UsuarioActual = QStringLiteral("Administrador");
    }
    void TearDown() override {
        delete FrmDatos::instancia();
        EstablecerFinalizadorPrograma(nullptr);
        UsuarioActual.clear();
    }
    FrmDatos* abrir() {
        FrmDatos* f = FrmDatos::Mostrar();
        return f;
    }

    BaseTemporal base;
    MessageRecorder mensajes;
    int finales = 0;
};

} // namespace

TEST_F(VentanaPrincipal, CargaDaLaBienvenidaYListaLosClientes) {
    FrmDatos* f = abrir();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("Bienvenido Usuario Administrador"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Bienvenido!"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(f->flex->cols(), 24);
    EXPECT_EQ(f->flex->textMatrix(0, 1), QStringLiteral(" Num. Cliente "));
    EXPECT_TRUE(Conexion1.abierta());
    delete f;
    EXPECT_EQ(FrmDatos::instancia(), nullptr);
    EXPECT_FALSE(Conexion1.abierta());
}
