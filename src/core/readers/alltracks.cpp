#include "core/readers/alltracks.h"

#include "core/datetime.h"
#include "core/orderedwork.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace velaro {

namespace {

constexpr int kZoomResetBelowFixes = 100;

// Each reading thread holds one log's bytes while it parses them (about
// 13 MB for three hours at 10 fixes a second). Past eight threads a load
// gains little, as the race's analysis runs after the reading on one, while
// memory would keep growing with the cores.
constexpr int kMaxReadingThreads = 8;

// One boat's log as the reading threads see it.
struct TrackJob {
  std::optional<QString> path;  // set when a log of a known format is there
  TrackFormat format = TrackFormat::Unknown;
  TrackReadOptions options;
  TrackWindow window;
};

// What a reading thread hands back: the kept fixes only, never the file.
struct BoatTrack {
  std::vector<Fix> fixes;
  int LogInterval = kDefaultLogInterval;
  std::optional<ReadError> error;
  QString unreadable;  // the system's reason when the log could not be read
};

TrackReadResult cannotBeRead(const TrackReadOptions& options, const QString& reason, QString* unreadable) {
  TrackReadResult result;
  ReadError error;
  error.file = options.fileName;
  error.message = QStringLiteral("cannot be read: %1").arg(reason);
  result.error = error;
  if (unreadable) {
    *unreadable = reason;
  }
  return result;
}

// readTrackFile, telling apart a log that could not be read (unreadable is
// set to the reason) from one whose content does not convert.
TrackReadResult readTrackFileAt(const QString& path, const TrackReadOptions& options, QString* unreadable) {
  const TrackFormat format = trackFormatFor(path);
  // Only a regular file is opened: opening a FIFO would wait for a writer.
  if (format == TrackFormat::Unknown || !QFileInfo(path).isFile()) {
    return {};
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return cannotBeRead(options, file.errorString(), unreadable);
  }
  // Read, not mapped: a log cut short or removed while a map of it is read
  // ends the program with SIGBUS, where a read reports the error.
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    return cannotBeRead(options, file.errorString(), unreadable);
  }
  return readTrackBytes(bytes, format, options);
}

// The start of the whole second a date-time lies in. Times are taken to the
// millisecond first, so that a whole second written in a log and converted
// to a date-time (a hair below or above it) stays that second.
double wholeSecondOf(double dateTime) {
  const double milliseconds = std::round(dateTime * (kSecondsPerDay * 1000));
  if (!std::isfinite(milliseconds)) {
    return dateTime;
  }
  return std::floor(milliseconds / 1000) / kSecondsPerDay;
}

// Reads and parses one log, then keeps the first fix of each whole second
// that falls in the race window. The file's bytes and the raw fixes are
// dropped before the next log is read.
BoatTrack readBoatTrack(const TrackJob& job) {
  BoatTrack track;
  if (!job.path) {
    return track;
  }
  TrackReadResult read = readTrackFileAt(*job.path, job.options, &track.unreadable);
  if (!track.unreadable.isEmpty()) {
    return track;
  }
  if (read.error) {
    track.error = std::move(read.error);
    return track;
  }
  track.fixes.reserve(read.fixes.size());
  double previousSecond = std::numeric_limits<double>::quiet_NaN();
  for (RawFix raw : read.fixes) {
    raw.timeUtc = wholeSecondOf(raw.timeUtc);
    if (raw.timeUtc == previousSecond) {
      continue;
    }
    previousSecond = raw.timeUtc;
    if (const auto fix = StoreFix(raw, job.window)) {
      track.fixes.push_back(*fix);
    }
  }
  track.fixes.shrink_to_fit();
  track.LogInterval = logIntervalFor(track.fixes, logIntervalThreshold(job.format));
  return track;
}

}  // namespace

TrackReadResult readTrackFile(const QString& path, const TrackReadOptions& options) {
  return readTrackFileAt(path, options, nullptr);
}

TrackLoadResult ReadAllTracks(Race& race, const RaceFolders& folders, const TrackLoadCallbacks& callbacks) {
  TrackLoadResult result;
  if (callbacks.yield) {
    callbacks.yield();
  }
  const int count = race.BoatCount();
  std::vector<TrackJob> jobs;
  jobs.reserve(static_cast<size_t>(count));
  for (const Boat& boat : race.boats) {
    TrackJob job;
    job.format = trackFormatFor(boat.BoatFile);
    job.options.fileName = boat.BoatFile;
    job.options.raceDate = race.RaceDate;
    job.window = trackWindowFor(race, boat);
    // An unsafe or missing name reads like a log without fixes.
    if (job.format != TrackFormat::Unknown) {
      job.path = folders.existingFile(QString::fromLatin1(kGpsFolder), boat.BoatFile);
    }
    jobs.push_back(std::move(job));
  }

  std::vector<BoatTrack> tracks(static_cast<size_t>(count));
  const int workers =
      callbacks.workers > 0 ? callbacks.workers : std::min(OrderedWork::defaultThreads(), kMaxReadingThreads);
  OrderedWork reading(count, workers, [&](int i) {
    tracks[static_cast<size_t>(i)] = readBoatTrack(jobs[static_cast<size_t>(i)]);
    if (callbacks.logRead) {
      callbacks.logRead(i + 1);
    }
  });

  std::vector<Boat> kept;
  kept.reserve(race.boats.size());
  std::vector<IgnoredRecord> unreadable;
  for (int k = 1; k <= count; ++k) {
    const Boat& boat = race.boats[static_cast<size_t>(k - 1)];
    const TrackJob& job = jobs[static_cast<size_t>(k - 1)];
    if (callbacks.progress) {
      callbacks.progress(k, count, boat.BoatFile);
    }
    if (callbacks.yield) {
      callbacks.yield();
    }
    reading.waitFor(k - 1, callbacks.yield);
    BoatTrack& track = tracks[static_cast<size_t>(k - 1)];
    if (job.path && isBinaryTrackFormat(job.format) && callbacks.beep) {
      callbacks.beep();
    }
    if (track.error) {
      result.error = std::move(track.error);
      return result;
    }
    if (!track.unreadable.isEmpty()) {
      unreadable.push_back({boat.RaceFileLine, QStringLiteral("BN"), boat.BoatName, boat.BoatFile,
                            IgnoredReason::LogUnreadable, track.unreadable});
      continue;
    }

    const bool textLog = job.format == TrackFormat::Gpx || job.format == TrackFormat::Dtr;
    if (job.path && textLog && static_cast<int>(track.fixes.size()) < kZoomResetBelowFixes) {
      result.resetZoom = true;
    }
    if (static_cast<int>(track.fixes.size()) >= kMinFixesPerBoat) {
      Boat loaded = boat;
      loaded.fixes = std::move(track.fixes);
      loaded.LogInterval = track.LogInterval;
      kept.push_back(std::move(loaded));
    } else {
      track = {};
    }
  }
  race.DroppedBoats = count - static_cast<int>(kept.size() + unreadable.size());
  race.boats = std::move(kept);
  race.ignored.insert(race.ignored.end(), unreadable.begin(), unreadable.end());
  std::stable_sort(race.ignored.begin(), race.ignored.end(),
                   [](const IgnoredRecord& a, const IgnoredRecord& b) { return a.line < b.line; });
  race.BoatRows = boatRowsFor(race.BoatCount());
  race.BoatListHeight = boatListHeightFor(race.BoatRows);
  return result;
}

}  // namespace velaro
