// Deleting a client from the main window: the question shown and the transactional delete.
#include "ClientesDePrueba.h"
#include "clients/EliminarCliente.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using prueba::cuantos;

class EliminarEnVentana : public prueba::VentanaConClientes {
protected:
    void pulsarEliminar() { QTest::mouseClick(ventana->cmdOpciones[2], Qt::LeftButton); }
};

TEST_F(EliminarEnVentana, ConfirmedDeletionRemovesOnlyThatClientAndRefreshes) {
    seleccionar(QStringLiteral("12"));
    ASSERT_FALSE(ventana->InicioBHA->text().isEmpty());
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
    const QString s = QString(50, QLatin1Char(' ')) + QStringLiteral("\r\n");
    EXPECT_EQ(pregunta.texto, QStringLiteral("Se va a eliminar el registro : \r\n") + s + s +
                                  "Numero de Cliente: 12\r\n" + s +
                                  QStringLiteral("Nombre y Apellido: Juan Pérez\r\n") + s +
                                  QStringLiteral("Nombre del Local: Bar El Ñandú\r\n") + s +
                                  QStringLiteral("Dirección: Av. Mitre 10\r\n") + s +
                                  "Localidad: Bernal\r\n" + s + "Partido: Quilmes Oeste\r\n" + s.left(50));
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("El Cliente fue eliminado satisfactoriamente"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_TRUE(listaRefrescada);
    // Exactly client 12 and its infractions, not those of 123 or 312.
    EXPECT_EQ(cuantos("Clientes", QStringLiteral("12")) + cuantos("Infracciones", QStringLiteral("12")), 0);
    for (const QString& otro : {QStringLiteral("123"), QStringLiteral("312")}) {
        EXPECT_EQ(cuantos("Clientes", otro), 1);
        EXPECT_EQ(cuantos("Infracciones", otro), 1);
    }
    // The view follows the row now selected (none): empty bands and grid.
    EXPECT_TRUE(ventana->InicioBHA->text().isEmpty());
    EXPECT_EQ(ventana->flex2->rows(), 1);
}

TEST_F(EliminarEnVentana, RefusedWithoutARealClientOrWithoutTheRight) {
    // Right after the load the placeholder row is current.
    pulsarEliminar();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("No hay ningún registro para eliminar"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(mensajes.ultimo().titulo, TituloAplicacion());

    // The operation itself checks the rights: "administrador" is not "Administrador".
    seleccionar(QStringLiteral("12"));
    UsuarioActual = QStringLiteral("administrador");
    mensajes.limpiar();
    ventana->EliminarCliente();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_NE(mensajes.ultimo().icono, Icono::Pregunta);
    EXPECT_EQ(cuantos("Clientes", QStringLiteral("12")), 1);
    UsuarioActual = QStringLiteral("Administrador");

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
    EXPECT_EQ(cuantos("Clientes", QStringLiteral("7")), 0);
}

// No keeps everything; a failing statement deletes nothing (one transaction) and says why.
TEST_F(EliminarEnVentana, NoOrAFailedDeleteKeepsTheClientAndItsInfractions) {
    seleccionar(QStringLiteral("12"));
    ventana->InicioBHA->setText(QStringLiteral("tocado"));
    pulsarEliminar(); // the recorder answers No
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(cuantos("Clientes", QStringLiteral("12")), 1);
    EXPECT_EQ(cuantos("Infracciones", QStringLiteral("12")), 6);
    // Boxes cleared and the view reloaded for the same client.
    EXPECT_EQ(ventana->InicioBHA->text(), QStringLiteral("Lunes 08:30"));
    EXPECT_EQ(ventana->flex->textMatrix(ventana->flex->row(), 1), QStringLiteral("12"));

    // The client's row, deleted after its infractions, fails.
    prueba::ejecutar({QStringLiteral("CREATE TRIGGER no_borrar BEFORE DELETE ON Clientes "
                                     "BEGIN SELECT RAISE(ABORT, 'cliente protegido'); END"),
                      {}});
    mensajes.limpiar();
    mensajes.responder(Respuesta::Si);
    pulsarEliminar();
    ASSERT_EQ(mensajes.mensajes().size(), 2);
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Critico);
    EXPECT_TRUE(mensajes.ultimo().detalles.contains(QStringLiteral("cliente protegido")));
    EXPECT_EQ(cuantos("Infracciones", QStringLiteral("12")), 6);
    EXPECT_EQ(cuantos("Clientes", QStringLiteral("12")), 1);
    EXPECT_FALSE(BaseDatosCompartida().enTransaccion());
    EXPECT_FALSE(Conexion3.abierta());
}

} // namespace
