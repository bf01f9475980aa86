#pragma once

#include "app/captions.h"
#include "core/loadedrace.h"
#include "core/race.h"
#include "core/replay/timebar.h"

#include <QLabel>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

namespace velaro {

// The hint shown while the pointer is over the bar: the lines joined by CR LF
// and the box's size. y is the pointer's row in the bar.
struct TimeBarHint {
  QString text;
  int width = 0;
  int height = 0;
  int y = 0;

  // The box at the map's right edge, 5 pixels in, level with the pointer.
  QRect rectFor(int MapWidth) const { return QRect(MapWidth - width - 5, y, width, height); }
};

// The bar's hint in the window's language; timeText is the date and time of
// the pointer's row.
TimeBarHint hintFor(Language language, const QString& timeText, int y);

// What the pointer over the bar stands for.
struct TimeBarPreview {
  int y = 0;           // row of the bar under the pointer
  double rowTime = 0;  // the row's time as the read-out shows it, not held to the axis
  double time = 0;     // the same held to the axis: where the boats are shown
  QString clockText;   // race start plus rowTime
};

// The time-bar panel beside the map: the day-light frame with the START
// button, the face of upwind and downwind periods and the red pointer at the
// replay time. It changes no replay state itself; it says which time the user
// points at or clicks and the window acts on it.
class TimeBarWidget : public QWidget {
  Q_OBJECT

 public:
  explicit TimeBarWidget(QWidget* parent = nullptr);

  // The race on screen (null: none). The race must stay alive until the next
  // call; the window calls it again after every load. Builds the pictures.
  void setRace(const LoadedRace* race);
  // Moves the pointer to a replay time.
  void setSceneTime(double sceneTime);

  // Redraws the three pictures for the present panel size (the load sequence
  // and every resize).
  void BuildTimeBar();

  // Mouse handlers, public so that tests drive them. y is in the coordinates
  // of the control the handler belongs to (the bar, or the frame which covers
  // the whole panel).
  void onBarMouseMove(int y);
  void onBarMouseDown(int y);
  void onFrameMouseDown(int y);
  void onPanelMouseMove();

  bool mouseOnTimeBar() const { return m_mouseOnTimeBar; }
  const TimeBarPreview& preview() const { return m_preview; }
  TimeBarScale scale() const;
  double sceneTime() const { return m_sceneTime; }

  // Where each boat's overview dot goes while a time is previewed: the fix at
  // or before the time. None where the track does not reach the time; that dot
  // stays where it was. Boat n at n - 1.
  std::vector<std::optional<GeoPoint>> previewPositions(double time) const;

 signals:
  // The pointer moved over the bar: show the boats at time (held to the
  // axis); preview() has the read-out and the row for the hint.
  void previewRequested(double time);
  // The pointer left the bar: back to the replay.
  void previewEnded();
  // A click on the bar: jump the replay to time (held to the axis).
  void jumpRequested(double time);
  // A click on the START button: back to the start of the axis, on any page.
  void startRequested(double TimeAxisStart);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  const LoadedRace* m_race = nullptr;
  double m_sceneTime = 0;
  bool m_mouseOnTimeBar = false;
  TimeBarPreview m_preview;

  QLabel* m_timeBarFrame = nullptr;
  QLabel* m_timeBar = nullptr;
  QLabel* m_timePointer = nullptr;
};

}  // namespace velaro
