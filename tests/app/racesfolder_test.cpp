#include "app/racesfolder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(RacesFolder, ArgumentThenProgramFolderThenDemo) {
  QTemporaryDir program;
  ASSERT_TRUE(program.isValid());
  const QString demo = QStringLiteral("/demo");
  EXPECT_EQ(chooseRacesFolder({"velaro", "--races", "/r"}, program.path(), demo), QStringLiteral("/r"));
  EXPECT_EQ(chooseRacesFolder({"velaro", "--races=/r2"}, program.path(), demo), QStringLiteral("/r2"));
  EXPECT_EQ(chooseRacesFolder({"velaro"}, program.path(), demo), demo);
  ASSERT_TRUE(QDir(program.path()).mkpath(QStringLiteral("raceadmin")));
  EXPECT_EQ(chooseRacesFolder({"velaro"}, program.path(), demo), QDir(program.path()).absolutePath());
}

}  // namespace
}  // namespace velaro
