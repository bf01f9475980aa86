#include "core/reports/filewrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

QByteArray contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

TEST(FileWrite, CreatesAndReplaces) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("NoName.csv"));
  EXPECT_FALSE(writeFileBytes(path, "first\r\n").has_value());
  EXPECT_EQ(contents(path), QByteArray("first\r\n"));
  EXPECT_FALSE(writeFileBytes(path, "second").has_value());
  EXPECT_EQ(contents(path), QByteArray("second"));
  // Nothing is left beside the file.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("NoName.csv")});
}

TEST(FileWrite, ReadOnlyFileIsNamedAndKept) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("VLRMap5.kml"));
  ASSERT_FALSE(writeFileBytes(path, "old").has_value());
  ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser));
  const std::optional<WriteError> error = writeFileBytes(path, "new");
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->file, path);
  EXPECT_TRUE(error->reason.contains(QStringLiteral("read-only")));
  EXPECT_TRUE(error->toString().startsWith(path));
  EXPECT_EQ(contents(path), QByteArray("old"));
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST(FileWrite, MissingFolderAndFolderInTheWayAreErrors) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString missing = dir.filePath(QStringLiteral("no/such/folder/NoName.csv"));
  const std::optional<WriteError> error = writeFileBytes(missing, "x");
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->file, missing);
  EXPECT_FALSE(error->reason.isEmpty());

  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("NoName.csv")));
  EXPECT_TRUE(writeFileBytes(dir.filePath(QStringLiteral("NoName.csv")), "x").has_value());
}

}  // namespace
}  // namespace velaro
