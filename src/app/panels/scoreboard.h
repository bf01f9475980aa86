#pragma once

#include "core/loadedrace.h"
#include "core/replay/replayclock.h"

#include <QLabel>
#include <QWidget>

#include <vector>

namespace velaro {

// The result board at the map's top right corner: one line a boat in the
// boat's colour, revealed as the boat finishes; the board grows with them.
class ScoreBoard : public QWidget {
  Q_OBJECT

 public:
  explicit ScoreBoard(QWidget* parent = nullptr);

  // The lines of a new race, all hidden; the board hides too.
  void setResults(const std::vector<ResultLabel>& labels, const std::vector<Rgb>& colours);
  // What the replay clock said: clear the revealed lines, reveal boats (0-based)
  // and size the board.
  void apply(bool cleared, const std::vector<int>& revealed, const ResultBoard& board);
  // The map's width: the board sits 5 pixels inside its top right corner.
  void setMapWidth(int MapWidth);

 protected:
  // The board jumps out of the pointer's way: to the map's left edge, or
  // back to the right when it is already at the left.
  void enterEvent(QEnterEvent* event) override;

 private:
  int m_mapWidth = 0;
  std::vector<QLabel*> m_resultLines;
};

}  // namespace velaro
