#include "core/readers/coastlinereader.h"

#include "core/datetime.h"
#include "core/readers/lightsreader.h"
#include "core/textutil.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

namespace velaro {

namespace {

constexpr double kBlockLatMinutes = 5;
constexpr double kBlockLonMinutes = 7.5;
// Block positions are in ten-thousandths of the block's side.
constexpr double kBlockUnits = 10000;
constexpr int kPointsPerLine = 7;
// Sheet rows and columns beyond this are no place on the globe.
constexpr double kMaxGridIndex = 1e6;

constexpr double kDegToRad = std::numbers::pi / 180;

bool isBlankByte(char c) {
  return c == ' ' || c == '\t' || c == '\x1a';
}

bool isBlank(QByteArrayView line) {
  return std::all_of(line.begin(), line.end(), isBlankByte);
}

// Characters first..last of a line, 1-based and inclusive, cut short by the
// line's end.
QByteArrayView columns(QByteArrayView line, qsizetype first, qsizetype last) {
  if (first > line.size()) {
    return {};
  }
  const qsizetype end = std::min(last, line.size());
  return line.sliced(first - 1, end - first + 1);
}

std::optional<double> realFrom(QByteArrayView text) {
  text = text.trimmed();
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') {
    ++begin;
    if (begin != end && (*begin == '-' || *begin == '+')) {
      return std::nullopt;
    }
  }
  if (begin == end) {
    return std::nullopt;
  }
  double value = 0;
  const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> intFrom(QByteArrayView text) {
  text = text.trimmed();
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') {
    ++begin;
  }
  if (begin == end) {
    return std::nullopt;
  }
  int value = 0;
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end) {
    return std::nullopt;
  }
  return value;
}

int lineNumber(qint64 index) {
  return static_cast<int>(std::min<qint64>(index + 1, std::numeric_limits<int>::max()));
}

ReadError conversionError(const QString& fileName, qint64 lineIndex, QByteArrayView field,
                          QByteArrayView line, const char* message) {
  const QByteArrayView shown = field.trimmed().isEmpty() ? line : field;
  return ReadError{fileName, lineNumber(lineIndex), -1,
                   decodeText(shown.first(std::min<qsizetype>(shown.size(), 200))),
                   QString::fromLatin1(message)};
}

// Calls visit(line, index) for each line ending in CR LF, LF or a lone CR,
// until it returns false.
template <typename Visit>
void forEachLine(QByteArrayView bytes, Visit visit) {
  const char* data = bytes.data();
  const qsizetype n = bytes.size();
  qsizetype start = 0;
  qint64 index = 0;
  while (start < n) {
    qsizetype end = start;
    while (end < n && data[end] != '\n' && data[end] != '\r') {
      ++end;
    }
    if (!visit(bytes.sliced(start, end - start), index++)) {
      return;
    }
    if (end < n && data[end] == '\r' && end + 1 < n && data[end + 1] == '\n') {
      ++end;
    }
    start = end + 1;
  }
}

bool isOverview(const CoastlineWindow& window) {
  return window.span > kMaxSheetSpan;
}

CoastlineFile readFolderFile(const RaceFolders& folders, const QString& fileName) {
  const auto path = folders.existingFile(QString::fromLatin1(kCoastlineFolder), fileName);
  if (!path) {
    return {};
  }
  QFile file(*path);
  if (!file.open(QIODevice::ReadOnly)) {
    return {std::nullopt, ReadError{fileName, 0, -1, QString(), file.errorString()}};
  }
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    return {std::nullopt, ReadError{fileName, 0, -1, QString(), file.errorString()}};
  }
  return {std::move(bytes), std::nullopt};
}

void append(Coastline& to, Coastline&& from) {
  for (auto& polyline : from.polylines) {
    to.polylines.push_back(std::move(polyline));
  }
}

}  // namespace

// The window is square in metres at about 37 degrees of latitude (a minute of
// longitude taken as 0.8 of a minute of latitude), with a fifth added around
// the race and never smaller than 3 minutes.
CoastlineWindow coastlineWindow(const CoastlineExtent& extent) {
  CoastlineWindow w;
  w.span =
      std::max(std::fabs(extent.MaxLat - extent.MinLat), 0.8 * std::fabs(extent.MaxLon - extent.MinLon)) *
      1.2;
  if (w.span < kMinCoastlineSpan) {
    w.span = kMinCoastlineSpan;
  }
  w.centreLat = extent.CentreLat;
  w.centreLon = extent.CentreLon;
  w.south = w.centreLat - w.span / 2;
  w.north = w.centreLat + w.span / 2;
  w.west = w.centreLon - w.span / 1.6;
  w.east = w.centreLon + w.span / 1.6;
  return w;
}

