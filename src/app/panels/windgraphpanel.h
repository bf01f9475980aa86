#pragma once

#include "app/panels/hintbox.h"
#include "core/loadedrace.h"
#include "core/scene/mapviewstate.h"

#include <QImage>
#include <QLabel>
#include <QWidget>

namespace velaro {

// The wind graph below the compass: the wind direction over the race with a
// red marker at the replay time, shown only for races that recorded wind.
class WindGraphPanel : public QWidget {
  Q_OBJECT

 public:
  explicit WindGraphPanel(QWidget* parent = nullptr);
  // The race's wind graph, shown when the race has a wind log.
  void showRace(const LoadedRace& loaded);
  // Moves the time marker to a row of the graph.
  void showTimeMarker(int barTop);
  int timeMarkerTop() const { return m_barTop; }

  // Over the live scene the graph has a hint; over the whole-race view none.
  void setReplayMode(ReplayMode mode) { m_replayMode = mode; }

 signals:
  // The pointer is over the graph.
  void hovered();
  // The hint of the graph under the pointer (only over the live scene).
  void hintRequested(const Hint& hint);
  void hintEnded();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* m_windGraph = nullptr;
  QImage m_graph;
  int m_barTop = -1;
  ReplayMode m_replayMode = ReplayMode::Live;
};

}  // namespace velaro
