// Start-up, login, the account window and the new-user window, driven as a user would; the
// account rules themselves through plain calls.
#include "BaseTemporal.h"
#include "MessageRecorder.h"

#include "Oficina.h"
#include "accounts/Cuentas.h"
#include "accounts/CuentasUsuario.h"
#include "accounts/InicioSesion.h"
#include "accounts/NvoUsuario.h"
#include "clients/FrmDatos.h"
#include "clients/PantallaInicio.h"
#include "platform/Programa.h"
#include "store/Contrasenas.h"
#include "store/modVarios.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

const QString kIncorrecta =
    QStringLiteral("Usted a ingresado una contraseña incorrecta o el campo esta vacio, por favor escríbala "
                   "correctamente y presione Iniciar Sesion");

template <typename T = QWidget> T* hijo(const QObject* padre, const char* nombre) {
    T* w = padre ? padre->findChild<T*>(QString::fromLatin1(nombre)) : nullptr;
    EXPECT_NE(w, nullptr) << nombre;
    return w;
}

// The main window the login opened, if any.
QWidget* principal() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("FrmDatos"))
            return w;
    return nullptr;
}

// The stored hashes of the accounts of that name (of all, as "name hash", without one).
QStringList hashes(const QString& de = QString()) {
    Recordset r;
    r.abrir(BaseDatosCompartida(), Sentencias::listaUsuarios());
    QStringList h;
    for (const QStringList& f : r.filas())
        if (de.isNull() || f.value(1) == de)
            h << (de.isNull() ? f.value(1) + QLatin1Char(' ') : QString()) + f.value(2);
    return h;
}

void ejecutar(const Consulta& c) {
    BaseDatosCompartida().ejecutar(c.sql, c.parametros);
}

void borrarVentanasCerradas() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void escribir(QLineEdit* caja, const QString& texto) {
    caja->clear();
    QTest::keyClicks(caja, texto);
}

// Whether Tab visits the named widgets of `v` in that order, starting at the first one.
bool ordenTab(QWidget* v, std::initializer_list<const char*> nombres) {
    QList<QWidget*> todos, orden;
    for (const char* nombre : nombres)
        todos << hijo(v, nombre);
    QWidget* w = todos.first();
    for (int paso = 0; paso < 200 && orden.size() < todos.size(); ++paso, w = w->nextInFocusChain())
        if (todos.contains(w) && !orden.contains(w))
            orden.append(w);
    return orden == todos;
}

QString nombreAccesible(QWidget* w) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    return i ? i->text(QAccessible::Name) : QString();
}

// A password box: masked with '*', at most ten characters typed.
void esContrasena(QLineEdit* p) {
    EXPECT_EQ(p->echoMode(), QLineEdit::Password);
    EXPECT_EQ(p->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, p), '*');
    escribir(p, QStringLiteral("abcdefghijKLMNO"));
    EXPECT_EQ(p->text(), QStringLiteral("abcdefghij"));
    EXPECT_FALSE(nombreAccesible(p).isEmpty());
    p->clear();
}

class CuentasTest : public ::testing::Test {
protected:
    // One database for the suite: hashing the passwords is the slow part.
    static void SetUpTestSuite() {
        base_ = new BaseTemporal;
        const std::pair<const char*, const char*> extra[] = {
            {"Operador", "uno"}, {"administrador", "Clave"}, {"Operador", "dos"}, {"Largo", "abcdefghijk"}};
        for (const auto& [nombre, clave] : extra)
            ejecutar(Sentencias::insertarUsuario(QString::fromUtf8(nombre),
                                                 hashContrasena(QString::fromUtf8(clave))));
    }
    static void TearDownTestSuite() {
        delete base_;
        base_ = nullptr;
    }

    void SetUp() override {
        EstablecerFinalizadorPrograma([this] { ++finales_; });
    }

    void TearDown() override {
        cerrarVentanas();
        EstablecerFinalizadorPrograma(nullptr);
    }

