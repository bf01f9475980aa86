#include "app/controls.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace velaro {

void setUpReadout(QPlainTextEdit* readout) {
  readout->setReadOnly(true);
  readout->setFrameShape(QFrame::NoFrame);
  readout->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  readout->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  readout->setFocusPolicy(Qt::NoFocus);
  // Small read-outs such as "600X" need the whole box for their text.
  readout->document()->setDocumentMargin(1);
}

QPlainTextEdit* makeReadout(const char* name, QWidget* parent) {
  auto* readout = named(new QPlainTextEdit, name, parent);
  setUpReadout(readout);
  return readout;
}

int captionWidth(QWidget* control, const QFont& font) {
  const QFontMetrics metrics(font);
  if (auto* group = qobject_cast<QGroupBox*>(control)) {
    return metrics.horizontalAdvance(group->title()) + 8;
  }
  if (qobject_cast<QPushButton*>(control)) {
    return metrics.horizontalAdvance(static_cast<QPushButton*>(control)->text()) + 6;
  }
  if (auto* label = qobject_cast<QLabel*>(control)) {
    return metrics.horizontalAdvance(label->text());
  }
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    // A check box or radio button: its indicator, the gap, the text.
    const QStyle* style = control->style();
    const bool radio = qobject_cast<QRadioButton*>(control) != nullptr;
    const int indicator = style->pixelMetric(
        radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, nullptr, control);
    const int gap = style->pixelMetric(
        radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, nullptr, control);
    return indicator + gap + metrics.horizontalAdvance(button->text());
  }
  return 0;
}

void fitCaptions(QWidget* panel) {
  for (QWidget* control : panel->findChildren<QWidget*>()) {
    if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QLabel*>(control) &&
        !qobject_cast<QGroupBox*>(control)) {
      continue;
    }
    QFont font = control->parentWidget()->font();
    while (font.pointSize() > 6 && captionWidth(control, font) > control->width()) {
      font.setPointSize(font.pointSize() - 1);
    }
    control->setFont(font);
  }
}

QTimer* makeTimer(const char* name, int intervalMs, QObject* parent) {
  auto* timer = new QTimer(parent);
  timer->setObjectName(QString::fromLatin1(name));
  timer->setInterval(intervalMs);
  return timer;
}

QFont windowFont(QFont font, int logicalDpi) {
  const double dpi = logicalDpi > 0 ? logicalDpi : 96.0;
  font.setPointSize(static_cast<int>(std::nearbyint(864.0 / dpi)));
  return font;
}

MessageSink messageBoxSink(QWidget* parent) {
  return [parent](const QString& caption, const QString& text, bool error) {
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information, caption, text, QMessageBox::Ok,
                    parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
  };
}

QuestionSink questionBoxSink(QWidget* parent) {
  return [parent](const QString& caption, const QString& text) {
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  };
}

}  // namespace velaro
