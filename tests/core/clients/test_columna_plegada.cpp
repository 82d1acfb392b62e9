// The client search over a folded column: a keystroke that extends the previous text filters the
// previous rows only, and long lists are split over two cores; every answer must be the one a
// plain scan of each row gives.
#include "core/clients/ColumnaPlegada.h"
#include "core/store/TablaTextos.h"

#include <gtest/gtest.h>

namespace {

// What the search must find: non-NULL rows whose text, up to a NUL, holds the text in any case.
std::vector<quint32> Referencia(const TablaTextos& t, const QString& buscado) {
    std::vector<quint32> filas;
    const QString b = QString::fromUtf8(buscado.toUtf8()).section(QChar(u'\0'), 0, 0).toCaseFolded();
    for (std::size_t i = 0; i < t.filas(); ++i) {
        if (t.nulo(i, 0))
            continue;
        const QString texto = t.texto(i, 0).section(QChar(u'\0'), 0, 0).toCaseFolded();
        if (texto.contains(b))
            filas.push_back(static_cast<quint32>(i));
    }
    return filas;
}

// Enough rows for the two-core split; texts whose ends and starts would join into a match.
TablaTextos Columna(std::size_t filas) {
    TablaTextos t(1);
    const char* const nombres[] = {"Calle Mayor", "CALLE ñandú", "Pasaje Ñandú 12", "ca", "lle", "Ruta 2", "",
                                   "ÁNGEL calle", "peña",        "Peña calle 1"};
    for (std::size_t i = 0; i < filas; ++i) {
        const QByteArray texto =
            QByteArray(nombres[i % std::size(nombres)]) + (i % 3 ? "" : " " + QByteArray::number(i));
        const QByteArrayView celda =
            i % 11 == 5 ? QByteArrayView() : QByteArrayView(texto.constData(), texto.size());
        t.agregarFila(&celda, 1);
    }
    return t;
}

TEST(ColumnaPlegada, TecleoComoBusquedaCompleta) {
    for (const std::size_t filas : {std::size_t{40}, std::size_t{250001}}) {
        const TablaTextos tabla = Columna(filas);
        ColumnaPlegada columna(tabla, 0);
        // Typing on, back, in other letter cases, replacing the text, with a NUL.
        const char16_t* const tecleo[] = {
            u"c", u"ca",  u"cal",   u"CALLE", u"calle 1", u"calle 12",  u"calle 1", u"ñ",   u"ÑAND", u"ñandú",
            u"",  u"lle", u"calle", u"peña",  u"PEÑA c",  u"ca\u0000x", u"zz",      u"zzz", u"1"};
        for (const char16_t* t : tecleo) {
            const QString texto = QString::fromUtf16(t, t == tecleo[15] ? 4 : -1);
            std::vector<quint32> tecla;
            columna.buscar(texto, tecla);
            std::vector<quint32> completa;
            columna.filasQueContienen(texto, completa);
            const std::vector<quint32> esperadas = Referencia(tabla, texto);
            EXPECT_EQ(tecla, esperadas) << filas << " " << texto.toStdString();
            EXPECT_EQ(completa, esperadas) << filas << " " << texto.toStdString();
        }
    }
}

} // namespace
