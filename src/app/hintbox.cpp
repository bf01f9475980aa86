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
  setGeometry(from && parentWidget() ? rect.translated(from->mapTo(parentWidget(), QPoint())) : rect);
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
