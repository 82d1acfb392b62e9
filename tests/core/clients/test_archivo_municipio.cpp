// The municipality header file read and written in the encoding it came in.
#include "core/clients/ArchivoMunicipio.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ArchivoMunicipio, ConservaLaCodificacionConQueSeLeyo) {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("data.dat")));
    const QString nombre = QStringLiteral("Municipalidad de Peñalolén €");
    // As older Windows programs wrote it (accented letters as single bytes), and in UTF-8.
    const std::pair<QByteArray, CodificacionMunicipio> casos[] = {
        {QByteArray("\"Municipalidad de Pe\xF1"
                    "alol\xE9n \x80\"\r\n"),
         CodificacionMunicipio::Windows1252},
        {"\"" + nombre.toUtf8() + "\"\r\n", CodificacionMunicipio::Utf8}};
    for (const auto& [bytes, codificacion] : casos) {
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        auto cod = codificacion == CodificacionMunicipio::Utf8 ? CodificacionMunicipio::Windows1252
                                                               : CodificacionMunicipio::Utf8; // overwritten
        EXPECT_EQ(CargarMunicipio(f.fileName(), &cod), nombre);
        EXPECT_EQ(cod, codificacion);
        ASSERT_TRUE(GuardarMunicipio(f.fileName(), nombre, nullptr, cod));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes); // byte for byte
        f.close();
    }
    // A character the code page lacks is kept, in UTF-8 for that save; a new file is UTF-8.
    EXPECT_EQ(EscribirCampoMunicipio(QStringLiteral("Łódź"), CodificacionMunicipio::Windows1252),
              QStringLiteral("\"Łódź\"\r\n").toUtf8());
    auto cod = CodificacionMunicipio::Windows1252;
    EXPECT_EQ(CargarMunicipio(dir.filePath(QStringLiteral("no.dat")), &cod), QString());
    EXPECT_EQ(cod, CodificacionMunicipio::Utf8);
}
