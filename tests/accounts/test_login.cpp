// Start-up and login, driven as a user would: splash, account list, password, main window.
#include "BaseTemporal.h"
#include "MessageRecorder.h"

#include "accounts/InicioSesion.h"
#include "accounts/Sesion.h"
#include "clients/FrmDatos.h"
#include "clients/PantallaInicio.h"
#include "platform/Programa.h"
#include "store/Contrasenas.h"
#include "store/GridModel.h"
#include "store/modVarios.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kIncorrecta =
    QStringLiteral("Usted a ingresado una contraseña incorrecta o el campo esta vacio, por favor escríbala "
                   "correctamente y presione Iniciar Sesion");

// The widget Tab moves to from w, as QWidget::focusNextChild picks it.
QWidget* siguienteTab(QWidget* w) {
    QWidget* v = w->window();
    for (QWidget* n = w->nextInFocusChain(); n && n != w; n = n->nextInFocusChain())
        if ((n->focusPolicy() & Qt::TabFocus) && n->isVisibleTo(v) && n->isEnabled() && !n->focusProxy())
            return n;
    return nullptr;
}

void borrarCerradas() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Login : public ::testing::Test {
protected:
    // One database for the suite: hashing the passwords is the slow part.
    static void SetUpTestSuite() {
        base_ = new BaseTemporal;
        const std::pair<const char*, const char*> extra[] = {
            {"Operador", "uno"}, {"administrador", "Clave"}, {"Operador", "dos"}, {"Largo", "abcdefghijk"}};
        for (const auto& [nombre, clave] : extra) {
            const Consulta c = Sentencias::insertarUsuario(QString::fromUtf8(nombre),
                                                           hashContrasena(QString::fromUtf8(clave)));
            BaseDatosCompartida().ejecutar(c.sql, c.parametros);
        }
    }
    static void TearDownTestSuite() {
        delete base_;
        base_ = nullptr;
    }
    void SetUp() override {
        EstablecerFinalizadorPrograma([this] { ++finales; });
        UsuarioActual.clear();
    }
    void TearDown() override {
        delete FrmDatos::instancia();
        delete InicioSesion::instancia();
        borrarCerradas();
        EstablecerFinalizadorPrograma(nullptr);
        UsuarioActual.clear();
    }

    void intentar(InicioSesion* v, const QString& nombre, const QString& clave) {
        v->NomUsuario->setCurrentIndex(v->NomUsuario->findText(nombre));
        v->Pass->clear();
        QTest::keyClicks(v->Pass, clave);
        QTest::mouseClick(v->Inicio, Qt::LeftButton);
    }

    static BaseTemporal* base_;
    MessageRecorder mensajes;
    int finales = 0;
};

BaseTemporal* Login::base_ = nullptr;

} // namespace

TEST_F(Login, ListaLasCuentasSinElegirNingunaYEnmascaraLaContrasena) {
    InicioSesion* v = InicioSesion::Mostrar();
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Inicio De Sesion"));
    QStringList nombres;
    for (int i = 0; i < v->NomUsuario->count(); ++i)
        nombres << v->NomUsuario->itemText(i);
    EXPECT_EQ(nombres,
              QStringList({"Administrador", "Invitado", "Operador", "administrador", "Operador", "Largo"}));
    EXPECT_EQ(v->NomUsuario->currentIndex(), -1);
    EXPECT_EQ(v->Pass->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(v->text2->isVisible());
    EXPECT_TRUE(Conexion2.abierta());
    // Labels name their boxes for screen readers; the order follows the form.
    EXPECT_EQ(v->NomUsuario->accessibleName(), QStringLiteral("Nombre de Usuario:"));
    EXPECT_EQ(v->Pass->accessibleName(), QStringLiteral("Contraseña:"));
    EXPECT_EQ(siguienteTab(v->NomUsuario), v->Pass);
    EXPECT_EQ(siguienteTab(v->Pass), v->Inicio);
    // Eleven characters typed, ten kept: a longer stored password can never be entered.
    intentar(v, QStringLiteral("Largo"), QStringLiteral("abcdefghijk"));
    EXPECT_EQ(v->Pass->text(), QStringLiteral("abcdefghij"));
    EXPECT_EQ(mensajes.ultimo().texto, kIncorrecta);
}

TEST_F(Login, ContrasenaIncorrectaOSinNombreDejaLaVentanaAbiertaYValeLaUltimaCuentaDelNombre) {
    InicioSesion* v = InicioSesion::Mostrar();
    intentar(v, QStringLiteral("Operador"), QStringLiteral("DOS"));
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, kIncorrecta);
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Contraseña Incorrecta"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(mensajes.ultimo().botones, Botones::Aceptar);
    EXPECT_TRUE(v->isVisible());
    EXPECT_EQ(v->Pass->text(), QStringLiteral("DOS"));
    // No name chosen, empty password: also refused, even though accounts have empty passwords;
    // Enter in the name list tries too.
    v->NomUsuario->setCurrentIndex(-1);
    v->Pass->clear();
    QTest::keyClick(v->NomUsuario, Qt::Key_Return);
    EXPECT_EQ(mensajes.mensajes().size(), 2);
    EXPECT_EQ(mensajes.ultimo().texto, kIncorrecta);
    EXPECT_TRUE(UsuarioActual.isEmpty());
    EXPECT_EQ(FrmDatos::instancia(), nullptr);
    EXPECT_TRUE(v->text2->text().isEmpty()); // the hash does not linger
    EXPECT_EQ(finales, 0);
    // Two accounts of one name: the last one's password counts.
    intentar(v, QStringLiteral("Operador"), QStringLiteral("uno"));
    EXPECT_EQ(mensajes.ultimo().texto, kIncorrecta);
    mensajes.limpiar();
    intentar(v, QStringLiteral("Operador"), QStringLiteral("dos"));
    ASSERT_EQ(mensajes.mensajes().size(), 2);
    EXPECT_EQ(mensajes.mensajes().at(0).texto, QStringLiteral("Contraseña Correcta!"));
    EXPECT_EQ(mensajes.mensajes().at(0).titulo, QStringLiteral("Contraseña Correcta"));
    EXPECT_EQ(mensajes.mensajes().at(0).icono, Icono::Informacion);
    EXPECT_EQ(mensajes.mensajes().at(1).texto, QStringLiteral("Bienvenido Usuario Operador"));
    EXPECT_EQ(UsuarioActual, QStringLiteral("Operador"));
}

