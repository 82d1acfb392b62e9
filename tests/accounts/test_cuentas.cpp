// Start-up, login, the account window and the new-user window, driven as a user would.
#include "BaseTemporal.h"
#include "MessageRecorder.h"

#include "accounts/CuentasUsuario.h"
#include "accounts/InicioSesion.h"
#include "accounts/NvoUsuario.h"
#include "accounts/Sesion.h"
#include "clients/FrmDatos.h"
#include "clients/PantallaInicio.h"
#include "grid/GridModel.h"
#include "platform/Programa.h"
#include "store/Contrasenas.h"
#include "store/modVarios.h"

#include <QAccessible>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kIncorrecta =
    QStringLiteral("Usted a ingresado una contraseña incorrecta o el campo esta vacio, por favor escríbala "
                   "correctamente y presione Iniciar Sesion");

struct Cuenta {
    qint64 id;
    QString nombre;
    QString hash;
};

QList<Cuenta> cuentas(const QString& soloDe = QString()) {
    Recordset r;
    r.abrir(BaseDatosCompartida(), Sentencias::listaUsuarios());
    QList<Cuenta> lista;
    for (const QStringList& f : r.filas())
        if (soloDe.isNull() || f.value(1) == soloDe)
            lista.append({f.value(0).toLongLong(), f.value(1), f.value(2)});
    return lista;
}

QStringList hashes() {
    QStringList h;
    for (const Cuenta& c : cuentas())
        h << c.nombre + QLatin1Char(' ') + c.hash;
    return h;
}

void ejecutar(const Consulta& c) {
    BaseDatosCompartida().ejecutar(c.sql, c.parametros);
}

// An account with a hash of no password anyone types: for tests that never log in with it.
void insertarCuenta(const QString& nombre) {
    ejecutar(Sentencias::insertarUsuario(nombre, QStringLiteral("$argon2id$sin-uso")));
}

void borrarDirecto(const QString& nombre) {
    ejecutar(Sentencias::borrarUsuario(nombre));
}

void borrarVentanasCerradas() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void escribir(QLineEdit* caja, const QString& texto) {
    caja->clear();
    QTest::keyClicks(caja, texto);
}

// Widgets of `todos` in the order Tab visits them, starting at the first one.
QList<QWidget*> ordenTab(const QList<QWidget*>& todos) {
    QList<QWidget*> orden;
    QWidget* w = todos.first();
    for (int paso = 0; paso < 200 && orden.size() < todos.size(); ++paso, w = w->nextInFocusChain())
        if (todos.contains(w) && !orden.contains(w))
            orden.append(w);
    return orden;
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
        UsuarioActual.clear();
        EstablecerFinalizadorPrograma([this] { ++finales_; });
    }

    void TearDown() override {
        if (NvoUsuario* n = NvoUsuario::instancia())
            n->close();
        if (CuentasUsuario* c = CuentasUsuario::instancia())
            c->close();
        delete InicioSesion::instancia();
        delete FrmDatos::instancia();
        borrarVentanasCerradas();
        CerrarConexion2();
        EstablecerFinalizadorPrograma(nullptr);
        UsuarioActual.clear();
    }

    CuentasUsuario* abrirComo(const QString& usuario) {
        borrarVentanasCerradas();
        mensajes_.limpiar();
        UsuarioActual = usuario;
        MostrarCuentasUsuario();
        CuentasUsuario* v = CuentasUsuario::instancia();
        EXPECT_NE(v, nullptr);
        return v;
    }

    // Chooses a name in the account window the way the administrator does: by typing it.
    static void elegir(CuentasUsuario* v, const QString& nombre) {
        v->Combo1->setFocus();
        escribir(v->Combo1->lineEdit(), nombre);
    }

    void aceptar(CuentasUsuario* v, const QString& nombre, const QString& clave1, const QString& clave2) {
        if (!nombre.isNull())
            elegir(v, nombre);
        escribir(v->Pass1, clave1);
        escribir(v->Pass2, clave2);
        QTest::mouseClick(v->Aceptar, Qt::LeftButton);
    }

    void crear(NvoUsuario* n, const QString& nombre, const QString& clave1, const QString& clave2) {
        escribir(n->Text1, nombre);
        escribir(n->Pass1, clave1);
        escribir(n->Pass2, clave2);
        QTest::mouseClick(n->Aceptar, Qt::LeftButton);
    }

    // The window closed, and its slot with it.
    static void cerrada() {
        EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
        EXPECT_FALSE(Conexion2.abierta());
    }

    void esperar(const QString& texto, const QString& titulo, Icono icono) {
        ASSERT_FALSE(mensajes_.mensajes().isEmpty());
        EXPECT_EQ(mensajes_.ultimo().texto, texto);
        EXPECT_EQ(mensajes_.ultimo().titulo, titulo);
        EXPECT_EQ(mensajes_.ultimo().icono, icono);
    }

    void intentar(InicioSesion* v, const QString& nombre, const QString& clave) {
        v->NomUsuario->setCurrentIndex(v->NomUsuario->findText(nombre));
        escribir(v->Pass, clave);
        QTest::mouseClick(v->Inicio, Qt::LeftButton);
    }

    // Logs in through the login window; true when it let the user in.
    bool iniciarSesion(const QString& nombre, const QString& contrasena) {
        delete FrmDatos::instancia();
        UsuarioActual.clear();
        mensajes_.limpiar();
        intentar(InicioSesion::Mostrar(), nombre, contrasena);
        borrarVentanasCerradas();
        const bool dentro = mensajes_.textos().contains(QStringLiteral("Contraseña Correcta!"));
        delete InicioSesion::instancia();
        return dentro && UsuarioActual == nombre;
    }

    static BaseTemporal* base_;
    MessageRecorder mensajes_;
    int finales_ = 0;
};

