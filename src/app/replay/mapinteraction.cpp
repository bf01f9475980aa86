#include "app/replay/mapinteraction.h"

#include "app/panels/compasspanel.h"
#include "app/panels/hintbox.h"
#include "app/panels/mapview.h"
#include "app/panels/overviewpanel.h"
#include "app/panels/racecontrolpanel.h"
#include "app/panels/windgraphpanel.h"
#include "app/replay/replayscreen.h"
#include "core/scene/pointerrules.h"

#include <QKeyEvent>

namespace velaro {

namespace {

// The words of a hint the map calls for, in the installed language.
QString hintText(MapHintKind kind) {
  switch (kind) {
    case MapHintKind::RedWake:
      return MapInteraction::tr("Red wake boats are faster than avg boats");
    case MapHintKind::MapTips:
      break;
  }
  return hintLines(MapInteraction::tr(
      "Left Button => Enlarge Map.\nRight Button => Shrink Map\n(Click point is a center of map)\n\n"
      "Shift Key to be Range & Bearing Measuring Mode\nMouseDown to Set Base Point and Move to\n"
      "Indicate Range and Bearing to New Point"));
}

}  // namespace

MapInteraction::MapInteraction(ReplayScreen& screen, const Panels& panels, QWidget* window)
    : QObject(window), m_screen(screen), m_panels(panels), m_window(window) {
  setObjectName(QStringLiteral("mapInteraction"));
}

void MapInteraction::connectPointerSources(OverviewPanel* overview, CompassPanel* compass) {
  connect(m_panels.map, &MapView::mousePressed, this, &MapInteraction::onMapPressed);
  connect(m_panels.map, &MapView::mouseMoved, this, [this](QPoint at) { onMapMoved(at); });
  connect(m_panels.map, &MapView::mouseLeft, this, &MapInteraction::onMapLeft);
  connect(overview, &OverviewPanel::mapClicked, this, &MapInteraction::onOverviewClicked);
  connect(compass, &CompassPanel::hovered, this, &MapInteraction::onCompassHovered);
  connect(m_panels.windGraph, &WindGraphPanel::hovered, this, &MapInteraction::onWindGraphHovered);
}

void MapInteraction::setRace(const LoadedRace* loaded) {
  m_loaded = loaded;
  m_state = MapViewState{};
  m_panels.map->showMeasure(std::nullopt);
}

Orientation MapInteraction::orientation() const {
  return {m_panels.controls->northUp() ? 1 : 0, m_loaded ? m_loaded->race.WindAxis : 0};
}

void MapInteraction::onMapPressed(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  if (!m_active || !m_loaded) {
    return;
  }
  MapViewState::Click click;
  click.at = at;
  click.leftButton = button == Qt::LeftButton;
  click.shift = m_state.ShiftDown || modifiers.testFlag(Qt::ShiftModifier);
  click.trackPage = m_page == Page::Track;
  click.hasWind = m_loaded->race.WindCount() > 0;
  switch (m_state.click(click, m_loaded->geometry, orientation(), m_screen.scene().options().mapArea)) {
    case MapClickAction::ToggleWindGraph:
      m_panels.windGraph->setVisible(m_panels.windGraph->isHidden());
      break;
    case MapClickAction::Redraw:
      emit redrawRequested();
      break;
    case MapClickAction::BasePointSet:
      m_state.ShiftDown = true;
      onMapMoved(at);
      break;
    case MapClickAction::None:
      break;
  }
}

void MapInteraction::setFlags(int LabelLevel, bool RedWakeMode, bool ShowSails, bool ShowWindVanes) {
  SceneOptions& o = m_screen.sceneOptions();
  const bool changed = o.LabelLevel != LabelLevel || o.RedWakeMode != RedWakeMode ||
                       o.ShowSails != ShowSails || o.ShowWindVanes != ShowWindVanes || o.HoverBoat != 0;
  o.LabelLevel = LabelLevel;
  o.RedWakeMode = RedWakeMode;
  o.ShowSails = ShowSails;
  o.ShowWindVanes = ShowWindVanes;
  o.HoverBoat = 0;
  if (changed) {
    emit sceneFlagsChanged();
  }
}

void MapInteraction::onMapMoved(QPoint at) {
  if (!m_active || !m_loaded) {
    return;
  }
  m_lastPointer = at;
  const Race& race = m_loaded->race;
  PointerMove move;
  move.at = at;
  move.mapArea = m_screen.scene().options().mapArea;
  move.trackPage = m_page == Page::Track;
  move.boatNamesChecked = m_panels.controls->boatNames();
  move.HintsOn = m_panels.controls->hintsOn();
  move.japanese = isJapanese(m_language);
  move.RaceCaption = race.RaceCaption;
  move.RaceNote = race.RaceNote;
  move.CosCentreLat = m_loaded->geometry.CosCentreLat;
  move.MagVariation = race.MagVariation;
  PointerOutcome out = pointerMove(move, m_state, m_screen.scene().viewProjection());
  if (out.measure && out.measure->askBasePoint) {
    out.measure->text = tr("Click to set base point");
  }

  setFlags(out.LabelLevel, out.RedWakeMode, out.ShowSails, out.ShowWindVanes);
  m_panels.map->showMeasure(out.measure);
  // In the whole-race view the boats' names make room for the read-out.
  const bool wholeRace = m_state.isWholeRace();
  const std::optional<QRect> readout =
      out.measure && wholeRace ? std::optional<QRect>(out.measure->rect) : std::nullopt;
  if (m_screen.setReadoutArea(readout) && wholeRace) {
    emit redrawRequested();
  }
  emit captionChanged(out.caption);
  if (out.hint) {
    // A hint placed by the map keeps its right edge when it grows to fit.
    const QString text = hintText(out.hint->kind);
    const QSize size = m_panels.hints->fitting(out.hint->size, text);
    const QPoint topLeft = out.hint->at ? *out.hint->at - QPoint(size.width() - out.hint->size.width(), 0)
                                        : m_panels.hints->pos();
    m_panels.hints->showHint(text, QRect(topLeft, size), out.hint->at ? m_panels.map : nullptr);
  } else {
    m_panels.hints->hideHint();
  }
}

void MapInteraction::onMapLeft() {
  m_panels.map->showMeasure(std::nullopt);
  m_panels.hints->hideHint();
}

void MapInteraction::onOverviewClicked(QPoint at) {
  if (!m_active || !m_loaded) {
    return;
  }
  if (m_state.overviewClick(at, m_page == Page::Track, m_loaded->geometry, orientation())) {
    emit redrawRequested();
  }
}

void MapInteraction::onCompassHovered(int labelLevel) {
  if (!m_active || !m_loaded) {
    return;
  }
  const SceneOptions& o = m_screen.sceneOptions();
  setFlags(labelLevel, o.RedWakeMode, o.ShowSails, true);
}

void MapInteraction::onWindGraphHovered() {
  if (!m_active || !m_loaded) {
    return;
  }
  const SceneOptions& o = m_screen.sceneOptions();
  // The panel shows its own hint.
  setFlags(o.LabelLevel, o.RedWakeMode, o.ShowSails, true);
}

// Shift turns the measuring mode on, any other key off; releasing any key
// also drops the base point. The read-out follows at once where the pointer
// is.
void MapInteraction::onKeyPressed(int key) {
  m_state.keyDown(key == Qt::Key_Shift);
  if (m_active && m_panels.map->underMouse()) {
    onMapMoved(m_lastPointer);
  }
}

void MapInteraction::onKeyReleased() {
  m_state.keyUp();
  if (m_active && m_panels.map->underMouse()) {
    onMapMoved(m_lastPointer);
  }
}

bool MapInteraction::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
    auto* widget = qobject_cast<QWidget*>(watched);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool passedOn = event == m_lastKeyEvent && type == m_lastKeyType &&
                          key->timestamp() == m_lastKeyTime && m_lastKeyReceiver && widget != nullptr &&
                          widget->isAncestorOf(m_lastKeyReceiver);
    if (widget != nullptr && widget->window() == m_window && !key->isAutoRepeat() && !passedOn) {
      m_lastKeyEvent = event;
      m_lastKeyReceiver = widget;
      m_lastKeyTime = key->timestamp();
      m_lastKeyType = type;
      if (type == QEvent::KeyPress) {
        onKeyPressed(key->key());
      } else {
        onKeyReleased();
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace velaro
