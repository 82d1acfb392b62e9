// The schema update of an older register, told step by step and stopped on request.
#include "ArchivosDePrueba.h"
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
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), SQLITE_OK) << sql;
    const QString valor = sqlite3_step(st) == SQLITE_ROW
                              ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                              : QString();
    sqlite3_finalize(st);
    sqlite3_close(db);
    return valor;
}

} // namespace

// A stop reaches into a long statement (an index over many rows) instead of waiting for it: the
// step is undone, the file is whole at the version before, and the next open runs every pending
// step in order.
TEST(ActualizacionPorPasos, DetenerDeshaceElPasoEnCursoYLaSiguienteAperturaSigue) {
    QTemporaryDir dir;
    const QString ruta = prueba::registroVersion1(dir.path());
    valorDirecto(ruta, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                       "INSERT INTO Infracciones (NumeroCliente, FechaInfraccion, NiveldB) "
                       "SELECT printf('%04d', i % 50), printf('2020%02d%02d', i % 12 + 1, i % 28 + 1), '090' "
                       "FROM n");
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), 1);
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, QByteArrayLiteral("otra")), -1);
    // "Stop" from the second question after step 2 began: only the statements running ask that
    // early; the question before the commit would be the first.
    QList<PasoEsquema> pasos;
    int preguntas = 0;
    AvanceEsquema avance;
    avance.alEmpezar = [&](const PasoEsquema& p) { pasos << p; };
    avance.detener = [&] { return !pasos.isEmpty() && ++preguntas > 1; };
    try {
        ConexionSqlcipher db(ruta, ClaveBaseDatos(), avance);
        ADD_FAILURE() << "debía detenerse";
    } catch (const ActualizacionDetenida& e) {
        EXPECT_EQ(e.version(), 1);
    }
    EXPECT_EQ(pasos.size(), 1);
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), 1);
    EXPECT_EQ(valorDirecto(ruta, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(valorDirecto(ruta, "SELECT count(*) FROM Infracciones"), "20006");
    EXPECT_EQ(valorDirecto(ruta, "SELECT count(*) FROM sqlite_master WHERE name = 'Importaciones'"), "0");

    pasos.clear();
    avance.detener = nullptr;
    ConexionSqlcipher(ruta, ClaveBaseDatos(), avance).cerrar();
    ASSERT_EQ(pasos.size(), kVersionEsquema - 1);
    for (int i = 0; i < pasos.size(); ++i) {
        EXPECT_EQ(pasos[i].version, i + 2);
        EXPECT_EQ(pasos[i].paso, i + 1);
        EXPECT_EQ(pasos[i].pasos, kVersionEsquema - 1);
    }
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), kVersionEsquema);
}

// A step that fails after others were completed says where the file stands, not that it is
// untouched.
TEST(ActualizacionPorPasos, UnPasoFallidoDiceEnQueVersionQuedoElArchivo) {
    QTemporaryDir dir;
    const QString ruta = prueba::registroVersion1(dir.path());
    valorDirecto(ruta, "ALTER TABLE Clientes ADD COLUMN Version INTEGER"); // step 3 adds it
    try {
        ConexionSqlcipher db(ruta, ClaveBaseDatos());
        ADD_FAILURE() << "debía fallar";
    } catch (const ErrorBD& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("a la versión de esquema 3:")));
        EXPECT_TRUE(
            e.descripcion().endsWith(QStringLiteral("El archivo quedó completo en la versión de esquema 2.")))
            << e.descripcion().toStdString();
    }
    EXPECT_EQ(ConexionSqlcipher::VersionEsquemaArchivo(ruta, ClaveBaseDatos()), 2);
}