    // Every window holds the office: they go before it.
    static void cerrarVentanas() {
        if (NvoUsuario* n = NvoUsuario::instancia())
            n->close();
        if (CuentasUsuario* c = CuentasUsuario::instancia())
            c->close();
        delete InicioSesion::instancia();
        delete principal();
        borrarVentanasCerradas();
    }

    CuentasUsuario* abrirComo(const QString& usuario) {
        borrarVentanasCerradas();
        mensajes_.limpiar();
        oficina_.establecerUsuario(usuario);
        MostrarCuentasUsuario(oficina_);
        return CuentasUsuario::instancia();
    }

    // Chooses a name in the account window the way the administrator does: by typing it.
    static void elegir(QWidget* v, const QString& nombre) {
        auto* combo = hijo<QComboBox>(v, "Combo1");
        combo->setFocus();
        escribir(combo->lineEdit(), nombre);
    }

    static void clic(QWidget* v, const char* boton) { QTest::mouseClick(hijo(v, boton), Qt::LeftButton); }

    // Fills the name (when given) and both passwords, and presses "Aceptar".
    static void llenar(QWidget* v, const QString& nombre, const QString& clave1, const QString& clave2) {
        if (!nombre.isNull() && v->findChild<QComboBox*>(QStringLiteral("Combo1")))
            elegir(v, nombre);
        else if (!nombre.isNull())
            escribir(hijo<QLineEdit>(v, "Text1"), nombre);
        escribir(hijo<QLineEdit>(v, "Pass1"), clave1);
        escribir(hijo<QLineEdit>(v, "Pass2"), clave2);
        clic(v, "Aceptar");
    }

    // The last message, and how many there were since the last `limpiar` (when given).
    void esperar(const QString& texto, const QString& titulo, Icono icono, int cuantos = 0) {
        ASSERT_FALSE(mensajes_.mensajes().isEmpty());
        EXPECT_TRUE(!cuantos || mensajes_.mensajes().size() == cuantos) << mensajes_.mensajes().size();
        EXPECT_EQ(mensajes_.ultimo().texto, texto);
        EXPECT_EQ(mensajes_.ultimo().titulo, titulo);
        EXPECT_EQ(mensajes_.ultimo().icono, icono);
    }

    // Chooses the name, types the password and clicks "Iniciar Sesion" (or presses Enter in it).
    static void intentar(InicioSesion* v, const QString& nombre, const QString& clave, bool enter = false) {
        auto* lista = hijo<QComboBox>(v, "NomUsuario");
        lista->setCurrentIndex(lista->findText(nombre));
        escribir(hijo<QLineEdit>(v, "Pass"), clave);
        if (enter)
            QTest::keyClick(hijo(v, "Pass"), Qt::Key_Return);
        else
            clic(v, "Inicio");
    }

    // Logs in from the keyboard in the login window of a fresh office; true when let in.
    bool iniciarSesion(const QString& nombre, const QString& contrasena) {
        cerrarVentanas();
        mensajes_.limpiar();
        Oficina oficina;
        intentar(InicioSesion::Mostrar(oficina), nombre, contrasena, true);
        const bool dentro = mensajes_.textos().contains(QStringLiteral("Contraseña Correcta!")) &&
                            principal() && oficina.usuario() == nombre;
        cerrarVentanas();
        return dentro;
    }

    static BaseTemporal* base_;
    MessageRecorder mensajes_;
    Oficina oficina_;
    int finales_ = 0;
};

BaseTemporal* CuentasTest::base_ = nullptr;

