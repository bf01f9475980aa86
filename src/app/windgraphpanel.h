#pragma once

#include "core/loadpipeline.h"

#include <QImage>
#include <QLabel>
#include <QWidget>

namespace velaro {

// The wind graph below the compass: the wind direction over the race, shown
// only for races that recorded wind.
class WindGraphPanel : public QWidget {
  Q_OBJECT

 public:
  explicit WindGraphPanel(QWidget* parent = nullptr);
  // The race's wind graph, shown when the race has a wind log.
  void showRace(const LoadedRace& loaded);

 private:
  QLabel* m_windGraph = nullptr;
};

}  // namespace velaro
