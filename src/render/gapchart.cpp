#include "render/gapchart.h"

#include "core/datetime.h"
#include "render/rgbcolour.h"

#include <QFontMetricsF>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace velaro {

namespace {

const QColor kTextColour(40, 40, 40);
const QColor kGridColour(222, 222, 222);
const QColor kFrameColour(150, 150, 150);
const QColor kRoundingColour(110, 110, 110);
// Beats and runs shaded behind the curves, as the leader sailed them.
const QColor kBeatShade(228, 238, 251);
const QColor kRunShade(251, 238, 221);
// A boat whose worst gap is beyond this many times the middle boat's worst
// gap runs off the bottom.
constexpr double kOutlierFactor = 3;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

double secondsOf(const GapStep& step, int boat) {
  return boat >= 1 && size_t(boat) <= step.boats.size() ? step.boats[size_t(boat - 1)].secondsToLeader
                                                        : BoatGap::kUnknown;
}

QString minutesSeconds(double seconds) {
  const long s = std::lround(seconds);
  return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString clockText(long secondOfDay) {
  secondOfDay = ((secondOfDay % 86400) + 86400) % 86400;
  return QTime(0, 0).addSecs(int(secondOfDay)).toString(QStringLiteral("HH:mm"));
}

// One boat's curve: its runs of known gaps, and where its last known gap is.
struct BoatCurve {
  ChartBoat boat;
  Qt::PenStyle style = Qt::SolidLine;
  std::vector<std::vector<QPointF>> runs;  // (seconds from the gun, seconds behind)
  double worst = 0;
  QPointF last;
  bool endsEarly = false;  // out of the race before the last step
};

std::vector<BoatCurve> curvesOf(const GapChart& chart) {
  std::vector<BoatCurve> curves;
  const std::vector<Qt::PenStyle> styles = ChartPenStyles(chart.boats);
  for (size_t i = 0; i < chart.boats.size(); ++i) {
    BoatCurve curve{chart.boats[i], styles[i], {}, 0, {}, false};
    bool inRun = false;
    size_t lastStep = 0;
    for (size_t s = 0; s < chart.steps.size(); ++s) {
      const double v = secondsOf(chart.steps[s], chart.boats[i].number);
      if (!std::isfinite(v)) {
        inRun = false;
        continue;
      }
      if (!inRun) {
        curve.runs.emplace_back();
        inRun = true;
      }
      curve.last = QPointF(chart.steps[s].time, v);
      curve.runs.back().push_back(curve.last);
      curve.worst = std::max(curve.worst, v);
      lastStep = s;
    }
    curve.endsEarly = lastStep + 1 < chart.steps.size();
    curves.push_back(std::move(curve));
  }
  return curves;
}

// The gap at the bottom edge before rounding to a tick: the worst gap of
// every boat but the stragglers.
double deepestShown(const std::vector<BoatCurve>& curves) {
  std::vector<double> worst;
  for (const BoatCurve& c : curves) {
    worst.push_back(c.worst);
  }
  if (worst.empty()) {
    return 60;
  }
  std::sort(worst.begin(), worst.end());
  const double middle = worst[worst.size() / 2];
  const double limit = middle > 0 ? kOutlierFactor * middle : kInfinity;
  double deepest = worst.front();
  for (double w : worst) {
    if (w <= limit) {
      deepest = w;
    }
  }
  return std::max(deepest, 10.0);
}

// Label middles at least gap apart and as near their wanted places as the
// room from top to bottom allows; squeezed evenly when they do not fit.
std::vector<double> spreadLabels(const std::vector<double>& wanted, double gap, double top, double bottom) {
  const size_t n = wanted.size();
  std::vector<double> placed(n);
  if (n == 0) {
    return placed;
  }
  if (n > 1 && double(n - 1) * gap > bottom - top) {
    gap = (bottom - top) / double(n - 1);
  }
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t(0));
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return wanted[a] < wanted[b]; });
  double previous = -kInfinity;
  for (size_t i : order) {
    placed[i] = std::max({wanted[i], top, previous + gap});
    previous = placed[i];
  }
  double next = kInfinity;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    placed[*it] = std::min({placed[*it], bottom, next - gap});
    next = placed[*it];
  }
  return placed;
}

struct Axes {
  QRectF plot;
  double zeroY = 0;
  double endTime = 1;
  double bottomSeconds = 60;

  double x(double t) const { return plot.left() + std::clamp(t / endTime, 0.0, 1.0) * plot.width(); }
  double y(double seconds) const { return zeroY + seconds / bottomSeconds * (plot.bottom() - zeroY); }
};