int sheetRow(double lat) {
  return roundToInt(lat / kSheetLatMinutes - 0.5);
}

int sheetColumn(double lon) {
  return roundToInt(lon / kSheetLonMinutes - 0.5);
}

QString sheetName(int row, int column) {
  return QString::number(row) + QString::number(static_cast<qint64>(column) - 100);
}

QString worldSheetName(int row, int column) {
  return QStringLiteral("w%1_%2").arg(row).arg(column);
}

std::vector<SheetCell> sheetCells(const CoastlineWindow& window) {
  if (isOverview(window)) {
    return {};
  }
  for (const double edge : {window.south / kSheetLatMinutes, window.north / kSheetLatMinutes,
                            window.west / kSheetLonMinutes, window.east / kSheetLonMinutes}) {
    if (!(std::fabs(edge) < kMaxGridIndex)) {
      return {};
    }
  }
  std::vector<SheetCell> cells;
  const int lastRow = sheetRow(window.north);
  const int lastColumn = sheetColumn(window.east);
  for (int row = sheetRow(window.south); row <= lastRow; ++row) {
    for (int column = sheetColumn(window.west); column <= lastColumn; ++column) {
      if (std::ssize(cells) < kMaxMapNames) {
        cells.push_back({row, column});
      }
    }
  }
  return cells;
}

QStringList chooseSheets(const CoastlineWindow& window) {
  if (isOverview(window)) {
    return {QString::fromLatin1(kOverviewSheetName)};
  }
  QStringList names;
  for (const SheetCell& cell : sheetCells(window)) {
    names.append(sheetName(cell.row, cell.column));
  }
  return names;
}

// Moves the centre from the Bessel ellipsoid through a three-parameter shift
// of the geocentric frame to the GRS 80 / WGS 84 ellipsoid, at zero height.
// The shift is the same for every point of the small race area. Longitudes
// come from atan2, so that races west of Greenwich or across the date line
// get a small shift too.
DatumShiftResult DatumShift(double centreLat, double centreLon) {
  constexpr double a = 6377397.155;
  constexpr double f = 0.0033427731799399794;
  constexpr double e2 = 2 * f - f * f;
  constexpr double f2 = 0.003352810681182319;
  constexpr double e2Wgs = 2 * f2 - f2 * f2;
  constexpr double dx = -148;
  constexpr double dy = 508;
  constexpr double dz = 680;

  const double phiDeg = centreLat / 60;
  const double lambdaDeg = centreLon / 60;
  const double phi = phiDeg * kDegToRad;
  const double lambda = lambdaDeg * kDegToRad;
  const double sinPhi = std::sin(phi);
  const double n = a / std::sqrt(1 - e2 * sinPhi * sinPhi);
  const double x = n * std::cos(phi) * std::cos(lambda) + dx;
  const double y = n * std::cos(phi) * std::sin(lambda) + dy;
  const double z = n * (1 - e2) * sinPhi + dz;

  const double lambdaShifted = std::atan2(y, x) / kDegToRad;
  const double phiShifted = std::atan2(z / (1 - e2Wgs), std::hypot(x, y)) / kDegToRad;
  double dLambda = std::remainder(lambdaShifted - lambdaDeg, 360.0);
  if (!std::isfinite(dLambda)) {
    dLambda = 0;
  }
  double dPhi = phiShifted - phiDeg;
  if (!std::isfinite(dPhi)) {
    dPhi = 0;
  }

  DatumShiftResult result;
  result.lat = dPhi * 60;
  result.lon = dLambda * 60;
  result.shiftedCentreLat = centreLat + result.lat;
  result.shiftedCentreLon = centreLon + result.lon;
  return result;
}

