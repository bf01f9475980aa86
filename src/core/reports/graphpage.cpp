#include "core/reports/graphpage.h"

#include "core/datetime.h"

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

// Grid lines whose label would sit wholly above the picture are not drawn.
constexpr int kGridAbovePicture = -20;

}  // namespace

int GraphTimeStep(int TimeSpan) {
  const double hours = TimeSpan / 3600.0;
  if (hours > 24) {
    return 3600;
  }
  if (hours > 12) {
    return 1800;
  }
  if (hours > 6) {
    return 900;
  }
  if (hours > 3) {
    return 600;
  }
  return 300;
}

int SpeedFullScale(double MaxTrackSpeed) {
  return std::max(1, truncToInt(MaxTrackSpeed + 1));
}

QString GraphTimeLabel(int seconds) {
  const int h = roundToInt(seconds / 3600.0 - 0.49999);
  const int m = roundToInt((seconds - 3600.0 * h) / 60);
  return QString::number(h) + QLatin1Char(':') + (QStringLiteral("00") + QString::number(m)).right(2);
}

GraphAxes GraphAxes::of(QSize picture, const Race& race, double MaxTrackSpeed) {
  GraphAxes a;
  a.picture = picture;
  a.TimeAxisStart = race.TimeAxisStart;
  a.TimeAxisEnd = race.TimeAxisEnd;
  a.TimeSpan = roundToInt(race.TimeAxisEnd - race.TimeAxisStart);
  a.WindAxis = race.WindAxis;
  a.MagVariation = race.MagVariation;
  a.H = std::max(1, picture.height() - kGraphMargins);
  const double half = picture.width() / 2.0;
  a.WL = std::max(1, roundToInt(half - 45));
  a.x0R = roundToInt(half) + 10;
  a.WR = std::max(1, roundToInt(half - 20));
  a.S = SpeedFullScale(MaxTrackSpeed);
  a.m_yPerSecond = a.TimeSpan > 0 ? double(a.H) / a.TimeSpan : 0;
  a.m_xPerDegree = a.WL / 360.0;
  a.m_xPerKnot = double(a.WR) / a.S;
  return a;
}

std::vector<GraphGridLine> GraphTimeGrid(const GraphAxes& axes) {
  std::vector<GraphGridLine> lines;
  if (!axes.hasTime()) {
    return lines;
  }
  const int step = GraphTimeStep(axes.TimeSpan);
  const int last = roundToInt(double(axes.TimeSpan) / step) + 1;
  for (int i = 0; i <= last; ++i) {
    const int s = i * step;
    const int y = axes.timeY(s);
    if (y < kGridAbovePicture) {
      break;
    }
    const Rgb colour = i == 0 ? kGraphStartColour : s % 3600 == 0 ? kGraphHourColour : kGraphGridColour;
    lines.push_back({y, colour, GraphTimeLabel(s), QPoint(kGraphLabelX, y - 4)});
  }
  return lines;
}

std::vector<GraphGridLine> GraphDirectionGrid(const GraphAxes& axes) {
  std::vector<GraphGridLine> lines;
  const int labelY = axes.bottom() + 5;
  for (int i = 0; i < 36; ++i) {
    const int d = 10 * i;
    const int x = axes.directionX(d);
    if (i % 3 == 0) {
      const QString label = QString::number(d);
      lines.push_back({x, kGraphThirtyDegreeColour, label, QPoint(x - 3 * int(label.size()), labelY)});
    } else {
      lines.push_back({x, kGraphGridColour, QString(), QPoint()});
    }
  }
  return lines;
}

std::vector<GraphGridLine> GraphSpeedGrid(const GraphAxes& axes) {
  std::vector<GraphGridLine> lines;
  const int labelY = axes.bottom() + 5;
  for (int n = 1; n <= 10; ++n) {
    const int x = roundToInt(double(n) * axes.WR / axes.S + axes.x0R);
    const QString label = QString::number(n);
    lines.push_back({x, kGraphGridColour, label, QPoint(x - 3 * int(label.size()), labelY)});
  }
  return lines;
}

BoatCurves boatCurves(const GraphAxes& axes, const Boat& boat) {
  BoatCurves curves;
  curves.course.reserve(boat.fixes.size());
  curves.speed.reserve(boat.fixes.size());
  forEachBoatPoint(axes, boat, [&](QPoint course, QPoint speed) {
    curves.course.push_back(course);
    curves.speed.push_back(speed);
  });
  return curves;
}

std::vector<QPoint> WindCurve(const GraphAxes& axes, const std::vector<WindSample>& wind) {
  std::vector<QPoint> points;
  points.reserve(wind.size());
  for (const WindSample& w : wind) {
    if (axes.plotted(w.time)) {
      points.emplace_back(axes.directionX(w.dir), axes.timeY(w.time));
    }
  }
  return points;
}

bool graphBoatFocused(const Race& race, const std::vector<int>& BoatFocused, int n) {
  if (n < 1 || n > race.BoatCount()) {
    return false;
  }
  const size_t i = static_cast<size_t>(n - 1);
  return (BoatFocused.empty() ? race.boats[i].BoatFocused : i < BoatFocused.size() ? BoatFocused[i] : 0) > 0;
}

}  // namespace velaro
