// The schema update of an older register told step by step and stopped on request: whatever
// moment the stop comes, the file is whole at the last completed version, keeps every row, and
// the next open goes on from there.
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Esquema.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// One value read straight through SQLCipher, below the program's open and migrations.
QString valorDirecto(const QString& ruta, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray clave = ClaveBaseDatos();
    sqlite3_key(db, clave.constData(), static_cast<int>(clave.size()));
    sqlite3_stmt* st = nullptr;
    QString valor;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), SQLITE_OK) << sql;
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW)
        valor = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    EXPECT_TRUE(rc == SQLITE_ROW || rc == SQLITE_DONE) << sql;
    sqlite3_finalize(st);
    sqlite3_close(db);
    return valor;
}

// The register of schema version 1 kept under tests (three infractions of client 0042).
QString registroVersion1(const QTemporaryDir& dir) {
    const QString ruta = QDir(dir.path()).filePath(QStringLiteral("presentacion.wfg"));
    EXPECT_TRUE(
        QFile::copy(QStringLiteral(VELMORA_SOURCE_DIR "/tests/core/store/fixtures/esquema-1.wfg"), ruta));
    QFile(ruta).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return ruta;
}

struct Seguimiento {
    QList<PasoEsquema> pasos;
    AvanceEsquema avance;
    Seguimiento() {
        avance.alEmpezar = [this](const PasoEsquema& p) { pasos << p; };
    }
    QList<int> versiones() const {
        QList<int> v;
        for (const PasoEsquema& p : pasos)
            v << p.version;
        return v;
    }
};

} // namespace

// Every pending step is told in order, numbered among those this register needs; a stop asked
// during a step undoes that step only, and the next open runs the rest.
TEST(ActualizacionPorPasos, CuentaLosPasosYSeDetieneEnUnaVersionCompleta) {
    QTemporaryDir dir;
    const QString ruta = registroVersion1(dir);
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), 1);
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta + QStringLiteral(".no"), ClaveBaseDatos()), -1);
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, QByteArrayLiteral("otra")), -1);
    EXPECT_EQ(PasosPendientes(1), kVersionEsquema - 1);
    EXPECT_EQ(PasosPendientes(0), kVersionEsquema);
    EXPECT_EQ(PasosPendientes(kVersionEsquema), 0);

    Seguimiento primera;
    bool detener = false;
    primera.avance.alEmpezar = [&](const PasoEsquema& p) {
        primera.pasos << p;
        detener = p.version == 4;
    };
    primera.avance.detener = [&] { return detener; };
    try {
        ConexionSqlcipher db(ruta, ClaveBaseDatos(), primera.avance);
        ADD_FAILURE() << "debía detenerse";
    } catch (const ActualizacionDetenida& e) {
        EXPECT_EQ(e.version(), 3);
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("Quedó completa en la versión de esquema 3")));
    }
    ASSERT_EQ(primera.pasos.size(), 3);
    EXPECT_EQ(primera.versiones(), QList<int>({2, 3, 4}));
    for (int i = 0; i < primera.pasos.size(); ++i) {
        EXPECT_EQ(primera.pasos[i].paso, i + 1);
        EXPECT_EQ(primera.pasos[i].pasos, kVersionEsquema - 1);
        EXPECT_FALSE(primera.pasos[i].descripcion.isEmpty());
    }
    // Steps 2 and 3 stay, step 4 left nothing behind.
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), 3);
    EXPECT_EQ(valorDirecto(ruta, "SELECT count(*) FROM sqlite_master WHERE name = 'Importaciones'"), "1");
    EXPECT_EQ(valorDirecto(ruta, "SELECT count(*) FROM sqlite_master WHERE name = 'RegistroActividad'"), "0");
    EXPECT_EQ(valorDirecto(ruta, "SELECT count(*) FROM Infracciones"), "6");

    Seguimiento segunda;
    ConexionSqlcipher(ruta, ClaveBaseDatos(), segunda.avance).cerrar();
    EXPECT_EQ(segunda.versiones(), QList<int>({4, 5, 6, 7}));
    EXPECT_EQ(segunda.pasos.last().paso, 4);
    EXPECT_EQ(segunda.pasos.last().pasos, 4);
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), kVersionEsquema);
    // The log's first entries are the steps run after it existed.
    EXPECT_EQ(valorDirecto(ruta, "SELECT group_concat(Objeto) FROM RegistroActividad WHERE Accion = "
                                 "'esquema.migracion'"),
              "4,5,6,7");

    Seguimiento tercera;
    ConexionSqlcipher(ruta, ClaveBaseDatos(), tercera.avance).cerrar();
    EXPECT_TRUE(tercera.pasos.isEmpty());
}

// A stop reaches into a long statement (an index over many rows) instead of waiting for it; the
// rows stay as they were.
TEST(ActualizacionPorPasos, LaDetencionInterrumpeLaSentenciaEnCurso) {
    QTemporaryDir dir;
    const QString ruta = registroVersion1(dir);
    valorDirecto(ruta, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                       "INSERT INTO Infracciones (NumeroCliente, FechaInfraccion, HoraInfraccion, NiveldB) "
                       "SELECT printf('%04d', i % 50), printf('2020%02d%02d', i % 12 + 1, i % 28 + 1), "
                       "'120000', '090' FROM n");
    // Answers "stop" from its second question after step 2 began. Only the checks inside the
    // running statements ask that early: the one before the commit would be the first.
    Seguimiento s;
    bool armada = false;
    int preguntas = 0;
    s.avance.alEmpezar = [&](const PasoEsquema& p) {
        s.pasos << p;
        armada = true;
    };
    s.avance.detener = [&] { return armada && ++preguntas > 1; };
    try {
        ConexionSqlcipher db(ruta, ClaveBaseDatos(), s.avance);
        ADD_FAILURE() << "debía detenerse";
    } catch (const ActualizacionDetenida& e) {
        EXPECT_EQ(e.version(), 1);
    }
    EXPECT_EQ(s.versiones(), QList<int>({2}));
    EXPECT_GT(preguntas, 2);
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), 1);
    EXPECT_EQ(valorDirecto(ruta, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(valorDirecto(ruta, "SELECT count(*) FROM Infracciones"), "20006");
    EXPECT_EQ(valorDirecto(ruta, "SELECT count(*) FROM sqlite_master WHERE name = 'Importaciones'"), "0");

    ConexionSqlcipher(ruta, ClaveBaseDatos()).cerrar();
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), kVersionEsquema);
}

// A step that fails after others were completed says where the file stands, not that it is
// untouched.
TEST(ActualizacionPorPasos, UnPasoFallidoDiceEnQueVersionQuedoElArchivo) {
    QTemporaryDir dir;
    const QString ruta = registroVersion1(dir);
    // Step 3 adds this column.
    valorDirecto(ruta, "ALTER TABLE Clientes ADD COLUMN Version INTEGER");
    try {
        ConexionSqlcipher db(ruta, ClaveBaseDatos());
        ADD_FAILURE() << "debía fallar";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().startsWith(QStringLiteral("No se pudo actualizar la base de datos")));
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("a la versión de esquema 3:")));
        EXPECT_TRUE(
            e.descripcion().endsWith(QStringLiteral("El archivo quedó completo en la versión de esquema 2.")))
            << e.descripcion().toStdString();
    }
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), 2);
}
