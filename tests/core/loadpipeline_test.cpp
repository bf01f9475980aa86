#include "core/loadpipeline.h"
#include "support/gpxmaker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

class LoadPipelineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    for (const char* sub : {"raceadmin", "gpsdat", "winddat"}) {
      ASSERT_TRUE(QDir(m_dir.path()).mkpath(QString::fromLatin1(sub)));
    }
    // TD 9: the logs' UTC times are nine hours behind the race file's.
    const QDateTime first(QDate(2009, 7, 19), QTime(0, 58), Qt::UTC);
    write(QStringLiteral("gpsdat/a.gpx"), testing::makeGpx(first, 300, 5));
    write(QStringLiteral("gpsdat/b.gpx"), testing::makeGpx(first, 300, 5, 35.291));
    write(QStringLiteral("gpsdat/short.gpx"), testing::makeGpx(first, 49, 5));
    write(QStringLiteral("winddat/w.txt"), "");
  }
  void write(const QString& rel, const QByteArray& bytes) {
    QFile f(QDir(m_dir.path()).filePath(rel));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  LoadResult load(const QByteArray& raceFile, LoadCallbacks callbacks = {}) {
    write(QStringLiteral("raceadmin/r.txt"), raceFile);
    return LoadRacePipeline(QDir(m_dir.path()).filePath(QStringLiteral("raceadmin/r.txt")),
                            RaceFolders(m_dir.path()), LoadOptions{}, callbacks);
  }

  QTemporaryDir m_dir;
  const QByteArray m_header = "ST,2009/07/19 10:00:00\nFT,2009/07/19 10:20:00\nTD,9\nWD,180\n";
};

TEST_F(LoadPipelineTest, LoadsAnalysesAndDropsShortTracks) {
  std::vector<int> progress;
  LoadCallbacks callbacks;
  callbacks.progress = [&progress](int k, int, const QString&) { progress.push_back(k); };
  const LoadResult r = load(m_header +
                                "BN,a.gpx,A\nBN,short.gpx,S\nBN,b.gpx,B\n"
                                "LN,2117.4,8368.7,2117.4,8368.9\nMK,2118.4,8368.8\nCRS,L1,MK1\n",
                            callbacks);
  ASSERT_TRUE(r.loaded);
  const LoadedRace& race = *r.loaded;
  ASSERT_EQ(race.race.BoatCount(), 2);
  EXPECT_EQ(race.race.DroppedBoats, 1);
  EXPECT_EQ(race.race.boats[1].BoatName, QStringLiteral("B"));
  EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(race.colours.BoatColour.size(), 3u);
  EXPECT_NEAR(race.geometry.CentreLat, 35.29 * 60 + 0.5, 1.0);
  EXPECT_GT(race.race.boats[0].fixes[10].speed, 4.0);
  EXPECT_LT(race.race.boats[0].fixes[10].speed, 6.0);
  EXPECT_EQ(race.results.itemCount, 2);
  EXPECT_FALSE(race.windGraphOn);
}

TEST_F(LoadPipelineTest, EveryLogTooShortMeansNoBoats) {
  const LoadResult r = load(m_header + "BN,short.gpx,S\nBN,none.gpx,N\n");
  EXPECT_FALSE(r.loaded);
  EXPECT_EQ(r.failure, LoadFailure::NoBoats);
  const LoadResult none = load(m_header);
  EXPECT_EQ(none.failure, LoadFailure::NoBoats);
}

TEST_F(LoadPipelineTest, AReaderErrorAbandonsTheLoad) {
  write(QStringLiteral("gpsdat/bad.gpx"),
        "<gpx><trk><trkseg><trkpt lat=\"35.x\" lon=\"139.5\"><time>2009-07-19T01:00:00Z</time></trkpt>"
        "</trkseg></trk></gpx>");
  const LoadResult r = load(m_header + "BN,a.gpx,A\nBN,bad.gpx,Bad\n");
  EXPECT_FALSE(r.loaded);
  EXPECT_EQ(r.failure, LoadFailure::ReadError);
  ASSERT_TRUE(r.error);
  EXPECT_EQ(r.error->file, QStringLiteral("bad.gpx"));
}

TEST_F(LoadPipelineTest, WindLogTurnsTheWindGraphOn) {
  write(QStringLiteral("winddat/w.txt"), "");
  const LoadResult without = load(m_header + "BN,a.gpx,A\nWF,missing.txt\n");
  ASSERT_TRUE(without.loaded);
  EXPECT_FALSE(without.loaded->windGraphOn);
  EXPECT_TRUE(without.loaded->race.WindFileName.isEmpty());
}

// A demo race whose boats tack and gybe: empty lists mean the search was
// skipped, and nothing else may depend on it.
TEST(LoadPipelineOptions, SkippingManoeuvresLeavesThemEmptyAndTheResultsAlone) {
  const QString raceFile = QStringLiteral(VELARO_SOURCE_DIR "/data/demo/raceadmin/enoshima-autumn.txt");
  const RaceFolders folders(QStringLiteral(VELARO_SOURCE_DIR "/data/demo"));
  LoadOptions skip;
  skip.findManoeuvres = false;
  const LoadResult full = LoadRacePipeline(raceFile, folders, LoadOptions{});
  const LoadResult lean = LoadRacePipeline(raceFile, folders, skip);
  ASSERT_TRUE(full.loaded && lean.loaded);
  EXPECT_FALSE(full.loaded->manoeuvres.empty());
  EXPECT_TRUE(lean.loaded->manoeuvres.empty() && lean.loaded->manoeuvreTally.empty());
  EXPECT_EQ(full.loaded->results.FinishRank, lean.loaded->results.FinishRank);
  EXPECT_EQ(full.loaded->results.PassTime, lean.loaded->results.PassTime);
}

}  // namespace
}  // namespace velaro
