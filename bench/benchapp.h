#pragma once

#include <QGuiApplication>

namespace velaro {

// Text needs the font database of a GUI application; the benchmark program
// has no main of its own, so the first drawing benchmark makes one.
inline void ensureGuiApplication() {
  static int argc = 1;
  static char name[] = "velaro_bench";
  static char* argv[] = {name, nullptr};
  if (QGuiApplication::instance() == nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    new QGuiApplication(argc, argv);
  }
}

}  // namespace velaro
