#include "core/newrace/newrace.h"
#include "core/datetime.h"
#include "core/loadpipeline.h"
#include "core/newrace/inputlogs.h"
#include "core/newrace/racefolderwriter.h"
#include "core/readers/racefilereader.h"
#include "core/readers/windreader.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace velaro {
namespace {

const QString kDemoLogs = QStringLiteral(VELARO_SOURCE_DIR "/data/demo/gpsdat/");

// Every file and folder under root with its bytes, to see that nothing moved.
std::map<QString, QByteArray> snapshot(const QString& root) {
  std::map<QString, QByteArray> files;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile f(path);
    files[QDir(root).relativeFilePath(path)] =
        it.fileInfo().isDir() ? QByteArray("<folder>") : (f.open(QIODevice::ReadOnly) ? f.readAll() : "?");
  }
  return files;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

TEST(RaceFolderWriter, WritesEveryFileOrLeavesTheFolderAsItWas) {
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("races"));
  ASSERT_TRUE(writeFile(root + QStringLiteral("/raceadmin/old.txt"), "old race"));
  ASSERT_TRUE(writeFile(root + QStringLiteral("/gpsdat/b.gpx"), "old log"));
  const auto before = snapshot(root);
  using Files = std::vector<std::pair<QString, QByteArray>>;
  const QByteArray big(3 << 20, 'x');
  struct Case {
    const char* what;
    Files files;
    const char* blamed;
  };
  const Case failing[] = {
      {"a file where a folder must go",
       {{"gpsdat/a.gpx", big}, {"raceadmin/new.txt", "race"}, {"raceadmin/old.txt/x", "y"}},
       "raceadmin/old.txt"},
      {"a file that exists already",
       {{"gpsdat/a.gpx", big}, {"winddat/w.csv", "w"}, {"gpsdat/b.gpx", "new"}},
       "gpsdat/b.gpx"},
      {"a name outside the folder", {{"gpsdat/a.gpx", "a"}, {"../escape.txt", "x"}}, "escape.txt"},
  };
  for (const Case& c : failing) {
    const auto error = writeFilesWhole(root, c.files);
    ASSERT_TRUE(error) << c.what;
    EXPECT_TRUE(error->file.endsWith(QLatin1String(c.blamed)))
        << c.what << ": " << error->toString().toStdString();
    EXPECT_EQ(snapshot(root), before) << c.what;
  }
  // A folder this call would create goes again too, with the races folder.
  const QString fresh = tmp.filePath(QStringLiteral("new/races"));
  EXPECT_TRUE(writeFilesWhole(fresh, {{"gpsdat/a.gpx", "a"}, {"gpsdat/a.gpx", "again"}}));
  EXPECT_FALSE(QFileInfo::exists(tmp.filePath(QStringLiteral("new"))));

  ASSERT_FALSE(writeFilesWhole(fresh, {{"gpsdat/a.gpx", big}, {"raceadmin/r.txt", "race"}}));
  EXPECT_EQ(snapshot(fresh).size(), 4u);  // two folders, two files: no staging folder left
}

TEST(NewRace, LocalTimeTexts) {
  struct Case {
    const char* text;
    bool ok;
    const char* date;
    const char* time;
  };
  const Case cases[] = {
      {"10:05", true, "", "10:05:00"},
      {" 9:05:30 ", true, "", "09:05:30"},
      {"2025/05/18 10:00:07", true, "2025-05-18", "10:00:07"},
      {"2025/5/8 10:00", true, "2025-05-08", "10:00:00"},
      {"25:00", false, "", ""},
      {"2025/02/30 10:00", false, "", ""},
      {"10:00 2025/05/18", false, "", ""},
  };
  for (const Case& c : cases) {
    const auto t = parseLocalTimeText(QString::fromLatin1(c.text));
    ASSERT_EQ(t.has_value(), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(t->date ? t->date->toString(Qt::ISODate) : QString(), QLatin1String(c.date)) << c.text;
      EXPECT_EQ(t->time.toString(QStringLiteral("HH:mm:ss")), QLatin1String(c.time)) << c.text;
    }
  }
}

InferredRace fakeRace() {
  InferredRace race;
  race.gunUtc = toDateTime(QDate(2025, 5, 18), QTime(1, 0, 0));
  race.finishUtc = race.gunUtc + 50.0 / 1440;
  race.preStartMinutes = 4;
  race.windDirTrue = 262;
  race.windLog = {{race.gunUtc, 262}, {race.gunUtc + 1.0 / 1440, 3}};
  race.marks = {{2117.5, 8368.2}, {2119.0, 8368.9}};
  race.lines = {{{2117.35, 8368.7}, {2117.35, 8368.9}}};
  race.course = {QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("L1")};
  return race;
}

