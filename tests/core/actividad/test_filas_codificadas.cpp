// How the check lines an import's stored rows up with its original's records, and its report.
#include "ArchivosDePrueba.h"
#include "core/actividad/FilasCodificadas.h"
#include "core/actividad/VerificacionRegistro.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

// Rows told apart by their time; the other 16 fields fixed.
FilasCodificadas filas(const std::vector<int>& horas) {
    FilasCodificadas f;
    for (int h : horas) {
        const QByteArray hora = QByteArray::number(h).rightJustified(6, '0');
        QByteArrayView campos[kCamposInfraccion];
        for (auto& c : campos)
            c = "x";
        campos[kCampoHora] = hora;
        f.agregar(campos, h);
    }
    return f;
}

TEST(Alineacion, FaltanSobranYCambiadas) {
    const FilasCodificadas o = filas({1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_TRUE(Alinear(o, o).faltan.empty());
    // Two rows lost in the middle and one at the end.
    Alineacion a = Alinear(o, filas({1, 2, 5, 6, 7}));
    EXPECT_EQ(a.faltan, (std::vector<qsizetype>{2, 3, 7}));
    EXPECT_TRUE(a.sobran.empty() && a.cambiadas.empty());
    // One row added in the middle and one at the end.
    a = Alinear(o, filas({1, 2, 3, 99, 4, 5, 6, 7, 8, 100}));
    EXPECT_EQ(a.sobran, (std::vector<qsizetype>{3, 9}));
    EXPECT_TRUE(a.faltan.empty() && a.cambiadas.empty());
    // One row changed: a pair, not a loss and an addition.
    a = Alinear(o, filas({1, 2, 3, 40, 5, 6, 7, 8}));
    ASSERT_EQ(a.cambiadas.size(), 1u);
    EXPECT_EQ(a.cambiadas[0], (std::pair<qsizetype, qsizetype>{3, 3}));
    EXPECT_TRUE(a.faltan.empty() && a.sobran.empty());
    // Nothing stored, or nothing in the original.
    EXPECT_EQ(Alinear(o, filas({})).faltan.size(), 8u);
    EXPECT_EQ(Alinear(filas({}), o).sobran.size(), 8u);
}

TEST(Alineacion, CamposDeLongitudDistintaNoSeConfunden) {
    FilasCodificadas a, b;
    QByteArrayView uno[kCamposInfraccion], otro[kCamposInfraccion];
    for (int k = 0; k < kCamposInfraccion; ++k)
        uno[k] = otro[k] = "";
    // The same bytes in a row, split across fields differently.
    uno[0] = "ab";
    otro[0] = "a";
    otro[1] = "b";
    a.agregar(uno);
    b.agregar(otro);
    EXPECT_FALSE(a.igual(0, b, 0));
    EXPECT_TRUE(a.igual(0, a, 0));
}

TEST(Alineacion, OriginalDecodificadoComoLoGuardaLaImportacion) {
    const QByteArray datos = prueba::cabecera() + "110928140530125" + "11" + "085" + "042" + ".\n";
    FilasCodificadas f;
    ASSERT_TRUE(DecodificarOriginal(datos, QStringLiteral("Peña"), f));
    ASSERT_EQ(f.size(), 1);
    const QStringList esperado = {"0123", "20110928", "140530", "085", "D. JOCKEY", "12,5 V",
                                  "SI",   "042",      "Peña",   "085", "010",       "003",
                                  "- 05", "030",      "070",    "060", "1."};
    for (int k = 0; k < kCamposInfraccion; ++k)
        EXPECT_EQ(f.texto(0, k), esperado.at(k)) << NombreCampoInfraccion(k);
    QString error;
    EXPECT_FALSE(DecodificarOriginal(datos.left(60), QString(), f, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(InformeVerificacion, TextoYJsonNombranCadaDiferencia) {
    InformeVerificacion r;
    r.importaciones = 1;
    r.sinOriginal.push_back({QStringLiteral("0007"), 1234});
    Diferencia d;
    d.clase = ClaseDiferencia::FilaCambiada;
    d.cliente = QStringLiteral("0123");
    d.fecha = QStringLiteral("20110928");
    d.hora = QStringLiteral("140530");
    d.campo = QStringLiteral("NiveldB");
    d.guardado = QStringLiteral("099");
    d.original = QStringLiteral("075");
    d.importacion = 3;
    d.fila = 41;
    d.detalle = QStringLiteral("la fila guardada no es la del original");
    r.diferencias.push_back(d);
    EXPECT_FALSE(r.correcto());
    EXPECT_EQ(d.texto(),
              QStringLiteral("cliente 0123, 28/09/2011 14:05:30, importación 3, fila 41: la fila "
                             "guardada no es la del original; campo NiveldB: guardado \"099\", en el "
                             "original \"075\"."));
    const QString t = TextoInforme(r);
    EXPECT_TRUE(t.startsWith(QStringLiteral("Se encontró 1 diferencia en el registro."))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("  cliente 0007: 1.234 filas")));
    const QJsonObject j = JsonInforme(r);
    EXPECT_FALSE(j[QStringLiteral("correcto")].toBool());
    const QJsonObject dj = j[QStringLiteral("diferencias")].toArray().at(0).toObject();
    EXPECT_EQ(dj[QStringLiteral("clase")].toString(), QStringLiteral("fila_cambiada"));
    EXPECT_EQ(dj[QStringLiteral("guardado")].toString(), QStringLiteral("099"));
    EXPECT_EQ(dj[QStringLiteral("original")].toString(), QStringLiteral("075"));
    EXPECT_EQ(dj[QStringLiteral("fila")].toInteger(), 41);
    EXPECT_FALSE(dj.contains(QStringLiteral("entrada")));
}

} // namespace
