// Start-up, login, the account window and the new-user window, driven as a user would.
#include "BaseTemporal.h"
#include "MessageRecorder.h"
#include "core/Oficina.h"
#include "core/accounts/Cuentas.h"
#include "core/platform/Programa.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Contrasenas.h"
#include "core/store/Recordset.h"
#include "windows/accounts/NuevaCuenta.h"
#include "windows/accounts/VentanaCuentas.h"
#include "windows/clients/VentanaPrincipal.h"
#include "windows/inicio/InicioSesion.h"
#include "windows/inicio/PantallaInicio.h"
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

const QString kIncorrecta = u"Usted a ingresado una contraseña incorrecta o el campo esta vacio, por favor "
                            u"escríbala correctamente y presione Iniciar Sesion"_s;

template <typename T = QWidget> T* hijo(const QObject* padre, const char* nombre) {
    T* w = padre ? padre->findChild<T*>(QString::fromLatin1(nombre)) : nullptr;
    EXPECT_NE(w, nullptr) << nombre;
    return w;
}

// The main window the login opened, if any.
QWidget* principal() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "VentanaPrincipal"_L1)
            return w;
    return nullptr;
}

// The stored hashes of the accounts of that name (of all, as "name hash", without one).
QStringList hashes(Conexion& db, const QString& de = QString()) {
    Recordset r;
    r.abrir(db, Sentencias::listaUsuarios());
    QStringList h;
    for (const QStringList& f : r.filas())
        if (de.isNull() || f.value(1) == de)
            h << (de.isNull() ? f.value(1) + u' ' : QString()) + f.value(2);
    return h;
}

void escribir(QLineEdit* caja, const QString& texto) {
    caja->clear();
    QTest::keyClicks(caja, texto);
}

class CuentasTest : public ::testing::Test {
protected:
    // One database for the suite: hashing the passwords is the slow part.
    static void SetUpTestSuite() {
        base_ = new BaseTemporal;
        for (const QString& c :
             {u"Operador uno"_s, u"administrador Clave"_s, u"Operador dos"_s, u"Largo abcdefghijk"_s})
            ejecutar(Sentencias::insertarUsuario(c.section(u' ', 0, 0), hashContrasena(c.section(u' ', 1))));
    }
    static void TearDownTestSuite() { delete base_; }
    static void ejecutar(const Consulta& c) { base_->registro().ejecutar(c.sql, c.parametros); }
    static void borrarCerradas() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void SetUp() override {
        EstablecerFinalizadorPrograma([this] { ++finales_; });
    }
    void TearDown() override { // every window holds the office: they go before it
        delete NuevaCuenta::instancia();
        delete VentanaCuentas::instancia();
        delete InicioSesion::instancia();
        delete principal();
        borrarCerradas();
        EstablecerFinalizadorPrograma(nullptr);
    }

    VentanaCuentas* abrirComo(const QString& usuario) {
        borrarCerradas();
        mensajes_.limpiar();
        oficina_.establecerUsuario(usuario);
        MostrarVentanaCuentas(oficina_);
        return VentanaCuentas::instancia();
    }

    // Chooses a name in the account window the way the administrator does: by typing it.
    static void elegir(QWidget* v, const QString& nombre) {
        escribir(hijo<QComboBox>(v, "usuarios")->lineEdit(), nombre);
    }

    static void clic(QWidget* v, const char* boton) { QTest::mouseClick(hijo(v, boton), Qt::LeftButton); }

    // Fills the name (when given) and both passwords, and presses "Aceptar".
    static void llenar(QWidget* v, const QString& nombre, const QString& clave1, const QString& clave2) {
        if (!nombre.isNull() && v->findChild<QComboBox*>(u"usuarios"_s))
            elegir(v, nombre);
        else if (!nombre.isNull())
            escribir(hijo<QLineEdit>(v, "nombreUsuario"), nombre);
        escribir(hijo<QLineEdit>(v, "clave"), clave1);
        escribir(hijo<QLineEdit>(v, "confirmacion"), clave2);
        clic(v, "botonAceptar");
    }

