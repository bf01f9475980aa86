#include "core/replay/boatlist.h"

#include <algorithm>

namespace velaro {

namespace {

const QString kHintBreak = QStringLiteral("\r\n");

}  // namespace

QRect boatBoxRect(int boat, int BoatRows) {
  const bool firstColumn = boat <= BoatRows;
  const int left = firstColumn ? kBoatFirstColumnLeft : kBoatSecondColumnLeft;
  const int row = firstColumn ? boat : boat - BoatRows;
  return QRect(left, row * kBoatRowPitch, kBoatBoxWidth, kBoatBoxHeight);
}

BoatFocus::BoatFocus(const Race& race) {
  m_focused.reserve(race.boats.size());
  for (const Boat& boat : race.boats) {
    m_focused.push_back(boat.BoatFocused > 0 ? 1 : 0);
  }
}

bool BoatFocus::isFocused(int boat) const {
  return boat >= 1 && boat <= BoatCount() && m_focused[boat - 1] > 0;
}

int BoatFocus::UnfocusedCount() const {
  return static_cast<int>(std::count_if(m_focused.begin(), m_focused.end(), [](int f) { return f < 1; }));
}

bool BoatFocus::press(int boat, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  if (boat < 1 || boat > BoatCount()) {
    return false;
  }
  if (modifiers.testFlag(Qt::ShiftModifier)) {
    m_picked = m_picked == boat ? 0 : boat;
    return false;
  }
  const std::vector<int> before = m_focused;
  if (button == Qt::RightButton) {
    std::fill(m_focused.begin(), m_focused.end(), 0);
    m_focused[boat - 1] = 1;
  } else if (button == Qt::LeftButton) {
    m_focused[boat - 1] = m_focused[boat - 1] > 0 ? 0 : 1;
  }
  return m_focused != before;
}

bool BoatFocus::focusAll() {
  const bool changed = UnfocusedCount() > 0;
  std::fill(m_focused.begin(), m_focused.end(), 1);
  return changed;
}

BoatHoverEffect boatHoverEffect(int Page, int ReplayMode, bool HintsOn, bool pointerMoved) {
  BoatHoverEffect e;
  e.trackHighlight = Page == 1 && ReplayMode == 0;
  e.curveHighlight = Page == 2 && pointerMoved;
  e.hint = HintsOn && Page == 1 && ReplayMode == 1;
  return e;
}

QString boatHintText(const QString& BoatName, bool japanese) {
  if (japanese) {
    return QStringLiteral("ﾁｪｯｸの入った艇がﾌｫｰｶｽされます。") + kHintBreak + QStringLiteral("右ｸﾘｯｸで") +
           BoatName + kHintBreak + QStringLiteral("のみ残して他全艇のﾌｫｰｶｽを外します。") + kHintBreak +
           kHintBreak + QStringLiteral("SHIFT+左ｸﾘｯｸで１艇のみ常時強調表示します") + kHintBreak +
           QStringLiteral("(再度SHIFT+左ｸﾘｯｸで強調表示を解除)");
  }
  return QStringLiteral("Checked boats are focused.") + kHintBreak +
         QStringLiteral("Unchecked boats are out of focus.") + kHintBreak + kHintBreak +
         QStringLiteral("R-Click to focus only ") + BoatName;
}

QRect boatHintRect(QPoint panelTopLeft, int boxTop, bool japanese) {
  const QSize size = japanese ? QSize(250, 80) : QSize(280, 56);
  return QRect(QPoint(panelTopLeft.x(), panelTopLeft.y() + boxTop + 30), size);
}

QString headerHintText(bool japanese) {
  return japanese ? QStringLiteral("左ｸﾘｯｸで全艇にﾁｪｯｸが入ります")
                  : QStringLiteral("Left Button => Focus All Boats.");
}

QSize headerHintSize() {
  return QSize(220, 20);
}

BoatListPlacement placeBoatList(int clientHeight, int BoatListHeight, int logoHeight, int controlHeight) {
  BoatListPlacement p;
  const int gap = clientHeight - logoHeight - controlHeight;
  p.height = BoatListHeight < gap ? gap : BoatListHeight;
  p.top = BoatListHeight < clientHeight - logoHeight ? logoHeight : 0;
  if (p.top + p.height > clientHeight) {
    p.height = std::max(0, clientHeight - p.top);
    p.scrolls = p.height < BoatListHeight;
  }
  return p;
}

PanelFit fitPanels(int listTop, int clientHeight, int BoatListHeight, int logoHeight, int controlHeight) {
  PanelFit fit;
  fit.logoVisible = listTop != 0;
  fit.controlVisible = clientHeight - logoHeight - controlHeight >= BoatListHeight;
  return fit;
}

PanelFit panelsAfterLeavingList(int clientHeight, int logoHeight, int controlHeight) {
  PanelFit fit;
  fit.neighboursOnTop = clientHeight - logoHeight - controlHeight >= kBoatRowPitch;
  return fit;
}

}  // namespace velaro
