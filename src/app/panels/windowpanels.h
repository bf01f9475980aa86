#pragma once

#include "app/panels/windowlayout.h"
#include "app/replay/replayscreen.h"

class QWidget;

namespace velaro {

class StopwatchWidget;

// The window's panels: those the replay shows itself on (the hint box over
// everything among them) and the stopwatch over the map.
struct WindowPanels : ReplayPanels {
  StopwatchWidget* stopwatch = nullptr;

  // Makes every panel on window, in the order that stacks them as designed;
  // the stopwatch waits hidden for the first race.
  static WindowPanels create(QWidget* window);
  // Puts each panel where the layout says, the boat list over its
  // neighbours.
  void arrange(const WindowLayout& layout) const;
};

}  // namespace velaro