BaseTemporal* CuentasTest::base_ = nullptr;

TEST_F(CuentasTest, TheLoginListsTheAccountsWithNoneChosenAndMasksThePassword) {
    InicioSesion* v = InicioSesion::Mostrar();
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Inicio De Sesion"));
    QStringList nombres;
    for (int i = 0; i < v->NomUsuario->count(); ++i)
        nombres << v->NomUsuario->itemText(i);
    EXPECT_EQ(nombres,
              QStringList({"Administrador", "Invitado", "Operador", "administrador", "Operador", "Largo"}));
    EXPECT_EQ(v->NomUsuario->currentIndex(), -1);
    EXPECT_FALSE(v->text2->isVisible());
    EXPECT_TRUE(Conexion2.abierta());
    // Labels name their boxes for screen readers; the order follows the form.
    EXPECT_EQ(v->NomUsuario->accessibleName(), QStringLiteral("Nombre de Usuario:"));
    const QList<QWidget*> orden{v->NomUsuario, v->Pass, v->Inicio};
    EXPECT_EQ(ordenTab(orden), orden);
    esContrasena(v->Pass);
    // Eleven characters typed, ten kept: a longer stored password can never be entered.
    intentar(v, QStringLiteral("Largo"), QStringLiteral("abcdefghijk"));
    EXPECT_EQ(mensajes_.ultimo().texto, kIncorrecta);
}