TEST_F(Login, CerrarSinIniciarSesionTerminaElPrograma) {
    QTest::keyClick(InicioSesion::Mostrar()->Pass, Qt::Key_Escape);
    EXPECT_EQ(finales, 1);
    EXPECT_FALSE(Conexion2.abierta());
    borrarCerradas();
    EXPECT_EQ(InicioSesion::instancia(), nullptr);
    EXPECT_EQ(FrmDatos::instancia(), nullptr);
}

TEST_F(Login, ExitoAbreLaVentanaPrincipalConLosDerechosDelNombreExacto) {
    InicioSesion* v = InicioSesion::Mostrar();
    // Lower-case "administrador" is an ordinary user, and its password is case-sensitive.
    intentar(v, QStringLiteral("administrador"), QStringLiteral("clave"));
    EXPECT_EQ(mensajes.ultimo().texto, kIncorrecta);
    intentar(v, QStringLiteral("administrador"), QStringLiteral("Clave"));
    EXPECT_FALSE(Conexion2.abierta());
    borrarCerradas();
    EXPECT_EQ(InicioSesion::instancia(), nullptr);
    EXPECT_EQ(finales, 0); // a successful close does not end the program
    FrmDatos* f = FrmDatos::instancia();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->Usuario->text(), QStringLiteral("administrador"));
    EXPECT_FALSE(f->Municipio->isEnabled());
    EXPECT_FALSE(f->cmdOpciones[2]->isEnabled());
    EXPECT_TRUE(Conexion1.abierta());
    delete f;

    // The administrator, from the keyboard: the empty stored password is entered empty.
    UsuarioActual.clear();
    v = InicioSesion::Mostrar();
    v->NomUsuario->setCurrentIndex(v->NomUsuario->findText(QStringLiteral("Administrador")));
    QTest::keyClick(v->Pass, Qt::Key_Return);
    f = FrmDatos::instancia();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(mensajes.textos().contains(QStringLiteral("Bienvenido Usuario Administrador")));
    EXPECT_TRUE(f->Municipio->isEnabled());
    EXPECT_TRUE(f->cmdOpciones[2]->isEnabled());
}

TEST_F(Login, PantallaInicioPasaAlLoginTrasDosSegundosOConUnClicYUnaTeclaTermina) {
    auto inicio = std::make_unique<PantallaInicio>();
    inicio->show();
    EXPECT_EQ(inicio->Timer1->interval(), 2000);
    EXPECT_TRUE(inicio->Timer1->isActive());
    EXPECT_EQ(InicioSesion::instancia(), nullptr);
    ASSERT_TRUE(QMetaObject::invokeMethod(inicio->Timer1, "timeout"));
    EXPECT_FALSE(inicio->Timer1->isActive());
    EXPECT_FALSE(inicio->isVisible());
    EXPECT_EQ(PantallaInicio::instancia(), inicio.get()); // hidden, still loaded
    ASSERT_NE(InicioSesion::instancia(), nullptr);
    EXPECT_TRUE(InicioSesion::instancia()->isVisible());
    delete InicioSesion::instancia();

    inicio.reset();
    inicio = std::make_unique<PantallaInicio>();
    inicio->show();
    QTest::mouseClick(inicio->Image1, Qt::LeftButton);
    EXPECT_FALSE(inicio->isVisible());
    EXPECT_NE(InicioSesion::instancia(), nullptr);
    EXPECT_EQ(finales, 0);
    delete InicioSesion::instancia();

    inicio.reset();
    inicio = std::make_unique<PantallaInicio>();
    inicio->show();
    QTest::keyClick(inicio.get(), Qt::Key_Space);
    EXPECT_EQ(finales, 1);
    EXPECT_FALSE(inicio->isVisible());
    EXPECT_FALSE(inicio->Timer1->isActive());
    EXPECT_EQ(InicioSesion::instancia(), nullptr);
    EXPECT_EQ(FrmDatos::instancia(), nullptr);
}
