#include "racegen/simulation.h"

#include "core/analysis/manoeuvres.h"
#include "core/analysis/starts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velaro::racegen {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kTurnRateDegPerSecond = 11.0;
constexpr double kAccelerateSeconds = 9.0;
constexpr double kDecelerateSeconds = 4.0;
// A change of side at this rate of turn or more is a tack or gybe.
constexpr double kManoeuvreTurnDegPerSecond = 3.0;

enum class Phase { Wander, Setup, Hold, Final, Return, Racing, Finished, Retired, Ashore };

// What distinguishes one crew from another.
struct Crew {
  double speedFactor = 1;     // fraction of the polar speed
  double pointing = 0;        // degrees added to the best beat angle
  double shiftThreshold = 6;  // degrees of header before tacking
  double overstand = 2;       // degrees past the layline before tacking
  double overstandRun = 3;
  // How far towards the laylines the crew goes before coming back to the
  // middle, as a fraction of the layline angle: 1 sails to the corners.
  double sideLimit = 0.7;
  double windBias = 0;  // how this crew reads the wind: a slow wobble
  double windBiasPeriod = 300;
  double windBiasPhase = 0;
  double roundOffset = 8;  // metres off a mark when rounding
  double wobblePhase = 0;
};

// A boat as the simulation steers it: its crew, where it is in the race and
// what it means to do next.
struct SailingBoat {
  Crew crew;
  Phase phase = Phase::Wander;
  Vec pos;
  double heading = 0;
  double speed = 3;
  double meanWind = 0;
  int lastSideChange = -10000;
  int side = 1;  // +1 starboard (wind over the right side), -1 port
  int item = 0;
  // Start plan.
  Vec linePoint;
  double startAt = 0;  // seconds at which it means to cross
  double lead = 50;
  bool overEarly = false;
  bool mustReturn = false;
  Vec wanderTarget;
  int gateEnd = -1;
  bool lineRecover = false;  // past a line without crossing it: going back
  int logEnd = std::numeric_limits<int>::max();
  int phaseSince = 0;
  double retireAt = std::numeric_limits<double>::infinity();
  // Every passage of the heading through the wind or its opposite while
  // racing; measureManoeuvres makes manoeuvres of them.
  struct Crossing {
    double t;
    bool gybe;
    bool turning;
    int sideBefore;
    int sideAfter;
  };
  std::vector<Crossing> crossings;
  SimBoat out;
};

int sideOf(double heading, double windDir) {
  return diffDeg(heading, windDir) < 0 ? 1 : -1;
}

// The fleet, one second at a time. For each boat: the wind it feels (the
// area's wind with the crew's own misreading), a wanted heading from its
// phase (pre-start wander, sail to a set-up point, hold, timed run at the
// line, racing to the next course item, home), a turn of at most 11 degrees
// a second, and a speed that follows the polar with a lag, so that every tack
// and gybe costs distance. Upwind and downwind the crews sail their best
// VMG angles and change sides at the laylines, on shifts against a
// five-minute mean wind, and when they have gone far enough to one side.
class Simulator {
 public:
  Simulator(const SimParams& params, const Polar& polar, const WindModel& wind, Rng& rng)
      : m_params(params), m_polar(polar), m_wind(wind), m_rng(rng) {}

  SimResult run();

 private:
  void initBoat(SailingBoat& b, int index, Rng& rng);
  double perceivedWind(const SailingBoat& b, double windDir, int t) const;
  double steerTo(SailingBoat& b, Vec target, double windDir, double tws, int t);
  void decide(SailingBoat& b, int t, double windDir, double tws, double* desired, double* cap);
  Vec markAim(const SailingBoat& b, int k) const;
  Vec gateAim(SailingBoat& b, int k);
  Vec finishAim(const SailingBoat& b, int k) const;
  static Vec throughSpot(const SailingBoat& b, Vec spot, double beyond);
  Vec throughDir(int k) const;
  void move(SailingBoat& b, double desired, double cap, double windDir, double tws, int t);
  void checkPassing(SailingBoat& b, Vec from, int t);
  void measureManoeuvres(std::vector<SailingBoat>& boats) const;
  void changePhase(SailingBoat& b, Phase p, int t) {
    b.phase = p;
    b.phaseSince = t;
  }

