#include "core/newrace/coastlinesheets.h"

#include "core/readers/coastlinereader.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace velaro {

namespace {

constexpr double kPoleMinutes = 90 * 60;
// Beyond this many sheets a side the bounds are no race.
constexpr double kMaxSheetsPerSide = 10000;
// Positions are written to a thousandth of a minute, under two metres.
constexpr double kPlaces = 1000;

struct Box {
  double south, north, west, east;
};

using Run = std::vector<GeoPoint>;

// The part of segment p-q inside the box (Liang-Barsky), or nothing.
std::optional<std::pair<GeoPoint, GeoPoint>> clipSegment(GeoPoint p, GeoPoint q, const Box& box) {
  double t0 = 0;
  double t1 = 1;
  const double dLat = q.lat - p.lat;
  const double dLon = q.lon - p.lon;
  const struct {
    double d, lo, hi, v;
  } axes[] = {{dLat, box.south, box.north, p.lat}, {dLon, box.west, box.east, p.lon}};
  for (const auto& a : axes) {
    if (a.d == 0) {
      if (a.v < a.lo || a.v > a.hi) {
        return std::nullopt;
      }
      continue;
    }
    double ta = (a.lo - a.v) / a.d;
    double tb = (a.hi - a.v) / a.d;
    if (ta > tb) {
      std::swap(ta, tb);
    }
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    if (t0 > t1) {
      return std::nullopt;
    }
  }
  return std::pair{GeoPoint{p.lat + t0 * dLat, p.lon + t0 * dLon},
                   GeoPoint{p.lat + t1 * dLat, p.lon + t1 * dLon}};
}

// The runs of a polyline inside the box; a line leaving and coming back makes
// two runs.
void clipPolyline(const Run& points, const Box& box, std::vector<Run>& runs) {
  Run run;
  auto close = [&] {
    if (run.size() > 1) {
      runs.push_back(std::move(run));
    }
    run.clear();
  };
  for (size_t i = 1; i < points.size(); ++i) {
    const auto segment = clipSegment(points[i - 1], points[i], box);
    if (!segment) {
      close();
      continue;
    }
    if (!run.empty() && !(run.back() == segment->first)) {
      close();
    }
    if (run.empty()) {
      run.push_back(segment->first);
    }
    run.push_back(segment->second);
  }
  close();
}

double rounded(double minutes) {
  const double r = std::round(minutes * kPlaces) / kPlaces;
  return r == 0 ? 0.0 : r;  // no "-0.000"
}

QByteArray pointText(const GeoPoint& p) {
  return QByteArray::number(p.lat, 'f', 3) + ',' + QByteArray::number(p.lon, 'f', 3) + "\r\n";
}

// The world sheet text of runs: rounded as written, repeated points dropped,
// sorted so that the text does not depend on the order the source gave them.
QByteArray sheetText(std::vector<Run> runs) {
  std::vector<Run> kept;
  for (Run& run : runs) {
    Run r;
    for (const GeoPoint& p : run) {
      const GeoPoint q{rounded(p.lat), rounded(p.lon)};
      if (r.empty() || !(r.back() == q)) {
        r.push_back(q);
      }
    }
    if (r.size() > 1) {
      kept.push_back(std::move(r));
    }
  }
  std::sort(kept.begin(), kept.end(), [](const Run& a, const Run& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](const GeoPoint& p, const GeoPoint& q) {
                                          return std::pair(p.lat, p.lon) < std::pair(q.lat, q.lon);
                                        });
  });
  QByteArray text;
  for (const Run& run : kept) {
    text += "R," + pointText(run.front());
    for (size_t i = 1; i < run.size(); ++i) {
      text += pointText(run[i]);
    }
  }
  return text;
}

}  // namespace

