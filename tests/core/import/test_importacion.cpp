// The import as a plain function, on one scratch database per suite and real files.

#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "import/Importacion.h"

#include <QFile>
#include <QTemporaryDir>

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

// A stored infraction row of cabecera()'s inspection.
QStringList fila(const QString& numero, const QString& estatus, const QString& contador,
                 const QString& nivel = QStringLiteral("085"), const QString& red = QStringLiteral("SI")) {
    return QStringList{numero, "20110928", "140530", nivel, estatus, "12,5 V", red} +
           partes("042|Administrador|085|010|003|- 05|030|070|060") + QStringList{contador};
}

TEST_F(Importacion, KnownClientGetsInspectionBandsAndOneRowPerRecord) {
    agregarCliente(QStringLiteral("0123"));
    agregarCliente(QStringLiteral("0123")); // a duplicate number: both rows are updated
    agregarCliente(QStringLiteral("1230"));
    const QList<QStringList> otroAntes = clientes(QStringLiteral("1230"));

    const ResultadoImportacion r =
        importar(cabecera() + registro('1', '.') + registro('8', '.', "101", '0') + registro('3'), "0123");
    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    EXPECT_EQ(r.registros, 3);
    EXPECT_EQ(r.clientesActualizados, 2);
    EXPECT_EQ(clientes(QStringLiteral("0123")),
              QList<QStringList>(2, clienteImportado(QStringLiteral("0123"))));
    EXPECT_EQ(clientes(QStringLiteral("1230")), otroAntes);
    EXPECT_EQ(infracciones(QStringLiteral("0123")),
              (QList<QStringList>{fila("0123", "D. JOCKEY", "1."), fila("0123", "", ".", "101", "NO"),
                                  fila("0123", "BAT. DESC.", "BLOQ.")}));

    // Rows carry the file's client number; the update goes to the previewed one.
    agregarCliente(QStringLiteral("0300"));
    ASSERT_TRUE(importar(archivo("1", "0399"), QStringLiteral("0300")).ok());
    EXPECT_EQ(infracciones(QStringLiteral("0399")).size(), 1);
    EXPECT_EQ(clientes(QStringLiteral("0300")).at(0).at(7), QStringLiteral("20110928"));

    // Without a client row the records are stored anyway.
    const ResultadoImportacion sinCliente = importar(archivo("12", "0600"), QStringLiteral("0600"));
    ASSERT_TRUE(sinCliente.ok());
    EXPECT_EQ(sinCliente.clientesActualizados, 0);
    EXPECT_EQ(infracciones(QStringLiteral("0600")).size(), 2);
}

TEST_F(Importacion, CountersRunPerStatusCodeAcrossTheFile) {
    agregarCliente(QStringLiteral("0200"));
    ASSERT_TRUE(importar(archivo("2120212", "0200"), QStringLiteral("0200")).ok());
    EXPECT_EQ(contadoresGuardados(QStringLiteral("0200")), partes("1|1|2|BLOQ.|3|2|4"));
    // A second file starts counting again.
    ASSERT_TRUE(importar(archivo("12", "0200"), QStringLiteral("0200")).ok());
    EXPECT_EQ(contadoresGuardados(QStringLiteral("0200")).mid(7), partes("1|1"));
}

TEST_F(Importacion, InvalidOrUnreadableFilesStoreNothing) {
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
    QByteArray desbordado = cabecera("0400");
    for (int i = 0; i < 32768; ++i)
        desbordado += registro('2');
    for (const QByteArray& d : {cortado, sinTerminador, estatusLetra, banda, cabecera("0400").left(60),
                                desbordado, cabecera("0400", "310411") + registro('1')}) {
        const ResultadoImportacion r = importar(d, QStringLiteral("0400"));
        EXPECT_EQ(r.estado, EstadoImportacion::ArchivoNoValido) << d.size();
        EXPECT_FALSE(r.detalle.isEmpty());
    }

    ArchivoImportacion a;
    EXPECT_EQ(leerArchivoImportacion(dir.filePath(QStringLiteral("no-existe.kvd")), a).estado,
              EstadoImportacion::ArchivoIlegible);
    EXPECT_EQ(leerArchivoImportacion(QString(), a).estado, EstadoImportacion::ArchivoIlegible);
    EXPECT_EQ(importarArchivo(Conexion1.db(), dir.path(), datos(QStringLiteral("0400"))).estado,
              EstadoImportacion::ArchivoIlegible);

    EXPECT_EQ(cantidadInfracciones(), filasAntes);
    EXPECT_EQ(clientes(QStringLiteral("0400")), antes);
}

