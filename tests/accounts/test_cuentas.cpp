// The account window and the new-user window, driven as a user would.
#include "BaseTemporal.h"
#include "MessageRecorder.h"

#include "accounts/CuentasUsuario.h"
#include "accounts/NvoUsuario.h"
#include "accounts/Sesion.h"
#include "clients/FrmDatos.h"
#include "platform/Programa.h"
#include "store/Contrasenas.h"
#include "store/GridModel.h"
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

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Cuenta {
    qint64 id;
    QString nombre;
    QString hash;
};

QList<Cuenta> cuentas() {
    Recordset r;
    r.abrir(BaseDatosCompartida(), Sentencias::listaUsuarios());
    QList<Cuenta> lista;
    for (const QStringList& f : r.filas())
        lista.append({f.value(0).toLongLong(), f.value(1), f.value(2)});
    return lista;
}

QList<Cuenta> cuentasDe(const QString& nombre) {
    QList<Cuenta> lista;
    for (const Cuenta& c : cuentas())
        if (c.nombre == nombre)
            lista.append(c);
    return lista;
}

// An account with a hash of no password anyone types: for tests that never log in with it.
void insertarCuenta(const QString& nombre) {
    const Consulta c = Sentencias::insertarUsuario(nombre, QStringLiteral("$argon2id$sin-uso"));
    BaseDatosCompartida().ejecutar(c.sql, c.parametros);
}

void borrarDirecto(const QString& nombre) {
    const Consulta c = Sentencias::borrarUsuario(nombre);
    BaseDatosCompartida().ejecutar(c.sql, c.parametros);
}

void borrarVentanasCerradas() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void escribir(QLineEdit* caja, const QString& texto) {
    caja->clear();
    QTest::keyClicks(caja, texto);
}

template <typename T> T* hijo(QWidget* ventana, const char* nombre) {
    T* w = ventana->findChild<T*>(QString::fromLatin1(nombre));
    EXPECT_NE(w, nullptr) << nombre;
    return w;
}

// Widgets of `todos` in the order Tab visits them, starting at the first one.
QList<QWidget*> ordenTab(const QList<QWidget*>& todos) {
    QList<QWidget*> orden;
    QWidget* w = todos.first();
    for (int paso = 0; paso < 200 && orden.size() < todos.size(); ++paso) {
        if (todos.contains(w) && !orden.contains(w))
            orden.append(w);
        w = w->nextInFocusChain();
    }
    return orden;
}

QString nombreAccesible(QWidget* w) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    return i ? i->text(QAccessible::Name) : QString();
}

class CuentasTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { base_ = new BaseTemporal; }
    static void TearDownTestSuite() {
        delete base_;
        base_ = nullptr;
    }

    void SetUp() override { UsuarioActual.clear(); }

    void TearDown() override {
        if (NvoUsuario* n = NvoUsuario::instancia())
            n->close();
        if (CuentasUsuario* c = CuentasUsuario::instancia())
            c->close();
        borrarVentanasCerradas();
        CerrarConexion2();
        UsuarioActual.clear();
    }

    CuentasUsuario* abrirComo(const QString& usuario) {
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

    static BaseTemporal* base_;
    MessageRecorder mensajes_;
};

BaseTemporal* CuentasTest::base_ = nullptr;

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
        EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
        EXPECT_FALSE(Conexion2.abierta());
        borrarVentanasCerradas();
    }
}

TEST_F(CuentasTest, TheAdministratorChoosesAnyAccountAndGetsTheAdministratorButtons) {
    insertarCuenta(QStringLiteral("Ana"));
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    QStringList lista;
    for (int i = 0; i < v->Combo1->count(); ++i)
        lista << v->Combo1->itemText(i);
    QStringList esperada;
    for (const Cuenta& c : cuentas())
        esperada << c.nombre;
    EXPECT_EQ(lista, esperada);
    EXPECT_EQ(v->Combo1->currentText(), QStringLiteral("Administrador"));
    EXPECT_TRUE(v->Combo1->isEnabled());
    EXPECT_TRUE(v->Combo1->isEditable());
    EXPECT_TRUE(v->BorrarUsuario->isVisible());
    EXPECT_TRUE(v->Command1->isVisible());
    borrarDirecto(QStringLiteral("Ana"));
}

