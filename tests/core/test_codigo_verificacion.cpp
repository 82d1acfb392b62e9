// The verification code: derived from the content, told apart when mistyped.

#include "core/actividad/CodigoVerificacion.h"
#include "core/actividad/LeerDocumento.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

ContenidoDocumento contenido() {
    return {QStringLiteral("0f8fad5b-d9cb-469f-a165-70867728950e"),
            QStringLiteral("1203"),
            QDate(2026, 1, 1),
            QDate(2026, 3, 31),
            QString(64, QLatin1Char('a')),
            41,
            QString(64, QLatin1Char('b'))};
}

TEST(CodigoVerificacion, DependsOnEveryPartOfTheContentAndOnNothingElse) {
    const QString codigo = CalcularCodigoVerificacion(contenido());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[2-9A-HJ-NP-Z]{4}(-[2-9A-HJ-NP-Z]{4}){3}$"))
                    .match(codigo)
                    .hasMatch())
        << codigo.toStdString();
    EXPECT_EQ(CalcularCodigoVerificacion(contenido()), codigo);
    const std::vector<std::function<void(ContenidoDocumento&)>> cambios = {
        [](ContenidoDocumento& c) { c.identidad[0] = QLatin1Char('1'); },
        [](ContenidoDocumento& c) { c.cliente = QStringLiteral("120"); },
        [](ContenidoDocumento& c) { c.desde = c.desde.addDays(1); },
        [](ContenidoDocumento& c) { c.hasta = c.hasta.addDays(-1); },
        [](ContenidoDocumento& c) { c.digest[63] = QLatin1Char('c'); },
        [](ContenidoDocumento& c) { ++c.cabezaSecuencia; },
        [](ContenidoDocumento& c) { c.cabezaHash[0] = QLatin1Char('c'); },
        // Fields run together differently are still different content.
        [](ContenidoDocumento& c) { c.identidad += c.cliente.left(1), c.cliente = c.cliente.mid(1); },
    };
    for (size_t i = 0; i < cambios.size(); ++i) {
        ContenidoDocumento c = contenido();
        cambios[i](c);
        EXPECT_NE(CalcularCodigoVerificacion(c), codigo) << "change " << i;
    }
}

TEST(CodigoVerificacion, ATypedCodeIsReadInAnyCaseAndSpacingAndAMistypeIsRefused) {
    const QString codigo = CalcularCodigoVerificacion(contenido());
    EXPECT_EQ(LeerCodigoVerificacion(codigo).codigo, codigo);
    QString suelto = codigo.toLower();
    suelto.replace(QLatin1Char('-'), QStringLiteral("  "));
    EXPECT_EQ(LeerCodigoVerificacion(QStringLiteral(" ") + suelto + QStringLiteral("\n")).codigo, codigo);

    // Every single character changed to every other one, and every two neighbours swapped but
    // the one pair the scheme cannot see, is refused.
    const QString alfabeto = QStringLiteral("23456789ABCDEFGHJKLMNPQRSTUVWXYZ");
    int cambiosVistos = 0, trasposicionesVistas = 0, trasposiciones = 0;
    const QString corrido = QString(codigo).remove(QLatin1Char('-'));
    for (int i = 0; i < corrido.size(); ++i) {
        for (const QChar c : alfabeto) {
            if (c == corrido[i])
                continue;
            QString mal = corrido;
            mal[i] = c;
            cambiosVistos += LeerCodigoVerificacion(mal).valido() ? 0 : 1;
        }
        if (i + 1 < corrido.size() && corrido[i] != corrido[i + 1]) {
            QString mal = corrido;
            std::swap(mal[i], mal[i + 1]);
            ++trasposiciones;
            trasposicionesVistas += LeerCodigoVerificacion(mal).valido() ? 0 : 1;
        }
    }
    EXPECT_EQ(cambiosVistos, 16 * 31);
    EXPECT_GE(trasposicionesVistas, trasposiciones - 1);

    const CodigoEscrito corto = LeerCodigoVerificacion(codigo.left(14));
    EXPECT_EQ(corto.error.toStdString(),
              "Un código de verificación tiene 16 caracteres (por ejemplo K7QF-2M9X-T4LA-8WZC); el escrito "
              "tiene 12.");
    EXPECT_EQ(LeerCodigoVerificacion(QStringLiteral("K7QF-2M9X-T4LA-8WZO")).error.toStdString(),
              "El código de verificación no lleva el carácter \"O\": usa las cifras del 2 al 9 y las letras, "
              "salvo la I y la O.");
    EXPECT_FALSE(LeerCodigoVerificacion(QString()).valido());
}

TEST(CodigoVerificacion, TheQrTextCarriesTheCodeAndTheIdentity) {
    const QString codigo = CalcularCodigoVerificacion(contenido());
    const QString texto = TextoQrVerificacion(codigo, contenido().identidad);
    // Only what the QR code's alphanumeric mode holds.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-Z:-]+$")).match(texto).hasMatch())
        << texto.toStdString();
    const auto leido = LeerTextoQrVerificacion(texto);
    ASSERT_TRUE(leido);
    EXPECT_EQ(leido->codigo, codigo);
    EXPECT_EQ(leido->identidad, contenido().identidad);
    EXPECT_FALSE(LeerTextoQrVerificacion(texto.left(texto.size() - 1)));
}

TEST(LeerDocumento, AnArgumentIsAFileOrACodeAndEachFailureSaysWhat) {
    const QString codigo = CalcularCodigoVerificacion(contenido());
    EXPECT_EQ(LeerDocumentoOCodigo(codigo.toLower()).codigo, codigo);
    EXPECT_EQ(LeerDocumentoOCodigo(QStringLiteral("/no/existe/informe.pdf")).error.toStdString(),
              "no existe el archivo \"/no/existe/informe.pdf\"");
    EXPECT_FALSE(LeerDocumentoOCodigo(QStringLiteral("K7QF2M9X")).error.isEmpty());
    EXPECT_FALSE(LeerPdfEmitido("%PDF-1.4\n% nothing here\n%%EOF\n").error.isEmpty());
    EXPECT_EQ(LeerLibroEmitido("PK\3\4 not really").error.toStdString(),
              "el archivo no es un libro de Excel (.xlsx)");
}

} // namespace
