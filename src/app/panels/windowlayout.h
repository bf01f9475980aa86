#pragma once

#include <QRect>
#include <QSize>

namespace velaro {

// Where the window's panels go for a client size: a column of fixed-width
// panels on the right (overview, boat list, controls), the time bar left of
// it and the map taking the rest.
struct WindowLayout {
  static constexpr int kPanelWidth = 265;
  static constexpr int kOverviewHeight = 200;
  static constexpr int kControlHeight = 255;
  static constexpr int kTimeBarWidth = 50;
  static constexpr int kCornerMargin = 5;

  QRect overview;
  QRect boatList;
  QRect controls;
  QRect timeBar;
  QRect map;

  // BoatListHeight is the height the boat list needs. A list longer than the
  // free height between the overview and the controls reaches down into the
  // controls, and one too long for the window below the overview covers the
  // overview as well; one taller than the window is cut to it and scrolls.
  static WindowLayout forClient(QSize client, int BoatListHeight);

  // The top-left corner of a panel of the given width sitting kCornerMargin
  // inside the map's top right corner.
  QPoint mapTopRight(int panelWidth) const {
    return QPoint(map.width() - panelWidth - kCornerMargin, kCornerMargin);
  }
};

}  // namespace velaro
