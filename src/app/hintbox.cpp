#include "app/hintbox.h"

#include "app/controls.h"

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

}  // namespace velaro
