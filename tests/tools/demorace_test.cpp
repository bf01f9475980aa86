// The demo races in data/demo: each reads with every boat and every log, the
// first one is named in racefile.st, and the boats sail at sea, clear of the
// coastline of their sheets.
#include "core/racefolders.h"
#include "core/readers/coastlinereader.h"
#include "core/readers/racefilereader.h"
#include "core/readers/trackreader.h"
#include "core/readers/windreader.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

const QString kDemo = QStringLiteral(VELARO_SOURCE_DIR "/data/demo");

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList demoRaces() {
  return QDir(kDemo + QStringLiteral("/raceadmin"))
      .entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
}

double metresBetween(const GeoPoint& a, const GeoPoint& b) {
  const double north = (a.lat - b.lat) * 1852;
  const double east = (a.lon - b.lon) * 1852 * std::cos(a.lat / 60 * M_PI / 180);
  return std::hypot(north, east);
}

TEST(DemoRaces, ThreeRacesAndTheFirstIsNamed) {
  const QStringList races = demoRaces();
  ASSERT_EQ(races.size(), 3);
  const QString first =
      QString::fromUtf8(fileBytes(kDemo + QStringLiteral("/raceadmin/racefile.st"))).trimmed();
  EXPECT_EQ(first, QStringLiteral("enoshima-spring.txt"));
  EXPECT_TRUE(races.contains(first));
  EXPECT_TRUE(QFile::exists(kDemo + QStringLiteral("/help/index.html")));
  EXPECT_TRUE(QFile::exists(kDemo + QStringLiteral("/help-e/index.html")));
}

TEST(DemoRaces, EveryBoatAndLogReads) {
  const RaceFolders folders(kDemo);
  int boats = 0;
  bool japanese = false;
  bool northUp = false;
  for (const QString& name : demoRaces()) {
    SCOPED_TRACE(name.toStdString());
    const QString path = kDemo + QStringLiteral("/raceadmin/") + name;
    const RaceFileResult read = ReadRaceFile(path, folders);
    ASSERT_FALSE(read.error.has_value()) << read.error->toString().toStdString();
    const Race& race = read.race;
    const int listed = static_cast<int>(fileBytes(path).count("\r\nBN,"));
    EXPECT_EQ(race.BoatCount(), listed);
    EXPECT_EQ(race.AttachmentCount(), 1);
    boats += race.BoatCount();
    northUp = northUp || race.NorthUp > 0;
    for (const Boat& boat : race.boats) {
      SCOPED_TRACE(boat.BoatFile.toStdString());
      japanese = japanese || boat.BoatName.front().unicode() > 0x3000;
      TrackReadOptions options;
      options.fileName = boat.BoatFile;
      options.raceDate = race.RaceDate;
      const TrackReadResult log =
          readTrackBytes(fileBytes(kDemo + QStringLiteral("/gpsdat/") + boat.BoatFile),
                         trackFormatFor(boat.BoatFile), options);
      ASSERT_FALSE(log.error.has_value());
      const TrackWindow window = trackWindowFor(race, boat);
      int kept = 0;
      for (const RawFix& f : log.fixes) {
        kept += StoreFix(f, window).has_value() ? 1 : 0;
      }
      EXPECT_GE(kept, kMinFixesPerBoat);
    }
    const WindReadResult wind = ReadWindFile(folders, race.WindFileName, race.RaceStart);
    EXPECT_TRUE(wind.fileFound);
    EXPECT_FALSE(wind.error.has_value());
    EXPECT_GT(wind.samples.size(), 20u);
  }
  EXPECT_EQ(boats, 12 + 20 + 6);
  EXPECT_TRUE(japanese);
  EXPECT_TRUE(northUp);
}

// The course and every logged fix lie clear of the shore the race shows.
TEST(DemoRaces, RacesSailAtSea) {
  const RaceFolders folders(kDemo);
  for (const QString& name : demoRaces()) {
    SCOPED_TRACE(name.toStdString());
    const Race race = ReadRaceFile(kDemo + QStringLiteral("/raceadmin/") + name, folders).race;
    std::vector<GeoPoint> fixes;
    CoastlineExtent extent{-1e9, 1e9, -1e9, 1e9, 0, 0};
    for (const Boat& boat : race.boats) {
      TrackReadOptions options;
      options.raceDate = race.RaceDate;
      const TrackReadResult log =
          readTrackBytes(fileBytes(kDemo + QStringLiteral("/gpsdat/") + boat.BoatFile),
                         trackFormatFor(boat.BoatFile), options);
      for (const RawFix& f : log.fixes) {
        if (StoreFix(f, trackWindowFor(race, boat))) {
          fixes.push_back({f.lat, f.lon});
        }
      }
    }
    for (const GeoPoint& m : race.marks) {
      extent.MaxLat = std::max(extent.MaxLat, m.lat);
      extent.MinLat = std::min(extent.MinLat, m.lat);
      extent.MaxLon = std::max(extent.MaxLon, m.lon);
      extent.MinLon = std::min(extent.MinLon, m.lon);
    }
    extent.CentreLat = (extent.MaxLat + extent.MinLat) / 2;
    extent.CentreLon = (extent.MaxLon + extent.MinLon) / 2;
    const CoastlineResult coast = ReadCoastline(folders, extent);
    ASSERT_FALSE(coast.error.has_value());
    ASSERT_GT(coast.coastline.pointCount(), 10);
    EXPECT_FALSE(coast.lights.empty());
    double nearestMark = 1e9;
    double nearestFix = 1e9;
    for (const auto& line : coast.coastline.polylines) {
      for (const GeoPoint& p : line) {
        for (const GeoPoint& m : race.marks) {
          nearestMark = std::min(nearestMark, metresBetween(m, p));
        }
        for (const GeoPoint& f : fixes) {
          nearestFix = std::min(nearestFix, metresBetween(f, p));
        }
      }
    }
    EXPECT_GT(nearestMark, 800);
    EXPECT_GT(nearestFix, 200);
  }
}

// The sheets hold the shore where it is: read back with the datum shift, the
// outline of Enoshima lies round its lighthouse (35°17.98'N 139°28.82'E, on
// the island's top).
TEST(DemoCoastline, SheetsPutTheShoreInItsPlace) {
  const RaceFolders folders(kDemo);
  struct Place {
    GeoPoint point;
    double withinMetres;
  };
  const Place enoshima{{35.2997 * 60, 139.4804 * 60}, 350};
  CoastlineExtent extent{enoshima.point.lat + 0.5, enoshima.point.lat - 0.5, enoshima.point.lon + 0.5,
                         enoshima.point.lon - 0.5, enoshima.point.lat,       enoshima.point.lon};
  const CoastlineResult coast = ReadCoastline(folders, extent);
  ASSERT_FALSE(coast.error.has_value());
  double nearest = 1e9;
  int around = 0;
  GeoPoint sum;
  for (const auto& line : coast.coastline.polylines) {
    for (const GeoPoint& p : line) {
      const double d = metresBetween(enoshima.point, p);
      nearest = std::min(nearest, d);
      if (d < 600) {
        ++around;
        sum.lat += p.lat;
        sum.lon += p.lon;
      }
    }
  }
  EXPECT_LT(nearest, enoshima.withinMetres);
  ASSERT_GT(around, 8);  // the island's outline, not a stray point
  // The outline's middle is the island's middle: a datum shift the wrong way
  // would move it some 700 m.
  EXPECT_LT(metresBetween(enoshima.point, {sum.lat / around, sum.lon / around}), 200);
}

}  // namespace
}  // namespace velaro
