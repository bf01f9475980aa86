#include "app/panels/scoreboard.h"

namespace velaro {

ScoreBoard::ScoreBoard(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("scoreBoard"));
  setGeometry(0, 5, 200, 6);
  setAutoFillBackground(true);
  hide();
}

void ScoreBoard::setResults(const std::vector<ResultLabel>& labels, const std::vector<Rgb>& colours) {
  for (QLabel* line : m_resultLines) {
    delete line;
  }
  m_resultLines.clear();
  for (size_t b = 0; b < labels.size() && b < colours.size(); ++b) {
    auto* line = new QLabel(labels[b].text, this);
    line->setObjectName(QStringLiteral("resultLine%1").arg(b + 1));
    const Rgb c = colours[b];
    line->setStyleSheet(
        QStringLiteral("QLabel { background: rgb(%1,%2,%3); color: white; }").arg(c.r).arg(c.g).arg(c.b));
    line->setGeometry(6, labels[b].top, 188, 13);
    line->hide();
    m_resultLines.push_back(line);
  }
  hide();
}

void ScoreBoard::setMapWidth(int MapWidth) {
  m_mapWidth = MapWidth;
  move(MapWidth - width() - 5, 5);
}

void ScoreBoard::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  move(x() > 50 ? 5 : m_mapWidth - width() - 5, y());
}

void ScoreBoard::apply(bool cleared, const std::vector<int>& revealed, const ResultBoard& board) {
  if (cleared) {
    for (QLabel* line : m_resultLines) {
      line->hide();
    }
  }
  for (int b : revealed) {
    if (b >= 0 && b < static_cast<int>(m_resultLines.size())) {
      m_resultLines[b]->show();
    }
  }
  setVisible(board.visible);
  resize(width(), board.height);
  if (board.visible) {
    raise();
  }
}

}  // namespace velaro
