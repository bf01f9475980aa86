#include "core/readers/alltracks.h"

#include <QFile>
#include <QFileInfo>

namespace velaro {

namespace {

constexpr int kZoomResetBelowFixes = 100;

}  // namespace

TrackReadResult readTrackFile(const QString& path, const TrackReadOptions& options) {
  const TrackFormat format = trackFormatFor(path);
  if (format == TrackFormat::Unknown || !QFileInfo(path).isFile()) {
    return {};
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    TrackReadResult result;
    ReadError error;
    error.file = options.fileName;
    error.message = QStringLiteral("cannot be read: %1").arg(file.errorString());
    result.error = error;
    return result;
  }
  const qint64 size = file.size();
  if (size > 0) {
    if (const uchar* mapped = file.map(0, size)) {
      return readTrackBytes(QByteArrayView(reinterpret_cast<const char*>(mapped), size), format, options);
    }
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    TrackReadResult result;
    ReadError error;
    error.file = options.fileName;
    error.message = QStringLiteral("cannot be read: %1").arg(file.errorString());
    result.error = error;
    return result;
  }
  return readTrackBytes(bytes, format, options);
}

TrackLoadResult ReadAllTracks(Race& race, const RaceFolders& folders, const TrackLoadCallbacks& callbacks) {
  TrackLoadResult result;
  if (callbacks.yield) {
    callbacks.yield();
  }
  const int count = race.BoatCount();
  std::vector<Boat> kept;
  kept.reserve(race.boats.size());
  for (int k = 1; k <= count; ++k) {
    const Boat& boat = race.boats[k - 1];
    if (callbacks.progress) {
      callbacks.progress(k, count, boat.BoatFile);
    }
    if (callbacks.yield) {
      callbacks.yield();
    }
    const TrackFormat format = trackFormatFor(boat.BoatFile);
    TrackReadOptions options;
    options.fileName = boat.BoatFile;
    options.raceDate = race.RaceDate;
    options.yield = callbacks.yield;
    // An unsafe or missing name reads like a log without fixes.
    const auto path = folders.existingFile(QString::fromLatin1(kGpsFolder), boat.BoatFile);
    TrackReadResult read;
    const bool readable = path && format != TrackFormat::Unknown;
    if (readable) {
      read = readTrackFile(*path, options);
      if (isBinaryTrackFormat(format) && callbacks.beep) {
        callbacks.beep();
      }
    }
    if (read.error) {
      result.error = read.error;
      return result;
    }

    Boat loaded = boat;
    loaded.fixes.clear();
    loaded.fixes.reserve(read.fixes.size());
    const TrackWindow window = trackWindowFor(race, boat);
    for (const RawFix& raw : read.fixes) {
      if (const auto fix = StoreFix(raw, window)) {
        loaded.fixes.push_back(*fix);
      }
    }
    loaded.fixes.shrink_to_fit();
    loaded.LogInterval = logIntervalFor(loaded.fixes, logIntervalThreshold(format));
    const bool textLog = format == TrackFormat::Gpx || format == TrackFormat::Dtr;
    if (readable && textLog && loaded.FixCount() < kZoomResetBelowFixes) {
      result.resetZoom = true;
    }
    if (loaded.FixCount() >= kMinFixesPerBoat) {
      kept.push_back(std::move(loaded));
    }
  }
  race.DroppedBoats = count - static_cast<int>(kept.size());
  race.boats = std::move(kept);
  race.BoatRows = boatRowsFor(race.BoatCount());
  race.BoatListHeight = boatListHeightFor(race.BoatRows);
  return result;
}

}  // namespace velaro
