#include "core/newrace/newrace.h"

#include "core/datetime.h"
#include "core/newrace/coastlinesheets.h"
#include "core/newrace/gmtshoreline.h"
#include "core/newrace/inputlogs.h"
#include "core/newrace/magneticmodel.h"
#include "core/newrace/racefolderwriter.h"
#include "core/racefolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

constexpr double kMetresPerMinute = 1852.0;
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
// Boats of one race sail within a few miles of each other; logs further
// apart than this were recorded at different events.
constexpr double kMaxLogSpreadMetres = 50000.0;
constexpr double kHourDays = 1.0 / 24.0;

double normDeg(double deg) {
  double d = std::fmod(deg, 360.0);
  return d < 0 ? d + 360.0 : d;
}

QString minutesField(double value) {
  return QString::number(value, 'f', 4);
}

QString pointFields(const GeoPoint& p) {
  return minutesField(p.lat) + u',' + minutesField(p.lon);
}

// A value that must stay one field of one record: no comma, no line end.
QString fieldText(QString text) {
  text.replace(u',', u';');
  for (QChar& c : text) {
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
      c = u' ';
    }
  }
  return text.trimmed();
}

QByteArray crlfText(const QStringList& lines) {
  QByteArray out;
  for (const QString& l : lines) {
    out.append(l.toUtf8());
    out.append("\r\n");
  }
  return out;
}

QString signedHours(int hours) {
  return (hours >= 0 ? QStringLiteral("+%1 h") : QStringLiteral("%1 h")).arg(hours);
}

QString placeText(const GeoPoint& p) {
  return QStringLiteral("%1%2 %3%4")
      .arg(std::fabs(p.lat / 60), 0, 'f', 2)
      .arg(QChar(p.lat >= 0 ? u'N' : u'S'))
      .arg(std::fabs(p.lon / 60), 0, 'f', 2)
      .arg(QChar(p.lon >= 0 ? u'E' : u'W'));
}

double metresBetween(const GeoPoint& a, const GeoPoint& b) {
  const double dLat = (b.lat - a.lat) * kMetresPerMinute;
  const double dLon = (b.lon - a.lon) * kMetresPerMinute * std::cos((a.lat + b.lat) / 120.0 * kDegToRad);
  return std::hypot(dLat, dLon);
}

ReadError fileError(const QString& file, const QString& message, const QString& text = {}) {
  return ReadError{file, 0, -1, text, message};
}

// The first log whose time span meets no other log's, or the log furthest
// from the fleet when two logs lie more than kMaxLogSpreadMetres apart.
std::optional<ReadError> checkLogsBelongTogether(const std::vector<InputLog>& logs) {
  if (logs.size() < 2) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < logs.size(); ++i) {
    const auto& a = logs[i].fixes;
    bool meets = false;
    for (std::size_t j = 0; j < logs.size() && !meets; ++j) {
      const auto& b = logs[j].fixes;
      meets = j != i && a.front().timeUtc <= b.back().timeUtc && b.front().timeUtc <= a.back().timeUtc;
    }
    if (!meets) {
      return fileError(logs[i].path,
                       QStringLiteral("its fixes (%1 to %2 UTC) share no time with the other logs")
                           .arg(formatDateTime(a.front().timeUtc), formatDateTime(a.back().timeUtc)));
    }
  }
  // Each log by its middle fix; the fleet by the median of those.
  std::vector<GeoPoint> middles;
  for (const InputLog& log : logs) {
    const RawFix& f = log.fixes[log.fixes.size() / 2];
    middles.push_back({f.lat, f.lon});
  }
  double widest = 0;
  for (std::size_t i = 0; i < middles.size(); ++i) {
    for (std::size_t j = i + 1; j < middles.size(); ++j) {
      widest = std::max(widest, metresBetween(middles[i], middles[j]));
    }
  }
  if (widest <= kMaxLogSpreadMetres) {
    return std::nullopt;
  }
  std::vector<double> lats, lons;
  for (const GeoPoint& m : middles) {
    lats.push_back(m.lat);
    lons.push_back(m.lon);
  }
  std::nth_element(lats.begin(), lats.begin() + lats.size() / 2, lats.end());
  std::nth_element(lons.begin(), lons.begin() + lons.size() / 2, lons.end());
  const GeoPoint fleet{lats[lats.size() / 2], lons[lons.size() / 2]};
  std::size_t far = 0;
  for (std::size_t i = 1; i < middles.size(); ++i) {
    if (metresBetween(middles[i], fleet) >= metresBetween(middles[far], fleet)) {
      far = i;
    }
  }
  return fileError(logs[far].path, QStringLiteral("recorded %1 km away from another log: not the same race")
                                       .arg(widest / 1000, 0, 'f', 0));
}

