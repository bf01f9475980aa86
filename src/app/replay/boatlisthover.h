#pragma once

#include "app/replay/page.h"
#include "core/loadedrace.h"

#include <QObject>

namespace velaro {

class BoatListPanel;
class HintBox;
class MapInteraction;
class OverviewPanel;
class RaceControlPanel;
class ReplayScreen;

// What the pointer on the boat list does to the rest of the window: the
// boat's hint, its whole track picked out in the whole-race view or its
// curves over the graph, the header's hint, and the logo and control panels
// making room for a long list and coming back when the pointer leaves it.
class BoatListHover : public QObject {
  Q_OBJECT

 public:
  struct Panels {
    BoatListPanel* boatList = nullptr;
    OverviewPanel* overview = nullptr;
    RaceControlPanel* controls = nullptr;
    HintBox* hints = nullptr;
  };

  // window is the window the panels lie in; map gives the view on screen.
  BoatListHover(ReplayScreen& screen, const MapInteraction& map, const Panels& panels, QWidget* window);

  // The race on screen (it must outlive the next call).
  void setRace(const LoadedRace* loaded) { m_loaded = loaded; }
  void setPage(Page page) { m_page = page; }

  void onBoatHovered(int boat);
  void onHeaderHovered();
  void fitPanelsToList();
  void onListLeft();

 signals:
  // The graph page lays boat n's curves (0-based; -1 none) over the graph.
  void curvesHighlighted(int boat);
  // The hovered boat changed: the live scene draws its halo.
  void hoverChanged();

 private:
  ReplayScreen& m_screen;
  const MapInteraction& m_map;
  Panels m_panels;
  QWidget* m_window;
  const LoadedRace* m_loaded = nullptr;
  Page m_page = Page::Track;
};

}  // namespace velaro
