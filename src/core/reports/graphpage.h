#pragma once

#include "core/analysis/boatcolours.h"
#include "core/datetime.h"
#include "core/race.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <algorithm>
#include <cmath>
#include <vector>

namespace velaro {

// The graph page: two charts of the whole race side by side, time running
// upwards from the start of the time axis at the bottom to its end at the
// top. The left chart holds each boat's course and the wind direction
// (magnetic), the right one each boat's speed.

inline constexpr Rgb kGraphChartColour{225, 225, 255};
inline constexpr Rgb kGraphGridColour{192, 192, 225};
inline constexpr Rgb kGraphHourColour{142, 142, 225};
inline constexpr Rgb kGraphThirtyDegreeColour{162, 162, 225};
inline constexpr Rgb kGraphStartColour{255, 0, 0};
inline constexpr Rgb kGraphTextColour{255, 255, 255};

// Rows above and below the charts: titles above, direction and speed labels
// below.
inline constexpr int kGraphTop = 29;
inline constexpr int kGraphMargins = 66;
inline constexpr int kGraphLeft = 40;
inline constexpr int kGraphLabelX = 10;

// Seconds between time grid lines: five minutes up to three hours, then
// 10, 15, 30 and 60 minutes beyond 3, 6, 12 and 24 hours.
int GraphTimeStep(int TimeSpan);

// Knots across the whole speed chart: the race's top speed rounded up to
// the next whole knot above it (6.3 gives 7, 6 gives 7, 0 gives 1).
int SpeedFullScale(double MaxTrackSpeed);

// "h:mm" of whole seconds after the start signal: 0:00, 0:05, 1:30.
QString GraphTimeLabel(int seconds);

// Where the graph page puts times, directions and speeds in a picture of a
// given size. The picture's height stands for the window's client height,
// which the map area fills.
struct GraphAxes {
  QSize picture;
  double TimeAxisStart = 0;
  double TimeAxisEnd = 0;
  int TimeSpan = 0;  // whole seconds; none left when the axis ends before it starts
  int WindAxis = 0;
  double MagVariation = 0;
  int H = 1;  // chart height, at least one row
  int x0L = kGraphLeft;
  int WL = 0;  // left chart: left edge and width
  int x0R = 0;
  int WR = 0;  // right chart
  int S = 1;   // speed full scale, knots

  static GraphAxes of(QSize picture, const Race& race, double MaxTrackSpeed);

  int bottom() const { return kGraphTop + H; }
  // The filled chart areas, a pixel wider than the charts on each side.
  QRect leftArea() const { return QRect(QPoint(x0L - 1, kGraphTop - 1), QPoint(x0L + WL, bottom() + 1)); }
  QRect rightArea() const { return QRect(QPoint(x0R - 1, kGraphTop - 1), QPoint(x0R + WR, bottom() + 1)); }

  // Whether a time axis is left to plot on, and whether a time lies on it
  // (both ends included).
  bool hasTime() const { return TimeSpan > 0; }
  bool plotted(double t) const { return hasTime() && t >= TimeAxisStart && t <= TimeAxisEnd; }

  // Row of a time in seconds after the start signal.
  int timeY(double s) const {
    return roundScaled(kGraphTop + H - (s - TimeAxisStart) * m_yPerSecond,
                       [&] { return kGraphTop + H - (s - TimeAxisStart) * H / TimeSpan; });
  }
  // Column of a direction on the left chart: WindAxis a quarter of the way
  // across, the chart spanning WindAxis - 90 to WindAxis + 270. Directions
  // fold into 0..360 about the left edge; 360 itself stays at the right edge.
  int directionX(double d) const {
    double e = d - WindAxis + 90;
    // One turn either way covers every course and wind direction; written
    // as selects, which compile without branches.
    e += e < 0 ? 360.0 : 0.0;
    e -= e > 360 ? 360.0 : 0.0;
    if (e < 0 || e > 360) [[unlikely]] {
      e -= 360 * std::floor(e / 360);
    }
    return roundScaled(e * m_xPerDegree + x0L, [&] { return WL * e / 360 + x0L; });
  }
  // A boat's course (true) on the left chart, as a magnetic direction.
  int courseX(double FixCourse) const { return directionX(FixCourse - MagVariation); }
  // Column of a speed on the right chart.
  int speedX(double v) const {
    return roundScaled(v * m_xPerKnot + x0R, [&] { return WR * v / S + x0R; });
  }

 private:
  // A scaled value rounded as the exact quotient would round. Millions of
  // curve points are scaled, so a division is replaced by a multiplication,
  // which can differ from it in the last bits: only a value that lands next
  // to a half, where those bits decide the rounding, is divided exactly.
  //
  // Pixels stay far inside the int range, so values are held to a billion
  // (off the picture either way) and rounded by adding and taking away
  // 1.5 x 2^52, which leaves the nearest whole number, halves to even,
  // without a trip through int.
  template <typename Exact>
  static int roundScaled(double fast, Exact exact) {
    constexpr double kReach = 1e9;
    constexpr double kRounder = 6755399441055744.0;
    fast = std::min(std::max(-kReach, fast), kReach);  // NaN goes to -kReach
    const double rounded = (fast + kRounder) - kRounder;
    if (std::abs(fast - rounded) > 0.5 - 1e-6) [[unlikely]] {
      return roundToInt(exact());
    }
    return static_cast<int>(rounded);
  }

  double m_yPerSecond = 0;
  double m_xPerDegree = 0;
  double m_xPerKnot = 0;
};

// One grid line: its row (time grid) or column (direction and speed grids),
// its colour, and its label with the label's top-left corner (no label when
// the text is empty).
struct GraphGridLine {
  int at = 0;
  Rgb colour;
  QString label;
  QPoint labelAt;
};

// The time grid from the start signal upwards, one line a step, in red at the
// start signal and darker at whole hours. It runs a step past the end of the
// axis, so its last lines may lie above the charts; lines far above the
// picture are left out. Empty without a time axis.
std::vector<GraphGridLine> GraphTimeGrid(const GraphAxes& axes);
// Every 10 degrees, darker and labelled every 30.
std::vector<GraphGridLine> GraphDirectionGrid(const GraphAxes& axes);
// Every knot from 1 to 10; above the full scale they lie right of the chart.
std::vector<GraphGridLine> GraphSpeedGrid(const GraphAxes& axes);

// The plotted points of a series, in file order: only fixes or samples whose
// time lies on the axis. A course crossing the chart's seam is not split:
// the line jumps across the chart.
//
// visit(course, speed) gets a boat's two points of each plotted fix, both
// curves from one pass over the fixes: a long race's fixes are read once.
template <typename Visit>
void forEachBoatPoint(const GraphAxes& axes, const Boat& boat, Visit&& visit) {
  for (const Fix& f : boat.fixes) {
    if (axes.plotted(f.time)) {
      const int y = axes.timeY(f.time);
      visit(QPoint(axes.courseX(f.course), y), QPoint(axes.speedX(f.speed), y));
    }
  }
}
struct BoatCurves {
  std::vector<QPoint> course;
  std::vector<QPoint> speed;
};
BoatCurves boatCurves(const GraphAxes& axes, const Boat& boat);
std::vector<QPoint> WindCurve(const GraphAxes& axes, const std::vector<WindSample>& wind);

// Whether boat n (1-based) is drawn: the boat list's check box when the list
// is given (boat n at n - 1), else the race file's focus.
bool graphBoatFocused(const Race& race, const std::vector<int>& BoatFocused, int n);

}  // namespace velaro
