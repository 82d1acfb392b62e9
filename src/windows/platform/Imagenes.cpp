#include "windows/platform/Imagenes.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

const QColor kAzulOscuro(16, 38, 74);
const QColor kAzul(28, 78, 138);
const QColor kCarcasa(48, 52, 60);
const QColor kLcd(186, 214, 150);

QPixmap lienzo(const QSize& tamano, qreal escala) {
    QPixmap px(QSize(qRound(tamano.width() * escala), qRound(tamano.height() * escala)));
    px.setDevicePixelRatio(escala);
    px.fill(Qt::transparent);
    return px;
}

void dibujarCandado(QPainter& p, const QRectF& r) {
    const qreal w = r.width();
    QPen arco(QColor(200, 204, 212), w * 0.13, Qt::SolidLine, Qt::RoundCap);
    p.setPen(arco);
    p.setBrush(Qt::NoBrush);
    const QRectF asa(r.left() + w * 0.22, r.top(), w * 0.56, r.height() * 0.6);
    p.drawArc(asa, 0, 180 * 16);
    p.drawLine(QPointF(asa.left(), asa.center().y()), QPointF(asa.left(), r.top() + r.height() * 0.5));
    p.drawLine(QPointF(asa.right(), asa.center().y()), QPointF(asa.right(), r.top() + r.height() * 0.5));
    const QRectF cuerpo(r.left(), r.top() + r.height() * 0.45, w, r.height() * 0.55);
    QLinearGradient g(cuerpo.topLeft(), cuerpo.bottomLeft());
    g.setColorAt(0, QColor(246, 196, 64));
    g.setColorAt(1, QColor(204, 140, 20));
    p.setPen(QPen(QColor(120, 80, 10), w * 0.03));
    p.setBrush(g);
    p.drawRoundedRect(cuerpo, w * 0.1, w * 0.1);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 45, 5));
    const QPointF c(cuerpo.center().x(), cuerpo.top() + cuerpo.height() * 0.42);
    p.drawEllipse(c, w * 0.09, w * 0.09);
    p.drawRect(QRectF(c.x() - w * 0.035, c.y(), w * 0.07, cuerpo.height() * 0.32));
}

} // namespace

