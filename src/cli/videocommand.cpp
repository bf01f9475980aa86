#include "cli/commands.h"
#include "cli/exportoutput.h"
#include "cli/viewargs.h"

#include "render/scene/replayframes.h"
#include "video/replayvideo.h"

#include <QFileInfo>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <optional>

#include <unistd.h>

namespace velaro::cli {

namespace {

constexpr double kMinSpeed = 0.1;
constexpr double kMaxSpeed = 10000;
constexpr int kMaxFps = 120;
constexpr int kBarWidth = 30;

void videoUsage(QTextStream& err) {
  err << "usage: velaro-cli video RACEFILE [--from SECONDS] [--to SECONDS] [--speed X] [--fps N] "
      << kViewUsage << " -o FILE.mp4|FILE.webm\n"
      << "  --from, --to: replay times (default: the whole time axis); --speed: times real time (default "
         "30);\n"
         "  --fps: frames a second (default 30); --size: even numbers (default 1280x720)\n"
      << kViewHelp;
}

// Set by SIGINT and SIGTERM; the frame loop stops at the next frame.
volatile std::sig_atomic_t g_stopAsked = 0;

extern "C" void askToStop(int) {
  g_stopAsked = 1;
}

// Catches SIGINT and SIGTERM while it lives, so that an interrupted video is
// removed rather than left half written.
class StopSignals {
 public:
  StopSignals() {
    g_stopAsked = 0;
    struct sigaction action = {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_oldInt);
    sigaction(SIGTERM, &action, &m_oldTerm);
  }
  ~StopSignals() {
    sigaction(SIGINT, &m_oldInt, nullptr);
    sigaction(SIGTERM, &m_oldTerm, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  struct sigaction m_oldInt = {};
  struct sigaction m_oldTerm = {};
};

// "[#########---------]  45%  frame 1449 of 3220", redrawn in place when the
// share done moves on.
class ProgressBar {
 public:
  explicit ProgressBar(QTextStream& err) : m_err(err), m_shown(isatty(STDERR_FILENO) != 0) {}

  void update(int done, int total) {
    if (!m_shown) {
      return;
    }
    const int permille = total > 0 ? static_cast<int>(1000LL * done / total) : 1000;
    if (permille == m_lastPermille) {
      return;
    }
    m_lastPermille = permille;
    const int filled = permille * kBarWidth / 1000;
    m_err << "\r[" << QString(filled, u'#') << QString(kBarWidth - filled, u'-') << "] "
          << QStringLiteral("%1%").arg(permille / 10, 3) << "  frame " << done << " of " << total;
    m_err.flush();
  }

  void end() {
    if (m_shown && m_lastPermille >= 0) {
      m_err << '\n';
      m_err.flush();
    }
  }

 private:
  QTextStream& m_err;
  bool m_shown;
  int m_lastPermille = -1;
};

bool takeNumber(const QStringList& args, int& i, double& value) {
  bool ok = false;
  value = args[++i].toDouble(&ok);
  return ok;
}

}  // namespace

// The replay as a video file: each frame the live scene that the window
// would show at its replay time, overlays included, or the whole-race view.
int runVideo(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString raceFile;
  QString outFile;
  std::optional<double> from;
  std::optional<double> to;
  double speed = 30;
  int fps = 30;
  ExportView view;
  view.size = QSize(1280, 720);
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool hasValue = i + 1 < args.size();
    const ViewArg viewArg = takeViewArg(args, i, view, err);
    if (viewArg == ViewArg::Bad) {
      return 2;
    }
    if (viewArg == ViewArg::Taken) {
      continue;
    }
    double value = 0;
    if ((a == QLatin1String("--from") || a == QLatin1String("--to")) && hasValue) {
      if (!takeNumber(args, i, value)) {
        err << "velaro-cli: " << a << " needs seconds from the start\n";
        return 2;
      }
      (a == QLatin1String("--from") ? from : to) = value;
    } else if (a == QLatin1String("--speed") && hasValue) {
      if (!takeNumber(args, i, value) || value < kMinSpeed || value > kMaxSpeed) {
        err << "velaro-cli: --speed is " << kMinSpeed << " to " << kMaxSpeed << " times real time\n";
        return 2;
      }
      speed = value;
    } else if (a == QLatin1String("--fps") && hasValue) {
      bool ok = false;
      fps = args[++i].toInt(&ok);
      if (!ok || fps < 1 || fps > kMaxFps) {
        err << "velaro-cli: --fps is 1 to " << kMaxFps << " frames a second\n";
        return 2;
      }
    } else if (a == QLatin1String("-o") && hasValue) {
      outFile = args[++i];
    } else if (!a.startsWith(QLatin1Char('-')) && raceFile.isEmpty()) {
      raceFile = a;
    } else {
      videoUsage(err);
      return 2;
    }
  }
  if (raceFile.isEmpty() || outFile.isEmpty()) {
    videoUsage(err);
    return 2;
  }
  if (!viewIsConsistent(view, err)) {
    return 2;
  }
  if (view.size.width() % 2 != 0 || view.size.height() % 2 != 0) {
    err << "velaro-cli: a video's width and height must be even, not " << view.size.width() << 'x'
        << view.size.height() << '\n';
    return 2;
  }
  const QString suffix = QFileInfo(outFile).suffix().toLower();
  if (suffix != QLatin1String("mp4") && suffix != QLatin1String("webm")) {
    err << "velaro-cli: " << outFile << ": a video's name ends in .mp4 or .webm\n";
    return 2;
  }

  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err, Manoeuvres::Skip, view.size);
  if (!loaded) {
    return 1;
  }
  const Race& race = loaded->race;
  ReplayTake take;
  take.from = std::max(from.value_or(race.TimeAxisStart), race.TimeAxisStart);
  take.to = std::min(to.value_or(race.TimeAxisEnd), race.TimeAxisEnd);
  take.speed = speed;
  take.fps = fps;
  if (!(take.from < take.to)) {
    err << "velaro-cli: nothing to record from " << take.from << " to " << take.to
        << " s; the replay runs from " << race.TimeAxisStart << " to " << race.TimeAxisEnd << " s\n";
    return 1;
  }

  ReplayFrames frames(*loaded, exportSceneOptions(*loaded, view), take);
  if (view.wholeRace) {
    frames.setWholeRace(wholeRaceView(*loaded, view));
  }
  const StopSignals stopOnSignal;
  ProgressBar bar(err);
  const VideoOutcome outcome = writeReplayVideo(outFile, frames, [&bar](int done, int total) {
    bar.update(done, total);
    return g_stopAsked == 0;
  });
  bar.end();
  if (outcome.stopped) {
    err << "velaro-cli: " << outFile << ": stopped after " << outcome.frames << " of " << frames.count()
        << " frames; no video written\n";
    return 130;
  }
  if (!outcome.written) {
    err << "velaro-cli: " << outcome.error << '\n';
    return 1;
  }
  out << outFile << ": " << view.size.width() << 'x' << view.size.height() << ", " << outcome.frames
      << " frames at " << fps << " fps (" << QString::number(double(outcome.frames) / fps, 'f', 1)
      << " s), replay " << take.from << " to " << take.to << " s at " << speed << "X, " << outcome.codec
      << ", " << QFileInfo(outFile).size() << " bytes\n";
  return 0;
}

}  // namespace velaro::cli
