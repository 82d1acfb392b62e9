// The activity log's chain on the embedded store: the hashed bytes, the check that finds where a
// chain breaks, the triggers that refuse changes, the row digest, and the migration that gives an
// older register its log and baseline.

#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "FilasDePrueba.h"
#include "core/actividad/CadenaActividad.h"
#include "core/actividad/DigestFilas.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Esquema.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace prueba;

namespace {

EntradaActividad ejemplo() {
    EntradaActividad e;
    e.secuencia = 12;
    e.momentoUtc = QStringLiteral("2026-12-07T13:05:09.042Z");
    e.momentoLocal = QStringLiteral("2026-12-07T10:05:09.042-03:00");
    e.usuario = QStringLiteral("Peña");
    e.puesto = QStringLiteral("puesto-1");
    e.accion = QStringLiteral("cliente.cambio");
    e.objeto = QStringLiteral("0042");
    e.detalles = QStringLiteral("{\"Nombre\":[\"Bar Ñandú\",\"Bar\"]}");
    e.hashAnterior = QString(64, QLatin1Char('a'));
    return e;
}

std::vector<EntradaActividad> entradas(Conexion& db) {
    std::vector<EntradaActividad> r;
    RecorrerEntradas(db, [&](const EntradaActividad& e) {
        r.push_back(e);
        return true;
    });
    return r;
}

} // namespace

TEST(CadenaActividad, BytesDefinidosUnaVezYRoturasNombradas) {
    EntradaActividad e = ejemplo();
    // Lengths are of the UTF-8 bytes: "Peña" is 5, the details' accents count twice.
    const QByteArray esperados = "RA1\n2:12\n24:2026-12-07T13:05:09.042Z\n29:2026-12-07T10:05:09.042-03:00\n"
                                 "5:Pe\xc3\xb1"
                                 "a\n8:puesto-1\n14:cliente.cambio\n4:0042\n" +
                                 QByteArray::number(e.detalles.toUtf8().size()) + ":" + e.detalles.toUtf8() +
                                 "\n64:" + QByteArray(64, 'a') + "\n";
    EXPECT_EQ(BytesEncadenados(e), esperados);
    e.hash = HashEntrada(e);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{64}$")).match(e.hash).hasMatch());

    // A chain of three, then each fault alone.
    std::vector<EntradaActividad> cadena;
    QString anterior = HashInicial();
    for (int i = 1; i <= 3; ++i) {
        EntradaActividad x = ejemplo();
        x.secuencia = i;
        x.hashAnterior = anterior;
        x.hash = HashEntrada(x);
        anterior = x.hash;
        cadena.push_back(x);
    }
    EXPECT_FALSE(RoturaDeCadena(cadena).has_value());
    EXPECT_FALSE(RoturaDeCadena({}).has_value());

    auto cambiada = cadena;
    cambiada[1].objeto = QStringLiteral("0043");
    ASSERT_TRUE(RoturaDeCadena(cambiada).has_value());
    EXPECT_EQ(RoturaDeCadena(cambiada)->secuencia, 2);
    EXPECT_TRUE(RoturaDeCadena(cambiada)->motivo.contains(QStringLiteral("no corresponde a su hash")));

    auto sinUna = cadena;
    sinUna.erase(sinUna.begin() + 1);
    ASSERT_TRUE(RoturaDeCadena(sinUna).has_value());
    EXPECT_EQ(RoturaDeCadena(sinUna)->secuencia, 2);
    EXPECT_TRUE(RoturaDeCadena(sinUna)->motivo.contains(QStringLiteral("falta la entrada 2")));

    // Rewritten consistently from entry 2 on, but no longer linked to entry 1.
    auto reescrita = cadena;
    reescrita[1].hashAnterior = QString(64, QLatin1Char('b'));
    reescrita[1].hash = HashEntrada(reescrita[1]);
    ASSERT_TRUE(RoturaDeCadena(reescrita).has_value());
    EXPECT_EQ(RoturaDeCadena(reescrita)->secuencia, 2);

    auto sinPrimera = cadena;
    sinPrimera.erase(sinPrimera.begin());
    EXPECT_EQ(RoturaDeCadena(sinPrimera)->secuencia, 1);
}

