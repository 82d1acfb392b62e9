// The municipality header file read and written in the encoding it came in.
#include "clients/ArchivoMunicipio.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void escribir(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(ArchivoMunicipio, ConservaLaCodificacionConQueSeLeyo) {
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("data.dat"));
    const QString nombre = QStringLiteral("Municipalidad de Peñalolén");

    // As older Windows programs wrote it: accented letters as single bytes.
    const QByteArray antiguo("\"Municipalidad de Pe\xF1"
                             "alol\xE9n \x80\"\r\n");
    escribir(ruta, antiguo);
    auto cod = CodificacionMunicipio::Utf8;
    EXPECT_EQ(CargarMunicipio(ruta, &cod), nombre + QStringLiteral(" €"));
    EXPECT_EQ(cod, CodificacionMunicipio::Windows1252);
    ASSERT_TRUE(GuardarMunicipio(ruta, nombre + QStringLiteral(" €"), nullptr, cod));
    EXPECT_EQ(leer(ruta), antiguo);
    // A character the code page lacks is kept, in UTF-8 for that save.
    EXPECT_EQ(EscribirCampoMunicipio(QStringLiteral("Łódź"), cod), QStringLiteral("\"Łódź\"\r\n").toUtf8());

    const QByteArray actual = "\"" + nombre.toUtf8() + "\"\r\n";
    escribir(ruta, actual);
    EXPECT_EQ(CargarMunicipio(ruta, &cod), nombre);
    EXPECT_EQ(cod, CodificacionMunicipio::Utf8);
    ASSERT_TRUE(GuardarMunicipio(ruta, nombre, nullptr, cod));
    EXPECT_EQ(leer(ruta), actual);

    // No file yet: a new one is UTF-8.
    cod = CodificacionMunicipio::Windows1252;
    EXPECT_EQ(CargarMunicipio(dir.filePath(QStringLiteral("no.dat")), &cod), QString());
    EXPECT_EQ(cod, CodificacionMunicipio::Utf8);
}

} // namespace