TEST_F(CuentasTest, AWrongPasswordOrNoNameKeepsTheLoginOpenAndTheLastAccountOfANameCounts) {
    InicioSesion* v = InicioSesion::Mostrar();
    intentar(v, QStringLiteral("Operador"), QStringLiteral("DOS"));
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    esperar(kIncorrecta, QStringLiteral("Contraseña Incorrecta"), Icono::Informacion);
    EXPECT_EQ(mensajes_.ultimo().botones, Botones::Aceptar);
    EXPECT_TRUE(v->isVisible());
    EXPECT_EQ(v->Pass->text(), QStringLiteral("DOS"));
    // No name chosen, empty password: also refused, even though accounts have empty passwords;
    // Enter in the name list tries too.
    v->NomUsuario->setCurrentIndex(-1);
    v->Pass->clear();
    QTest::keyClick(v->NomUsuario, Qt::Key_Return);
    EXPECT_EQ(mensajes_.mensajes().size(), 2);
    EXPECT_EQ(mensajes_.ultimo().texto, kIncorrecta);
    EXPECT_TRUE(UsuarioActual.isEmpty());
    EXPECT_EQ(FrmDatos::instancia(), nullptr);
    EXPECT_TRUE(v->text2->text().isEmpty()); // the hash does not linger
    EXPECT_EQ(finales_, 0);
    // Two accounts of one name: the last one's password counts.
    intentar(v, QStringLiteral("Operador"), QStringLiteral("uno"));
    EXPECT_EQ(mensajes_.ultimo().texto, kIncorrecta);
    mensajes_.limpiar();
    intentar(v, QStringLiteral("Operador"), QStringLiteral("dos"));
    ASSERT_EQ(mensajes_.mensajes().size(), 2);
    EXPECT_EQ(mensajes_.mensajes().at(0).texto, QStringLiteral("Contraseña Correcta!"));
    EXPECT_EQ(mensajes_.mensajes().at(0).titulo, QStringLiteral("Contraseña Correcta"));
    EXPECT_EQ(mensajes_.mensajes().at(1).texto, QStringLiteral("Bienvenido Usuario Operador"));
    EXPECT_EQ(UsuarioActual, QStringLiteral("Operador"));
}

TEST_F(CuentasTest, ALoginOpensTheMainWindowWithTheRightsOfTheExactName) {
    InicioSesion* v = InicioSesion::Mostrar();
    // Lower-case "administrador" is an ordinary user, and its password is case-sensitive.
    intentar(v, QStringLiteral("administrador"), QStringLiteral("clave"));
    EXPECT_EQ(mensajes_.ultimo().texto, kIncorrecta);
    intentar(v, QStringLiteral("administrador"), QStringLiteral("Clave"));
    EXPECT_FALSE(Conexion2.abierta());
    borrarVentanasCerradas();
    EXPECT_EQ(InicioSesion::instancia(), nullptr);
    EXPECT_EQ(finales_, 0); // a successful close does not end the program
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
    EXPECT_TRUE(mensajes_.textos().contains(QStringLiteral("Bienvenido Usuario Administrador")));
    EXPECT_TRUE(f->Municipio->isEnabled());
    EXPECT_TRUE(f->cmdOpciones[2]->isEnabled());
}

TEST_F(CuentasTest, ClosingTheLoginWithoutLoggingInEndsTheProgram) {
    QTest::keyClick(InicioSesion::Mostrar()->Pass, Qt::Key_Escape);
    EXPECT_EQ(finales_, 1);
    EXPECT_FALSE(Conexion2.abierta());
    borrarVentanasCerradas();
    EXPECT_EQ(InicioSesion::instancia(), nullptr);
    EXPECT_EQ(FrmDatos::instancia(), nullptr);
}

TEST_F(CuentasTest, TheSplashGoesToTheLoginAfterTwoSecondsOrAClickAndAKeyEndsTheProgram) {
    auto inicio = std::make_unique<PantallaInicio>();
    inicio->show();
    EXPECT_EQ(inicio->Timer1->interval(), 2000);
    EXPECT_EQ(InicioSesion::instancia(), nullptr);
    ASSERT_TRUE(QMetaObject::invokeMethod(inicio->Timer1, "timeout"));
    EXPECT_FALSE(inicio->isVisible() || inicio->Timer1->isActive());
    EXPECT_EQ(PantallaInicio::instancia(), inicio.get()); // hidden, still loaded
    ASSERT_NE(InicioSesion::instancia(), nullptr);
    EXPECT_TRUE(InicioSesion::instancia()->isVisible());
    delete InicioSesion::instancia();

    for (bool clic : {true, false}) {
        inicio.reset();
        inicio = std::make_unique<PantallaInicio>();
        inicio->show();
        if (clic)
            QTest::mouseClick(inicio->Image1, Qt::LeftButton);
        else
            QTest::keyClick(inicio.get(), Qt::Key_Space);
        EXPECT_FALSE(inicio->isVisible() || inicio->Timer1->isActive());
        EXPECT_EQ(InicioSesion::instancia() != nullptr, clic);
        EXPECT_EQ(finales_, clic ? 0 : 1);
        delete InicioSesion::instancia();
    }
    EXPECT_EQ(FrmDatos::instancia(), nullptr);
}