TEST_F(CuentasTest, TheLoginListsTheAccountsWithNoneChosenAndMasksThePassword) {
    InicioSesion* v = InicioSesion::Mostrar(oficina_);
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Inicio De Sesion"));
    auto* lista = hijo<QComboBox>(v, "NomUsuario");
    QStringList nombres;
    for (int i = 0; i < lista->count(); ++i)
        nombres << lista->itemText(i);
    EXPECT_EQ(nombres,
              QStringList({"Administrador", "Invitado", "Operador", "administrador", "Operador", "Largo"}));
    EXPECT_EQ(lista->currentIndex(), -1);
    // The password box is the only one: no hash travels through the window.
    EXPECT_EQ(v->findChildren<QLineEdit*>().size(), 1);
    // Labels name their boxes for screen readers; the order follows the form.
    EXPECT_EQ(lista->accessibleName(), QStringLiteral("Nombre de Usuario:"));
    EXPECT_TRUE(ordenTab(v, {"NomUsuario", "Pass", "Inicio"}));
    esContrasena(hijo<QLineEdit>(v, "Pass"));
    // Eleven characters typed, ten kept: a longer stored password can never be entered.
    intentar(v, QStringLiteral("Largo"), QStringLiteral("abcdefghijk"));
    EXPECT_EQ(mensajes_.ultimo().texto, kIncorrecta);
}

TEST_F(CuentasTest, AWrongPasswordKeepsTheLoginAndARightOneOpensTheMainWindowWithTheLastAccountOfTheName) {
    InicioSesion* v = InicioSesion::Mostrar(oficina_);
    intentar(v, QStringLiteral("Operador"), QStringLiteral("uno")); // an earlier account's password
    esperar(kIncorrecta, QStringLiteral("Contraseña Incorrecta"), Icono::Informacion, 1);
    EXPECT_EQ(mensajes_.ultimo().botones, Botones::Aceptar);
    EXPECT_TRUE(v->isVisible() && hijo<QLineEdit>(v, "Pass")->text() == QStringLiteral("uno"));
    // No name chosen, empty password: also refused; Enter in the name list tries too.
    intentar(v, QString(), QString());
    QTest::keyClick(hijo(v, "NomUsuario"), Qt::Key_Return);
    EXPECT_EQ(mensajes_.textos(), QStringList(3, kIncorrecta));
    EXPECT_TRUE(oficina_.usuario().isEmpty());
    EXPECT_EQ(principal(), nullptr);

    mensajes_.limpiar();
    intentar(v, QStringLiteral("Operador"), QStringLiteral("dos"));
    ASSERT_EQ(mensajes_.textos(), QStringList({"Contraseña Correcta!", "Bienvenido Usuario Operador"}));
    EXPECT_EQ(mensajes_.mensajes().at(0).titulo, QStringLiteral("Contraseña Correcta"));
    EXPECT_EQ(oficina_.usuario(), QStringLiteral("Operador"));
    borrarVentanasCerradas();
    EXPECT_EQ(InicioSesion::instancia(), nullptr);
    EXPECT_EQ(finales_, 0); // a successful close does not end the program
    ASSERT_TRUE(principal() && principal()->isVisible());
    EXPECT_EQ(hijo<QLineEdit>(principal(), "Usuario")->text(), QStringLiteral("Operador"));
}

// The splash goes to the login after two seconds or a click, a key ends the program, and so
// does leaving the login without logging in.
TEST_F(CuentasTest, TheSplashLeadsToTheLoginAndLeavingEitherEndsTheProgram) {
    for (int caso = 0; caso < 3; ++caso) {
        PantallaInicio inicio(oficina_);
        inicio.show();
        auto* reloj = hijo<QTimer>(&inicio, "Timer1");
        EXPECT_EQ(reloj->interval(), 2000);
        EXPECT_EQ(InicioSesion::instancia(), nullptr);
        if (caso == 0)
            ASSERT_TRUE(QMetaObject::invokeMethod(reloj, "timeout"));
        else if (caso == 1)
            QTest::mouseClick(hijo(&inicio, "Image1"), Qt::LeftButton);
        else
            QTest::keyClick(&inicio, Qt::Key_Space);
        EXPECT_FALSE(inicio.isVisible() || reloj->isActive());
        EXPECT_EQ(PantallaInicio::instancia(), &inicio); // hidden, still loaded
        EXPECT_EQ(InicioSesion::instancia() && InicioSesion::instancia()->isVisible(), caso < 2);
        EXPECT_EQ(finales_, caso < 2 ? 0 : 1);
        if (caso == 0) {
            QTest::keyClick(hijo(InicioSesion::instancia(), "Pass"), Qt::Key_Escape);
            EXPECT_EQ(finales_, 1);
            borrarVentanasCerradas();
            finales_ = 0;
        }
        delete InicioSesion::instancia();
    }
}

