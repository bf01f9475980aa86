#pragma once

#include "app/replay/chartscreen.h"
#include "app/replay/graphscreen.h"
#include "app/replay/page.h"
#include "core/loadedrace.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <functional>

class QTimer;

namespace velaro {

class BoatListPanel;
class CompassPanel;
class DesktopDocuments;
class MapInteraction;
class MapView;
class ReplayDriver;
class ReplayScreen;
class StopwatchWidget;
class WindGraphPanel;

// The pages of the map area and the one owner of which is shown: the panels
// only the Track page has, the picture that takes the map's place on the
// others (the graph, with a boat's curves over it while the pointer is on the
// boat in the list; the gap chart; the polars), the table the Table page
// writes, and the picture "Retouch" saves.
class PageSwitcher : public QObject {
  Q_OBJECT

 public:
  struct Panels {
    MapView* map = nullptr;
    StopwatchWidget* stopwatch = nullptr;
    CompassPanel* compass = nullptr;
    WindGraphPanel* windGraph = nullptr;
    BoatListPanel* boatList = nullptr;
  };
  // What the pages read from the window: the replay on screen, the replay
  // Retouch holds, the view the map shows, and the map's present size.
  struct Replay {
    ReplayScreen* screen = nullptr;
    ReplayDriver* driver = nullptr;
    const MapInteraction* map = nullptr;
    std::function<QSize()> mapArea;
  };

  PageSwitcher(DesktopDocuments& documents, const Panels& panels, Replay replay, QObject* parent);

  // A newly loaded race (it must outlive the next call): the Track page.
  void setRace(const LoadedRace* loaded);
  Page page() const { return m_page; }

  // Every page but Track shows its picture in place of the map; the Table
  // page then writes the table. Back on the Track page, trackShown asks for
  // the map as it was left.
  void choose(Page page);
  // Draws the graph picture for the map's size and the boats in focus, and
  // shows it on the Graph and Table pages.
  void redrawGraph();
  // The picture of the page shown drawn afresh for the map's size and the
  // boats in focus; nothing on the Track page.
  void redrawPage();
  // Boat n's curves (0-based; -1 none) over the graph on its pages.
  void highlightBoat(int boat);
  // "Retouch": the picture the map shows saved as "NoName.bmp" in the
  // documents folder and opened: the page's picture off the Track page, else
  // the map, the live scene drawn afresh at the replay time.
  void retouch();
  // The graph picture as last drawn.
  const QImage& graphPicture() const { return m_graph.GraphBitmap(); }
  // The gap chart or the polars as last drawn.
  const QImage& chartPicture() const { return m_charts.picture(); }
  const ChartScreen& charts() const { return m_charts; }

 signals:
  void pageChanged(Page page);
  // The Track page is back and a race is loaded: show the map, and go on
  // with the replay if it ran.
  void trackShown();
  // A file could not be written.
  void failed(const QString& error);

 private:
  void report(const std::optional<QString>& error);

  DesktopDocuments& m_documents;
  Panels m_panels;
  Replay m_replay;
  GraphScreen m_graph;
  ChartScreen m_charts;
  const LoadedRace* m_loaded = nullptr;
  Page m_page = Page::Track;
};

}  // namespace velaro
