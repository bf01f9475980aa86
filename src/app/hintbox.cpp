#include "app/hintbox.h"

#include "app/controls.h"

namespace velaro {

HintBox::HintBox(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("hintBox"));
  setUpReadout(this);
  setStyleSheet(QStringLiteral("QPlainTextEdit { background: yellow; }"));
  hide();
}

void HintBox::showHint(const QString& text, const QRect& rect) {
  setGeometry(rect);
  setPlainText(text);
  show();
  raise();
}

}  // namespace velaro