  const SimParams& m_params;
  const Polar& m_polar;
  const WindModel& m_wind;
  Rng& m_rng;
  CourseLayout m_course;
  Vec m_up;
  Vec m_right;
};

void Simulator::initBoat(SailingBoat& b, int index, Rng& rng) {
  Crew& c = b.crew;
  c.speedFactor = std::clamp(rng.normal(1.0, 0.018), 0.95, 1.03);
  c.pointing = std::clamp(rng.normal(0.0, 1.0), -2.0, 2.0);
  c.shiftThreshold = rng.uniform(2.5, 6.0);
  c.overstand = rng.chance(0.2) ? rng.uniform(-1.5, 0.0) : rng.uniform(0.5, 4.0);
  c.overstandRun = rng.uniform(0.5, 5.0);
  c.sideLimit = rng.chance(0.15) ? 1.0 : rng.uniform(0.25, 0.75);
  c.windBias = rng.uniform(1.0, 3.0);
  c.windBiasPeriod = rng.uniform(150, 400);
  c.windBiasPhase = rng.uniform(0, 2 * M_PI);
  c.roundOffset = rng.uniform(8, 14);
  c.wobblePhase = rng.uniform(0, 2 * M_PI);
  b.out.speedFactor = c.speedFactor;

  const Segment& start = m_course.lines[m_course.startLine];
  const double halfLine = (start.end1 - start.end2).length() / 2;
  b.pos = m_right * rng.uniform(-halfLine - 150, halfLine + 150) - m_up * rng.uniform(150, 550);
  b.heading = normDeg(m_course.windDir + (rng.chance(0.5) ? 90 : -90) + rng.uniform(-20, 20));
  b.speed = rng.uniform(2, 4);
  b.meanWind = m_course.windDir;
  b.wanderTarget = b.pos;

  // Most crews aim for the favoured pin half, clear of the ends by more than
  // a boat's steering and a fix's wander; when they cross depends on how
  // well they judge time and distance.
  const double margin = std::max(0.15, 20.0 / (start.end1 - start.end2).length());
  const double along = margin + (1 - 2 * margin) * std::pow(rng.uniform(), 1.3);
  b.linePoint = start.end2 + (start.end1 - start.end2) * along - m_up * 1.0;
  const double judge = rng.uniform();
  if (judge < 0.2) {
    b.startAt = rng.uniform(8, 30);  // late
  } else {
    b.startAt = std::fabs(rng.normal(0.0, 2.5)) + 0.5;
  }
  b.lead = rng.uniform(40, 75);
  if (m_params.oneOverTheLine && index == 1) {
    b.startAt = -8;
    b.lead = 40;
    b.overEarly = true;
    b.linePoint = start.end2 + (start.end1 - start.end2) * 0.45;
  }
  b.out.passTimes.assign(m_course.items.size(), kNaN);
}

double Simulator::perceivedWind(const SailingBoat& b, double windDir, int t) const {
  return windDir + b.crew.windBias * std::sin(2 * M_PI * t / b.crew.windBiasPeriod + b.crew.windBiasPhase);
}

