// Copies of the register: backup, verification, daily rotation and restore, on real files.

#include "ArchivosDePrueba.h"
#include "BaseTemporal.h"
#include "core/Oficina.h"
#include "core/import/Importacion.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Copias.h"
#include "core/store/Esquema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

using namespace prueba;

namespace {

QByteArray leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void escribirBytes(const QString& ruta, const QByteArray& datos) {
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(datos);
}

// Alters a few bytes in the middle of a page of a closed file.
void danarPagina(const QString& ruta, int pagina) {
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const qint64 pos = qint64(pagina - 1) * 1024 + 512;
    ASSERT_LT(pos + 4, f.size());
    f.seek(pos);
    QByteArray b = f.read(4);
    for (char& c : b)
        c = static_cast<char>(~c);
    f.seek(pos);
    f.write(b);
}

void ejecutarDirecto(const QString& ruta, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray clave = ClaveBaseDatos();
    sqlite3_key(db, clave.constData(), static_cast<int>(clave.size()));
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
}

class Copias : public ::testing::Test {
protected:
    void SetUp() override {
        base.registro();
        escribirBytes(municipio(), "Municipio de Prueba");
    }
    QString municipio() const {
        return QDir(base.directorio()).filePath(QLatin1String(kNombreArchivoMunicipio));
    }
    QString enDir(const QString& nombre) const { return dir.filePath(nombre); }
    ResultadoImportacion importar(const QByteArray& contenido, const QString& numero,
                                  std::function<void(qsizetype, qsizetype)> progreso = {}) {
        DatosImportacion d;
        d.numeroCliente = numero;
        d.fecha = QDate(2024, 3, 15);
        d.hora = QTime(10, 0);
        d.inspector = QStringLiteral("Administrador");
        d.progreso = std::move(progreso);
        d.omitirSolapados = false;
        d.momento = QDateTime(QDate(2024, 4, 2), QTime(9, 30));
        return importarArchivo(base.registro(), escribir(dir.path(), QStringLiteral("d.kvd"), contenido), d);
    }

    BaseTemporal base;
    QTemporaryDir dir;
};

} // namespace

TEST_F(Copias, BackupDuringAnImportHoldsTheStateBeforeItAndOpens) {
    agregarCliente(base.registro(), QStringLiteral("0123"));
    ASSERT_TRUE(importar(archivo("123"), QStringLiteral("0123")).ok());
    const QString copia = enDir(QStringLiteral("durante.wfg"));
    bool copiada = false;
    // The import's transaction is open while the progress is reported.
    const ResultadoImportacion r =
        importar(archivo(QByteArray(5000, '1')), QStringLiteral("0123"), [&](qsizetype, qsizetype) {
            if (!copiada)
                CopiarBase(base.ruta(), municipio(), copia, ClaveBaseDatos());
            copiada = true;
        });
    ASSERT_TRUE(r.ok()) << r.detalle.toStdString();
    ASSERT_TRUE(copiada);
    EXPECT_EQ(cantidadInfracciones(base.registro()), 5003);
    EXPECT_TRUE(VerificarArchivoBase(copia, ClaveBaseDatos()).correcta);
    const ContenidoCopia c = ExaminarCopia(copia, ClaveBaseDatos());
    EXPECT_EQ(c.clientes, 1);
    EXPECT_EQ(c.infracciones, 3);
    EXPECT_EQ(c.ultimaImportacion, QDate(2024, 4, 2));
    EXPECT_EQ(c.versionEsquema, kVersionEsquema);
    EXPECT_EQ(leer(RutaMunicipioDeCopia(copia)), "Municipio de Prueba");
    EXPECT_FALSE(QFile::exists(copia + QStringLiteral(".tmp")));
}