    // The last message, and how many there were since the last `limpiar` (when given).
    void esperar(const QString& texto, const QString& titulo, Icono icono, int cuantos = 0) {
        ASSERT_FALSE(mensajes_.mensajes().isEmpty());
        EXPECT_TRUE(!cuantos || mensajes_.mensajes().size() == cuantos) << mensajes_.mensajes().size();
        const auto& m = mensajes_.ultimo();
        EXPECT_EQ(QStringList({m.texto, m.titulo}), QStringList({texto, titulo}));
        EXPECT_EQ(m.icono, icono);
    }

    // Chooses the name, types the password and clicks "Iniciar Sesion".
    static void intentar(InicioSesion* v, const QString& nombre, const QString& clave) {
        auto* lista = hijo<QComboBox>(v, "nombreUsuario");
        lista->setCurrentIndex(lista->findText(nombre));
        escribir(hijo<QLineEdit>(v, "clave"), clave);
        clic(v, "botonIniciar");
    }

    static inline BaseTemporal* base_ = nullptr;
    MessageRecorder mensajes_;
    Oficina oficina_{base_->registro()};
    int finales_ = 0;
};

TEST_F(CuentasTest, TheLoginRefusesWrongPasswordsAndOpensTheMainWindow) {
    InicioSesion* v = InicioSesion::Mostrar(oficina_);
    auto* lista = hijo<QComboBox>(v, "nombreUsuario");
    EXPECT_TRUE(lista->count() == 6 && lista->currentIndex() == -1); // every account, none chosen
    // The password box is the only one: no hash travels through the window.
    EXPECT_EQ(v->findChildren<QLineEdit*>().size(), 1);
    EXPECT_EQ(lista->accessibleName(), u"Nombre de Usuario:"_s);
    // The password box: masked with '*', named for screen readers.
    auto* clave = hijo<QLineEdit>(v, "clave");
    EXPECT_EQ(clave->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, clave), '*');
    EXPECT_EQ(clave->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(clave)->text(QAccessible::Name).isEmpty());

    intentar(v, u"Operador"_s, u"uno"_s); // an earlier account's password
    esperar(kIncorrecta, u"Contraseña Incorrecta"_s, Icono::Informacion, 1);
    EXPECT_TRUE(v->isVisible() && hijo<QLineEdit>(v, "clave")->text() == u"uno"_s);
    // Ten of eleven characters typed are kept and never match; no name neither; Enter in the list too.
    intentar(v, u"Largo"_s, u"abcdefghijk"_s);
    intentar(v, QString(), QString());
    QTest::keyClick(lista, Qt::Key_Return);
    EXPECT_EQ(mensajes_.textos(), QStringList(4, kIncorrecta));
    EXPECT_TRUE(oficina_.usuario().isEmpty() && !principal());

    mensajes_.limpiar();
    // An empty password is one too; Enter in the password box logs in once, not twice.
    lista->setCurrentIndex(lista->findText(u"Invitado"_s));
    escribir(hijo<QLineEdit>(v, "clave"), QString());
    QTest::keyClick(hijo<QLineEdit>(v, "clave"), Qt::Key_Return);
    EXPECT_EQ(mensajes_.textos(), QStringList({"Contraseña Correcta!", "Bienvenido Usuario Invitado"}));
    borrarCerradas();
    EXPECT_TRUE(!InicioSesion::instancia() && finales_ == 0); // closed, yet the program goes on
    ASSERT_TRUE(principal() && principal()->isVisible());
    EXPECT_EQ(hijo<QLineEdit>(principal(), "usuarioActual")->text(), u"Invitado"_s);
}

// The splash leads to the login after two seconds; a key there, or Esc in the login, ends the run.
TEST_F(CuentasTest, TheSplashLeadsToTheLoginAndLeavingEitherEndsTheProgram) {
    for (bool tecla : {false, true}) {
        PantallaInicio inicio(oficina_);
        inicio.show();
        auto* reloj = hijo<QTimer>(&inicio, "temporizador");
        tecla ? QTest::keyClick(&inicio, Qt::Key_Space) : void(QMetaObject::invokeMethod(reloj, "timeout"));
        EXPECT_FALSE(inicio.isVisible() || reloj->isActive());
        EXPECT_EQ(InicioSesion::instancia() && InicioSesion::instancia()->isVisible(), !tecla);
        if (!tecla)
            QTest::keyClick(hijo(InicioSesion::instancia(), "clave"), Qt::Key_Escape);
        EXPECT_EQ(finales_, tecla ? 2 : 1);
        borrarCerradas();
    }
}

