// Accounts made or changed in the account windows are the ones the login accepts.
#include "BaseTemporal.h"
#include "MessageRecorder.h"

#include "accounts/CuentasUsuario.h"
#include "accounts/InicioSesion.h"
#include "accounts/NvoUsuario.h"
#include "accounts/Sesion.h"
#include "clients/FrmDatos.h"
#include "platform/Programa.h"
#include "store/modVarios.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void escribir(QLineEdit* caja, const QString& texto) {
    caja->clear();
    QTest::keyClicks(caja, texto);
}

class CuentasEInicio : public ::testing::Test {
protected:
    void SetUp() override {
        EstablecerFinalizadorPrograma([] {});
    }
    void TearDown() override {
        if (InicioSesion* i = InicioSesion::instancia())
            i->close();
        delete FrmDatos::instancia();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CerrarConexion2();
        EstablecerFinalizadorPrograma(nullptr);
        UsuarioActual.clear();
    }

    // Logs in through the login window; true when it let the user in.
    bool iniciarSesion(const QString& nombre, const QString& contrasena) {
        UsuarioActual.clear();
        delete FrmDatos::instancia();
        InicioSesion* inicio = InicioSesion::Mostrar();
        EXPECT_NE(inicio, nullptr);
        inicio->NomUsuario->setCurrentIndex(inicio->NomUsuario->findText(nombre));
        escribir(inicio->Pass, contrasena);
        mensajes_.limpiar();
        QTest::mouseClick(inicio->Inicio, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return mensajes_.textos().contains(QStringLiteral("Contraseña Correcta!")) && UsuarioActual == nombre;
    }

    BaseTemporal base_;
    MessageRecorder mensajes_;
};

TEST_F(CuentasEInicio, ANewAccountAndAnEmptiedPasswordLogIn) {
    UsuarioActual = QStringLiteral("Administrador");
    MostrarNvoUsuario();
    NvoUsuario* n = NvoUsuario::instancia();
    ASSERT_NE(n, nullptr);
    escribir(n->Text1, QStringLiteral("Elena"));
    escribir(n->Pass1, QStringLiteral("Sec'reta9"));
    escribir(n->Pass2, QStringLiteral("Sec'reta9"));
    QTest::mouseClick(n->Aceptar, Qt::LeftButton);
    ASSERT_EQ(mensajes_.textos(), QStringList{QStringLiteral("Usuario Elena creado!")});

    EXPECT_FALSE(iniciarSesion(QStringLiteral("Elena"), QStringLiteral("sec'reta9")));
    EXPECT_TRUE(iniciarSesion(QStringLiteral("Elena"), QStringLiteral("Sec'reta9")));

    // Elena empties her own password; the login then takes an empty one.
    MostrarCuentasUsuario();
    CuentasUsuario* v = CuentasUsuario::instancia();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Combo1->currentText(), QStringLiteral("Elena"));
    QTest::mouseClick(v->Aceptar, Qt::LeftButton);
    EXPECT_TRUE(mensajes_.textos().contains(QStringLiteral("La contraseña ha sido cambiada")));
    EXPECT_FALSE(iniciarSesion(QStringLiteral("Elena"), QStringLiteral("Sec'reta9")));
    EXPECT_TRUE(iniciarSesion(QStringLiteral("Elena"), QString()));
}

} // namespace