TEST_F(CuentasTest, TheAccountWindowHasItsCaptionsTooltipsLimitsAndTabOrder) {
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    const QString ayuda = QStringLiteral(
        "Ingrese como máximo 10 números o letras, recuerde que diferencia entre minúsculas y mayúsculas");
    EXPECT_EQ(hijo<QLabel>(v, "Label1")->text(), QStringLiteral("Usuario Actual:"));
    EXPECT_EQ(hijo<QLabel>(v, "Label2")->text(), QStringLiteral("Nueva Contraseña:"));
    EXPECT_EQ(hijo<QLabel>(v, "Label3")->text(), QStringLiteral("Repetir Nueva Contraseña:"));
    EXPECT_EQ(hijo<QPushButton>(v, "BorrarUsuario")->text(), QStringLiteral("Borrar Usuario"));
    EXPECT_EQ(hijo<QPushButton>(v, "Aceptar")->text(), QStringLiteral("Aceptar"));
    EXPECT_EQ(hijo<QPushButton>(v, "Command3")->text(), QStringLiteral("Cancelar y Volver"));
    EXPECT_EQ(hijo<QPushButton>(v, "Command1")->text(), QStringLiteral("Agregar Usuario"));
    for (QPushButton* b : {v->BorrarUsuario, v->Aceptar, v->Command3, v->Command1})
        EXPECT_FALSE(b->icon().isNull());
    for (const char* nombre : {"Pass1", "Pass2"}) {
        QLineEdit* p = hijo<QLineEdit>(v, nombre);
        EXPECT_EQ(p->toolTip(), ayuda);
        EXPECT_EQ(p->echoMode(), QLineEdit::Password);
        EXPECT_EQ(p->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, p), '*');
        QTest::keyClicks(p, QStringLiteral("abcdefghijKLMNO"));
        EXPECT_EQ(p->text(), QStringLiteral("abcdefghij"));
    }
    // A combo box reports its text as its accessible name, so its label's text is set by hand.
    EXPECT_EQ(v->Combo1->accessibleName(), QStringLiteral("Usuario Actual:"));
    EXPECT_EQ(v->Label1->buddy(), v->Combo1);
    EXPECT_FALSE(nombreAccesible(v->Pass1).isEmpty());
    EXPECT_FALSE(nombreAccesible(v->Pass2).isEmpty());
    const QList<QWidget*> orden{v->Combo1,  v->Pass1,    v->Pass2,   v->BorrarUsuario,
                                v->Aceptar, v->Command3, v->Command1};
    EXPECT_EQ(ordenTab(orden), orden);
}

TEST_F(CuentasTest, OpeningAgainBringsTheSameWindowWithoutReloading) {
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    QPointer<CuentasUsuario> primera(v);
    const int antes = v->Combo1->count();
    QTest::keyClicks(v->Pass1, QStringLiteral("a medias"));
    insertarCuenta(QStringLiteral("Beto"));
    MostrarCuentasUsuario();
    EXPECT_EQ(CuentasUsuario::instancia(), primera.data());
    EXPECT_EQ(v->Combo1->count(), antes);
    EXPECT_EQ(v->flexpassus->rows(), antes + 1);
    EXPECT_EQ(v->Pass1->text(), QStringLiteral("a medias"));
    // Once closed, the next one reads the accounts again.
    QTest::mouseClick(v->Command3, Qt::LeftButton);
    borrarVentanasCerradas();
    EXPECT_TRUE(primera.isNull());
    v = abrirComo(QStringLiteral("Administrador"));
    EXPECT_EQ(v->Combo1->count(), antes + 1);
    borrarDirecto(QStringLiteral("Beto"));
}

