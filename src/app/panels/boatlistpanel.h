#pragma once

#include "core/loadedrace.h"
#include "core/replay/boatlist.h"

#include <QCheckBox>
#include <QLabel>
#include <QPoint>
#include <QScrollArea>
#include <QWidget>

#include <vector>

namespace velaro {

// The boat list in the right-hand column: a header and one focus box a boat,
// white on the boat's colour, boats 1..BoatRows down the first column and the
// rest down the second, rebuilt at each load. A list taller than the panel
// scrolls. The focus rules are the core's BoatFocus; the boxes show it.
class BoatListPanel : public QWidget {
  Q_OBJECT

 public:
  explicit BoatListPanel(QWidget* parent = nullptr);

  // Rebuilds the boxes for a race: checked from the race file's focus,
  // nothing emphasised, nothing hovered.
  void setBoats(const LoadedRace& race);
  int boatCount() const { return static_cast<int>(m_boatBoxes.size()); }
  // 1 for each boat in focus, 0 otherwise; boat n at n - 1.
  const std::vector<int>& focused() const { return m_focus.BoatFocused(); }
  int UnfocusedCount() const { return m_focus.UnfocusedCount(); }
  // The emphasised boat and the boat under the pointer, 1-based, 0 none.
  int PickedBoat() const { return m_focus.PickedBoat(); }
  int HoverBoat() const { return m_hoverBoat; }
  // Checks every box without sending focusChanged (the scene refocused all).
  void focusAll();
  // Top of boat b's box (0-based) in the panel's coordinates, as scrolled.
  int boxTop(int boat) const;
  // The hint over a boat's box (lines joined by CR LF) and the header's
  // hint, in the installed language.
  static QString boatHint(const QString& BoatName);
  static QString headerHint();

  // What the pointer does on the list, public so that tests drive them.
  // Button and modifiers of a press on boat b's box (0-based).
  void boatPressed(int boat, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void headerPressed();
  // The pointer at globalPos over boat b's box; only real moves count.
  void boatMoved(int boat, QPoint globalPos);
  void headerMoved();
  // The pointer over the panel between the boxes.
  void panelMoved();

 signals:
  // The user changed the focus: the scene, the whole-race view and the graph
  // page follow it.
  void focusChanged();
  // The emphasised boat changed (Shift+click); the focus did not.
  void pickedBoatChanged(int PickedBoat);
  // The pointer moved onto boat b's box (0-based) or off every box (-1).
  void boatHovered(int boat);
  // The pointer is over the header: its hint.
  void headerHovered();
  // The pointer is on the list: the neighbours make room for it.
  void pointerEntered();
  // The pointer left the list.
  void pointerLeft();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void showFocus();
  void setHoverBoat(int boat);

  BoatFocus m_focus;
  int m_hoverBoat = 0;
  QPoint m_lastPointer{-1, -1};
  QScrollArea* m_scroll = nullptr;
  QWidget* m_content = nullptr;
  QLabel* m_header = nullptr;
  std::vector<QCheckBox*> m_boatBoxes;
};

}  // namespace velaro
