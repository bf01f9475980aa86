#include "core/readers/lightsreader.h"

#include "core/textutil.h"

#include <QFile>

#include <algorithm>
#include <limits>

namespace velaro {

namespace {

// Light positions are written as degrees and decimal minutes run together:
// "3412.55" is 34 degrees 12.55 minutes. degreeDigits says how many leading
// characters are degrees (2 for latitude, 3 for longitude).
std::optional<double> degreesMinutes(const QString& text, int degreeDigits) {
  if (text.size() <= degreeDigits) {
    return std::nullopt;
  }
  const auto degrees = parseInt(text.left(degreeDigits));
  const auto minutes = parseReal(text.mid(degreeDigits));
  if (!degrees || !minutes) {
    return std::nullopt;
  }
  return *degrees * 60.0 + *minutes;
}

}  // namespace

// Positions stay as written: light lists are kept on the same datum as the
// tracks, unlike the coastline sheets.
LightsReadResult parseLights(QByteArrayView bytes, const QString& fileName) {
  LightsReadResult result;
  result.fileFound = true;
  const QStringList lines = splitLines(decodeText(bytes));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString& line = lines[i];
    if (isBlankLine(line)) {
      continue;
    }
    const int lineNo = static_cast<int>(std::min<qsizetype>(i + 1, std::numeric_limits<int>::max()));
    const FieldList f = SplitFields(line, u',');
    auto fail = [&](int field, const char* message) {
      const QString text = f.at(field);
      result.error =
          ReadError{fileName, lineNo, -1, text.isEmpty() ? line : text, QString::fromLatin1(message)};
      return result;
    };
    const auto lat = degreesMinutes(f.at(1), 2);
    if (!lat) {
      return fail(1, "not a latitude (DDMM.mm)");
    }
    const auto lon = degreesMinutes(f.at(2), 3);
    if (!lon) {
      return fail(2, "not a longitude (DDDMM.mm)");
    }
    const auto period = parseInt(f.at(3));
    if (!period) {
      return fail(3, "not a whole number");
    }
    const auto onTime = parseInt(f.at(4));
    if (!onTime) {
      return fail(4, "not a whole number");
    }
    const auto range = parseReal(f.at(6));
    if (!range) {
      return fail(6, "not a number");
    }
    result.lights.push_back(Light{f.at(0), GeoPoint{*lat, *lon}, *period, *onTime, f.at(5), *range});
  }
  return result;
}

LightsReadResult ReadLightsFile(const RaceFolders& folders, const QString& fileName) {
  const auto path = folders.existingFile(QString::fromLatin1(kCoastlineFolder), fileName);
  if (!path) {
    return {};
  }
  LightsReadResult failed;
  failed.fileFound = true;
  QFile file(*path);
  if (!file.open(QIODevice::ReadOnly)) {
    failed.error = ReadError{fileName, 0, -1, QString(), file.errorString()};
    return failed;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    failed.error = ReadError{fileName, 0, -1, QString(), file.errorString()};
    return failed;
  }
  return parseLights(bytes, fileName);
}

}  // namespace velaro
