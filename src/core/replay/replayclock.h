#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace velaro {

// The speed slider: positions 0..100, four positions per speed step, running
// 1..10X, then 10..100X by tens, then 100..600X by hundreds.
inline constexpr int kSpeedPositionMin = 0;
inline constexpr int kSpeedPositionMax = 100;
inline constexpr double kMinReplaySpeed = 1;
inline constexpr double kMaxReplaySpeed = 600;

// Replay speed of a slider position (positions outside the slider are held to
// its ends).
double speedForPosition(int position);
// Slider position of a speed; the load puts the slider there. Speeds beyond
// the slider's range land on its ends.
int SetSpeedPosition(double speed);
// The speed read-out beside the slider: "20X".
QString speedText(double speed);

// Seconds after local midnight of a replay time, brought into one day.
double timeOfDayAt(int StartSecondOfDay, double sceneTime);
// Night from sunset to sunrise (both included).
bool isNightAt(double timeOfDay, double SunriseSecond, double SunsetSecond);
// Sea brightness 0..100 for a time of day: dark at night, full by day, and a
// ramp through 50 over the hour about sunrise and the 40 minutes about
// sunset. Where both ramps apply the sunset one is used.
double daylightBrightness(double timeOfDay, double SunriseSecond, double SunsetSecond);

// The clock read-out: the race start's date and time plus the replay time
// rounded to a whole second, "2009/07/19 10:31:05".
QString clockTextAt(double RaceStart, double sceneTime);

// The average speed of an empty group: so high that no boat beats it.
inline constexpr double kNoAverageSpeed = 10000;

// What the live scene last found for one boat.
struct BoatMotion {
  bool focused = false;  // in focus and active in the scene
  double speed = 0;      // knots
  double windAngle = 0;  // degrees off the wind, signed
};

struct SpeedAverages {
  double AvgSpeedUp = kNoAverageSpeed;
  double AvgSpeedDown = kNoAverageSpeed;
};

// Mean speeds of the focused, moving boats sailing upwind (less than 90
// degrees off the wind) and downwind (90 or more); they decide which wakes
// are drawn red.
SpeedAverages averageSpeeds(const std::vector<BoatMotion>& boats);

// What the clock needs of one loaded race.
struct ClockRace {
  double TimeAxisStart = -190;
  double TimeAxisEnd = 30;
  double RaceStart = 0;  // local date-time
  int StartSecondOfDay = 0;
  double SunriseSecond = 0;
  double SunsetSecond = 0;
  // Per boat (boat n at n - 1), its pass time at the last course item; empty
  // when the race has no course.
  std::vector<double> finishTimes;
  // The first boat's time at the last course item; 1,000,000 when no boat
  // passed it.
  double finishBestTime = 1'000'000;
  double PlaySpeed = 5;
};

struct LoadedRace;
// What the clock needs of a loaded race: its axis, start, day light, finish
// times and play speed.
ClockRace clockRaceFor(const LoadedRace& loaded);

enum class Transport { Forward, Stop, Backward };

// The result board's panel: it grows 15 pixels per revealed boat.
struct ResultBoard {
  bool visible = false;
  int height = 6;
  friend bool operator==(const ResultBoard&, const ResultBoard&) = default;
};

struct FrameTickInput {
  int Page = 1;  // 1 = Track page; the clock stands still on the others
  int AutoNext = 1;
  int RaceFileCount = 0;
  int CurrentRace = 0;  // 1-based place in the catalogue, 0 when not in it
  bool MouseOnTimeBar = false;
  int AutoBrightness = 1;
  // Whether the race file at a 1-based catalogue place is still there; none
  // counts as missing.
  std::function<bool(int)> raceFileExists;
};

struct SeaLight {
  int brightness = 100;  // position for the sea-brightness bar
  int NightMode = 0;
};

