#include "render/chartparts.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velaro {

std::vector<ChartBoat> ChartBoatsOf(const LoadedRace& loaded, const std::vector<int>& numbers) {
  std::vector<ChartBoat> boats;
  const std::vector<Rgb>& palette = loaded.colours.BoatColour;
  for (int n : numbers) {
    if (n < 1 || n > loaded.race.BoatCount()) {
      continue;
    }
    // A race built by hand in a test may have no palette assigned.
    const Rgb colour = size_t(n) <= palette.size() ? palette[size_t(n - 1)] : BoatColour(n);
    boats.push_back({n, loaded.race.boats[size_t(n - 1)].BoatName, colour});
  }
  return boats;
}

std::vector<Qt::PenStyle> ChartPenStyles(const std::vector<ChartBoat>& boats) {
  static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                             Qt::DashDotDotLine};
  std::vector<Qt::PenStyle> styles;
  std::vector<quint32> seen;
  for (const ChartBoat& boat : boats) {
    const auto earlier = std::count(seen.begin(), seen.end(), boat.colour.argb());
    styles.push_back(kStyles[size_t(earlier) % std::size(kStyles)]);
    seen.push_back(boat.colour.argb());
  }
  return styles;
}

QFont ChartFont(QSize picture, bool bold) {
  QFont font;
  font.setStyleHint(QFont::SansSerif);
  const double byWidth = picture.width() / 95.0;
  const double byHeight = picture.height() / 55.0;
  font.setPixelSize(std::clamp(static_cast<int>(std::lround(std::min(byWidth, byHeight))), 10, 22));
  font.setBold(bold);
  return font;
}

ChartCanvas::ChartCanvas(QSize wanted, QSize defaultSize)
    : size(wanted.isEmpty() ? defaultSize : wanted),
      image(size, QImage::Format_RGB32),
      font(ChartFont(size)),
      metrics(font),
      lineHeight(metrics.height()),
      pad(lineHeight * 0.7) {
  image.fill(Qt::white);
  painter.begin(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
}

QImage ChartCanvas::finish() {
  painter.end();
  return std::move(image);
}

double StepAtLeast(std::initializer_list<double> steps, double least) {
  for (double step : steps) {
    if (step >= least) {
      return step;
    }
  }
  return *(steps.end() - 1);
}

namespace {

// Drawn and left out lengths in pen widths; the square caps lengthen each
// drawn piece by one width.
std::vector<double> dashPattern(Qt::PenStyle style) {
  switch (style) {
    case Qt::DashLine:
      return {3, 3};
    case Qt::DotLine:
      return {0.01, 2.5};
    case Qt::DashDotLine:
      return {3, 3, 0.01, 2.5};
    case Qt::DashDotDotLine:
      return {3, 3, 0.01, 2.5, 0.01, 2.5};
    default:
      return {};
  }
}

}  // namespace

void DrawChartPolyline(QPainter& p, const std::vector<QPointF>& points, const QColor& colour, double width,
                       Qt::PenStyle style) {
  if (points.empty()) {
    return;
  }
  p.save();
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap));
  std::vector<QLineF> lines;
  lines.reserve(points.size());
  const std::vector<double> pattern = dashPattern(style);
  if (points.size() == 1) {
    lines.emplace_back(points[0], points[0]);
  } else if (pattern.empty() || !(width > 0)) {
    for (size_t i = 1; i < points.size(); ++i) {
      lines.emplace_back(points[i - 1], points[i]);
    }
  } else {
    // Walks the polyline piece by piece of the pattern, carrying what is
    // left of a piece from one segment to the next.
    size_t piece = 0;
    double left = pattern[0] * width;
    for (size_t i = 1; i < points.size(); ++i) {
      const QPointF a = points[i - 1];
      const QPointF d = points[i] - a;
      const double length = std::hypot(d.x(), d.y());
      double at = 0;
      while (length - at > left) {
        if (piece % 2 == 0) {
          lines.emplace_back(a + d * (at / length), a + d * ((at + left) / length));
        }
        at += left;
        piece = (piece + 1) % pattern.size();
        left = pattern[piece] * width;
      }
      if (piece % 2 == 0 && length > at) {
        lines.emplace_back(a + d * (at / length), points[i]);
      }
      left -= length - at;
    }
  }
  p.drawLines(lines.data(), static_cast<int>(lines.size()));
  p.restore();
}

void DrawPenSample(QPainter& p, const QPointF& from, double length, const QColor& colour, double width,
                   Qt::PenStyle style) {
  // Inset by the caps so that the stroke ends where asked.
  const QPointF inset(width / 2, 0);
  DrawChartPolyline(p, {from + inset, from + QPointF(length, 0) - inset}, colour, width, style);
}

void DrawTextMiddle(QPainter& p, double x, double y, const QString& text, bool alignRight) {
  const QFontMetricsF metrics(p.font());
  const double left = alignRight ? x - metrics.horizontalAdvance(text) : x;
  p.drawText(QPointF(left, y + (metrics.ascent() - metrics.descent()) / 2), text);
}

}  // namespace velaro