TEST_F(CuentasTest, AnOrdinaryUserSeesOnlyTheirOwnNameFixedAndNoAdministratorButtons) {
    for (const QString& usuario : {QStringLiteral("Invitado"), QStringLiteral("administrador")}) {
        CuentasUsuario* v = abrirComo(usuario);
        ASSERT_TRUE(v->isVisible());
        EXPECT_EQ(v->windowTitle(), QStringLiteral("Configuracion de Cuentas de Usuario"));
        EXPECT_TRUE(Conexion2.abierta());
        EXPECT_EQ(v->Combo1->currentText(), usuario);
        EXPECT_EQ(v->Combo1->count(), 0);
        EXPECT_FALSE(v->Combo1->isEnabled());
        EXPECT_FALSE(v->BorrarUsuario->isVisible());
        EXPECT_FALSE(v->Command1->isVisible());
        EXPECT_TRUE(v->Aceptar->isVisible());
        EXPECT_TRUE(mensajes_.mensajes().isEmpty());
        // The working copy is there, not shown, and holds hashes.
        ASSERT_EQ(v->flexpassus->rows(), 1 + cuentas().size());
        EXPECT_EQ(v->flexpassus->textMatrix(1, 1), QStringLiteral("Administrador"));
        EXPECT_TRUE(v->flexpassus->textMatrix(1, 2).startsWith(QStringLiteral("$argon2id$")));
        QTest::mouseClick(v->Command3, Qt::LeftButton);
        cerrada();
    }
    // The main window's Usuario box is read-only but can be written from outside (the
    // accessibility interface): rights still go by the login, and "Config. Cuentas" opens the
    // account window once.
    borrarVentanasCerradas();
    UsuarioActual = QStringLiteral("Invitado");
    FrmDatos* principal = FrmDatos::Mostrar();
    ASSERT_NE(principal, nullptr);
    principal->Usuario->setText(QStringLiteral("Administrador"));
    QTest::mouseClick(principal->cmdOpciones[6], Qt::LeftButton);
    CuentasUsuario* v = CuentasUsuario::instancia();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Combo1->currentText(), QStringLiteral("Invitado"));
    EXPECT_FALSE(v->Combo1->isEnabled());
    EXPECT_FALSE(v->Command1->isVisible());
    EXPECT_FALSE(v->BorrarUsuario->isVisible());
    EXPECT_EQ(UsuarioEnSesion(), QStringLiteral("Invitado"));
    const auto antes = cuentas().size();
    EXPECT_THROW(CrearCuenta(UsuarioEnSesion(), QStringLiteral("Intruso"), QString()), ErrorBD);
    EXPECT_THROW(BorrarCuentas(UsuarioEnSesion(), QStringLiteral("Operador")), ErrorBD);
    EXPECT_THROW(
        CambiarContrasenaCuenta(UsuarioEnSesion(), 1, QStringLiteral("Administrador"), QStringLiteral("x")),
        ErrorBD);
    EXPECT_EQ(cuentas().size(), antes);
    QTest::mouseClick(principal->cmdOpciones[6], Qt::LeftButton);
    EXPECT_EQ(CuentasUsuario::instancia(), v);
}