// Heading towards target: straight when the target can be laid, otherwise on
// the best upwind or downwind angle, changing tack at the laylines and on
// shifts. Sets the boat's side; returns the wanted heading.
double Simulator::steerTo(SailingBoat& b, Vec target, double windDir, double tws, int t) {
  const Vec to = target - b.pos;
  const double bearing = bearingOf(to);
  const double rel = diffDeg(bearing, windDir);
  const double beat = m_polar.beatAngle(tws) + b.crew.pointing;
  const double run = m_polar.runAngle(tws);
  const double deflect = 180 - run;
  const double relDown = diffDeg(bearing, windDir + 180);
  const double shift = diffDeg(windDir, b.meanWind);
  const double dist = to.length();
  const bool canChange = t - b.lastSideChange > 45 && dist > 120;

  // The side the crew means to be on; a tack or gybe takes some seconds, in
  // which the heading still shows the old side.
  const int current = b.side;
  // A change of side is held back for a few seconds after the last one, so
  // that a boat on a layline does not tack to and fro.
  auto settle = [&](int want) {
    if (want != current) {
      if (t - b.lastSideChange > 12) {
        b.lastSideChange = t;
      } else {
        want = current;
      }
    }
    b.side = want;
    return want;
  };
  if (std::fabs(rel) < beat + std::max(0.0, b.crew.overstand)) {
    int want = current;
    if (rel >= beat + b.crew.overstand) {
      want = -1;
    } else if (rel <= -(beat + b.crew.overstand)) {
      want = 1;
    } else if (canChange) {
      const double side = beat * b.crew.sideLimit;
      if (current == 1 && (shift < -b.crew.shiftThreshold || rel > side)) {
        want = -1;
      } else if (current == -1 && (shift > b.crew.shiftThreshold || rel < -side)) {
        want = 1;
      }
    }
    return normDeg(windDir - settle(want) * beat);
  }
  if (std::fabs(relDown) < deflect + b.crew.overstandRun) {
    int want = current;
    if (relDown >= deflect + b.crew.overstandRun) {
      want = 1;
    } else if (relDown <= -(deflect + b.crew.overstandRun)) {
      want = -1;
    } else if (canChange) {
      const double side = deflect * b.crew.sideLimit;
      if (current == 1 && (shift > b.crew.shiftThreshold || relDown < -side)) {
        want = -1;
      } else if (current == -1 && (shift < -b.crew.shiftThreshold || relDown > side)) {
        want = 1;
      }
    }
    return normDeg(windDir - settle(want) * run);
  }
  b.side = sideOf(bearing, windDir);
  return bearing;
}

Vec Simulator::markAim(const SailingBoat& b, int k) const {
  const Vec mark = m_course.itemPoint(k);
  const Vec in = m_course.incoming(k);
  const Vec out = m_course.outgoing(k);
  // Marks are left to port: the boat passes on the right of its way in and
  // of its way out, so it aims at the outside of the turn.
  Vec outside = in.right() + out.right();
  if (outside.length() < 0.3) {
    outside = in.right() + in;
  }
  return mark + outside.unit() * b.crew.roundOffset;
}

Vec Simulator::gateAim(SailingBoat& b, int k) {
  const Segment& gate = m_course.lines[m_course.items[k].index];
  if (b.gateEnd < 0) {
    // The gate end nearer the boat as it comes down, with a coin for the
    // boats in the middle.
    const double d1 = (b.pos - gate.end1).length();
    const double d2 = (b.pos - gate.end2).length();
    b.gateEnd = std::fabs(d1 - d2) < 40 ? (m_rng.chance(0.5) ? 1 : 2) : (d1 < d2 ? 1 : 2);
  }
  const Vec end = b.gateEnd == 1 ? gate.end1 : gate.end2;
  const Vec other = b.gateEnd == 1 ? gate.end2 : gate.end1;
  // Through a spot well inside the buoy, on the boat's own line of approach,
  // so that a fix's wander cannot put the crossing outside the gate.
  const Vec spot = end + (other - end).unit() * (b.crew.roundOffset + 6);
  if (!std::isnan(b.out.passTimes[k])) {
    return spot + throughDir(k) * 25;  // through: carry on a little
  }
  return throughSpot(b, spot, 25);
}

// Boats cross the finish line in its middle.
Vec Simulator::finishAim(const SailingBoat& b, int k) const {
  const Vec middle = m_course.lines[m_course.items[k].index].middle();
  const Vec in = throughDir(k);
  if (in.dot(bearingVec(m_course.windDir)) > 0.5) {
    // Beating to the line: a point just beyond its middle keeps both
    // laylines inside the ends.
    return middle + in * 15;
  }
  return throughSpot(b, middle, 40);
}