TEST_F(CuentasTest, DifferingEntriesGiveTheVerificationErrorAndCloseWithoutWriting) {
    const QList<Cuenta> antes = cuentas();
    CuentasUsuario* v = abrirComo(QStringLiteral("Invitado"));
    escribir(v->Pass1, QStringLiteral("Clave"));
    escribir(v->Pass2, QStringLiteral("clave"));
    QTest::mouseClick(v->Aceptar, Qt::LeftButton);
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().texto,
              QStringLiteral("¡La confirmación de la contraseña debe ser la misma que la contraseña!"));
    EXPECT_EQ(mensajes_.ultimo().titulo, QStringLiteral("Error de Verificación"));
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Exclamacion);
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    EXPECT_FALSE(Conexion2.abierta());
    const QList<Cuenta> despues = cuentas();
    ASSERT_EQ(despues.size(), antes.size());
    for (int i = 0; i < antes.size(); ++i)
        EXPECT_EQ(despues[i].hash, antes[i].hash);
}

TEST_F(CuentasTest, AUserChangesTheirOwnPasswordAndEmptyEntriesSetAnEmptyOne) {
    CuentasUsuario* v = abrirComo(QStringLiteral("Invitado"));
    escribir(v->Pass1, QStringLiteral("d'Ar tagnan"));
    escribir(v->Pass2, QStringLiteral("d'Ar tagnan"));
    QTest::mouseClick(v->Aceptar, Qt::LeftButton);
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().texto, QStringLiteral("La contraseña ha sido cambiada"));
    EXPECT_EQ(mensajes_.ultimo().titulo, QStringLiteral("Aviso de contraseña"));
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    EXPECT_FALSE(Conexion2.abierta());
    QList<Cuenta> invitado = cuentasDe(QStringLiteral("Invitado"));
    ASSERT_EQ(invitado.size(), 1);
    // The typed text is cut at ten characters, and only its hash is stored.
    EXPECT_TRUE(invitado[0].hash.startsWith(QStringLiteral("$argon2id$")));
    EXPECT_FALSE(invitado[0].hash.contains(QStringLiteral("Ar ta")));
    EXPECT_TRUE(verificarContrasena(invitado[0].hash, QStringLiteral("d'Ar tagna")));
    EXPECT_FALSE(verificarContrasena(invitado[0].hash, QStringLiteral("d'ar tagna")));
    borrarVentanasCerradas();

    mensajes_.limpiar();
    v = abrirComo(QStringLiteral("Invitado"));
    QTest::mouseClick(v->Aceptar, Qt::LeftButton);
    EXPECT_EQ(mensajes_.textos(), QStringList{QStringLiteral("La contraseña ha sido cambiada")});
    invitado = cuentasDe(QStringLiteral("Invitado"));
    EXPECT_TRUE(verificarContrasena(invitado[0].hash, QString()));
    EXPECT_FALSE(verificarContrasena(invitado[0].hash, QStringLiteral("d'Ar tagna")));
}

TEST_F(CuentasTest, TheAdministratorChangesAnotherAccountsPasswordOnly) {
    const QString hashAdministrador = cuentasDe(QStringLiteral("Administrador"))[0].hash;
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    elegir(v, QStringLiteral("Invitado"));
    escribir(v->Pass1, QStringLiteral("nueva"));
    escribir(v->Pass2, QStringLiteral("nueva"));
    QTest::mouseClick(v->Aceptar, Qt::LeftButton);
    EXPECT_EQ(mensajes_.textos(), QStringList{QStringLiteral("La contraseña ha sido cambiada")});
    EXPECT_TRUE(verificarContrasena(cuentasDe(QStringLiteral("Invitado"))[0].hash, QStringLiteral("nueva")));
    EXPECT_EQ(cuentasDe(QStringLiteral("Administrador"))[0].hash, hashAdministrador);
    borrarVentanasCerradas();

    // A typed name of no account writes nothing and says nothing.
    mensajes_.limpiar();
    const QList<Cuenta> antes = cuentas();
    v = abrirComo(QStringLiteral("Administrador"));
    elegir(v, QStringLiteral("Nadie"));
    QTest::mouseClick(v->Aceptar, Qt::LeftButton);
    EXPECT_TRUE(mensajes_.mensajes().isEmpty());
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    EXPECT_EQ(cuentas().size(), antes.size());
}

