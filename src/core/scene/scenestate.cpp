#include "core/scene/scenestate.h"

#include "core/datetime.h"
#include "core/loadedrace.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velaro {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180;

// The wind graph's time bar runs from 95 (axis start) up to 5 (axis end).
constexpr int kWindBarBottom = 95;
constexpr int kWindBarSpan = 90;

int wrapDegrees(int d) {
  if (d < 0) {
    d += 360;
  }
  if (d > 360) {
    d -= 360;
  }
  return d;
}

bool pairHolds(const std::vector<Fix>& f, int j, double t) {
  return f[j].time <= t && t < f[j + 1].time;
}

}  // namespace

bool isFocused(const SceneOptions& options, const Race& race, int boatIndex) {
  const int focus = boatIndex < static_cast<int>(options.BoatFocused.size())
                        ? options.BoatFocused[boatIndex]
                        : race.boats[boatIndex].BoatFocused;
  return focus > 0;
}

bool SceneCursor::timesInOrder(int boatIndex, const Boat& boat) {
  if (static_cast<int>(trackOrder.size()) <= boatIndex) {
    trackOrder.resize(boatIndex + 1);
  }
  TrackOrder& order = trackOrder[boatIndex];
  const double first = boat.fixes.empty() ? 0 : boat.fixes.front().time;
  const double last = boat.fixes.empty() ? 0 : boat.fixes.back().time;
  if (order.fixes != boat.fixes.data() || order.count != boat.FixCount() || order.first != first ||
      order.last != last) {
    order.fixes = boat.fixes.data();
    order.count = boat.FixCount();
    order.first = first;
    order.last = last;
    order.inOrder = std::is_sorted(boat.fixes.begin(), boat.fixes.end(),
                                   [](const Fix& a, const Fix& b) { return a.time < b.time; });
  }
  return order.inOrder;
}

// Samples are searched cyclically from the pair found last, so that during
// play the search normally ends at its first candidate.
WindAtResult WindAt(const Race& race, double t, int& WindCursor) {
  WindAtResult out;
  SceneWind& w = out.wind;
  const std::vector<WindSample>& s = race.wind;
  const int n = race.WindCount();
  if (n > 0) {
    if (t <= s.front().time) {
      w.DataDir = s.front().dir;
      w.Speed = s.front().speed;
    }
    if (t >= s.back().time) {
      w.DataDir = s.back().dir;
      w.Speed = s.back().speed;
    }
    if (t > s.front().time && t < s.back().time) {
      const int pairs = n - 1;
      const int start = (WindCursor >= 0 && WindCursor < pairs) ? WindCursor : 0;
      for (int k = 0; k < pairs; ++k) {
        const int c = (start + k) % pairs;
        if (s[c].time <= t && t < s[c + 1].time) {
          const double f = (t - s[c].time) / (s[c + 1].time - s[c].time);
          int d = s[c + 1].dir - s[c].dir;
          if (d < -180) {
            d += 360;
          }
          if (d > 180) {
            d -= 360;
          }
          w.DataDir = wrapDegrees(roundToInt(s[c].dir + d * f));
          w.Speed = s[c].speed + (s[c + 1].speed - s[c].speed) * f;
          WindCursor = c;
          const double span = race.TimeAxisEnd - race.TimeAxisStart;
          if (span > 0) {
            out.barTop = roundToInt(kWindBarBottom - (t - race.TimeAxisStart) / span * kWindBarSpan);
          }
          break;
        }
      }
    }
  }
  if (w.DataDir < 0) {
    w.DataDir = race.WindDirection;
  }
  if (w.Speed < 0) {
    w.Speed = kDefaultWindSpeed;
  }
  w.TrueDir = wrapDegrees(roundToInt(race.MagVariation) + w.DataDir);
  return out;
}

