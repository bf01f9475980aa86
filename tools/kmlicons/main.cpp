// velaro-kmlicons DIR: draws the pictures the KML exports name into DIR. Run
// at build time, so the program ships its icons and an export never has to
// write them beside the races.
#include "render/kmlicons.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: velaro-kmlicons DIR\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication app(argc, argv);
  if (const auto error = velaro::ensureKmlIcons(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "velaro-kmlicons: %s\n", qPrintable(error->toString()));
    return 1;
  }
  return 0;
}