// Rights go by the session alone, never by the "Usuario Actual" box: an "Invitado" session gets
// its own name fixed, no administrator buttons, is refused past them, and changes its own password.
TEST_F(CuentasTest, AnOrdinaryUserChangesOnlyTheirOwnPasswordAndIsRefusedPastTheHiddenButtons) {
    oficina_.establecerUsuario(u"Invitado"_s);
    auto* ventana = new VentanaPrincipal(oficina_); // deleted with the other windows
    ventana->show();
    mensajes_.limpiar();
    clic(ventana, "botonCuentas");
    VentanaCuentas* v = VentanaCuentas::instancia();
    ASSERT_TRUE(v && v->isVisible());
    auto* combo = hijo<QComboBox>(v, "usuarios");
    EXPECT_TRUE(combo->currentText() == u"Invitado"_s && combo->count() == 0 && !combo->isEnabled());
    EXPECT_FALSE(hijo(v, "botonBorrar")->isVisible() || hijo(v, "botonAgregar")->isVisible());

    const QStringList antes = hashes(base_->registro());
    MostrarNuevaCuenta(oficina_);
    llenar(NuevaCuenta::instancia(), u"Intruso"_s, u"x"_s, u"x"_s);
    esperar(u"Solo el usuario Administrador puede crear usuarios."_s, u"Velmora KV-270"_s, Icono::Critico, 1);
    EXPECT_NE(NuevaCuenta::instancia(), nullptr);
    // Only the exact name has the rights; the built-in accounts stay; an Id renames nothing.
    EXPECT_THROW(BorrarCuentas(base_->registro(), u"administrador"_s, u"Operador"_s), ErrorBD);
    EXPECT_THROW(BorrarCuentas(base_->registro(), u"Administrador"_s, u"Administrador"_s), ErrorBD);
    EXPECT_FALSE(CambiarContrasenaCuenta(base_->registro(), u"Invitado"_s,
                                         LeerCuentas(base_->registro()).at(0).id, u"Invitado"_s, "x"));
    // Differing entries give the verification error and close the window.
    llenar(abrirComo(u"Invitado"_s), QString(), u"Clave"_s, u"clave"_s);
    esperar(u"¡La confirmación de la contraseña debe ser la misma que la contraseña!"_s,
            u"Error de Verificación"_s, Icono::Exclamacion, 1);
    EXPECT_TRUE(!VentanaCuentas::instancia() && hashes(base_->registro()) == antes);

    // Their own: cut at ten characters and stored as a hash; then emptied again.
    llenar(abrirComo(u"Invitado"_s), QString(), u"d'Ar tagnan"_s, u"d'Ar tagnan"_s);
    esperar(u"La contraseña ha sido cambiada"_s, u"Aviso de contraseña"_s, Icono::Informacion, 1);
    EXPECT_EQ(VentanaCuentas::instancia(), nullptr);
    const QString hash = hashes(base_->registro(), u"Invitado"_s).value(0);
    EXPECT_TRUE(verificarContrasena(hash, u"d'Ar tagna"_s) && !verificarContrasena(hash, u"d'ar tagna"_s));
    clic(abrirComo(u"Invitado"_s), "botonAceptar");
    EXPECT_TRUE(verificarContrasena(hashes(base_->registro(), u"Invitado"_s).value(0), QString()));
}