TEST_F(CuentasTest, InvitadoAndAdministradorCannotBeDeletedAndTheWindowStaysOpen) {
    const int antes = static_cast<int>(cuentas().size());
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    for (const QString& nombre : {QStringLiteral("Invitado"), QStringLiteral("Administrador")}) {
        mensajes_.limpiar();
        elegir(v, nombre);
        QTest::mouseClick(v->BorrarUsuario, Qt::LeftButton);
        ASSERT_EQ(mensajes_.mensajes().size(), 1);
        EXPECT_EQ(mensajes_.ultimo().texto,
                  QStringLiteral("¡No se puede eliminar el usuario ") + nombre + "!");
        EXPECT_EQ(mensajes_.ultimo().titulo, QStringLiteral("Error"));
        EXPECT_EQ(mensajes_.ultimo().icono, Icono::Exclamacion);
        EXPECT_EQ(CuentasUsuario::instancia(), v);
        EXPECT_TRUE(v->isVisible());
        EXPECT_TRUE(Conexion2.abierta());
    }
    EXPECT_EQ(cuentas().size(), antes);
}

TEST_F(CuentasTest, AnsweringNoDeletesNothingAndClosesTheWindow) {
    insertarCuenta(QStringLiteral("Carla"));
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    elegir(v, QStringLiteral("Carla"));
    mensajes_.responder(Respuesta::No);
    QTest::mouseClick(v->BorrarUsuario, Qt::LeftButton);
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().texto, QStringLiteral("¿Está seguro que quiere eliminar el usuario Carla?"));
    EXPECT_EQ(mensajes_.ultimo().titulo, QStringLiteral("Eliminar Usuario"));
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Pregunta);
    EXPECT_EQ(mensajes_.ultimo().botones, Botones::SiNo);
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    EXPECT_FALSE(Conexion2.abierta());
    EXPECT_EQ(cuentasDe(QStringLiteral("Carla")).size(), 1);
    borrarDirecto(QStringLiteral("Carla"));
}

// The administrator creates the same name twice (an apostrophe in name and password), changes
// the password of both, and deleting the name removes both.
TEST_F(CuentasTest, ADuplicateNameCreatesASecondAccountAndDeletingTheNameRemovesBoth) {
    const QString nombre = QStringLiteral("O'Brien");
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    for (int vez = 0; vez < 2; ++vez) {
        QTest::mouseClick(v->Command1, Qt::LeftButton);
        NvoUsuario* n = NvoUsuario::instancia();
        ASSERT_NE(n, nullptr);
        EXPECT_TRUE(n->isVisible());
        escribir(n->Text1, nombre);
        escribir(n->Pass1, QStringLiteral("it's"));
        escribir(n->Pass2, QStringLiteral("it's"));
        QTest::mouseClick(n->Aceptar, Qt::LeftButton);
        EXPECT_EQ(mensajes_.ultimo().texto, QStringLiteral("Usuario O'Brien creado!"));
        EXPECT_EQ(mensajes_.ultimo().titulo, QStringLiteral("Usuario Creado"));
        EXPECT_EQ(mensajes_.ultimo().icono, Icono::Informacion);
        EXPECT_EQ(NvoUsuario::instancia(), nullptr);
        borrarVentanasCerradas();
    }
    QList<Cuenta> dos = cuentasDe(nombre);
    ASSERT_EQ(dos.size(), 2);
    EXPECT_NE(dos[0].hash, dos[1].hash); // each salted on its own
    for (const Cuenta& c : dos)
        EXPECT_TRUE(verificarContrasena(c.hash, QStringLiteral("it's")));
    // The open account window keeps the list it read.
    EXPECT_EQ(v->Combo1->findText(nombre), -1);
    QTest::mouseClick(v->Command3, Qt::LeftButton);
    borrarVentanasCerradas();

    mensajes_.limpiar();
    v = abrirComo(QStringLiteral("Administrador"));
    elegir(v, nombre);
    escribir(v->Pass1, QStringLiteral("otra"));
    escribir(v->Pass2, QStringLiteral("otra"));
    QTest::mouseClick(v->Aceptar, Qt::LeftButton);
    EXPECT_EQ(mensajes_.textos(), QStringList(2, QStringLiteral("La contraseña ha sido cambiada")));
    for (const Cuenta& c : cuentasDe(nombre))
        EXPECT_TRUE(verificarContrasena(c.hash, QStringLiteral("otra")));
    borrarVentanasCerradas();

    mensajes_.limpiar();
    v = abrirComo(QStringLiteral("Administrador"));
    elegir(v, nombre);
    mensajes_.responder(Respuesta::Si);
    QTest::mouseClick(v->BorrarUsuario, Qt::LeftButton);
    ASSERT_EQ(mensajes_.mensajes().size(), 2);
    EXPECT_EQ(mensajes_.ultimo().texto, QStringLiteral("Usuario O'Brien eliminado!"));
    EXPECT_EQ(mensajes_.ultimo().titulo, QStringLiteral("Usuario Eliminado"));
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Exclamacion);
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    EXPECT_TRUE(cuentasDe(nombre).isEmpty());
    EXPECT_EQ(cuentasDe(QStringLiteral("Invitado")).size(), 1);
}