double medianFixTime(const std::vector<InputLog>& logs) {
  std::vector<double> times;
  for (const InputLog& log : logs) {
    for (const RawFix& f : log.fixes) {
      times.push_back(f.timeUtc);
    }
  }
  if (times.empty()) {
    return 0;
  }
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

// A local time text as a UTC date-time, on localDate when it names no date.
std::optional<double> utcFromLocalText(const QString& text, const QDate& localDate, int utcOffsetHours) {
  const std::optional<LocalTimeText> parsed = parseLocalTimeText(text);
  if (!parsed) {
    return std::nullopt;
  }
  return toDateTime(parsed->date.value_or(localDate), parsed->time) - utcOffsetHours * kHourDays;
}

// A usable race name: one file name, no field separator.
bool isUsableRaceName(const QString& name) {
  static const QRegularExpression bad(QStringLiteral("[/\\\\,:*?\"<>|\\x00-\\x1f]"));
  return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(bad) && name.trimmed() == name;
}

// Names present in a folder, lower case (the catalogue ignores case).
QSet<QString> lowerNamesIn(const QString& folder) {
  QSet<QString> names;
  for (const QString& n :
       QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
    names.insert(n.toLower());
  }
  return names;
}

// base + suffix, or base-2 + suffix, base-3 + suffix ... whichever is free.
QString freeName(const QString& base, const QString& suffix, const QSet<QString>& taken) {
  QString name = base + suffix;
  for (int n = 2; taken.contains(name.toLower()); ++n) {
    name = QStringLiteral("%1-%2%3").arg(base).arg(n).arg(suffix);
  }
  return name;
}

QString extensionFor(TrackFormat format) {
  switch (format) {
    case TrackFormat::Gpx:
      return QStringLiteral(".gpx");
    case TrackFormat::Gdb:
      return QStringLiteral(".gdb");
    case TrackFormat::Mps:
      return QStringLiteral(".mps");
    case TrackFormat::Trl:
      return QStringLiteral(".trl");
    case TrackFormat::Dtr:
      return QStringLiteral(".dtr");
    case TrackFormat::Unknown:
      break;
  }
  return {};
}

// The name a log is copied under: a plain file name (no comma, which would
// split its BN record) whose ending the track reader knows.
QString logFileName(const InputLog& log) {
  QString name = fieldText(log.fileName.isEmpty() ? QFileInfo(log.path).fileName() : log.fileName);
  name.replace(u'/', u'_').replace(u'\\', u'_');
  if (name.startsWith(u'.')) {
    name.prepend(u'_');
  }
  if (log.format != TrackFormat::Unknown && trackFormatFor(name) != log.format) {
    name += extensionFor(log.format);
  }
  return name;
}

QString stemOf(const QString& fileName, QString* suffix) {
  const int dot = static_cast<int>(fileName.lastIndexOf(u'.'));
  if (dot <= 0) {
    suffix->clear();
    return fileName;
  }
  *suffix = fileName.mid(dot);
  return fileName.left(dot);
}

bool sameBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly) || f.size() != bytes.size()) {
    return false;
  }
  return f.readAll() == bytes;
}

