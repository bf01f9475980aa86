#include "render/splashpicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace velaro {

QImage drawSplashPicture(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  const double w = size.width();
  const double h = size.height();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);

  // Sky fading into a deep sea at the horizon.
  const double horizon = h * 0.58;
  QLinearGradient sky(0, 0, 0, horizon);
  sky.setColorAt(0.0, QColor(10, 20, 70));
  sky.setColorAt(0.7, QColor(60, 90, 160));
  sky.setColorAt(1.0, QColor(250, 190, 120));
  p.fillRect(QRectF(0, 0, w, horizon), sky);
  QLinearGradient sea(0, horizon, 0, h);
  sea.setColorAt(0.0, QColor(30, 70, 130));
  sea.setColorAt(1.0, QColor(0, 0, 64));
  p.fillRect(QRectF(0, horizon, w, h - horizon), sea);

  // The low sun on the horizon.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 220, 150));
  p.drawEllipse(QPointF(w * 0.72, horizon), h * 0.07, h * 0.07);

  // A fleet of sails in line abreast, the nearer ones larger.
  struct Sail {
    double x, scale;
    QColor colour;
  };
  const std::array<Sail, 6> sails = {{{0.16, 0.55, QColor(250, 250, 250)},
                                      {0.30, 0.75, QColor(255, 235, 200)},
                                      {0.45, 1.00, QColor(255, 255, 255)},
                                      {0.58, 0.70, QColor(230, 240, 255)},
                                      {0.84, 0.50, QColor(255, 240, 230)},
                                      {0.92, 0.40, QColor(240, 240, 240)}}};
  for (const Sail& s : sails) {
    const double baseY = horizon + h * 0.10 * s.scale;
    const double mastH = h * 0.38 * s.scale;
    const double x = w * s.x;
    QPainterPath main;
    main.moveTo(x, baseY - mastH);
    main.quadTo(x + mastH * 0.42, baseY - mastH * 0.45, x + mastH * 0.36, baseY - h * 0.02 * s.scale);
    main.lineTo(x, baseY - h * 0.02 * s.scale);
    main.closeSubpath();
    QPainterPath jib;
    jib.moveTo(x - mastH * 0.02, baseY - mastH * 0.9);
    jib.quadTo(x - mastH * 0.30, baseY - mastH * 0.4, x - mastH * 0.32, baseY - h * 0.02 * s.scale);
    jib.lineTo(x - mastH * 0.04, baseY - h * 0.02 * s.scale);
    jib.closeSubpath();
    p.setBrush(s.colour);
    p.drawPath(main);
    p.setBrush(s.colour.darker(112));
    p.drawPath(jib);
    p.setBrush(QColor(20, 20, 40));
    QPainterPath hull;
    hull.moveTo(x - mastH * 0.36, baseY - h * 0.02 * s.scale);
    hull.lineTo(x + mastH * 0.44, baseY - h * 0.02 * s.scale);
    hull.lineTo(x + mastH * 0.36, baseY);
    hull.lineTo(x - mastH * 0.30, baseY);
    hull.closeSubpath();
    p.drawPath(hull);
  }

  // The name.
  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(qMax(12, static_cast<int>(h * 0.16)));
  font.setBold(true);
  font.setItalic(true);
  p.setFont(font);
  p.setPen(QColor(255, 255, 255, 230));
  p.drawText(QRectF(0, h * 0.06, w, h * 0.25), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Velaro"));
  return image;
}

}  // namespace velaro