// A grid sheet is cut into blocks of 5' x 7.5'. An "M" line opens a block
// ("M?ppqqrs": sheet row pp, column qq - 100, block row r, block column s);
// an "L" line opens a polyline whose point count stands in columns 50-55; the
// lines after it hold up to seven points of ten columns each, x then y in
// ten-thousandths of the block. Blocks outside the window are passed over
// unconverted, which keeps a large sheet cheap when the race is small.
CoastlineSheetResult parseCoastlineSheet(QByteArrayView bytes, const QString& fileName,
                                         const CoastlineWindow& window, const DatumShiftResult& shift) {
  CoastlineSheetResult result;
  auto& polylines = result.coastline.polylines;
  bool blockUsed = false;
  double originLat = 0;
  double originLon = 0;
  qint64 pointNo = 0;  // within the current polyline, counted per slot
  qint64 pointsDeclared = 0;

  forEachLine(bytes, [&](QByteArrayView line, qint64 index) {
    if (isBlank(line)) {
      return true;
    }
    if (line[0] == 'M') {
      pointNo = 0;
      const QByteArrayView code = columns(line, 3, 8);
      const auto sheetLat = intFrom(columns(line, 3, 4));
      const auto sheetLon = intFrom(columns(line, 5, 6));
      const auto blockLat = intFrom(columns(line, 7, 7));
      const auto blockLon = intFrom(columns(line, 8, 8));
      if (!sheetLat || !sheetLon || !blockLat || !blockLon) {
        result.error = conversionError(fileName, index, code, line, "not a block code");
        return false;
      }
      originLat = *sheetLat * kSheetLatMinutes + *blockLat * kBlockLatMinutes;
      originLon = *sheetLon * kSheetLonMinutes + 6000 + *blockLon * kBlockLonMinutes;
      blockUsed = window.covers(originLat, originLon);
      return true;
    }
    if (line[0] == 'L') {
      pointNo = 0;
      pointsDeclared = intFrom(columns(line, 50, 55)).value_or(1);
      return true;
    }
    if (!blockUsed) {
      return true;
    }
    for (int slot = 0; slot < kPointsPerLine; ++slot) {
      ++pointNo;
      if (pointNo > pointsDeclared) {
        continue;
      }
      const QByteArrayView xText = columns(line, slot * 10 + 1, slot * 10 + 5);
      const QByteArrayView yText = columns(line, slot * 10 + 6, slot * 10 + 10);
      const auto x = realFrom(xText);
      if (!x) {
        result.error = conversionError(fileName, index, xText, line, "not a number");
        return false;
      }
      const auto y = realFrom(yText);
      if (!y) {
        result.error = conversionError(fileName, index, yText, line, "not a number");
        return false;
      }
      const GeoPoint p{originLat + *y * kBlockLatMinutes / kBlockUnits + shift.lat,
                       originLon + *x * kBlockLonMinutes / kBlockUnits + shift.lon};
      if (pointNo == 1 || polylines.empty()) {
        polylines.emplace_back();
      }
      polylines.back().push_back(p);
    }
    return true;
  });
  return result;
}

// "lat,lon" continues the current polyline, "R,lat,lon" starts a new one.
// The text after the first comma is read up to 100 characters.
CoastlineSheetResult parseOverviewSheet(QByteArrayView bytes, const QString& fileName) {
  CoastlineSheetResult result;
  auto& polylines = result.coastline.polylines;
  forEachLine(bytes, [&](QByteArrayView line, qint64 index) {
    if (isBlank(line)) {
      return true;
    }
    const qsizetype comma = line.indexOf(',');
    const QByteArrayView first = comma >= 0 ? line.first(comma) : QByteArrayView();
    QByteArrayView rest = comma >= 0 ? line.sliced(comma + 1) : line;
    rest = rest.first(std::min<qsizetype>(rest.size(), 100));
    const qsizetype comma2 = rest.indexOf(',');
    const QByteArrayView second = comma2 >= 0 ? rest.first(comma2) : rest;
    const QByteArrayView third = comma2 >= 0 ? rest.sliced(comma2 + 1) : QByteArrayView();

    const bool penUp = first.trimmed() == "R";
    const QByteArrayView latText = penUp ? second : first;
    const QByteArrayView lonText = penUp ? third : second;
    const auto lat = realFrom(latText);
    if (!lat) {
      result.error = conversionError(fileName, index, latText, line, "not a number");
      return false;
    }
    const auto lon = realFrom(lonText);
    if (!lon) {
      result.error = conversionError(fileName, index, lonText, line, "not a number");
      return false;
    }
    if (penUp || polylines.empty()) {
      polylines.emplace_back();
    }
    polylines.back().push_back(GeoPoint{*lat, *lon});
    return true;
  });
  return result;
}