TEST_F(Copias, RestoreBringsBackTheCopyAndKeepsTheReplacedRegister) {
    agregarCliente(base.registro(), QStringLiteral("0123"));
    ASSERT_TRUE(importar(archivo("123"), QStringLiteral("0123")).ok());
    const QString copia = enDir(NombreCopia(QDateTime(QDate(2024, 3, 15), QTime(9, 30))));
    CopiarBase(base.ruta(), municipio(), copia, ClaveBaseDatos());

    Oficina oficina{base.registro()};
    agregarCliente(base.registro(), QStringLiteral("0999"));
    base.registro().ejecutar(QStringLiteral("DELETE FROM Infracciones"));
    escribirBytes(municipio(), "Otro municipio");
    oficina.cargarMunicipio(municipio());
    oficina.abrirClientes();
    ASSERT_EQ(oficina.filasClientes().size(), 3u);

    const QString carpeta = QDir(base.directorio()).filePath(QStringLiteral("copias"));
    QString guardada;
    base.registro().conArchivoCerrado([&] {
        guardada = RestaurarCopia(copia, base.ruta(), municipio(), carpeta, ClaveBaseDatos(),
                                  QDateTime(QDate(2024, 3, 16), QTime(8, 0)));
    });
    oficina.recargarRegistro();
    EXPECT_EQ(clientes(base.registro(), QStringLiteral("0123")).size(), 1);
    EXPECT_TRUE(clientes(base.registro(), QStringLiteral("0999")).isEmpty());
    EXPECT_EQ(cantidadInfracciones(base.registro()), 3);
    EXPECT_EQ(oficina.filasClientes().size(), 2u);
    EXPECT_EQ(oficina.municipio(), QStringLiteral("Municipio de Prueba"));
    EXPECT_EQ(oficina.idSeleccionado(), 0);

    EXPECT_EQ(guardada, QDir(carpeta).filePath(QStringLiteral("anterior-2024-03-16-080000.wfg")));
    const ContenidoCopia anterior = ExaminarCopia(guardada, ClaveBaseDatos());
    EXPECT_EQ(anterior.clientes, 2);
    EXPECT_EQ(anterior.infracciones, 0);
    EXPECT_EQ(leer(RutaMunicipioDeCopia(guardada)), "Otro municipio");
    EXPECT_FALSE(QFile::exists(base.ruta() + QStringLiteral(".restaurando")));
}

TEST_F(Copias, BadCopiesAreRefusedWithTheReasonAndTheRegisterUntouched) {
    agregarCliente(base.registro(), QStringLiteral("0123"));
    ASSERT_TRUE(importar(archivo("123"), QStringLiteral("0123")).ok());
    const QString buena = enDir(QStringLiteral("buena.wfg"));
    CopiarBase(base.ruta(), municipio(), buena, ClaveBaseDatos());

    const QString danada = enDir(QStringLiteral("danada.wfg"));
    QFile::copy(buena, danada);
    danarPagina(danada, 3);

    const QString otraClave = enDir(QStringLiteral("otra-clave.wfg"));
    { const ConexionSqlcipher db(otraClave, QByteArrayLiteral("otra clave")); }
    const QString nueva = enDir(QStringLiteral("nueva.wfg"));
    QFile::copy(buena, nueva);
    ejecutarDirecto(nueva,
                    QStringLiteral("PRAGMA user_version = %1").arg(kVersionEsquema + 1).toUtf8().constData());

    const QString texto = enDir(QStringLiteral("datos.kvd"));
    escribirBytes(texto, archivo("12"));

    const QByteArray antes = leer(base.ruta());
    const QString carpeta = QDir(base.directorio()).filePath(QStringLiteral("copias"));
    const std::pair<QString, const char*> casos[] = {
        {danada, "dañad"},
        {otraClave, "no se puede leer con la clave"},
        {nueva, "versión más reciente"},
        {texto, "no es una base de datos"},
        {enDir(QStringLiteral("no-existe.wfg")), "no existe"},
    };
    for (const auto& [ruta, motivo] : casos) {
        try {
            base.registro().conArchivoCerrado([&] {
                RestaurarCopia(ruta, base.ruta(), municipio(), carpeta, ClaveBaseDatos(),
                               QDateTime::currentDateTime());
            });
            ADD_FAILURE() << "aceptada: " << ruta.toStdString();
        } catch (const ErrorBD& e) {
            EXPECT_TRUE(e.descripcion().contains(QString::fromUtf8(motivo))) << e.descripcion().toStdString();
        }
        EXPECT_EQ(leer(base.ruta()), antes) << ruta.toStdString();
    }
    EXPECT_EQ(leer(municipio()), "Municipio de Prueba");
    EXPECT_FALSE(QDir(carpeta).exists());
    EXPECT_EQ(cantidadInfracciones(base.registro()), 3);
}

TEST_F(Copias, IntegrityCheckReportsAlteredPages) {
    const Integridad buena = VerificarArchivoBase(base.ruta(), ClaveBaseDatos());
    EXPECT_TRUE(buena.correcta) << buena.detalles.toStdString();
    EXPECT_TRUE(InformeIntegridad(buena).contains(QStringLiteral("buen estado")));

    const QString copia = enDir(QStringLiteral("copia.wfg"));
    CopiarBase(base.ruta(), municipio(), copia, ClaveBaseDatos());
    danarPagina(copia, static_cast<int>(QFileInfo(copia).size() / 1024));
    const Integridad mala = VerificarArchivoBase(copia, ClaveBaseDatos());
    EXPECT_FALSE(mala.correcta);
    EXPECT_FALSE(mala.detalles.isEmpty());
    EXPECT_TRUE(InformeIntegridad(mala).contains(QStringLiteral("Restaurar copia")));
}

