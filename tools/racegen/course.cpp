#include "racegen/course.h"

#include <algorithm>
#include <cmath>

namespace velaro::racegen {

Vec CourseLayout::itemPoint(int k) const {
  const CourseItem& item = items[k];
  return item.isLine ? lines[item.index].middle() : marks[item.index];
}

Vec CourseLayout::incoming(int k) const {
  if (k == 0) {
    return bearingVec(windDir);
  }
  return (itemPoint(k) - itemPoint(k - 1)).unit();
}

Vec CourseLayout::outgoing(int k) const {
  if (k + 1 >= static_cast<int>(items.size())) {
    return incoming(k);
  }
  return (itemPoint(k + 1) - itemPoint(k)).unit();
}

namespace {

Segment squareToWind(Vec middle, Vec up, double length, double biasDeg) {
  const Vec across = bearingVec(bearingOf(up) + 90 + biasDeg);
  return {middle + across * (length / 2), middle - across * (length / 2)};
}

}  // namespace

CourseLayout layoutCourse(const CourseParams& p, Rng& rng) {
  CourseLayout c;
  c.windDir = p.windDir;
  c.legMetres = p.legMetres;
  const Vec up = bearingVec(p.windDir);
  const Vec right = up.right();
  const double lengthPerBoat = Polar::kBoatLengthMetres * 1.6;
  const double startLength = std::max(90.0, p.boats * lengthPerBoat);
  // The committee boat is the starboard end (end 1), the pin the port end;
  // a few degrees of bias favour the pin as committees usually leave it.
  c.lines.push_back(squareToWind({0, 0}, up, startLength, rng.uniform(2, 5)));
  c.startLine = 0;

  const Vec windward = up * p.legMetres + right * rng.uniform(-20, 20);
  c.marks.push_back(windward);
  const int laps = std::max(1, p.laps);

  if (p.shape == CourseShape::WindwardLeeward) {
    c.marks.push_back(windward - right * 70 - up * 15);  // offset mark
    // A one-lap race has no use for the gate.
    if (laps > 1) {
      c.lines.push_back(squareToWind(up * -160, up, 60, 0));
      c.gateLine = 1;
    }
    c.lines.push_back(squareToWind(up * -70 - right * (startLength / 2 + 70), up, 80, 0));
    c.finishLine = static_cast<int>(c.lines.size()) - 1;
    c.items.push_back({true, 0});
    for (int lap = 0; lap < laps; ++lap) {
      c.items.push_back({false, 0});
      c.items.push_back({false, 1});
      c.items.push_back(lap + 1 < laps ? CourseItem{true, c.gateLine} : CourseItem{true, c.finishLine});
    }
  } else {
    const Vec leeward = up * -220;
    const Vec half = (windward - leeward) * 0.5;
    // An equilateral triangle: both reaches at 120 degrees to the wind.
    const Vec wing = leeward + half - half.right() * std::sqrt(3.0);
    c.marks.push_back(wing);
    c.marks.push_back(leeward);
    c.lines.push_back(squareToWind(leeward + up * 110 + right * (startLength / 2 + 80), up, 80, 0));
    c.finishLine = 1;
    c.items.push_back({true, 0});
    for (int lap = 0; lap < laps; ++lap) {
      c.items.push_back({false, 0});
      if (lap == 0) {
        c.items.push_back({false, 1});
      }
      c.items.push_back({false, 2});
    }
    c.items.push_back({true, 1});
  }
  // The finish line is laid square to the last leg, as committees lay it, so
  // that boats cross it squarely and well inside its ends.
  {
    const int last = static_cast<int>(c.items.size()) - 1;
    Segment& finish = c.lines[c.finishLine];
    const Vec middle = finish.middle();
    const Vec way = (middle - c.itemPoint(last - 1)).unit();
    const double half = (finish.end1 - finish.end2).length() / 2;
    finish = {middle + way.right() * -half, middle + way.right() * half};
  }
  // Comparison lines across the first beat at a third and two thirds.
  for (double f : {1.0 / 3.0, 2.0 / 3.0}) {
    c.refLines.push_back(squareToWind(up * (p.legMetres * f), up, p.legMetres * 1.2, 0));
  }
  return c;
}

double legForDuration(CourseShape shape, int laps, double raceSeconds, double tws, const Polar& polar) {
  const double up = polar.beatVmg(tws) * kMetresPerSecondPerKnot * 0.93;
  const double down = polar.runVmg(tws) * kMetresPerSecondPerKnot * 0.93;
  const double reach = polar.speed(120, tws) * kMetresPerSecondPerKnot * 0.95;
  laps = std::max(1, laps);
  // Seconds per metre of leg length summed over the legs.
  double perMetre = 0;
  if (shape == CourseShape::WindwardLeeward) {
    perMetre = laps * (1.0 / up + 1.0 / down);
  } else {
    perMetre = laps * (1.0 / up) + 2 / reach + (laps - 1) * (1.0 / down);
  }
  return std::clamp(raceSeconds / perMetre, 300.0, 6000.0);
}

}  // namespace velaro::racegen
