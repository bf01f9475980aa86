#include "core/newrace/coastlinesheets.h"
#include "core/newrace/gmtshoreline.h"
#include "core/readers/coastlinereader.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace velaro {
namespace {

const struct {
  const char* name;
  double minLat, maxLat, minLon, maxLon;
} kPlaces[] = {
    {"Valencia", 2365, 2369, -20, -14},
    {"Sydney", -2034, -2028, 9068, 9076},
    {"at a sheet corner", 2159, 2161, 8399, 8401},
    {"delivery and race", 2100, 2190, 8300, 8340},  // 108': the overview, but its race reads sheets
};

CoastlineExtent extentOf(double s, double n, double w, double e) {
  return {n, s, e, w, (n + s) / 2, (e + w) / 2};
}

CoastlineFileSource folderOf(const std::map<QString, QByteArray>& files) {
  return [&files](const QString& name) {
    const auto it = files.find(QStringLiteral("coastline/") + name);
    return it == files.end() ? CoastlineFile{} : CoastlineFile{it->second, std::nullopt};
  };
}

TEST(ShoreArea, HoldsEverySheetTheLoadMayReadWhole) {
  for (const auto& p : kPlaces) {
    const ShoreArea a = shoreAreaFor(p.minLat, p.maxLat, p.minLon, p.maxLon);
    // The whole extent and a third of it at each corner, as a shorter time axis gives.
    const double dLat = (p.maxLat - p.minLat) / 3 * 2, dLon = (p.maxLon - p.minLon) / 3 * 2;
    for (int part = 0; part < 5; ++part) {
      const double s = p.minLat + (part & 1 ? dLat : 0), w = p.minLon + (part & 2 ? dLon : 0);
      const CoastlineExtent e = part == 4 ? extentOf(p.minLat, p.maxLat, p.minLon, p.maxLon)
                                          : extentOf(s, s + dLat / 2, w, w + dLon / 2);
      for (const SheetCell& c : sheetCells(coastlineWindow(e))) {
        EXPECT_TRUE(a.south <= c.row * kSheetLatMinutes && a.north >= (c.row + 1) * kSheetLatMinutes &&
                    a.west <= c.column * kSheetLonMinutes && a.east >= (c.column + 1) * kSheetLonMinutes)
            << p.name << " part " << part;
      }
    }
  }
  EXPECT_TRUE(coastlineFilesFor(shoreAreaFor(std::nan(""), 1, 2, 3), {{{0, 0}, {1, 1}}}).empty());
}

TEST(CoastlineFiles, RoundTripThroughTheReaderAndTheSameSheetFromAWiderArea) {
  for (const auto& p : kPlaces) {
    const double lat = (p.minLat + p.maxLat) / 2 + 0.0123, lon = (p.minLon + p.maxLon) / 2;
    std::vector<std::vector<GeoPoint>> shore(1);  // a zig-zag across the place, and a lake
    for (int i = -60; i <= 60; ++i) {
      shore[0].push_back({lat + i * 0.77, lon + (i % 2 ? 0.4 : -0.4) + i * 0.013});
    }
    shore.push_back({{lat + 1, lon + 1}, {lat + 1.4, lon + 1}, {lat + 1.4, lon + 1.6}, {lat + 1, lon + 1}});
    const ShoreArea area = shoreAreaFor(p.minLat, p.maxLat, p.minLon, p.maxLon);
    const auto files = coastlineFilesFor(area, shore);
    const CoastlineExtent race = extentOf(lat - 1, lat + 1, lon - 1, lon + 1);
    const CoastlineResult r = ReadCoastline(race, folderOf(files));
    ASSERT_FALSE(r.error) << r.error->toString().toStdString();
    std::set<std::pair<long, long>> read;
    for (const auto& line : r.coastline.polylines) {
      for (const GeoPoint& q : line) {
        read.insert({std::lround(q.lat * 1000), std::lround(q.lon * 1000)});
      }
    }
    int inside = 0;
    for (const auto& line : shore) {
      for (const GeoPoint& v : line) {
        if (coastlineWindow(race).covers(v.lat, v.lon)) {
          ++inside;
          EXPECT_TRUE(read.count({std::lround(v.lat * 1000), std::lround(v.lon * 1000)})) << p.name;
        }
      }
    }
    EXPECT_GT(inside, 3) << p.name;
    const auto again =
        coastlineFilesFor({area.south - 80, area.north, area.west - 120, area.east + 60}, shore);
    for (const auto& [name, bytes] : files) {
      EXPECT_EQ(again.count(name) ? again.at(name) : QByteArray(), bytes) << p.name << name.toStdString();
    }
  }
}

TEST(GmtShoreline, ParsesSegmentsAndBringsLongitudesNearTheArea) {
  const auto lines = parseGmtShoreline(
      "# c\n> Bin 1\n> Bin 1\n-0.5\t39.25\n-0.25\t39.5\n> Bin 2\n1 2\n> Bin 3\n-179.5\t-16\n179.5\t-16.5\r\n",
      179.9);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0][0], (GeoPoint{39.25 * 60, 359.5 * 60}));
  EXPECT_EQ(lines[1][0], (GeoPoint{-16 * 60, 180.5 * 60}));
  EXPECT_EQ(lines[1][1], (GeoPoint{-16.5 * 60, 179.5 * 60}));
}

TEST(GmtShoreline, ReadsTheInstalledShorelinesIntoTheSheetOfThePlace) {
  if (QStandardPaths::findExecutable(QStringLiteral("gmt")).isEmpty()) {
    GTEST_SKIP() << "gmt is not installed";
  }
  const CoastlineExtent valencia = extentOf(39.40 * 60, 39.48 * 60, -0.36 * 60, -0.30 * 60);
  const ShoreArea a = shoreAreaFor(valencia.MinLat, valencia.MaxLat, valencia.MinLon, valencia.MaxLon);
  const auto shore = gmtShoreline(a.south, a.north, a.west, a.east);
  ASSERT_FALSE(shore.empty());
  const auto files = coastlineFilesFor(a, shore);
  EXPECT_TRUE(files.count(QStringLiteral("coastline/w59_-1.cst")));
  EXPECT_GT(ReadCoastline(valencia, folderOf(files)).coastline.pointCount(), 10);
}

}  // namespace
}  // namespace velaro
