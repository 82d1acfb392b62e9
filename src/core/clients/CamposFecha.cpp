#include "clients/CamposFecha.h"

namespace {
int digitos(const QString& t, int desde, int cuantos) {
    int v = 0;
    for (int i = desde; i < desde + cuantos; ++i) {
        const QChar c = t.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}
// Two or four ASCII digits at `desde` of a text laid out exactly; -1 otherwise.
int digitos(QByteArrayView t, int desde, int cuantos) {
    int v = 0;
    for (int i = desde; i < desde + cuantos; ++i) {
        const char c = t.at(i);
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}
} // namespace

std::optional<QDate> LeerFechaDMA(QByteArrayView t) {
    if (t.size() == 10 && t.at(2) == '/' && t.at(5) == '/') {
        const int dia = digitos(t, 0, 2);
        const int mes = digitos(t, 3, 2);
        const int anio = digitos(t, 6, 4);
        if (dia >= 0 && mes >= 0 && anio >= 0) {
            const QDate d(anio, mes, dia);
            return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
        }
    }
    return LeerFechaDMA(QString::fromUtf8(t));
}

std::optional<QTime> LeerHoraHMS(QByteArrayView t) {
    if (t.size() == 8 && t.at(2) == ':' && t.at(5) == ':') {
        const int hh = digitos(t, 0, 2);
        const int mm = digitos(t, 3, 2);
        const int ss = digitos(t, 6, 2);
        if (hh >= 0 && mm >= 0 && ss >= 0) {
            const QTime h(hh, mm, ss);
            return h.isValid() ? std::optional<QTime>(h) : std::nullopt;
        }
    }
    return LeerHoraHMS(QString::fromUtf8(t));
}

std::optional<QDate> LeerFechaDMA(const QString& texto) {
    const QString t = texto.trimmed();
    QDate d;
    if (t.size() == 10 && t.at(2) == QLatin1Char('/') && t.at(5) == QLatin1Char('/')) {
        const int dia = digitos(t, 0, 2);
        const int mes = digitos(t, 3, 2);
        const int anio = digitos(t, 6, 4);
        if (dia >= 0 && mes >= 0 && anio >= 0)
            d = QDate(anio, mes, dia);
    } else if (!t.isEmpty()) {
        d = QDate::fromString(t, QStringLiteral("d/M/yyyy"));
    }
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QTime> LeerHoraHMS(const QString& texto) {
    const QString t = texto.trimmed();
    QTime h;
    if (t.size() == 8 && t.at(2) == QLatin1Char(':') && t.at(5) == QLatin1Char(':')) {
        const int hh = digitos(t, 0, 2);
        const int mm = digitos(t, 3, 2);
        const int ss = digitos(t, 6, 2);
        if (hh >= 0 && mm >= 0 && ss >= 0)
            h = QTime(hh, mm, ss);
    } else if (!t.isEmpty()) {
        h = QTime::fromString(t, QStringLiteral("H:m:s"));
    }
    if (!h.isValid())
        return std::nullopt;
    return h;
}

// A real value clears the special text first: a real 00:00:00 equals the time picker's
// minimum and would otherwise show as empty.