// The way through line item k: square to the line, on the course's side.
Vec Simulator::throughDir(int k) const {
  const Segment& line = m_course.lines[m_course.items[k].index];
  const Vec normal = (line.end1 - line.end2).right().unit();
  return normal.dot(m_course.incoming(k)) >= 0 ? normal : normal * -1;
}

// A point beyond spot on the straight line from the boat through it.
Vec Simulator::throughSpot(const SailingBoat& b, Vec spot, double beyond) {
  const Vec to = spot - b.pos;
  return to.length() < 1 ? spot : spot + to.unit() * beyond;
}

void Simulator::decide(SailingBoat& b, int t, double windDir, double tws, double* desired, double* cap) {
  *cap = 1.0;
  const Segment& start = m_course.lines[m_course.startLine];
  const double beat = m_polar.beatAngle(tws) + b.crew.pointing;
  const double vBeat = m_polar.speed(beat, tws) * b.crew.speedFactor * kMetresPerSecondPerKnot;

  switch (b.phase) {
    case Phase::Wander: {
      *cap = 0.7;
      if ((b.wanderTarget - b.pos).length() < 40) {
        const double halfLine = (start.end1 - start.end2).length() / 2;
        b.wanderTarget =
            m_right * m_rng.uniform(-halfLine - 120, halfLine + 120) - m_up * m_rng.uniform(90, 450);
      }
      *desired = steerTo(b, b.wanderTarget, windDir, tws, t);
      // Time to head for the set-up point: enough to get there and wait a
      // little.
      const Vec setup = b.linePoint - bearingVec(windDir - beat) * (vBeat * 0.85 * b.lead);
      const double toSetup = (setup - b.pos).length() / std::max(0.5, vBeat * 0.7);
      if (t >= b.startAt - b.lead - 40 - toSetup) {
        changePhase(b, Phase::Setup, t);
      }
      break;
    }
    case Phase::Setup: {
      *cap = 0.85;
      const Vec closeHauled = bearingVec(windDir - beat);
      const Vec setup = b.linePoint - closeHauled * (vBeat * 0.85 * b.lead);
      *desired = steerTo(b, setup, windDir, tws, t);
      const double toLine = (b.linePoint - b.pos).length();
      if ((setup - b.pos).length() < 25) {
        changePhase(b, Phase::Hold, t);
      } else if (t >= b.startAt - toLine / (vBeat * 0.85) - 6) {
        changePhase(b, Phase::Final, t);
      }
      break;
    }
    case Phase::Hold: {
      // Sails eased, close reaching slowly: waiting for the moment to go.
      *cap = 0.25;
      *desired = normDeg(windDir - 60);
      const double toLine = (b.linePoint - b.pos).length();
      if (t >= b.startAt - toLine / (vBeat * 0.85) - 6) {
        changePhase(b, Phase::Final, t);
      }
      break;
    }
    case Phase::Final:
    case Phase::Return: {
      const Vec across = start.end1 - start.end2;
      const double below = -(b.pos - start.end2).dot(m_up);  // metres on the pre-start side
      const double alongLine = (b.pos - start.end2).dot(across.unit());
      const bool inFront = alongLine > -20 && alongLine < across.length() + 20;
      // Past the line without crossing it between its ends (round an end,
      // or over early): back below it and start again.
      if (b.phase == Phase::Final && t >= 0 && below < -5) {
        changePhase(b, Phase::Return, t);
      }
      // Through the chosen spot on the line: straight at it when it can be
      // laid, otherwise on the wind towards it.
      auto throughLine = [&] {
        const Vec to = b.linePoint - b.pos;
        const bool belowSpot = (b.pos - b.linePoint).dot(m_up) < -5;
        if (belowSpot && std::fabs(diffDeg(bearingOf(to), windDir)) >= beat) {
          return b.linePoint + to.unit() * 150;
        }
        return b.linePoint + m_up * 150;
      };
      Vec aim = throughLine();
      if (b.phase == Phase::Return) {
        aim = b.linePoint - m_up * 30;
        if ((aim - b.pos).length() < 20) {
          b.mustReturn = false;
          b.startAt = t;
          changePhase(b, Phase::Final, t);
          aim = throughLine();
        }
      }
      *desired = steerTo(b, aim, windDir, tws, t);
      if (b.phase == Phase::Final && !b.overEarly && t < 0) {
        const double toGo = b.startAt - t;
        const double needed = below / std::max(0.5, vBeat);
        if (toGo > needed + 2) {
          // Early: luff to burn time.
          *cap = std::clamp(below / toGo / std::max(0.5, vBeat), 0.15, 1.0);
        }
        // Clear of the line by more than a GPS fix wanders, so that no
        // log shows a crossing before the gun that was not sailed.
        if (inFront && below < 14) {
          *cap = 0.05;
          *desired = normDeg(windDir - 30);
        }
      }
      break;
    }
    case Phase::Racing: {
      const int k = b.item;
      const CourseItem& item = m_course.items[k];
      Vec aim;
      if (!item.isLine) {
        aim = markAim(b, k);
      } else if (item.index == m_course.gateLine) {
        aim = gateAim(b, k);
      } else {
        aim = finishAim(b, k);
      }
      if (item.isLine && std::isnan(b.out.passTimes[k])) {
        // Past a line outside its ends: back to the near side to cross it.
        const Segment& line = m_course.lines[item.index];
        const double past = (b.pos - line.middle()).dot(throughDir(k));
        const Vec front = line.middle() - throughDir(k) * 40;
        if (past > 5) {
          b.lineRecover = true;
        }
        if (b.lineRecover) {
          if (past > -10) {
            // Round the nearer end on the far side, never back through the
            // line.
            const Vec along = (line.end1 - line.end2).unit();
            const double offset = (b.pos - line.middle()).dot(along);
            const Vec end = offset > 0 ? line.end1 : line.end2;
            aim = end + along * (offset > 0 ? 25.0 : -25.0) - throughDir(k) * 25;
          } else {
            aim = front;  // then square in front of the line
          }
          if ((front - b.pos).length() < 15) {
            b.lineRecover = false;
          }
        }
      }
      *desired = steerTo(b, aim, windDir, tws, t);
      if (!item.isLine) {
        const double dist = (aim - b.pos).length();
        if (dist < 12 || (dist < 45 && (b.pos - aim).dot(m_course.incoming(k)) > 0)) {
          b.out.passTimes[k] = t;
          ++b.item;
          b.meanWind = windDir;
        }
      } else if (item.index == m_course.gateLine && !std::isnan(b.out.passTimes[k])) {
        // Through the gate by a few lengths: round up for the next beat.
        const Segment& gate = m_course.lines[item.index];
        if ((b.pos - gate.middle()).dot(throughDir(k)) > 12) {
          ++b.item;
          b.gateEnd = -1;
          b.meanWind = windDir;
        }
      }
      if (t >= b.retireAt) {
        b.out.retired = true;
        b.logEnd = t + m_rng.integer(60, 180);
        changePhase(b, Phase::Retired, t);
      }
      break;
    }
    case Phase::Finished:
    case Phase::Retired: {
      if (t - b.phaseSince > 20) {
        *cap = 0.45;
        *desired = steerTo(b, m_params.harbour, windDir, tws, t);
      } else {
        *desired = b.heading;
      }
      break;
    }
    case Phase::Ashore:
      break;
  }
}

