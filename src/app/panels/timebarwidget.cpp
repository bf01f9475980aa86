#include "app/panels/timebarwidget.h"

#include "core/replay/replayclock.h"
#include "render/timebarimage.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QStringList>

#include <cmath>

namespace velaro {

namespace {

QLabel* imageBox(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setMargin(0);
  label->setMouseTracking(true);
  return label;
}

void showImage(QLabel* label, const QImage& image) {
  label->setPixmap(QPixmap::fromImage(image));
  label->resize(image.size());
}

int rowOf(const QMouseEvent* event) {
  return static_cast<int>(std::floor(event->position().y()));
}

}  // namespace

TimeBarHint hintFor(Language language, const QString& timeText, int y) {
  TimeBarHint hint;
  hint.y = y;
  hint.text = hintLines(TimeBarWidget::tr("Click to change the time.\n(%1)\n"
                                          "(White zone = UpWind   )\n(Gray zone   = DownWind )")
                            .arg(timeText));
  hint.width = isJapanese(language) ? 220 : 180;
  hint.height = isJapanese(language) ? 43 : 55;
  return hint;
}

TimeBarWidget::TimeBarWidget(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("timeBarPanel"));
  setMouseTracking(true);
  m_timeBarFrame = imageBox("timeBarFrame", this);
  m_timeBar = imageBox("timeBar", this);
  m_timePointer = imageBox("timePointer", this);
  // Clicks on the pointer reach the bar or the frame beneath it.
  m_timePointer->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_timeBarFrame->installEventFilter(this);
  m_timeBar->installEventFilter(this);
  m_timeBarFrame->hide();
  m_timeBar->hide();
  m_timePointer->hide();
}

void TimeBarWidget::setRace(const LoadedRace* race) {
  m_race = race;
  m_mouseOnTimeBar = false;
  m_preview = {};
  if (race) {
    m_sceneTime = race->race.TimeAxisStart;
  }
  BuildTimeBar();
}

TimeBarScale TimeBarWidget::scale() const {
  if (!m_race) {
    return TimeBarScale::of(0, 0, timeBarHeight(height()));
  }
  return TimeBarScale::of(m_race->race.TimeAxisStart, m_race->race.TimeAxisEnd, timeBarHeight(height()));
}

void TimeBarWidget::BuildTimeBar() {
  const bool shown = m_race != nullptr;
  m_timeBarFrame->setVisible(shown);
  m_timeBar->setVisible(shown);
  m_timePointer->setVisible(shown);
  if (!shown) {
    return;
  }
  const TimeBarImages images = BuildTimeBarImages(m_race->race, m_race->geometry, size());
  m_timeBarFrame->move(0, 0);
  showImage(m_timeBarFrame, images.BackTimeBar);
  m_timeBar->move(kTimeBarLeft, kTimeBarTop);
  showImage(m_timeBar, images.TimeBar);
  showImage(m_timePointer, images.TimePointer);
  setSceneTime(m_sceneTime);
}

void TimeBarWidget::setSceneTime(double sceneTime) {
  m_sceneTime = sceneTime;
  if (m_race) {
    m_timePointer->move(kTimePointerLeft, scale().pointerTop(sceneTime));
    m_timePointer->raise();
  }
}

void TimeBarWidget::onBarMouseMove(int y) {
  if (!m_race) {
    return;
  }
  m_mouseOnTimeBar = true;
  const TimeBarScale s = scale();
  m_preview.y = y;
  m_preview.rowTime = s.timeOfRow(y);
  m_preview.time = s.clampToAxis(m_preview.rowTime);
  m_preview.clockText = clockTextAt(m_race->race.RaceStart, m_preview.rowTime);
  emit previewRequested(m_preview.time);
}

void TimeBarWidget::onBarMouseDown(int y) {
  if (!m_race) {
    return;
  }
  const TimeBarScale s = scale();
  emit jumpRequested(s.clampToAxis(s.timeOfRow(y)));
}

void TimeBarWidget::onFrameMouseDown(int y) {
  if (!m_race) {
    return;
  }
  if (inStartBand(y, m_timeBarFrame->height())) {
    emit startRequested(m_race->race.TimeAxisStart);
  }
}

void TimeBarWidget::onPanelMouseMove() {
  if (!m_mouseOnTimeBar) {
    return;
  }
  m_mouseOnTimeBar = false;
  emit previewEnded();
}

std::vector<std::optional<GeoPoint>> TimeBarWidget::previewPositions(double time) const {
  std::vector<std::optional<GeoPoint>> positions;
  if (!m_race) {
    return positions;
  }
  positions.reserve(m_race->race.boats.size());
  for (const Boat& boat : m_race->race.boats) {
    const std::optional<int> j = previewFix(boat, time);
    if (j) {
      const Fix& fix = boat.fixes[static_cast<size_t>(*j)];
      positions.push_back(GeoPoint{fix.lat, fix.lon});
    } else {
      positions.push_back(std::nullopt);
    }
  }
  return positions;
}

bool TimeBarWidget::eventFilter(QObject* watched, QEvent* event) {
  // The second press of a double click counts as a click of its own.
  QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonDblClick) {
    type = QEvent::MouseButtonPress;
  }
  if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress) {
    return QWidget::eventFilter(watched, event);
  }
  const int y = rowOf(static_cast<QMouseEvent*>(event));
  if (watched == m_timeBar) {
    if (type == QEvent::MouseMove) {
      onBarMouseMove(y);
    } else {
      onBarMouseDown(y);
    }
    return true;
  }
  if (watched == m_timeBarFrame) {
    if (type == QEvent::MouseMove) {
      onPanelMouseMove();
    } else {
      onFrameMouseDown(y);
    }
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TimeBarWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  BuildTimeBar();
}

void TimeBarWidget::mouseMoveEvent(QMouseEvent* event) {
  onPanelMouseMove();
  QWidget::mouseMoveEvent(event);
}

// Leaving the panel in one quick move never passes over the frame.
void TimeBarWidget::leaveEvent(QEvent* event) {
  onPanelMouseMove();
  QWidget::leaveEvent(event);
}

}  // namespace velaro
