// Draws the program's icon: the scalable SVG and the PNG sizes of the hicolor theme, from one
// list of shapes, so both always show the same picture.
//
//   velmora-icono DIRECTORY   writes DIRECTORY/velmora-kv270.svg and DIRECTORY/NxN/velmora-kv270.png

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdio>

namespace {

// A level meter on a rounded square: rising bars, the loud ones amber and red, under the
// limiter's threshold line. Coordinates on a 256-unit square.
struct Rectangulo {
    double x, y, ancho, alto, radio;
    const char* color;
};

constexpr Rectangulo kFondo{8, 8, 240, 240, 44, "#1d4f7c"};
constexpr Rectangulo kBarras[] = {
    {40, 150, 28, 56, 4, "#e8f1f8"},  {80, 120, 28, 86, 4, "#e8f1f8"},  {120, 96, 28, 110, 4, "#e8f1f8"},
    {160, 72, 28, 134, 4, "#f6b73c"}, {200, 44, 28, 162, 4, "#e0483e"},
};
constexpr Rectangulo kBase{28, 210, 200, 12, 6, "#e8f1f8"};
// The threshold: a line across the bars.
constexpr double kUmbralY = 86;
constexpr double kUmbralDesde = 28;
constexpr double kUmbralHasta = 236;
constexpr double kUmbralGrosor = 8;
constexpr const char* kUmbralColor = "#f6b73c";

QString svg() {
    auto rect = [](const Rectangulo& r) {
        return QStringLiteral(
                   "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
            .arg(r.x)
            .arg(r.y)
            .arg(r.ancho)
            .arg(r.alto)
            .arg(r.radio)
            .arg(QLatin1String(r.color));
    };
    QString s = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                               "viewBox=\"0 0 256 256\">\n");
    s += rect(kFondo);
    for (const Rectangulo& b : kBarras)
        s += rect(b);
    s += rect(kBase);
    s += QStringLiteral("  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" stroke=\"%4\" stroke-width=\"%5\" "
                        "stroke-linecap=\"round\" stroke-dasharray=\"16 10\"/>\n")
             .arg(kUmbralDesde)
             .arg(kUmbralY)
             .arg(kUmbralHasta)
             .arg(QLatin1String(kUmbralColor))
             .arg(kUmbralGrosor);
    s += QStringLiteral("</svg>\n");
    return s;
}

QImage png(int lado) {
    QImage img(lado, lado, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(lado / 256.0, lado / 256.0);
    p.setPen(Qt::NoPen);
    auto rect = [&p](const Rectangulo& r) {
        p.setBrush(QColor(QLatin1String(r.color)));
        p.drawRoundedRect(QRectF(r.x, r.y, r.ancho, r.alto), r.radio, r.radio);
    };
    rect(kFondo);
    for (const Rectangulo& b : kBarras)
        rect(b);
    rect(kBase);
    QPen pen{QColor(QLatin1String(kUmbralColor))};
    pen.setWidthF(kUmbralGrosor);
    pen.setCapStyle(Qt::RoundCap);
    pen.setDashPattern({16.0 / kUmbralGrosor, 10.0 / kUmbralGrosor});
    p.setPen(pen);
    p.drawLine(QPointF(kUmbralDesde, kUmbralY), QPointF(kUmbralHasta, kUmbralY));
    p.end();
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Uso: velmora-icono DIRECTORIO\n", stderr);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QFile f(dir.filePath(QStringLiteral("velmora-kv270.svg")));
    if (!QDir().mkpath(dir.path()) || !f.open(QIODevice::WriteOnly) || f.write(svg().toUtf8()) < 0)
        return 1;
    for (int lado : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString sub = QStringLiteral("%1x%1").arg(lado);
        if (!QDir().mkpath(dir.filePath(sub)) ||
            !png(lado).save(dir.filePath(sub + QStringLiteral("/velmora-kv270.png")), "PNG"))
            return 1;
    }
    return 0;
}
