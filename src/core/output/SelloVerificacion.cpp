#include "core/output/SelloVerificacion.h"

#include "core/actividad/CodigoVerificacion.h"

#include <QFont>
#include <QPainter>

#include <qrencode.h>

#include <memory>

QString LineaVerificacion(const SelloVerificacion& s) {
    if (!s.emitido())
        return QStringLiteral("Código de verificación: se asigna al guardar o imprimir el informe");
    return QStringLiteral("Código de verificación: %1 · registro de actividad en el asiento %2, hash %3")
        .arg(s.codigo)
        .arg(s.secuencia)
        .arg(s.hash);
}

QString LineaRegistroVerificacion(const SelloVerificacion& s) {
    return QStringLiteral("Registro %1 · compruebe este documento con \"Archivo > Verificar documento...\" "
                          "del programa o con velmora-kv270 --verificar-documento")
        .arg(s.identidad);
}

QString TituloConCodigo(const QString& titulo, const QString& codigo) {
    return titulo + QStringLiteral(" · Código de verificación: ") + codigo;
}

MatrizQr CodificarQr(const QString& texto) {
    MatrizQr m;
    const QByteArray utf8 = texto.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> qr(
        QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!qr || qr->width <= 0)
        return m;
    m.lado = qr->width;
    m.negros.resize(static_cast<size_t>(m.lado) * static_cast<size_t>(m.lado));
    for (size_t i = 0; i < m.negros.size(); ++i)
        m.negros[i] = (qr->data[i] & 1) != 0;
    return m;
}

void DibujarSelloVerificacion(QPainter& p, const QRectF& area, const SelloVerificacion& sello,
                              double porPunto) {
    p.save();
    const double lado = area.height();
    const QRectF cuadro(area.right() - lado, area.top(), lado, lado);
    // The lines sit clear of the QR code's quiet zone (four modules).
    const QRectF textos(area.left(), area.top(), area.width() - lado - 8 * porPunto, area.height());
    QFont negrita(QStringLiteral("Arial"));
    negrita.setStyleHint(QFont::SansSerif);
    negrita.setPixelSize(static_cast<int>(8 * porPunto));
    negrita.setBold(true);
    QFont chica = negrita;
    chica.setPixelSize(static_cast<int>(7 * porPunto));
    chica.setBold(false);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    p.setPen(sello.emitido() ? Qt::black : Qt::darkGray);
    p.setFont(negrita);
    p.drawText(textos.adjusted(0, 10 * porPunto, 0, 0), flags, LineaVerificacion(sello));
    if (sello.emitido()) {
        p.setFont(chica);
        p.drawText(textos.adjusted(0, 22 * porPunto, 0, 0), flags, LineaRegistroVerificacion(sello));
        const MatrizQr qr = CodificarQr(TextoQrVerificacion(sello.codigo, sello.identidad));
        if (qr.lado > 0) {
            // Whole modules, with the quiet zone inside the square; runs of dark modules drawn as
            // one rectangle each, without antialiasing, so no seam shows between them.
            const double modulo = lado / (qr.lado + 8);
            const QPointF origen(cuadro.left() + 4 * modulo, cuadro.top() + 4 * modulo);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            for (int y = 0; y < qr.lado; ++y)
                for (int x = 0; x < qr.lado;) {
                    if (!qr.negro(x, y)) {
                        ++x;
                        continue;
                    }
                    int fin = x;
                    while (fin < qr.lado && qr.negro(fin, y))
                        ++fin;
                    p.drawRect(
                        QRectF(origen.x() + x * modulo, origen.y() + y * modulo, (fin - x) * modulo, modulo));
                    x = fin;
                }
        }
    }
    p.restore();
}