// The administrator's window: every account to choose, its buttons, texts, limits and tab
// order; opening it again brings the same window without reading the accounts again.
TEST_F(CuentasTest, TheAdministratorsWindowListsEveryAccountAndOpensOnce) {
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    QStringList lista, esperada;
    for (int i = 0; i < v->Combo1->count(); ++i)
        lista << v->Combo1->itemText(i);
    for (const Cuenta& c : cuentas())
        esperada << c.nombre;
    EXPECT_EQ(lista, esperada);
    EXPECT_EQ(v->Combo1->currentText(), QStringLiteral("Administrador"));
    EXPECT_TRUE(v->Combo1->isEnabled() && v->Combo1->isEditable());
    EXPECT_TRUE(v->BorrarUsuario->isVisible());
    EXPECT_TRUE(v->Command1->isVisible());

    QStringList textos;
    for (QWidget* w : QList<QWidget*>{v->Label1, v->Label2, v->Label3, v->BorrarUsuario, v->Aceptar,
                                      v->Command3, v->Command1})
        textos << w->property("text").toString();
    EXPECT_EQ(textos.join(QLatin1Char('|')), QStringLiteral("Usuario Actual:|Nueva Contraseña:|Repetir Nueva "
                                                            "Contraseña:|Borrar Usuario|Aceptar|Cancelar y "
                                                            "Volver|Agregar Usuario"));
    for (QLineEdit* p : {v->Pass1, v->Pass2}) {
        EXPECT_EQ(p->toolTip(), QStringLiteral("Ingrese como máximo 10 números o letras, recuerde que "
                                               "diferencia entre minúsculas y mayúsculas"));
        esContrasena(p);
    }
    // A combo box reports its text as its accessible name, so its label's text is set by hand.
    EXPECT_EQ(v->Combo1->accessibleName(), QStringLiteral("Usuario Actual:"));
    const QList<QWidget*> orden{v->Combo1,  v->Pass1,    v->Pass2,   v->BorrarUsuario,
                                v->Aceptar, v->Command3, v->Command1};
    EXPECT_EQ(ordenTab(orden), orden);

    QPointer<CuentasUsuario> primera(v);
    const int antes = v->Combo1->count();
    QTest::keyClicks(v->Pass1, QStringLiteral("a medias"));
    insertarCuenta(QStringLiteral("Beto"));
    MostrarCuentasUsuario();
    EXPECT_EQ(CuentasUsuario::instancia(), primera.data());
    EXPECT_EQ(v->Combo1->count(), antes);
    EXPECT_EQ(v->Pass1->text(), QStringLiteral("a medias"));
    // Once closed, the next one reads the accounts again.
    QTest::mouseClick(v->Command3, Qt::LeftButton);
    borrarVentanasCerradas();
    EXPECT_TRUE(primera.isNull());
    EXPECT_EQ(abrirComo(QStringLiteral("Administrador"))->Combo1->count(), antes + 1);
    borrarDirecto(QStringLiteral("Beto"));
}

TEST_F(CuentasTest, PasswordsChangeToNewHashesOfTheChosenAccountOnly) {
    // Differing entries give the verification error and close without writing.
    const QStringList sinCambios = hashes();
    aceptar(abrirComo(QStringLiteral("Invitado")), QString(), QStringLiteral("Clave"),
            QStringLiteral("clave"));
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    esperar(QStringLiteral("¡La confirmación de la contraseña debe ser la misma que la contraseña!"),
            QStringLiteral("Error de Verificación"), Icono::Exclamacion);
    cerrada();
    EXPECT_EQ(hashes(), sinCambios);

    // A user changes their own: the text is cut at ten characters and only its hash is stored.
    aceptar(abrirComo(QStringLiteral("Invitado")), QString(), QStringLiteral("d'Ar tagnan"),
            QStringLiteral("d'Ar tagnan"));
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    esperar(QStringLiteral("La contraseña ha sido cambiada"), QStringLiteral("Aviso de contraseña"),
            Icono::Informacion);
    cerrada();
    QString hash = cuentas(QStringLiteral("Invitado")).value(0).hash;
    EXPECT_TRUE(hash.startsWith(QStringLiteral("$argon2id$")));
    EXPECT_FALSE(hash.contains(QStringLiteral("Ar ta")));
    EXPECT_TRUE(verificarContrasena(hash, QStringLiteral("d'Ar tagna")));
    EXPECT_FALSE(verificarContrasena(hash, QStringLiteral("d'ar tagna")));

    // A typed name of no account writes nothing and says nothing.
    const QStringList antes = hashes();
    aceptar(abrirComo(QStringLiteral("Administrador")), QStringLiteral("Nadie"), QString(), QString());
    EXPECT_TRUE(mensajes_.mensajes().isEmpty());
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    EXPECT_EQ(hashes(), antes);
}

