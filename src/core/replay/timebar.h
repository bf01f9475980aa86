#pragma once

#include "core/analysis/boatcolours.h"
#include "core/race.h"

#include <QString>

#include <optional>
#include <vector>

namespace velaro {

inline constexpr Rgb kTimeBarBackground{225, 225, 255};
inline constexpr Rgb kTimeBarOutline{0, 0, 0};
inline constexpr Rgb kUpwindColour{255, 255, 255};
inline constexpr Rgb kDownwindColour{192, 192, 255};
inline constexpr Rgb kStartMarkColour{255, 0, 0};
inline constexpr Rgb kTimePointerColour{255, 0, 0};
inline constexpr Rgb kStartButtonColour{255, 0, 0};
inline constexpr Rgb kStartTextColour{255, 255, 255};

// Placement inside the time-bar panel, pixels. The bar leaves 29 pixels above
// it and the START button's band below it.
inline constexpr int kTimeBarLeft = 11;
inline constexpr int kTimeBarTop = 29;
inline constexpr int kTimeBarWidth = 30;
inline constexpr int kTimeBarPanelMargin = 60;
inline constexpr int kTimePointerLeft = 1;
inline constexpr int kTimePointerWidth = 48;
inline constexpr int kTimePointerHeight = 3;
inline constexpr int kTimePointerOffset = 28;
inline constexpr int kStartBandHeight = 30;

// Height of the bar in a panel of the given height; at least one row.
int timeBarHeight(int panelHeight);

// The whole time axis stretched over the bar, end of the axis at the top.
struct TimeBarScale {
  double TimeAxisStart = 0;
  double TimeAxisEnd = 0;
  int TimeSpan = 0;  // whole seconds
  int height = 1;    // rows of the bar

  static TimeBarScale of(double TimeAxisStart, double TimeAxisEnd, int barHeight);

  // Top of the pointer in the panel for a replay time.
  int pointerTop(double sceneTime) const;
  // Whole-second time a bar row stands for (row 0 at the top), not held to
  // the axis: the read-out and hint show it as it is.
  double timeOfRow(int y) const;
  // A time held to the axis, as a click sets it.
  double clampToAxis(double time) const;
  // Row of the face that a time is painted to.
  int faceRowOf(double time) const;
};

// One run of rows of the face's inner columns (1..28) in one colour, rows
// inclusive.
struct FaceRun {
  int firstRow = 0;
  int lastRow = 0;
  Rgb colour;
  friend bool operator==(const FaceRun&, const FaceRun&) = default;
};

// The time bar's face: a background with a one-pixel outline, the runs of
// upwind and downwind rows inside it, and a three-row red mark across the
// whole width at the start signal.
struct TimeBarFace {
  int width = kTimeBarWidth;
  int height = 1;
  Rgb background = kTimeBarBackground;
  Rgb outline = kTimeBarOutline;
  std::vector<FaceRun> runs;        // top to bottom
  std::optional<int> startMarkRow;  // middle row of the mark
  Rgb startMarkColour = kStartMarkColour;
};

// Whether a course is more than 90 degrees off the wind axis, on a time bar
// face: a course exactly across the wind counts as downwind.
bool isDownwindCourse(double course, int WindAxis);

// The face from the first boat's courses: each row takes the point of sail of
// the last fix at or before its time. Other boats never change the face.
TimeBarFace BuildTimeBarFace(const Race& race, int barHeight);

// The day-light frame behind the bar: one colour per panel row, from night
// blue to day yellow by the time of day the row stands for.
std::vector<Rgb> dayLightRows(const TimeBarScale& scale, int panelHeight, int StartSecondOfDay,
                              double SunriseSecond, double SunsetSecond);

// The START button at the foot of the panel, corners inclusive.
struct StartButton {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int textX = 0;
  int textY = 0;
  QString text;
  Rgb colour = kStartButtonColour;
  Rgb textColour = kStartTextColour;
};
StartButton startButtonOf(int panelWidth, int panelHeight);

// A click at panel row y falls in the START band at the panel's foot.
bool inStartBand(int y, int panelHeight);

// The fix a boat's overview dot shows while the pointer previews a time: the
// first fix j (0-based) with fix j at or before the time and fix j + 1 after
// it. None when the time is outside the track.
std::optional<int> previewFix(const Boat& boat, double time);

}  // namespace velaro
