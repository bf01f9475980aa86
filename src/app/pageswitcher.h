#pragma once

#include "app/graphscreen.h"
#include "app/racecontrolpanel.h"
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
class ReplayClock;
class ReplayScreen;
class StopwatchWidget;
class WindGraphPanel;

// The Track, Graph and Table pages: which one is shown, the panels only the
// Track page has, the graph picture that takes the map's place on the other
// two (with a boat's curves over it while the pointer is on the boat in the
// list), the table the Table page writes, and the picture "Retouch" saves.
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
  // What the pages read from the window: the replay on screen and its
  // clock, the frame timer Retouch holds, the view the map shows, and the
  // map's present size.
  struct Replay {
    ReplayScreen* screen = nullptr;
    const ReplayClock* clock = nullptr;
    QTimer* frameTimer = nullptr;
    const MapInteraction* map = nullptr;
    std::function<QSize()> mapArea;
  };

  PageSwitcher(DesktopDocuments& documents, const Panels& panels, Replay replay, QObject* parent);

  // A newly loaded race (it must outlive the next call): the Track page.
  void setRace(const LoadedRace* loaded);
  // 1 on the Track page, 2 on the Graph and Table pages.
  int page() const { return m_page; }

  // The Graph and Table pages show the graph picture in place of the map;
  // the Table page then writes the table. Back on the Track page,
  // trackShown asks for the map as it was left.
  void choose(Page page);
  // Draws the graph picture for the map's size and the boats in focus, and
  // shows it on the Graph and Table pages.
  void redrawGraph();
  // Boat n's curves (0-based; -1 none) over the graph on its pages.
  void highlightBoat(int boat);
  // "Retouch": the picture the map shows saved as "NoName.bmp" in the
  // documents folder and opened: the graph picture on the Graph and Table
  // pages, else the map, the live scene drawn afresh at the replay time.
  void retouch();
  // The graph picture as last drawn.
  const QImage& graphPicture() const { return m_graph.GraphBitmap(); }

 signals:
  void pageChanged(int page);
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
  const LoadedRace* m_loaded = nullptr;
  int m_page = 1;
};

}  // namespace velaro
