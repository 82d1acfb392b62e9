#include "core/output/ArchivoZip.h"

#include <zlib.h>

namespace {

quint32 le(const QByteArray& d, qsizetype i, int bytes) {
    quint32 v = 0;
    for (int k = bytes - 1; k >= 0; --k)
        v = (v << 8) | static_cast<quint8>(d[i + k]);
    return v;
}

std::optional<QByteArray> fallo(QString* error, const QString& texto) {
    if (error)
        *error = texto;
    return {};
}

// A member is never allowed past this, whatever its header claims: a workbook's parts are small.
constexpr quint32 kMaximo = 256u << 20;

} // namespace

std::optional<QByteArray> LeerMiembroZip(const QByteArray& zip, const QString& nombre, QString* error) {
    const QString danado = QStringLiteral("el archivo no es un libro válido (su estructura zip está dañada)");
    // The end record: 22 bytes, after at most 64 KiB of comment.
    qsizetype fin = -1;
    for (qsizetype i = zip.size() - 22; i >= 0 && i >= zip.size() - 22 - 65535; --i)
        if (le(zip, i, 4) == 0x06054b50) {
            fin = i;
            break;
        }
    if (fin < 0)
        return fallo(error, QStringLiteral("el archivo no es un libro de Excel (.xlsx)"));
    const quint32 entradas = le(zip, fin + 10, 2);
    qsizetype p = le(zip, fin + 16, 4);
    const QByteArray buscado = nombre.toUtf8();
    for (quint32 n = 0; n < entradas; ++n) {
        if (p < 0 || p + 46 > zip.size() || le(zip, p, 4) != 0x02014b50)
            return fallo(error, danado);
        const quint32 metodo = le(zip, p + 10, 2);
        const quint32 comprimido = le(zip, p + 20, 4);
        const quint32 tamano = le(zip, p + 24, 4);
        const qsizetype largoNombre = le(zip, p + 28, 2);
        const qsizetype extra = le(zip, p + 30, 2);
        const qsizetype comentario = le(zip, p + 32, 2);
        const qsizetype local = le(zip, p + 42, 4);
        if (p + 46 + largoNombre > zip.size())
            return fallo(error, danado);
        if (zip.sliced(p + 46, largoNombre) != buscado) {
            p += 46 + largoNombre + extra + comentario;
            continue;
        }
        if (local + 30 > zip.size() || le(zip, local, 4) != 0x04034b50 || tamano > kMaximo)
            return fallo(error, danado);
        const qsizetype datos = local + 30 + le(zip, local + 26, 2) + le(zip, local + 28, 2);
        if (datos + comprimido > zip.size())
            return fallo(error, danado);
        if (metodo == 0)
            return zip.sliced(datos, comprimido);
        if (metodo != 8)
            return fallo(error, danado);
        QByteArray salida(static_cast<qsizetype>(tamano), '\0');
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return fallo(error, danado);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.constData() + datos));
        z.avail_in = comprimido;
        z.next_out = reinterpret_cast<Bytef*>(salida.data());
        z.avail_out = tamano;
        const int r = inflate(&z, Z_FINISH);
        const bool completo = r == Z_STREAM_END && z.total_out == tamano;
        inflateEnd(&z);
        if (!completo)
            return fallo(error, danado);
        return salida;
    }
    return fallo(error, QStringLiteral("al libro le falta la parte \"%1\"").arg(nombre));
}
