#include "render/timebarimage.h"

#include "render/rgbcolour.h"

#include <QColor>
#include <QFont>
#include <QPainter>

#include <algorithm>

namespace velaro {

namespace {

// Fills the rectangle with corners (left, top) and (right, bottom), both
// inclusive, held to the picture.
void fillInclusive(QImage& image, int left, int top, int right, int bottom, Rgb colour) {
  const QRect rect = QRect(QPoint(left, top), QPoint(right, bottom)).intersected(image.rect());
  if (rect.isValid()) {
    QPainter p(&image);
    p.fillRect(rect, qcolour(colour));
  }
}

}  // namespace

QImage DrawBackTimeBar(const TimeBarScale& scale, QSize panel, int StartSecondOfDay, double SunriseSecond,
                       double SunsetSecond) {
  const int width = std::max(1, panel.width());
  const int height = std::max(1, panel.height());
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(255, 255, 0));

  const std::vector<Rgb> rows = dayLightRows(scale, height, StartSecondOfDay, SunriseSecond, SunsetSecond);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(line, line + width, rows[static_cast<size_t>(y)].argb());
  }

  const StartButton button = startButtonOf(width, height);
  fillInclusive(image, button.left, button.top, button.right, button.bottom, button.colour);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, false);
  QFont font;
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(9);
  p.setFont(font);
  p.setPen(qcolour(button.textColour));
  // The text stays on the button's face whatever the font's width.
  p.setClipRect(QRect(QPoint(button.left, button.top), QPoint(button.right, button.bottom)));
  p.drawText(QPoint(button.textX, button.textY + p.fontMetrics().ascent()), button.text);
  return image;
}

QImage DrawTimeBarFace(const TimeBarFace& face) {
  const int width = std::max(1, face.width);
  const int height = std::max(1, face.height);
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(qcolour(face.outline));
  fillInclusive(image, 1, 1, width - 2, height - 2, face.background);
  for (const FaceRun& run : face.runs) {
    fillInclusive(image, 1, run.firstRow, width - 2, run.lastRow, run.colour);
  }
  if (face.startMarkRow) {
    const int w = *face.startMarkRow;
    fillInclusive(image, 0, w - 1, width - 1, w + 1, face.startMarkColour);
  }
  return image;
}

QImage DrawTimePointer() {
  QImage image(kTimePointerWidth, kTimePointerHeight, QImage::Format_RGB32);
  image.fill(qcolour(kTimePointerColour));
  return image;
}

TimeBarImages BuildTimeBarImages(const Race& race, const MapGeometry& geometry, QSize panel) {
  const int barHeight = timeBarHeight(panel.height());
  const TimeBarScale scale = TimeBarScale::of(race.TimeAxisStart, race.TimeAxisEnd, barHeight);
  TimeBarImages images;
  images.BackTimeBar =
      DrawBackTimeBar(scale, panel, geometry.StartSecondOfDay, geometry.SunriseSecond, geometry.SunsetSecond);
  images.TimeBar = DrawTimeBarFace(BuildTimeBarFace(race, barHeight));
  images.TimePointer = DrawTimePointer();
  return images;
}

}  // namespace velaro