// The administrator creates the same name twice (an apostrophe in name and password), changes
// the password of both (not their own), and deleting the name removes both.
TEST_F(CuentasTest, DuplicateNamesAreCreatedChangedAndDeletedTogetherProtectedOnesNever) {
    const QString nombre = QStringLiteral("O'Brien");
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    for (int vez = 0; vez < 2; ++vez) {
        QTest::mouseClick(v->Command1, Qt::LeftButton);
        NvoUsuario* n = NvoUsuario::instancia();
        ASSERT_NE(n, nullptr);
        EXPECT_TRUE(n->isVisible());
        crear(n, nombre, QStringLiteral("it's"), QStringLiteral("it's"));
        esperar(QStringLiteral("Usuario O'Brien creado!"), QStringLiteral("Usuario Creado"),
                Icono::Informacion);
        EXPECT_EQ(NvoUsuario::instancia(), nullptr);
        borrarVentanasCerradas();
    }
    const QList<Cuenta> dos = cuentas(nombre);
    ASSERT_EQ(dos.size(), 2);
    EXPECT_NE(dos[0].hash, dos[1].hash); // each salted on its own
    for (const Cuenta& c : dos)
        EXPECT_TRUE(verificarContrasena(c.hash, QStringLiteral("it's")));
    QTest::mouseClick(v->Command3, Qt::LeftButton);

    const QString hashAdministrador = cuentas(QStringLiteral("Administrador")).value(0).hash;
    aceptar(abrirComo(QStringLiteral("Administrador")), nombre, QStringLiteral("otra"),
            QStringLiteral("otra"));
    EXPECT_EQ(mensajes_.textos(), QStringList(2, QStringLiteral("La contraseña ha sido cambiada")));
    for (const Cuenta& c : cuentas(nombre))
        EXPECT_TRUE(verificarContrasena(c.hash, QStringLiteral("otra")));
    EXPECT_EQ(cuentas(QStringLiteral("Administrador")).value(0).hash, hashAdministrador);

    // "Invitado" and "Administrador" cannot be deleted, and the window stays open; No deletes
    // nothing and closes it; Yes deletes every account of the name.
    const QStringList antes = hashes();
    v = abrirComo(QStringLiteral("Administrador"));
    for (const QString& protegida : {QStringLiteral("Invitado"), QStringLiteral("Administrador")}) {
        mensajes_.limpiar();
        elegir(v, protegida);
        QTest::mouseClick(v->BorrarUsuario, Qt::LeftButton);
        ASSERT_EQ(mensajes_.mensajes().size(), 1);
        esperar(QStringLiteral("¡No se puede eliminar el usuario ") + protegida + "!",
                QStringLiteral("Error"), Icono::Exclamacion);
        EXPECT_TRUE(CuentasUsuario::instancia() == v && v->isVisible() && Conexion2.abierta());
    }
    mensajes_.limpiar();
    elegir(v, nombre);
    QTest::mouseClick(v->BorrarUsuario, Qt::LeftButton); // the recorder answers No
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    esperar(QStringLiteral("¿Está seguro que quiere eliminar el usuario O'Brien?"),
            QStringLiteral("Eliminar Usuario"), Icono::Pregunta);
    EXPECT_EQ(mensajes_.ultimo().botones, Botones::SiNo);
    cerrada();
    EXPECT_EQ(hashes(), antes);

    v = abrirComo(QStringLiteral("Administrador"));
    elegir(v, nombre);
    mensajes_.responder(Respuesta::Si);
    QTest::mouseClick(v->BorrarUsuario, Qt::LeftButton);
    ASSERT_EQ(mensajes_.mensajes().size(), 2);
    esperar(QStringLiteral("Usuario O'Brien eliminado!"), QStringLiteral("Usuario Eliminado"),
            Icono::Exclamacion);
    cerrada();
    EXPECT_TRUE(cuentas(nombre).isEmpty());
    EXPECT_EQ(cuentas(QStringLiteral("Invitado")).size(), 1);
}

