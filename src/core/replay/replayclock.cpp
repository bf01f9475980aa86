#include "core/replay/replayclock.h"

#include "core/datetime.h"
#include "core/loadedrace.h"

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

// The result board reveals boats only after this share of the time axis, so
// that a race replayed from the start keeps its finish order hidden.
constexpr double kHiddenResultShare = 0.3;
constexpr int kBoardRowHeight = 15;
constexpr int kBoardMargin = 6;

// Fewer frames than this in a second are taken as a stalled count, and the
// step is then set as if kAssumedFrames had been drawn.
constexpr int kMinCountedFrames = 5;
constexpr int kAssumedFrames = 20;

// The start sequence: a beep every second in the last half minute, the blue
// peter from four minutes to one minute before the start, and the gun in the
// first minute.
constexpr double kLastBeepsFrom = -30;
constexpr double kBluePeterFrom = -240;
constexpr double kBluePeterUntil = -60;
constexpr double kGunWindow = 60;

constexpr double kSunriseRamp = 3600;
constexpr double kSunsetRamp = 2400;

}  // namespace

ClockRace clockRaceFor(const LoadedRace& loaded) {
  const Race& race = loaded.race;
  const CourseResults& results = loaded.results;
  ClockRace clockRace;
  clockRace.TimeAxisStart = race.TimeAxisStart;
  clockRace.TimeAxisEnd = race.TimeAxisEnd;
  clockRace.RaceStart = race.RaceStart;
  clockRace.StartSecondOfDay = loaded.geometry.StartSecondOfDay;
  clockRace.SunriseSecond = loaded.geometry.SunriseSecond;
  clockRace.SunsetSecond = loaded.geometry.SunsetSecond;
  if (results.itemCount > 0) {
    for (int b = 0; b < race.BoatCount(); ++b) {
      clockRace.finishTimes.push_back(results.PassTime[b][results.itemCount - 1]);
    }
    clockRace.finishBestTime = results.PointBestTime[results.itemCount - 1];
  }
  clockRace.PlaySpeed = race.PlaySpeed;
  return clockRace;
}

double speedForPosition(int position) {
  const int p = std::clamp(position, kSpeedPositionMin, kSpeedPositionMax);
  if (p < 40) {
    return truncToInt(p / 4.0 + 1);
  }
  if (p < 80) {
    return truncToInt((p - 40) / 4.0 + 1) * 10.0;
  }
  return truncToInt((p - 80) / 4.0 + 1) * 100.0;
}

int SetSpeedPosition(double speed) {
  if (std::isnan(speed)) {
    return kSpeedPositionMin;
  }
  double p = 0;
  if (speed <= 10) {
    p = speed * 4 - 1;
  } else if (speed <= 90) {
    p = (speed / 10 - 1) * 4 + 40;
  } else {
    p = (speed / 100 - 1) * 4 + 80;
  }
  return std::clamp(roundToInt(p), kSpeedPositionMin, kSpeedPositionMax);
}

QString speedText(double speed) {
  return QString::number(roundToInt(speed)) + u'X';
}

// Whole days are taken off with the floor, so a replay time before local
// midnight of the start day gives a time late on the day before.
double timeOfDayAt(int StartSecondOfDay, double sceneTime) {
  const double t = StartSecondOfDay + sceneTime;
  return t - std::floor(t / kSecondsPerDay) * kSecondsPerDay;
}

bool isNightAt(double timeOfDay, double SunriseSecond, double SunsetSecond) {
  return timeOfDay <= SunriseSecond || timeOfDay >= SunsetSecond;
}

double daylightBrightness(double timeOfDay, double SunriseSecond, double SunsetSecond) {
  double s = isNightAt(timeOfDay, SunriseSecond, SunsetSecond) ? 0 : 100;
  if (std::fabs(timeOfDay - SunriseSecond) < kSunriseRamp) {
    s = (timeOfDay - SunriseSecond) * 50 / kSunriseRamp + 50;
  }
  if (std::fabs(timeOfDay - SunsetSecond) < kSunsetRamp) {
    s = (SunsetSecond - timeOfDay) * 50 / kSunsetRamp + 50;
  }
  return s;
}

QString clockTextAt(double RaceStart, double sceneTime) {
  return formatDateTime(RaceStart + roundToInt(sceneTime) / kSecondsPerDay);
}

SpeedAverages averageSpeeds(const std::vector<BoatMotion>& boats) {
  double upSum = 0, downSum = 0;
  int upCount = 0, downCount = 0;
  for (const BoatMotion& b : boats) {
    if (!b.focused || !(b.speed > 0)) {
      continue;
    }
    if (std::fabs(b.windAngle) < 90) {
      upSum += b.speed;
      ++upCount;
    } else {
      downSum += b.speed;
      ++downCount;
    }
  }
  SpeedAverages a;
  if (upCount > 0) {
    a.AvgSpeedUp = upSum / upCount;
  }
  if (downCount > 0) {
    a.AvgSpeedDown = downSum / downCount;
  }
  return a;
}