// Rights go by the session alone: an "Invitado" session gets Invitado's window from the main
// window's button (opened once), and the office refuses it every administrator operation.
TEST_F(CuentasTest, AnOrdinaryUserSeesOnlyTheirOwnNameFixedAndNoAdministratorButtons) {
    oficina_.establecerUsuario(QStringLiteral("Invitado"));
    auto* ventana = new FrmDatos(oficina_); // deleted with the other windows
    ventana->show();
    mensajes_.limpiar();
    clic(ventana, "cmdOpciones_6");
    CuentasUsuario* v = CuentasUsuario::instancia();
    ASSERT_TRUE(v && v->isVisible());
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Configuracion de Cuentas de Usuario"));
    auto* combo = hijo<QComboBox>(v, "Combo1");
    EXPECT_TRUE(combo->currentText() == QStringLiteral("Invitado") && combo->count() == 0);
    EXPECT_FALSE(combo->isEnabled());
    EXPECT_FALSE(hijo(v, "BorrarUsuario")->isVisible() || hijo(v, "Command1")->isVisible());
    EXPECT_TRUE(hijo(v, "Aceptar")->isVisible() && mensajes_.mensajes().isEmpty());
    clic(ventana, "cmdOpciones_6");
    EXPECT_EQ(CuentasUsuario::instancia(), v);

    const QStringList antes = hashes();
    EXPECT_THROW(oficina_.crearCuenta(QStringLiteral("Intruso"), QString()), ErrorBD);
    EXPECT_THROW(oficina_.borrarCuentas(QStringLiteral("Operador")), ErrorBD);
    EXPECT_THROW(oficina_.cambiarContrasena(1, QStringLiteral("Administrador"), "x"), ErrorBD);
    // Driven past the hidden button, the new-user window shows the refusal and stays open.
    MostrarNvoUsuario(oficina_);
    llenar(NvoUsuario::instancia(), QStringLiteral("Intruso"), QStringLiteral("x"), QStringLiteral("x"));
    esperar(QStringLiteral("Solo el usuario Administrador puede crear usuarios."),
            QStringLiteral("Velmora KV-270"), Icono::Critico, 1);
    EXPECT_NE(NvoUsuario::instancia(), nullptr);
    EXPECT_EQ(hashes(), antes);
}

// The rules themselves: only the exact "Administrador" creates, deletes and changes another
// account's password; nobody deletes the built-in accounts or renames one through an Id.
TEST_F(CuentasTest, AccountRulesRefuseOrdinaryUsersAndProtectTheBuiltInAccounts) {
    const QStringList antes = hashes();
    const QString invitado = QStringLiteral("Invitado");
    const QString administrador = QStringLiteral("Administrador");
    const Cuenta primera = LeerCuentas().at(0);
    EXPECT_EQ(primera.nombre, administrador);
    EXPECT_THROW(CambiarContrasenaCuenta(invitado, primera.id, administrador, "x"), ErrorBD);
    EXPECT_THROW(BorrarCuentas(invitado, QStringLiteral("Operador")), ErrorBD);
    EXPECT_THROW(BorrarCuentas(QStringLiteral("administrador"), QStringLiteral("Operador")), ErrorBD);
    EXPECT_THROW(CrearCuenta(invitado, QStringLiteral("Intruso"), "x"), ErrorBD);
    for (const QString& protegida : {invitado, administrador})
        EXPECT_THROW(BorrarCuentas(administrador, protegida), ErrorBD);
    EXPECT_FALSE(CuentaProtegida(QStringLiteral("administrador")));
    EXPECT_FALSE(CambiarContrasenaCuenta(invitado, primera.id, invitado, "x"));
    EXPECT_EQ(hashes(), antes);
}

