#pragma once

#include <QFont>
#include <QPlainTextEdit>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace velaro {

// Makes a control with an object name (tests find controls by it) under a
// parent, at a place when one is given.
template <typename T>
T* named(T* widget, const char* name, QWidget* parent, QRect geometry = QRect()) {
  widget->setObjectName(QString::fromLatin1(name));
  if (parent) {
    widget->setParent(parent);
  }
  if (!geometry.isNull()) {
    widget->setGeometry(geometry);
  }
  return widget;
}

// A read-only text box without frame or scroll bars, for read-outs and hints.
void setUpReadout(QPlainTextEdit* readout);
QPlainTextEdit* makeReadout(const char* name, QWidget* parent);

// Gives every caption under panel the panel's font, or a smaller one where
// the caption would not fit its control's fixed width (not below 6 points):
// the places were measured with narrower fonts than a desktop may have.
void fitCaptions(QWidget* panel);
// The width a control's caption needs in a font, with what the control draws
// beside it (0 for controls without a caption).
int captionWidth(QWidget* control, const QFont& font);

QTimer* makeTimer(const char* name, int intervalMs, QObject* parent);

// The window's font: 9 points at 96 pixels per inch.
QFont windowFont(QFont font, int logicalDpi);

// How messages and Yes/No questions reach the user; tests replace them.
using MessageSink = std::function<void(const QString& caption, const QString& text, bool error)>;
using QuestionSink = std::function<bool(const QString& caption, const QString& text)>;
// Message boxes over parent; messages stay above other windows.
MessageSink messageBoxSink(QWidget* parent);
QuestionSink questionBoxSink(QWidget* parent);

}  // namespace velaro