TEST_F(CuentasTest, NewUserChecksComeInOrderAndFailuresKeepTheWindowOpen) {
    UsuarioActual = QStringLiteral("Administrador");
    MostrarNvoUsuario();
    NvoUsuario* n = NvoUsuario::instancia();
    ASSERT_NE(n, nullptr);
    const int antes = static_cast<int>(cuentas().size());
    const QString comparacion = QStringLiteral("Los dos campos de contraseñas deben ser iguales, recuerde "
                                               "que se diferencian minúsculas de mayúsculas");

    struct Caso {
        QString nombre, pass1, pass2, texto;
    };
    const QList<Caso> casos{
        {QString(), QStringLiteral("a"), QStringLiteral("b"), comparacion},
        {QString(), QStringLiteral("a"), QString(), comparacion},
        {QString(), QStringLiteral("a"), QStringLiteral("a"),
         QStringLiteral("Ingrese los valores en los campos")},
        {QStringLiteral("Dora"), QString(), QString(), QStringLiteral("Ingrese los valores en los campos")},
    };
    for (const Caso& c : casos) {
        mensajes_.limpiar();
        escribir(n->Text1, c.nombre);
        escribir(n->Pass1, c.pass1);
        escribir(n->Pass2, c.pass2);
        QTest::mouseClick(n->Aceptar, Qt::LeftButton);
        ASSERT_EQ(mensajes_.mensajes().size(), 1);
        EXPECT_EQ(mensajes_.ultimo().texto, c.texto);
        if (c.texto == comparacion) {
            EXPECT_EQ(mensajes_.ultimo().titulo, QStringLiteral("Error comprobación"));
            EXPECT_EQ(mensajes_.ultimo().icono, Icono::Exclamacion);
        } else {
            EXPECT_EQ(mensajes_.ultimo().titulo, QStringLiteral("Falta Valores"));
            EXPECT_EQ(mensajes_.ultimo().icono, Icono::Informacion);
        }
        EXPECT_EQ(NvoUsuario::instancia(), n);
        EXPECT_EQ(n->Text1->text(), c.nombre);
        EXPECT_EQ(n->Pass1->text(), c.pass1);
    }
    EXPECT_EQ(cuentas().size(), antes);

    // Spaces count as content.
    mensajes_.limpiar();
    escribir(n->Text1, QStringLiteral(" "));
    escribir(n->Pass1, QStringLiteral(" "));
    escribir(n->Pass2, QStringLiteral(" "));
    QTest::mouseClick(n->Aceptar, Qt::LeftButton);
    EXPECT_EQ(mensajes_.textos(), QStringList{QStringLiteral("Usuario   creado!")});
    EXPECT_EQ(NvoUsuario::instancia(), nullptr);
    const QList<Cuenta> espacio = cuentasDe(QStringLiteral(" "));
    ASSERT_EQ(espacio.size(), 1);
    EXPECT_TRUE(verificarContrasena(espacio[0].hash, QStringLiteral(" ")));
    borrarDirecto(QStringLiteral(" "));
}

