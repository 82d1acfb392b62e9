// The import as a plain function, on one scratch database per suite and real files.

#include "BaseTemporal.h"
#include "import/Importacion.h"
#include "test_importacion_archivos.h"

#include <QTemporaryDir>

#include <memory>

using namespace prueba;

namespace {

class Importacion : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        base = new BaseTemporal();
        AbrirConexion1();
    }
    static void TearDownTestSuite() {
        delete base;
        base = nullptr;
    }

    static DatosImportacion datos(const QString& numero) {
        DatosImportacion d;
        d.numeroCliente = numero;
        d.fecha = QDate(2011, 9, 28);
        d.hora = QTime(14, 5, 30);
        d.inspector = QStringLiteral("Administrador");
        return d;
    }

    ResultadoImportacion importar(const QByteArray& contenido, const QString& numero) {
        const QString ruta = escribir(dir.path(), QStringLiteral("datos.kvd"), contenido);
        return importarArchivo(Conexion1.db(), ruta, datos(numero));
    }

    static inline BaseTemporal* base = nullptr;
    QTemporaryDir dir;
};

QStringList fila(const QString& numero, const QString& estatus, const QString& contador,
                 const QString& nivel = QStringLiteral("085")) {
    return {numero,
            QStringLiteral("20110928"),
            QStringLiteral("140530"),
            nivel,
            estatus,
            QStringLiteral("12,5 V"),
            QStringLiteral("SI"),
            QStringLiteral("042"),
            QStringLiteral("Administrador"),
            QStringLiteral("085"),
            QStringLiteral("010"),
            QStringLiteral("003"),
            QStringLiteral("- 05"),
            QStringLiteral("030"),
            QStringLiteral("070"),
            QStringLiteral("060"),
            contador};
}

TEST_F(Importacion, KnownClientGetsInspectionBandsAndOneRowPerRecord) {
    agregarCliente(QStringLiteral("0123"));
    agregarCliente(QStringLiteral("0123")); // a duplicate number: both rows are updated
    agregarCliente(QStringLiteral("1230"));
    const QList<QStringList> otroAntes = clientes(QStringLiteral("1230"));

    QByteArray d = cabecera();
    d += registro('1', '.');
    d += registro('8', '.', "101", '0');
    d += registro('3');
    const ResultadoImportacion r = importar(d, QStringLiteral("0123"));

    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    EXPECT_EQ(r.registros, 3);
    EXPECT_EQ(r.clientesActualizados, 2);
    const QList<QStringList> c = clientes(QStringLiteral("0123"));
    ASSERT_EQ(c.size(), 2);
    EXPECT_EQ(c.at(0), clienteImportado(QStringLiteral("0123")));
    EXPECT_EQ(c.at(1), clienteImportado(QStringLiteral("0123")));
    EXPECT_EQ(clientes(QStringLiteral("1230")), otroAntes);

    QStringList sinEstatus =
        fila(QStringLiteral("0123"), QString(), QStringLiteral("."), QStringLiteral("101"));
    sinEstatus[6] = QStringLiteral("NO");
    const QList<QStringList> esperadas = {
        fila(QStringLiteral("0123"), QStringLiteral("D. JOCKEY"), QStringLiteral("1.")), sinEstatus,
        fila(QStringLiteral("0123"), QStringLiteral("BAT. DESC."), QStringLiteral("BLOQ."))};
    EXPECT_EQ(infracciones(QStringLiteral("0123")), esperadas);
}

TEST_F(Importacion, CountersRunPerStatusCodeAcrossTheFile) {
    agregarCliente(QStringLiteral("0200"));
    ASSERT_TRUE(importar(archivo("2120212", "0200"), QStringLiteral("0200")).ok());
    QStringList contadores;
    for (const QStringList& f : infracciones(QStringLiteral("0200")))
        contadores << f.at(16);
    EXPECT_EQ(contadores, (QStringList{"1", "1", "2", "BLOQ.", "3", "2", "4"}));

    // A second file starts counting again.
    ASSERT_TRUE(importar(archivo("12", "0200"), QStringLiteral("0200")).ok());
    contadores.clear();
    for (const QStringList& f : infracciones(QStringLiteral("0200")).mid(7))
        contadores << f.at(16);
    EXPECT_EQ(contadores, (QStringList{"1", "1"}));
}

TEST_F(Importacion, RowsCarryTheFilesClientNumberAndTheUpdateThePreviews) {
    agregarCliente(QStringLiteral("0300"));
    ASSERT_TRUE(importar(archivo("1", "0399"), QStringLiteral("0300")).ok());
    EXPECT_EQ(infracciones(QStringLiteral("0399")).size(), 1);
    EXPECT_EQ(clientes(QStringLiteral("0300")).at(0).at(7), QStringLiteral("20110928"));
}

TEST_F(Importacion, InvalidFilesStoreNothing) {
    agregarCliente(QStringLiteral("0400"));
    const QList<QStringList> antes = clientes(QStringLiteral("0400"));
    const qint64 filasAntes = cantidadInfracciones();

    QByteArray cortado = archivo("121", "0400");
    cortado.chop(3); // the last record ends before its byte 23
    QByteArray sinTerminador = archivo("1", "0400");
    sinTerminador[83] = ':';
    QByteArray estatusLetra = archivo("121", "0400");
    estatusLetra[85 + 25 + 16] = 'x';
    QByteArray banda = archivo("1", "0400");
    banda[53] = ' ';
    const QByteArray corto = cabecera("0400").left(60);
    QByteArray desbordado = cabecera("0400");
    desbordado.reserve(85 + 25 * 32769);
    for (int i = 0; i < 32768; ++i)
        desbordado += registro('2');

    for (const QByteArray& d : {cortado, sinTerminador, estatusLetra, banda, corto, desbordado}) {
        const ResultadoImportacion r = importar(d, QStringLiteral("0400"));
        EXPECT_EQ(r.estado, EstadoImportacion::ArchivoNoValido) << d.size();
        EXPECT_FALSE(r.detalle.isEmpty());
    }
    EXPECT_EQ(cantidadInfracciones(), filasAntes);
    EXPECT_EQ(clientes(QStringLiteral("0400")), antes);
}

