// The activity log on the server: the trigger chains with the same bytes the program hashes,
// refuses changes, deletions and emptying, and takes a log as it is only into an empty register
// and only when it chains.
#include "Almacenes.h"
#include "ArchivosDePrueba.h"
#include "core/actividad/CadenaActividad.h"
#include "core/store/DialectoPostgres.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

std::vector<EntradaActividad> entradas(Conexion& db) {
    std::vector<EntradaActividad> r;
    RecorrerEntradas(db, [&](const EntradaActividad& e) {
        r.push_back(e);
        return true;
    });
    return r;
}

// A chain of `n` entries made here, as a register that is moved carries it.
std::vector<EntradaActividad> cadenaLocal(int n) {
    std::vector<EntradaActividad> r;
    QString anterior = HashInicial();
    for (int i = 1; i <= n; ++i) {
        EntradaActividad e;
        e.secuencia = i;
        e.momentoUtc = QStringLiteral("2026-01-0%1T10:00:00.000Z").arg(i);
        e.momentoLocal = QStringLiteral("2026-01-0%1T07:00:00.000-03:00").arg(i);
        e.usuario = QStringLiteral("Peña");
        e.puesto = QStringLiteral("puesto-1");
        e.accion = QStringLiteral("cliente.alta");
        e.objeto = QStringLiteral("00%1").arg(i);
        e.detalles = QStringLiteral("{\"datos\":{\"Nombre\":\"Ñandú \\\"%1\\\"\"}}").arg(i);
        e.hashAnterior = anterior;
        e.hash = HashEntrada(e);
        anterior = e.hash;
        r.push_back(e);
    }
    return r;
}

} // namespace

TEST(ActividadServidor, ElDisparadorEncadenaComoElProgramaYRechazaCambios) {
    RegistroDePrueba registro;
    PREPARAR_ALMACEN(registro, Almacen::Servidor);
    Conexion& db = registro.conexion();
    {
        Transaccion t(db);
        const EntradaActividad e = AgregarEntrada(
            db, QStringLiteral("Peña"), QStringLiteral("cliente.cambio"), QStringLiteral("0042"),
            {{QStringLiteral("Nombre"), QStringLiteral("Bar «Ñandú»\n")}});
        t.confirmar();
        EXPECT_EQ(e.secuencia, 1);
        EXPECT_EQ(e.hashAnterior, HashInicial());
        // The server's user, not the desk's account, which the details keep.
        EXPECT_FALSE(e.usuario.isEmpty());
        EXPECT_NE(e.usuario, QStringLiteral("Peña"));
        EXPECT_EQ(
            QJsonDocument::fromJson(e.detalles.toUtf8()).object().value(QStringLiteral("cuenta")).toString(),
            QStringLiteral("Peña"));
        EXPECT_EQ(HashEntrada(e), e.hash);
        EXPECT_TRUE(e.momentoUtc.endsWith(QLatin1Char('Z')));
        EXPECT_EQ(e.momentoUtc.size(), 24);
        EXPECT_EQ(e.momentoLocal.size(), 29) << e.momentoLocal.toStdString();
    }
    {
        // Whatever the desk sends for the chain is replaced.
        Transaccion t(db);
        db.ejecutar(
            QStringLiteral("INSERT INTO RegistroActividad (Secuencia, Usuario, Accion, HashAnterior, Hash) "
                           "VALUES (77, 'otro', 'cliente.baja', 'x', 'y')"));
        t.confirmar();
    }
    {
        Transaccion t(db);
        AgregarEntrada(db, QStringLiteral("Invitado"), QStringLiteral("sesion.aceptada"),
                       QStringLiteral("Invitado"), {});
        // Rolled back: it leaves no gap.
    }
    const std::vector<EntradaActividad> todas = entradas(db);
    ASSERT_EQ(todas.size(), 2u);
    EXPECT_EQ(todas[1].secuencia, 2);
    EXPECT_EQ(todas[1].usuario, todas[0].usuario);
    EXPECT_FALSE(RoturaDeCadena(todas).has_value());
    EXPECT_EQ(LeerCabeza(db).hash, todas[1].hash);

    for (const char* sql :
         {"UPDATE RegistroActividad SET Objeto = '0002' WHERE Secuencia = 1",
          "DELETE FROM RegistroActividad WHERE Secuencia = 2", "TRUNCATE RegistroActividad"})
        EXPECT_THROW(db.ejecutar(QString::fromLatin1(sql)), ErrorBD) << sql;
    EXPECT_EQ(entradas(db), todas);
}

TEST(ActividadServidor, CopiaTalCualSoloEnUnRegistroVacioYEncadenada) {
    RegistroDePrueba registro;
    PREPARAR_ALMACEN(registro, Almacen::Servidor);
    Conexion& db = registro.conexion();
    const std::vector<EntradaActividad> local = cadenaLocal(3);
    auto copiar = [&](const std::vector<EntradaActividad>& es) {
        Transaccion t(db);
        db.ejecutar(DialectoPostgres::copiaLiteralActividad());
        for (const EntradaActividad& e : es)
            CopiarEntrada(db, e);
        t.confirmar();
    };
    // One entry altered: refused, nothing kept.
    std::vector<EntradaActividad> alterada = local;
    alterada[1].objeto = QStringLiteral("9999");
    EXPECT_THROW(copiar(alterada), ErrorBD);
    EXPECT_TRUE(entradas(db).empty());
    // Without the setting, the trigger chains it as a new entry of its own.
    copiar(local);
    EXPECT_EQ(entradas(db), local);
    // The log is no longer empty: a second copy is refused, even one that chains.
    std::vector<EntradaActividad> mas = cadenaLocal(4);
    EXPECT_THROW(copiar({mas[3]}), ErrorBD);
    EXPECT_EQ(entradas(db), local);
    // Normal entries continue the copied chain.
    {
        Transaccion t(db);
        AgregarEntrada(db, QStringLiteral("Administrador"), QStringLiteral("registro.traspaso"), QString(),
                       {});
        t.confirmar();
    }
    EXPECT_FALSE(RoturaDeCadena(entradas(db)).has_value());
    EXPECT_EQ(entradas(db).size(), 4u);
}