void Simulator::move(SailingBoat& b, double desired, double cap, double windDir, double tws, int t) {
  // A helmsman never holds a course exactly.
  desired += 1.2 * std::sin(2 * M_PI * t / 23.0 + b.crew.wobblePhase);
  const double turn = std::clamp(diffDeg(desired, b.heading), -kTurnRateDegPerSecond, kTurnRateDegPerSecond);
  const int sideBefore = sideOf(b.heading, windDir);
  b.heading = normDeg(b.heading + turn);
  if (b.phase == Phase::Racing && sideOf(b.heading, windDir) != sideBefore) {
    const bool tack = std::fabs(diffDeg(b.heading, windDir)) < 90;
    if (tack) {
      ++b.out.tacks;
    } else {
      ++b.out.gybes;
    }
    // The moment within the second at which the heading passed the wind.
    const double boundary = tack ? windDir : windDir + 180;
    const double before = diffDeg(b.heading - turn, boundary);
    const double after = diffDeg(b.heading, boundary);
    const double f = before != after ? std::clamp(before / (before - after), 0.0, 1.0) : 0.5;
    b.crossings.push_back({t - 1 + f, !tack, std::fabs(turn) >= kManoeuvreTurnDegPerSecond, sideBefore,
                           sideOf(b.heading, windDir)});
  }
  const double twa = std::fabs(diffDeg(b.heading, windDir));
  double target = m_polar.speed(twa, tws) * b.crew.speedFactor * cap;
  if (std::fabs(turn) > 4) {
    target *= 0.85;  // rudder and sails out of trim in the turn
  }
  const double tau = target > b.speed ? kAccelerateSeconds : kDecelerateSeconds;
  b.speed += (target - b.speed) * (1 - std::exp(-1.0 / tau));
  b.pos = b.pos + bearingVec(b.heading) * (b.speed * kMetresPerSecondPerKnot);
}