TEST_F(Importacion, ARefusedRowRollsBackTheClientUpdateAndEveryRow) {
    agregarCliente(QStringLiteral("0500"));
    const QList<QStringList> antes = clientes(QStringLiteral("0500"));
    const qint64 filasAntes = cantidadInfracciones();
    Database& db = Conexion1.db();
    db.ejecutar(
        QStringLiteral("CREATE TRIGGER rechazo BEFORE INSERT ON Infracciones WHEN NEW.NiveldB = '999' "
                       "BEGIN SELECT RAISE(ABORT, 'rechazada'); END"));
    const QByteArray d = archivo("1212", "0500") + registro('1', ' ', "999");
    const ResultadoImportacion r = importar(d, QStringLiteral("0500"));
    db.ejecutar(QStringLiteral("DROP TRIGGER rechazo"));

    EXPECT_EQ(r.estado, EstadoImportacion::ErrorBaseDatos);
    EXPECT_FALSE(r.detalle.isEmpty());
    EXPECT_TRUE(r.causaTecnica.contains(QStringLiteral("rechazada")));
    EXPECT_FALSE(db.enTransaccion());
    EXPECT_EQ(cantidadInfracciones(), filasAntes);
    EXPECT_EQ(clientes(QStringLiteral("0500")), antes);

    // Nothing half-done stays behind: the same file imports completely afterwards.
    EXPECT_TRUE(importar(d, QStringLiteral("0500")).ok());
    EXPECT_EQ(infracciones(QStringLiteral("0500")).size(), 5);
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
    // The third import moved the second's inspection to the previous one.
    EXPECT_EQ(clientes(QStringLiteral("0700")).at(0).mid(7, 4), partes("20110928|140530|20110928|140530"));
    EXPECT_TRUE(infracciones(QStringLiteral("0700")).isEmpty());
}

TEST_F(Importacion, StoresOnlyTheBytesThatWereReadAndDeletesThemRightAfterTheCommit) {
    agregarCliente(QStringLiteral("0800"));
    const QList<QStringList> antes = clientes(QStringLiteral("0800"));
    const qint64 filasAntes = cantidadInfracciones();
    const QByteArray vistos = archivo("12", "0800");
    const QString ruta = escribir(dir.path(), QStringLiteral("v.kvd"), vistos);
    ArchivoImportacion a;
    ASSERT_TRUE(prepararImportacion(vistos, a).ok());
    DatosImportacion d = datos(QStringLiteral("0800"));
    d.ruta = ruta;
    QStringList borrados;
    d.borrar = [&](const QString& r) {
        // Committed, and nobody told yet.
        EXPECT_FALSE(Conexion1.db().enTransaccion());
        EXPECT_EQ(infracciones(QStringLiteral("0800")).size(), 2);
        borrados << r;
        return QFile::remove(r);
    };

    // Replaced before the writing, or while the rows are written: nothing stays.
    escribir(dir.path(), QStringLiteral("v.kvd"), archivo("1212", "0800"));
    EXPECT_EQ(escribirImportacion(Conexion1.db(), a, d).estado, EstadoImportacion::ArchivoCambiado);
    QByteArray largo = cabecera("0800");
    for (int i = 0; i < 4100; ++i)
        largo += registro('3');
    escribir(dir.path(), QStringLiteral("v.kvd"), largo);
    ArchivoImportacion grande;
    ASSERT_TRUE(prepararImportacion(largo, grande).ok());
    d.progreso = [&](qsizetype, qsizetype) { escribir(dir.path(), QStringLiteral("v.kvd"), vistos); };
    EXPECT_EQ(escribirImportacion(Conexion1.db(), grande, d).estado, EstadoImportacion::ArchivoCambiado);
    EXPECT_FALSE(Conexion1.db().enTransaccion());
    EXPECT_EQ(cantidadInfracciones(), filasAntes);
    EXPECT_EQ(clientes(QStringLiteral("0800")), antes);
    EXPECT_TRUE(borrados.isEmpty());

    // Unchanged: stored, then deleted.
    d.progreso = nullptr;
    const ResultadoImportacion r = escribirImportacion(Conexion1.db(), a, d);
    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    EXPECT_EQ(r.borrado, EstadoBorrado::Borrado);
    EXPECT_EQ(borrados, QStringList{ruta});
    EXPECT_FALSE(QFile::exists(ruta));

    // What the deletion asks first.
    escribir(dir.path(), QStringLiteral("v.kvd"), archivo("1", "0800"));
    EXPECT_FALSE(archivoConserva(ruta, vistos));
    EXPECT_TRUE(archivoConserva(ruta, archivo("1", "0800")));
    EXPECT_FALSE(archivoConserva(dir.filePath(QStringLiteral("otro.kvd")), QByteArray()));
}

TEST_F(Importacion, LookupIsByExactClientNumber) {
    agregarCliente(QStringLiteral("AB12"));
    EXPECT_TRUE(existeCliente(Conexion1.db(), QStringLiteral("AB12")));
    for (const char* otro : {"ab12", "AB1", "AB12 ", "%"})
        EXPECT_FALSE(existeCliente(Conexion1.db(), QString::fromLatin1(otro))) << otro;
}

} // namespace
