#include "core/actividad/DigestFilas.h"

#include "core/store/Conexion.h"

const char* const kColumnasDigest =
    "NumeroCliente, FechaInfraccion, HoraInfraccion, NiveldB, Microfono, Estado, TensionLinea, "
    "PorcentajeCompresion, Inspector, Maxdb, dbaten, excesos, caldb, segpenal, nivelconsola, nivelruido, "
    "contadorinf";

DigestFilas::DigestFilas() : hash_(QCryptographicHash::Sha256) {
    hash_.addData(QByteArrayView("RF1\n"));
}

void DigestFilas::campo(const char* datos, qsizetype largo) {
    const QByteArray n = QByteArray::number(largo);
    hash_.addData(QByteArrayView(n));
    hash_.addData(QByteArrayView(":"));
    if (largo > 0)
        hash_.addData(QByteArrayView(datos, largo));
    hash_.addData(QByteArrayView("\n"));
}

void DigestFilas::agregar(const QStringList& valores) {
    for (int i = 0; i < kCantidadColumnasDigest; ++i) {
        const QByteArray utf8 = valores.value(i).toUtf8();
        campo(utf8.constData(), utf8.size());
    }
    hash_.addData(QByteArrayView("\n"));
    ++filas_;
}

void DigestFilas::agregar(const Sentencia& st, int primera) {
    for (int i = 0; i < kCantidadColumnasDigest; ++i) {
        int largo = 0;
        const char* p = st.bytes(primera + i, largo);
        campo(p, p ? largo : 0);
    }
    hash_.addData(QByteArrayView("\n"));
    ++filas_;
}

QString DigestFilas::resultado() {
    return QString::fromLatin1(hash_.result().toHex());
}
