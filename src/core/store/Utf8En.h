#pragma once

#include <QByteArray>
#include <QString>

// The text in UTF-8 into `destino`, whose buffer is reused: record values are short ASCII texts,
// so the common case copies bytes without a new allocation.
inline void Utf8En(QByteArray& destino, const QString& texto) {
    const qsizetype n = texto.size();
    destino.resize(n);
    char* d = destino.data();
    const QChar* o = texto.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (o[i].unicode() >= 0x80) {
            destino = texto.toUtf8();
            return;
        }
        d[i] = static_cast<char>(o[i].unicode());
    }
}
