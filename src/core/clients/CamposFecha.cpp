#include "core/clients/CamposFecha.h"

#include <array>

namespace {
char16_t unidad(QChar c) {
    return c.unicode();
}
char16_t unidad(char c) {
    return static_cast<unsigned char>(c);
}

// The number in `cuantos` ASCII digits at `desde`; -1 when any is not a digit.
template <typename Texto> int digitos(const Texto& t, int desde, int cuantos) {
    int v = 0;
    for (int i = desde; i < desde + cuantos; ++i) {
        const char16_t c = unidad(t[i]);
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

// The three numbers of the exact layout "nn?nn?n..." (separator `sep`, the last number `ultimo`
// digits long); nothing when the text is laid out otherwise.
template <typename Texto> std::optional<std::array<int, 3>> exacto(const Texto& t, char sep, int ultimo) {
    if (t.size() != 6 + ultimo || unidad(t[2]) != unidad(sep) || unidad(t[5]) != unidad(sep))
        return std::nullopt;
    return std::array{digitos(t, 0, 2), digitos(t, 3, 2), digitos(t, 6, ultimo)};
}

std::optional<QDate> fecha(const std::array<int, 3>& n) {
    const QDate d = n[0] >= 0 && n[1] >= 0 && n[2] >= 0 ? QDate(n[2], n[1], n[0]) : QDate();
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

std::optional<QTime> hora(const std::array<int, 3>& n) {
    const QTime h = n[0] >= 0 && n[1] >= 0 && n[2] >= 0 ? QTime(n[0], n[1], n[2]) : QTime();
    return h.isValid() ? std::optional<QTime>(h) : std::nullopt;
}
} // namespace

std::optional<QDate> LeerFechaDMA(QByteArrayView t) {
    if (const auto n = exacto(t, '/', 4))
        return fecha(*n);
    return LeerFechaDMA(QString::fromUtf8(t));
}

std::optional<QTime> LeerHoraHMS(QByteArrayView t) {
    if (const auto n = exacto(t, ':', 2))
        return hora(*n);
    return LeerHoraHMS(QString::fromUtf8(t));
}

std::optional<QDate> LeerFechaDMA(const QString& texto) {
    const QString t = texto.trimmed();
    if (const auto n = exacto(t, '/', 4))
        return fecha(*n);
    const QDate d = t.isEmpty() ? QDate() : QDate::fromString(t, QStringLiteral("d/M/yyyy"));
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

std::optional<QTime> LeerHoraHMS(const QString& texto) {
    const QString t = texto.trimmed();
    if (const auto n = exacto(t, ':', 2))
        return hora(*n);
    const QTime h = t.isEmpty() ? QTime() : QTime::fromString(t, QStringLiteral("H:m:s"));
    return h.isValid() ? std::optional<QTime>(h) : std::nullopt;
}

// A real value clears the special text first: a real 00:00:00 equals the time picker's
// minimum and would otherwise show as empty.
