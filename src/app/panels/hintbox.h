#pragma once

#include <QPlainTextEdit>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace velaro {

// One hint: its text (lines broken by CR LF) and box size, where it goes in
// the window's coordinates (none: where the last placed hint went), and
// whether the hints switch governs it.
struct Hint {
  QString text;
  QSize size;
  std::optional<QPoint> at;
  bool needsHintsOn = true;
};

// The program's own tooltip: a yellow box with centred text over the window.
// A hint that says where it goes moves the box there, and later hints that
// do not say stay at that place (the top-left corner before any). Hidden
// until the first hint.
class HintBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit HintBox(QWidget* parent = nullptr);

  // Shows text in a box at rect, above every panel. rect is in the
  // coordinates of from, or of the window when from is null. The box's
  // place is kept for the next hints.
  void showHint(const QString& text, const QRect& rect, const QWidget* from = nullptr);
  // Shows a hint, unless it needs the hints on and they are off.
  void offer(const Hint& hint);
  void hideHint() { hide(); }
  // A box of at least size that holds text in this box's font: sizes laid
  // out for one face may be too small in another.
  QSize fitting(const QSize& size, const QString& text) const;
  // Shows the hints the panels ask for and hides them when they end.
  template <typename... Panels>
  void follow(Panels*... panels) {
    (connect(panels, &Panels::hintRequested, this, &HintBox::offer), ...);
    (connect(panels, &Panels::hintEnded, this, &HintBox::hideHint), ...);
  }
  QString text() const { return toPlainText(); }

  // HintsOn: the hints switch.
  bool hintsOn() const { return m_hintsOn; }
  void setHintsOn(bool on) { m_hintsOn = on; }
  QPoint hintPosition() const { return QPoint(m_hintX, m_hintY); }

 private:
  void showAt(const QString& text, QSize size);

  int m_hintX = 0;
  int m_hintY = 0;
  bool m_hintsOn = true;
};

}  // namespace velaro
