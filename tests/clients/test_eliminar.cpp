// Deleting a client: the question shown and the transactional delete.
#include "BaseTemporal.h"
#include "ClientesDePrueba.h"
#include "clients/EliminarCliente.h"
#include "store/GridModel.h"
#include "store/modVarios.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(EliminarCliente, ConfirmationListsClientAndPremises) {
    GridModel flex;
    flex.setCols(24);
    flex.setRows(2);
    for (int c = 0; c < 24; ++c)
        flex.setTextMatrix(1, c, QStringLiteral("c%1").arg(c));
    const QString s(50, QLatin1Char(' '));
    const QString esperado = QStringLiteral("Se va a eliminar el registro : \r\n") + s + "\r\n" + s + "\r\n" +
                             "Numero de Cliente: c1\r\n" + s + "\r\n" + "Nombre y Apellido: c2\r\n" + s +
                             "\r\n" + "Nombre del Local: c12\r\n" + s + "\r\n" +
                             QStringLiteral("Dirección: c13\r\n") + s + "\r\n" + "Localidad: c14\r\n" + s +
                             "\r\n" + "Partido: c15\r\n" + s;
    EXPECT_EQ(TextoConfirmacionEliminar(flex, 1), esperado);
}

class BorradoTransaccional : public ::testing::Test {
protected:
    void SetUp() override {
        Database& db = BaseDatosCompartida();
        for (const char* numero : {"12", "123", "312"}) {
            QStringList c(23, QString());
            c[0] = QString::fromLatin1(numero);
            ejecutar(Sentencias::insertarCliente(c));
            QStringList i(17, QString());
            i[0] = QString::fromLatin1(numero);
            ejecutar(Sentencias::insertarInfraccion(i));
            ejecutar(Sentencias::insertarInfraccion(i));
        }
        id12_ = contar("SELECT Id FROM Clientes WHERE NumeroCliente = '12'");
        (void)db;
    }
    void ejecutar(const Consulta& c) { BaseDatosCompartida().ejecutar(c.sql, c.parametros); }
    qint64 contar(const char* sql) {
        Statement st(BaseDatosCompartida(), QString::fromLatin1(sql));
        return st.paso() ? st.entero(0) : -1;
    }
    BaseTemporal base_;
    qint64 id12_ = 0;
};

TEST_F(BorradoTransaccional, DeletesExactlyTheClientAndItsInfractions) {
    BorrarClienteConInfracciones(BaseDatosCompartida(), QStringLiteral("12"), id12_);
    EXPECT_EQ(contar("SELECT count(*) FROM Infracciones WHERE NumeroCliente = '12'"), 0);
    EXPECT_EQ(contar("SELECT count(*) FROM Infracciones"), 4);
    EXPECT_EQ(contar("SELECT count(*) FROM Clientes WHERE NumeroCliente IN ('123','312')"), 2);
    EXPECT_EQ(contar("SELECT count(*) FROM Clientes WHERE NumeroCliente = '12'"), 0);
}

TEST_F(BorradoTransaccional, AFailedClientDeleteKeepsTheInfractions) {
    ejecutar({QStringLiteral("CREATE TRIGGER no_borrar BEFORE DELETE ON Clientes "
                             "BEGIN SELECT RAISE(ABORT, 'bloqueado'); END"),
              {}});
    EXPECT_THROW(BorrarClienteConInfracciones(BaseDatosCompartida(), QStringLiteral("12"), id12_), ErrorBD);
    EXPECT_EQ(contar("SELECT count(*) FROM Infracciones WHERE NumeroCliente = '12'"), 2);
    EXPECT_EQ(contar("SELECT count(*) FROM Clientes WHERE NumeroCliente = '12'"), 1);
    EXPECT_FALSE(BaseDatosCompartida().enTransaccion());
}

class EliminarEnVentana : public prueba::VentanaConClientes {
protected:
    qint64 infracciones(const char* numero) {
        return prueba::contar(QStringLiteral("SELECT count(*) FROM Infracciones WHERE NumeroCliente = ?"),
                              {QString::fromLatin1(numero)});
    }
    qint64 clientes(const char* numero) {
        return prueba::contar(QStringLiteral("SELECT count(*) FROM Clientes WHERE NumeroCliente = ?"),
                              {QString::fromLatin1(numero)});
    }
    void pulsarEliminar() { QTest::mouseClick(ventana->cmdOpciones[2], Qt::LeftButton); }
};

