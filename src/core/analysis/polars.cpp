#include "core/analysis/polars.h"

#include "core/analysis/kinematics.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace velaro {
namespace {

// Speed and course over 30 to 50 seconds of track: one-second fixes wander
// by a few metres, which over one second would read as knots, and that wander
// drifts over about half a minute, so every second the chord grows takes off
// a share of the error in its angle. The chord is as long as the quiet
// stretch around the second allows, and keeps this far from a manoeuvre or
// rounding, where the boat still turns: as the seconds within
// kPolarManoeuvreSeconds of one are left out, the shortest chord is 30 s.
constexpr double kMaxChordSeconds = 50;
constexpr double kChordClearSeconds = 5;
// Fixes further apart than this leave a hole; no speed is read across it.
constexpr double kMaxFixGapSeconds = 20;
constexpr double kKnotsPerMetrePerSecond = 3600 / kMetresPerLatMinute;

class Cursor {
 public:
  Cursor(const std::vector<Fix>& fixes, double metresPerLonMinute)
      : m_fixes(fixes), m_metresPerLonMinute(metresPerLonMinute) {}

  // Metres east and north at t; false outside the log or across a hole.
  bool at(double t, double& x, double& y) {
    const int n = static_cast<int>(m_fixes.size());
    if (n < 2 || t < m_fixes.front().time || t > m_fixes.back().time) {
      return false;
    }
    if (m_fixes[m_index].time > t) {
      m_index = 0;
    }
    while (m_index + 2 < n && m_fixes[m_index + 1].time <= t) {
      ++m_index;
    }
    const Fix& a = m_fixes[m_index];
    const Fix& b = m_fixes[m_index + 1];
    const double span = b.time - a.time;
    if (span > kMaxFixGapSeconds) {
      return false;
    }
    const double f = span > 0 ? std::clamp((t - a.time) / span, 0.0, 1.0) : 0;
    x = (a.lon + f * (b.lon - a.lon)) * m_metresPerLonMinute;
    y = (a.lat + f * (b.lat - a.lat)) * kMetresPerLatMinute;
    return true;
  }

 private:
  const std::vector<Fix>& m_fixes;
  double m_metresPerLonMinute;
  int m_index = 0;
};

double windSpeedAt(const std::vector<WindSample>& s, double t) {
  if (t <= s.front().time) {
    return s.front().speed;
  }
  if (t >= s.back().time) {
    return s.back().speed;
  }
  const auto it =
      std::upper_bound(s.begin(), s.end(), t, [](double v, const WindSample& w) { return v < w.time; });
  const WindSample& a = *(it - 1);
  const WindSample& b = *it;
  const double span = b.time - a.time;
  return span > 0 ? a.speed + (b.speed - a.speed) * (t - a.time) / span : b.speed;
}

void finishBand(PolarBand& band, std::array<std::vector<double>, kPolarBins>& samples) {
  for (int i = 0; i < kPolarBins; ++i) {
    std::vector<double>& v = samples[i];
    band.bins[i].seconds = static_cast<int>(v.size());
    if (band.bins[i].seconds < kPolarMinSeconds) {
      continue;
    }
    const auto nth = v.begin() + static_cast<long>(std::floor(kPolarPercentile * (v.size() - 1)));
    std::nth_element(v.begin(), nth, v.end());
    band.bins[i].speedKnots = *nth;
    if (!band.bins[i].firm()) {
      continue;
    }
    const double centre = (i + 0.5) * kPolarBinDegrees;
    const double vmg = *nth * std::cos(centre * M_PI / 180);
    if (centre < 90 && !(vmg <= band.beatVmgKnots)) {
      band.beatVmgKnots = vmg;
      band.beatAngleDeg = centre;
    } else if (centre > 90 && !(-vmg <= band.runVmgKnots)) {
      band.runVmgKnots = -vmg;
      band.runAngleDeg = centre;
    }
  }
}

}  // namespace