// The administrator creates the same name twice, changes the password of both and deletes both.
TEST_F(CuentasTest, TheAdministratorCreatesChangesAndDeletesDuplicateNamesTogether) {
    VentanaCuentas* v = abrirComo(u"Administrador"_s);
    auto* combo = hijo<QComboBox>(v, "usuarios");
    EXPECT_TRUE(combo->count() == 6 && combo->currentText() == u"Administrador"_s && combo->isEditable());
    EXPECT_TRUE(hijo(v, "botonBorrar")->isVisible() && hijo(v, "botonAgregar")->isVisible());
    // A combo box reports its text as its accessible name, so its label's text is set by hand.
    EXPECT_EQ(combo->accessibleName(), u"Usuario Actual:"_s);

    const QString nombre = u"O'Brien"_s;
    for (int vez = 0; vez < 2; ++vez) {
        clic(abrirComo(u"Administrador"_s), "botonAgregar");
        NuevaCuenta* n = NuevaCuenta::instancia();
        ASSERT_TRUE(n && n->isVisible());
        clic(VentanaCuentas::instancia(), "botonVolver"); // the new-user window writes on its own
        borrarCerradas();
        EXPECT_EQ(n->focusWidget(), hijo(n, "botonVolver")); // it opens on "Cancelar y Volver"
        if (vez == 0) { // differing passwords are refused before empty fields; what was typed stays
            llenar(n, QString(), u"a"_s, QString());
            const QString distintas = u"Los dos campos de contraseñas deben ser iguales, recuerde que se "
                                      u"diferencian minúsculas de mayúsculas"_s;
            esperar(distintas, u"Error comprobación"_s, Icono::Exclamacion, 1);
            mensajes_.limpiar();
            llenar(n, u"Dora"_s, QString(), QString());
            esperar(u"Ingrese los valores en los campos"_s, u"Falta Valores"_s, Icono::Informacion, 1);
            EXPECT_EQ(hijo<QLineEdit>(n, "nombreUsuario")->text(), u"Dora"_s);
        }
        llenar(n, nombre, u"it's"_s, u"it's"_s);
        esperar(u"Usuario O'Brien creado!"_s, u"Usuario Creado"_s, Icono::Informacion);
        EXPECT_EQ(NuevaCuenta::instancia(), nullptr);
    }
    const QString hashAdministrador = hashes(base_->registro(), u"Administrador"_s).value(0);
    llenar(abrirComo(u"Administrador"_s), nombre, u"otra"_s, u"otra"_s);
    EXPECT_EQ(mensajes_.textos(), QStringList(2, u"La contraseña ha sido cambiada"_s));
    ASSERT_EQ(hashes(base_->registro(), nombre).size(), 2);
    for (const QString& hash : hashes(base_->registro(), nombre))
        EXPECT_TRUE(verificarContrasena(hash, u"otra"_s));
    EXPECT_EQ(hashes(base_->registro(), u"Administrador"_s).value(0), hashAdministrador);

    // A built-in name is refused and the window stays; No deletes nothing and closes it; Yes
    // deletes every account of the name.
    v = abrirComo(u"Administrador"_s);
    elegir(v, u"Invitado"_s);
    clic(v, "botonBorrar");
    esperar(u"¡No se puede eliminar el usuario Invitado!"_s, u"Error"_s, Icono::Exclamacion, 1);
    EXPECT_TRUE(VentanaCuentas::instancia() == v && v->isVisible());
    for (Respuesta respuesta : {Respuesta::No, Respuesta::Si}) {
        v = abrirComo(u"Administrador"_s);
        elegir(v, nombre);
        mensajes_.responder(respuesta);
        clic(v, "botonBorrar");
        const auto& pregunta = mensajes_.mensajes().at(0);
        EXPECT_EQ(pregunta.texto, u"¿Está seguro que quiere eliminar el usuario O'Brien?"_s);
        EXPECT_TRUE(pregunta.titulo == u"Eliminar Usuario"_s && pregunta.botones == Botones::SiNo);
        EXPECT_EQ(hashes(base_->registro(), nombre).size(), respuesta == Respuesta::Si ? 0 : 2);
        EXPECT_EQ(VentanaCuentas::instancia(), nullptr);
    }
    esperar(u"Usuario O'Brien eliminado!"_s, u"Usuario Eliminado"_s, Icono::Exclamacion, 2);
}

} // namespace
