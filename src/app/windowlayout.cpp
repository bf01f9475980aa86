#include "app/windowlayout.h"

#include <algorithm>

namespace velaro {

WindowLayout WindowLayout::forClient(QSize client, int BoatListHeight) {
  const int w = client.width();
  const int h = client.height();
  const int column = w - kPanelWidth;
  WindowLayout layout;
  layout.overview = QRect(column, 0, kPanelWidth, kOverviewHeight);
  layout.controls = QRect(column, h - kControlHeight, kPanelWidth, kControlHeight);
  const int free = h - kOverviewHeight - kControlHeight;
  const int listHeight = BoatListHeight < free ? free : BoatListHeight;
  const int listTop = BoatListHeight < h - kOverviewHeight ? kOverviewHeight : 0;
  layout.boatList = QRect(column, listTop, kPanelWidth, listHeight);
  layout.timeBar = QRect(column - kTimeBarWidth, 0, kTimeBarWidth, h);
  layout.map = QRect(0, 0, std::max(0, column - kTimeBarWidth), h);
  return layout;
}

}  // namespace velaro
