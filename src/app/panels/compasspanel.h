#pragma once

#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QWidget>

namespace velaro {

// The compass rose in the map's top left corner, turned with the map, with
// the red wind marker on its rim and the wind direction in its middle.
class CompassPanel : public QWidget {
  Q_OBJECT

 public:
  explicit CompassPanel(QWidget* parent = nullptr);
  // The rose for the map's orientation (after a load or a turn).
  void setCompass(const QImage& compass);
  // The wind of the frame on screen: the marker's top-left corner on the
  // compass and the direction as the wind log gives it.
  void showWind(QPoint markerTopLeft, int DataDir);
  int shownDataDir() const { return m_dataDir; }

 signals:
  // The pointer over the compass: label level 1 on the rim, 0 inside.
  void hovered(int labelLevel);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void redraw();

  QLabel* m_compass = nullptr;
  QImage m_rose;
  QPoint m_marker{-100, -100};
  int m_dataDir = -1;
};

}  // namespace velaro
