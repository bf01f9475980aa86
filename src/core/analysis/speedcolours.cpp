#include "core/analysis/speedcolours.h"

#include "core/analysis/kinematics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace velaro {

namespace {

// Speeds are counted in steps this fine up to the top step, which holds
// everything faster.
constexpr double kHistogramStepKnots = 0.01;
constexpr int kHistogramSteps = 10000;

constexpr std::array<Rgb, 5> kRampStops = {Rgb{20, 50, 220}, Rgb{0, 150, 190}, Rgb{20, 160, 40},
                                           Rgb{225, 170, 0}, Rgb{215, 0, 0}};

class SpeedHistogram {
 public:
  void add(double knots) {
    if (!(knots >= 0)) {
      return;
    }
    ++m_counts[static_cast<int>(std::min(knots * (1 / kHistogramStepKnots), kHistogramSteps - 1.0))];
    ++m_total;
  }
  bool empty() const { return m_total == 0; }
  // The speed at a share of the counted fixes, to the middle of its step.
  double at(double share) const {
    const double rank = share * static_cast<double>(m_total - 1);
    long long below = 0;
    for (int k = 0; k < kHistogramSteps; ++k) {
      below += m_counts[k];
      if (static_cast<double>(below) > rank) {
        return (k + 0.5) * kHistogramStepKnots;
      }
    }
    return kHistogramSteps * kHistogramStepKnots;
  }

 private:
  std::vector<long long> m_counts = std::vector<long long>(kHistogramSteps, 0);
  long long m_total = 0;
};

// The last fix carries no speed of its own.
double lastSpeedTime(const Boat& boat) {
  return boat.fixes.size() >= 2 ? boat.fixes[boat.fixes.size() - 2].time : boat.fixes.front().time;
}

// The colour speeds of a boat, each handed to visit(time, speed) as it is
// found, so that the fleet's range is counted in the same pass. The last fix
// has no speed of its own and stays out of every window.
template <typename Visit>
void smoothSpeeds(const Boat& boat, std::vector<double>& speeds, Visit visit) {
  const std::vector<Fix>& fixes = boat.fixes;
  const size_t n = fixes.size();
  speeds.resize(n);
  if (n < 2) {
    std::fill(speeds.begin(), speeds.end(), 0.0);
    return;
  }
  speeds[n - 1] = 0;
  const size_t last = n - 1;
  const double half = kSpeedColourWindowSeconds / 2;
  size_t from = 0;
  size_t to = 0;  // the window holds fixes [from, to)
  double sum = 0;
  for (size_t k = 0; k < last; ++k) {
    const double t = fixes[k].time;
    while (to < last && fixes[to].time <= t + half) {
      sum += fixes[to++].speed;
    }
    while (from < k && from < to && fixes[from].time < t - half) {
      sum -= fixes[from++].speed;
    }
    speeds[k] = to > from ? sum / static_cast<double>(to - from) : fixes[k].speed;
    visit(t, speeds[k]);
  }
}

// Each boat's time counted in the fleet's range, from its start to its
// finish (the end of its log when it did not finish); a boat that counts
// nothing gets from after to.
struct RacingTime {
  double from = 1;
  double to = 0;
};

std::vector<RacingTime> racingTimes(const Race& race, const CourseResults& results) {
  const int boats = race.BoatCount();
  const bool hasCourse = results.itemCount > 0 && static_cast<int>(results.PassTime.size()) == boats;
  const auto started = [&](int b) {
    return hasCourse && isPassed(results.PassTime[b][0]) &&
           race.boats[b].FixCount() > kMaxFixesWithoutKinematics;
  };
  bool anyStarted = false;
  for (int b = 0; b < boats && !anyStarted; ++b) {
    anyStarted = started(b);
  }
  std::vector<RacingTime> times(boats);
  for (int b = 0; b < boats; ++b) {
    const Boat& boat = race.boats[b];
    // Boats too short for speeds count nothing: their window stays empty.
    if (anyStarted && started(b)) {
      times[b].from = results.PassTime[b][0];
      times[b].to = results.finished(b) ? results.PassTime[b][results.itemCount - 1] : lastSpeedTime(boat);
    } else if (!anyStarted && boat.FixCount() > kMaxFixesWithoutKinematics) {
      times[b].from = 0;
      times[b].to = lastSpeedTime(boat);
    }
  }
  return times;
}

}  // namespace