QString legendText(const BoatCurve& c, int gunSecondOfDay) {
  if (c.endsEarly) {
    return c.boat.name + QStringLiteral("  out ") + clockText(gunSecondOfDay + std::lround(c.last.x()));
  }
  return c.boat.name + QStringLiteral("  +") + minutesSeconds(c.last.y());
}

// Draws the title and returns where it ends.
double drawTitle(QPainter& p, const GapChart& chart, double pad) {
  p.setPen(kTextColour);
  const QString title = chart.title.isEmpty()
                            ? QStringLiteral("Time behind the leader (min:s)")
                            : chart.title + QStringLiteral(": time behind the leader (min:s)");
  p.drawText(QPointF(pad, pad + p.fontMetrics().ascent()), title);
  return pad + p.fontMetrics().horizontalAdvance(title);
}

// The key to the shades and the rounding lines, right-aligned on the title's
// line; left out when the title leaves no room for it.
void drawKey(QPainter& p, double left, double right, double middleY, double lineHeight) {
  const QFontMetricsF metrics(p.font());
  const double box = lineHeight * 0.7;
  const QString texts[] = {QStringLiteral("leader at a mark"), QStringLiteral("run"), QStringLiteral("beat")};
  double width = 2 * lineHeight;
  for (const QString& text : texts) {
    width += metrics.horizontalAdvance(text) + box + lineHeight * 1.5;
  }
  if (right - width < left) {
    return;
  }
  double x = right;
  const auto item = [&](const QString& text, const auto& drawSymbol) {
    x -= metrics.horizontalAdvance(text);
    DrawTextMiddle(p, x, middleY, text);
    x -= box + lineHeight * 0.3;
    drawSymbol(QRectF(x, middleY - box / 2, box, box));
    x -= lineHeight * 1.2;
  };
  p.setPen(kTextColour);
  item(texts[0], [&](const QRectF& r) {
    p.save();
    p.setPen(QPen(kRoundingColour, 1, Qt::DashLine));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    p.restore();
  });
  for (const auto& [text, shade] : {std::pair{texts[1], kRunShade}, std::pair{texts[2], kBeatShade}}) {
    item(text, [&](const QRectF& r) {
      p.fillRect(r, shade);
      p.save();
      p.setPen(kFrameColour);
      p.drawRect(r);
      p.restore();
    });
  }
}

void drawCurve(QPainter& p, const Axes& axes, const BoatCurve& c, double penWidth) {
  const QColor colour = qcolour(c.boat.colour);
  std::vector<QPointF> points;
  for (const std::vector<QPointF>& run : c.runs) {
    points.clear();
    for (const QPointF& gap : run) {
      points.emplace_back(axes.x(gap.x()), axes.y(gap.y()));
    }
    DrawChartPolyline(p, points, colour, penWidth, c.style);
  }
  if (c.endsEarly) {
    // A cross where the boat left the race.
    const QPointF at(axes.x(c.last.x()), axes.y(c.last.y()));
    const double r = penWidth * 2;
    p.setPen(QPen(colour, penWidth));
    p.drawLine(at + QPointF(-r, -r), at + QPointF(r, r));
    p.drawLine(at + QPointF(-r, r), at + QPointF(r, -r));
  }
}

}  // namespace

GapChart GapChartOf(const LoadedRace& loaded, std::vector<GapStep> steps, const std::vector<int>& boats) {
  GapChart chart;
  const Race& race = loaded.race;
  const CourseResults& results = loaded.results;
  chart.title = race.RaceTitle1;
  chart.steps = std::move(steps);
  chart.boats = ChartBoatsOf(loaded, boats);
  const int items =
      std::min({results.itemCount, static_cast<int>(results.PointBestTime.size()), race.CourseCount()});
  for (int k = 0; k < items; ++k) {
    if (!isPassed(results.PointBestTime[size_t(k)])) {
      continue;
    }
    GapChartRounding rounding;
    rounding.time = results.PointBestTime[size_t(k)];
    rounding.label = k == 0 ? QString() : k == items - 1 ? QStringLiteral("Finish") : race.Course[k];
    if (k + 1 < items && size_t(k) < results.LegSail.size()) {
      rounding.legAfter = results.LegSail[size_t(k)];
    }
    chart.roundings.push_back(rounding);
  }
  chart.gunSecondOfDay = fromDateTime(race.RaceStart).time().msecsSinceStartOfDay() / 1000;
  return chart;
}

