#include "clients/ArchivoMunicipio.h"

#include <QFile>
#include <QSaveFile>

QString LeerCampoMunicipio(const QByteArray& contenido) {
    const QString texto = QString::fromUtf8(contenido);
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

QByteArray EscribirCampoMunicipio(const QString& texto) {
    return '"' + texto.toUtf8() + "\"\r\n";
}

QString CargarMunicipio(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return LeerCampoMunicipio(f.readAll());
}

bool GuardarMunicipio(const QString& ruta, const QString& texto, QString* error) {
    QSaveFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(EscribirCampoMunicipio(texto)) < 0 || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}
