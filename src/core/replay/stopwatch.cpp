#include "core/replay/stopwatch.h"

#include <cmath>

namespace velaro {

void Stopwatch::click(double SceneTime) {
  switch (m_state) {
    case State::Idle:
      m_state = State::Running;
      m_base = SceneTime;
      m_readout = stopwatchText(0);
      break;
    case State::Running:
      m_state = State::Frozen;
      break;
    case State::Frozen:
      m_state = State::Idle;
      break;
  }
}

void Stopwatch::frame(double SceneTime) {
  if (m_state == State::Running) {
    m_readout = stopwatchText(SceneTime - m_base);
  }
}

QString Stopwatch::caption() const {
  switch (m_state) {
    case State::Running:
      return QStringLiteral("STOP");
    case State::Frozen:
      return QStringLiteral("TIMER/OFF");
    case State::Idle:
      break;
  }
  return QStringLiteral("TIMER/ON");
}

QString stopwatchText(double seconds) {
  if (!std::isfinite(seconds)) {
    return QStringLiteral("--:--:--");
  }
  const long long whole = static_cast<long long>(std::trunc(std::fabs(seconds)));
  const QString text = QStringLiteral("%1:%2:%3")
                           .arg(whole / 3600, 2, 10, QLatin1Char('0'))
                           .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(whole % 60, 2, 10, QLatin1Char('0'));
  return seconds < 0 && whole > 0 ? QLatin1Char('-') + text : text;
}

}  // namespace velaro