// Laid out from the outside in: the title line, the mark names over the
// chart, the time labels under it and the names at its right, then the
// chart takes the rest. Curves are painted with antialiasing over the
// shades and grid, the first boat last.
QImage DrawGapChart(const GapChart& chart, QSize asked) {
  ChartCanvas canvas(asked, QSize(1200, 700));
  QPainter& p = canvas.painter;
  const QSize size = canvas.size;
  const QFont& font = canvas.font;
  const QFontMetricsF& metrics = canvas.metrics;
  const double lineHeight = canvas.lineHeight;
  const double pad = canvas.pad;

  p.setFont(ChartFont(size, true));
  const double titleEnd = drawTitle(p, chart, pad);
  p.setFont(font);
  const double titleBottom = pad + lineHeight * 1.2;
  std::vector<BoatCurve> curves = curvesOf(chart);
  QStringList missing;
  std::erase_if(curves, [&](const BoatCurve& c) {
    if (c.runs.empty()) {
      missing << c.boat.name;
    }
    return c.runs.empty();
  });
  if (chart.steps.empty() || curves.empty()) {
    p.setPen(kTextColour);
    p.drawText(QRectF(0, titleBottom, size.width(), size.height() - titleBottom), Qt::AlignCenter,
               QStringLiteral("No gaps to show: no boat sailed the course."));
    return canvas.finish();
  }
  drawKey(p, titleEnd, size.width() - pad, pad + lineHeight / 2, lineHeight);

  // Names at the right, in a smaller font when there are too many for the
  // height.
  const double sampleLength = lineHeight * 1.6;
  QFont legendFont = font;
  const double legendRoom = size.height() - titleBottom - 4 * lineHeight;
  if (double(curves.size()) * lineHeight > legendRoom) {
    legendFont.setPixelSize(std::max(7, int(legendRoom / double(curves.size()) / 1.15)));
  }
  const QFontMetricsF legendMetrics(legendFont);
  const double maxLegendText = size.width() * 0.28;
  double legendTextWidth = 0;
  QStringList legend;
  for (const BoatCurve& c : curves) {
    legend << legendMetrics.elidedText(legendText(c, chart.gunSecondOfDay), Qt::ElideMiddle, maxLegendText);
    legendTextWidth = std::max(legendTextWidth, legendMetrics.horizontalAdvance(legend.back()));
  }
  const double legendLeftGap = pad * 0.8;

  // Two rows of mark names when two roundings come close.
  std::vector<int> labelRow;
  std::vector<const GapChartRounding*> labelled;
  for (const GapChartRounding& r : chart.roundings) {
    if (!r.label.isEmpty()) {
      labelled.push_back(&r);
    }
  }
  Axes axes;
  axes.endTime = std::max(chart.steps.back().time, 1.0);
  const double left = pad + metrics.horizontalAdvance(QStringLiteral("00:00")) + pad * 0.6;
  const double right = size.width() - pad - legendTextWidth - sampleLength - legendLeftGap * 1.5;
  double rowEnd[2] = {-kInfinity, -kInfinity};
  int rows = 1;
  for (const GapChartRounding* r : labelled) {
    const double x = left + std::clamp(r->time / axes.endTime, 0.0, 1.0) * (right - left);
    const double half = metrics.horizontalAdvance(r->label) / 2 + lineHeight * 0.3;
    const int row = x - half >= rowEnd[0] ? 0 : 1;
    rowEnd[row] = x + half;
    labelRow.push_back(row);
    rows = std::max(rows, row + 1);
  }
  const double footnote = missing.isEmpty() ? 0 : lineHeight * 1.2;
  const double top = titleBottom + lineHeight * (0.4 + rows * 1.1);
  const double bottom = size.height() - pad - lineHeight * 1.3 - footnote;
  axes.plot = QRectF(QPointF(left, top), QPointF(std::max(right, left + 10), std::max(bottom, top + 10)));
  axes.zeroY = axes.plot.top() + lineHeight * 0.5;

  // The scale: ticks at least two lines apart, the bottom on a tick.
  const double deepest = deepestShown(curves) * 1.02;
  const double usable = axes.plot.bottom() - axes.zeroY;
  const double step = StepAtLeast({5, 10, 15, 20, 30, 60, 120, 180, 300, 600, 900, 1200, 1800, 3600, 7200},
                                  deepest * lineHeight * 2.2 / std::max(usable, 1.0));
  axes.bottomSeconds = std::ceil(deepest / step) * step;

  // Shades of the legs, then the grid with its labels.
  const QRectF& plot = axes.plot;
  for (size_t i = 0; i < chart.roundings.size(); ++i) {
    const std::optional<PointOfSail>& leg = chart.roundings[i].legAfter;
    if (!leg || *leg == PointOfSail::Reach) {
      continue;
    }
    const double from = axes.x(chart.roundings[i].time);
    const double to = i + 1 < chart.roundings.size() ? axes.x(chart.roundings[i + 1].time) : plot.right();
    p.fillRect(QRectF(from, plot.top(), to - from, plot.height()),
               *leg == PointOfSail::Upwind ? kBeatShade : kRunShade);
  }
  p.setRenderHint(QPainter::Antialiasing, false);
  for (double v = 0; v <= axes.bottomSeconds + 0.5; v += step) {
    const double y = axes.y(v);
    p.setPen(kGridColour);
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    p.setPen(kTextColour);
    DrawTextMiddle(p, plot.left() - pad * 0.4, y, minutesSeconds(v), true);
  }
  const double clockStep =
      StepAtLeast({60, 120, 300, 600, 900, 1200, 1800, 3600, 7200, 10800},
                  axes.endTime * metrics.horizontalAdvance(QStringLiteral("00:00")) * 2 / plot.width());
  const double firstClock = std::ceil(chart.gunSecondOfDay / clockStep) * clockStep;
  for (double t = firstClock - chart.gunSecondOfDay; t <= axes.endTime; t += clockStep) {
    const double x = axes.x(t);
    p.setPen(kGridColour);
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    p.setPen(kTextColour);
    const QString text = clockText(std::lround(chart.gunSecondOfDay + t));
    p.drawText(QPointF(x - metrics.horizontalAdvance(text) / 2, plot.bottom() + pad * 0.3 + metrics.ascent()),
               text);
  }

  // The leader's roundings.
  for (size_t i = 0; i < labelled.size(); ++i) {
    const double x = axes.x(labelled[i]->time);
    p.setPen(QPen(kRoundingColour, 1, Qt::DashLine));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    p.setPen(kTextColour);
    const double y = plot.top() - lineHeight * (0.2 + 1.1 * (rows - 1 - labelRow[i])) - metrics.descent();
    p.drawText(QPointF(x - metrics.horizontalAdvance(labelled[i]->label) / 2, y), labelled[i]->label);
  }
  p.setPen(kFrameColour);
  p.setBrush(Qt::NoBrush);
  p.drawRect(plot);

  // The curves, clipped to the chart, the first boat on top.
  const double penWidth = std::clamp(lineHeight / 7, 2.0, 3.5);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.save();
  p.setClipRect(plot.adjusted(0, -penWidth, 0, 0));
  for (auto it = curves.rbegin(); it != curves.rend(); ++it) {
    drawCurve(p, axes, *it, penWidth);
  }
  p.restore();

  // Each name beside its last gap, a thin line from the chart's edge to it.
  std::vector<double> wanted;
  for (const BoatCurve& c : curves) {
    wanted.push_back(std::clamp(axes.y(c.last.y()), axes.zeroY, plot.bottom()));
  }
  const std::vector<double> placed =
      spreadLabels(wanted, legendMetrics.height() * 1.02, plot.top() + legendMetrics.height() / 2,
                   size.height() - pad - legendMetrics.height() / 2);
  p.setFont(legendFont);
  for (size_t i = 0; i < curves.size(); ++i) {
    const QColor colour = qcolour(curves[i].boat.colour);
    const double x0 = plot.right() + 2;
    p.setPen(QPen(colour, 1));
    p.drawLine(QPointF(x0, wanted[i]), QPointF(x0 + legendLeftGap, placed[i]));
    DrawPenSample(p, QPointF(x0 + legendLeftGap, placed[i]), sampleLength, colour, penWidth, curves[i].style);
    p.setPen(kTextColour);
    DrawTextMiddle(p, x0 + legendLeftGap + sampleLength + lineHeight * 0.3, placed[i], legend[int(i)]);
  }
  if (!missing.isEmpty()) {
    p.setFont(font);
    p.setPen(kTextColour);
    const QString text = QStringLiteral("No gap known: ") + missing.join(QStringLiteral(", "));
    p.drawText(QPointF(pad, size.height() - pad - metrics.descent()),
               metrics.elidedText(text, Qt::ElideRight, plot.right() - pad));
  }
  return canvas.finish();
}

}  // namespace velaro