// A play speed outside the slider (0, negative or beyond 600X in a race file)
// would freeze the replay or run it against its direction; such a race plays
// at the speed of the slider end it lands on.
void ReplayClock::startRace(const ClockRace& race) {
  m_race = race;
  m_sceneTime = race.TimeAxisStart;
  m_prevSceneTime = race.TimeAxisStart;
  m_beepFrom = race.TimeAxisStart;
  m_sceneStep = kStepAfterLoad;
  m_playDirection = 1;
  m_transport = Transport::Forward;
  const double speed = race.PlaySpeed;
  m_replaySpeed = speed >= kMinReplaySpeed && speed <= kMaxReplaySpeed
                      ? speed
                      : speedForPosition(SetSpeedPosition(speed));
  m_frameCount = 0;
  m_resultCount = 0;
  m_resultShown.assign(race.finishTimes.size(), 0);
}

double ReplayClock::clampToAxis(double time) const {
  // Written without std::clamp: a race whose finish lies before its start has
  // an axis that ends before it begins.
  return std::max(m_race.TimeAxisStart, std::min(m_race.TimeAxisEnd, time));
}

bool ReplayClock::ResultShown(int boatIndex) const {
  return boatIndex >= 0 && boatIndex < static_cast<int>(m_resultShown.size()) && m_resultShown[boatIndex];
}

ResultBoard ReplayClock::board() const {
  return {m_resultCount > 0, m_resultCount * kBoardRowHeight + kBoardMargin};
}

// The board, its count and the shown flags are cleared together, so the
// board always holds exactly the boats it has revealed. Returns whether
// anything was on it.
bool ReplayClock::clearResults() {
  const bool hadAny =
      m_resultCount > 0 || std::find(m_resultShown.begin(), m_resultShown.end(), 1) != m_resultShown.end();
  m_resultCount = 0;
  std::fill(m_resultShown.begin(), m_resultShown.end(), 0);
  return hadAny;
}

// Boats are revealed in boat order once their rounded finish time is reached;
// each label sits at the row of its finish rank, and the board grows one row
// per boat, so boats that finish together show up in the same tick.
void ReplayClock::revealFinishers(FrameOutcome& out) {
  const double t = m_sceneTime;
  const auto& finish = m_race.finishTimes;
  if (finish.empty() || !(t > kHiddenResultShare * m_race.TimeAxisEnd) || !(t > m_race.finishBestTime - 5)) {
    return;
  }
  for (size_t b = 0; b < finish.size(); ++b) {
    const double pass = finish[b];
    if (m_resultShown[b] || !(pass > 0) || pass > kPassedLimit || !(roundHalfEven(pass) <= t)) {
      continue;
    }
    m_resultShown[b] = 1;
    ++m_resultCount;
    out.revealedBoats.push_back(static_cast<int>(b));
    out.playGun = true;
  }
}

// One frame: advance, wrap or change race at the ends of the axis, draw,
// reveal finishers, follow the sun, and fire the gun when the start is
// crossed. A wrap in either direction is a jump, not a crossing: it neither
// fires the gun nor counts as minutes passed for the beeps.
FrameOutcome ReplayClock::frameTick(const FrameTickInput& input) {
  FrameOutcome out;
  out.CurrentRace = input.CurrentRace;
  out.sceneTime = m_sceneTime;
  if (input.Page != 1) {
    m_prevSceneTime = m_sceneTime;
    return out;
  }
  out.ran = true;

  m_sceneTime += m_playDirection * m_sceneStep;
  bool wrapped = false;
  if (m_sceneTime < m_race.TimeAxisStart) {
    // Backwards past the start lands on the end; the end test below must not
    // then treat it as having run off the end.
    m_sceneTime = m_race.TimeAxisEnd;
    wrapped = true;
  } else if (m_sceneTime >= m_race.TimeAxisEnd) {
    if (input.AutoNext > 0 && input.RaceFileCount >= 2) {
      int next = input.CurrentRace + 1;
      if (next > input.RaceFileCount || next < 1) {
        next = 1;
      }
      out.CurrentRace = next;
      if (input.raceFileExists && input.raceFileExists(next)) {
        m_sceneTime = m_race.TimeAxisStart;
        m_beepFrom = m_sceneTime;
        out.sceneTime = m_sceneTime;
        out.loadRace = true;
        return out;
      }
    }
    // A missing next race: loop this one; the next pass tries the race after.
    m_sceneTime = m_race.TimeAxisStart;
    wrapped = true;
  }
  if (wrapped) {
    m_beepFrom = m_sceneTime;
  }
  out.sceneTime = m_sceneTime;
  out.render = true;
  ++m_frameCount;

  revealFinishers(out);
  if (m_sceneTime < kHiddenResultShare * m_race.TimeAxisEnd) {
    out.resultsCleared = clearResults();
  }
  out.board = board();

  if (!input.MouseOnTimeBar && roundToInt(m_prevSceneTime) != roundToInt(m_sceneTime)) {
    out.clockText = clockTextAt(m_race.RaceStart, m_sceneTime);
  }

  out.TimeOfDay = timeOfDayAt(m_race.StartSecondOfDay, m_sceneTime);
  if (input.AutoBrightness > 0) {
    SeaLight light;
    light.NightMode = isNightAt(out.TimeOfDay, m_race.SunriseSecond, m_race.SunsetSecond) ? 1 : 0;
    light.brightness =
        roundToInt(daylightBrightness(out.TimeOfDay, m_race.SunriseSecond, m_race.SunsetSecond));
    out.seaLight = light;
  }

  if (!wrapped && m_prevSceneTime < 0 && m_sceneTime >= 0 && m_sceneTime < kGunWindow) {
    out.playGun = true;
  }
  m_prevSceneTime = m_sceneTime;
  return out;
}