void colourSpeeds(const Boat& boat, std::vector<double>& speeds) {
  smoothSpeeds(boat, speeds, [](double, double) {});
}

SpeedRange FleetSpeedRange(const Race& race, const CourseResults& results) {
  std::vector<std::vector<double>> speeds;
  return FleetColourSpeeds(race, results, speeds);
}

SpeedRange FleetColourSpeeds(const Race& race, const CourseResults& results,
                             std::vector<std::vector<double>>& colourSpeeds) {
  const int boats = race.BoatCount();
  colourSpeeds.resize(boats);
  const std::vector<RacingTime> times = racingTimes(race, results);
  SpeedHistogram h;
  for (int b = 0; b < boats; ++b) {
    const double from = times[b].from;
    const double to = times[b].to;
    smoothSpeeds(race.boats[b], colourSpeeds[b], [&](double t, double v) {
      if (t >= from && t <= to) {
        h.add(v);
      }
    });
  }
  if (h.empty()) {
    return {};
  }
  SpeedRange range{h.at(kSpeedRangeLowShare), h.at(kSpeedRangeHighShare)};
  if (range.highKnots - range.lowKnots < kMinSpeedSpanKnots) {
    const double middle = (range.lowKnots + range.highKnots) / 2;
    range.lowKnots = std::max(0.0, middle - kMinSpeedSpanKnots / 2);
    range.highKnots = range.lowKnots + kMinSpeedSpanKnots;
  }
  return range;
}

TrackColours FleetTrackColours(const Race& race, const CourseResults& results) {
  std::vector<std::vector<double>> speeds;
  TrackColours colours;
  colours.range = FleetColourSpeeds(race, results, speeds);
  colours.bins.resize(speeds.size());
  for (size_t b = 0; b < speeds.size(); ++b) {
    colours.bins[b].resize(speeds[b].size());
    std::transform(speeds[b].begin(), speeds[b].end(), colours.bins[b].begin(),
                   [&](double v) { return static_cast<std::uint8_t>(speedBin(v, colours.range)); });
  }
  return colours;
}

const TrackColours& TrackColourCache::of(const Race& race, const CourseResults& results) {
  const std::vector<RacingTime> times = racingTimes(race, results);
  std::vector<TrackKey> key(race.BoatCount());
  for (int b = 0; b < race.BoatCount(); ++b) {
    const std::vector<Fix>& fixes = race.boats[b].fixes;
    key[b] = {fixes.data(),
              fixes.size(),
              fixes.empty() ? 0 : fixes.front().time,
              fixes.empty() ? 0 : fixes.back().time,
              times[b].from,
              times[b].to};
  }
  if (!m_valid || key != m_key) {
    m_colours = FleetTrackColours(race, results);
    m_key = std::move(key);
    m_valid = true;
  }
  return m_colours;
}

double speedBinEdge(const SpeedRange& range, int k) {
  return range.lowKnots + (range.highKnots - range.lowKnots) * k / kSpeedColourBins;
}

Rgb speedBinColour(int bin) {
  const int k = std::clamp(bin, 0, kSpeedColourBins - 1);
  const double along = static_cast<double>(k) / (kSpeedColourBins - 1) * (kRampStops.size() - 1);
  const int stop = std::min(static_cast<int>(along), static_cast<int>(kRampStops.size()) - 2);
  const double f = along - stop;
  const Rgb& a = kRampStops[stop];
  const Rgb& b = kRampStops[stop + 1];
  const auto mix = [f](quint8 x, quint8 y) { return static_cast<quint8>(std::lround(x + (y - x) * f)); };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

QString speedBinKmlColour(int bin) {
  const Rgb c = speedBinColour(bin);
  return QStringLiteral("ff%1%2%3")
      .arg(c.b, 2, 16, QLatin1Char('0'))
      .arg(c.g, 2, 16, QLatin1Char('0'))
      .arg(c.r, 2, 16, QLatin1Char('0'));
}

}  // namespace velaro