TEST(RotacionCopias, KeepsSevenNewestAndTheNewestOfFourWeeks) {
    QStringList nombres{QStringLiteral("notas.txt"), QStringLiteral("diaria-2026-13-01.wfg")};
    for (QDate d(2026, 10, 1); d <= QDate(2026, 12, 6); d = d.addDays(1)) // 6/12/2026 is a Sunday
        nombres << NombreCopiaDiaria(d);
    QStringList esperadas{QStringLiteral("notas.txt"), QStringLiteral("diaria-2026-13-01.wfg")};
    for (const char* d : {"2026-11-15", "2026-11-22", "2026-11-29", "2026-11-30", "2026-12-01", "2026-12-02",
                          "2026-12-03", "2026-12-04", "2026-12-05", "2026-12-06"})
        esperadas << QStringLiteral("diaria-%1.wfg").arg(QLatin1String(d));
    EXPECT_EQ(CopiasAConservar(nombres), esperadas);

    // With gaps (a machine off for days) the newest copies count, not calendar days.
    const QStringList pocas{QStringLiteral("diaria-2026-12-06.wfg"), QStringLiteral("diaria-2026-11-02.wfg"),
                            QStringLiteral("diaria-2026-11-03.wfg"), QStringLiteral("diaria-2026-10-01.wfg")};
    EXPECT_EQ(CopiasAConservar(pocas), pocas);
    EXPECT_EQ(CopiasAConservar(esperadas), esperadas); // stable
}

TEST_F(Copias, DailyCopyRotatesOnDiskAndAFailureRemovesNothing) {
    const QDir copias(QDir(base.directorio()).filePath(QStringLiteral("copias")));
    const QDate ultimo(2026, 12, 6);
    ASSERT_EQ(
        CopiaDiaria(base.directorio(), base.ruta(), municipio(), ClaveBaseDatos(), ultimo.addDays(-1)).estado,
        ResultadoCopiaDiaria::Hecha);
    // Earlier days' copies, as if made then.
    const QString primera = copias.filePath(NombreCopiaDiaria(ultimo.addDays(-1)));
    for (QDate d = ultimo.addDays(-15); d < ultimo.addDays(-1); d = d.addDays(1)) {
        QFile::copy(primera, copias.filePath(NombreCopiaDiaria(d)));
        QFile::copy(RutaMunicipioDeCopia(primera),
                    RutaMunicipioDeCopia(copias.filePath(NombreCopiaDiaria(d))));
    }
    escribirBytes(copias.filePath(QStringLiteral("notas.txt")), "del usuario");
    ASSERT_EQ(CopiaDiaria(base.directorio(), base.ruta(), municipio(), ClaveBaseDatos(), ultimo).estado,
              ResultadoCopiaDiaria::Hecha);
    EXPECT_EQ(CopiaDiaria(base.directorio(), base.ruta(), municipio(), ClaveBaseDatos(), ultimo).estado,
              ResultadoCopiaDiaria::YaHecha);
    QStringList esperadas;
    for (const char* d : {"2026-11-22", "2026-11-29", "2026-11-30", "2026-12-01", "2026-12-02", "2026-12-03",
                          "2026-12-04", "2026-12-05", "2026-12-06"})
        esperadas << QStringLiteral("diaria-%1.wfg").arg(QLatin1String(d));
    EXPECT_EQ(copias.entryList({QStringLiteral("*.wfg")}, QDir::Files, QDir::Name), esperadas);
    EXPECT_EQ(copias.entryList({QStringLiteral("*.dat")}, QDir::Files).size(), esperadas.size());
    EXPECT_TRUE(copias.exists(QStringLiteral("notas.txt")));
    EXPECT_TRUE(VerificarArchivoBase(copias.filePath(esperadas.last()), ClaveBaseDatos()).correcta);

    // A database that cannot be read: nothing removed, told once that day.
    const QString ausente = enDir(QStringLiteral("ausente.wfg"));
    for (bool avisar : {true, false}) {
        const ResultadoCopiaDiaria r =
            CopiaDiaria(base.directorio(), ausente, municipio(), ClaveBaseDatos(), ultimo.addDays(30));
        EXPECT_EQ(r.estado, ResultadoCopiaDiaria::Fallida);
        EXPECT_EQ(r.avisar, avisar);
        EXPECT_FALSE(r.error.isEmpty());
    }
    EXPECT_EQ(copias.entryList({QStringLiteral("*.wfg")}, QDir::Files, QDir::Name), esperadas);
}
