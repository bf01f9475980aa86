#include "app/panels/transportpanel.h"

#include "app/controls.h"
#include "render/replaypictures.h"

#include <QLabel>
#include <QPixmap>

namespace velaro {

namespace {

constexpr int kRowHeight = 16 + 3;

}  // namespace

TransportPanel::TransportPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("transportPanel"));
  const auto transportButton = [this](const char* name, TransportPicture kind, bool pressed, int row) {
    auto* b = named(new QPushButton, name, this, QRect(8, 17 + row * kRowHeight, 24, 16));
    b->setFlat(true);
    b->setIcon(QPixmap::fromImage(drawTransportPicture(kind, pressed)));
    b->setIconSize(QSize(24, 16));
    return b;
  };
  m_forwardButton = transportButton("forwardButton", TransportPicture::Forward, false, 0);
  m_forwardPressed = transportButton("forwardPressed", TransportPicture::Forward, true, 0);
  m_stopButton = transportButton("stopButton", TransportPicture::Stop, false, 1);
  m_stopPressed = transportButton("stopPressed", TransportPicture::Stop, true, 1);
  m_backwardButton = transportButton("backwardButton", TransportPicture::Backward, false, 2);
  m_backwardPressed = transportButton("backwardPressed", TransportPicture::Backward, true, 2);
  m_stepForwardButton =
      named(new QPushButton(QStringLiteral("+")), "stepForwardButton", this, QRect(35, 17, 24, 16));
  m_stepBackwardButton = named(new QPushButton(QStringLiteral("-")), "stepBackwardButton", this,
                               QRect(35, 17 + 2 * kRowHeight, 24, 16));
  auto* caption = named(new QLabel(tr("GO/STOP")), "goStopLabel", this, QRect(2, 0, 66, 14));
  caption->setAlignment(Qt::AlignHCenter);

  connect(m_forwardButton, &QPushButton::clicked, this, [this] { emit transportChosen(Transport::Forward); });
  connect(m_stopButton, &QPushButton::clicked, this, [this] { emit transportChosen(Transport::Stop); });
  connect(m_backwardButton, &QPushButton::clicked, this,
          [this] { emit transportChosen(Transport::Backward); });
  for (QPushButton* pressed : {m_forwardPressed, m_stopPressed, m_backwardPressed}) {
    connect(pressed, &QPushButton::clicked, this, &TransportPanel::pressedButtonClicked);
  }
  connect(m_stepForwardButton, &QPushButton::clicked, this, [this] { emit stepRequested(1); });
  connect(m_stepBackwardButton, &QPushButton::clicked, this, [this] { emit stepRequested(-1); });
  showTransport(Transport::Forward);
}

void TransportPanel::showTransport(Transport transport) {
  m_forwardButton->setVisible(transport != Transport::Forward);
  m_forwardPressed->setVisible(transport == Transport::Forward);
  m_stopButton->setVisible(transport != Transport::Stop);
  m_stopPressed->setVisible(transport == Transport::Stop);
  m_backwardButton->setVisible(transport != Transport::Backward);
  m_backwardPressed->setVisible(transport == Transport::Backward);
}

}  // namespace velaro
