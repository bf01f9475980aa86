// velaro-cli: the race tools without the window, for checking files and for
// batch use.
#include "cli/commands.h"
#include "core/vectorstate.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <cerrno>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

namespace {

void printUsage(QTextStream& err) {
  err << "usage: velaro-cli COMMAND [ARGS]\n"
         "commands:\n"
         "  info RACEFILE         the race description as read\n"
         "  fixes LOGFILE         every fix a GPS log holds, UTC, decimal degrees\n"
         "  render RACEFILE --time SECONDS [--size WxH] [--north-up] [--label-level N] -o FILE.png\n"
         "                        the live scene of that moment as a picture\n"
         "  video RACEFILE [--from SECONDS] [--to SECONDS] [--speed X] [--fps N] [--size WxH]\n"
         "        [--north-up] [--whole-race] -o FILE.mp4|FILE.webm\n"
         "                        the replay as a video, 30X and 30 frames a second unless told\n"
         "  graph RACEFILE [--size WxH] -o FILE.png\n"
         "                        the graph page: course, wind and speed against time\n"
         "                        (render and graph write BMP when FILE ends in .bmp)\n"
         "  render RACEFILE --whole-race [--zoom Z] [--centre LAT,LON] --time SECONDS -o FILE.png\n"
         "                        every track and the boats at that moment; LAT,LON in decimal degrees\n"
         "  table RACEFILE [-o FILE.csv]  the performance table (CSV)\n"
         "  kml RACEFILE [--scene SECONDS] [--hide-unfocused] [-o FILE.kml]\n"
         "                        the race for a globe viewer; --scene: the present scene\n"
         "  manoeuvres RACEFILE [-o FILE.csv]  every tack and gybe with its loss (CSV)\n"
         "  starts RACEFILE [-o FILE.csv]      every boat's start (CSV)\n"
         "  gaps RACEFILE [--step SECONDS] [-o FILE.csv]\n"
         "                        every boat's rank and gap to the leader, every 10 s unless told (CSV)\n"
         "  polar RACEFILE [--boats 1,3,...] [-o FILE.csv]\n"
         "                        each boat's speed by true wind angle and wind band (CSV)\n"
         "  new-race LOG... -o RACESFOLDER [--name NAME] [--title TEXT] [--start TIME] [--finish TIME]\n"
         "        [--wind DEG] [--utc-offset H] [--mark LAT,LON]... [--course L1,MK1,...]\n"
         "                        a race made from GPS logs, added to a races folder\n";
}

// Commands that draw nothing run without the GUI application object and its
// platform plugin and fonts, which would add a quarter to a small race's
// whole run. Any other command gets it, so a new drawing command has its fonts.
bool drawsNothing(const char* command) {
  static constexpr std::array<std::string_view, 8> kPlain = {"info",   "fixes",    "table",  "manoeuvres",
                                                             "starts", "new-race", "--help", "-h"};
  return command == nullptr || std::find(kPlain.begin(), kPlain.end(), command) != kPlain.end();
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<QTemporaryDir> runtimeDir;
  std::unique_ptr<QCoreApplication> app;
  if (drawsNothing(argc > 1 ? argv[1] : nullptr)) {
    app = std::make_unique<QCoreApplication>(argc, argv);
  } else {
    // Drawing commands need fonts, so the GUI application object is used on
    // the offscreen platform when no display is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Without a desktop session there is no runtime folder; Qt would warn on
    // standard error and make one in /tmp. A private one, removed at exit,
    // keeps standard error for our own messages.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
      runtimeDir.emplace();
      if (runtimeDir->isValid()) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir->path()));
      }
    }
    app = std::make_unique<QGuiApplication>(argc, argv);
    velaro::clearUpperVectorState();
  }
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList args = QCoreApplication::arguments().mid(1);
  if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
    printUsage(args.isEmpty() ? err : out);
    return args.isEmpty() ? 2 : 0;
  }
  const std::map<QString, std::function<int(const QStringList&, QTextStream&, QTextStream&)>> commands = {
      {QStringLiteral("info"), velaro::cli::runInfo},
      {QStringLiteral("fixes"), velaro::cli::runFixes},
      {QStringLiteral("render"), velaro::cli::runRender},
      {QStringLiteral("table"), velaro::cli::runTable},
      {QStringLiteral("kml"), velaro::cli::runKml},
      {QStringLiteral("graph"), velaro::cli::runGraph},
      {QStringLiteral("manoeuvres"), velaro::cli::runManoeuvres},
      {QStringLiteral("starts"), velaro::cli::runStarts},
      {QStringLiteral("gaps"), velaro::cli::runGaps},
      {QStringLiteral("polar"), velaro::cli::runPolar},
      {QStringLiteral("video"), velaro::cli::runVideo},
      {QStringLiteral("new-race"), velaro::cli::runNewRace},
  };
  const QString name = args.takeFirst();
  const auto it = commands.find(name);
  if (it == commands.end()) {
    err << "velaro-cli: unknown command \"" << name << "\"\n";
    printUsage(err);
    return 2;
  }
  int rc = it->second(args, out, err);
  // Output that did not reach standard output (a full disk, a closed pipe)
  // is a failure, whatever the command thought.
  out.flush();
  if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout)) {
    err << "velaro-cli: cannot write to standard output: " << qt_error_string(errno) << '\n';
    rc = rc != 0 ? rc : 1;
  }
  err.flush();
  return rc;
}
