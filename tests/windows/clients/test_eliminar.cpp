// Deleting a client from the main window: the question shown, the refusals and the outcome.
#include "ClientesDePrueba.h"

namespace {

using prueba::cuantos;

class EliminarEnVentana : public prueba::VentanaConClientes {
protected:
    void pulsarEliminar() { QTest::mouseClick(opcion(2), Qt::LeftButton); }
};

TEST_F(EliminarEnVentana, ConfirmedDeletionAsksRemovesTheClientAndRefreshes) {
    // Right after the load no client is selected.
    pulsarEliminar();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("No hay ningún registro para eliminar"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(mensajes.ultimo().titulo, TituloAplicacion());

    seleccionar(QStringLiteral("12"));
    mensajes.limpiar();
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
    EXPECT_EQ(cuantos("Clientes", QStringLiteral("12")), 0);
    // The view follows: no client, empty bands and grid.
    EXPECT_TRUE(linea("InicioBHA")->text().isEmpty());
    EXPECT_EQ(flex2().rows(), 1);
}

// No keeps everything and shows the client as stored; a failing store says why.
TEST_F(EliminarEnVentana, NoOrAFailedDeleteKeepsTheClient) {
    seleccionar(QStringLiteral("12"));
    linea("InicioBHA")->setText(QStringLiteral("tocado"));
    pulsarEliminar(); // the recorder answers No
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(cuantos("Clientes", QStringLiteral("12")), 1);
    EXPECT_EQ(linea("InicioBHA")->text(), QStringLiteral("Lunes 08:30"));

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
    EXPECT_EQ(oficina.clienteSeleccionado().value_or(Cliente{}).numero, QStringLiteral("12"));
}

} // namespace
