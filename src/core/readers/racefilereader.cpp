#include "core/readers/racefilereader.h"

#include "core/analysis/courseresults.h"
#include "core/datetime.h"
#include "core/textutil.h"

#include <QFile>
#include <QFileInfo>

namespace velaro {

namespace {

void applyCarryOver(Race& race, const RaceCarryOver& previous) {
  race.RaceStart = previous.RaceStart;
  race.RaceFinish = previous.RaceFinish;
  race.TimeDifference = previous.TimeDifference;
  race.MagVariation = previous.MagVariation;
  race.WindDirection = previous.WindDirection;
  race.LaylineAngleA = previous.LaylineAngleA;
  race.LaylineAngleB = previous.LaylineAngleB;
  race.BoatLength = previous.BoatLength;
}

// Reads one record's fields, stopping at the first that does not convert.
class RecordReader {
 public:
  RecordReader(const FieldList& fields, const QString& fileName, int lineNo)
      : m_fields(fields), m_fileName(fileName), m_lineNo(lineNo) {}

  bool has(int i) const { return i < m_fields.count(); }

  double real(int i) {
    if (auto v = parseReal(m_fields.at(i))) {
      return *v;
    }
    fail(i, QStringLiteral("not a number"));
    return 0;
  }
  int integer(int i) {
    if (auto v = parseInt(m_fields.at(i))) {
      return *v;
    }
    fail(i, QStringLiteral("not a whole number"));
    return 0;
  }
  double dateTime(int i) {
    if (auto v = TextToDateTime(m_fields.at(i))) {
      return *v;
    }
    fail(i, QStringLiteral("not a date and time"));
    return 0;
  }
  GeoPoint point(int i) {
    const double lat = real(i);
    const double lon = real(i + 1);
    return {lat, lon};
  }

  const std::optional<ReadError>& error() const { return m_error; }

 private:
  void fail(int i, const QString& message) {
    if (!m_error) {
      m_error = ReadError{m_fileName, m_lineNo, -1, m_fields.at(i), message};
    }
  }