QPoint windMarkerTopLeft(int TrueDir, Orientation orientation, int compassWidth, int compassHeight) {
  const double r = compassWidth / 2.0 - 4;
  const double a = TrueDir * kDegToRad;
  const QPointF p = Rotate(orientation.angle(), roundToInt(r * std::sin(a)), roundToInt(-r * std::cos(a)),
                           orientation.isNorthUp());
  return {roundToInt(compassWidth / 2.0 + p.x()) - 4, roundToInt(compassHeight / 2.0 + p.y()) - 4};
}

// The pair that held t last time is tried first, then (on a track in time
// order) the next one, then bisection; a track out of order is searched pair
// by pair round from the cursor, taking the first pair that holds t.
std::optional<int> FindBoatSegment(const Boat& boat, double t, int start, bool inOrder) {
  const std::vector<Fix>& f = boat.fixes;
  const int pairs = boat.FixCount() - 1;
  if (pairs <= 0) {
    return std::nullopt;
  }
  if (start < 0 || start >= pairs) {
    start = 0;
  }
  if (pairHolds(f, start, t)) {
    return start;
  }
  if (inOrder) {
    if (start + 1 < pairs && pairHolds(f, start + 1, t)) {
      return start + 1;
    }
    const auto after =
        std::upper_bound(f.begin(), f.end(), t, [](double v, const Fix& x) { return v < x.time; });
    const int j = static_cast<int>(after - f.begin()) - 1;
    if (j >= 0 && j < pairs && pairHolds(f, j, t)) {
      return j;
    }
    // Outside the track no pair can hold t; inside it bisection cannot miss
    // unless the track was taken for another, so that case is scanned.
    if (t < f.front().time || t >= f.back().time) {
      return std::nullopt;
    }
  }
  for (int k = 1; k < pairs; ++k) {
    const int j = (start + k) % pairs;
    if (pairHolds(f, j, t)) {
      return j;
    }
  }
  return std::nullopt;
}

// Courses are those of the steps from each fix to the next, so at a fix the
// course jumps; the one-second turn keeps the hull from snapping round.
double BoatCourseAt(const Boat& boat, int j, double t) {
  const std::vector<Fix>& f = boat.fixes;
  const double since = t - f[j].time;
  if (since >= 1 || j == 0) {
    return f[j].course;
  }
  const double d = foldAngle(f[j].course - f[j - 1].course);
  double c = f[j - 1].course + d * since;
  if (c >= 360) {
    c -= 360;
  }
  if (c < 0) {
    c += 360;
  }
  return roundToInt(c);
}

int BoatSizeFor(double ScaleLat, double BoatLength, bool ChkBigBoat) {
  double s = ScaleLat * BoatLength / 1852;
  if (ChkBigBoat && s < kBigBoatSize) {
    s = kBigBoatSize;
  }
  if (!(s >= kMinBoatSize)) {
    s = kMinBoatSize;
  }
  // A glyph larger than the map is no use and must stay a valid int.
  return roundToInt(std::min(s, 100000.0));
}

SeaShade seaShadeFor(double p) {
  const int r = std::min(255, roundToInt(1.6 * p));
  const int g = std::min(255, roundToInt(2.2 * p));
  const int b = std::min(255, roundToInt(3.25 * p + 70));
  SeaShade shade;
  shade.SeaColour = {quint8(r), quint8(g), quint8(b)};
  if (p > 50) {
    shade.GridColour = {quint8(std::max(0, r - 50)), quint8(std::max(0, g - 50)), quint8(b)};
  } else {
    shade.GridColour = {quint8(std::min(255, r + 80)), quint8(std::min(255, g + 80)),
                        quint8(std::min(255, b + 80))};
  }
  return shade;
}

double SingleStep(double SceneTime, int direction, double TimeAxisStart, double TimeAxisEnd) {
  const double next = roundToInt(SceneTime + direction);
  if (next > TimeAxisEnd) {
    return TimeAxisStart;
  }
  if (next < TimeAxisStart) {
    return TimeAxisEnd;
  }
  return next;
}