TEST(NewRace, ComposedFilesReadBackAsTheRace) {
  const InferredRace race = fakeRace();
  RaceFileEntries entries;
  entries.raceName = QStringLiteral("practice");
  entries.windLogName = QStringLiteral("practice.csv");
  entries.utcOffsetHours = 9;
  entries.magVariationDeg = -7.64;
  entries.boats = {{QStringLiteral("a.gpx"), QStringLiteral("Aoi, Jr.\n2"), -3},
                   {QStringLiteral("b.dtr"), {}}};
  auto files = composeRaceFiles(race, entries);
  ASSERT_EQ(files.size(), 2u);
  const QByteArray text = files[QStringLiteral("raceadmin/practice.txt")];
  EXPECT_EQ(text.count('\n'), text.count("\r\n"));
  EXPECT_TRUE(text.contains("T1,Race 2025/05/18 10:00\r\n") && text.contains("PS,10\r\n"))
      << text.constData();

  const RaceFileResult read = parseRaceFile(text, QStringLiteral("practice.txt"), {});
  ASSERT_FALSE(read.error) << read.error->toString().toStdString();
  EXPECT_FALSE(checkRaceForReplay(read, QStringLiteral("practice.txt")));
  const Race& r = read.race;
  EXPECT_EQ(formatDateTime(r.RaceStart), QStringLiteral("2025/05/18 10:00:00"));
  EXPECT_EQ(formatDateTime(r.RaceFinishUtc), QStringLiteral("2025/05/18 01:50:00"));
  EXPECT_EQ(r.TimeDifference, 9);
  EXPECT_EQ(r.PreStartSeconds, 240);
  EXPECT_DOUBLE_EQ(r.MagVariation, -7.6);
  EXPECT_EQ(r.WindDirection, 270);  // 262 true is 269.6 magnetic
  EXPECT_EQ(r.marks, race.marks);
  EXPECT_EQ(r.lines, race.lines);
  EXPECT_EQ(r.Course, race.course);
  EXPECT_TRUE(text.contains("BN,a.gpx,Aoi; Jr. 2,-3\r\n")) << text.constData();
  EXPECT_TRUE(text.contains("BN,b.dtr,,0\r\n"));
  EXPECT_EQ(r.WindFileName, QStringLiteral("practice.csv"));

  const WindReadResult wind = parseWindFile(files[QStringLiteral("winddat/practice.csv")],
                                            QStringLiteral("practice.csv"), r.RaceStart);
  ASSERT_FALSE(wind.error);
  ASSERT_EQ(wind.samples.size(), 2u);
  EXPECT_EQ(wind.samples[0].time, 0);
  EXPECT_EQ(wind.samples[0].dir, 270);
  EXPECT_EQ(wind.samples[1].time, 60);
  EXPECT_EQ(wind.samples[1].dir, 11);  // 3 true, 10.6 magnetic

  // Without a wind log or a course there is no WF or CRS; an hour or more plays at 20X.
  InferredRace plain = race;
  plain.windLog.clear();
  plain.course.clear();
  plain.finishUtc = plain.gunUtc + 1.0 / 24;
  entries.title = QStringLiteral("Spring, day 1");
  files = composeRaceFiles(plain, entries);
  ASSERT_EQ(files.size(), 1u);
  const QByteArray plainText = files.begin()->second;
  EXPECT_FALSE(plainText.contains("WF,") || plainText.contains("CRS,"));
  EXPECT_TRUE(plainText.contains("PS,20\r\n") && plainText.contains("T1,Spring; day 1\r\n"));
}

// The end-to-end cases need the log reader and the inference; until both are
// built they skip.
class NewRaceFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_logs = {kDemoLogs + QStringLiteral("enoshima-spring-jpn2431.dtr"),
              kDemoLogs + QStringLiteral("enoshima-spring-jpn3371.gpx")};
    const InputLogsResult input = readInputLogs(m_logs);
    if (input.logs.empty() || inferRace(input.logs, {}).gunUtc == 0) {
      GTEST_SKIP() << "the race is not inferred from its logs yet";
    }
    m_services.localOffsetHours = [](double) { return 9; };
    m_services.shoreline = [](double, double, double, double) {
      return std::vector<std::vector<GeoPoint>>{};
    };
  }
  QString root() const { return m_dir.filePath(QStringLiteral("races")); }
  QTemporaryDir m_dir;
  QStringList m_logs;
  NewRaceServices m_services;
};

