#include "app/panels/boatlistpanel.h"

#include "app/captions.h"

#include "app/controls.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace velaro {

namespace {

constexpr int kPanelWidth = 265;
constexpr QRect kHeaderPlace(4, 0, 257, 13);

QString boxStyle(Rgb c) {
  return QStringLiteral(
             "QCheckBox { background: rgb(%1,%2,%3); color: white; spacing: 2px; padding-left: 1px; }"
             "QCheckBox::indicator { width: 9px; height: 9px; }")
      .arg(c.r)
      .arg(c.g)
      .arg(c.b);
}

}  // namespace

BoatListPanel::BoatListPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("boatListPanel"));
  m_scroll = named(new QScrollArea, "boatListScroll", this);
  m_scroll->setFrameShape(QFrame::NoFrame);
  m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_scroll->setWidgetResizable(false);
  m_content = named(new QWidget, "boatListContent", nullptr);
  m_content->resize(kPanelWidth, boatListHeightFor(0));
  m_content->setMouseTracking(true);
  m_content->installEventFilter(this);
  m_header = named(new QLabel(tr("     Boat Name ")), "boatListHeader", m_content, kHeaderPlace);
  m_header->setMouseTracking(true);
  m_header->installEventFilter(this);
  m_scroll->setWidget(m_content);
  setMouseTracking(true);
}

void BoatListPanel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    m_header->setText(tr("     Boat Name "));
  }
  QWidget::changeEvent(event);
}

void BoatListPanel::setBoats(const LoadedRace& loaded) {
  for (QCheckBox* box : m_boatBoxes) {
    delete box;
  }
  m_boatBoxes.clear();
  const Race& race = loaded.race;
  m_focus = BoatFocus(race);
  m_hoverBoat = 0;
  m_content->resize(kPanelWidth, race.BoatListHeight);
  for (int b = 0; b < race.BoatCount(); ++b) {
    auto* box = new QCheckBox(race.boats[b].BoatName, m_content);
    box->setObjectName(QStringLiteral("boatBox%1").arg(b + 1));
    box->setGeometry(boatBoxRect(b + 1, race.BoatRows));
    // Clicks go through the focus rules, never straight to the box.
    box->setFocusPolicy(Qt::NoFocus);
    box->setMouseTracking(true);
    box->installEventFilter(this);
    const Rgb c =
        b < static_cast<int>(loaded.colours.BoatColour.size()) ? loaded.colours.BoatColour[b] : Rgb{};
    box->setStyleSheet(boxStyle(c));
    box->show();
    m_boatBoxes.push_back(box);
  }
  showFocus();
}

void BoatListPanel::focusAll() {
  m_focus.focusAll();
  showFocus();
}

QString BoatListPanel::boatHint(const QString& BoatName) {
  return hintLines(
      tr("Checked boats are focused.\nUnchecked boats are out of focus.\n\nR-Click to focus only %1")
          .arg(BoatName));
}

QString BoatListPanel::headerHint() {
  return tr("Left Button => Focus All Boats.");
}

int BoatListPanel::boxTop(int boat) const {
  if (boat < 0 || boat >= boatCount()) {
    return 0;
  }
  return m_boatBoxes[boat]->mapTo(this, QPoint()).y();
}

void BoatListPanel::boatPressed(int boat, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  const int picked = m_focus.PickedBoat();
  const bool changed = m_focus.press(boat + 1, button, modifiers);
  showFocus();
  if (m_focus.PickedBoat() != picked) {
    emit pickedBoatChanged(m_focus.PickedBoat());
  }
  if (changed) {
    emit focusChanged();
  }
}

void BoatListPanel::headerPressed() {
  if (m_focus.focusAll()) {
    showFocus();
    emit focusChanged();
  }
}

void BoatListPanel::boatMoved(int boat, QPoint globalPos) {
  if (globalPos == m_lastPointer && m_hoverBoat == boat + 1) {
    return;
  }
  m_lastPointer = globalPos;
  // Make room first, so that what the hover shows lies on top.
  emit pointerEntered();
  setHoverBoat(boat + 1);
}

void BoatListPanel::headerMoved() {
  m_lastPointer = QPoint(-1, -1);
  setHoverBoat(0);
  emit headerHovered();
}

void BoatListPanel::panelMoved() {
  m_lastPointer = QPoint(-1, -1);
  emit pointerEntered();
  setHoverBoat(0);
}

void BoatListPanel::setHoverBoat(int boat) {
  const bool changed = boat != m_hoverBoat;
  m_hoverBoat = boat;
  // Every real move over a box counts (the graph page follows the pointer);
  // off the boxes only the change does.
  if (boat > 0 || changed) {
    emit boatHovered(boat - 1);
  }
}

bool BoatListPanel::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == m_header) {
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
      headerPressed();
      return true;
    }
    if (type == QEvent::MouseMove) {
      // Taken here, or the panel under the header would see it as well.
      headerMoved();
      return true;
    }
    return QWidget::eventFilter(watched, event);
  }
  if (watched == m_content) {
    if (type == QEvent::MouseMove) {
      panelMoved();
    }
    return QWidget::eventFilter(watched, event);
  }
  for (int b = 0; b < boatCount(); ++b) {
    if (watched != m_boatBoxes[b]) {
      continue;
    }
    switch (type) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        boatPressed(b, mouse->button(), mouse->modifiers());
        return true;
      }
      case QEvent::MouseButtonRelease:
        return true;
      case QEvent::MouseMove:
        boatMoved(b, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
      default:
        break;
    }
    break;
  }
  return QWidget::eventFilter(watched, event);
}

void BoatListPanel::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  emit pointerEntered();
}

void BoatListPanel::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  m_lastPointer = QPoint(-1, -1);
  setHoverBoat(0);
  emit pointerLeft();
}

void BoatListPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  m_scroll->setGeometry(rect());
}

void BoatListPanel::showFocus() {
  for (int b = 0; b < boatCount(); ++b) {
    m_boatBoxes[b]->setChecked(m_focus.isFocused(b + 1));
  }
}

}  // namespace velaro