// Whether a whole minute before the start lies between the replay time of
// the last second tick (or jump) and now, in the direction travelled. The
// replay time moves in steps that are rarely whole numbers, so the minute is
// looked for between two ticks rather than hit exactly.
bool ReplayClock::minuteCrossed() const {
  const double from = m_beepFrom;
  const double now = m_sceneTime;
  if (now > from) {
    const double minute = std::floor(from / 60) * 60 + 60;
    return minute < 0 && minute <= now;
  }
  if (now < from) {
    const double minute = std::min(std::ceil(from / 60) * 60 - 60, -60.0);
    return minute >= now;
  }
  return false;
}

SecondOutcome ReplayClock::secondTick(int Page, const std::vector<BoatMotion>& boats) {
  SecondOutcome out;
  if (Page != 1) {
    return out;
  }
  out.ran = true;
  out.startFrameTimer = true;

  const int frames = m_frameCount < kMinCountedFrames ? kAssumedFrames : m_frameCount;
  m_sceneStep = m_replaySpeed / frames;
  out.sceneStep = m_sceneStep;

  // Before the first finish the board is emptied so that replaying the
  // finish reveals it again. The test uses the rounded best time, the moment
  // the first boat is revealed, so that a boat is never revealed twice.
  if (m_sceneTime < roundHalfEven(m_race.finishBestTime)) {
    out.resultsCleared = clearResults();
  }
  out.board = board();
  m_frameCount = 0;

  out.averages = averageSpeeds(boats);

  const double t = m_sceneTime;
  out.beep = (t >= kLastBeepsFrom && t < 0) || minuteCrossed();
  m_beepFrom = t;
  out.flagPanelVisible = t <= 0;
  out.blueFlagVisible = t >= kBluePeterFrom && t < kBluePeterUntil;
  return out;
}

void ReplayClock::press(Transport transport) {
  m_transport = transport;
  if (transport == Transport::Forward) {
    m_playDirection = 1;
  } else if (transport == Transport::Backward) {
    m_playDirection = -1;
  }
}

QString ReplayClock::speedSliderMoved(int position) {
  m_replaySpeed = speedForPosition(position);
  return speedText(m_replaySpeed);
}

JumpOutcome ReplayClock::timeBarClick(double time, int Page, int ReplayMode) {
  JumpOutcome out;
  out.sceneTime = m_sceneTime;
  if (Page != 1) {
    return out;
  }
  out.ran = true;
  setSceneTime(time);
  out.sceneTime = m_sceneTime;
  if (ReplayMode == 0) {
    out.renderWholeRace = true;
  } else {
    out.resultsCleared = clearResults();
    out.renderLive = true;
    ++m_frameCount;
  }
  out.board = board();
  out.sceneDateTime = m_race.RaceStart + roundToInt(m_sceneTime) / kSecondsPerDay;
  out.clockText = clockTextAt(m_race.RaceStart, m_sceneTime);
  return out;
}

void ReplayClock::rewindToStart() {
  m_sceneTime = m_race.TimeAxisStart;
  m_beepFrom = m_sceneTime;
}

void ReplayClock::setSceneTime(double time) {
  m_sceneTime = clampToAxis(time);
  m_beepFrom = m_sceneTime;
}

}  // namespace velaro