TEST(CadenaActividad, ElArchivoEncadenaYRechazaCambiosYBorrados) {
    BaseTemporal base;
    Conexion& db = base.registro();
    EXPECT_EQ(LeerCabeza(db).secuencia, 0);
    EXPECT_EQ(LeerCabeza(db).hash, HashInicial());
    {
        Transaccion t(db);
        AgregarEntrada(
            db, QStringLiteral("Administrador"), QStringLiteral("cliente.alta"), QStringLiteral("0001"),
            {{QStringLiteral("datos"), QJsonObject{{QStringLiteral("Nombre"), QStringLiteral("Ñu")}}}});
        AgregarEntrada(db, QStringLiteral("Invitado"), QStringLiteral("sesion.aceptada"),
                       QStringLiteral("Invitado"), {});
        t.confirmar();
    }
    {
        // Rolled back: no entry, and the next one takes the number.
        Transaccion t(db);
        AgregarEntrada(db, QStringLiteral("x"), QStringLiteral("cliente.baja"), QStringLiteral("0001"), {});
    }
    const std::vector<EntradaActividad> todas = entradas(db);
    ASSERT_EQ(todas.size(), 2u);
    EXPECT_FALSE(RoturaDeCadena(todas).has_value());
    EXPECT_EQ(todas[0].detalles, QStringLiteral("{\"datos\":{\"Nombre\":\"Ñu\"}}"));
    EXPECT_EQ(todas[1].usuario, QStringLiteral("Invitado"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$"))
                    .match(todas[1].momentoUtc)
                    .hasMatch());
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d$"))
                    .match(todas[1].momentoLocal)
                    .hasMatch());
    EXPECT_EQ(LeerCabeza(db).secuencia, 2);
    EXPECT_EQ(LeerCabeza(db).hash, todas[1].hash);

    for (const char* sql :
         {"UPDATE RegistroActividad SET Objeto = '0002' WHERE Secuencia = 1",
          "DELETE FROM RegistroActividad WHERE Secuencia = 2", "DELETE FROM RegistroActividad"})
        EXPECT_THROW(db.ejecutar(QString::fromLatin1(sql)), ErrorBD) << sql;
    EXPECT_EQ(entradas(db), todas);
    // By hand, with the trigger dropped first, the chain shows the change.
    db.ejecutar(QStringLiteral("DROP TRIGGER registroactividad_sin_cambios"));
    db.ejecutar(QStringLiteral("UPDATE RegistroActividad SET Objeto = '0002' WHERE Secuencia = 1"));
    ASSERT_TRUE(RoturaDeCadena(entradas(db)).has_value());
    EXPECT_EQ(RoturaDeCadena(entradas(db))->secuencia, 1);
}

TEST(DigestFilas, FilaAFilaYCadaValorCuenta) {
    const QStringList a = partes("0123|20110101|120000|085|1|x|SI|010|Peña|1|2|3|4|5|6|7|8");
    QStringList b = a;
    b[16] = QStringLiteral("9");
    DigestFilas d1;
    d1.agregar(a);
    d1.agregar(b);
    EXPECT_EQ(d1.filas(), 2);
    const QString ab = d1.resultado();
    DigestFilas d2;
    d2.agregar(b);
    d2.agregar(a);
    EXPECT_NE(d2.resultado(), ab); // order counts
    // Values moved across a field boundary give another digest.
    QStringList c = a;
    c[0] = QStringLiteral("01232");
    c[1] = QStringLiteral("0110101");
    DigestFilas d3;
    d3.agregar(c);
    DigestFilas d4;
    d4.agregar(a);
    EXPECT_NE(d3.resultado(), d4.resultado());
    // From the store, the same as from the texts.
    BaseTemporal base;
    const Consulta fila = Sentencias::insertarInfraccion(infraccionDe(a));
    base.registro().ejecutar(fila.sql, fila.parametros);
    const auto st = base.registro().preparar(
        QStringLiteral("SELECT %1 FROM Infracciones").arg(QLatin1String(kColumnasDigest)));
    ASSERT_TRUE(st->paso());
    DigestFilas d5;
    d5.agregar(*st);
    DigestFilas d6;
    d6.agregar(a);
    EXPECT_EQ(d5.resultado(), d6.resultado());
}