// The state of one frame, in the order the steps depend on each other: wind,
// focus, each boat's fix pair and position, the box the focused boats fill,
// and from it the scale, the boat size and the projection.
SceneState computeScene(const LoadedRace& loaded, const SceneOptions& options, double t,
                        SceneCursor& cursor) {
  const Race& race = loaded.race;
  SceneState s;
  s.t = t;
  s.orientation = {options.northUp ? 1 : 0, race.WindAxis};

  const WindAtResult wind = WindAt(race, t, cursor.WindCursor);
  s.wind = wind.wind;
  s.windBarTop = wind.barTop;
  s.windMarker = windMarkerTopLeft(s.wind.TrueDir, s.orientation);

  const int n = race.BoatCount();
  cursor.BoatSegment.resize(n, 0);
  s.boats.resize(n);
  for (int i = 0; i < n; ++i) {
    const Boat& boat = race.boats[i];
    BoatScene& b = s.boats[i];
    b.BoatFocused = isFocused(options, race, i);
    const std::optional<int> j =
        FindBoatSegment(boat, t, cursor.BoatSegment[i], cursor.timesInOrder(i, boat));
    if (!j) {
      continue;
    }
    cursor.BoatSegment[i] = *j;
    b.BoatSegment = *j;
    const Fix& a = boat.fixes[*j];
    const Fix& z = boat.fixes[*j + 1];
    b.BoatActive = z.time - a.time <= kMaxFixGapSeconds;
  }

  s.TraceBox = GeoBox::startingFrom(kTraceBoxStart);
  for (int i = 0; i < n; ++i) {
    BoatScene& b = s.boats[i];
    if (!b.BoatActive) {
      continue;
    }
    const Boat& boat = race.boats[i];
    const int j = b.BoatSegment;
    const Fix& a = boat.fixes[j];
    const Fix& z = boat.fixes[j + 1];
    const double f = z.time > a.time ? (t - a.time) / (z.time - a.time) : 0;
    b.BoatLat = a.lat + (z.lat - a.lat) * f;
    b.BoatLon = a.lon + (z.lon - a.lon) * f;
    b.BoatCourse = BoatCourseAt(boat, j, t);
    b.BoatSpeed = a.speed;
    b.BoatWindAngle = foldAngle(s.wind.TrueDir - b.BoatCourse);
    ++s.activeCount;
    if (b.BoatFocused) {
      ++s.focusedCount;
      if (s.FocusedBoats.size() < 4) {
        s.FocusedBoats.push_back(i);
      }
      s.TraceBox.widen(b.position());
    }
  }

  // Nobody in focus: the boat list checks every boat again, and this frame
  // already follows all active boats rather than showing an empty box.
  if (s.focusedCount == 0) {
    s.refocusedAll = true;
    for (int i = 0; i < n; ++i) {
      BoatScene& b = s.boats[i];
      b.BoatFocused = true;
      if (b.BoatActive) {
        ++s.focusedCount;
        if (s.FocusedBoats.size() < 4) {
          s.FocusedBoats.push_back(i);
        }
        s.TraceBox.widen(b.position());
      }
    }
  }

  // The last boat sailing is shown with the line it is heading for.
  if (s.activeCount < 2 && loaded.results.FinishLine) {
    s.TraceBox.widen(loaded.results.FinishLine->end1);
    s.TraceBox.widen(loaded.results.FinishLine->end2);
  }
  // Without Auto Trace, or with nothing to follow (no boat sailing and no
  // finish line), the view shows the whole race rather than a point at 0,0.
  if (!options.autoTrace || s.TraceBox.isEmpty()) {
    s.TraceBox = loaded.geometry.RaceExtent;
  }

  s.scale = ComputeLiveScale(s.TraceBox, loaded.geometry.CosCentreLat, options.mapArea.height(),
                             options.ZoomDivisor);
  s.BoatSize = BoatSizeFor(s.scale.ScaleLat, race.BoatLength, options.ChkBigBoat);
  s.projection = LiveProjection(s.TraceBox, s.scale, s.orientation, options.mapArea);
  const SeaShade shade = seaShadeFor(options.SeaBrightness);
  s.SeaColour = shade.SeaColour;
  s.GridColour = shade.GridColour;
  return s;
}

}  // namespace velaro
