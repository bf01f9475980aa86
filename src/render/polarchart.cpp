#include "render/polarchart.h"

#include "render/rgbcolour.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <map>

namespace velaro {

namespace {

const QColor kTextColour(40, 40, 40);
const QColor kSpokeColour(232, 232, 232);
const QColor kGridColour(200, 200, 200);
const QColor kFrameColour(140, 140, 140);
// Half circles drawn side by side at most; more bands keep those sailed most.
constexpr size_t kMaxPanels = 4;
// Bins further apart than this are not joined: the boat never sailed between.
constexpr int kJoinBins = 2;
// A dashed line from the middle to each best angle, while few boats share
// the chart.
constexpr size_t kMaxBoatsWithVmgLines = 4;

// A wind band by its lower edge in whole bands; -1 for the one band of a race
// without wind speeds.
int bandKey(const PolarBand& band) {
  return std::isnan(band.fromKnots) ? -1 : static_cast<int>(std::lround(band.fromKnots / kPolarBandKnots));
}

bool hasSpeeds(const PolarBand& band) {
  return std::any_of(band.bins.begin(), band.bins.end(),
                     [](const PolarBin& bin) { return !std::isnan(bin.speedKnots); });
}

QString degreesText(double degrees) {
  return QString::number(std::lround(degrees)) + QChar(0x00B0);
}

struct Panel {
  int key = -1;
  QString caption;  // beside the wind arrow: "wind", or the band's "wind 8-12 kn"
  QRectF area;
  QPointF centre;
  double radius = 0;