TEST_F(CuentasTest, TheNewUserWindowOpensOnCancelAndTabsBackwardsToTheName) {
    UsuarioActual = QStringLiteral("Administrador");
    MostrarNvoUsuario();
    NvoUsuario* n = NvoUsuario::instancia();
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->windowTitle(), QStringLiteral("Nuevo Usuario"));
    EXPECT_EQ(hijo<QLabel>(n, "Label1")->text(), QStringLiteral("Nombre del Usuario:"));
    EXPECT_EQ(hijo<QLabel>(n, "Label2")->text(), QStringLiteral("Nueva Contraseña:"));
    EXPECT_EQ(hijo<QLabel>(n, "Label3")->text(), QStringLiteral("Repetir Nueva Contraseña:"));
    EXPECT_EQ(hijo<QPushButton>(n, "Aceptar")->text(), QStringLiteral("Aceptar"));
    EXPECT_EQ(hijo<QPushButton>(n, "Command3")->text(), QStringLiteral("Cancelar y Volver"));
    EXPECT_EQ(hijo<QLineEdit>(n, "Text1")->toolTip(), n->Pass1->toolTip());
    EXPECT_EQ(n->focusWidget(), n->Command3);
    const QList<QWidget*> orden{n->Command3, n->Aceptar, n->Pass2, n->Pass1, n->Text1};
    EXPECT_EQ(ordenTab(orden), orden);
    for (QLineEdit* e : {n->Text1, n->Pass1, n->Pass2})
        EXPECT_FALSE(nombreAccesible(e).isEmpty()) << e->objectName().toStdString();

    const QString largo(40, QLatin1Char('n'));
    QTest::keyClicks(n->Text1, largo);
    EXPECT_EQ(n->Text1->text(), largo);
    QTest::keyClicks(n->Pass1, largo);
    EXPECT_EQ(n->Pass1->text().size(), 10);
    EXPECT_EQ(n->Pass2->echoMode(), QLineEdit::Password);
    EXPECT_EQ(n->Pass2->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, n->Pass2), '*');

    // A second opening brings the same window; "Cancelar y Volver" writes nothing.
    MostrarNvoUsuario();
    EXPECT_EQ(NvoUsuario::instancia(), n);
    escribir(n->Pass2, n->Pass1->text());
    const int antes = static_cast<int>(cuentas().size());
    QTest::mouseClick(n->Command3, Qt::LeftButton);
    EXPECT_EQ(NvoUsuario::instancia(), nullptr);
    EXPECT_TRUE(mensajes_.mensajes().isEmpty());
    EXPECT_EQ(cuentas().size(), antes);
}

// The new-user window writes on its own: closing the account window (and its slot) first
// does not stop it.
TEST_F(CuentasTest, TheNewUserWindowWorksAfterTheAccountWindowClosedAndTheAccountLogsIn) {
    CuentasUsuario* v = abrirComo(QStringLiteral("Administrador"));
    QTest::mouseClick(v->Command1, Qt::LeftButton);
    NvoUsuario* n = NvoUsuario::instancia();
    ASSERT_NE(n, nullptr);
    QTest::mouseClick(v->Command3, Qt::LeftButton);
    borrarVentanasCerradas();
    ASSERT_EQ(CuentasUsuario::instancia(), nullptr);
    ASSERT_FALSE(Conexion2.abierta());
    ASSERT_EQ(NvoUsuario::instancia(), n);

    escribir(n->Text1, QStringLiteral("Elena"));
    escribir(n->Pass1, QStringLiteral("Secreta9"));
    escribir(n->Pass2, QStringLiteral("Secreta9"));
    QTest::mouseClick(n->Aceptar, Qt::LeftButton);
    EXPECT_EQ(mensajes_.textos(), QStringList{QStringLiteral("Usuario Elena creado!")});
    const QList<Cuenta> elena = cuentasDe(QStringLiteral("Elena"));
    ASSERT_EQ(elena.size(), 1);
    EXPECT_TRUE(verificarContrasena(elena[0].hash, QStringLiteral("Secreta9")));
    EXPECT_FALSE(verificarContrasena(elena[0].hash, QStringLiteral("secreta9")));

    // No password is ever stored as typed.
    for (const Cuenta& c : cuentas()) {
        EXPECT_TRUE(c.hash.startsWith(QStringLiteral("$argon2id$"))) << c.nombre.toStdString();
        EXPECT_FALSE(c.hash.contains(QStringLiteral("Secreta9")));
    }

    // The new account manages its own password only.
    borrarVentanasCerradas();
    mensajes_.limpiar();
    v = abrirComo(QStringLiteral("Elena"));
    EXPECT_FALSE(v->Combo1->isEnabled());
    EXPECT_EQ(v->Combo1->currentText(), QStringLiteral("Elena"));
    borrarDirecto(QStringLiteral("Elena"));
}