TEST_F(EliminarEnVentana, ConfirmedDeletionRemovesOnlyThatClientAndRefreshes) {
    seleccionar(QStringLiteral("12"));
    ASSERT_FALSE(ventana->InicioBHA->text().isEmpty());
    const QString esperado = TextoConfirmacionEliminar(*ventana->flex, ventana->flex->row());
    mensajes.responder(Respuesta::Si);
    bool listaRefrescada = false;
    mensajes.alMostrar([&](const MessageRecorder::Mensaje& m) {
        if (m.titulo == QStringLiteral("Cliente Eliminado"))
            listaRefrescada = filaDe(QStringLiteral("12")) < 0 && filaDe(QStringLiteral("123")) > 0;
    });
    pulsarEliminar();
    ASSERT_EQ(mensajes.mensajes().size(), 2);
    const auto& pregunta = mensajes.mensajes().at(0);
    EXPECT_EQ(pregunta.titulo, QStringLiteral("Eliminar"));
    EXPECT_EQ(pregunta.icono, Icono::Pregunta);
    EXPECT_EQ(pregunta.botones, Botones::SiNo);
    EXPECT_EQ(pregunta.texto, esperado);
    EXPECT_TRUE(pregunta.texto.contains(QStringLiteral("Nombre del Local: Bar El Ñandú")));
    EXPECT_TRUE(pregunta.texto.contains(QStringLiteral("Dirección: Av. Mitre 10")));
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("El Cliente fue eliminado satisfactoriamente"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_TRUE(listaRefrescada);

    EXPECT_EQ(clientes("12"), 0);
    EXPECT_EQ(infracciones("12"), 0);
    EXPECT_EQ(infracciones("123"), 1);
    EXPECT_EQ(infracciones("312"), 1);
    EXPECT_EQ(clientes("123") + clientes("312"), 2);
    // The view follows the row now selected (none): empty bands and grid.
    EXPECT_TRUE(ventana->InicioBHA->text().isEmpty());
    EXPECT_EQ(ventana->flex2->rows(), 1);
}

TEST_F(EliminarEnVentana, RefusedOnlyWithoutARealClient) {
    // Right after the load the placeholder row is current.
    pulsarEliminar();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("No hay ningún registro para eliminar"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(mensajes.ultimo().titulo, TituloAplicacion());

    // After an ascending sort by number a real client sits on row 1: it can be deleted.
    QHeaderView* cabecera = ventana->flexVista->horizontalHeader();
    const int x = cabecera->sectionViewportPosition(1) + cabecera->sectionSize(1) / 2;
    QTest::mouseClick(cabecera->viewport(), Qt::LeftButton, {}, QPoint(x, cabecera->height() / 2));
    ASSERT_EQ(ventana->flex->textMatrix(1, 1), QStringLiteral("7"));
    seleccionar(QStringLiteral("7"));
    ASSERT_EQ(ventana->flex->row(), 1);
    mensajes.limpiar();
    mensajes.responder(Respuesta::Si);
    pulsarEliminar();
    ASSERT_EQ(mensajes.mensajes().size(), 2);
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Cliente Eliminado"));
    EXPECT_EQ(clientes("7"), 0);
}

TEST_F(EliminarEnVentana, AnsweringNoKeepsEverythingAndReloadsTheView) {
    seleccionar(QStringLiteral("12"));
    ventana->InicioBHA->setText(QStringLiteral("tocado"));
    pulsarEliminar(); // the recorder answers No
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(clientes("12"), 1);
    EXPECT_EQ(infracciones("12"), 6);
    // Boxes cleared and the view reloaded for the same client.
    EXPECT_EQ(ventana->InicioBHA->text(), QStringLiteral("Lunes 08:30"));
    EXPECT_EQ(ventana->flex->textMatrix(ventana->flex->row(), 1), QStringLiteral("12"));
}

TEST_F(EliminarEnVentana, AFailedDeleteDeletesNothingAndSaysWhy) {
    prueba::ejecutar({QStringLiteral("CREATE TRIGGER no_borrar BEFORE DELETE ON Clientes "
                                     "BEGIN SELECT RAISE(ABORT, 'cliente protegido'); END"),
                      {}});
    seleccionar(QStringLiteral("12"));
    mensajes.responder(Respuesta::Si);
    pulsarEliminar();
    ASSERT_EQ(mensajes.mensajes().size(), 2);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Critico);
    EXPECT_TRUE(mensajes.ultimo().texto.contains(QStringLiteral("cliente protegido")));
    EXPECT_EQ(infracciones("12"), 6);
    EXPECT_EQ(clientes("12"), 1);
    EXPECT_FALSE(Conexion3.abierta());
}

class EliminarSinDerechos : public EliminarEnVentana {
protected:
    QString usuario() const override { return QStringLiteral("administrador"); }
};

TEST_F(EliminarSinDerechos, OnlyAdministradorMayDelete) {
    EXPECT_FALSE(ventana->cmdOpciones[2]->isEnabled());
    seleccionar(QStringLiteral("12"));
    ventana->EliminarCliente();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_NE(mensajes.ultimo().icono, Icono::Pregunta);
    EXPECT_EQ(clientes("12"), 1);
}

} // namespace
