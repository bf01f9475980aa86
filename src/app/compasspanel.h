#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

namespace velaro {

// The compass rose in the map's top left corner, turned with the map.
class CompassPanel : public QWidget {
  Q_OBJECT

 public:
  explicit CompassPanel(QWidget* parent = nullptr);
  void setCompass(const QImage& compass);

 private:
  QLabel* m_compass = nullptr;
};

}  // namespace velaro
