// velaro-cli manoeuvres and starts, run as the program itself on a demo race.
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace velaro {
namespace {

const QString kCliProgram = QStringLiteral(VELARO_BINARY_DIR "/src/cli/velaro-cli");
const QString kSpring = QStringLiteral(VELARO_SOURCE_DIR "/data/demo/raceadmin/enoshima-spring.txt");

QStringList runRows(const QStringList& args, int* exitCode) {
  QProcess p;
  p.start(kCliProgram, args);
  if (!p.waitForFinished(120000)) {
    ADD_FAILURE() << "velaro-cli did not finish";
    return {};
  }
  *exitCode = p.exitCode();
  return QString::fromUtf8(p.readAllStandardOutput()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

TEST(ManoeuvreCommands, CsvRowsForEveryManoeuvreAndEveryBoat) {
  if (!QFileInfo(kCliProgram).isExecutable() || !QFileInfo::exists(kSpring)) {
    GTEST_SKIP() << "velaro-cli or the demo race is missing";
  }
  int rc = -1;
  const QStringList manoeuvres = runRows({QStringLiteral("manoeuvres"), kSpring}, &rc);
  EXPECT_EQ(rc, 0);
  ASSERT_GT(manoeuvres.size(), 12 * 4);  // a dozen boats, each tacking and gybing round two laps
  EXPECT_TRUE(manoeuvres.first().startsWith(QStringLiteral("boat,name,time_s,clock,type,")));
  for (const QString& row : manoeuvres.mid(1)) {
    const QStringList f = row.split(u',');
    ASSERT_EQ(f.size(), 11) << row.toStdString();
    EXPECT_TRUE(f[4] == QLatin1String("tack") || f[4] == QLatin1String("gybe")) << row.toStdString();
  }

  const QStringList starts = runRows({QStringLiteral("starts"), kSpring}, &rc);
  EXPECT_EQ(rc, 0);
  ASSERT_EQ(starts.size(), 13);
  // The demo's second boat is over early and goes back.
  EXPECT_TRUE(starts[2].endsWith(QStringLiteral(",returned"))) << starts[2].toStdString();
  EXPECT_TRUE(starts[1].endsWith(QStringLiteral(",started"))) << starts[1].toStdString();

  runRows({QStringLiteral("starts")}, &rc);
  EXPECT_EQ(rc, 2);
}

}  // namespace
}  // namespace velaro