  QPointF at(double angleDeg, double distance) const {
    const double a = angleDeg * M_PI / 180;
    return centre + QPointF(distance * std::sin(a), -distance * std::cos(a));
  }
};

// The wind bands with the most seconds sailed by the boats, at most
// kMaxPanels, lightest wind first.
std::vector<Panel> panelsOf(const PolarChart& chart) {
  std::map<int, std::pair<long, QString>> seconds;  // band -> seconds sailed, caption
  for (const BoatPolar& polar : chart.polars) {
    for (const PolarBand& band : polar.bands) {
      if (!hasSpeeds(band)) {
        continue;
      }
      auto& [total, caption] = seconds[bandKey(band)];
      for (const PolarBin& bin : band.bins) {
        total += bin.seconds;
      }
      caption = std::isnan(band.fromKnots)
                    ? QStringLiteral("wind")
                    : QStringLiteral("wind %1-%2 kn").arg(band.fromKnots).arg(band.toKnots);
    }
  }
  std::vector<std::pair<long, int>> bySeconds;
  for (const auto& [key, value] : seconds) {
    bySeconds.push_back({value.first, key});
  }
  std::sort(bySeconds.begin(), bySeconds.end(), std::greater<>());
  bySeconds.resize(std::min(bySeconds.size(), kMaxPanels));
  std::vector<Panel> panels;
  for (const auto& [total, key] : bySeconds) {
    panels.push_back({key, seconds[key].second, {}, {}, 0});
  }
  std::sort(panels.begin(), panels.end(), [](const Panel& a, const Panel& b) { return a.key < b.key; });
  return panels;
}

// Room around a half circle for its labels, in lines of text.
struct Margins {
  double left = 0;   // the knots beside the diameter and the wind arrow
  double right = 0;  // the angles
  double above = 0;  // the wind arrow and the 0 degree label
  double below = 0;  // the 180 degree label
};

// Places each half circle in its cell of a grid of columns x rows, as big
// as the cells allow, the cells as narrow as their half circles and the
// grid moved right by shiftX. Returns the radius.
double layOut(std::vector<Panel>& panels, const QRectF& area, int columns, const Margins& m,
              double shiftX = 0) {
  const int rows = (static_cast<int>(panels.size()) + columns - 1) / columns;
  const double cellHeight = area.height() / rows;
  const double radius = std::max(
      10.0, std::min((cellHeight - m.above - m.below) / 2, area.width() / columns - m.left - m.right));
  const double cellWidth = m.left + radius + m.right;
  for (size_t i = 0; i < panels.size(); ++i) {
    Panel& panel = panels[i];
    const int column = static_cast<int>(i) % columns;
    const int row = static_cast<int>(i) / columns;
    panel.area = QRectF(area.left() + shiftX + column * cellWidth, area.top() + row * cellHeight, cellWidth,
                        cellHeight);
    panel.radius = radius;
    const double spareY = cellHeight - m.above - m.below - 2 * radius;
    panel.centre = QPointF(panel.area.left() + m.left, panel.area.top() + m.above + spareY / 2 + radius);
  }
  return radius;
}

const PolarBand* bandIn(const BoatPolar& polar, int key) {
  for (const PolarBand& band : polar.bands) {
    if (bandKey(band) == key && hasSpeeds(band)) {
      return &band;
    }
  }
  return nullptr;
}

void drawGrid(QPainter& p, const Panel& panel, double topKnots, double ringKnots, double lineHeight) {
  const QFontMetricsF metrics(p.font());
  const QPointF c = panel.centre;
  const double r = panel.radius;
  p.setRenderHint(QPainter::Antialiasing, true);
  for (int a = 0; a <= 180; a += 15) {
    p.setPen(QPen(a % 30 == 0 ? kGridColour : kSpokeColour, 1));
    p.drawLine(c, panel.at(a, r));
  }
  for (double v = ringKnots; v <= topKnots + 1e-9; v += ringKnots) {
    const double ring = v / topKnots * r;
    p.setPen(QPen(v + ringKnots > topKnots + 1e-9 ? kFrameColour : kGridColour, 1));
    p.drawArc(QRectF(c.x() - ring, c.y() - ring, 2 * ring, 2 * ring), -90 * 16, 180 * 16);
    p.setPen(kTextColour);
    const QString text =
        v + ringKnots > topKnots + 1e-9 ? QString::number(v) + QStringLiteral(" kn") : QString::number(v);
    // Just above the ring, clear of the 180 degree label under the last one.
    DrawTextMiddle(p, c.x() - lineHeight * 0.3, c.y() + ring - lineHeight * 0.4, text, true);
  }
  p.setPen(QPen(kFrameColour, 1));
  p.drawLine(panel.at(0, r), panel.at(180, r));
  p.setPen(kTextColour);
  for (int a = 0; a <= 180; a += 30) {
    const QString text = degreesText(a);
    const double width = metrics.horizontalAdvance(text);
    const QPointF at = panel.at(a, r + lineHeight * 0.35);
    // Left-aligned right of the arc, centred above and below it.
    const double s = std::sin(a * M_PI / 180);
    const double left = at.x() - width / 2 + s * width / 2;
    const double middle = at.y() - std::cos(a * M_PI / 180) * lineHeight * 0.45;
    DrawTextMiddle(p, left, middle, text);
  }
  // The wind comes from the top.
  const double x = c.x() - lineHeight * 1.4;
  const double top = c.y() - r - lineHeight * 0.9;
  const double tip = c.y() - r + lineHeight * 0.6;
  p.setPen(QPen(kTextColour, 1.5));
  p.drawLine(QPointF(x, top), QPointF(x, tip));
  p.setBrush(kTextColour);
  const double head = lineHeight * 0.3;
  p.drawPolygon(
      QPolygonF({QPointF(x, tip), QPointF(x - head, tip - head * 1.6), QPointF(x + head, tip - head * 1.6)}));
  p.setBrush(Qt::NoBrush);
  DrawTextMiddle(p, x - lineHeight * 0.4, (top + tip) / 2, panel.caption, true);
}

// Returns whether a bin sailed only briefly was drawn.
bool drawBoat(QPainter& p, const Panel& panel, const PolarBand& band, double topKnots, const QPen& pen,
              bool vmgLines) {
  const auto point = [&](int bin) {
    return panel.at((bin + 0.5) * kPolarBinDegrees,
                    band.bins[size_t(bin)].speedKnots / topKnots * panel.radius);
  };
  int previous = -kPolarBins;
  std::vector<QPointF> dots;
  std::vector<QPointF> thinDots;  // a bin sailed only briefly: a ring off the curve
  std::vector<QPointF> run;
  for (int i = 0; i <= kPolarBins; ++i) {
    const bool sailed = i < kPolarBins && !std::isnan(band.bins[size_t(i)].speedKnots);
    const bool firm = sailed && band.bins[size_t(i)].firm();
    if (i - previous > kJoinBins || i == kPolarBins) {
      DrawChartPolyline(p, run, pen.color(), pen.widthF(), pen.style());
      run.clear();
    }
    if (firm) {
      run.push_back(point(i));
      dots.push_back(run.back());
      previous = i;
    } else if (sailed) {
      thinDots.push_back(point(i));
    }
  }
  p.setPen(Qt::NoPen);
  p.setBrush(pen.color());
  for (const QPointF& at : dots) {
    p.drawEllipse(at, pen.widthF() * 1.3, pen.widthF() * 1.3);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(pen.color(), 1));
  for (const QPointF& at : thinDots) {
    p.drawEllipse(at, pen.widthF() * 1.6, pen.widthF() * 1.6);
  }
  for (double angle : {band.beatAngleDeg, band.runAngleDeg}) {
    if (std::isnan(angle)) {
      continue;
    }
    const int bin = std::clamp(static_cast<int>(angle / kPolarBinDegrees), 0, kPolarBins - 1);
    if (std::isnan(band.bins[size_t(bin)].speedKnots)) {
      continue;
    }
    const QPointF at = point(bin);
    if (vmgLines) {
      p.setPen(QPen(pen.color(), 1, Qt::DashLine));
      p.drawLine(panel.centre, at);
    }
    p.setPen(QPen(pen.color(), std::max(1.5, pen.widthF() * 0.8)));
    p.drawEllipse(at, pen.widthF() * 3.5, pen.widthF() * 3.5);
  }
  return !thinDots.empty();
}

}  // namespace

PolarChart PolarChartOf(const LoadedRace& loaded, const std::vector<BoatPolar>& polars,
                        const std::vector<int>& boats) {
  PolarChart chart;
  chart.title = loaded.race.RaceTitle1;
  chart.boats = ChartBoatsOf(loaded, boats);
  for (const ChartBoat& boat : chart.boats) {
    chart.polars.push_back(size_t(boat.number) <= polars.size() ? polars[size_t(boat.number - 1)]
                                                                : BoatPolar{});
  }
  return chart;
}

// The title line, the boats' names at the right, and the half circles in
// the rest; every half circle shares one scale of knots.
QImage DrawPolarChart(const PolarChart& chart, QSize asked) {
  ChartCanvas canvas(asked, QSize(1000, 700));
  QPainter& p = canvas.painter;
  const QSize size = canvas.size;
  const QFont& font = canvas.font;
  const QFontMetricsF& metrics = canvas.metrics;
  const double lineHeight = canvas.lineHeight;
  const double pad = canvas.pad;

  p.setFont(ChartFont(size, true));
  p.setPen(kTextColour);
  const QString what = QStringLiteral("boat speed against true wind angle");
  p.drawText(QPointF(pad, pad + p.fontMetrics().ascent()),
             chart.title.isEmpty() ? what : chart.title + QStringLiteral(": ") + what);
  p.setFont(font);
  const double titleBottom = pad + lineHeight * 1.4;

  std::vector<Panel> panels = panelsOf(chart);
  const size_t boatCount = std::min(chart.boats.size(), chart.polars.size());
  if (panels.empty() || boatCount == 0) {
    p.drawText(QRectF(0, titleBottom, size.width(), size.height() - titleBottom), Qt::AlignCenter,
               QStringLiteral("No polar to show: no boat sailed long enough at any angle."));
    return canvas.finish();
  }

  // The names at the right with, for a single band, each boat's best angles.
  std::vector<QString> legend;
  for (size_t i = 0; i < boatCount; ++i) {
    QString text = chart.boats[i].name;
    const PolarBand* band = panels.size() == 1 ? bandIn(chart.polars[i], panels[0].key) : nullptr;
    if (band && !std::isnan(band->beatAngleDeg) && !std::isnan(band->runAngleDeg)) {
      text += QStringLiteral("  ") + degreesText(band->beatAngleDeg) + QStringLiteral(" / ") +
              degreesText(band->runAngleDeg);
    }
    legend.push_back(text);
  }
  const QString keyText =
      panels.size() == 1 ? QStringLiteral("best VMG angle, up / down") : QStringLiteral("best VMG angle");
  const QString thinText = QStringLiteral("sailed under %1 s").arg(kPolarFirmSeconds);
  QFont legendFont = font;
  const double legendRoom = size.height() - titleBottom - pad - 3.5 * lineHeight;
  if (double(boatCount) * lineHeight * 1.1 > legendRoom) {
    legendFont.setPixelSize(std::max(7, int(legendRoom / double(boatCount) / 1.25)));
  }
  const QFontMetricsF legendMetrics(legendFont);
  const double sampleLength = lineHeight * 1.6;
  double textWidth = std::max(metrics.horizontalAdvance(keyText), metrics.horizontalAdvance(thinText));
  for (QString& text : legend) {
    text = legendMetrics.elidedText(text, Qt::ElideMiddle, size.width() * 0.3);
    textWidth = std::max(textWidth, legendMetrics.horizontalAdvance(text));
  }
  const double legendWidth = sampleLength + lineHeight * 0.4 + textWidth;
  double legendLeft = size.width() - pad - legendWidth;

  Margins margins;
  double captionWidth = 0;
  for (const Panel& panel : panels) {
    captionWidth = std::max(captionWidth, metrics.horizontalAdvance(panel.caption));
  }
  margins.left = std::max(metrics.horizontalAdvance(QStringLiteral("10 kn")), captionWidth + lineHeight) +
                 lineHeight * 0.8;
  margins.right = metrics.horizontalAdvance(QStringLiteral("180\u00B0")) + lineHeight * 0.6;
  margins.above = lineHeight * 1.4;
  margins.below = lineHeight * 1.4;
  const QRectF area(QPointF(pad, titleBottom), QPointF(legendLeft - pad, size.height() - pad));
  const int n = static_cast<int>(panels.size());
  const int wide =
      layOut(panels, area, n, margins) >= layOut(panels, area, (n + 1) / 2, margins) ? n : (n + 1) / 2;
  // The half circles and the names together in the middle of the picture.
  const double radiusFirst = layOut(panels, area, wide, margins);
  const double spare = area.width() - wide * (margins.left + radiusFirst + margins.right);
  const double radius = layOut(panels, area, wide, margins, spare / 2);
  legendLeft -= spare / 2;

  // One scale for all: rings at least three lines apart.
  double fastest = 0;
  for (size_t i = 0; i < boatCount; ++i) {
    for (const Panel& panel : panels) {
      if (const PolarBand* band = bandIn(chart.polars[i], panel.key)) {
        for (const PolarBin& bin : band->bins) {
          if (!std::isnan(bin.speedKnots)) {
            fastest = std::max(fastest, bin.speedKnots);
          }
        }
      }
    }
  }
  fastest = std::max(fastest, 0.5);
  const double ringKnots = StepAtLeast({0.5, 1, 2, 5, 10, 20}, fastest * lineHeight * 3 / radius);
  const double topKnots = std::ceil(fastest * 1.01 / ringKnots) * ringKnots;

  const std::vector<Qt::PenStyle> styles = ChartPenStyles(chart.boats);
  const double penWidth = std::clamp(lineHeight / 7, 2.0, 3.5);
  bool anyThin = false;
  for (const Panel& panel : panels) {
    drawGrid(p, panel, topKnots, ringKnots, lineHeight);
    for (size_t i = boatCount; i-- > 0;) {
      if (const PolarBand* band = bandIn(chart.polars[i], panel.key)) {
        anyThin |=
            drawBoat(p, panel, *band, topKnots,
                     QPen(qcolour(chart.boats[i].colour), penWidth, styles[i], Qt::RoundCap, Qt::RoundJoin),
                     boatCount <= kMaxBoatsWithVmgLines);
      }
    }
  }

  p.setFont(legendFont);
  const double rowHeight = std::min(lineHeight * 1.25, legendMetrics.height() * 1.25);
  double y = titleBottom + rowHeight / 2;
  for (size_t i = 0; i < boatCount; ++i) {
    const QColor colour = qcolour(chart.boats[i].colour);
    DrawPenSample(p, QPointF(legendLeft, y), sampleLength, colour, penWidth, styles[i]);
    p.setPen(kTextColour);
    DrawTextMiddle(p, legendLeft + sampleLength + lineHeight * 0.4, y, legend[i]);
    y += rowHeight;
  }
  p.setFont(font);
  y += lineHeight * 0.5;
  p.setPen(QPen(kTextColour, std::max(1.5, penWidth * 0.8)));
  p.drawEllipse(QPointF(legendLeft + sampleLength / 2, y), penWidth * 3.5, penWidth * 3.5);
  DrawTextMiddle(p, legendLeft + sampleLength + lineHeight * 0.4, y, keyText);
  if (anyThin) {
    y += rowHeight;
    p.setPen(QPen(kTextColour, 1));
    p.drawEllipse(QPointF(legendLeft + sampleLength / 2, y), penWidth * 1.6, penWidth * 1.6);
    DrawTextMiddle(p, legendLeft + sampleLength + lineHeight * 0.4, y, thinText);
  }
  return canvas.finish();
}

}  // namespace velaro
