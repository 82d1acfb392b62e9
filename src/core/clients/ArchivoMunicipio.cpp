#include "core/clients/ArchivoMunicipio.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

// 0x80-0x9F of Windows-1252; the five unassigned bytes keep their C1 value, as Windows does,
// so any file reads and writes back byte for byte. 0xA0-0xFF are U+00A0-U+00FF.
constexpr char16_t kC1Windows1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<QByteArray> aWindows1252(const QString& texto) {
    QByteArray bytes;
    bytes.reserve(texto.size());
    for (const QChar c : texto) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(char(u));
            continue;
        }
        const char16_t* fin = std::end(kC1Windows1252);
        const char16_t* i = std::find(std::begin(kC1Windows1252), fin, u);
        if (i == fin)
            return std::nullopt;
        bytes.append(char(0x80 + (i - std::begin(kC1Windows1252))));
    }
    return bytes;
}

} // namespace

QString DecodificarMunicipio(const QByteArray& bytes, CodificacionMunicipio* codificacion) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString texto = utf8(bytes);
    if (!utf8.hasError()) {
        if (codificacion)
            *codificacion = CodificacionMunicipio::Utf8;
        return texto;
    }
    texto.clear();
    texto.reserve(bytes.size());
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        texto.append(byte >= 0x80 && byte <= 0x9F ? QChar(kC1Windows1252[byte - 0x80])
                                                  : QChar(char16_t(byte)));
    }
    if (codificacion)
        *codificacion = CodificacionMunicipio::Windows1252;
    return texto;
}

QString LeerCampoMunicipio(const QByteArray& contenido, CodificacionMunicipio* codificacion) {
    const QString texto = DecodificarMunicipio(contenido, codificacion);
    if (texto.startsWith(QLatin1Char('"'))) {
        const qsizetype cierre = texto.indexOf(QLatin1Char('"'), 1);
        if (cierre >= 0)
            return texto.mid(1, cierre - 1);
        // No closing quote: the rest of the line.
        QString resto = texto.mid(1);
        const qsizetype fin = resto.indexOf(QLatin1Char('\n'));
        if (fin >= 0)
            resto.truncate(fin);
        if (resto.endsWith(QLatin1Char('\r')))
            resto.chop(1);
        return resto;
    }
    qsizetype fin = texto.size();
    for (const QChar corte : {QLatin1Char(','), QLatin1Char('\r'), QLatin1Char('\n')}) {
        const qsizetype i = texto.indexOf(corte);
        if (i >= 0 && i < fin)
            fin = i;
    }
    return texto.left(fin).trimmed();
}

QByteArray EscribirCampoMunicipio(const QString& texto, CodificacionMunicipio codificacion) {
    const QString linea = QLatin1Char('"') + texto + QStringLiteral("\"\r\n");
    if (codificacion == CodificacionMunicipio::Windows1252) {
        // A character the code page lacks would be lost: that save goes out in UTF-8, which the
        // reader recognises, rather than dropping or replacing the character.
        if (std::optional<QByteArray> bytes = aWindows1252(linea))
            return *bytes;
    }
    return linea.toUtf8();
}

QString CargarMunicipio(const QString& ruta, CodificacionMunicipio* codificacion) {
    if (codificacion)
        *codificacion = CodificacionMunicipio::Utf8;
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return LeerCampoMunicipio(f.readAll(), codificacion);
}

bool GuardarMunicipio(const QString& ruta, const QString& texto, QString* error,
                      CodificacionMunicipio codificacion) {
    QSaveFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(EscribirCampoMunicipio(texto, codificacion)) < 0 ||
        !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}