// What to do after one frame tick. When ran is false nothing else applies;
// when loadRace is set only CurrentRace does.
struct FrameOutcome {
  bool ran = false;  // false off the Track page
  // Catalogue place after the tick; differs from the input when the end of
  // the race moved on to the next race (even if that file was missing).
  int CurrentRace = 0;
  // Load the race at CurrentRace now and draw nothing more in this tick.
  bool loadRace = false;
  bool render = false;  // draw the live scene at sceneTime
  double sceneTime = 0;
  bool resultsCleared = false;     // hide every result label
  std::vector<int> revealedBoats;  // 0-based, in this order: show their labels
  ResultBoard board;
  bool playGun = false;
  std::optional<QString> clockText;  // new clock read-out
  double TimeOfDay = 0;
  std::optional<SeaLight> seaLight;  // set when the brightness follows the sun
};

// What to do after one second tick; nothing when ran is false.
struct SecondOutcome {
  bool ran = false;  // false off the Track page
  // Start the frame timer (50 ms) if it is not running and hide the splash.
  bool startFrameTimer = false;
  double sceneStep = 0;
  bool resultsCleared = false;
  ResultBoard board;
  SpeedAverages averages;
  bool beep = false;
  bool flagPanelVisible = false;  // pnlFLAG
  bool blueFlagVisible = false;   // blue_p inside it
};

struct JumpOutcome {
  bool ran = false;  // false off the Track page
  bool renderLive = false;
  bool renderWholeRace = false;
  double sceneTime = 0;
  double sceneDateTime = 0;  // RaceStart plus the whole seconds, for the read-out and the scene export
  QString clockText;
  bool resultsCleared = false;
  ResultBoard board;
};

// The replay clock. It owns the replay time and what follows from it (the
// step per frame, the result board, the start sequence) but no timer: the
// window's frame timer (every kFrameIntervalMs) calls frameTick, its
// one-second timer secondTick, and each does what the outcome says.
class ReplayClock {
 public:
  static constexpr int kFrameIntervalMs = 50;
  static constexpr int kSecondIntervalMs = 1000;
  static constexpr double kStepAfterLoad = 0.03;

  // Resets the clock for a newly loaded race: forward from TimeAxisStart at
  // the race's play speed, results hidden.
  void startRace(const ClockRace& race);

  FrameOutcome frameTick(const FrameTickInput& input);
  SecondOutcome secondTick(int Page, const std::vector<BoatMotion>& boats);

  // Transport buttons: Forward and Backward run both timers, Stop halts them.
  void press(Transport transport);

  // The speed slider moved; returns the read-out text.
  QString speedSliderMoved(int position);

  // A click on the time bar at a time (clamped to the axis); only on the
  // Track page. ReplayMode 0 redraws the whole-race view instead of a frame.
  JumpOutcome timeBarClick(double time, int Page, int ReplayMode);
  // The START band: back to the start of the axis on any page; the next frame
  // shows it.
  void rewindToStart();
  // Any other move of the replay time (single steps); clamped to the axis.
  void setSceneTime(double time);

  double SceneTime() const { return m_sceneTime; }
  double PrevSceneTime() const { return m_prevSceneTime; }
  double SceneStep() const { return m_sceneStep; }
  int PlayDirection() const { return m_playDirection; }
  double ReplaySpeed() const { return m_replaySpeed; }
  Transport transport() const { return m_transport; }
  bool timersRunning() const { return m_transport != Transport::Stop; }
  int FrameCount() const { return m_frameCount; }
  int ResultCount() const { return m_resultCount; }
  bool ResultShown(int boatIndex) const;
  ResultBoard board() const;
  const ClockRace& race() const { return m_race; }

 private:
  double clampToAxis(double time) const;
  bool clearResults();
  void revealFinishers(FrameOutcome& out);
  bool minuteCrossed() const;

  ClockRace m_race;
  double m_sceneTime = -190;
  double m_prevSceneTime = -190;
  double m_sceneStep = kStepAfterLoad;
  int m_playDirection = 1;
  double m_replaySpeed = 5;
  Transport m_transport = Transport::Forward;
  int m_frameCount = 0;
  int m_resultCount = 0;
  std::vector<char> m_resultShown;
  // Replay time at the last second tick, or where a jump or wrap put it:
  // minute beeps sound for the whole minutes passed since.
  double m_beepFrom = -190;
};

}  // namespace velaro
