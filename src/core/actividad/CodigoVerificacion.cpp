#include "core/actividad/CodigoVerificacion.h"

#include <QCryptographicHash>
#include <QRegularExpression>

namespace {

// No 0/O nor 1/I: a code read aloud or copied by hand has nothing to mix up.
constexpr char kAlfabeto[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
constexpr int kBase = 32;
constexpr int kCaracteres = 16; // the last one is the check character

int valor(QChar c) {
    for (int i = 0; i < kBase; ++i)
        if (c == QLatin1Char(kAlfabeto[i]))
            return i;
    return -1;
}

// Luhn's scheme in base 32: any single character changed, and any two neighbours swapped but
// one pair, change the check character.
int caracterControl(const QString& cuerpo) {
    int suma = 0;
    int factor = 2;
    for (qsizetype i = cuerpo.size() - 1; i >= 0; --i) {
        const int sumando = factor * valor(cuerpo[i]);
        suma += sumando / kBase + sumando % kBase;
        factor = factor == 2 ? 1 : 2;
    }
    return (kBase - suma % kBase) % kBase;
}

void campo(QByteArray& bytes, const QString& texto) {
    const QByteArray utf8 = texto.toUtf8();
    bytes += QByteArray::number(utf8.size()) + ':' + utf8 + '\n';
}

QString agrupar(const QString& corrido) {
    return QStringList{corrido.mid(0, 4), corrido.mid(4, 4), corrido.mid(8, 4), corrido.mid(12, 4)}.join(
        QLatin1Char('-'));
}

const QString kPrefijoQr = QStringLiteral("KV270-VERIFICACION:");

} // namespace

QString CalcularCodigoVerificacion(const ContenidoDocumento& c) {
    QByteArray bytes("CV1\n");
    campo(bytes, c.identidad);
    campo(bytes, c.cliente);
    campo(bytes, c.desde.toString(Qt::ISODate));
    campo(bytes, c.hasta.toString(Qt::ISODate));
    campo(bytes, c.digest);
    campo(bytes, QString::number(c.cabezaSecuencia));
    campo(bytes, c.cabezaHash);
    const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    // The first 75 bits, five at a time.
    QString cuerpo;
    quint32 acumulado = 0;
    int bits = 0;
    for (qsizetype i = 0; cuerpo.size() < kCaracteres - 1; ++i) {
        acumulado = (acumulado << 8) | static_cast<quint8>(hash[i]);
        bits += 8;
        while (bits >= 5 && cuerpo.size() < kCaracteres - 1) {
            bits -= 5;
            cuerpo += QLatin1Char(kAlfabeto[(acumulado >> bits) & 31]);
        }
    }
    cuerpo += QLatin1Char(kAlfabeto[caracterControl(cuerpo)]);
    return agrupar(cuerpo);
}

CodigoEscrito LeerCodigoVerificacion(const QString& escrito) {
    QString corrido;
    for (const QChar c : escrito) {
        if (c.isSpace() || c == QLatin1Char('-'))
            continue;
        const QChar mayuscula = c.toUpper();
        if (valor(mayuscula) < 0)
            return {{},
                    QStringLiteral("El código de verificación no lleva el carácter \"%1\": usa las cifras "
                                   "del 2 al 9 y las letras, salvo la I y la O.")
                        .arg(c)};
        corrido += mayuscula;
    }
    if (corrido.isEmpty())
        return {{}, QStringLiteral("No se escribió ningún código de verificación.")};
    if (corrido.size() != kCaracteres)
        return {{},
                QStringLiteral("Un código de verificación tiene %1 caracteres (por ejemplo "
                               "K7QF-2M9X-T4LA-8WZC); el escrito tiene %2.")
                    .arg(kCaracteres)
                    .arg(corrido.size())};
    if (valor(corrido.back()) != caracterControl(corrido.first(kCaracteres - 1)))
        return {{},
                QStringLiteral("El código de verificación %1 está mal escrito: su último carácter, el de "
                               "control, no corresponde a los demás. Revise cada carácter.")
                    .arg(agrupar(corrido))};
    return {agrupar(corrido), {}};
}

QString TextoQrVerificacion(const QString& codigo, const QString& identidad) {
    // Capitals, digits, '-' and ':' only: the QR's compact alphanumeric mode holds it.
    return kPrefijoQr + codigo + QLatin1Char(':') + identidad.toUpper();
}

std::optional<DatosQrVerificacion> LeerTextoQrVerificacion(const QString& texto) {
    static const QRegularExpression forma(
        QStringLiteral("^KV270-VERIFICACION:([0-9A-Z]{4}(?:-[0-9A-Z]{4}){3}):([0-9A-Fa-f-]{36})$"));
    const QRegularExpressionMatch m = forma.match(texto.trimmed());
    if (!m.hasMatch())
        return {};
    const CodigoEscrito codigo = LeerCodigoVerificacion(m.captured(1));
    if (!codigo.valido())
        return {};
    return DatosQrVerificacion{codigo.codigo, m.captured(2).toLower()};
}
