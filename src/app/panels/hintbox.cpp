#include "app/panels/hintbox.h"

#include "app/controls.h"

#include <QFontMetrics>
#include <QStringList>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>

namespace velaro {

HintBox::HintBox(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("hintBox"));
  setUpReadout(this);
  setStyleSheet(QStringLiteral("QPlainTextEdit { background: yellow; color: black; }"));
  QTextOption centred = document()->defaultTextOption();
  centred.setAlignment(Qt::AlignHCenter);
  document()->setDefaultTextOption(centred);
  hide();
}

void HintBox::showHint(const QString& text, const QRect& rect, const QWidget* from) {
  const QRect placed = from && parentWidget() ? rect.translated(from->mapTo(parentWidget(), QPoint())) : rect;
  m_hintX = placed.x();
  m_hintY = placed.y();
  showAt(text, placed.size());
}

void HintBox::offer(const Hint& hint) {
  if (hint.needsHintsOn && !m_hintsOn) {
    return;
  }
  if (hint.at) {
    m_hintX = hint.at->x();
    m_hintY = hint.at->y();
  }
  showAt(hint.text, hint.size);
}

void HintBox::showAt(const QString& text, QSize size) {
  setGeometry(m_hintX, m_hintY, size.width(), size.height());
  setPlainText(text);
  // The sizes suit the narrow fonts hints were measured with; a box too low
  // for its lines in the fonts at hand grows rather than cutting them off.
  // Measured as laid out, with the line heights of fallback fonts (CJK).
  QString lines = text;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const QRect needed = fontMetrics().boundingRect(QRect(0, 0, std::max(1, size.width() - 4), 100000),
                                                  Qt::TextWordWrap | Qt::AlignHCenter, lines);
  resize(size.width(), std::max(size.height(), needed.height() + 4));
  // A box that would run off the window's right or bottom edge moves in.
  if (parentWidget()) {
    const QSize room = parentWidget()->size();
    move(std::max(0, std::min(x(), room.width() - width())),
         std::max(0, std::min(y(), room.height() - height())));
  }
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
