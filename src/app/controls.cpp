#include "app/controls.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTextDocument>
#include <QThread>

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

void letEventsRunFor(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QThread::msleep(static_cast<unsigned long>(std::min<qint64>(100, ms - timer.elapsed())));
    QCoreApplication::processEvents();
  }
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