// The administrator's window: every account to choose, its buttons, texts, limits and tab
// order; opening it again brings the same window without reading the accounts again.
TEST_F(CuentasTest, TheAdministratorsWindowListsEveryAccountAndOpensOnce) {
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    auto* combo = hijo<QComboBox>(v, "Combo1");
    QStringList lista;
    for (int i = 0; i < combo->count(); ++i)
        lista << combo->itemText(i);
    EXPECT_EQ(lista,
              QStringList({"Administrador", "Invitado", "Operador", "administrador", "Operador", "Largo"}));
    EXPECT_EQ(combo->currentText(), QStringLiteral("Administrador"));
    EXPECT_TRUE(combo->isEnabled() && combo->isEditable());

    QStringList textos;
    for (const char* nombre :
         {"Label1", "Label2", "Label3", "BorrarUsuario", "Aceptar", "Command3", "Command1"})
        textos << hijo(v, nombre)->property("text").toString();
    EXPECT_EQ(textos.join(QLatin1Char('|')), QStringLiteral("Usuario Actual:|Nueva Contraseña:|Repetir Nueva "
                                                            "Contraseña:|Borrar Usuario|Aceptar|Cancelar y "
                                                            "Volver|Agregar Usuario"));
    EXPECT_TRUE(hijo(v, "BorrarUsuario")->isVisible() && hijo(v, "Command1")->isVisible());
    EXPECT_TRUE(
        ordenTab(v, {"Combo1", "Pass1", "Pass2", "BorrarUsuario", "Aceptar", "Command3", "Command1"}));
    // A combo box reports its text as its accessible name, so its label's text is set by hand.
    EXPECT_EQ(combo->accessibleName(), QStringLiteral("Usuario Actual:"));
    for (const char* nombre : {"Pass1", "Pass2"}) {
        EXPECT_EQ(hijo(v, nombre)->toolTip(),
                  QStringLiteral("Ingrese como máximo 10 números o letras, recuerde "
                                 "que diferencia entre minúsculas y mayúsculas"));
        esContrasena(hijo<QLineEdit>(v, nombre));
    }

    QPointer<CuentasUsuario> primera(v);
    QTest::keyClicks(hijo(v, "Pass1"), QStringLiteral("a medias"));
    ejecutar(Sentencias::insertarUsuario(QStringLiteral("Beto"), QStringLiteral("$argon2id$sin-uso")));
    MostrarCuentasUsuario(oficina_);
    EXPECT_EQ(CuentasUsuario::instancia(), primera.data());
    EXPECT_EQ(combo->count(), lista.size());
    EXPECT_EQ(hijo<QLineEdit>(v, "Pass1")->text(), QStringLiteral("a medias"));
    // Once closed, the next one reads the accounts again.
    clic(v, "Command3");
    borrarVentanasCerradas();
    EXPECT_TRUE(primera.isNull());
    EXPECT_EQ(hijo<QComboBox>(abrirComo(QStringLiteral("Administrador")), "Combo1")->count(),
              lista.size() + 1);
    ejecutar(Sentencias::borrarUsuario(QStringLiteral("Beto")));
}

TEST_F(CuentasTest, PasswordsChangeToNewHashesOfTheChosenAccountOnly) {
    // Differing entries give the verification error and close without writing.
    const QStringList sinCambios = hashes();
    llenar(abrirComo(QStringLiteral("Invitado")), QString(), QStringLiteral("Clave"),
           QStringLiteral("clave"));
    esperar(QStringLiteral("¡La confirmación de la contraseña debe ser la misma que la contraseña!"),
            QStringLiteral("Error de Verificación"), Icono::Exclamacion, 1);
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    EXPECT_EQ(hashes(), sinCambios);

    // A user changes their own: the text is cut at ten characters and only its hash is stored.
    llenar(abrirComo(QStringLiteral("Invitado")), QString(), QStringLiteral("d'Ar tagnan"),
           QStringLiteral("d'Ar tagnan"));
    esperar(QStringLiteral("La contraseña ha sido cambiada"), QStringLiteral("Aviso de contraseña"),
            Icono::Informacion, 1);
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    const QString hash = hashes(QStringLiteral("Invitado")).value(0);
    EXPECT_TRUE(hash.startsWith(QStringLiteral("$argon2id$")) &&
                verificarContrasena(hash, QStringLiteral("d'Ar tagna")));
    EXPECT_FALSE(verificarContrasena(hash, QStringLiteral("d'ar tagna")));

    // A typed name of no account writes nothing and says nothing.
    const QStringList antes = hashes();
    llenar(abrirComo(QStringLiteral("Administrador")), QStringLiteral("Nadie"), QString(), QString());
    EXPECT_TRUE(mensajes_.mensajes().isEmpty());
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    EXPECT_EQ(hashes(), antes);
}

