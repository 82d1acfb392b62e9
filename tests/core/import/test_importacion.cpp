// The import as a plain function, on a scratch database and real files.

#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "core/import/Importacion.h"

#include <QFile>
#include <QTemporaryDir>

using namespace prueba;

namespace {

class Importacion : public ::testing::Test {
protected:
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
        return importarArchivo(base.registro(), ruta, datos(numero));
    }

    BaseTemporal base;
    QTemporaryDir dir;
};

// A stored infraction row of cabecera()'s inspection.
QStringList fila(const QString& estatus, const QString& contador,
                 const QString& nivel = QStringLiteral("085"), const QString& red = QStringLiteral("SI")) {
    return QStringList{"0123", "20110928", "140530", nivel, estatus, "12,5 V", red} +
           partes("042|Administrador|085|010|003|- 05|030|070|060") + QStringList{contador};
}

TEST_F(Importacion, KnownClientGetsInspectionBandsAndOneRowPerRecord) {
    const QString numero = QStringLiteral("0123");
    agregarCliente(base.registro(), numero);
    agregarCliente(base.registro(), numero); // a duplicate number: both rows are updated
    agregarCliente(base.registro(), QStringLiteral("1230"));
    const QList<QStringList> otroAntes = clientes(base.registro(), QStringLiteral("1230"));
    EXPECT_TRUE(existeCliente(base.registro(), numero));
    for (const char* otro : {"123", "0123 ", "%"})
        EXPECT_FALSE(existeCliente(base.registro(), QString::fromLatin1(otro))) << otro;

    ResultadoImportacion r =
        importar(cabecera() + registro('1', '.') + registro('8', '.', "101", '0') + registro('3'), numero);
    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    EXPECT_EQ(r.registros, 3);
    EXPECT_EQ(r.clientesActualizados, 2);
    // The previous last inspection moves back; the bands as the layout says (day code 7 stays).
    const QStringList importado =
        QStringList{numero} +
        partes(
            "Pe'ña Hnos.|Quilmes|4253-1111|Bar|20100301|sin notas|20110928|140530|20110105|101010|Si|Si|"
            "Lunes|Jueves|080|030|023|045|No|Sabado|Domingo|010|004|002|015|Si|7|Miercoles|023|010|005|059");
    EXPECT_EQ(clientes(base.registro(), numero), QList<QStringList>(2, importado));
    EXPECT_EQ(clientes(base.registro(), QStringLiteral("1230")), otroAntes);
    EXPECT_EQ(infracciones(base.registro(), numero),
              (QList<QStringList>{fila("D. JOCKEY", "1."), fila("", ".", "101", "NO"),
                                  fila("BAT. DESC.", "BLOQ.")}));
    // A header without records still updates the client.
    r = importar(cabecera().left(84), numero);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.registros, 0);
    EXPECT_EQ(clientes(base.registro(), numero).at(0).mid(7, 4), partes("20110928|140530|20110928|140530"));
    // Rows carry the file's client number; the update goes to the previewed one, if it exists.
    agregarCliente(base.registro(), QStringLiteral("0300"));
    ASSERT_TRUE(importar(archivo("1", "0399"), QStringLiteral("0300")).ok());
    EXPECT_EQ(infracciones(base.registro(), QStringLiteral("0399")).size(), 1);
    EXPECT_EQ(clientes(base.registro(), QStringLiteral("0300")).at(0).at(7), QStringLiteral("20110928"));
    r = importar(archivo("12", "0600"), QStringLiteral("0600"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.clientesActualizados, 0);
    EXPECT_EQ(infracciones(base.registro(), QStringLiteral("0600")).size(), 2);
}

TEST_F(Importacion, AnInvalidUnreadableOrRefusedFileStoresNothing) {
    const QString n = QStringLiteral("0400");
    agregarCliente(base.registro(), n);
    const QList<QStringList> antes = clientes(base.registro(), n);
    const qint64 filasAntes = cantidadInfracciones(base.registro());
    // The decoder's verdict decides (tested there): a bad record after good ones, a date that cannot be.
    QByteArray estatusLetra = archivo("121", "0400");
    estatusLetra[85 + 25 + 16] = 'x';
    for (const QByteArray& d : {estatusLetra, cabecera("0400", "310411") + registro('1')}) {
        const ResultadoImportacion r = importar(d, n);
        EXPECT_EQ(r.estado, EstadoImportacion::ArchivoNoValido) << d.size();
        EXPECT_FALSE(r.detalle.isEmpty());
    }
    for (const QString& ruta : {dir.filePath(QStringLiteral("no.kvd")), dir.path()})
        EXPECT_EQ(importarArchivo(base.registro(), ruta, datos(n)).estado,
                  EstadoImportacion::ArchivoIlegible);
    // A row the database refuses rolls back the client update and every row before it.
    base.registro().ejecutar(
        QStringLiteral("CREATE TRIGGER rechazo BEFORE INSERT ON Infracciones WHEN NEW.NiveldB = '999' "
                       "BEGIN SELECT RAISE(ABORT, 'rechazada'); END"));
    const QByteArray d = archivo("1212", "0400") + registro('1', ' ', "999");
    const ResultadoImportacion r = importar(d, n);
    base.registro().ejecutar(QStringLiteral("DROP TRIGGER rechazo"));
    EXPECT_EQ(r.estado, EstadoImportacion::ErrorBaseDatos);
    EXPECT_FALSE(r.detalle.isEmpty());
    EXPECT_TRUE(r.causaTecnica.contains(QStringLiteral("rechazada")));
    EXPECT_FALSE(base.registro().enTransaccion());
    EXPECT_EQ(cantidadInfracciones(base.registro()), filasAntes);
    EXPECT_EQ(clientes(base.registro(), n), antes);
    // Nothing half-done stays behind: the same file imports completely afterwards.
    EXPECT_TRUE(importar(d, n).ok());
    EXPECT_EQ(infracciones(base.registro(), n).size(), 5);
}

