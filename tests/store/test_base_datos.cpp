#include "BaseTemporal.h"
#include "store/Contrasenas.h"
#include "store/GridModel.h"
#include "store/modVarios.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList cliente(const QString& numero, const QString& nombre,
                    const QString& local = QStringLiteral("Local")) {
    QStringList v =
        QStringLiteral("||Dir|Loc|1900|Partido|Prov|111|222|a@b.c|20110915||DirL|LocL|PartL|ProvL|333|"
                       "l@b.c|20110915|143005|||notas")
            .split(QLatin1Char('|'));
    v[0] = numero;
    v[1] = nombre;
    v[11] = local;
    return v;
}

QStringList infraccion(const QString& numero, const QString& fecha) {
    QStringList v =
        QStringLiteral("||143005|085|L. SHOW|12,5 V|SI|010|Administrador|090|010|003|- 05|010|050|060|")
            .split(QLatin1Char('|'));
    v[0] = numero;
    v[1] = fecha;
    return v;
}

class BaseDatosTest : public ::testing::Test {
protected:
    BaseTemporal base;
    void SetUp() override { AbrirConexion1(); }
};

} // namespace

TEST_F(BaseDatosTest, NuevaBaseCifradaConCuentasYClienteDeRelleno) {
    QFile f(base.ruta());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_FALSE(f.read(16).startsWith("SQLite format 3"));

    AbrirRegistros(Registros1, Conexion1, Sentencias::listaClientes());
    ASSERT_EQ(Registros1.cantidad(), 1);
    EXPECT_EQ(Registros1.campos().size(), 24);
    EXPECT_EQ(Registros1.filas()[0][1], QStringLiteral("----"));
    EXPECT_EQ(Registros1.filas()[0][4], QStringLiteral("-"));

    AbrirRegistros(Registros2, Conexion1, Sentencias::listaUsuarios());
    ASSERT_EQ(Registros2.cantidad(), 2);
    EXPECT_EQ(Registros2.filas()[0][1], QStringLiteral("Administrador"));
    EXPECT_EQ(Registros2.filas()[1][1], QStringLiteral("Invitado"));
    EXPECT_TRUE(Registros2.filas()[0][2].startsWith(QStringLiteral("$argon2id$")));
    EXPECT_TRUE(verificarContrasena(Registros2.filas()[0][2], QString()));
    EXPECT_FALSE(verificarContrasena(Registros2.filas()[0][2], QStringLiteral("x")));
}

TEST_F(BaseDatosTest, ClaveIncorrectaONoBaseNoTocanElArchivo) {
    CerrarBaseDatos();
    QFile f(base.ruta());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray antes = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    f.close();

    Database db;
    try {
        db.abrir(base.ruta(), QByteArrayLiteral("otra-clave"));
        FAIL() << "debía rechazar la clave";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("clave no es correcta")));
        EXPECT_FALSE(e.descripcion().contains(QStringLiteral("mq731rkw")));
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256), antes);
    f.close();

    const QString basura = QDir(base.directorio()).filePath(QStringLiteral("basura.wfg"));
    QFile b(basura);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.write(QByteArray(4096, 'x'));
    b.close();
    EXPECT_THROW(db.abrir(basura, ClaveBaseDatos()), ErrorBD);
    EXPECT_EQ(QFileInfo(basura).size(), 4096);
}

TEST_F(BaseDatosTest, ValoresDificilesIdaYVuelta) {
    QStringList v = cliente(QStringLiteral("12'3"), QStringLiteral("O'Brien, Ñandú 100% _x_"));
    v[22] = QStringLiteral("línea 1\nlínea 2 \"comillas\" ; DROP TABLE Clientes; --");
    Conexion1.ejecutar(Sentencias::insertarCliente(v));
    AbrirRegistros(Registros1, Conexion1, Sentencias::listaClientes());
    ASSERT_EQ(Registros1.cantidad(), 2);
    const QStringList& fila = Registros1.filas()[1];
    EXPECT_EQ(fila[1], v[0]);
    EXPECT_EQ(fila[2], v[1]);
    EXPECT_EQ(fila[23], v[22]);
    // Display forms of dates and times, empty ones keep their separators.
    EXPECT_EQ(fila[11], QStringLiteral("15/09/2011"));
    EXPECT_EQ(fila[19], QStringLiteral("15/09/2011"));
    EXPECT_EQ(fila[20], QStringLiteral("14:30:05"));
    EXPECT_EQ(fila[21], QStringLiteral("//"));
    EXPECT_EQ(fila[22], QStringLiteral("::"));
    // mid() counts characters, not bytes, from 1.
    Statement st(BaseDatosCompartida(),
                 QStringLiteral("SELECT mid('ñandú',2,3), mid('ñandú',5,9), mid('abc',4,1), mid(NULL,1,2), "
                                "mid('abc',0,2)"));
    ASSERT_TRUE(st.paso());
    EXPECT_EQ(st.texto(0), QStringLiteral("and"));
    EXPECT_EQ(st.texto(1), QStringLiteral("ú"));
    EXPECT_EQ(st.texto(2), QString());
    EXPECT_EQ(st.texto(3), QString());
    EXPECT_EQ(st.texto(4), QString());
}

