#include "app/boatlistpanel.h"

#include "app/controls.h"

namespace velaro {

BoatListPanel::BoatListPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("boatListPanel"));
  m_header = named(new QLabel, "boatListHeader", this, QRect(4, 4, 257, 16));
}

void BoatListPanel::setBoats(const LoadedRace& loaded) {
  for (QCheckBox* box : m_boatBoxes) {
    delete box;
  }
  m_boatBoxes.clear();
  const Race& race = loaded.race;
  for (int b = 0; b < race.BoatCount(); ++b) {
    auto* box = new QCheckBox(race.boats[b].BoatName, this);
    box->setObjectName(QStringLiteral("boatBox%1").arg(b + 1));
    const int row = b / 2;
    const int column = b % 2;
    box->setGeometry(6 + column * 128, 22 + row * 14, 126, 14);
    box->setChecked(race.boats[b].BoatFocused != 0);
    const Rgb c = loaded.colours.BoatColour[b];
    box->setStyleSheet(
        QStringLiteral("QCheckBox { color: rgb(%1,%2,%3); font-weight: bold; }").arg(c.r).arg(c.g).arg(c.b));
    connect(box, &QCheckBox::toggled, this, [this, b](bool on) { emit focusChanged(b, on); });
    box->show();
    m_boatBoxes.push_back(box);
  }
}

std::vector<int> BoatListPanel::focused() const {
  std::vector<int> focus(m_boatBoxes.size(), 0);
  for (size_t b = 0; b < m_boatBoxes.size(); ++b) {
    focus[b] = m_boatBoxes[b]->isChecked() ? 1 : 0;
  }
  return focus;
}

void BoatListPanel::focusAll() {
  for (QCheckBox* box : m_boatBoxes) {
    const QSignalBlocker block(box);
    box->setChecked(true);
  }
}

}  // namespace velaro