TEST_F(Importacion, AFileThatCannotBeReadStopsBeforeWriting) {
    const qint64 filasAntes = cantidadInfracciones();
    ArchivoImportacion a;
    EXPECT_EQ(leerArchivoImportacion(dir.filePath(QStringLiteral("no-existe.kvd")), a).estado,
              EstadoImportacion::ArchivoIlegible);
    EXPECT_EQ(leerArchivoImportacion(QString(), a).estado, EstadoImportacion::ArchivoIlegible);
    EXPECT_EQ(importarArchivo(Conexion1.db(), dir.path(), datos(QStringLiteral("0123"))).estado,
              EstadoImportacion::ArchivoIlegible);
    EXPECT_EQ(cantidadInfracciones(), filasAntes);
}

TEST_F(Importacion, ARefusedRowRollsBackTheClientUpdateAndEveryRow) {
    agregarCliente(QStringLiteral("0500"));
    const QList<QStringList> antes = clientes(QStringLiteral("0500"));
    const qint64 filasAntes = cantidadInfracciones();
    Database& db = Conexion1.db();
    db.ejecutar(
        QStringLiteral("CREATE TRIGGER rechazo BEFORE INSERT ON Infracciones WHEN NEW.NiveldB = '999' "
                       "BEGIN SELECT RAISE(ABORT, 'rechazada'); END"));
    QByteArray d = archivo("1212", "0500");
    d += registro('1', ' ', "999");
    const ResultadoImportacion r = importar(d, QStringLiteral("0500"));
    db.ejecutar(QStringLiteral("DROP TRIGGER rechazo"));

    EXPECT_EQ(r.estado, EstadoImportacion::ErrorBaseDatos);
    EXPECT_TRUE(r.detalle.contains(QStringLiteral("rechazada")));
    EXPECT_FALSE(db.enTransaccion());
    EXPECT_EQ(cantidadInfracciones(), filasAntes);
    EXPECT_EQ(clientes(QStringLiteral("0500")), antes);

    // Nothing half-done stays behind: the same file imports completely afterwards.
    EXPECT_TRUE(importar(d, QStringLiteral("0500")).ok());
    EXPECT_EQ(infracciones(QStringLiteral("0500")).size(), 5);
}

TEST_F(Importacion, WithoutAClientRowTheRecordsAreStoredAnyway) {
    const ResultadoImportacion r = importar(archivo("12", "0600"), QStringLiteral("0600"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.clientesActualizados, 0);
    EXPECT_EQ(infracciones(QStringLiteral("0600")).size(), 2);
}

TEST_F(Importacion, AHeaderWithoutRecordsStillUpdatesTheClient) {
    agregarCliente(QStringLiteral("0700"));
    for (int largo : {84, 85, 86}) {
        const ResultadoImportacion r =
            importar((cabecera("0700") + '\n').left(largo), QStringLiteral("0700"));
        ASSERT_TRUE(r.ok()) << largo;
        EXPECT_EQ(r.registros, 0);
        EXPECT_EQ(r.clientesActualizados, 1);
    }
    EXPECT_EQ(clientes(QStringLiteral("0700")).at(0).mid(7, 2), (QStringList{"20110928", "140530"}));
    // The third import moved the second's inspection to the previous one.
    EXPECT_EQ(clientes(QStringLiteral("0700")).at(0).mid(9, 2), (QStringList{"20110928", "140530"}));
    EXPECT_TRUE(infracciones(QStringLiteral("0700")).isEmpty());
}

TEST_F(Importacion, ProgressIsReportedWhileTheTransactionIsOpen) {
    agregarCliente(QStringLiteral("0800"));
    QByteArray d = cabecera("0800");
    for (int i = 0; i < 9000; ++i)
        d += registro(i % 2 ? '1' : '2');
    const QString ruta = escribir(dir.path(), QStringLiteral("grande.kvd"), d);
    DatosImportacion dat = datos(QStringLiteral("0800"));
    QList<qsizetype> avances;
    dat.progreso = [&](qsizetype hechos, qsizetype total) {
        EXPECT_EQ(total, 9000);
        EXPECT_TRUE(Conexion1.db().enTransaccion());
        avances << hechos;
    };
    ASSERT_TRUE(importarArchivo(Conexion1.db(), ruta, dat).ok());
    EXPECT_EQ(avances, (QList<qsizetype>{4096, 8192}));
    EXPECT_EQ(infracciones(QStringLiteral("0800")).size(), 9000);
    EXPECT_EQ(infracciones(QStringLiteral("0800")).last().at(16), QStringLiteral("4500"));
}

TEST_F(Importacion, LookupIsByExactClientNumber) {
    agregarCliente(QStringLiteral("AB12"));
    Database& db = Conexion1.db();
    EXPECT_TRUE(existeCliente(db, QStringLiteral("AB12")));
    EXPECT_FALSE(existeCliente(db, QStringLiteral("ab12")));
    EXPECT_FALSE(existeCliente(db, QStringLiteral("AB1")));
    EXPECT_FALSE(existeCliente(db, QStringLiteral("AB12 ")));
    EXPECT_FALSE(existeCliente(db, QStringLiteral("%")));
}

} // namespace
