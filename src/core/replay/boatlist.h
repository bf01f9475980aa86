#pragma once

#include "core/race.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>

#include <vector>

namespace velaro {

// The boat list: one coloured box per boat in two columns. Checked boats are
// in focus; one boat may be emphasised at all times.

inline constexpr int kBoatBoxWidth = 120;
inline constexpr int kBoatBoxHeight = 12;
inline constexpr int kBoatRowPitch = 14;
inline constexpr int kBoatFirstColumnLeft = 5;
inline constexpr int kBoatSecondColumnLeft = 132;

// Boat b's box (1-based) in the list panel: boats 1..BoatRows down the first
// column, the rest down the second, one row every 14 pixels below the header.
QRect boatBoxRect(int boat, int BoatRows);

// The list's focus and emphasis, boat n at n - 1. A load starts it from the
// race file's focus with nothing emphasised.
class BoatFocus {
 public:
  BoatFocus() = default;
  explicit BoatFocus(const Race& race);

  int BoatCount() const { return static_cast<int>(m_focused.size()); }
  // 1 focused, 0 out of focus; what the live scene reads each frame.
  const std::vector<int>& BoatFocused() const { return m_focused; }
  bool isFocused(int boat) const;
  int PickedBoat() const { return m_picked; }
  // Boats out of focus; the KML export asks about hiding them.
  int UnfocusedCount() const;

  // A press on boat b's box. Shift with any button moves the emphasis to b,
  // or removes it when b had it, and leaves the focus alone; otherwise the
  // right button focuses b alone and the left one toggles b. Returns whether
  // the focus changed.
  bool press(int boat, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  // The header: every boat in focus. Returns whether the focus changed.
  bool focusAll();

 private:
  std::vector<int> m_focused;
  int m_picked = 0;
};

// What the pointer over boat b's box does besides setting HoverBoat: the
// track highlight belongs to the whole-race view of the Track page, the curve
// highlight to the graph page (only for real pointer moves), the hint to the
// live scene.
struct BoatHoverEffect {
  bool trackHighlight = false;
  bool curveHighlight = false;
  bool hint = false;
};
// Page: 1 Track, 2 Graph or Table; ReplayMode: 1 live scene, 0 whole-race view.
BoatHoverEffect boatHoverEffect(int Page, int ReplayMode, bool HintsOn, bool pointerMoved);

// The hint over a boat's box (lines joined by CR LF) and its box: at the
// list panel's left, 30 pixels below the hovered box's top.
QString boatHintText(const QString& BoatName, bool japanese);
QRect boatHintRect(QPoint panelTopLeft, int boxTop, bool japanese);
// The header's hint; it is shown wherever the last hint was placed.
QString headerHintText(bool japanese);
QSize headerHintSize();

// Where the list panel goes in the right-hand column between the logo panel
// above and the control panel below. A list that fits below the logo starts
// there and fills the gap down to the control panel (lying over it when
// longer); a longer one starts at the top, covering the logo. A list taller
// than the window is cut to it and scrolls, so no box lies out of reach.
struct BoatListPlacement {
  int top = 0;
  int height = 0;
  bool scrolls = false;
};
BoatListPlacement placeBoatList(int clientHeight, int BoatListHeight, int logoHeight, int controlHeight);

// Which neighbours stay shown while the pointer is over the list: a list at
// the top hides the logo panel, one longer than the gap between the logo and
// control panels hides the control panel.
struct PanelFit {
  bool logoVisible = true;
  bool controlVisible = true;
  // The neighbours lie over the list rather than under it.
  bool neighboursOnTop = false;
};
PanelFit fitPanels(int listTop, int clientHeight, int BoatListHeight, int logoHeight, int controlHeight);
// When the pointer leaves the list both neighbours show again, complete and
// on top of the list, so that every control of theirs can be reached; the
// list stays on top when that would leave no row of it between them to come
// back to.
PanelFit panelsAfterLeavingList(int clientHeight, int logoHeight, int controlHeight);

}  // namespace velaro
