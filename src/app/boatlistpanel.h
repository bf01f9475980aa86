#pragma once

#include "core/loadpipeline.h"

#include <QCheckBox>
#include <QLabel>
#include <QWidget>

#include <vector>

namespace velaro {

// The boat list in the right-hand column: a header and one focus box a boat
// in the boat's colour, two columns of 14-pixel rows, rebuilt at each load.
class BoatListPanel : public QWidget {
  Q_OBJECT

 public:
  explicit BoatListPanel(QWidget* parent = nullptr);

  // Rebuilds the boxes for a race; a box is checked when its boat is focused.
  void setBoats(const LoadedRace& race);
  int boatCount() const { return static_cast<int>(m_boatBoxes.size()); }
  // 1 for each boat in focus, 0 otherwise; boat n at n - 1.
  std::vector<int> focused() const;
  // Checks every box without sending focusChanged (the scene refocused all).
  void focusAll();

 signals:
  // The user checked or unchecked a boat (0-based).
  void focusChanged(int boat, bool focused);

 private:
  QLabel* m_header = nullptr;
  std::vector<QCheckBox*> m_boatBoxes;
};

}  // namespace velaro
