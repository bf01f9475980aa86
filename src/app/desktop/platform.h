#pragma once

#include <QString>
#include <QUrl>

namespace velaro {

// What the program asks of the desktop. Tests replace it to see what would
// have been opened or sounded.
class Platform {
 public:
  virtual ~Platform() = default;
  // Opens a file or web address with the desktop's associated program.
  virtual bool openUrl(const QUrl& url) = 0;
  virtual void beep() = 0;
  // The start gun, played asynchronously.
  virtual void playGun() = 0;
};

class DesktopPlatform : public Platform {
 public:
  DesktopPlatform();
  ~DesktopPlatform() override;
  bool openUrl(const QUrl& url) override;
  void beep() override;
  void playGun() override;

 private:
  class Gun;
  Gun* m_gun = nullptr;
};

}  // namespace velaro
