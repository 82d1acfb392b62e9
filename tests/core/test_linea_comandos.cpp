// Both commands' --help, --version and a mistyped option, run as programs (no display needed).

#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct Salida {
    int estado = -1;
    QString salida, errores;
};

Salida ejecutar(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.start(QStringLiteral(VELMORA_BUILD_DIR "/") + programa, argumentos);
    EXPECT_TRUE(p.waitForFinished(60000)) << programa.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(LineaComandos, HelpVersionAndUnknownOptions) {
    for (const QString& programa : {QStringLiteral("velmora-kv270"), QStringLiteral("kvdinfo")}) {
        SCOPED_TRACE(programa.toStdString());
        Salida s = ejecutar(programa, {QStringLiteral("--version")});
        EXPECT_EQ(s.estado, 0);
        EXPECT_EQ(s.salida, programa + QStringLiteral(" " VELMORA_VERSION "\n"));
        s = ejecutar(programa, {QStringLiteral("--help")});
        EXPECT_EQ(s.estado, 0);
        EXPECT_TRUE(s.salida.startsWith(QStringLiteral("Uso: ") + programa)) << s.salida.toStdString();
        EXPECT_TRUE(s.salida.contains(QStringLiteral("muestra la versión y termina")));
        s = ejecutar(programa, {QStringLiteral("--no-existe")});
        EXPECT_EQ(s.estado, 2);
        EXPECT_TRUE(s.salida.isEmpty());
        EXPECT_TRUE(s.errores.contains(QStringLiteral("opción desconocida \"no-existe\"")))
            << s.errores.toStdString();
        EXPECT_TRUE(s.errores.contains(QStringLiteral("\nUso: ") + programa));
    }
}
