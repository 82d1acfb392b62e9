#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>

class QPainter;

// The program's pictures are drawn here rather than shipped as files, so they scale with the
// screen and stay in one place.

// Stylised KV-270 sound-level meter filling the rectangle (aspect kept, centred).
void DibujarSonometro(QPainter& p, const QRectF& zona);
// Splash picture: product title, meter and version.
QPixmap ImagenPresentacion(const QSize& tamano, qreal escala = 1.0);
// Small meter for the main window's header.
QPixmap ImagenCabecera(int lado, qreal escala = 1.0);
// Login picture: a padlock over the meter's display.
QPixmap ImagenAcceso(int lado, qreal escala = 1.0);
// Icon of the login button and of the windows.
QIcon IconoIniciarSesion();
QIcon IconoPrograma();