void Simulator::checkPassing(SailingBoat& b, Vec from, int t) {
  const Vec to = b.pos;
  auto crossing = [&](const Segment& line) { return segmentCrossing(from, to, line.end1, line.end2); };

  const bool beforeStart = b.phase == Phase::Wander || b.phase == Phase::Setup || b.phase == Phase::Hold ||
                           b.phase == Phase::Final || b.phase == Phase::Return;
  if (beforeStart) {
    const Segment& start = m_course.lines[m_course.startLine];
    const double f = crossing(start);
    if (f >= 0) {
      const double when = t - 1 + f;
      const bool upwards = (to - from).dot(m_up) > 0;
      if (upwards && when < 0) {
        if (std::isnan(b.out.earlyCrossing)) {
          b.out.earlyCrossing = when;
        }
        b.mustReturn = true;
      } else if (upwards && !b.mustReturn && (b.phase == Phase::Final || b.phase == Phase::Return)) {
        b.out.passTimes[0] = when;
        b.item = 1;
        b.meanWind = m_wind.at(t).dirTrue;
        changePhase(b, Phase::Racing, t);
      }
    }
    if (b.mustReturn && b.phase == Phase::Final && t >= 4) {
      b.overEarly = false;
      changePhase(b, Phase::Return, t);
    }
    return;
  }
  if (b.phase == Phase::Retired) {
    // The logger is switched off before a retired boat's way home crosses
    // a course line, which would read as a passing.
    for (const Segment& line : m_course.lines) {
      if (crossing(line) >= 0) {
        b.logEnd = std::min(b.logEnd, t - 1);
      }
    }
    return;
  }
  if (b.phase != Phase::Racing) {
    return;
  }
  const int k = b.item;
  const CourseItem& item = m_course.items[k];
  if (!item.isLine || !std::isnan(b.out.passTimes[k])) {
    return;
  }
  const double f = crossing(m_course.lines[item.index]);
  if (f < 0 || (to - from).dot(throughDir(k)) <= 0) {
    return;
  }
  b.out.passTimes[k] = t - 1 + f;
  if (k + 1 == static_cast<int>(m_course.items.size())) {
    b.out.finished = true;
    b.logEnd = t + m_rng.integer(60, 300);
    changePhase(b, Phase::Finished, t);
  }
}

