#include "BaseTemporal.h"
#include "FilasDePrueba.h"
#include "core/store/ArchivosBase.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Contrasenas.h"
#include "core/store/Esquema.h"
#include "core/store/Recordset.h"
#include "core/store/Sentencias.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>

namespace {

QStringList cliente(const char* numero, const QString& nombre, const QString& local) {
    QStringList v =
        QStringLiteral("||Dir|Loc|1900|Partido|Prov|111|222|a@b.c|20110915||DirL|LocL|PartL|ProvL|333|"
                       "l@b.c|20110915|143005|||notas")
            .split(QLatin1Char('|'));
    v[0] = QString::fromLatin1(numero);
    v[1] = nombre;
    v[11] = local;
    return v;
}

QByteArray huella(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

// Reads or changes a file straight through SQLCipher, below the program's open and migrations.
QStringList sqlDirecto(const QString& ruta, const char* sql) {
    sqlite3* db = nullptr;
    QStringList filas;
    sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray clave = ClaveBaseDatos();
    sqlite3_key(db, clave.constData(), static_cast<int>(clave.size()));
    auto fila = [](void* destino, int n, char** valores, char**) {
        QStringList f;
        for (int i = 0; i < n; ++i)
            f << (valores[i] ? QString::fromUtf8(valores[i]) : QStringLiteral("<null>"));
        static_cast<QStringList*>(destino)->append(f.join(QLatin1Char('|')));
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, sql, fila, &filas, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
    return filas;
}

QStringList contenido(const QString& ruta) {
    // The columns every schema version has: a migration may add columns, never change these.
    return sqlDirecto(ruta,
                      "SELECT * FROM Clientes ORDER BY Id; SELECT id, NumeroCliente, FechaInfraccion, "
                      "HoraInfraccion, NiveldB, Microfono, Estado, TensionLinea, PorcentajeCompresion, "
                      "Inspector, Maxdb, dbaten, excesos, caldb, segpenal, nivelconsola, nivelruido, "
                      "contadorinf FROM Infracciones ORDER BY id; SELECT * FROM PassUsuarios ORDER BY Id");
}

class BaseDatosTest : public ::testing::Test {
protected:
    BaseTemporal base;
    Recordset registros1;
    Recordset registros2;
    void ejecutar(const Consulta& c) { base.registro().ejecutar(c.sql, c.parametros); }
};

} // namespace

TEST_F(BaseDatosTest, NuevaBaseCifradaConCuentasConHashSaladoYClienteDeRelleno) {
    QFile f(base.ruta());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_FALSE(f.read(16).startsWith("SQLite format 3"));
    registros1.abrir(base.registro(), Sentencias::listaClientes());
    ASSERT_EQ(registros1.cantidad(), 1);
    EXPECT_EQ(registros1.filas()[0][1], QStringLiteral("----"));

    registros2.abrir(base.registro(), Sentencias::listaUsuarios());
    ASSERT_EQ(registros2.cantidad(), 2);
    EXPECT_EQ(registros2.filas()[1][1], QStringLiteral("Invitado"));
    EXPECT_TRUE(registros2.filas()[0][2].startsWith(QStringLiteral("$argon2id$")));
    EXPECT_TRUE(verificarContrasena(registros2.filas()[0][2], QString()));
    const QString a = hashContrasena(QStringLiteral("Clave'1"));
    EXPECT_NE(a, hashContrasena(QStringLiteral("Clave'1")));
    EXPECT_FALSE(verificarContrasena(a, QStringLiteral("clave'1")));
    EXPECT_FALSE(verificarContrasena(QStringLiteral("texto plano"), QStringLiteral("texto plano")));
}

// A wrong key, a file that is not a database and a failing statement: a Spanish cause, SQLite's
// words in the details only, never the key, and the file untouched.
TEST_F(BaseDatosTest, ErroresEnEspanolConDetallesSinClaveYSinTocarElArchivo) {
    try {
        const auto st =
            base.registro().preparar(QStringLiteral("SELECT * FROM PassUsuarios2 WHERE Nombre = ?"));
        ADD_FAILURE() << "debía fallar";
    } catch (const ErrorBD& e) {
        EXPECT_EQ(e.descripcion(),
                  QStringLiteral("Al archivo de la base de datos le falta una tabla o una "
                                 "columna: está incompleto o no es de esta versión del programa."));
        EXPECT_TRUE(e.detalles().contains(QStringLiteral("no such table: PassUsuarios2")));
        EXPECT_FALSE((e.descripcion() + e.detalles()).contains(QString::fromLatin1(ClaveBaseDatos())));
    }
    base.cerrar();
    const QByteArray antes = huella(base.ruta());
    try {
        ConexionSqlcipher db(base.ruta(), QByteArrayLiteral("otra-clave"));
        ADD_FAILURE() << "debía rechazar la clave";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("clave no es correcta")));
        EXPECT_TRUE(e.detalles().contains(QStringLiteral("file is encrypted or is not a database")));
        EXPECT_FALSE((e.descripcion() + e.detalles()).contains(QStringLiteral("otra-clave")));
    }
    EXPECT_EQ(huella(base.ruta()), antes);
    const QString basura = QDir(base.directorio()).filePath(QStringLiteral("basura.wfg"));
    QFile b(basura);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly) && b.write(QByteArray(4096, 'x')) == 4096);
    b.close();
    EXPECT_THROW(ConexionSqlcipher(basura, ClaveBaseDatos()), ErrorBD);
    EXPECT_EQ(QFileInfo(basura).size(), 4096);

    // Common causes told apart, the system's error number included.
    EXPECT_EQ(DescripcionErrorSqlite(SQLITE_IOERR_WRITE, ENOSPC),
              QStringLiteral("No queda espacio libre en el disco."));
    EXPECT_TRUE(DescripcionErrorSqlite(SQLITE_CORRUPT).contains(QStringLiteral("dañado")));
}

