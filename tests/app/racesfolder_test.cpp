#include "app/desktop/racesfolder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(RacesFolder, ArgumentThenProgramFolderThenInstalledThenSourceDemo) {
  QTemporaryDir program;
  QTemporaryDir installed;
  ASSERT_TRUE(program.isValid() && installed.isValid());
  const QStringList demos{installed.path(), QStringLiteral("/demo")};
  EXPECT_EQ(chooseRacesFolder({"velaro", "--races", "/r"}, program.path(), demos), QStringLiteral("/r"));
  EXPECT_EQ(chooseRacesFolder({"velaro", "--races=/r2"}, program.path(), demos), QStringLiteral("/r2"));
  EXPECT_EQ(chooseRacesFolder({"velaro"}, program.path(), demos), QStringLiteral("/demo"));
  ASSERT_TRUE(QDir(installed.path()).mkpath(QStringLiteral("raceadmin")));
  EXPECT_EQ(chooseRacesFolder({"velaro"}, program.path(), demos), QDir(installed.path()).absolutePath());
  ASSERT_TRUE(QDir(program.path()).mkpath(QStringLiteral("raceadmin")));
  EXPECT_EQ(chooseRacesFolder({"velaro"}, program.path(), demos), QDir(program.path()).absolutePath());
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

TEST(RacesFolder, LogsAreTheArgumentsThatAreNeitherOptionsNorTheRacesFolder) {
  EXPECT_EQ(logArguments({"velaro", "--races", "/r", "/logs/a.gpx", "--log-loads", "/logs/b.trk"}),
            QStringList({"/logs/a.gpx", "/logs/b.trk"}));
  EXPECT_EQ(logArguments({"velaro", "c.gpx"}), QStringList{QDir::current().absoluteFilePath("c.gpx")});
  EXPECT_TRUE(logArguments({"velaro", "--races=/r"}).isEmpty());
}

}  // namespace
}  // namespace velaro