// Points are dropped by the same test that chooses blocks, so that a block's
// points survive exactly when the block is read.
Coastline filterCoastline(const Coastline& coastline, const CoastlineWindow& window) {
  if (coastline.pointCount() < kMinPointsFiltered) {
    return coastline;
  }
  Coastline kept;
  for (const auto& polyline : coastline.polylines) {
    std::vector<GeoPoint> run;
    for (const GeoPoint& p : polyline) {
      if (window.covers(p.lat, p.lon)) {
        run.push_back(p);
      } else if (!run.empty()) {
        kept.polylines.push_back(std::move(run));
        run.clear();
      }
    }
    if (!run.empty()) {
      kept.polylines.push_back(std::move(run));
    }
  }
  return kept;
}

CoastlineFileSource coastlineFolderFiles(const RaceFolders& folders) {
  return [folders](const QString& fileName) { return readFolderFile(folders, fileName); };
}

// Lights of every chosen sheet are read even when its coastline file is
// missing; a sheet pair is data, either half may be absent.
CoastlineResult ReadCoastline(const CoastlineExtent& extent, const CoastlineFileSource& files) {
  CoastlineResult result;
  const CoastlineWindow window = coastlineWindow(extent);
  result.MapName = chooseSheets(window);

  auto readLights = [&](const QString& fileName, const CoastlineFile& file) {
    if (file.error) {
      result.error = file.error;
      return false;
    }
    if (file.bytes) {
      LightsReadResult lights = parseLights(*file.bytes, fileName);
      if (lights.error) {
        result.error = lights.error;
        return false;
      }
      result.lights.insert(result.lights.end(), lights.lights.begin(), lights.lights.end());
    }
    return true;
  };

  if (isOverview(window)) {
    const QString cstName = QString::fromLatin1(kOverviewCoastlineFile);
    const CoastlineFile file = files(cstName);
    if (file.error) {
      result.error = file.error;
      return result;
    }
    if (file.bytes) {
      CoastlineSheetResult sheet = parseOverviewSheet(*file.bytes, cstName);
      if (sheet.error) {
        result.error = sheet.error;
        return result;
      }
      result.coastline = std::move(sheet.coastline);
    }
    const QString lhName = QString::fromLatin1(kOverviewLightsFile);
    readLights(lhName, files(lhName));
    return result;
  }

  // The classic file of a sheet, or its world file when there is none.
  struct SheetFile {
    QString name;
    CoastlineFile file;
    bool world = false;
  };
  auto sheetFile = [&](const SheetCell& cell, const QString& extension) {
    SheetFile f{sheetName(cell.row, cell.column) + extension, {}, false};
    f.file = files(f.name);
    if (!f.file.bytes && !f.file.error) {
      f = {worldSheetName(cell.row, cell.column) + extension, {}, true};
      f.file = files(f.name);
    }
    return f;
  };

  const std::vector<SheetCell> cells = sheetCells(window);
  result.datumShift = DatumShift(window.centreLat, window.centreLon);
  for (const SheetCell& cell : cells) {
    const SheetFile cst = sheetFile(cell, QStringLiteral(".cst"));
    if (cst.file.error) {
      result.error = cst.file.error;
      return result;
    }
    if (!cst.file.bytes) {
      continue;
    }
    CoastlineSheetResult sheet =
        cst.world ? parseOverviewSheet(*cst.file.bytes, cst.name)
                  : parseCoastlineSheet(*cst.file.bytes, cst.name, window, result.datumShift);
    if (sheet.error) {
      result.error = sheet.error;
      return result;
    }
    append(result.coastline, std::move(sheet.coastline));
  }
  result.coastline = filterCoastline(result.coastline, window);
  for (const SheetCell& cell : cells) {
    const SheetFile lights = sheetFile(cell, QStringLiteral(".lh"));
    if (!readLights(lights.name, lights.file)) {
      return result;
    }
  }
  return result;
}

CoastlineResult ReadCoastline(const RaceFolders& folders, const CoastlineExtent& extent) {
  return ReadCoastline(extent, coastlineFolderFiles(folders));
}

}  // namespace velaro
