#pragma once

#include "app/desktop/platform.h"

#include <QList>
#include <QUrl>

namespace velaro {

// Records what the program asked of the desktop.
class FakePlatform : public Platform {
 public:
  bool openUrl(const QUrl& url) override {
    opened.append(url);
    return opens;
  }
  void beep() override { ++beeps; }
  void playGun() override { ++guns; }

  QList<QUrl> opened;
  bool opens = true;  // false: the desktop has no program for any file
  int beeps = 0;
  int guns = 0;
};

}  // namespace velaro
