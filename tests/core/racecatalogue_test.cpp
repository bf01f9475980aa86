#include "core/racecatalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("raceadmin")));
  }
  void write(const QString& name, const QByteArray& bytes = "T1,x\n") {
    QFile f(QDir(m_dir.path()).filePath(QStringLiteral("raceadmin/") + name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  RaceFolders folders() const { return RaceFolders(m_dir.path()); }

  QTemporaryDir m_dir;
};

TEST_F(CatalogueTest, ListsTextFilesOnlySortedByName) {
  write(QStringLiteral("b-race.txt"));
  write(QStringLiteral("A-Race.TXT"));
  write(QStringLiteral("notes.doc"));
  write(QStringLiteral("racefile.st"), "b-race.txt\n");
  EXPECT_EQ(ListRaceFiles(folders()), QStringList({"A-Race.TXT", "b-race.txt"}));
}

TEST_F(CatalogueTest, EmptyOrMissingFolder) {
  EXPECT_TRUE(ListRaceFiles(folders()).isEmpty());
  EXPECT_TRUE(chooseFirstRace(folders(), {}).isEmpty());
  EXPECT_TRUE(ListRaceFiles(RaceFolders(m_dir.path() + QStringLiteral("/nowhere"))).isEmpty());
}

TEST_F(CatalogueTest, RaceFileStChoosesTheFirstRaceIgnoringLetterCase) {
  write(QStringLiteral("a.txt"));
  write(QStringLiteral("Second-Race.txt"));
  write(QStringLiteral("racefile.st"), "second-race.TXT\r\nignored.txt\r\n");
  const QStringList files = ListRaceFiles(folders());
  const QString first = chooseFirstRace(folders(), files);
  EXPECT_TRUE(first.endsWith(QStringLiteral("raceadmin/Second-Race.txt"))) << first.toStdString();
  EXPECT_EQ(findCurrentRace(files, first), 2);
}

TEST_F(CatalogueTest, RaceFileStInAnotherLetterCaseIsFound) {
  write(QStringLiteral("a.txt"));
  write(QStringLiteral("b.txt"));
  write(QStringLiteral("RACEFILE.ST"), "b.txt\n");
  EXPECT_TRUE(chooseFirstRace(folders(), ListRaceFiles(folders())).endsWith(QStringLiteral("/b.txt")));
}

TEST_F(CatalogueTest, MissingNameFallsBackToTheFirstRace) {
  write(QStringLiteral("a.txt"));
  write(QStringLiteral("b.txt"));
  write(QStringLiteral("racefile.st"), "gone.txt\n");
  EXPECT_TRUE(chooseFirstRace(folders(), ListRaceFiles(folders())).endsWith(QStringLiteral("/a.txt")));
  write(QStringLiteral("racefile.st"), "../../etc/passwd\n");
  EXPECT_TRUE(chooseFirstRace(folders(), ListRaceFiles(folders())).endsWith(QStringLiteral("/a.txt")));
}

// The races of a second folder follow the folder's own, each read in its
// own folder, listed again as races are added; the first folder is never
// listed twice.
TEST_F(CatalogueTest, AnotherFoldersRacesFollowAndAreReadWhereTheyLive) {
  write(QStringLiteral("a.txt"));
  write(QStringLiteral("b.txt"));
  QTemporaryDir mine;
  ASSERT_TRUE(QDir(mine.path()).mkpath(QStringLiteral("raceadmin")));
  const RaceFolders more(mine.path());
  const auto writeMine = [&](const char* name) {
    QFile f(QDir(mine.path()).filePath(QStringLiteral("raceadmin/") + QString::fromLatin1(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  };
  writeMine("b.txt");
  RaceSelection s = RaceSelection::open(folders());
  s.listMore(more);
  s.listMore(folders());
  EXPECT_EQ(s.raceFiles, QStringList({"a.txt", "b.txt", "b.txt"}));
  EXPECT_EQ(s.placeOf(more, QStringLiteral("B.TXT")), 3);
  EXPECT_EQ(s.placeOf(folders(), QStringLiteral("b.txt")), 2);

  s.selectListed(folders(), 3);
  EXPECT_EQ(s.SelectedRacePath, more.folder(QStringLiteral("raceadmin")) + QStringLiteral("/b.txt"));
  EXPECT_EQ(s.selectedFolders.root(), more.root());
  EXPECT_TRUE(s.raceFileExists(folders(), 3));

  // A race added before the selected one: the selection keeps its race.
  writeMine("a.txt");
  s.listMore(more);
  EXPECT_EQ(s.raceFiles, QStringList({"a.txt", "b.txt", "a.txt", "b.txt"}));
  EXPECT_EQ(s.CurrentRace, 4);
  s.selectIn(more, QStringLiteral("a.txt"));
  EXPECT_EQ(s.CurrentRace, 3);
}

TEST(FindCurrentRace, ComparesWholeFileNames) {
  const QStringList files = {"a.txt", "ba.txt", "Cup.txt"};
  EXPECT_EQ(findCurrentRace(files, QStringLiteral("/r/raceadmin/ba.txt")), 2);
  EXPECT_EQ(findCurrentRace(files, QStringLiteral("/r/raceadmin/CUP.TXT")), 3);
  EXPECT_EQ(findCurrentRace(files, QStringLiteral("/r/raceadmin/none.txt")), 0);
  EXPECT_EQ(findCurrentRace(files, QString()), 0);
}

TEST(RaceFoldersSafety, RefusesAbsoluteAndClimbingNames) {
  const RaceFolders folders(QStringLiteral("/races"));
  EXPECT_EQ(folders.resolve(QStringLiteral("gpsdat"), QStringLiteral("a.gpx")),
            QStringLiteral("/races/gpsdat/a.gpx"));
  EXPECT_EQ(folders.resolve(QStringLiteral("gpsdat"), QStringLiteral("club\\a.gpx")),
            QStringLiteral("/races/gpsdat/club/a.gpx"));
  for (const char* bad : {"", "/etc/passwd", "..", "../a.gpx", "x/../../a.gpx", "..\\a.gpx", "C:\\a.gpx"}) {
    EXPECT_FALSE(folders.resolve(QStringLiteral("gpsdat"), QString::fromLatin1(bad))) << bad;
  }
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

TEST_F(CatalogueTest, SelectionFollowsTheUsersPickAndKnowsTheRaceOnScreen) {
  write(QStringLiteral("a.txt"));
  write(QStringLiteral("ba.txt"));
  write(QStringLiteral("racefile.st"), "BA.TXT\n");
  RaceSelection s = RaceSelection::open(folders());
  EXPECT_EQ(s.raceFiles, QStringList({"a.txt", "ba.txt"}));
  EXPECT_EQ(s.CurrentRace, 2);
  EXPECT_EQ(s.ChosenRaceIndex, 2);
  EXPECT_TRUE(s.isSelected(QStringLiteral(" BA.txt ")));
  EXPECT_FALSE(s.isSelected(QStringLiteral("a.txt")));  // a file name, not a substring of the path
  EXPECT_FALSE(s.isSelected(QString()));

  // The user's pick decides the place; without one the selector's index does.
  s.ChosenRaceIndex = 1;
  s.selectNamed(folders(), QStringLiteral(" a.txt "), 1);
  EXPECT_TRUE(s.SelectedRacePath.endsWith(QStringLiteral("raceadmin/a.txt")));
  EXPECT_EQ(s.CurrentRace, 1);
  s.ChosenRaceIndex = 0;
  s.selectNamed(folders(), QStringLiteral("ba.txt"), 1);
  EXPECT_EQ(s.CurrentRace, 2);

  s.selectListed(folders(), 1);
  EXPECT_TRUE(s.isSelected(QStringLiteral("a.txt")));
  EXPECT_TRUE(s.raceFileExists(folders(), 2));
  EXPECT_FALSE(s.raceFileExists(folders(), 3));
  EXPECT_FALSE(s.raceFileExists(folders(), 0));
  ASSERT_TRUE(QFile::remove(QDir(m_dir.path()).filePath(QStringLiteral("raceadmin/ba.txt"))));
  EXPECT_FALSE(s.raceFileExists(folders(), 2));
}

}  // namespace
}  // namespace velaro
