// The import log: what each import leaves, the kept original, re-imports and overlaps, settings
// changes, and the migration that brings it to the files offices have today.

#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "core/actividad/Retiros.h"
#include "core/import/Importacion.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Esquema.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

using namespace prueba;

namespace {

DatosImportacion datos(const QString& usuario = QStringLiteral("Invitado")) {
    DatosImportacion d;
    d.numeroCliente = QStringLiteral("0123");
    d.fecha = QDate(2011, 9, 28);
    d.hora = QTime(14, 5, 30);
    d.inspector = usuario;
    d.nombreArchivo = QStringLiteral("0123.kvd");
    d.equipo = QStringLiteral("puesto-3");
    d.momento = QDateTime(QDate(2026, 12, 6), QTime(9, 30), Qt::UTC);
    return d;
}

ArchivoImportacion preparado(const QByteArray& bytes) {
    ArchivoImportacion a;
    EXPECT_TRUE(prepararImportacion(bytes, a).ok());
    return a;
}

qint64 cuenta(Conexion& db, const char* tabla) {
    return filas(db, QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(tabla)))
        .at(0)
        .at(0)
        .toLongLong();
}

class RegistroImportaciones : public ::testing::Test {
protected:
    void SetUp() override { agregarCliente(base.registro(), QStringLiteral("0123")); }
    BaseTemporal base;
};

// One import leaves one log row, the compressed original and rows pointing to it, all or none.
TEST_F(RegistroImportaciones, ElRegistroElOriginalYLasFilasSeGuardanJuntos) {
    const QByteArray bytes = archivo("123");
    const ArchivoImportacion a = preparado(bytes);
    const ResultadoImportacion r = escribirImportacion(base.registro(), a, datos());
    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    EXPECT_EQ(r.registros, 3);

    const std::vector<ImportacionRegistrada> log = ImportacionesCliente(base.registro(), "0123");
    ASSERT_EQ(log.size(), 1u);
    const ImportacionRegistrada& i = log.front();
    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    EXPECT_EQ(i.sha256, sha);
    EXPECT_EQ(i.id, r.idImportacion);
    EXPECT_EQ(i.nombreArchivo, "0123.kvd");
    EXPECT_EQ(i.tamano, bytes.size());
    EXPECT_EQ(i.fechaInspeccion, "28/09/11");
    EXPECT_EQ(i.horaInspeccion, "14:05:30");
    EXPECT_EQ(std::tuple(i.registros, i.guardados, i.omitidos), std::tuple(3, 3, 0));
    EXPECT_EQ(i.primerRegistro, "20110928");
    EXPECT_EQ(i.ultimoRegistro, "20110928");
    EXPECT_EQ(i.usuario, "Invitado");
    EXPECT_EQ(i.equipo, "puesto-3");
    EXPECT_EQ(i.momento.toUTC(), datos().momento);
    EXPECT_EQ(i.configuracion.maxDb, "085");
    EXPECT_EQ(i.configuracion.calibracion, "- 05");
    EXPECT_EQ(i.configuracion.bandas[0], "Si; Lunes 080:030 a Jueves 023:045");
    EXPECT_TRUE(i.cambios.isEmpty());
    EXPECT_EQ(filas(base.registro(), "SELECT DISTINCT IdImportacion FROM Infracciones"),
              QList<QStringList>{{QString::number(i.id)}});
    EXPECT_EQ(ImportacionesConHuella(base.registro(), sha).size(), 1u);

    // Saved out again byte for byte; a damaged copy is reported, never handed out.
    const Original o = LeerOriginal(base.registro(), i);
    EXPECT_EQ(o.estado, EstadoOriginal::Correcto);
    EXPECT_EQ(o.datos, bytes);
    base.registro().ejecutar("UPDATE OriginalesImportacion SET Datos = ?",
                             {QVariant(qCompress(archivo("124"), 1))});
    EXPECT_EQ(LeerOriginal(base.registro(), i).estado, EstadoOriginal::Danado);
    base.registro().ejecutar("UPDATE OriginalesImportacion SET Datos = zeroblob(40)");
    EXPECT_EQ(LeerOriginal(base.registro(), i).estado, EstadoOriginal::Danado);

    // A failure at the last row leaves no log row, no original and no row.
    base.registro().ejecutar("CREATE TRIGGER falla BEFORE INSERT ON Infracciones WHEN NEW.NiveldB = '101' "
                             "BEGIN SELECT RAISE(ABORT, 'disco lleno'); END");
    const ArchivoImportacion otro =
        preparado(cabecera() + registro('4', ' ', "099") + registro('5', ' ', "101"));
    EXPECT_EQ(escribirImportacion(base.registro(), otro, datos()).estado, EstadoImportacion::ErrorBaseDatos);
    EXPECT_EQ(std::tuple(cuenta(base.registro(), "Importaciones"),
                         cuenta(base.registro(), "OriginalesImportacion"),
                         cantidadInfracciones(base.registro())),
              std::tuple(1, 1, 3));

    // Deleting the import takes its rows; its log row and bytes stay, marked withdrawn.
    EXPECT_EQ(RegistrosDeImportacion(base.registro(), i.id), 3);
    EXPECT_EQ(
        RetirarImportacion(base.registro(), QStringLiteral("Administrador"), i.id, QStringLiteral("prueba")),
        3);
    EXPECT_EQ(std::tuple(cuenta(base.registro(), "Importaciones"),
                         cuenta(base.registro(), "OriginalesImportacion"),
                         cantidadInfracciones(base.registro())),
              std::tuple(1, 1, 0));
    EXPECT_TRUE(ImportacionesCliente(base.registro(), "0123").front().retirada);
}

