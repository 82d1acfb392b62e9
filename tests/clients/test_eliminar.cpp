// Deleting a client: the question shown and the transactional delete.
#include "BaseTemporal.h"
#include "clients/EliminarCliente.h"
#include "store/GridModel.h"
#include "store/modVarios.h"

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

} // namespace