// Values go in as bound parameters and come back unchanged; the search matches them literally and
// without regard to case, accented letters included.
TEST_F(BaseDatosTest, ValoresDificilesIdaYVueltaYBusquedaLiteral) {
    QStringList v = cliente("3'1", QStringLiteral("O'Neil"), QStringLiteral("Club_Uno"));
    v[22] = QStringLiteral("línea 1\nlínea 2 \"comillas\" ; DROP TABLE Clientes; --");
    ejecutar(Sentencias::insertarCliente(
        prueba::clienteDe(cliente("1", QStringLiteral("Peña"), QStringLiteral("BAR Ñandú")))));
    ejecutar(Sentencias::insertarCliente(
        prueba::clienteDe(cliente("2", QStringLiteral("Gómez"), QStringLiteral("Barra 100%")))));
    ejecutar(Sentencias::insertarCliente(prueba::clienteDe(v)));
    registros1.abrir(base.registro(), Sentencias::listaClientes());
    ASSERT_EQ(registros1.cantidad(), 4);
    const QStringList& fila = registros1.filas()[3];
    EXPECT_EQ(fila.mid(1, 2), v.mid(0, 2));
    EXPECT_EQ(fila[23], v[22]);
    // Display forms of dates and times; empty ones keep their separators.
    EXPECT_EQ(QStringList(fila.mid(19, 4)), QStringList({"15/09/2011", "14:30:05", "//", "::"}));

    auto buscar = [this](const char* col, const QString& texto) {
        const auto c = Sentencias::busquedaClientes(QString::fromLatin1(col), texto);
        EXPECT_TRUE(c.has_value());
        registros1.abrir(base.registro(), *c);
        QStringList numeros;
        for (const QStringList& f : registros1.filas())
            numeros << f[1];
        return numeros.join(QLatin1Char(','));
    };
    EXPECT_EQ(buscar("Local", QStringLiteral("ÑANDÚ")), QStringLiteral("1"));
    EXPECT_EQ(buscar("Nombre", QStringLiteral("GÓMEZ")), QStringLiteral("2"));
    EXPECT_EQ(buscar("Local", QStringLiteral("%")) + buscar("Local", QStringLiteral("_")),
              QStringLiteral("23'1"));
    EXPECT_EQ(buscar("Nombre", QString()), QStringLiteral("1,2,3'1")); // the placeholder's name is null
    EXPECT_FALSE(Sentencias::busquedaClientes(QStringLiteral("nombre"), QStringLiteral("x")).has_value());

    // mid() counts characters, not bytes, from 1.
    const auto st =
        base.registro().preparar(QStringLiteral("SELECT mid('ñandú',2,3), mid('ñandú',5,9), mid('abc',0,2)"));
    ASSERT_TRUE(st->paso());
    EXPECT_EQ(st->texto(0) + st->texto(1) + st->texto(2), QStringLiteral("andú"));
}

// Rows are read by exact client number; neighbouring rows with repeated and differing texts read
// back exactly; a re-query sees what another connection wrote.
TEST_F(BaseDatosTest, InfraccionesPorNumeroExactoYRequery) {
    const char* numeros[] = {"123", "12", "12", "312", "12", "12", "1"};
    const char* inspectores[] = {"x", "Peña", "Peña", "x", "Pena", ""};
    registros1.abrir(base.registro(), Sentencias::infraccionesCliente(QStringLiteral("12")));
    // Another connection on the same file writes.
    ConexionSqlcipher otra(base.ruta(), ClaveBaseDatos());
    for (int i = 0; i < 7; ++i) {
        QStringList v = QStringLiteral("||143005|085|L. SHOW|12,5 V|SI|010|x|090|010|003|- 05|010|050|060|")
                            .split(QLatin1Char('|'));
        v[0] = QString::fromLatin1(numeros[i]);
        v[1] = QStringLiteral("20110331");
        v[8] = QString::fromUtf8(inspectores[i % 6]);
        const Consulta c = Sentencias::insertarInfraccion(prueba::infraccionDe(v));
        otra.ejecutar(c.sql, c.parametros);
    }
    EXPECT_EQ(registros1.cantidad(), 0); // snapshot: not yet
    registros1.requery();
    ASSERT_EQ(registros1.cantidad(), 4);
    EXPECT_EQ(registros1.filas()[0][2], QStringLiteral("31/03/2011"));
    QStringList leidos;
    for (const QStringList& f : registros1.filas())
        leidos << f[9];
    EXPECT_EQ(leidos, QStringList({"Peña", "Peña", "Pena", ""}));
    otra.cerrar();
    EXPECT_THROW(otra.ejecutar(Sentencias::borrarCliente(1).sql, {1}), ErrorBD);
}