TEST_F(NewRaceFolder, GivenValuesAreWrittenAndTheRaceLoads) {
  NewRaceRequest request;
  request.logPaths = m_logs;
  request.startText = QStringLiteral("10:02");
  request.utcOffsetHours = 8;
  request.windDirTrue = 100;
  const NewRaceResult made = createNewRace(request, root(), m_services);
  ASSERT_FALSE(made.error) << made.error->toString().toStdString();
  QFile f(made.raceFilePath);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const RaceFileResult read = parseRaceFile(f.readAll(), made.raceFileName, {});
  ASSERT_FALSE(read.error);
  EXPECT_EQ(formatTime(read.race.RaceStart), QStringLiteral("10:02:00"));
  EXPECT_EQ(read.race.TimeDifference, 8);
  EXPECT_NEAR(read.race.WindAxis, 100, 1);
  EXPECT_TRUE(made.notes.join(u'\n').contains(QStringLiteral("as given")));
  // The variation names the place it was taken for, hemispheres in letters.
  EXPECT_TRUE(made.estimates.join(u'\n').contains(
      QRegularExpression(QStringLiteral("at 35\\.\\d\\dN 139\\.\\d\\dE"))))
      << made.estimates.join(u'\n').toStdString();

  const LoadResult load = LoadRacePipeline(made.raceFilePath, RaceFolders(root()), LoadOptions{});
  ASSERT_TRUE(load.loaded) << (load.error ? load.error->toString().toStdString() : "no boats");
  EXPECT_EQ(load.loaded->race.BoatCount(), 2);

  // A time that does not parse names its option and the text; nothing is written.
  request.startText = QStringLiteral("ten past");
  const auto before = snapshot(root());
  const NewRaceResult bad = createNewRace(request, root(), m_services);
  ASSERT_TRUE(bad.error);
  EXPECT_TRUE(bad.error->toString().contains(QStringLiteral("--start")) &&
              bad.error->toString().contains(QStringLiteral("ten past")));
  EXPECT_EQ(snapshot(root()), before);
}

TEST_F(NewRaceFolder, ASecondRaceLeavesTheFirstAsItWas) {
  NewRaceRequest request;
  request.logPaths = m_logs;
  request.name = QStringLiteral("first");
  // A file in the way of a folder the race needs: nothing is written.
  ASSERT_TRUE(writeFile(root() + QStringLiteral("/gpsdat"), "in the way"));
  const auto blocked = snapshot(root());
  const NewRaceResult failed = createNewRace(request, root(), m_services);
  ASSERT_TRUE(failed.error);
  EXPECT_TRUE(failed.error->file.endsWith(QLatin1String("gpsdat"))) << failed.error->toString().toStdString();
  EXPECT_EQ(snapshot(root()), blocked);
  ASSERT_TRUE(QFile::remove(root() + QStringLiteral("/gpsdat")));

  ASSERT_FALSE(createNewRace(request, root(), m_services).error);
  const auto first = snapshot(root());
  EXPECT_EQ(first.at(QStringLiteral("raceadmin/racefile.st")), QByteArray("first.txt\r\n"));

  // The same name again is refused; another name adds a race beside it.
  const NewRaceResult again = createNewRace(request, root(), m_services);
  ASSERT_TRUE(again.error);
  EXPECT_TRUE(again.error->file.endsWith(QLatin1String("first.txt")));
  EXPECT_EQ(snapshot(root()), first);

  request.name.clear();
  request.windDirTrue = 200;
  const NewRaceResult second = createNewRace(request, root(), m_services);
  ASSERT_FALSE(second.error) << second.error->toString().toStdString();
  const auto after = snapshot(root());
  for (const auto& [path, bytes] : first) {
    EXPECT_EQ(after.at(path), bytes) << path.toStdString();
  }
  EXPECT_NE(second.raceFileName, QStringLiteral("first.txt"));
  // The logs were there already, byte for byte: the second race uses them.
  EXPECT_EQ(QDir(root() + QStringLiteral("/gpsdat")).entryList(QDir::Files).size(), 2);
}

}  // namespace
}  // namespace velaro
