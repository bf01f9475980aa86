#pragma once

#include "app/captions.h"
#include "app/replay/page.h"
#include "core/loadedrace.h"
#include "core/scene/mapviewstate.h"

#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace velaro {

class CompassPanel;
class HintBox;
class MapView;
class OverviewPanel;
class RaceControlPanel;
class ReplayScreen;
class WindGraphPanel;

// What the pointer and the keys do to the map: in the live scene a click
// shows or hides the wind graph; in the whole-race view it zooms about the
// clicked point, or with Shift sets the base point of the range and bearing
// tool. A pointer move chooses the label detail, wakes and sails of the
// live scene, writes the position into the window's title and shows the
// map's hints and the measuring read-out. Keys are previewed for the whole
// window. The rules are core's; this applies them to the panels.
class MapInteraction : public QObject {
  Q_OBJECT

 public:
  struct Panels {
    MapView* map = nullptr;
    HintBox* hints = nullptr;
    WindGraphPanel* windGraph = nullptr;
    RaceControlPanel* controls = nullptr;
  };

  // window is the window whose keys are previewed.
  MapInteraction(ReplayScreen& screen, const Panels& panels, QWidget* window);
  // Follows the pointer on the map, clicks on the overview map and the
  // pointer over the compass and the wind graph.
  void connectPointerSources(OverviewPanel* overview, CompassPanel* compass);

  // The race on screen; the map goes back to the live scene.
  void setRace(const LoadedRace* loaded);
  // Pointer and keys do nothing while inactive: before the first race and
  // during a load.
  void setActive(bool active) { m_active = active; }
  void setPage(Page page) { m_page = page; }
  void setLanguage(Language language) { m_language = language; }

  MapViewState& state() { return m_state; }
  const MapViewState& state() const { return m_state; }
  Orientation orientation() const;

  void onMapPressed(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void onMapMoved(QPoint at);
  void onMapLeft();
  void onOverviewClicked(QPoint at);
  void onCompassHovered(int labelLevel);
  void onWindGraphHovered();
  void onKeyPressed(int key);
  void onKeyReleased();

 signals:
  // The whole-race view moved or zoomed: draw it again.
  void redrawRequested();
  // The live scene's pointer flags changed (a stopped scene may redraw).
  void sceneFlagsChanged();
  void captionChanged(const QString& caption);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void setFlags(int LabelLevel, bool RedWakeMode, bool ShowSails, bool ShowWindVanes);

  ReplayScreen& m_screen;
  Panels m_panels;
  QWidget* m_window;
  const LoadedRace* m_loaded = nullptr;
  bool m_active = false;
  Page m_page = Page::Track;
  Language m_language = Language::EnglishFixed;
  MapViewState m_state;
  QPoint m_lastPointer{-1, -1};
  // The key event last handled and where: an event a control ignores passes
  // on to its parents, each of which the application's filter sees again.
  const QEvent* m_lastKeyEvent = nullptr;
  QPointer<QWidget> m_lastKeyReceiver;
  quint64 m_lastKeyTime = 0;
  QEvent::Type m_lastKeyType = QEvent::None;
};

}  // namespace velaro
