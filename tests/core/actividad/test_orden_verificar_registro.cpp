// `velmora-kv270 --verificar-registro` when there is no register to read: exit status 2, a Spanish
// reason, and no register created.
#include "BaseTemporal.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::pair<int, QString> verificar(const QStringList& argumentos) {
    QProcess p;
    p.start(QStringLiteral(VELMORA_BUILD_DIR "/velmora-kv270"),
            QStringList{QStringLiteral("--verificar-registro")} + argumentos);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

TEST(OrdenVerificarRegistro, SinRegistroLegibleTerminaConDos) {
    QTemporaryDir dir;
    auto [estado, errores] = verificar({QStringLiteral("--data-dir"), dir.path()});
    EXPECT_EQ(estado, 2);
    EXPECT_TRUE(errores.contains(QStringLiteral("no existe el registro"))) << errores.toStdString();
    EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath(QStringLiteral("presentacion.wfg"))));

    // A file that is not a register (or another key): nothing to read.
    QFile basura(QDir(dir.path()).filePath(QStringLiteral("presentacion.wfg")));
    ASSERT_TRUE(basura.open(QIODevice::WriteOnly));
    basura.write(QByteArray(8192, 'x'));
    basura.close();
    std::tie(estado, errores) = verificar({QStringLiteral("--data-dir"), dir.path()});
    EXPECT_EQ(estado, 2);
    EXPECT_TRUE(errores.contains(QStringLiteral("no se puede abrir el registro"))) << errores.toStdString();

    // A server that is not there.
    std::tie(estado, errores) = verificar(
        {QStringLiteral("--registro"), QStringLiteral("host=/nonexistent dbname=x connect_timeout=2")});
    EXPECT_EQ(estado, 2);

    std::tie(estado, errores) = verificar({QStringLiteral("--otra")});
    EXPECT_EQ(estado, 2);
    EXPECT_TRUE(errores.contains(QStringLiteral("--otra")));
}

TEST(OrdenVerificarRegistro, RegistroNuevoEsCorrecto) {
    BaseTemporal base;
    base.registro();
    base.cerrar();
    QProcess p;
    p.start(QStringLiteral(VELMORA_BUILD_DIR "/velmora-kv270"),
            {QStringLiteral("--verificar-registro"), QStringLiteral("--data-dir"), base.directorio()});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString();
}

} // namespace