// Where each item of a course points: MKn needs n marks, Ln n lines.
std::optional<QString> courseItemMissing(const QStringList& course, int marks, int lines) {
  static const QRegularExpression item(QStringLiteral("^(MK|L)(\\d+)$"));
  for (const QString& text : course) {
    const QRegularExpressionMatch m = item.match(text);
    if (!m.hasMatch()) {
      return text;
    }
    const int n = m.captured(2).toInt();
    if (n < 1 || n > (m.captured(1) == QLatin1String("MK") ? marks : lines)) {
      return text;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<LocalTimeText> parseLocalTimeText(const QString& text) {
  static const QRegularExpression form(
      QStringLiteral("^(?:(\\d{4})/(\\d{1,2})/(\\d{1,2})\\s+)?(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
  const QRegularExpressionMatch m = form.match(text.trimmed());
  if (!m.hasMatch()) {
    return std::nullopt;
  }
  LocalTimeText result;
  if (m.hasCaptured(1)) {
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid()) {
      return std::nullopt;
    }
    result.date = date;
  }
  result.time =
      QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.hasCaptured(6) ? m.captured(6).toInt() : 0);
  if (!result.time.isValid()) {
    return std::nullopt;
  }
  return result;
}

std::map<QString, QByteArray> composeRaceFiles(const InferredRace& race, const RaceFileEntries& entries) {
  const double offsetDays = entries.utcOffsetHours * kHourDays;
  const double gunLocal = race.gunUtc + offsetDays;
  const double finishLocal = race.finishUtc + offsetDays;
  const QString date = formatDate(gunLocal);
  const QString title = entries.title.isEmpty()
                            ? QStringLiteral("Race %1 %2").arg(date, formatTime(gunLocal).left(5))
                            : entries.title;
  const int boats = static_cast<int>(entries.boats.size());
  QStringList lines;
  lines << QStringLiteral("T1,") + fieldText(title);
  lines << QStringLiteral("T2,%1  %2 %3").arg(date).arg(boats).arg(boats == 1 ? "boat" : "boats");
  lines << QStringLiteral("NOTE,Made from %1 GPS %2 by velaro-cli new-race")
               .arg(boats)
               .arg(boats == 1 ? "log" : "logs");
  lines << QStringLiteral("ST,") + formatDateTime(gunLocal);
  lines << QStringLiteral("FT,") + formatDateTime(finishLocal);
  lines << QStringLiteral("TD,%1").arg(entries.utcOffsetHours);
  lines << QStringLiteral("BT,%1").arg(race.preStartMinutes);
  lines << QStringLiteral("MG,%1").arg(entries.magVariationDeg, 0, 'f', 1);
  // Race files and wind logs hold the wind in magnetic degrees.
  lines << QStringLiteral("WD,%1").arg(std::lround(normDeg(race.windDirTrue - entries.magVariationDeg)) %
                                       360);
  std::map<QString, QByteArray> files;
  if (!race.windLog.empty()) {
    lines << QStringLiteral("WF,") + entries.windLogName;
    // No instrument measured the wind's strength: the speed column says 0.
    QStringList wind = {QStringLiteral("DATE TIME,SPEED(kt),DIRECTION(deg mag)")};
    for (const WindEstimate& w : race.windLog) {
      wind << QStringLiteral("%1,0,%2")
                  .arg(formatDateTime(w.timeUtc + offsetDays))
                  .arg(normDeg(w.dirTrue - entries.magVariationDeg), 0, 'f', 1);
    }
    files[QStringLiteral("winddat/") + entries.windLogName] = crlfText(wind);
  }
  lines << QStringLiteral("LL,%1,%2").arg(race.beatAngle).arg(race.runAngle);
  lines << QStringLiteral("NU,0");
  lines << QStringLiteral("PS,%1").arg(SecondsBetween(race.gunUtc, race.finishUtc) < 3600 ? 10 : 20);
  for (const GeoPoint& m : race.marks) {
    lines << QStringLiteral("MK,") + pointFields(m);
  }
  for (const GeoLine& l : race.lines) {
    lines << QStringLiteral("LN,") + pointFields(l.end1) + u',' + pointFields(l.end2);
  }
  for (const GeoLine& l : race.refLines) {
    lines << QStringLiteral("RL,") + pointFields(l.end1) + u',' + pointFields(l.end2);
  }
  if (!race.course.isEmpty()) {
    lines << QStringLiteral("CRS,") + race.course.join(u',');
  }
  for (const RaceFileEntries::BoatEntry& b : entries.boats) {
    lines << QStringLiteral("BN,%1,%2,%3").arg(b.fileName, fieldText(b.boatName)).arg(b.timeOffsetSeconds);
  }
  files[QStringLiteral("raceadmin/") + entries.raceName + QStringLiteral(".txt")] = crlfText(lines);
  return files;
}

NewRaceServices systemNewRaceServices() {
  NewRaceServices services;
  services.shoreline = gmtShoreline;
  services.localOffsetHours = [](double utcDateTime) {
    const QDateTime utc = fromDateTime(utcDateTime);
    return static_cast<int>(std::lround(QTimeZone::systemTimeZone().offsetFromUtc(utc) / 3600.0));
  };
  return services;
}

NewRaceFiles makeNewRaceFiles(const NewRaceRequest& request, const QString& racesFolder,
                              const NewRaceServices& services) {
  NewRaceFiles result;
  const auto fail = [&result](ReadError error) {
    result.error = std::move(error);
    result.files.clear();
    return result;
  };
  InputLogsResult input = readInputLogs(request.logPaths);
  if (input.error) {
    return fail(*input.error);
  }
  if (input.logs.empty()) {
    return fail(fileError(QString(), QStringLiteral("no GPS log to make a race of")));
  }
  for (const InputLog& log : input.logs) {
    if (log.fixes.empty()) {
      return fail(fileError(log.path, QStringLiteral("the log holds no fixes")));
    }
  }
  if (auto error = checkLogsBelongTogether(input.logs)) {
    return fail(*error);
  }
  const std::vector<InputLog>& logs = input.logs;
  result.notes = input.notes;

  // The time zone, then the given times on the logs' local day.
  const double median = medianFixTime(logs);
  int offset = 0;
  QString offsetSource;
  if (request.utcOffsetHours) {
    offset = *request.utcOffsetHours;
    result.notes << QStringLiteral("time difference %1 as given").arg(signedHours(offset));
  } else if (services.localOffsetHours) {
    offset = services.localOffsetHours(median);
    offsetSource = QStringLiteral("this computer's time zone on %1").arg(formatDate(median));
  } else {
    offsetSource = QStringLiteral("no time zone known: UTC");
  }
  const QDate localDate = datePart(median + offset * kHourDays);
  InferenceHints hints;
  for (const auto& [text, option, hint] :
       {std::tuple{request.startText, QStringLiteral("--start"), &hints.gunUtc},
        std::tuple{request.finishText, QStringLiteral("--finish"), &hints.finishUtc}}) {
    if (text.isEmpty()) {
      continue;
    }
    *hint = utcFromLocalText(text, localDate, offset);
    if (!*hint) {
      return fail(
          fileError(option, QStringLiteral("not a local time (yyyy/MM/dd HH:mm[:ss] or HH:mm[:ss])"), text));
    }
    result.notes
        << QStringLiteral("%1 %2 as given").arg(option.mid(2), formatDateTime(**hint + offset * kHourDays));
  }
  if (hints.gunUtc && hints.finishUtc && *hints.finishUtc <= *hints.gunUtc) {
    return fail(fileError(QStringLiteral("--finish"), QStringLiteral("the finish is not after the start"),
                          request.finishText));
  }
  hints.windDirTrue = request.windDirTrue;
  hints.marks = request.marks;
  hints.course = request.course;

  InferredRace race = inferRace(logs, hints);
  // A value given is the value written, whatever the inference made of it.
  race.gunUtc = hints.gunUtc.value_or(race.gunUtc);
  race.finishUtc = hints.finishUtc.value_or(race.finishUtc);
  if (request.windDirTrue) {
    race.windDirTrue = *request.windDirTrue;
    result.notes << QStringLiteral("wind %1 deg true as given").arg(*request.windDirTrue, 0, 'f', 0);
  }
  if (!request.marks.empty()) {
    race.marks = request.marks;
    result.notes << QStringLiteral("%1 marks as given").arg(request.marks.size());
  }
  if (!request.course.isEmpty()) {
    race.course = request.course;
    result.notes << QStringLiteral("course %1 as given").arg(request.course.join(u','));
  }
  if (race.finishUtc <= race.gunUtc) {
    return fail(
        fileError(request.finishText.isEmpty() ? QStringLiteral("--start") : QStringLiteral("--finish"),
                  QStringLiteral("the race would end before it starts"),
                  request.finishText.isEmpty() ? request.startText : request.finishText));
  }
  if (auto missing = courseItemMissing(race.course, static_cast<int>(race.marks.size()),
                                       static_cast<int>(race.lines.size()))) {
    return fail(fileError(QStringLiteral("--course"),
                          QStringLiteral("names no mark or line of the race (%1 marks, %2 lines)")
                              .arg(race.marks.size())
                              .arg(race.lines.size()),
                          *missing));
  }
  result.estimates = race.estimates;

  const RaceFolders folders(racesFolder);
  const QString adminFolder = folders.folder(QString::fromLatin1(kRaceAdminFolder));
  const QSet<QString> adminNames = lowerNamesIn(adminFolder);

  // The race's name, unique in raceadmin/.
  RaceFileEntries entries;
  entries.utcOffsetHours = offset;
  entries.title = request.title;
  const double gunLocal = race.gunUtc + offset * kHourDays;
  if (!request.name.isEmpty()) {
    QString name = request.name;
    if (name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)) {
      name.chop(4);
    }
    if (!isUsableRaceName(name)) {
      return fail(
          fileError(QStringLiteral("--name"), QStringLiteral("not a usable race file name"), request.name));
    }
    if (adminNames.contains((name + QStringLiteral(".txt")).toLower())) {
      return fail(fileError(QDir(adminFolder).filePath(name + QStringLiteral(".txt")),
                            QStringLiteral("a race of that name exists already")));
    }
    entries.raceName = name;
  } else {
    const QString base = fromDateTime(gunLocal).toString(QStringLiteral("yyyy-MM-dd-HHmm"));
    entries.raceName = freeName(base, QStringLiteral(".txt"), adminNames);
    entries.raceName.chop(4);
  }
  result.raceFileName = entries.raceName + QStringLiteral(".txt");
  entries.windLogName = freeName(entries.raceName, QStringLiteral(".csv"),
                                 lowerNamesIn(folders.folder(QString::fromLatin1(kWindFolder))));

  // The variation where and when the race was sailed.
  entries.magVariationDeg = magneticVariationAt(race.centre.lat, race.centre.lon, race.gunUtc);
  result.estimates << QStringLiteral("magnetic variation %1 deg (WMM%2 at %3, %4)")
                          .arg(entries.magVariationDeg, 0, 'f', 1)
                          .arg(static_cast<int>(magneticModelEpoch()))
                          .arg(placeText(race.centre), formatDate(gunLocal));
  if (!offsetSource.isEmpty()) {
    result.estimates << QStringLiteral("time difference %1 (%2)").arg(signedHours(offset), offsetSource);
  }

  // The logs, byte for byte, under names free in gpsdat/ (the same bytes
  // under the same name are used as they are).
  const QString gpsFolder = folders.folder(QString::fromLatin1(kGpsFolder));
  QSet<QString> gpsNames = lowerNamesIn(gpsFolder);
  for (std::size_t i = 0; i < logs.size(); ++i) {
    const InputLog& log = logs[i];
    const QByteArray& bytes = log.bytes;
    const QString wanted = logFileName(log);
    QString name = wanted;
    const QString existing = QDir(gpsFolder).filePath(wanted);
    if (QFileInfo(existing).isFile() && sameBytes(existing, bytes)) {
      result.notes << QStringLiteral("%1: the same log is in gpsdat/ already").arg(wanted);
    } else {
      QString suffix;
      const QString stem = stemOf(wanted, &suffix);
      name = freeName(stem, suffix, gpsNames);
      gpsNames.insert(name.toLower());
      if (name != wanted) {
        result.notes
            << QStringLiteral("%1: another file of that name is in gpsdat/; copied as %2").arg(wanted, name);
      }
      result.files[QStringLiteral("gpsdat/") + name] = bytes;
    }
    entries.boats.push_back({name, log.boatName.isEmpty() ? QFileInfo(name).completeBaseName() : log.boatName,
                             i < race.timeOffsets.size() ? race.timeOffsets[i] : 0});
  }

  // The coastline of the tracks' area; sheets already there are kept.
  double minLat = logs.front().fixes.front().lat, maxLat = minLat;
  double minLon = logs.front().fixes.front().lon, maxLon = minLon;
  for (const InputLog& log : logs) {
    for (const RawFix& f : log.fixes) {
      minLat = std::min(minLat, f.lat);
      maxLat = std::max(maxLat, f.lat);
      minLon = std::min(minLon, f.lon);
      maxLon = std::max(maxLon, f.lon);
    }
  }
  if (!services.shoreline) {
    result.estimates << QStringLiteral("coastline: no shoreline installed");
  } else {
    const ShoreArea area = shoreAreaFor(minLat, maxLat, minLon, maxLon);
    const std::vector<std::vector<GeoPoint>> shore =
        services.shoreline(area.south, area.north, area.west, area.east);
    if (shore.empty()) {
      result.estimates << QStringLiteral("coastline: none (no shore in the area, or no shoreline installed)");
    } else {
      const std::map<QString, QByteArray> sheets = coastlineFilesFor(area, shore);
      int kept = 0;
      for (const auto& [relative, bytes] : sheets) {
        if (QFileInfo::exists(QDir(racesFolder).filePath(relative))) {
          ++kept;
        } else {
          result.files[relative] = bytes;
        }
      }
      result.estimates << QStringLiteral("coastline: %1 %2%3")
                              .arg(sheets.size())
                              .arg(sheets.size() == 1 ? "sheet" : "sheets")
                              .arg(kept > 0 ? QStringLiteral(" (%1 already in the folder, kept)").arg(kept)
                                            : QString());
    }
  }

  for (auto& [relative, bytes] : composeRaceFiles(race, entries)) {
    result.files[relative] = std::move(bytes);
  }
  if (!QFileInfo::exists(QDir(adminFolder).filePath(QStringLiteral("racefile.st")))) {
    result.files[QStringLiteral("raceadmin/racefile.st")] = result.raceFileName.toUtf8() + "\r\n";
  }
  return result;
}

NewRaceResult createNewRace(const NewRaceRequest& request, const QString& racesFolder,
                            const NewRaceServices& services) {
  NewRaceResult result;
  NewRaceFiles made = makeNewRaceFiles(request, racesFolder, services);
  result.estimates = made.estimates;
  result.notes = made.notes;
  if (made.error) {
    result.error = made.error;
    return result;
  }
  // The race file goes in after everything it names, and racefile.st last,
  // so that a race in the catalogue is always whole.
  const QString raceFile = QStringLiteral("raceadmin/") + made.raceFileName;
  const QString pointer = QStringLiteral("raceadmin/racefile.st");
  std::vector<std::pair<QString, QByteArray>> ordered;
  for (auto& [relative, bytes] : made.files) {
    if (relative != raceFile && relative != pointer) {
      ordered.emplace_back(relative, std::move(bytes));
    }
  }
  for (const QString& last : {raceFile, pointer}) {
    const auto it = made.files.find(last);
    if (it != made.files.end()) {
      ordered.emplace_back(last, std::move(it->second));
    }
  }
  if (auto error = writeFilesWhole(racesFolder, ordered)) {
    result.error = ReadError{error->file, 0, -1, QString(), error->reason};
    return result;
  }
  result.raceFileName = made.raceFileName;
  result.raceFilePath = QDir(RaceFolders(racesFolder).folder(QString::fromLatin1(kRaceAdminFolder)))
                            .absoluteFilePath(made.raceFileName);
  return result;
}

}  // namespace velaro
