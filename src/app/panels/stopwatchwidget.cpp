#include "app/panels/stopwatchwidget.h"

#include <QEvent>
#include <QFont>
#include <QRegion>

namespace velaro {

namespace {

constexpr int kWidth = 73;
constexpr int kRowHeight = 20;
constexpr int kReadoutAbove = 22;  // read-out top above the button's top
constexpr int kRightInset = 78;
constexpr int kButtonAboveBottom = 140;

}  // namespace

// "TIMER/ON", "STOP" or "TIMER/OFF": what the next click does.
QString StopwatchWidget::caption(Stopwatch::State state) {
  switch (state) {
    case Stopwatch::State::Running:
      return tr("STOP");
    case Stopwatch::State::Frozen:
      return tr("TIMER/OFF");
    case Stopwatch::State::Idle:
      break;
  }
  return tr("TIMER/ON");
}

StopwatchWidget::StopwatchWidget(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("stopwatch"));
  m_readout = new QLabel(this);
  m_readout->setObjectName(QStringLiteral("stopwatchReadout"));
  m_readout->setGeometry(0, 0, kWidth, kRowHeight);
  m_readout->setAlignment(Qt::AlignCenter);
  QFont font = m_readout->font();
  font.setPointSize(12);
  m_readout->setFont(font);
  m_readout->setStyleSheet(QStringLiteral("QLabel { background: rgb(255,0,0); color: white; }"));
  btnStopWatch = new QPushButton(this);
  btnStopWatch->setObjectName(QStringLiteral("btnStopWatch"));
  btnStopWatch->setGeometry(0, kReadoutAbove, kWidth, kRowHeight);
  btnStopWatch->setFocusPolicy(Qt::NoFocus);
  connect(btnStopWatch, &QPushButton::clicked, this, &StopwatchWidget::btnStopWatchClick);
  resize(kWidth, kReadoutAbove + kRowHeight);
  showState();
}

void StopwatchWidget::placeOn(QSize mapArea) {
  move(mapArea.width() - kRightInset, mapArea.height() - kButtonAboveBottom - kReadoutAbove);
}

void StopwatchWidget::frame(double SceneTime) {
  if (m_stopwatch.state() != Stopwatch::State::Running) {
    return;
  }
  m_stopwatch.frame(SceneTime);
  m_readout->setText(m_stopwatch.readout());
}

void StopwatchWidget::btnStopWatchClick() {
  m_stopwatch.click(m_sceneTime ? m_sceneTime() : 0);
  showState();
}

void StopwatchWidget::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    showState();
  }
  QWidget::changeEvent(event);
}

void StopwatchWidget::showState() {
  btnStopWatch->setText(caption(m_stopwatch.state()));
  m_readout->setText(m_stopwatch.readout());
  m_readout->setVisible(m_stopwatch.readoutVisible());
  // A hidden read-out leaves its place to the map under it.
  setMask(m_stopwatch.readoutVisible() ? QRegion(rect()) : QRegion(btnStopWatch->geometry()));
}

}  // namespace velaro
