#pragma once

#include <QPlainTextEdit>
#include <QRect>
#include <QString>

namespace velaro {

// The program's own tooltip: a yellow box over the window, placed and sized
// by whoever shows a hint. Hidden until the first hint.
class HintBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit HintBox(QWidget* parent = nullptr);

  // Shows text in a box at rect (window coordinates), above every panel.
  void showHint(const QString& text, const QRect& rect);
  void hideHint() { hide(); }
};

}  // namespace velaro