TEST_F(CuentasTest, TheNewUserWindowChecksInOrderAndStartsOnCancel) {
    UsuarioActual = QStringLiteral("Administrador");
    MostrarNvoUsuario();
    NvoUsuario* n = NvoUsuario::instancia();
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->windowTitle(), QStringLiteral("Nuevo Usuario"));
    EXPECT_EQ(n->Text1->toolTip(), n->Pass1->toolTip());
    EXPECT_EQ(n->focusWidget(), n->Command3);
    const QList<QWidget*> orden{n->Command3, n->Aceptar, n->Pass2, n->Pass1, n->Text1};
    EXPECT_EQ(ordenTab(orden), orden);
    EXPECT_FALSE(nombreAccesible(n->Text1).isEmpty());
    esContrasena(n->Pass1);
    esContrasena(n->Pass2);
    MostrarNvoUsuario(); // a second opening brings the same window
    EXPECT_EQ(NvoUsuario::instancia(), n);

    // Differing passwords are refused before empty fields; failures keep what was typed.
    const QStringList antes = hashes();
    const QString comparacion = QStringLiteral("Los dos campos de contraseñas deben ser iguales, recuerde "
                                               "que se diferencian minúsculas de mayúsculas");
    const QString faltan = QStringLiteral("Ingrese los valores en los campos");
    const QString casos[][4] = {{"", "a", "b", comparacion},
                                {"", "a", "", comparacion},
                                {"", "a", "a", faltan},
                                {"Dora", "", "", faltan}};
    for (const auto& [nombre, clave1, clave2, texto] : casos) {
        mensajes_.limpiar();
        crear(n, nombre, clave1, clave2);
        ASSERT_EQ(mensajes_.mensajes().size(), 1);
        if (texto == comparacion)
            esperar(texto, QStringLiteral("Error comprobación"), Icono::Exclamacion);
        else
            esperar(texto, QStringLiteral("Falta Valores"), Icono::Informacion);
        EXPECT_EQ(NvoUsuario::instancia(), n);
        EXPECT_EQ(n->Text1->text(), nombre);
        EXPECT_EQ(n->Pass1->text(), clave1);
    }
    EXPECT_EQ(hashes(), antes);

    // "Cancelar y Volver" writes nothing.
    mensajes_.limpiar();
    escribir(n->Pass2, n->Pass1->text());
    QTest::mouseClick(n->Command3, Qt::LeftButton);
    EXPECT_EQ(NvoUsuario::instancia(), nullptr);
    EXPECT_TRUE(mensajes_.mensajes().isEmpty());
    EXPECT_EQ(hashes(), antes);

    // Spaces count as content.
    borrarVentanasCerradas();
    MostrarNvoUsuario();
    crear(NvoUsuario::instancia(), QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" "));
    EXPECT_EQ(mensajes_.textos(), QStringList{QStringLiteral("Usuario   creado!")});
    ASSERT_EQ(cuentas(QStringLiteral(" ")).size(), 1);
    EXPECT_TRUE(verificarContrasena(cuentas(QStringLiteral(" ")).value(0).hash, QStringLiteral(" ")));
    borrarDirecto(QStringLiteral(" "));
}