TEST_F(BaseDatosTest, RequeryVeLoEscritoPorOtraConexion) {
    AbrirRegistros(Registros1, Conexion1, Sentencias::listaClientes());
    AbrirConexion2();
    Conexion2.ejecutar(Sentencias::insertarCliente(cliente(QStringLiteral("0001"), QStringLiteral("Ana"))));
    GridModel grid;
    EnlazarRegistros1(grid);
    EXPECT_EQ(grid.rows(), 2); // snapshot: not yet
    Registros1.requery();
    EnlazarRegistros1(grid);
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.textMatrix(2, 2), QStringLiteral("Ana"));
    CerrarConexion1();
    EXPECT_THROW(Conexion1.ejecutar(Sentencias::borrarCliente(1)), ErrorBD);
    CerrarConexion2();
    CerrarConexion2(); // twice is harmless
    CerrarConexion3(); // never opened
}

TEST_F(BaseDatosTest, BusquedaLiteralSinDistinguirMayusculas) {
    Conexion1.ejecutar(Sentencias::insertarCliente(cliente("1", "Peña", "BAR Ñandú")));
    Conexion1.ejecutar(Sentencias::insertarCliente(cliente("2", "Gómez", "Barra 100%")));
    Conexion1.ejecutar(Sentencias::insertarCliente(cliente("3", "O'Neil", "Club_Uno")));
    auto buscar = [](const QString& col, const QString& texto) {
        const auto c = Sentencias::busquedaClientes(col, texto);
        EXPECT_TRUE(c.has_value());
        AbrirRegistros(Registros1, Conexion1, *c);
        QStringList numeros;
        for (const QStringList& f : Registros1.filas())
            numeros << f[1];
        return numeros;
    };
    EXPECT_EQ(buscar(QStringLiteral("Local"), QStringLiteral("ÑANDÚ")), QStringList({"1"}));
    EXPECT_EQ(buscar(QStringLiteral("Nombre"), QStringLiteral("GÓMEZ")), QStringList({"2"}));
    EXPECT_EQ(buscar(QStringLiteral("Local"), QStringLiteral("%")), QStringList({"2"}));
    EXPECT_EQ(buscar(QStringLiteral("Local"), QStringLiteral("_")), QStringList({"3"}));
    EXPECT_EQ(buscar(QStringLiteral("Nombre"), QStringLiteral("'")), QStringList({"3"}));
    // Empty text: every row whose column holds a value (the placeholder's name is null).
    EXPECT_EQ(buscar(QStringLiteral("Nombre"), QString()), QStringList({"1", "2", "3"}));
    EXPECT_FALSE(Sentencias::busquedaClientes(QStringLiteral("nombre"), QStringLiteral("x")).has_value());
}

TEST(Contrasenas, HashSaladoYVerificacion) {
    const QString a = hashContrasena(QStringLiteral("Clave'1"));
    const QString b = hashContrasena(QStringLiteral("Clave'1"));
    EXPECT_NE(a, b);
    EXPECT_FALSE(a.contains(QStringLiteral("Clave")));
    EXPECT_TRUE(verificarContrasena(a, QStringLiteral("Clave'1")));
    EXPECT_FALSE(verificarContrasena(a, QStringLiteral("clave'1")));
    EXPECT_FALSE(verificarContrasena(QStringLiteral("texto plano"), QStringLiteral("texto plano")));
}

// Statement 3 reads exactly one client's rows in their display forms; neighbouring rows with
// repeated and differing texts read back exactly.
TEST_F(BaseDatosTest, InfraccionesPorNumeroExactoConTextosVecinos) {
    for (const char* otro : {"123", "312", "1"})
        Conexion1.ejecutar(Sentencias::insertarInfraccion(infraccion(QString::fromLatin1(otro), "20110331")));
    const char* inspectores[] = {"Peña", "Peña", "Pena", "Pen", "Pena", ""};
    for (const char* i : inspectores) {
        QStringList v = infraccion(QStringLiteral("12"), QStringLiteral("20110331"));
        v[8] = QString::fromUtf8(i);
        Conexion1.ejecutar(Sentencias::insertarInfraccion(v));
    }
    AbrirRegistros(Registros1, Conexion1, Sentencias::infraccionesCliente(QStringLiteral("12")));
    ASSERT_EQ(Registros1.cantidad(), 6);
    EXPECT_EQ(Registros1.filas()[0][2], QStringLiteral("31/03/2011"));
    EXPECT_EQ(Registros1.filas()[0][3], QStringLiteral("14:30:05"));
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(Registros1.filas()[static_cast<size_t>(f)][9], QString::fromUtf8(inspectores[f])) << f;
}
