#pragma once

#include <QPlainTextEdit>
#include <QRect>
#include <QSize>
#include <QString>

namespace velaro {

// The program's own tooltip: a yellow box over the window, placed and sized
// by whoever shows a hint. Hidden until the first hint.
class HintBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit HintBox(QWidget* parent = nullptr);

  // Shows text in a box at rect, above every panel. rect is in the
  // coordinates of from, or of the window when from is null.
  void showHint(const QString& text, const QRect& rect, const QWidget* from = nullptr);
  void hideHint() { hide(); }
  // A box of at least size that holds text in this box's font: sizes laid
  // out for one face may be too small in another.
  QSize fitting(const QSize& size, const QString& text) const;
};

}  // namespace velaro
