#pragma once

#include "core/analysis/boatcolours.h"
#include "core/analysis/mapgeometry.h"
#include "core/analysis/speedcolours.h"
#include "core/angles.h"
#include "core/race.h"

#include <QPoint>
#include <QSize>

#include <optional>
#include <vector>

namespace velaro {

struct LoadedRace;

// A boat whose consecutive fixes lie further apart than this is hidden
// between them: the logger was off.
inline constexpr double kMaxFixGapSeconds = 600;

// Wind speed assumed when the race has no wind log.
inline constexpr double kDefaultWindSpeed = 5.0;

// Side of the compass image the wind marker sits on.
inline constexpr int kCompassImageSize = 100;

// Boats drawn at their true length unless that is smaller than this; with
// the big-boat box checked they are at least kBigBoatSize.
inline constexpr double kMinBoatSize = 6;
inline constexpr double kBigBoatSize = 14;

// The flasher's state of one light: lit or not and its colour now.
struct LightFlash {
  int LightLit = 0;
  Rgb LightColour{255, 255, 255};
};

// Everything the window's controls and the replay clock decide about how the
// live scene looks. The scene reads these afresh for every frame.
struct SceneOptions {
  QSize mapArea{800, 600};  // MapWidth x MapHeight
  int FormHeight = 0;       // outer height of the main window; 0: the map height
  bool northUp = false;     // RadioN
  bool autoTrace = true;    // CheckBox1 "Auto Trace"; off frames the whole race
  // Boat list check boxes, boat n at n - 1; empty: the race file's focus.
  std::vector<int> BoatFocused;
  int LabelLevel = 0;  // 0..3, from the pointer over the map
  bool RedWakeMode = false;
  bool ShowSails = true;
  bool ShowWindVanes = false;
  bool chkLL = false;       // "Layline"
  bool ChkRefLine = false;  // "Comp Ht": comparison lines across the wind
  bool ChkBigBoat = false;  // "Boat Size"
  int HoverBoat = 0;        // 1-based, 0 none
  int PickedBoat = 0;       // 1-based, 0 none
  double ZoomDivisor = 1;
  double SeaBrightness = 100;
  // The whole-race view colours the tracks by speed against the fleet's.
  bool speedColours = false;
  // Mean speeds of the focused boats up- and downwind, from the replay
  // clock's second tick (10000: no such boat).
  double AvgSpeedUp = 10000;
  double AvgSpeedDown = 10000;
  // Lights: night flag, seconds since the flasher's last tick, and the
  // flasher's state per light (light n at n - 1; missing ones are dark).
  int NightMode = 0;
  double LightPhase = 0;
  std::vector<LightFlash> lights;
  double TimeOfDay = 0;  // local seconds after midnight, for the clock
};

// Whether boat i (0-based) is in focus: its box in the boat list, or the race
// file's focus where the options hold no box for it.
bool isFocused(const SceneOptions& options, const Race& race, int boatIndex);

// What carries from one frame to the next: where the last searches ended
// (so that playing on finds the next pair at once), when the clock was
// last drawn and the tracks' speed colours. It survives race loads; a stale
// index only costs one search.
struct SceneCursor {
  int WindCursor = 0;
  std::vector<int> BoatSegment;  // 0-based earlier fix of the pair, per boat
  double ClockDrawnAt = 0;
  TrackColourCache trackColours;

  // Whether a boat's fix times never decrease; then the pair holding a time
  // is unique and bisection finds it when the next pair is not it. Checked
  // once per track: the key tells a new track from the one examined.
  struct TrackOrder {
    const Fix* fixes = nullptr;
    int count = -1;
    double first = 0;
    double last = 0;
    bool inOrder = false;
  };
  std::vector<TrackOrder> trackOrder;

  bool timesInOrder(int boatIndex, const Boat& boat);
};

struct SceneWind {
  int TrueDir = 0;   // degrees true, 0..360, used for drawing
  int DataDir = -1;  // degrees as the wind log gives them (magnetic), shown to the user
  double Speed = -1;
};

// The wind at time t: interpolated between the samples that bracket t
// (through north where that is shorter), the first or last sample outside
// them, the race file's direction without samples. barTop is set only when t
// lies between two samples: the wind graph's time bar goes there.
struct WindAtResult {
  SceneWind wind;
  std::optional<int> barTop;
};
WindAtResult WindAt(const Race& race, double t, int& WindCursor);

// Top-left corner of the red wind marker on the compass image.
QPoint windMarkerTopLeft(int TrueDir, Orientation orientation, int compassWidth = kCompassImageSize,
                         int compassHeight = kCompassImageSize);

// The fix pair (0-based index of its earlier fix) with time(j) <= t <
// time(j + 1), searched from start on and round to the beginning; none when
// no pair holds t. inOrder allows bisection on tracks whose times never
// decrease.
std::optional<int> FindBoatSegment(const Boat& boat, double t, int start, bool inOrder);

// The drawn course at time t on pair j: the fix's course, but within the
// first second after any fix except the first the course turns from the
// previous fix's course to this one's, by the shorter way, in whole degrees.
double BoatCourseAt(const Boat& boat, int j, double t);

// Length of a boat glyph in pixels: true length at this scale, at least
// kBigBoatSize with the big-boat box, never under kMinBoatSize.
int BoatSizeFor(double ScaleLat, double BoatLength, bool ChkBigBoat);

// One boat at the scene time.
struct BoatScene {
  bool BoatActive = false;
  bool BoatFocused = false;
  int BoatSegment = -1;  // 0-based earlier fix of the pair holding t; -1 when none does
  double BoatLat = 0;
  double BoatLon = 0;
  double BoatCourse = 0;
  double BoatSpeed = 0;
  double BoatWindAngle = 0;  // degrees off the wind, negative: wind on the port side

  GeoPoint position() const { return {BoatLat, BoatLon}; }
};

// The live scene at one replay time, computed without drawing.
struct SceneState {
  double t = 0;
  SceneWind wind;
  std::optional<int> windBarTop;
  QPoint windMarker;
  std::vector<BoatScene> boats;
  std::vector<int> FocusedBoats;  // 0-based, the first four focused active boats
  int focusedCount = 0;           // all focused active boats
  int activeCount = 0;
  // No active boat was in focus: every boat is focused again and the window
  // must check every box of the boat list.
  bool refocusedAll = false;
  GeoBox TraceBox;
  LiveScale scale;
  Orientation orientation;
  Projection projection{GeoPoint{}, 1, 1, QSize(1, 1), Orientation{}};
  int BoatSize = 6;
  Rgb SeaColour;
  Rgb GridColour;
};

// Wind, focus, fix pairs, positions, framing, scale and boat size of the live
// scene at replay time t. cursor carries the searches from frame to frame.
SceneState computeScene(const LoadedRace& loaded, const SceneOptions& options, double t, SceneCursor& cursor);

// The single-step buttons: one second on (direction +1) or back (-1) to a
// whole second, wrapping round the time axis.
double SingleStep(double SceneTime, int direction, double TimeAxisStart, double TimeAxisEnd);

// The sea and the grid at a brightness of 0..100: night blue to day blue,
// the grid lighter than the sea up to 50 and darker above.
struct SeaShade {
  Rgb SeaColour;
  Rgb GridColour;
};
SeaShade seaShadeFor(double SeaBrightness);

}  // namespace velaro