// The same bytes are named with who imported them; records already stored are counted and, by
// default, left out; changed settings are said from what to what.
TEST_F(RegistroImportaciones, ReimportacionSolapamientoYCambiosDeConfiguracion) {
    const ArchivoImportacion primero = preparado(archivo("12"));
    ASSERT_TRUE(escribirImportacion(base.registro(), primero, datos()).ok());

    AnalisisImportacion a = analizarImportacion(base.registro(), primero);
    ASSERT_EQ(a.previas.size(), 1u);
    EXPECT_EQ(a.previas.front().usuario, "Invitado");
    EXPECT_EQ(a.solapados, 2);
    EXPECT_TRUE(a.cambios.empty());
    ResultadoImportacion r = escribirImportacion(base.registro(), primero, datos());
    EXPECT_EQ(std::tuple(r.registros, r.omitidos), std::tuple(0, 2));
    EXPECT_EQ(cantidadInfracciones(base.registro()), 2);

    // Half old, half new, with another maximum level and band 2 switched on.
    QByteArray cab = cabecera();
    cab.replace(16, 3, "090");
    cab[53] = '1';
    const ArchivoImportacion mezcla =
        preparado(cab + registro('1') + registro('3') + registro('2', ' ', "070"));
    a = analizarImportacion(base.registro(), mezcla);
    EXPECT_TRUE(a.previas.empty());
    EXPECT_EQ(a.solapados, 1);
    const QString esperado = QStringLiteral("Max. dB: 085 → 090\n"
                                            "Banda 2: No; Sabado 010:004 a Domingo 002:015 → "
                                            "Si; Sabado 010:004 a Domingo 002:015");
    EXPECT_EQ(DescribirCambios(a.cambios), esperado);
    r = escribirImportacion(base.registro(), mezcla, datos(QStringLiteral("Administrador")));
    EXPECT_EQ(std::tuple(r.registros, r.omitidos), std::tuple(2, 1));
    const std::vector<ImportacionRegistrada> log = ImportacionesCliente(base.registro(), "0123");
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log.front().cambios, esperado);
    EXPECT_EQ(std::tuple(log.front().guardados, log.front().omitidos), std::tuple(2, 1));

    // Asked to, every record is stored again.
    DatosImportacion todos = datos();
    todos.omitirSolapados = false;
    r = escribirImportacion(base.registro(), primero, todos);
    EXPECT_EQ(std::tuple(r.registros, r.omitidos), std::tuple(2, 0));
    EXPECT_EQ(cantidadInfracciones(base.registro()), 6);
}

// A register of the schema offices have today takes the log without losing or changing a row;
// its rows keep no import, and their settings are what a first logged import is compared with.
TEST(MigracionRegistro, DesdeLaVersion1) {
    QTemporaryDir dir;
    auto copia = [&](const QString& nombre) { return prueba::registroVersion1(dir.path(), nombre); };
    // A step that fails leaves the file as it was, and says so.
    const QString fallida = copia(QStringLiteral("fallida.wfg"));
    {
        ConexionSqlcipher db(fallida, ClaveBaseDatos()); // brings it up to date...
        db.ejecutar("DROP TABLE OriginalesImportacion");
        db.ejecutar("PRAGMA user_version = 1"); // ...and back to a version 1 that cannot take step 2
        db.cerrar();
    }
    QFile f(fallida);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray antes = f.readAll();
    f.close();
    try {
        const ConexionSqlcipher db(fallida, ClaveBaseDatos());
        ADD_FAILURE() << "debía fallar";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains("a la versión de esquema 2")) << e.descripcion().toStdString();
        EXPECT_TRUE(e.descripcion().endsWith("No se modificó el archivo."));
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), antes);
    f.close();

    const QString ruta = copia(QStringLiteral("presentacion.wfg"));
    const QString columnas = QStringLiteral(
        "SELECT id, NumeroCliente, FechaInfraccion, HoraInfraccion, NiveldB, Microfono, Estado, Inspector, "
        "Maxdb, contadorinf FROM Infracciones ORDER BY id");
    ConexionSqlcipher compartida(ruta, ClaveBaseDatos());
    EXPECT_EQ(filas(compartida, "PRAGMA user_version"),
              QList<QStringList>{{QString::number(kVersionEsquema)}});
    const QList<QStringList> infracciones = filas(compartida, columnas);
    ASSERT_EQ(infracciones.size(), 6);
    EXPECT_EQ(infracciones.at(3), QStringList({"4", "0042", "20110928", "140530", "085", "D. JOCKEY",
                                               "12,5 V", "Peña", "085", "1."}));
    EXPECT_EQ(filas(compartida, "SELECT count(*) FROM Infracciones WHERE IdImportacion IS NULL"),
              QList<QStringList>{{"6"}});
    EXPECT_EQ(cuenta(compartida, "Importaciones"), 0);

    // The file imported before the log: not recognised by its bytes, but every record is already
    // stored and the settings are those of the stored rows.
    QByteArray bytes = QByteArray("0042") + cabecera().mid(4);
    bytes += QByteArray("110928140530125") + "11085042.\n";
    bytes += QByteArray("110928140530125") + "12090042 \n";
    bytes += QByteArray("110928140530125") + "13095042 \n";
    ArchivoImportacion a;
    ASSERT_TRUE(prepararImportacion(bytes, a).ok());
    const AnalisisImportacion analisis = analizarImportacion(compartida, a);
    EXPECT_TRUE(analisis.previas.empty());
    EXPECT_EQ(analisis.solapados, 3);
    EXPECT_TRUE(analisis.cambios.empty()) << DescribirCambios(analisis.cambios).toStdString();
}

} // namespace
