#include "app/hintbox.h"

#include "app/controls.h"

#include <QFontMetrics>
#include <QStringList>
#include <QTextDocument>

#include <algorithm>

namespace velaro {

HintBox::HintBox(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("hintBox"));
  setUpReadout(this);
  setStyleSheet(QStringLiteral("QPlainTextEdit { background: yellow; }"));
  hide();
}

void HintBox::showHint(const QString& text, const QRect& rect, const QWidget* from) {
  QRect r = from && parentWidget() ? rect.translated(from->mapTo(parentWidget(), QPoint())) : rect;
  // Heights are given for the designed font; a box too low for its lines in
  // the font here grows downwards so that no line is cut.
  const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
  const int frame = 2 * static_cast<int>(document()->documentMargin()) + 4;
  r.setHeight(std::max(r.height(), lines * QFontMetrics(font()).lineSpacing() + frame));
  // A box that would run off the window's right or bottom edge moves in.
  if (parentWidget()) {
    const QSize room = parentWidget()->size();
    r.moveLeft(std::max(0, std::min(r.left(), room.width() - r.width())));
    r.moveTop(std::max(0, std::min(r.top(), room.height() - r.height())));
  }
  setGeometry(r);
  setPlainText(text);
  show();
  raise();
}

QSize HintBox::fitting(const QSize& size, const QString& text) const {
  const QFontMetrics metrics(font());
  const QStringList lines = text.split(QStringLiteral("\r\n"));
  int width = 0;
  for (const QString& line : lines) {
    width = std::max(width, metrics.horizontalAdvance(line));
  }
  // The document's margin on both sides, and a little air.
  const int margin = 2 * static_cast<int>(document()->documentMargin()) + 4;
  return size.expandedTo(
      QSize(width + margin, static_cast<int>(lines.size()) * metrics.lineSpacing() + margin));
}

}  // namespace velaro