TEST_F(Importacion, StoresOnlyTheBytesThatWereReadAndDeletesThemRightAfterTheCommit) {
    const QString n = QStringLiteral("0800");
    agregarCliente(base.registro(), n);
    const QList<QStringList> antes = clientes(base.registro(), n);
    const qint64 filasAntes = cantidadInfracciones(base.registro());
    const QByteArray vistos = archivo("12", "0800");
    const QString ruta = escribir(dir.path(), "v.kvd", vistos);
    ArchivoImportacion a;
    ASSERT_TRUE(prepararImportacion(vistos, a).ok());
    DatosImportacion d = datos(n);
    d.ruta = ruta;
    QStringList borrados;
    d.borrar = [&](const QString& r) {
        // Committed, and nobody told yet.
        EXPECT_FALSE(base.registro().enTransaccion());
        EXPECT_EQ(infracciones(base.registro(), n).size(), 2);
        borrados << r;
        return QFile::remove(r);
    };
    // Replaced while the rows are written: nothing stays (a change before the writing is refused
    // through the import window).
    QByteArray largo = cabecera("0800");
    for (int i = 0; i < 4100; ++i)
        largo += registro('3');
    escribir(dir.path(), "v.kvd", largo);
    ArchivoImportacion grande;
    ASSERT_TRUE(prepararImportacion(largo, grande).ok());
    d.progreso = [&](qsizetype, qsizetype) { escribir(dir.path(), "v.kvd", vistos); };
    EXPECT_EQ(escribirImportacion(base.registro(), grande, d).estado, EstadoImportacion::ArchivoCambiado);
    EXPECT_FALSE(base.registro().enTransaccion());
    EXPECT_EQ(cantidadInfracciones(base.registro()), filasAntes);
    EXPECT_EQ(clientes(base.registro(), n), antes);
    EXPECT_TRUE(borrados.isEmpty());
    // Unchanged: stored, then deleted.
    d.progreso = nullptr;
    const ResultadoImportacion r = escribirImportacion(base.registro(), a, d);
    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    EXPECT_EQ(r.borrado, EstadoBorrado::Borrado);
    EXPECT_EQ(borrados, QStringList{ruta});
    EXPECT_FALSE(QFile::exists(ruta));
}

TEST_F(Importacion, ACancelledImportStoresNothingAndKeepsTheFile) {
    const QString n = QStringLiteral("0900");
    agregarCliente(base.registro(), n);
    const QList<QStringList> antes = clientes(base.registro(), n);
    const qint64 filasAntes = cantidadInfracciones(base.registro());
    QByteArray largo = cabecera("0900");
    for (int i = 0; i < 9000; ++i)
        largo += registro('3');
    const QString ruta = escribir(dir.path(), "c.kvd", largo);
    DatosImportacion d = datos(n);
    d.ruta = ruta;
    d.borrar = [](const QString& r) { return QFile::remove(r); };
    std::vector<qsizetype> avances;
    d.progreso = [&](qsizetype hechos, qsizetype total) {
        EXPECT_EQ(total, 9000);
        avances.push_back(hechos);
    };
    // Cancelled in the middle of the rows, and on the last word before the commit.
    for (const size_t pedido : {1u, 3u}) {
        avances.clear();
        d.cancelar = [&] { return avances.size() >= pedido; };
        const ResultadoImportacion r = importarArchivo(base.registro(), ruta, d);
        EXPECT_EQ(r.estado, EstadoImportacion::Cancelada) << pedido;
        EXPECT_FALSE(r.detalle.isEmpty());
        EXPECT_EQ(avances.size(), pedido);
        EXPECT_FALSE(base.registro().enTransaccion());
        EXPECT_EQ(cantidadInfracciones(base.registro()), filasAntes);
        EXPECT_EQ(clientes(base.registro(), n), antes);
        EXPECT_TRUE(ImportacionesCliente(base.registro(), n).empty());
        EXPECT_TRUE(QFile::exists(ruta));
    }
    // Not cancelled: the same file goes in whole, and the progress ends at the total.
    d.cancelar = [] { return false; };
    avances.clear();
    const ResultadoImportacion r = importarArchivo(base.registro(), ruta, d);
    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    EXPECT_EQ(r.registros, 9000);
    EXPECT_EQ(avances, (std::vector<qsizetype>{4096, 8192, 9000}));
    EXPECT_EQ(ImportacionesCliente(base.registro(), n).size(), 1u);
    EXPECT_FALSE(QFile::exists(ruta));
}

} // namespace
