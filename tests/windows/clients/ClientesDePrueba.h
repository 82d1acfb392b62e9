#pragma once

// Clients, band settings and infractions written straight into the test database, and the
// main window opened on them.

#include "BaseTemporal.h"
#include "FilasDePrueba.h"
#include "MessageRecorder.h"
#include "core/Oficina.h"
#include "core/platform/Programa.h"
#include "core/store/Conexion.h"
#include "windows/clients/VentanaPrincipal.h"
#include "windows/grid/GridModel.h"
#include "windows/grid/GridView.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <array>

namespace prueba {

inline void ejecutar(Conexion& db, const Consulta& c) {
    db.ejecutar(c.sql, c.parametros);
}

inline qint64 contar(Conexion& db, const QString& sql) {
    const auto st = db.preparar(sql);
    return st->paso() ? st->entero(0) : -1;
}

inline void agregarInfraccion(Conexion& db, const QString& numero, const QString& fecha,
                              const QString& estatus, const QString& ci) {
    QStringList v = QStringLiteral("||120000|095||13,2 V|SI|010|Administrador|095|085|003|- 05|010|060|070|")
                        .split(QLatin1Char('|'));
    v[0] = numero;
    v[1] = fecha;
    v[4] = estatus;
    v[16] = ci;
    ejecutar(db, Sentencias::insertarInfraccion(infraccionDe(v)));
}

// Clients 12 (bands A and C, coloured and marked infractions), 123 and 312 (one infraction
// each), 7 (no bands, infractions or last inspection) and 9 (locality "-", very long notes).
inline void sembrar(Conexion& db) {
    // Number, name, locality, premises.
    const char* const clientes[][4] = {{"12", "Juan Pérez", "Quilmes", "Bar El Ñandú"},
                                       {"123", "Ana Ruiz", "Quilmes", "Pub Norte"},
                                       {"312", "Peña Hnos.", "Quilmes", "Club 100% Social"},
                                       {"7", "Sofía Núñez", "Quilmes", "Salón Los Álamos"},
                                       {"9", "Oculto", "-", "Barra Oculta"}};
    for (const auto& c : clientes) {
        QStringList v = QStringLiteral("||Calle 1||1878|Quilmes|Bs. As.|4253-0000|15-0000|c@correo.com.ar|"
                                       "20100101||Av. Mitre 10|Bernal|Quilmes Oeste|Bs. As.|4200-0000|"
                                       "l@correo.com.ar|20110915|143005|20110101|093000|")
                            .split(QLatin1Char('|'));
        for (int i = 0; i < 4; ++i)
            v[std::array{0, 1, 3, 11}[i]] = QString::fromUtf8(c[i]);
        if (v[0] == QStringLiteral("7"))
            v[18] = v[19] = QString();
        v[22] = QString(v[0] == QStringLiteral("9") ? 500 : 5, QLatin1Char('W'));
        ejecutar(db, Sentencias::insertarCliente(clienteDe(v)));
    }
    ejecutar(db,
             {QStringLiteral("UPDATE Clientes SET ActivacionBandaHoraria='Si', ActivacionBanda1='Si', "
                             "fechainicio='Lunes', fechafin='Viernes', horainicio='8', MinutosInicio='30', "
                             "HoraFin='23', MinutosFin='5', ActivacionBanda3='Si', fechainicio3='Martes', "
                             "fechafin3='Martes', horainicio3='10', MinutosInicio3='10', HoraFin3='11', "
                             "MinutosFin3='45' WHERE NumeroCliente = '12'"),
              {}});
    const char* const infracciones[][4] = {
        {"12", "20110228", "L. SHOW", "1"},         {"12", "20110301", "D. JOCKEY", "1."},
        {"12", "20110315", "MIC. DESC.", "BLOQ.."}, {"12", "20110331", "", ""},
        {"12", "20110401", "L. SHOW", "2."},        {"12", "20110402", "APERT. GAB.", "BLOQ."},
        {"123", "20110310", "EXCESO INF.", "9"},    {"312", "20110310", "BAT. DESC.", "8"}};
    for (const auto& i : infracciones)
        agregarInfraccion(db, QString::fromLatin1(i[0]), QString::fromLatin1(i[1]), QString::fromLatin1(i[2]),
                          QString::fromLatin1(i[3]));
}

// A control of a window by its objectName.
template <typename T = QWidget> T* hijo(const QObject* ventana, const QString& nombre) {
    T* c = ventana->findChild<T*>(nombre);
    EXPECT_NE(c, nullptr) << nombre.toStdString();
    return c;
}

// The office logged in as "Administrador" and its main window, on the test database.
class VentanaDePrueba : public ::testing::Test {
protected:
    void SetUp() override {
        EstablecerFinalizadorPrograma([this] { ++finales; });
        oficina.establecerUsuario(QStringLiteral("Administrador"));
    }
    void TearDown() override {
        delete ventana;
        EstablecerFinalizadorPrograma(nullptr);
    }
    VentanaPrincipal* abrir() {
        delete ventana;
        ventana = new VentanaPrincipal(oficina);
        ventana->show(); // as the login does
        return ventana;
    }

    GridModel& listaClientes() const { return *hijo<GridModel>(ventana, QStringLiteral("listaClientes")); }
    GridModel& gridInfracciones() const { return *hijo<GridModel>(ventana, QStringLiteral("infracciones")); }
    GridView* vista(const char* nombre) const { return hijo<GridView>(ventana, QLatin1String(nombre)); }
    QLineEdit* linea(const char* nombre) const { return hijo<QLineEdit>(ventana, QLatin1String(nombre)); }
    QPushButton* boton(const char* nombre) const { return hijo<QPushButton>(ventana, QLatin1String(nombre)); }
    QDateEdit* fecha(const char* nombre) const { return hijo<QDateEdit>(ventana, QLatin1String(nombre)); }

    // Column `col` of the rows the user sees ("-" for a separator).
    static QStringList visibles(const GridModel& g, int col) {
        QStringList r;
        for (int f = 1; f < g.rows(); ++f)
            if (!g.rowHidden(f))
                r << (g.textMatrix(f, 0).isEmpty() ? QStringLiteral("-") : g.textMatrix(f, col));
        return r;
    }
    int filaDe(const QString& numero) const {
        for (int f = 1; f < listaClientes().rows(); ++f)
            if (listaClientes().textMatrix(f, 1) == numero)
                return f;
        return -1;
    }
    // Selects the client as a click in the list would.
    void seleccionar(const QString& numero) {
        const int f = filaDe(numero);
        ASSERT_GT(f, 0) << numero.toStdString();
        vista("vistaClientes")
            ->setCurrentIndex(listaClientes().index(listaClientes().viewRowForGridRow(f), 1));
        ASSERT_EQ(oficina.clienteSeleccionado().value_or(Cliente{}).numero, numero);
    }

    BaseTemporal base;
    MessageRecorder mensajes;
    Oficina oficina{base.registro()};
    VentanaPrincipal* ventana = nullptr;
    int finales = 0;
};

// The main window on the seeded clients, the welcome already answered.
class VentanaConClientes : public VentanaDePrueba {
protected:
    void SetUp() override {
        VentanaDePrueba::SetUp();
        sembrar(base.registro());
        abrir();
        mensajes.limpiar();
    }
};

} // namespace prueba
