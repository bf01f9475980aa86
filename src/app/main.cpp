// Velaro: replays sailing races from the boats' GPS logs.
#include "app/desktop/platform.h"
#include "app/desktop/racesfolder.h"
#include "app/desktop/singleinstance.h"
#include "app/mainwindow.h"
#include "app/panels/splashform.h"
#include "core/racefolders.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>

#include <cstddef>
#include <cstdio>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// The sanitizer runtime's heap counters (its allocator header is not shipped
// with every compiler).
extern "C" {
std::size_t __sanitizer_get_current_allocated_bytes();
std::size_t __sanitizer_get_heap_size();
std::size_t __sanitizer_get_free_bytes();
std::size_t __sanitizer_get_unmapped_bytes();
}
#endif

namespace {

// --help and --version answer on the terminal without a window, so they work
// where no display is.
bool answerWithoutWindow(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("velaro %s\n", VELARO_VERSION);
      return true;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf(
          "usage: velaro [--races DIR] [LOG...]\n"
          "Replays sailing races from the boats' GPS logs.\n"
          "\n"
          "  LOG...        GPS logs (gpx, gdb, mps, trl, dtr, trk) of one race: they are made\n"
          "                into a race in the user's data folder (~/.local/share/Velaro/races),\n"
          "                which is then shown; a running Velaro makes it in its window\n"
          "  --races DIR   the races folder (raceadmin/, gpsdat/, winddat/, coastline/, ...);\n"
          "                without it, the program's folder when it holds raceadmin/, else the\n"
          "                demo races installed with the program\n"
          "  --version     the version, then exit\n"
          "  --help        this text, then exit\n"
          "\n"
          "velaro-cli works on the same races without a window: velaro-cli --help.\n");
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (answerWithoutWindow(argc, argv)) {
    return 0;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velaro"));
  QApplication::setApplicationDisplayName(QStringLiteral("Velaro"));

  const QStringList logs = velaro::logArguments(QApplication::arguments());
  // Only one copy runs; a second start brings the first to the front, which
  // makes the race of the logs given.
  velaro::SingleInstance instance;
  if (!instance.tryBecomePrimary()) {
    if (!instance.sendFiles(logs) && !logs.isEmpty()) {
      std::fprintf(stderr, "velaro: the running Velaro did not take the logs\n");
      return 1;
    }
    return 0;
  }

  const QString installedDemo =
      QDir(QApplication::applicationDirPath()).filePath(QStringLiteral(VELARO_DATA_FROM_BIN "/demo"));
  const QString racesRoot =
      velaro::chooseRacesFolder(QApplication::arguments(), QApplication::applicationDirPath(),
                                {installedDemo, QStringLiteral(VELARO_DEMO_DIR)});
  const velaro::RaceFolders folders(racesRoot);
  const QString cover =
      QDir(folders.folder(QStringLiteral("raceadmin"))).filePath(QStringLiteral("cover.jpg"));

  QScreen* screen = QGuiApplication::primaryScreen();
  // The splash closes itself (and is deleted) when it loses activation, also
  // during the first load: it is only ever reached through this pointer.
  QPointer<velaro::SplashForm> splash = new velaro::SplashForm(QFileInfo(cover).isFile() ? cover : QString());
  splash->setCloseOnDeactivate(false);
  splash->arrange(screen ? screen->size() : QSize(1280, 800));
  splash->show();
  splash->hide();
  splash->repaint();
  splash->show();
  if (!splash->coverError().isEmpty()) {
    QMessageBox::critical(nullptr, QStringLiteral("Velaro"), splash->coverError());
  }

  velaro::DesktopPlatform platform;
  velaro::MainWindow window(folders, platform, splash);
  window.setUserRacesFolder(velaro::userRacesFolder());
  const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
  window.setGeometry(work);
  QObject::connect(&instance, &velaro::SingleInstance::activationRequested, &window, [&window] {
    window.showNormal();
    window.raise();
    window.activateWindow();
  });
  QObject::connect(&instance, &velaro::SingleInstance::filesReceived, &window,
                   &velaro::MainWindow::openLogsAsRace);
  // --log-loads: one line on standard error as each load starts and ends, for
  // long unattended runs.
  if (QApplication::arguments().contains(QStringLiteral("--log-loads"))) {
    window.setLoadLog([](const QString& line) {
      std::fprintf(stderr, "velaro: %s\n", qUtf8Printable(line));
#if defined(__SANITIZE_ADDRESS__)
      // The sanitizer's own count of the heap, to tell the program's memory
      // from what the sanitizer keeps around it.
      std::fprintf(stderr, "velaro: heap: %zu kB live, %zu kB held, %zu kB free, %zu kB unmapped\n",
                   __sanitizer_get_current_allocated_bytes() / 1024, __sanitizer_get_heap_size() / 1024,
                   __sanitizer_get_free_bytes() / 1024, __sanitizer_get_unmapped_bytes() / 1024);
      // Its full account, the store of allocation stacks among it, once a
      // load is over.
      if (line.contains(QStringLiteral(": done, "))) {
        __asan_print_accumulated_stats();
      }
#endif
      std::fflush(stderr);
    });
  }
  // The window shows once the first load has ended. Logs to make a race of
  // keep it open without a race to show first.
  QObject::connect(&window, &velaro::MainWindow::startUpFinished, &window,
                   [&window, &splash, logs](bool goOn) {
                     if (!goOn && logs.isEmpty()) {
                       if (splash) {
                         splash->close();
                       }
                       QCoreApplication::exit(1);
                       return;
                     }
                     window.show();
                     window.raise();
                     window.activateWindow();
                     if (!logs.isEmpty()) {
                       window.openLogsAsRace(logs);
                     }
                   });
  window.startUp();
  return app.exec();
}