// The administrator creates the same name twice (an apostrophe in name and password) from a
// new-user window that outlives the account window, changes the password of both, and deleting
// the name removes both; the built-in accounts are refused.
TEST_F(CuentasTest, DuplicateNamesAreCreatedChangedAndDeletedTogetherProtectedOnesNever) {
    const QString nombre = QStringLiteral("O'Brien");
    for (int vez = 0; vez < 2; ++vez) {
        CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
        clic(v, "Command1");
        ASSERT_TRUE(NvoUsuario::instancia() && NvoUsuario::instancia()->isVisible());
        clic(v, "Command3"); // the new-user window writes on its own
        borrarVentanasCerradas();
        llenar(NvoUsuario::instancia(), nombre, QStringLiteral("it's"), QStringLiteral("it's"));
        esperar(QStringLiteral("Usuario O'Brien creado!"), QStringLiteral("Usuario Creado"),
                Icono::Informacion);
        EXPECT_EQ(NvoUsuario::instancia(), nullptr);
    }
    ASSERT_EQ(hashes(nombre).size(), 2);
    const QString hashAdministrador = hashes(QStringLiteral("Administrador")).value(0);
    llenar(abrirComo(QStringLiteral("Administrador")), nombre, QStringLiteral("otra"),
           QStringLiteral("otra"));
    EXPECT_EQ(mensajes_.textos(), QStringList(2, QStringLiteral("La contraseña ha sido cambiada")));
    for (const QString& hash : hashes(nombre))
        EXPECT_TRUE(verificarContrasena(hash, QStringLiteral("otra")));
    EXPECT_EQ(hashes(QStringLiteral("Administrador")).value(0), hashAdministrador);

    // A built-in name is refused and the window stays open; No deletes nothing and closes it;
    // Yes deletes every account of the name.
    const QStringList antes = hashes();
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    elegir(v, QStringLiteral("Invitado"));
    clic(v, "BorrarUsuario");
    esperar(QStringLiteral("¡No se puede eliminar el usuario Invitado!"), QStringLiteral("Error"),
            Icono::Exclamacion, 1);
    EXPECT_TRUE(CuentasUsuario::instancia() == v && v->isVisible());
    for (Respuesta respuesta : {Respuesta::No, Respuesta::Si}) {
        v = abrirComo(QStringLiteral("Administrador"));
        elegir(v, nombre);
        mensajes_.responder(respuesta);
        clic(v, "BorrarUsuario");
        const auto& pregunta = mensajes_.mensajes().at(0);
        EXPECT_EQ(pregunta.texto, QStringLiteral("¿Está seguro que quiere eliminar el usuario O'Brien?"));
        EXPECT_TRUE(pregunta.titulo == QStringLiteral("Eliminar Usuario") &&
                    pregunta.botones == Botones::SiNo);
        EXPECT_EQ(mensajes_.mensajes().size(), respuesta == Respuesta::Si ? 2 : 1);
        EXPECT_EQ(hashes(nombre).size(), respuesta == Respuesta::Si ? 0 : 2);
        EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    }
    esperar(QStringLiteral("Usuario O'Brien eliminado!"), QStringLiteral("Usuario Eliminado"),
            Icono::Exclamacion);
    EXPECT_EQ(hashes(QStringLiteral("Invitado")).size(), 1);
}

