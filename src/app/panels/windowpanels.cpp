#include "app/panels/windowpanels.h"

#include "app/panels/boatlistpanel.h"
#include "app/panels/compasspanel.h"
#include "app/panels/flagpanel.h"
#include "app/panels/hintbox.h"
#include "app/panels/mapview.h"
#include "app/panels/overviewpanel.h"
#include "app/panels/racecontrolpanel.h"
#include "app/panels/scoreboard.h"
#include "app/panels/stopwatchwidget.h"
#include "app/panels/timebarwidget.h"
#include "app/panels/windgraphpanel.h"

namespace velaro {

WindowPanels WindowPanels::create(QWidget* window) {
  WindowPanels p;
  p.map = new MapView(window);
  p.stopwatch = new StopwatchWidget(window);
  p.stopwatch->hide();
  p.overview = new OverviewPanel(window);
  p.boatList = new BoatListPanel(window);
  p.controls = new RaceControlPanel(window);
  p.timeBar = new TimeBarWidget(window);
  p.compass = new CompassPanel(window);
  p.windGraph = new WindGraphPanel(window);
  p.scoreBoard = new ScoreBoard(window);
  p.flags = new FlagPanel(window);
  p.hints = new HintBox(window);
  return p;
}

void WindowPanels::arrange(const WindowLayout& layout) const {
  overview->setGeometry(layout.overview);
  controls->setGeometry(layout.controls);
  boatList->setGeometry(layout.boatList);
  boatList->raise();
  timeBar->setGeometry(layout.timeBar);
  map->setGeometry(layout.map);
  scoreBoard->setMapWidth(layout.map.width());
  flags->move(layout.mapTopRight(flags->width()));
  stopwatch->placeOn(layout.map.size());
}

}  // namespace velaro
