#include "core/reports/filewrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

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

// A disk that fills during the write (here a file size limit, which binds
// root too) leaves the earlier file whole and says why; a pipe or device is
// written in place and stays what it was.
TEST(FileWrite, FailedWriteKeepsTheEarlierFileAndDevicesStayDevices) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("NoName.csv"));
  ASSERT_FALSE(writeFileBytes(path, "earlier").has_value());
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::optional<WriteError> error = writeFileBytes(path, QByteArray(100000, 'x'));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(error->reason.contains(QStringLiteral("too large"))) << error->toString().toStdString();
  EXPECT_EQ(contents(path), QByteArray("earlier"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("NoName.csv")});

  const QByteArray fifo = dir.filePath(QStringLiteral("pipe.kml")).toLocal8Bit();
  ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
  const int reader = open(fifo.constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_FALSE(writeFileBytes(QString::fromLocal8Bit(fifo), "through the pipe").has_value());
  char buffer[64] = {};
  EXPECT_EQ(read(reader, buffer, sizeof buffer), 16);
  close(reader);
  struct stat st {};
  ASSERT_EQ(stat(fifo.constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace velaro
