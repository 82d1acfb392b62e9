#include "core/clients/ListaConCambios.h"
#include "core/store/CambiosAjenos.h"
#include "core/store/TablaTextos.h"

#include <gtest/gtest.h>

namespace {

CambiosAjenos De(std::initializer_list<const char*> avisos) {
    CambiosAjenos c;
    for (const char* a : avisos)
        c.sumar(QString::fromUtf8(a));
    return c;
}

// Rows "id|name", NULL written as "~".
TablaTextos Tabla(std::initializer_list<const char*> filas) {
    TablaTextos t(2);
    for (const char* f : filas) {
        const QList<QByteArray> partes = QByteArray(f).split('|');
        std::vector<QByteArrayView> celdas;
        for (const QByteArray& p : partes)
            celdas.push_back(p == "~" ? QByteArrayView()
                                      : QByteArrayView(p.isNull() ? "" : p.constData(), p.size()));
        t.agregarFila(celdas.data(), static_cast<int>(celdas.size()));
    }
    return t;
}

QStringList Filas(const TablaTextos& t) {
    QStringList r;
    for (std::size_t i = 0; i < t.filas(); ++i)
        r << t.texto(i, 0) + QLatin1Char('|') + (t.nulo(i, 1) ? QStringLiteral("~") : t.texto(i, 1));
    return r;
}

} // namespace

// The notices name what changed; several add up; what a desk cannot place reads everything.
TEST(CambiosAjenos, AvisosSeSuman) {
    const CambiosAjenos c =
        De({"Clientes:17,3", "Clientes:3,5", "Infracciones:0002\n0001", "Infracciones:0001"});
    EXPECT_FALSE(c.todosLosClientes);
    EXPECT_EQ(c.clientes, (std::vector<qint64>{3, 5, 17}));
    EXPECT_TRUE(c.infraccionesDe(QStringLiteral("0001")));
    EXPECT_TRUE(c.infraccionesDe(QStringLiteral("0002")));
    EXPECT_FALSE(c.infraccionesDe(QStringLiteral("1")));
    EXPECT_FALSE(c.todasLasInfracciones);

    EXPECT_TRUE(De({"Clientes:*"}).todosLosClientes);
    EXPECT_FALSE(De({"Clientes:*"}).todasLasInfracciones);
    EXPECT_TRUE(De({"Infracciones:*"}).infraccionesDe(QStringLiteral("9")));
    EXPECT_FALSE(De({"Infracciones:*"}).todosLosClientes);
    // An older server names only the table; a damaged list is not half read.
    EXPECT_TRUE(De({"Clientes"}).todosLosClientes);
    EXPECT_TRUE(De({"Clientes:4,x"}).todosLosClientes);
    const CambiosAjenos raro = De({"Otra cosa"});
    EXPECT_TRUE(raro.todosLosClientes && raro.todasLasInfracciones);
    EXPECT_TRUE(De({}).vacio());
    EXPECT_FALSE(CambiosAjenos::todo().vacio());
}

// Changed rows replaced, removed ones gone, new ones in id order, the rest untouched, NULL and
// empty text kept apart.
TEST(CambiosAjenos, ListaConCambios) {
    const TablaTextos todos = Tabla({"1|----", "2|Ana", "5|", "9|~", "12|Luis"});
    const TablaTextos releidas = Tabla({"3|Nuevo", "5|Eva", "14|Otro"});
    const TablaTextos lista = ListaConCambios(todos, releidas, {2, 3, 5, 14});
    EXPECT_EQ(Filas(lista), (QStringList{"1|----", "3|Nuevo", "5|Eva", "9|~", "12|Luis", "14|Otro"}));
    EXPECT_EQ(lista.texto(0, 1), QStringLiteral("----"));
    const TablaTextos igual = ListaConCambios(todos, TablaTextos(2), {});
    EXPECT_EQ(Filas(igual), Filas(todos));
    EXPECT_FALSE(igual.nulo(2, 1));
    EXPECT_TRUE(igual.texto(2, 1).isEmpty() && !igual.texto(2, 1).isNull());
    EXPECT_TRUE(igual.nulo(3, 1));
}

// A long list whose unchanged runs are copied whole: every cell, NULL and empty text, and every
// offset after a run must come out as a row-by-row merge gives.
TEST(CambiosAjenos, ListaConCambiosLargaComoFilaPorFila) {
    const auto celda = [](qint64 id) -> QByteArray {
        return id % 70 == 0   ? QByteArray()
               : id % 50 == 0 ? QByteArray("")
                              : "Cliente ñ " + QByteArray::number(id);
    };
    const auto agregar = [](TablaTextos& t, qint64 id, const QByteArray& texto) {
        const QByteArray clave = QByteArray::number(id);
        const QByteArrayView celdas[] = {
            clave, texto.isNull() ? QByteArrayView() : QByteArrayView(texto.constData(), texto.size())};
        t.agregarFila(celdas, 2);
    };
    const auto fila = [](qint64 id, const QByteArray& texto) {
        return QString::number(id) + QLatin1Char('|') +
               (texto.isNull() ? QStringLiteral("~") : QString::fromUtf8(texto));
    };
    TablaTextos todos(2);
    for (qint64 id = 10; id <= 20000; id += 10)
        agregar(todos, id, celda(id));
    // New before the first, between and after the last; the first, the last and two others
    // read again and not found (gone); one replaced.
    const QByteArray nuevo("Nuevo");
    TablaTextos releidas(2);
    for (const qint64 id : {5, 1005, 7777, 12340, 20010})
        agregar(releidas, id, nuevo);
    const std::vector<qint64> cambiados = {5, 10, 1005, 3000, 7777, 12340, 20000, 20010};
    QStringList esperadas{fila(5, nuevo)};
    for (qint64 id = 10; id <= 20000; id += 10) {
        if (id == 1010)
            esperadas << fila(1005, nuevo);
        if (id == 7780)
            esperadas << fila(7777, nuevo);
        if (id == 12340)
            esperadas << fila(id, nuevo);
        else if (id != 10 && id != 3000 && id != 20000)
            esperadas << fila(id, celda(id));
    }
    esperadas << fila(20010, nuevo);
    const TablaTextos lista = ListaConCambios(todos, releidas, cambiados);
    EXPECT_EQ(Filas(lista), esperadas);
    EXPECT_EQ(Filas(ListaConCambios(todos, TablaTextos(2), {})), Filas(todos));
}