// The loss of every manoeuvre on the true track and in the true wind, and
// whether it belongs to a rounding; each boat's distance to the start line
// at the gun, with the pin at end 2 and the committee boat at end 1.
void Simulator::measureManoeuvres(std::vector<SailingBoat>& boats) const {
  const Segment& start = m_course.lines[m_course.startLine];
  velaro::StartLine line;
  line.pinX = start.end2.x;
  line.pinY = start.end2.y;
  line.committeeX = start.end1.x;
  line.committeeY = start.end1.y;
  line.courseX = m_up.x;
  line.courseY = m_up.y;
  const int items = static_cast<int>(m_course.items.size());
  for (SailingBoat& b : boats) {
    // Crossings of the same kind in quick succession are one turn: ending
    // on the other side it is a manoeuvre, there and back is none. Drifting
    // across without turning is none either.
    std::vector<SimManoeuvre>& list = b.out.manoeuvres;
    const auto& c = b.crossings;
    for (std::size_t i = 0; i < c.size();) {
      std::size_t j = i + 1;
      bool turning = c[i].turning;
      while (j < c.size() && c[j].gybe == c[i].gybe && c[j].t - c[j - 1].t < velaro::kThereAndBackSeconds) {
        turning = turning || c[j].turning;
        ++j;
      }
      if (c[i].sideBefore != c[j - 1].sideAfter && turning) {
        list.push_back({c[i + (j - i) / 2].t, c[i].gybe});
      }
      i = j;
    }
    const std::vector<TruthFix>& track = b.out.track;
    const int first = track.front().t;
    auto at = [&](double t, const TruthFix*& lo, double& f) {
      const double u = t - first;
      if (u < 0 || u > static_cast<double>(track.size() - 1)) {
        return false;
      }
      const std::size_t i = std::min(static_cast<std::size_t>(u), track.size() - 2);
      lo = &track[i];
      f = u - static_cast<double>(i);
      return true;
    };
    auto position = [&](double t, double& x, double& y) {
      const TruthFix* lo;
      double f;
      if (!at(t, lo, f)) {
        return false;
      }
      x = lo->pos.x + (lo[1].pos.x - lo->pos.x) * f;
      y = lo->pos.y + (lo[1].pos.y - lo->pos.y) * f;
      return true;
    };
    auto speed = [&](double t, double& v) {
      const TruthFix* lo;
      double f;
      if (!at(t, lo, f)) {
        return false;
      }
      v = (lo->speed + (lo[1].speed - lo->speed) * f) * kMetresPerSecondPerKnot;
      return true;
    };
    // The loss is read between the neighbouring changes of side and passings.
    std::vector<double> events;
    for (const SimManoeuvre& m : b.out.manoeuvres) {
      events.push_back(m.t);
    }
    for (double pass : b.out.passTimes) {
      if (!std::isnan(pass)) {
        events.push_back(pass);
      }
    }
    std::sort(events.begin(), events.end());
    for (SimManoeuvre& m : b.out.manoeuvres) {
      velaro::LossMeasure loss;
      const auto kind = m.gybe ? velaro::ManoeuvreKind::Gybe : velaro::ManoeuvreKind::Tack;
      const auto after = std::upper_bound(events.begin(), events.end(), m.t + 0.5);
      const auto before = std::lower_bound(events.begin(), events.end(), m.t - 0.5);
      const double previous = before == events.begin() ? -kInfinity : *(before - 1);
      const double next = after == events.end() ? kInfinity : *after;
      velaro::measureLoss(m.t, kind, m_wind.at(m.t).dirTrue, previous, next, position, speed, loss,
                          m.metresLost);
      for (int k = 1; k + 1 < items; ++k) {
        const double pass = b.out.passTimes[k];
        m.atRounding =
            m.atRounding || (!std::isnan(pass) && std::fabs(m.t - pass) <= velaro::kRoundingSeconds);
      }
    }
    double x, y;
    if (position(0, x, y)) {
      b.out.gunLineMetres = velaro::lineDistanceMetres(line, x, y);
    }
  }
}

