#include "app/desktop/platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QSoundEffect>

// Resources of a static library must be registered by hand.
static void initVelaroResources() {
  Q_INIT_RESOURCE(velaro);
}

namespace velaro {

class DesktopPlatform::Gun {
 public:
  Gun() {
    initVelaroResources();
    m_effect.setSource(QUrl(QStringLiteral("qrc:/sounds/gun.wav")));
    m_effect.setVolume(0.8f);
  }
  void play() { m_effect.play(); }

 private:
  QSoundEffect m_effect;
};

DesktopPlatform::DesktopPlatform() = default;

DesktopPlatform::~DesktopPlatform() {
  delete m_gun;
}

bool DesktopPlatform::openUrl(const QUrl& url) {
  return QDesktopServices::openUrl(url);
}

void DesktopPlatform::beep() {
  QApplication::beep();
}

void DesktopPlatform::playGun() {
  // The sound device is opened on first use, so a machine without audio
  // starts as fast as one with it.
  if (!m_gun) {
    m_gun = new Gun;
  }
  m_gun->play();
}

}  // namespace velaro
