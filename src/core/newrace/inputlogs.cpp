#include "core/newrace/inputlogs.h"

#include "core/datetime.h"
#include "core/orderedwork.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

ReadError logError(const QString& fileName, const QString& message, const QString& text = {}) {
  ReadError e;
  e.file = fileName;
  e.message = message;
  e.text = text;
  return e;
}

// The text of the first <name> element of a GPX file's metadata or track, or
// nothing. Only the head of the file is searched: names come before points.
QString gpxTrackName(const QByteArray& bytes) {
  static const QRegularExpression kName(
      QStringLiteral("<(?:\\w+:)?name>\\s*([^<]{1,80}?)\\s*</(?:\\w+:)?name>"));
  const QString head = QString::fromUtf8(bytes.left(64 * 1024));
  const qsizetype firstPoint = head.indexOf(QLatin1String("<trkpt"), 0, Qt::CaseInsensitive);
  const QRegularExpressionMatch m = kName.match(firstPoint >= 0 ? head.left(firstPoint) : head);
  if (!m.hasMatch()) {
    return {};
  }
  QString name = m.captured(1);
  name.replace(QLatin1String("&amp;"), QLatin1String("&"));
  name.replace(QLatin1String("&lt;"), QLatin1String("<"));
  name.replace(QLatin1String("&gt;"), QLatin1String(">"));
  return name.simplified();
}

// Names devices give every track, which tell one boat from another no better
// than nothing.
bool isDeviceDefaultName(const QString& name) {
  static const QRegularExpression kDefault(QStringLiteral("^(active log|track|untitled|activity)\\b.*"),
                                           QRegularExpression::CaseInsensitiveOption);
  return name.isEmpty() || kDefault.match(name).hasMatch();
}

// Fixes sorted by time, the first of each whole second kept: the race counts
// whole seconds.
std::vector<RawFix> oneFixASecond(std::vector<RawFix> fixes) {
  std::stable_sort(fixes.begin(), fixes.end(),
                   [](const RawFix& a, const RawFix& b) { return a.timeUtc < b.timeUtc; });
  std::vector<RawFix> kept;
  kept.reserve(fixes.size());
  double lastSecond = -1e300;
  for (const RawFix& f : fixes) {
    const double second = std::floor(f.timeUtc * kSecondsPerDay + 1e-6);
    if (second != lastSecond) {
      kept.push_back(f);
      lastSecond = second;
    }
  }
  return kept;
}

// One log as its worker read it.
struct ReadLog {
  TrackFormat format = TrackFormat::Unknown;
  QByteArray bytes;
  QString trackName;
  std::vector<RawFix> fixes;
  std::optional<ReadError> error;
};

ReadLog readOne(const QString& path) {
  ReadLog r;
  const QFileInfo info(path);
  const QString shown = info.fileName();
  if (info.isDir()) {
    r.error = logError(shown, QStringLiteral("is a folder, not a GPS log"));
    return r;
  }
  r.format = trackFormatFor(shown);
  if (r.format == TrackFormat::Unknown) {
    r.error =
        logError(shown, QStringLiteral("not a GPS log the program reads (gpx, gdb, mps, trl, dtr, trk)"));
    return r;
  }
  if (!info.isFile()) {
    // A FIFO or device would block the read or never end.
    r.error = logError(
        shown, info.exists() ? QStringLiteral("is not a regular file") : QStringLiteral("does not exist"));
    return r;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    r.error = logError(shown, QStringLiteral("cannot be read: %1").arg(file.errorString()));
    return r;
  }
  r.bytes = file.readAll();
  const QByteArray& bytes = r.bytes;
  if (file.error() != QFileDevice::NoError) {
    r.error = logError(shown, QStringLiteral("cannot be read: %1").arg(file.errorString()));
    return r;
  }
  TrackReadOptions options;
  options.fileName = shown;
  TrackReadResult read = readTrackBytes(bytes, r.format, options);
  if (read.error) {
    r.error = read.error;
    return r;
  }
  r.fixes = oneFixASecond(std::move(read.fixes));
  if (r.fixes.empty()) {
    r.error = logError(shown, QStringLiteral("holds no GPS fixes"));
  }
  if (r.format == TrackFormat::Gpx) {
    r.trackName = gpxTrackName(bytes);
  }
  return r;
}

}  // namespace

InputLogsResult readInputLogs(const QStringList& paths) {
  InputLogsResult result;
  QStringList trackNames;
  QSet<QString> usedFileNames;
  // Logs are read and parsed on every core, then taken in the order given.
  std::vector<ReadLog> read(static_cast<std::size_t>(paths.size()));
  OrderedWork work(static_cast<int>(paths.size()), std::min(8, OrderedWork::defaultThreads()),
                   [&](int i) { read[static_cast<std::size_t>(i)] = readOne(paths[i]); });
  for (qsizetype k = 0; k < paths.size(); ++k) {
    work.waitFor(static_cast<int>(k));
    const QString& path = paths[k];
    const QFileInfo info(path);
    const QString shown = info.fileName();
    ReadLog& one = read[static_cast<std::size_t>(k)];
    if (one.error) {
      result.error = one.error;
      return result;
    }
    const TrackFormat format = one.format;
    std::vector<RawFix> fixes = std::move(one.fixes);
    const auto same = std::find_if(result.logs.begin(), result.logs.end(),
                                   [&](const InputLog& other) { return other.fixes == fixes; });
    if (same != result.logs.end()) {
      result.notes << QStringLiteral("%1 repeats %2: used once").arg(shown, QFileInfo(same->path).fileName());
      continue;
    }
    InputLog log;
    log.path = path;
    log.format = format;
    log.fixes = std::move(fixes);
    log.bytes = std::move(one.bytes);
    // The copy keeps the file's name; a second log of the same name from
    // another folder gets a number.
    QString fileName = shown;
    for (int n = 2; usedFileNames.contains(fileName.toLower()); ++n) {
      fileName = QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(n).arg(info.suffix());
    }
    usedFileNames.insert(fileName.toLower());
    log.fileName = fileName;
    log.boatName = info.completeBaseName();
    result.logs.push_back(std::move(log));
    trackNames << one.trackName;
  }
  // A track name names the boat only when it is the log's own: not a
  // device's default and not shared with another log of the race.
  for (std::size_t i = 0; i < result.logs.size(); ++i) {
    const QString& name = trackNames[static_cast<qsizetype>(i)];
    if (!isDeviceDefaultName(name) && trackNames.count(name) == 1) {
      result.logs[i].boatName = name;
    }
  }
  return result;
}

}  // namespace velaro