// The new-user window writes on its own (the account window and its slot closed first); the new
// account logs in, manages its own password only, and an emptied password is entered empty.
TEST_F(CuentasTest, ANewAccountLogsInAndAnEmptiedPasswordLogsInEmpty) {
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    QTest::mouseClick(v->Command1, Qt::LeftButton);
    NvoUsuario* n = NvoUsuario::instancia();
    ASSERT_NE(n, nullptr);
    QTest::mouseClick(v->Command3, Qt::LeftButton);
    borrarVentanasCerradas();
    ASSERT_EQ(CuentasUsuario::instancia(), nullptr);
    ASSERT_FALSE(Conexion2.abierta());
    crear(n, QStringLiteral("Elena"), QStringLiteral("Sec'reta9"), QStringLiteral("Sec'reta9"));
    EXPECT_EQ(mensajes_.textos(), QStringList{QStringLiteral("Usuario Elena creado!")});
    // No password is ever stored as typed.
    for (const Cuenta& c : cuentas()) {
        EXPECT_TRUE(c.hash.startsWith(QStringLiteral("$argon2id$"))) << c.nombre.toStdString();
        EXPECT_FALSE(c.hash.contains(QStringLiteral("reta9")));
    }

    EXPECT_FALSE(iniciarSesion(QStringLiteral("Elena"), QStringLiteral("sec'reta9")));
    EXPECT_TRUE(iniciarSesion(QStringLiteral("Elena"), QStringLiteral("Sec'reta9")));
    v = abrirComo(QStringLiteral("Elena"));
    EXPECT_FALSE(v->Combo1->isEnabled());
    EXPECT_EQ(v->Combo1->currentText(), QStringLiteral("Elena"));
    QTest::mouseClick(v->Aceptar, Qt::LeftButton);
    EXPECT_EQ(mensajes_.textos(), QStringList{QStringLiteral("La contraseña ha sido cambiada")});
    EXPECT_FALSE(iniciarSesion(QStringLiteral("Elena"), QStringLiteral("Sec'reta9")));
    EXPECT_TRUE(iniciarSesion(QStringLiteral("Elena"), QString()));
    borrarDirecto(QStringLiteral("Elena"));
}

// Rights live in the operations too: driving the window past its hidden buttons and disabled
// name box gets nowhere for anyone but the administrator.
TEST_F(CuentasTest, AnOrdinaryUserCannotCreateDeleteOrChangeOthersEvenDrivingTheWindow) {
    insertarCuenta(QStringLiteral("Dario"));
    const QStringList antes = hashes();
    const qint64 idAdministrador = cuentas(QStringLiteral("Administrador")).value(0).id;
    const QString invitado = QStringLiteral("Invitado");

    EXPECT_THROW(CambiarContrasenaCuenta(invitado, idAdministrador, QStringLiteral("Administrador"), "x"),
                 ErrorBD);
    EXPECT_THROW(BorrarCuentas(invitado, QStringLiteral("Dario")), ErrorBD);
    EXPECT_THROW(CrearCuenta(invitado, QStringLiteral("Intruso"), "x"), ErrorBD);
    // Even the administrator cannot delete the protected accounts, nor rename through an Id.
    EXPECT_THROW(BorrarCuentas(QStringLiteral("Administrador"), invitado), ErrorBD);
    EXPECT_FALSE(CambiarContrasenaCuenta(invitado, idAdministrador, invitado, "x"));

    CuentasUsuario* v = abrirComo(invitado);
    v->Combo1->setEnabled(true);
    aceptar(v, QStringLiteral("Administrador"), QStringLiteral("tomada"), QStringLiteral("tomada"));
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Critico);
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);

    v = abrirComo(invitado);
    v->Combo1->setEnabled(true);
    v->BorrarUsuario->show();
    elegir(v, QStringLiteral("Dario"));
    mensajes_.responder(Respuesta::Si);
    QTest::mouseClick(v->BorrarUsuario, Qt::LeftButton);
    ASSERT_EQ(mensajes_.mensajes().size(), 2);
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Critico);

    mensajes_.limpiar();
    MostrarNvoUsuario();
    NvoUsuario* n = NvoUsuario::instancia();
    crear(n, QStringLiteral("Intruso"), QStringLiteral("x"), QStringLiteral("x"));
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Critico);
    EXPECT_EQ(NvoUsuario::instancia(), n);
    EXPECT_EQ(hashes(), antes);
    borrarDirecto(QStringLiteral("Dario"));
}

} // namespace