std::vector<BoatPolar> ComputePolars(const Race& race, const CourseResults& results,
                                     const std::vector<Manoeuvre>& manoeuvres, double cosCentreLat) {
  const int boats = race.BoatCount();
  std::vector<BoatPolar> polars(boats);
  if (results.itemCount < 1) {
    return polars;
  }
  const bool banded =
      std::any_of(race.wind.begin(), race.wind.end(), [](const WindSample& w) { return w.speed > 0; });
  const double metresPerLonMinute = kMetresPerLatMinute * cosCentreLat;
  auto sailedUntil = [&](int b) {
    return results.finished(b) ? results.PassTime[b][results.itemCount - 1] : race.boats[b].fixes.back().time;
  };
  // The wind of every second, shared by the boats: its direction as a unit
  // vector and its band.
  double lastSecond = 0;
  for (int b = 0; b < boats; ++b) {
    if (isPassed(results.PassTime[b][0]) && race.boats[b].fixes.size() >= 2) {
      lastSecond = std::max(lastSecond, std::ceil(sailedUntil(b)));
    }
  }
  const int seconds = static_cast<int>(std::min(lastSecond, 7.0 * 86400)) + 1;
  std::vector<double> windEast(seconds);
  std::vector<double> windNorth(seconds);
  std::vector<int> windBand(seconds, 0);
  for (int s = 0; s < seconds; ++s) {
    const double a = trueWindAt(race, s) * M_PI / 180;
    windEast[s] = std::sin(a);
    windNorth[s] = std::cos(a);
    if (banded) {
      windBand[s] = static_cast<int>(std::max(0.0, windSpeedAt(race.wind, s)) / kPolarBandKnots);
    }
  }
  // Cosines of the bin edges 5, 10, ... 175 degrees, falling: the bin of an
  // angle is the number of edges whose cosine its own does not exceed.
  std::array<double, kPolarBins - 1> edgeCos;
  for (int k = 1; k < kPolarBins; ++k) {
    edgeCos[k - 1] = std::cos(k * kPolarBinDegrees * M_PI / 180);
  }

  std::vector<double> quiet;  // times of this boat's manoeuvres and roundings
  for (int b = 0; b < boats; ++b) {
    const std::vector<double>& pass = results.PassTime[b];
    const Boat& boat = race.boats[b];
    if (!isPassed(pass[0]) || boat.fixes.size() < 2) {
      continue;
    }
    const double from = std::max(0.0, pass[0]);
    const double to = std::min(sailedUntil(b), seconds - 1.0);
    quiet.clear();
    for (double p : pass) {
      if (isPassed(p)) {
        quiet.push_back(p);
      }
    }
    for (const Manoeuvre& m : manoeuvres) {
      if (m.boat == b) {
        quiet.push_back(m.time);
      }
    }
    std::sort(quiet.begin(), quiet.end());

    std::map<int, std::array<std::vector<double>, kPolarBins>> byBand;  // band index -> samples per bin
    Cursor back(boat.fixes, metresPerLonMinute);
    Cursor ahead(boat.fixes, metresPerLonMinute);
    std::size_t q = 0;  // the first event not more than kPolarManoeuvreSeconds before t
    for (double t = std::ceil(from); t <= to; t += 1) {
      while (q < quiet.size() && quiet[q] < t - kPolarManoeuvreSeconds) {
        ++q;
      }
      if (q < quiet.size() && quiet[q] <= t + kPolarManoeuvreSeconds) {
        continue;
      }
      double clear = kMaxChordSeconds / 2 + kChordClearSeconds;
      if (q < quiet.size()) {
        clear = std::min(clear, quiet[q] - t);
      }
      if (q > 0) {
        clear = std::min(clear, t - quiet[q - 1]);
      }
      const double half = clear - kChordClearSeconds;
      double x0, y0, x1, y1;
      if (!back.at(t - half, x0, y0) || !ahead.at(t + half, x1, y1)) {
        continue;
      }
      const double east = x1 - x0;
      const double north = y1 - y0;
      const double metres = std::sqrt(east * east + north * north);
      if (metres <= 0) {
        continue;
      }
      const int second = static_cast<int>(t);
      const double cosTwa = (east * windEast[second] + north * windNorth[second]) / metres;
      const int bin = static_cast<int>(
          std::partition_point(edgeCos.begin(), edgeCos.end(), [&](double c) { return cosTwa <= c; }) -
          edgeCos.begin());
      const double speed = metres / (2 * half) * kKnotsPerMetrePerSecond;
      const int band = windBand[second];
      byBand[band][bin].push_back(speed);
    }
    for (auto& [index, samples] : byBand) {
      PolarBand band;
      if (banded) {
        band.fromKnots = index * kPolarBandKnots;
        band.toKnots = band.fromKnots + kPolarBandKnots;
      }
      finishBand(band, samples);
      polars[b].bands.push_back(band);
    }
  }
  return polars;
}

}  // namespace velaro
