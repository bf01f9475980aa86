#include "core/replay/timebar.h"

#include "core/angles.h"
#include "core/datetime.h"
#include "core/replay/replayclock.h"

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

// The frame's rows are offset by the band above the bar.
constexpr int kFrameRowOffset = 30;

}  // namespace

int timeBarHeight(int panelHeight) {
  return std::max(1, panelHeight - kTimeBarPanelMargin);
}

TimeBarScale TimeBarScale::of(double TimeAxisStart, double TimeAxisEnd, int barHeight) {
  return {TimeAxisStart, TimeAxisEnd, roundToInt(TimeAxisEnd - TimeAxisStart), std::max(1, barHeight)};
}

// A race whose finish lies before its start has no span: the whole bar then
// stands for the end of the axis.
int TimeBarScale::pointerTop(double sceneTime) const {
  if (TimeSpan <= 0) {
    return kTimePointerOffset;
  }
  return roundToInt((TimeAxisEnd - sceneTime) * height / TimeSpan) + kTimePointerOffset;
}

double TimeBarScale::timeOfRow(int y) const {
  if (TimeSpan <= 0) {
    return roundHalfEven(TimeAxisEnd);
  }
  return roundHalfEven(TimeAxisEnd - static_cast<double>(y) / height * TimeSpan);
}

double TimeBarScale::clampToAxis(double time) const {
  return std::max(TimeAxisStart, std::min(TimeAxisEnd, time));
}

int TimeBarScale::faceRowOf(double time) const {
  if (TimeSpan <= 0) {
    return 0;
  }
  return roundToInt((TimeAxisEnd - time) * (height - 1) / TimeSpan);
}

bool isDownwindCourse(double course, int WindAxis) {
  return std::abs(foldWholeDegrees(roundToInt(course) - WindAxis)) >= 90;
}

// Each fix paints the rows from the top of the face down to its own row, in
// fix order, so a row keeps the colour of the last fix that reached it.
// Walking the fixes backwards finds that fix for every row directly: each
// fix only decides the rows below those decided by later fixes.
TimeBarFace BuildTimeBarFace(const Race& race, int barHeight) {
  TimeBarFace face;
  const TimeBarScale scale = TimeBarScale::of(race.TimeAxisStart, race.TimeAxisEnd, barHeight);
  face.height = scale.height;
  if (scale.TimeSpan <= 0) {
    return face;
  }
  const int firstInner = 1;
  const int lastInner = face.height - 2;

  if (!race.boats.empty()) {
    const std::vector<Fix>& fixes = race.boats.front().fixes;
    std::vector<FaceRun> runs;
    int decided = firstInner - 1;
    for (auto it = fixes.rbegin(); it != fixes.rend() && decided < lastInner; ++it) {
      if (!(race.TimeAxisStart < it->time && it->time < race.TimeAxisEnd)) {
        continue;
      }
      const int bottom = std::min(scale.faceRowOf(it->time), lastInner);
      if (bottom <= decided) {
        continue;
      }
      const Rgb colour = isDownwindCourse(it->course, race.WindAxis) ? kDownwindColour : kUpwindColour;
      if (!runs.empty() && runs.back().colour == colour) {
        runs.back().lastRow = bottom;
      } else {
        runs.push_back({decided + 1, bottom, colour});
      }
      decided = bottom;
    }
    face.runs = std::move(runs);
  }

  const int w = roundToInt((face.height - 1) * race.TimeAxisEnd / scale.TimeSpan);
  if (w + 1 >= 0 && w - 1 <= face.height - 1) {
    face.startMarkRow = w;
  }
  return face;
}

std::vector<Rgb> dayLightRows(const TimeBarScale& scale, int panelHeight, int StartSecondOfDay,
                              double SunriseSecond, double SunsetSecond) {
  std::vector<Rgb> rows(static_cast<size_t>(std::max(0, panelHeight)));
  for (int y = 0; y < panelHeight; ++y) {
    const double t = roundHalfEven(scale.TimeAxisEnd -
                                   static_cast<double>(y - kFrameRowOffset) / scale.height * scale.TimeSpan);
    const double d = timeOfDayAt(StartSecondOfDay, t);
    const double s = daylightBrightness(d, SunriseSecond, SunsetSecond);
    const auto level = static_cast<quint8>(std::clamp(roundToInt(2.55 * s), 0, 255));
    rows[static_cast<size_t>(y)] = {level, level, 192};
  }
  return rows;
}

StartButton startButtonOf(int panelWidth, int panelHeight) {
  StartButton b;
  b.left = 5;
  b.top = panelHeight - 25;
  b.right = panelWidth - 5;
  b.bottom = panelHeight - 5;
  b.textX = 7;
  b.textY = panelHeight - 19;
  b.text = QStringLiteral("START");
  return b;
}

bool inStartBand(int y, int panelHeight) {
  return y > panelHeight - kStartBandHeight;
}

std::optional<int> previewFix(const Boat& boat, double time) {
  const std::vector<Fix>& fixes = boat.fixes;
  for (size_t j = 0; j + 1 < fixes.size(); ++j) {
    if (fixes[j].time <= time && time < fixes[j + 1].time) {
      return static_cast<int>(j);
    }
  }
  return std::nullopt;
}

}  // namespace velaro