// Rights live in the operations too: driving the window past its hidden buttons and disabled
// name box gets nowhere for anyone but the administrator.
TEST_F(CuentasTest, AnOrdinaryUserCannotCreateDeleteOrChangeOthersEvenDrivingTheWindow) {
    insertarCuenta(QStringLiteral("Dario"));
    const QList<Cuenta> antes = cuentas();
    const qint64 idAdministrador = cuentasDe(QStringLiteral("Administrador"))[0].id;
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
    elegir(v, QStringLiteral("Administrador"));
    escribir(v->Pass1, QStringLiteral("tomada"));
    escribir(v->Pass2, QStringLiteral("tomada"));
    QTest::mouseClick(v->Aceptar, Qt::LeftButton);
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Critico);
    EXPECT_EQ(CuentasUsuario::instancia(), nullptr);
    borrarVentanasCerradas();

    mensajes_.limpiar();
    v = abrirComo(invitado);
    v->Combo1->setEnabled(true);
    v->BorrarUsuario->show();
    elegir(v, QStringLiteral("Dario"));
    mensajes_.responder(Respuesta::Si);
    QTest::mouseClick(v->BorrarUsuario, Qt::LeftButton);
    ASSERT_EQ(mensajes_.mensajes().size(), 2);
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Critico);
    borrarVentanasCerradas();

    mensajes_.limpiar();
    MostrarNvoUsuario();
    NvoUsuario* n = NvoUsuario::instancia();
    escribir(n->Text1, QStringLiteral("Intruso"));
    escribir(n->Pass1, QStringLiteral("x"));
    escribir(n->Pass2, QStringLiteral("x"));
    QTest::mouseClick(n->Aceptar, Qt::LeftButton);
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Critico);
    EXPECT_EQ(NvoUsuario::instancia(), n);

    const QList<Cuenta> despues = cuentas();
    ASSERT_EQ(despues.size(), antes.size());
    for (int i = 0; i < antes.size(); ++i) {
        EXPECT_EQ(despues[i].nombre, antes[i].nombre);
        EXPECT_EQ(despues[i].hash, antes[i].hash);
    }
    borrarDirecto(QStringLiteral("Dario"));
}

} // namespace

// With the main window loaded, the name in its Usuario box is the one whose rights apply, and
// "Config. Cuentas" opens the account window.
TEST_F(CuentasTest, TheMainWindowsUserBoxDecidesTheRights) {
    EstablecerFinalizadorPrograma([] {});
    UsuarioActual = QStringLiteral("Invitado");
    FrmDatos* principal = FrmDatos::Mostrar();
    ASSERT_NE(principal, nullptr);
    UsuarioActual = QStringLiteral("Administrador");
    QTest::mouseClick(principal->cmdOpciones[6], Qt::LeftButton);
    CuentasUsuario* v = CuentasUsuario::instancia();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Combo1->currentText(), QStringLiteral("Invitado"));
    EXPECT_FALSE(v->Combo1->isEnabled());
    EXPECT_FALSE(v->Command1->isVisible());
    // A second press brings the same window.
    QTest::mouseClick(principal->cmdOpciones[6], Qt::LeftButton);
    EXPECT_EQ(CuentasUsuario::instancia(), v);
    v->close();
    borrarVentanasCerradas();
    delete principal;
    EstablecerFinalizadorPrograma(nullptr);
}