// The load reads sheets for the window of the extent of the fixes on the
// replay time axis, which lies inside the track extent: such a window is
// centred inside the track extent and spans no more than the track's own
// window, nor more than 50' (wider ones use the overview sheet). Growing the
// track extent by that span covers them all.
ShoreArea shoreAreaFor(double minLat, double maxLat, double minLon, double maxLon) {
  for (const double v : {minLat, maxLat, minLon, maxLon}) {
    if (!std::isfinite(v)) {
      return {};
    }
  }
  if (minLat > maxLat) {
    std::swap(minLat, maxLat);
  }
  if (minLon > maxLon) {
    std::swap(minLon, maxLon);
  }
  const CoastlineExtent extent{maxLat, minLat, maxLon, minLon, (maxLat + minLat) / 2, (maxLon + minLon) / 2};
  const double reach = std::min(coastlineWindow(extent).span, kMaxSheetSpan);
  const double south = std::max(minLat - reach / 2, -kPoleMinutes);
  const double north = std::min(maxLat + reach / 2, kPoleMinutes);
  const double west = minLon - reach / 1.6;
  const double east = maxLon + reach / 1.6;
  if (north < south || std::fabs(west) / kSheetLonMinutes > kMaxSheetsPerSide ||
      std::fabs(east) / kSheetLonMinutes > kMaxSheetsPerSide) {
    return {};
  }
  ShoreArea area;
  area.south = std::max(sheetRow(south) * kSheetLatMinutes - kShoreMargin, -kPoleMinutes);
  area.north = std::min((sheetRow(north) + 1) * kSheetLatMinutes + kShoreMargin, kPoleMinutes);
  area.west = sheetColumn(west) * kSheetLonMinutes - kShoreMargin;
  area.east = (sheetColumn(east) + 1) * kSheetLonMinutes + kShoreMargin;
  return area;
}

std::map<QString, QByteArray> coastlineFilesFor(const ShoreArea& area,
                                                const std::vector<std::vector<GeoPoint>>& shore) {
  std::map<QString, QByteArray> files;
  for (const double v : {area.south, area.north, area.west, area.east}) {
    if (!(std::fabs(v) / kSheetLonMinutes < kMaxSheetsPerSide)) {
      return files;
    }
  }
  // Only sheets wholly inside the area: the shore of any other is incomplete.
  const int firstRow = static_cast<int>(std::ceil(area.south / kSheetLatMinutes));
  const int lastRow = static_cast<int>(std::floor(area.north / kSheetLatMinutes)) - 1;
  const int firstColumn = static_cast<int>(std::ceil(area.west / kSheetLonMinutes));
  const int lastColumn = static_cast<int>(std::floor(area.east / kSheetLonMinutes)) - 1;

  std::map<std::pair<int, int>, std::vector<Run>> runsBySheet;
  for (const Run& polyline : shore) {
    if (polyline.size() < 2) {
      continue;
    }
    Box bounds{polyline[0].lat, polyline[0].lat, polyline[0].lon, polyline[0].lon};
    for (const GeoPoint& p : polyline) {
      bounds = {std::min(bounds.south, p.lat), std::max(bounds.north, p.lat), std::min(bounds.west, p.lon),
                std::max(bounds.east, p.lon)};
    }
    if (!std::isfinite(bounds.south + bounds.north + bounds.west + bounds.east)) {
      continue;
    }
    const int row0 = std::max(
        firstRow, static_cast<int>(std::floor(std::max(bounds.south, area.south) / kSheetLatMinutes)));
    const int row1 = std::min(
        lastRow, static_cast<int>(std::floor(std::min(bounds.north, area.north) / kSheetLatMinutes)));
    const int column0 = std::max(
        firstColumn, static_cast<int>(std::floor(std::max(bounds.west, area.west) / kSheetLonMinutes)));
    const int column1 = std::min(
        lastColumn, static_cast<int>(std::floor(std::min(bounds.east, area.east) / kSheetLonMinutes)));
    for (int row = row0; row <= row1; ++row) {
      for (int column = column0; column <= column1; ++column) {
        const Box sheet{row * kSheetLatMinutes, (row + 1) * kSheetLatMinutes, column * kSheetLonMinutes,
                        (column + 1) * kSheetLonMinutes};
        clipPolyline(polyline, sheet, runsBySheet[{row, column}]);
      }
    }
  }
  for (auto& [cell, runs] : runsBySheet) {
    QByteArray text = sheetText(std::move(runs));
    if (!text.isEmpty()) {
      files.emplace(
          QStringLiteral("coastline/") + worldSheetName(cell.first, cell.second) + QStringLiteral(".cst"),
          std::move(text));
    }
  }
  return files;
}

}  // namespace velaro