  const FieldList& m_fields;
  const QString& m_fileName;
  int m_lineNo;
  std::optional<ReadError> m_error;
};

// The record as written after its keyword, for naming a record that has no name.
QString recordText(const FieldList& f) {
  return f.fields.mid(1).join(u',');
}

}  // namespace

std::optional<LogProblem> logFileProblem(const RaceFolders& folders, const QString& name) {
  if (name.isEmpty()) {
    return LogProblem{};
  }
  const auto path = folders.resolve(QString::fromLatin1(kGpsFolder), name);
  if (!path) {
    return LogProblem{IgnoredReason::LogOutside, QString()};
  }
  const QFileInfo info(*path);
  if (info.isFile()) {
    // A log the user may not read frees its boat number, as a missing one
    // does; only a regular file is opened to learn why.
    QFile file(*path);
    if (!info.isReadable() && !file.open(QIODevice::ReadOnly)) {
      return LogProblem{IgnoredReason::LogUnreadable, file.errorString()};
    }
    return std::nullopt;
  }
  if (info.isDir()) {
    return LogProblem{IgnoredReason::LogIsFolder, QString()};
  }
  const QString kind = specialFileKind(*path);
  if (!kind.isEmpty()) {
    return LogProblem{IgnoredReason::LogNotAFile, kind};
  }
  return LogProblem{};
}

void computeDerivedRaceValues(Race& race, const QString& fileName, bool coverShown) {
  race.RaceStartUtc = race.RaceStart - race.TimeDifference / 24.0;
  race.RaceFinishUtc = race.RaceFinish - race.TimeDifference / 24.0;
  race.BoatRows = boatRowsFor(race.BoatCount());
  race.BoatListHeight = boatListHeightFor(race.BoatRows);
  if (race.PreStartSeconds == 0) {
    race.PreStartSeconds = kDefaultPreStartSeconds;
  }
  race.TimeAxisStart = -race.PreStartSeconds - 10;
  race.TimeAxisEnd = SecondsBetween(race.RaceStart, race.RaceFinish) + 30;
  race.WindAxis = roundToInt(race.MagVariation) + race.WindDirection;
  race.RaceDate = dateOnly(race.RaceStart);

  race.RaceCaption.clear();
  race.RaceSubcaption.clear();
  if (!coverShown) {
    race.RaceCaption = QStringLiteral("Velaro  ");
    if (race.RaceTitle1.size() < 2 && race.RaceTitle2.size() < 2) {
      race.RaceCaption += fileName;
    }
    if (race.RaceTitle2.size() < 2) {
      race.RaceSubcaption = formatDate(race.RaceDate);
    }
  }
  if (race.RaceTitle1.size() >= 2) {
    race.RaceCaption = race.RaceTitle1;
  }
  if (race.RaceTitle2.size() >= 2) {
    race.RaceSubcaption = race.RaceTitle2;
  }
}

RaceFileResult parseRaceFile(QByteArrayView bytes, const QString& fileName, const RaceFileOptions& options) {
  RaceFileResult result;
  Race& race = result.race;
  applyCarryOver(race, options.previous);
  race.PreStartSeconds = kDefaultPreStartSeconds;
  race.PlaySpeed = kDefaultPlaySpeed;

  auto exists = [&](const char* folder, const QString& name) {
    return options.fileExists && options.fileExists(QString::fromLatin1(folder), name);
  };
  auto logProblem = [&](const QString& name) -> std::optional<LogProblem> {
    if (options.logProblem) {
      return options.logProblem(name);
    }
    if (exists(kGpsFolder, name)) {
      return std::nullopt;
    }
    return LogProblem{};
  };
  // Records past a table's capacity are left out, each one told.
  auto overCapacity = [&](int lineNo, const QString& key, const QString& name, int capacity) {
    race.ignored.push_back(
        {lineNo, key, name, QString(), IgnoredReason::BeyondCapacity, QString::number(capacity)});
  };

  const QStringList lines = splitLines(decodeText(bytes));
  for (int lineIndex = 0; lineIndex < lines.size(); ++lineIndex) {
    const FieldList f = SplitFields(lines[lineIndex], u',');
    const QString key = f.at(0);
    const int lineNo = lineIndex + 1;
    RecordReader r(f, fileName, lineNo);

    if (key == QLatin1String("BN")) {
      IgnoredRecord ignored{
          lineNo, key, f.at(2), f.at(1), IgnoredReason::BeyondCapacity, QString::number(kMaxBoats)};
      if (race.BoatCount() >= kMaxBoats) {
        race.ignored.push_back(std::move(ignored));
      } else if (const auto problem = logProblem(f.at(1))) {
        ignored.reason = problem->reason;
        ignored.detail = problem->detail;
        race.ignored.push_back(std::move(ignored));
      } else {
        Boat boat;
        boat.BoatFile = f.at(1);
        boat.BoatName = f.at(2);
        boat.BoatTimeOffset = r.has(3) ? r.integer(3) : 0;
        boat.BoatFocused = r.has(4) ? 0 : 1;
        boat.RaceFileLine = lineNo;
        if (!r.error()) {
          race.boats.push_back(std::move(boat));
        }
      }
    } else if (key == QLatin1String("NOTE")) {
      race.RaceNote = f.at(1);
    } else if (key == QLatin1String("MK")) {
      if (r.has(2)) {
        const GeoPoint p = r.point(1);
        if (!r.error() && race.MarkCount() < kMaxMarks) {
          race.marks.push_back(p);
        } else if (!r.error()) {
          overCapacity(lineNo, key, recordText(f), kMaxMarks);
        }
      }
    } else if (key == QLatin1String("MAP")) {
      race.MapName = f.fields.mid(1, kMaxMapNames);
      for (const QString& name : f.fields.mid(1 + kMaxMapNames)) {
        overCapacity(lineNo, key, name, kMaxMapNames);
      }
    } else if (key == QLatin1String("LN") || key == QLatin1String("RL")) {
      if (r.has(4)) {
        const GeoLine line{r.point(1), r.point(3)};
        auto& list = key == QLatin1String("LN") ? race.lines : race.refLines;
        const int capacity = key == QLatin1String("LN") ? kMaxLines : kMaxRefLines;
        if (!r.error() && static_cast<int>(list.size()) < capacity) {
          list.push_back(line);
        } else if (!r.error()) {
          overCapacity(lineNo, key, recordText(f), capacity);
        }
      }
    } else if (key == QLatin1String("LL")) {
      if (r.has(2)) {
        const int a = r.integer(1);
        const int b = r.integer(2);
        if (!r.error()) {
          race.LaylineAngleA = a;
          race.LaylineAngleB = b;
        }
      }
    } else if (key == QLatin1String("CRS")) {
      race.Course = f.fields.mid(1, kMaxCourseItems);
      for (const QString& item : f.fields.mid(1 + kMaxCourseItems)) {
        overCapacity(lineNo, key, item, kMaxCourseItems);
      }
      result.courseLine = lineNo;
    } else if (key == QLatin1String("AT")) {
      if (exists(kAttachmentFolder, f.at(1))) {
        if (race.AttachmentCount() < kMaxAttachments) {
          race.Attachment.append(f.at(1));
        } else {
          overCapacity(lineNo, key, f.at(1), kMaxAttachments);
        }
      }
    } else if (key == QLatin1String("FLG")) {
      race.RaceFlag = f.at(1);
    } else if (key == QLatin1String("T1")) {
      race.RaceTitle1 = f.at(1);
    } else if (key == QLatin1String("T2")) {
      race.RaceTitle2 = f.at(1);
    } else if (key == QLatin1String("MG")) {
      const double v = r.real(1);
      if (!r.error()) {
        race.MagVariation = v;
      }
    } else if (key == QLatin1String("LG")) {
      const double v = r.real(1);
      if (!r.error()) {
        race.BoatLength = v;
      }
    } else if (key == QLatin1String("ST")) {
      const double v = r.dateTime(1);
      if (!r.error()) {
        race.RaceStart = v;
        result.startLine = lineIndex + 1;
      }
    } else if (key == QLatin1String("FT")) {
      const double v = r.dateTime(1);
      if (!r.error()) {
        race.RaceFinish = v;
        result.finishLine = lineIndex + 1;
      }
    } else if (key == QLatin1String("TD")) {
      const int v = r.integer(1);
      if (!r.error()) {
        race.TimeDifference = v;
      }
    } else if (key == QLatin1String("WD")) {
      const int v = r.integer(1);
      if (!r.error()) {
        race.WindDirection = v;
      }
    } else if (key == QLatin1String("WF")) {
      race.WindFileName = f.at(1);
    } else if (key == QLatin1String("BT")) {
      const int v = r.integer(1);
      if (!r.error()) {
        race.PreStartSeconds = v * 60;
      }
    } else if (key == QLatin1String("NU")) {
      const int v = r.integer(1);
      if (!r.error()) {
        race.NorthUp = v;
      }
    } else if (key == QLatin1String("PS")) {
      const double v = r.real(1);
      if (!r.error()) {
        race.PlaySpeed = v;
      }
    }

    if (r.error()) {
      result.error = r.error();
      race.RaceStartUtc = race.RaceStart - race.TimeDifference / 24.0;
      race.RaceFinishUtc = race.RaceFinish - race.TimeDifference / 24.0;
      return result;
    }
  }

  computeDerivedRaceValues(race, fileName, options.coverShown);
  return result;
}

std::optional<ReadError> checkRaceForReplay(const RaceFileResult& read, const QString& fileName) {
  const Race& race = read.race;
  if (race.RaceFinish < race.RaceStart) {
    const int line = read.finishLine > 0 ? read.finishLine : read.startLine;
    return ReadError{fileName, line, -1, formatDateTime(race.RaceFinish),
                     QStringLiteral("the finish (FT) is before the start (ST)")};
  }
  for (const QString& text : race.Course) {
    const CourseItem item = parseCourseItem(text);
    const bool line = item.kind == CourseItem::Kind::Line;
    const int count = line ? race.LineCount() : race.MarkCount();
    if (item.number < 1 || item.number > count) {
      return ReadError{fileName, read.courseLine, -1, text,
                       line ? QStringLiteral("the course (CRS) names a line that no LN record defines")
                            : QStringLiteral("the course (CRS) names a mark that no MK record defines")};
    }
  }
  return std::nullopt;
}

RaceFileResult ReadRaceFile(const QString& path, const RaceFolders& folders, RaceFileOptions options) {
  const QFileInfo info(path);
  if (info.isDir()) {
    RaceFileResult result;
    applyCarryOver(result.race, options.previous);
    result.race.raceFilePath = path;
    result.error =
        ReadError{info.fileName(), 0, -1, QString(), QStringLiteral("is a folder, not a race file")};
    return result;
  }
  if (!info.isFile()) {
    RaceFileResult result;
    applyCarryOver(result.race, options.previous);
    result.race.raceFilePath = path;
    result.missing = true;
    return result;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    RaceFileResult result;
    applyCarryOver(result.race, options.previous);
    result.race.raceFilePath = path;
    result.error = ReadError{info.fileName(), 0, -1, QString(), file.errorString()};
    return result;
  }
  const QByteArray bytes = file.readAll();
  if (!options.fileExists && !options.logProblem) {
    options.logProblem = [&folders](const QString& name) { return logFileProblem(folders, name); };
  }
  if (!options.fileExists) {
    options.fileExists = [&folders](const QString& folder, const QString& name) {
      return folders.existingFile(folder, name).has_value();
    };
  }
  RaceFileResult result = parseRaceFile(bytes, info.fileName(), options);
  result.race.raceFilePath = path;
  return result;
}

}  // namespace velaro