void DibujarSonometro(QPainter& p, const QRectF& zona) {
    // Proportions of the device: a tall body with the microphone on top.
    const qreal prop = 0.5;
    qreal w = zona.width(), h = zona.height();
    if (w / h > prop)
        w = h * prop;
    else
        h = w / prop;
    const QRectF r(zona.center().x() - w / 2, zona.center().y() - h / 2, w, h);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    // Microphone: a windscreen ball on a tapering neck.
    const QPointF centroMic(r.center().x(), r.top() + w * 0.26);
    QPainterPath cuello;
    cuello.moveTo(r.center().x() - w * 0.12, centroMic.y() + w * 0.12);
    cuello.lineTo(r.center().x() + w * 0.12, centroMic.y() + w * 0.12);
    cuello.lineTo(r.center().x() + w * 0.2, r.top() + h * 0.3);
    cuello.lineTo(r.center().x() - w * 0.2, r.top() + h * 0.3);
    cuello.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 96, 108));
    p.drawPath(cuello);
    QRadialGradient esfera(centroMic - QPointF(w * 0.08, w * 0.08), w * 0.3);
    esfera.setColorAt(0, QColor(120, 124, 132));
    esfera.setColorAt(1, QColor(30, 32, 36));
    p.setBrush(esfera);
    p.drawEllipse(centroMic, w * 0.24, w * 0.24);
    p.setPen(QPen(QColor(255, 255, 255, 40), w * 0.012));
    for (int i = -2; i <= 2; ++i)
        p.drawLine(QPointF(centroMic.x() + i * w * 0.08, centroMic.y() - w * 0.22),
                   QPointF(centroMic.x() + i * w * 0.08, centroMic.y() + w * 0.22));

    // Body.
    const QRectF cuerpo(r.left(), r.top() + h * 0.28, w, h * 0.72);
    QLinearGradient g(cuerpo.topLeft(), cuerpo.topRight());
    g.setColorAt(0, kCarcasa.lighter(135));
    g.setColorAt(0.5, kCarcasa);
    g.setColorAt(1, kCarcasa.darker(140));
    p.setPen(QPen(QColor(20, 20, 24), w * 0.02));
    p.setBrush(g);
    p.drawRoundedRect(cuerpo, w * 0.12, w * 0.12);

    // Display with the level reading.
    const QRectF lcd(cuerpo.left() + w * 0.1, cuerpo.top() + w * 0.12, w * 0.8, h * 0.16);
    p.setPen(QPen(QColor(15, 15, 15), w * 0.015));
    p.setBrush(kLcd);
    p.drawRoundedRect(lcd, w * 0.04, w * 0.04);
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setBold(true);
    f.setPixelSize(std::max(4, qRound(lcd.height() * 0.55)));
    p.setFont(f);
    p.setPen(QColor(30, 40, 20));
    p.drawText(lcd.adjusted(0, 0, -w * 0.05, 0), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("87.5"));
    QFont fu = f;
    fu.setPixelSize(std::max(3, qRound(lcd.height() * 0.28)));
    p.setFont(fu);
    p.drawText(lcd.adjusted(w * 0.05, 0, 0, -lcd.height() * 0.45), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("dB(A)"));

    // Bar graph: green, then yellow, then red segments.
    const int segmentos = 10;
    const QRectF barra(lcd.left(), lcd.bottom() + h * 0.05, lcd.width(), h * 0.06);
    const qreal paso = barra.width() / segmentos;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < segmentos; ++i) {
        QColor c = i < 6 ? QColor(60, 200, 80) : (i < 8 ? QColor(250, 210, 40) : QColor(230, 50, 40));
        if (i >= 8)
            c = c.darker(115);
        p.setBrush(c);
        p.drawRoundedRect(
            QRectF(barra.left() + i * paso + paso * 0.1, barra.top(), paso * 0.8, barra.height()),
            paso * 0.15, paso * 0.15);
    }

    // Keypad.
    const QRectF teclas(lcd.left(), barra.bottom() + h * 0.05, lcd.width(),
                        cuerpo.bottom() - barra.bottom() - h * 0.1);
    const qreal tw = teclas.width() / 3, th = teclas.height() / 2;
    for (int f2 = 0; f2 < 2; ++f2)
        for (int c2 = 0; c2 < 3; ++c2) {
            const QRectF t(teclas.left() + c2 * tw + tw * 0.15, teclas.top() + f2 * th + th * 0.18, tw * 0.7,
                           th * 0.64);
            p.setBrush(f2 == 0 && c2 == 1 ? QColor(200, 60, 50) : QColor(150, 156, 168));
            p.drawRoundedRect(t, tw * 0.12, tw * 0.12);
        }
    p.restore();
}

