#pragma once

#include "core/replay/replayclock.h"

#include <QPushButton>
#include <QWidget>

namespace velaro {

// The replay buttons: play forward, stop, play backward, each drawn raised or
// pressed (the pressed one shows which way the replay runs), and the single
// steps + and -.
class TransportPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TransportPanel(QWidget* parent = nullptr);

  // Shows the button of transport pressed and the other two raised.
  void showTransport(Transport transport);

 signals:
  // A raised button was clicked: the replay should run that way.
  void transportChosen(Transport transport);
  // The pressed button was clicked again: the replay keeps its way.
  void pressedButtonClicked();
  // One step of the replay: +1 forward, -1 backward.
  void stepRequested(int direction);

 private:
  QPushButton* m_forwardButton = nullptr;
  QPushButton* m_forwardPressed = nullptr;
  QPushButton* m_stopButton = nullptr;
  QPushButton* m_stopPressed = nullptr;
  QPushButton* m_backwardButton = nullptr;
  QPushButton* m_backwardPressed = nullptr;
  QPushButton* m_stepForwardButton = nullptr;
  QPushButton* m_stepBackwardButton = nullptr;
};

}  // namespace velaro
