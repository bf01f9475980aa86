// velaro-cli info on a race file whose boats cannot all be loaded: every BN
// line left out is listed with its reason, and the boats that load give the
// analysis and reports of a race file that names only them.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "support/clirun.h"
#include "support/copytree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace velaro {
namespace {

using testing::kCliPath;
using testing::runCli;

const QString kDemo = QStringLiteral(VELARO_SOURCE_DIR "/data/demo");

// The lines from "analysis:" on, without those naming records left out.
QStringList analysisOf(const QByteArray& info) {
  QStringList lines = QString::fromUtf8(info).split(u'\n');
  lines.erase(lines.begin(), std::find(lines.begin(), lines.end(), QStringLiteral("analysis:")));
  lines.removeIf([](const QString& line) { return line.contains(QStringLiteral("ignored on loading")); });
  return lines;
}

TEST(IgnoredRecords, InfoNamesEveryBoatLeftOutAndTheAnalysisKeepsToTheOthers) {
  if (!QFileInfo(kCliPath).isExecutable()) {
    GTEST_SKIP() << "velaro-cli is not built";
  }
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(testing::copyTree(kDemo, dir.path()));
  const QString gps = dir.filePath(QStringLiteral("gpsdat/"));
  ASSERT_EQ(mkfifo(QFile::encodeName(gps + QStringLiteral("fifo.gpx")).constData(), 0644), 0);
  ASSERT_TRUE(QDir(gps).mkdir(QStringLiteral("folder.gpx")));
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), gps + QStringLiteral("locked.trl")));
  } else {
    ASSERT_TRUE(
        QFile::copy(gps + QStringLiteral("enoshima-spring-jpn4677.trl"), gps + QStringLiteral("locked.trl")));
    ASSERT_TRUE(QFile::setPermissions(gps + QStringLiteral("locked.trl"), QFileDevice::Permissions()));
  }

  // The spring race's description with boats of our own.
  QFile demo(kDemo + QStringLiteral("/raceadmin/enoshima-spring.txt"));
  ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
  QByteArray head;
  int headLines = 0;
  for (const QByteArray& line : demo.readAll().split('\n')) {
    if (!line.startsWith("BN,") && !line.trimmed().isEmpty()) {
      head += line.trimmed() + "\r\n";
      ++headLines;
    }
  }
  // A log the user may not read frees its boat number; one whose read fails
  // (root reads every file) takes it.
  const int kept = root ? 80 : 81;
  QByteArray bad = head + "BN,fifo.gpx,Fifo\r\nBN,folder.gpx,Folder\r\nBN,locked.trl,Locked\r\n";
  QByteArray clean = head;
  for (int i = 1; i <= 90; ++i) {
    const QByteArray boat = "BN,enoshima-spring-jpn4677.trl,Boat " + QByteArray::number(i) + "\r\n";
    bad += boat;
    if (i <= kept) {
      clean += boat;
    }
  }
  for (const auto& [name, bytes] : {std::pair{"bad.txt", bad}, std::pair{"clean.txt", clean}}) {
    QFile f(dir.filePath(QStringLiteral("raceadmin/") + QLatin1String(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
  }
  const QString badRace = dir.filePath(QStringLiteral("raceadmin/bad.txt"));
  const QString cleanRace = dir.filePath(QStringLiteral("raceadmin/clean.txt"));

  const testing::CliRun info = runCli({QStringLiteral("info"), badRace});
  ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
  const QString out = QString::fromUtf8(info.out);
  const int first = headLines + 1;
  EXPECT_TRUE(out.contains(
      QStringLiteral("line %1: BN \"Fifo\" (fifo.gpx): the log is a FIFO, not a file\n").arg(first)));
  EXPECT_TRUE(out.contains(
      QStringLiteral("line %1: BN \"Folder\" (folder.gpx): the log is a folder\n").arg(first + 1)));
  EXPECT_TRUE(out.contains(
      QStringLiteral("line %1: BN \"Locked\" (locked.trl): the log cannot be read: ").arg(first + 2)));
  for (int i = kept + 1; i <= 90; ++i) {
    EXPECT_TRUE(
        out.contains(QStringLiteral("line %1: BN \"Boat %2\" (enoshima-spring-jpn4677.trl): beyond the 81 "
                                    "boats a race holds\n")
                         .arg(first + 2 + i)
                         .arg(i)))
        << i;
  }
  EXPECT_TRUE(out.contains(QStringLiteral("boats kept: %1 (dropped 0)").arg(kept)));

  const testing::CliRun cleanInfo = runCli({QStringLiteral("info"), cleanRace});
  ASSERT_EQ(cleanInfo.exitCode, 0) << cleanInfo.err.toStdString();
  EXPECT_TRUE(cleanInfo.out.contains("ignored records: 0\n"));
  EXPECT_EQ(analysisOf(info.out), analysisOf(cleanInfo.out));
  EXPECT_GT(analysisOf(info.out).size(), kept);

  const testing::CliRun table = runCli({QStringLiteral("table"), badRace});
  const testing::CliRun cleanTable = runCli({QStringLiteral("table"), cleanRace});
  ASSERT_EQ(table.exitCode, 0) << table.err.toStdString();
  EXPECT_EQ(table.out, cleanTable.out);
}

}  // namespace
}  // namespace velaro