TEST_F(CuentasTest, TheNewUserWindowChecksInOrderAndStartsOnCancel) {
    oficina_.establecerUsuario(QStringLiteral("Administrador"));
    MostrarNvoUsuario(oficina_);
    NvoUsuario* n = NvoUsuario::instancia();
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->windowTitle(), QStringLiteral("Nuevo Usuario"));
    EXPECT_EQ(hijo(n, "Text1")->toolTip(), hijo(n, "Pass1")->toolTip());
    EXPECT_FALSE(nombreAccesible(hijo(n, "Text1")).isEmpty());
    EXPECT_EQ(n->focusWidget(), hijo(n, "Command3")); // it opens on "Cancelar y Volver"
    EXPECT_TRUE(ordenTab(n, {"Command3", "Aceptar", "Pass2", "Pass1", "Text1"}));
    esContrasena(hijo<QLineEdit>(n, "Pass2"));
    MostrarNvoUsuario(oficina_); // a second opening brings the same window
    EXPECT_EQ(NvoUsuario::instancia(), n);

    // Differing passwords are refused before empty fields; failures keep what was typed.
    const QStringList antes = hashes();
    const QString comparacion = QStringLiteral("Los dos campos de contraseñas deben ser iguales, recuerde "
                                               "que se diferencian minúsculas de mayúsculas");
    const QString faltan = QStringLiteral("Ingrese los valores en los campos");
    const QString casos[][4] = {{"", "a", "", comparacion}, {"", "a", "a", faltan}, {"Dora", "", "", faltan}};
    for (const auto& [nombre, clave1, clave2, texto] : casos) {
        mensajes_.limpiar();
        llenar(n, nombre, clave1, clave2);
        if (texto == comparacion)
            esperar(texto, QStringLiteral("Error comprobación"), Icono::Exclamacion, 1);
        else
            esperar(texto, QStringLiteral("Falta Valores"), Icono::Informacion, 1);
        EXPECT_EQ(NvoUsuario::instancia(), n);
        EXPECT_EQ(hijo<QLineEdit>(n, "Text1")->text() + hijo<QLineEdit>(n, "Pass1")->text(), nombre + clave1);
    }
    // "Cancelar y Volver" writes nothing.
    mensajes_.limpiar();
    clic(n, "Command3");
    EXPECT_EQ(NvoUsuario::instancia(), nullptr);
    EXPECT_TRUE(mensajes_.mensajes().isEmpty());
    EXPECT_EQ(hashes(), antes);

    // Spaces count as content.
    borrarVentanasCerradas();
    MostrarNvoUsuario(oficina_);
    llenar(NvoUsuario::instancia(), QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" "));
    EXPECT_EQ(mensajes_.textos(), QStringList{QStringLiteral("Usuario   creado!")});
    EXPECT_TRUE(verificarContrasena(hashes(QStringLiteral(" ")).value(0), QStringLiteral(" ")));
    ejecutar(Sentencias::borrarUsuario(QStringLiteral(" ")));
}

// A new account logs in from the keyboard, empties its own password, and then logs in empty.
TEST_F(CuentasTest, ANewAccountEmptiesItsOwnPasswordAndLogsInEmpty) {
    oficina_.establecerUsuario(QStringLiteral("Administrador"));
    oficina_.crearCuenta(QStringLiteral("Elena"), QStringLiteral("Sec'reta9"));
    EXPECT_FALSE(iniciarSesion(QStringLiteral("Elena"), QStringLiteral("sec'reta9")));
    EXPECT_TRUE(iniciarSesion(QStringLiteral("Elena"), QStringLiteral("Sec'reta9")));
    CuentasUsuario* v = abrirComo(QStringLiteral("Elena"));
    EXPECT_EQ(hijo<QComboBox>(v, "Combo1")->currentText(), QStringLiteral("Elena"));
    clic(v, "Aceptar");
    EXPECT_EQ(mensajes_.textos(), QStringList{QStringLiteral("La contraseña ha sido cambiada")});
    EXPECT_FALSE(iniciarSesion(QStringLiteral("Elena"), QStringLiteral("Sec'reta9")));
    EXPECT_TRUE(iniciarSesion(QStringLiteral("Elena"), QString()));
    ejecutar(Sentencias::borrarUsuario(QStringLiteral("Elena")));
}

} // namespace