// A new database appears complete or not at all: an empty file counts as missing, the leftovers
// of an interrupted start (the half-built file and its journals) go away, nothing else remains.
// A file of an older schema is updated with its contents unchanged; a newer or incomplete one is
// refused untouched.
TEST(ArchivoDeLaBase, NuevoInterrumpidoAnteriorYPosterior) {
    QTemporaryDir dir;
    const QString ruta = QDir(dir.path()).filePath(QStringLiteral("presentacion.wfg"));
    for (const QString& resto : {ruta, ruta + QStringLiteral("-journal"), RutaBaseNueva(ruta),
                                 RutaBaseNueva(ruta) + QStringLiteral("-journal")}) {
        QFile f(resto);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (resto != ruta)
            f.write(QByteArray(2048, 'j'));
    }
    ConexionSqlcipher(ruta, ClaveBaseDatos()).cerrar();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("presentacion.wfg")}));
    EXPECT_EQ(contenido(ruta).size(), 3);
    EXPECT_EQ(sqlDirecto(ruta, "PRAGMA user_version"), QStringList({QString::number(kVersionEsquema)}));
    // A folder that does not exist: the cause in Spanish, the system's own words below.
    try {
        ConexionSqlcipher db(QDir(dir.path()).filePath(QStringLiteral("no/existe.wfg")), ClaveBaseDatos());
        ADD_FAILURE() << "debía fallar";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().startsWith(QStringLiteral("No se puede crear la base de datos")));
        EXPECT_TRUE(e.descripcion().endsWith(QStringLiteral("No se encuentra el archivo o la carpeta.")));
        EXPECT_TRUE(e.detalles().contains(QStringLiteral("errno %1").arg(ENOENT)));
    }

    // The fixture was written by the schema code of release 1.0.18, before versions were recorded.
    auto copia = [&](const QString& nombre) {
        const QString ruta = QDir(dir.path()).filePath(nombre);
        EXPECT_TRUE(QFile::copy(
            QStringLiteral(VELMORA_SOURCE_DIR "/tests/core/store/fixtures/esquema-sin-version.wfg"), ruta));
        QFile(ruta).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        return ruta;
    };
    const QString anterior = copia(QStringLiteral("anterior.wfg"));
    const QStringList antes = contenido(anterior);
    ASSERT_EQ(antes.size(), 7); // placeholder and client 0042, three infractions, two accounts
    EXPECT_TRUE(antes[1].startsWith(QStringLiteral("2|0042|Peña O'Brien|")));
    ASSERT_EQ(sqlDirecto(anterior, "PRAGMA user_version"), QStringList({QStringLiteral("0")}));
    ConexionSqlcipher(anterior, ClaveBaseDatos()).cerrar();
    EXPECT_EQ(sqlDirecto(anterior, "PRAGMA user_version"), QStringList({QString::number(kVersionEsquema)}));
    // The clients gain their row version (0), last; nothing else changes.
    QStringList despues = contenido(anterior);
    for (int i = 0; i < 2 && i < despues.size(); ++i) {
        EXPECT_TRUE(despues[i].endsWith(QStringLiteral("|0"))) << despues[i].toStdString();
        despues[i].chop(2);
    }
    EXPECT_EQ(despues, antes);

    const QString nueva = copia(QStringLiteral("nueva.wfg"));
    sqlDirecto(nueva, "PRAGMA user_version = 999");
    const QString incompleta = copia(QStringLiteral("incompleta.wfg"));
    sqlDirecto(incompleta, "DROP TABLE PassUsuarios");
    const std::pair<QString, QString> casos[] = {
        {nueva, QStringLiteral(
                    "La base de datos \"%1\" fue creada por una versión más reciente del programa "
                    "(versión de esquema 999); esta versión conoce hasta la %2. No se modificó el archivo.")
                    .arg(QDir::toNativeSeparators(nueva))
                    .arg(kVersionEsquema)},
        {incompleta, QStringLiteral("le falta la tabla PassUsuarios. No se modificó el archivo.")}};
    for (const auto& [ruta, esperado] : casos) {
        const QByteArray h = huella(ruta);
        try {
            ConexionSqlcipher db(ruta, ClaveBaseDatos());
            ADD_FAILURE() << "debía rechazar " << ruta.toStdString();
        } catch (const ErrorBD& e) {
            EXPECT_TRUE(e.descripcion().endsWith(esperado)) << e.descripcion().toStdString();
        }
        EXPECT_EQ(huella(ruta), h);
    }
}