SimResult Simulator::run() {
  Rng courseRng = m_rng.fork(1);
  m_course = layoutCourse(m_params.course, courseRng);
  m_up = bearingVec(m_course.windDir);
  m_right = m_up.right();

  std::vector<SailingBoat> boats(m_params.boats);
  int earliest = 0;
  for (int i = 0; i < m_params.boats; ++i) {
    Rng boatRng = m_rng.fork(100 + i);
    initBoat(boats[i], i, boatRng);
    // Loggers are switched on on the way out, well before the pre-start.
    const int logStart = -m_params.preStartSeconds - boatRng.integer(420, 900);
    boats[i].out.track.reserve(4096);
    boats[i].phaseSince = logStart;
    boats[i].lastSideChange = logStart;
    boats[i].out.track.push_back(
        {logStart, boats[i].pos, boats[i].heading, boats[i].speed, m_wind.at(logStart).dirTrue});
    earliest = std::min(earliest, logStart);
  }
  if (m_params.retiringBoat >= 0 && m_params.retiringBoat < m_params.boats) {
    boats[m_params.retiringBoat].retireAt =
        std::floor(m_params.expectedRaceSeconds * m_rng.uniform(0.4, 0.6));
  }

  const int limit = static_cast<int>(m_params.expectedRaceSeconds * 3 + 600);
  double lastFinish = 0;
  int t = earliest;
  for (; t < limit; ++t) {
    const WindState w = m_wind.at(t);
    bool anyLogging = false;
    for (SailingBoat& b : boats) {
      if (b.phase == Phase::Ashore) {
        continue;
      }
      const int logStart = b.out.track.front().t;
      if (t <= logStart) {
        anyLogging = true;
        continue;
      }
      const double windDir = perceivedWind(b, w.dirTrue, t);
      b.meanWind = normDeg(b.meanWind + diffDeg(windDir, b.meanWind) / 300.0);
      double desired = b.heading;
      double cap = 1.0;
      decide(b, t, windDir, w.speed, &desired, &cap);
      const Vec from = b.pos;
      move(b, desired, cap, w.dirTrue, w.speed, t);
      checkPassing(b, from, t);
      if (t > b.logEnd) {
        changePhase(b, Phase::Ashore, t);
        continue;
      }
      b.out.track.push_back({t, b.pos, b.heading, b.speed, w.dirTrue});
      if (t >= b.logEnd) {
        changePhase(b, Phase::Ashore, t);
      } else {
        anyLogging = true;
      }
      if (b.out.finished && b.phase == Phase::Finished && b.phaseSince == t) {
        lastFinish = std::max(lastFinish, b.out.passTimes.back());
      }
    }
    if (!anyLogging) {
      break;
    }
  }

  // A mark's passing is the boat's closest approach to it on the way to the
  // next item, the moment a sailor would call the rounding.
  for (SailingBoat& b : boats) {
    double from = -1e9;
    for (std::size_t k = 0; k < m_course.items.size(); ++k) {
      double& when = b.out.passTimes[k];
      if (std::isnan(when)) {
        break;
      }
      if (!m_course.items[k].isLine) {
        const Vec mark = m_course.marks[m_course.items[k].index];
        const double turned = when;
        double best = 1e18;
        for (const TruthFix& f : b.out.track) {
          if (f.t <= from || f.t > turned + 30) {
            continue;
          }
          const double d = (f.pos - mark).length();
          if (d < best) {
            best = d;
            when = f.t;
          }
        }
      }
      from = when;
    }
  }

  measureManoeuvres(boats);

  const Segment& start = m_course.lines[m_course.startLine];
  for (SailingBoat& b : boats) {
    const auto& track = b.out.track;
    for (std::size_t i = 1; i < track.size(); ++i) {
      const double f = segmentCrossing(track[i - 1].pos, track[i].pos, start.end1, start.end2);
      if (f >= 0) {
        b.out.firstStartCrossing = track[i - 1].t + f;
        break;
      }
    }
  }

  SimResult result;
  result.course = m_course;
  result.firstSecond = earliest;
  result.lastSecond = t;
  result.lastFinish = lastFinish;
  for (SailingBoat& b : boats) {
    result.boats.push_back(std::move(b.out));
  }
  return result;
}

}  // namespace

SimResult simulateRace(const SimParams& params, const Polar& polar, const WindModel& wind, Rng& rng) {
  return Simulator(params, polar, wind, rng).run();
}

}  // namespace velaro::racegen
