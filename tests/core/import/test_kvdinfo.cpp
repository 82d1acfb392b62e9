// kvdinfo run as a program on files built from the layout: its JSON and readable output, exit
// status and the import's own verdict.

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "ArchivosDePrueba.h"
#include "core/import/ArchivoInspeccion.h"

using prueba::cabecera;
using prueba::registro;

namespace {

const QString kKvdinfo = QStringLiteral(VELMORA_BUILD_DIR "/kvdinfo");

struct Salida {
    int estado = -1;
    QByteArray stdoutDatos, stderrDatos;
    QJsonObject json() const { return QJsonDocument::fromJson(stdoutDatos).object(); }
};

Salida ejecutar(const QStringList& argumentos, const QString& directorio = {}) {
    QProcess p;
    p.setWorkingDirectory(directorio);
    p.start(kKvdinfo, argumentos);
    EXPECT_TRUE(p.waitForFinished(60000)) << kKvdinfo.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

// Free-text fields with Windows-1252 bytes, NUL and JSON's own special characters.
QByteArray conTextosLibres() {
    QByteArray d =
        cabecera(QByteArray("\xD1\x80\0\"", 4)) + registro('1', '.', "\x9F\xFF\xA0") + registro('7');
    return d.replace(16, 3, "\x93\\\x8D");
}

} // namespace

TEST(Kvdinfo, JsonHoldsEveryFieldAsTheLayoutSays) {
    ASSERT_TRUE(QFile::exists(kKvdinfo)) << kKvdinfo.toStdString();
    QTemporaryDir dir;
    const Salida s =
        ejecutar({QStringLiteral("--json"), prueba::escribir(dir.path(), "a.kvd", conTextosLibres())});
    EXPECT_EQ(s.estado, 0);
    const QJsonDocument esperado = QJsonDocument::fromJson(R"({"valido": true, "error": null,
        "vista_previa": {"numero_cliente": "Ñ€\u0000\"", "fecha": "28/09/11", "hora": "14:05:30"},
        "cabecera": {"numero_cliente": "Ñ€\u0000\"", "max_db": "“\\\u008d", "db_atenuador": "010",
            "excesos": "003", "calibracion": "- 05", "seg_penalizar": "030", "nivel_consola": "070",
            "nivel_ruido": "060", "activacion_bandas": "Si", "bandas": [
            {"activacion": "Si", "dia_inicio": "Lunes", "hora_inicio": "080", "minutos_inicio": "030",
             "dia_fin": "Jueves", "hora_fin": "023", "minutos_fin": "045"},
            {"activacion": "No", "dia_inicio": "Sabado", "hora_inicio": "010", "minutos_inicio": "004",
             "dia_fin": "Domingo", "hora_fin": "002", "minutos_fin": "015"},
            {"activacion": "Si", "dia_inicio": "7", "hora_inicio": "023", "minutos_inicio": "010",
             "dia_fin": "Miercoles", "hora_fin": "005", "minutos_fin": "059"}]},
        "registros": [
            {"fecha": "20110928", "hora": "140530", "bateria": "12,5 V", "red": "SI", "estatus": "D. JOCKEY",
             "nivel_db": "Ÿÿ\u00a0", "compresion": "042", "contador": "1."},
            {"fecha": "20110928", "hora": "140530", "bateria": "12,5 V", "red": "SI", "estatus": "",
             "nivel_db": "085", "compresion": "042", "contador": ""}]})");
    ASSERT_FALSE(esperado.isNull());
    QJsonObject conHuella = esperado.object();
    // The SHA-256 of the exact bytes, lower-case hex, as the import log keeps it.
    conHuella.insert(
        "sha256",
        QString::fromLatin1(QCryptographicHash::hash(conTextosLibres(), QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(s.json(), conHuella) << s.stdoutDatos.toStdString();
}

TEST(Kvdinfo, ExitStatusAndMessages) {
    QTemporaryDir dir;
    Salida s = ejecutar({QStringLiteral("--json"), dir.filePath(QStringLiteral("no_existe.kvd"))});
    EXPECT_EQ(s.estado, 2);
    EXPECT_TRUE(s.stdoutDatos.isEmpty());
    EXPECT_TRUE(s.stderrDatos.contains("no_existe.kvd"));
    s = ejecutar({});
    EXPECT_TRUE(s.estado == 2 && s.stderrDatos.contains("Uso"));
    // The readable form, without the file's control characters.
    s = ejecutar({prueba::escribir(dir.path(), QStringLiteral("bueno.kvd"), conTextosLibres())});
    EXPECT_EQ(s.estado, 0);
    const QString texto = QString::fromUtf8(s.stdoutDatos);
    EXPECT_TRUE(texto.contains(QStringLiteral("Resultado: el archivo es válido.")));
    EXPECT_TRUE(texto.contains(QStringLiteral("Registros: 2")));
    for (QChar c : texto)
        EXPECT_TRUE(c == u'\n' || (c.unicode() >= 0x20 && (c.unicode() < 0x7F || c.unicode() > 0x9F)))
            << "control character in the table output";
    // A broken file says why; its JSON has no header and no records, only what was read before.
    const QString malo = prueba::escribir(dir.path(), QStringLiteral("malo.kvd"), cabecera().left(60));
    s = ejecutar({malo});
    EXPECT_EQ(s.estado, 1);
    EXPECT_TRUE(QString::fromUtf8(s.stdoutDatos)
                    .contains(QStringLiteral("el archivo no es válido: cabecera incompleta")));
    QJsonObject o = ejecutar({QStringLiteral("--json"), malo}).json();
    EXPECT_TRUE(o["vista_previa"].isObject() && o["cabecera"].isNull() && o["registros"].toArray().isEmpty());
    EXPECT_FALSE(o["valido"].toBool() || o["error"].toString().isEmpty());
    // The import's own verdict and words, for a date the import refuses; "--" lets a name start
    // with "-".
    const QByteArray fecha = cabecera("0123", "310911") + registro('1');
    prueba::escribir(dir.path(), QStringLiteral("-fecha.kvd"), fecha);
    EXPECT_EQ(ejecutar({QStringLiteral("-fecha.kvd")}, dir.path()).estado, 2);
    s = ejecutar({QStringLiteral("--json"), QStringLiteral("--"), QStringLiteral("-fecha.kvd")}, dir.path());
    EXPECT_EQ(s.estado, 1);
    o = s.json();
    EXPECT_EQ(o["error"].toString(), verificarArchivo(fecha).texto());
    EXPECT_TRUE(o["error"].toString().contains(QStringLiteral("\"31/09/11\"")));
    EXPECT_EQ(o["registros"].toArray().size(), 1); // what is wrong is the date, not the records
}
