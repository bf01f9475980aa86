#pragma once

#include <QLabel>
#include <QWidget>

namespace velaro {

// The flag shown at the map's top right corner before the start: the blue
// peter in the minutes the clock calls for it.
class FlagPanel : public QWidget {
  Q_OBJECT

 public:
  explicit FlagPanel(QWidget* parent = nullptr);
  void showFlags(bool panelVisible, bool bluePeterVisible);

 private:
  QLabel* m_bluePeter = nullptr;
};

}  // namespace velaro