QPixmap ImagenPresentacion(const QSize& tamano, qreal escala) {
    QPixmap px = lienzo(tamano, escala);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(tamano));
    QLinearGradient fondo(r.topLeft(), r.bottomRight());
    fondo.setColorAt(0, kAzul);
    fondo.setColorAt(1, kAzulOscuro);
    p.fillRect(r, fondo);

    // Sound waves behind the title.
    p.setPen(QPen(QColor(255, 255, 255, 28), 2));
    p.setBrush(Qt::NoBrush);
    const QPointF origen(r.width() * 0.2, r.height() * 0.52);
    for (int i = 1; i <= 7; ++i)
        p.drawArc(QRectF(origen.x() - i * 46, origen.y() - i * 46, i * 92, i * 92), -55 * 16, 110 * 16);

    DibujarSonometro(p, QRectF(r.width() * 0.05, r.height() * 0.12, r.width() * 0.28, r.height() * 0.76));

    const QRectF texto(r.width() * 0.38, r.height() * 0.14, r.width() * 0.58, r.height() * 0.72);
    QFont marca(QStringLiteral("DejaVu Sans"));
    marca.setBold(true);
    marca.setPixelSize(qRound(r.height() * 0.15));
    p.setFont(marca);
    p.setPen(Qt::white);
    p.drawText(QRectF(texto.left(), texto.top(), texto.width(), r.height() * 0.2),
               Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Velmora"));
    QFont modelo = marca;
    modelo.setPixelSize(qRound(r.height() * 0.1));
    p.setFont(modelo);
    p.setPen(QColor(250, 210, 40));
    p.drawText(QRectF(texto.left(), texto.top() + r.height() * 0.2, texto.width(), r.height() * 0.13),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KV-270"));
    p.setPen(QPen(QColor(250, 210, 40), 3));
    const qreal yLinea = texto.top() + r.height() * 0.36;
    p.drawLine(QPointF(texto.left(), yLinea), QPointF(texto.right(), yLinea));

    QFont titulo(QStringLiteral("DejaVu Sans"));
    titulo.setPixelSize(qRound(r.height() * 0.052));
    p.setFont(titulo);
    p.setPen(Qt::white);
    p.drawText(QRectF(texto.left(), yLinea + r.height() * 0.03, texto.width(), r.height() * 0.2),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Sistema de Adquisición de Datos - Velmora KV-270"));
    QFont pie = titulo;
    pie.setPixelSize(qRound(r.height() * 0.038));
    p.setFont(pie);
    p.setPen(QColor(200, 214, 236));
    p.drawText(QRectF(texto.left(), r.height() * 0.72, texto.width(), r.height() * 0.08),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Monitoreo y limitación de nivel sonoro"));
    p.drawText(QRectF(texto.left(), r.height() * 0.8, texto.width(), r.height() * 0.08),
               Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Versión %1.%2.%3")
                   .arg(VELMORA_VERSION_MAJOR)
                   .arg(VELMORA_VERSION_MINOR)
                   .arg(VELMORA_VERSION_REVISION));
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
    return px;
}

// Square blue tile with rounded corners behind the small pictures.
static void dibujarMosaico(QPainter& p, int lado, qreal radio) {
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, lado, lado);
    QLinearGradient fondo(r.topLeft(), r.bottomRight());
    fondo.setColorAt(0, kAzul);
    fondo.setColorAt(1, kAzulOscuro);
    p.setPen(Qt::NoPen);
    p.setBrush(fondo);
    p.drawRoundedRect(r, lado * radio, lado * radio);
}

QPixmap ImagenCabecera(int lado, qreal escala) {
    QPixmap px = lienzo(QSize(lado, lado), escala);
    QPainter p(&px);
    dibujarMosaico(p, lado, 0.16);
    const QRectF r(0, 0, lado, lado);
    DibujarSonometro(p, r.adjusted(lado * 0.12, lado * 0.08, -lado * 0.12, -lado * 0.08));
    return px;
}

QPixmap ImagenAcceso(int lado, qreal escala) {
    QPixmap px = lienzo(QSize(lado, lado), escala);
    QPainter p(&px);
    dibujarMosaico(p, lado, 0.12);
    DibujarSonometro(p, QRectF(lado * 0.08, lado * 0.08, lado * 0.5, lado * 0.84));
    dibujarCandado(p, QRectF(lado * 0.52, lado * 0.4, lado * 0.38, lado * 0.46));
    return px;
}

QIcon IconoIniciarSesion() {
    QIcon icono;
    for (int lado : {16, 24, 32}) {
        QPixmap px(lado, lado);
        px.fill(Qt::transparent);
        QPainter p(&px);
        p.setRenderHint(QPainter::Antialiasing);
        // A key: ring and bit.
        const qreal s = lado / 16.0;
        p.setPen(QPen(QColor(160, 110, 10), 1.2 * s));
        p.setBrush(QColor(246, 196, 64));
        p.drawEllipse(QPointF(5 * s, 8 * s), 3.6 * s, 3.6 * s);
        p.drawRect(QRectF(8.2 * s, 7 * s, 6.8 * s, 2 * s));
        p.drawRect(QRectF(12 * s, 9 * s, 1.6 * s, 2.5 * s));
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(QPointF(4.4 * s, 8 * s), 1.1 * s, 1.1 * s);
        p.end();
        icono.addPixmap(px);
    }
    return icono;
}

QIcon IconoPrograma() {
    QIcon icono;
    for (int lado : {16, 32, 48, 64})
        icono.addPixmap(ImagenCabecera(lado));
    return icono;
}
