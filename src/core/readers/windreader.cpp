#include "core/readers/windreader.h"

#include "core/datetime.h"
#include "core/textutil.h"

#include <QFile>

#include <algorithm>
#include <limits>

namespace velaro {

namespace {

ReadError conversionError(const QString& fileName, int lineNo, const QString& field, const QString& line,
                          const char* message) {
  return ReadError{fileName, lineNo, -1, field.isEmpty() ? line : field, QString::fromLatin1(message)};
}

}  // namespace

// One sample per line after the header: local date-time, speed, direction.
// Directions are kept as whole degrees, 359.5 becoming 360 (the replay's
// interpolation folds 360 back to north). Blank lines, such as an editor's
// trailing empty line, carry no sample and are passed over; any other line
// that does not convert ends the read, keeping only the samples before it.
WindReadResult parseWindFile(QByteArrayView bytes, const QString& fileName, double raceStart) {
  WindReadResult result;
  result.fileFound = true;
  const QStringList lines = splitLines(decodeText(bytes));
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QString& line = lines[i];
    if (isBlankLine(line)) {
      continue;
    }
    const int lineNo = static_cast<int>(std::min<qsizetype>(i + 1, std::numeric_limits<int>::max()));
    const FieldList f = SplitFields(line, u',');
    const auto time = TextToDateTime(f.at(0));
    if (!time) {
      result.error = conversionError(fileName, lineNo, f.at(0), line, "not a date and time");
      return result;
    }
    const auto speed = parseReal(f.at(1));
    if (!speed) {
      result.error = conversionError(fileName, lineNo, f.at(1), line, "not a number");
      return result;
    }
    const auto dir = parseReal(f.at(2));
    if (!dir) {
      result.error = conversionError(fileName, lineNo, f.at(2), line, "not a number");
      return result;
    }
    result.samples.push_back(
        WindSample{static_cast<double>(SecondsBetween(raceStart, *time)), *speed, roundToInt(*dir)});
  }
  return result;
}

WindReadResult ReadWindFile(const RaceFolders& folders, const QString& WindFileName, double raceStart) {
  const auto path = folders.existingFile(QString::fromLatin1(kWindFolder), WindFileName);
  if (!path) {
    return {};
  }
  QFile file(*path);
  if (!file.open(QIODevice::ReadOnly)) {
    WindReadResult result;
    result.fileFound = true;
    result.error = ReadError{WindFileName, 0, -1, QString(), file.errorString()};
    return result;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    WindReadResult result;
    result.fileFound = true;
    result.error = ReadError{WindFileName, 0, -1, QString(), file.errorString()};
    return result;
  }
  return parseWindFile(bytes, WindFileName, raceStart);
}

}  // namespace velaro
