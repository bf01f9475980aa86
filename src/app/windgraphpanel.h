#pragma once

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
  void setGraph(const QImage& graph);

 private:
  QLabel* m_windGraph = nullptr;
};

}  // namespace velaro
