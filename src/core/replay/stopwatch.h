#pragma once

#include <QString>

namespace velaro {

// The stopwatch over the map measures replay time between two moments: one
// button cycles it from idle through running to frozen and back, and a
// read-out shows the time measured.
class Stopwatch {
 public:
  enum class State { Idle = 0, Running = 1, Frozen = 2 };

  // The button: idle -> running (measuring from SceneTime) -> frozen (the
  // read-out keeps its last value) -> idle (read-out hidden).
  void click(double SceneTime);
  // A frame at SceneTime: the running watch writes the time since its start.
  void frame(double SceneTime);

  State state() const { return m_state; }
  double StopwatchBase() const { return m_base; }
  // "TIMER/ON", "STOP" or "TIMER/OFF": what the next click does.
  QString caption() const;
  bool readoutVisible() const { return m_state != State::Idle; }
  const QString& readout() const { return m_readout; }

 private:
  State m_state = State::Idle;
  double m_base = 0;
  QString m_readout;
};

// Replay seconds as "hh:mm:ss", whole seconds toward zero; a minus sign
// before times measured backwards, and hours beyond a day keep counting.
QString stopwatchText(double seconds);

}  // namespace velaro
