#include "app/panels/windowlayout.h"

#include "core/replay/boatlist.h"

#include <algorithm>

namespace velaro {

WindowLayout WindowLayout::forClient(QSize client, int BoatListHeight) {
  const int w = client.width();
  const int h = client.height();
  const int column = w - kPanelWidth;
  WindowLayout layout;
  layout.overview = QRect(column, 0, kPanelWidth, kOverviewHeight);
  layout.controls = QRect(column, h - kControlHeight, kPanelWidth, kControlHeight);
  const BoatListPlacement list = placeBoatList(h, BoatListHeight, kOverviewHeight, kControlHeight);
  layout.boatList = QRect(column, list.top, kPanelWidth, list.height);
  layout.timeBar = QRect(column - kTimeBarWidth, 0, kTimeBarWidth, h);
  layout.map = QRect(0, 0, std::max(0, column - kTimeBarWidth), h);
  return layout;
}

}  // namespace velaro
