#pragma once

#include "core/replay/stopwatch.h"

#include <QLabel>
#include <QPushButton>
#include <QSize>
#include <QWidget>

#include <functional>

namespace velaro {

// The stopwatch over the map's bottom right corner: its button and, above
// it, the read-out of the replay time measured. The rules are the core's;
// the widget only shows them.
class StopwatchWidget : public QWidget {
  Q_OBJECT

 public:
  explicit StopwatchWidget(QWidget* parent = nullptr);

  // Where the replay stands when the button is clicked.
  void setTimeSource(std::function<double()> sceneTime) { m_sceneTime = std::move(sceneTime); }

  // The button 78 pixels in from the map's right edge and 140 up from its
  // bottom, the read-out 22 pixels above it.
  void placeOn(QSize mapArea);

  // A frame of the replay at SceneTime: a running watch shows the time since
  // its start.
  void frame(double SceneTime);

  // The button, public so that tests drive it.
  void btnStopWatchClick();

  const Stopwatch& stopwatch() const { return m_stopwatch; }
  // The button's caption in a state, in the installed language.
  static QString caption(Stopwatch::State state);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void showState();

  Stopwatch m_stopwatch;
  std::function<double()> m_sceneTime;
  QPushButton* btnStopWatch = nullptr;
  QLabel* m_readout = nullptr;
};

}  // namespace velaro
