#include "core/newrace/raceinference.h"

#include "core/newrace/inference.h"

#include <QDateTime>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>

// The race is read out of the tracks in the order a race officer would:
// 1. every log on a one-second grid in metres around the fleet's middle;
// 2. turns of 50 to 130 degrees between steady courses are tacks or gybes:
//    their mid-headings fall into two groups half a circle apart, and the
//    group whose turns cost more speed are the tacks, whose mid-heading is
//    the wind;
// 3. the gun is when the fleet crosses one line across the wind within
//    seconds: the level up the wind where the boats' last upward crossings
//    bunch tightest is the start line;
// 4. marks are places where most boats turn: tacks are spread over the
//    course, roundings are not;
// 5. the finish is where the boats stop racing after the last mark.
// Every estimate says what it rests on.

namespace velaro {

namespace inference {

QString Inference::clock(int t) const {
  return fromDateTime(dateTimeOf(t)).toString(QStringLiteral("HH:mm:ss"));
}

InferredRace Inference::run() {
  if (m_logs.empty()) {
    return m_out;
  }
  m_out.timeOffsets.assign(m_logs.size(), 0);
  buildTracks();
  findTurns();
  estimateWind();
  buildWindTable();
  findStart();
  if (!m_gunFound) {
    m_gun = m_hints.gunUtc ? secondsOf(*m_hints.gunUtc) : m_spanStart + 60;
    m_out.estimates << QStringLiteral("no start found: the replay begins where the logs do");
  }
  findRacingEnds();
  findMarksAndCourse();
  findFinish();
  applyGivenMarks();
  if (!m_hints.course.isEmpty()) {
    m_out.course = m_hints.course;
  }

  // The wind of the first beat is the wind the course was laid for.
  if (m_windKnown) {
    std::vector<double> first;
    for (int t = m_gun; t <= m_gun + 600; t += 60) {
      first.push_back(windAt(t));
    }
    m_out.windDirTrue = m_hints.windDirTrue ? normDeg(*m_hints.windDirTrue) : circularMean(first).mean;
    std::vector<double> near;
    for (const auto& [t, dir] : m_windPoints) {
      if (t >= m_gun - 300 && t <= m_gun + 900 && std::fabs(diffDeg(dir, m_out.windDirTrue)) <= 25) {
        near.push_back(dir);
      }
    }
    if (m_hints.windDirTrue) {
      m_out.estimates.prepend(QStringLiteral("wind %1 deg as given").arg(roundToInt(m_out.windDirTrue)));
    } else {
      m_out.estimates.prepend(
          QStringLiteral("wind %1 deg from %2 tacks and gybes of the first beat, spread %3 "
                         "deg; %4 tacks and %5 gybes in all")
              .arg(roundToInt(m_out.windDirTrue) % 360)
              .arg(near.size())
              .arg(roundToInt(circularMean(near).spread))
              .arg(m_tackCount)
              .arg(m_gybeCount));
    }
  } else {
    m_out.estimates.prepend(QStringLiteral("no wind found: no tacks or gybes; north taken"));
  }
  m_out.gunUtc = dateTimeOf(m_gun);
  int firstFix = INT_MAX;
  for (const Track& t : m_tracks) {
    firstFix = std::min(firstFix, t.first);
  }
  m_out.preStartMinutes = std::clamp((m_gun - firstFix) / 60, 1, 5);
  // The replay runs until the last log ends, or three minutes after the
  // last finish found if that is later: no boat's finish is cut off.
  int lastFix = INT_MIN;
  for (const Track& t : m_tracks) {
    lastFix = std::max(lastFix, t.last());
  }
  int finish = std::max(lastFix, m_finishFound ? m_finishTime + 180 : lastFix);
  {
    const double at = m_epoch * kSecondsPerDay + finish;
    finish = roundToInt(std::ceil(at / 60.0) * 60.0 - m_epoch * kSecondsPerDay);
  }
  if (m_hints.finishUtc) {
    finish = secondsOf(*m_hints.finishUtc);
  }
  m_out.finishUtc = dateTimeOf(std::max(finish, m_gun + 60));
  m_out.estimates.insert(std::min<qsizetype>(1, m_out.estimates.size()),
                         QStringLiteral("race %1 to %2 UTC; the logs run together from %3 to %4")
                             .arg(clock(m_gun), clock(finish), clock(m_spanStart), clock(m_spanEnd)));
  if (!m_out.course.isEmpty()) {
    m_out.estimates << QStringLiteral("course %1, sailed so by %2 of %3 boats")
                           .arg(m_out.course.join(u','))
                           .arg(m_courseFollowers)
                           .arg(m_tracks.size());
  }
  writeWindLog();

  double minLat = 1e300;
  double maxLat = -1e300;
  double minLon = 1e300;
  double maxLon = -1e300;
  for (const InputLog& log : m_logs) {
    for (const RawFix& f : log.fixes) {
      minLat = std::min(minLat, f.lat);
      maxLat = std::max(maxLat, f.lat);
      minLon = std::min(minLon, f.lon);
      maxLon = std::max(maxLon, f.lon);
    }
  }
  m_out.centre = {(minLat + maxLat) / 2, (minLon + maxLon) / 2};
  m_out.spanMinutes = std::max(maxLat - minLat, (maxLon - minLon) * m_frame.lonScale);
  return m_out;
}

}  // namespace inference

InferredRace inferRace(const std::vector<InputLog>& logs, const InferenceHints& hints) {
  return inference::Inference(logs, hints).run();
}

}  // namespace velaro
