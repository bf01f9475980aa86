// velaro-cli new-race as a script sees it: wrong arguments exit 2, a file
// that is no log exits 1 naming it, and either way nothing is written.
#include "core/newrace/inputlogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

const QString kCli = QStringLiteral(VELARO_BINARY_DIR "/src/cli/velaro-cli");
const QString kDemoLogs = QStringLiteral(VELARO_SOURCE_DIR "/data/demo/gpsdat/");

struct CliResult {
  int exitCode = -1;
  QString out;
  QString err;
};

CliResult runNewRace(const QStringList& args) {
  QProcess p;
  p.start(kCli, QStringList{QStringLiteral("new-race")} + args);
  CliResult r;
  if (!p.waitForFinished(120000)) {
    ADD_FAILURE() << "velaro-cli did not finish";
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

class NewRaceCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFileInfo(kCli).isExecutable()) {
      GTEST_SKIP() << "velaro-cli is not built";
    }
    ASSERT_TRUE(m_dir.isValid());
    m_races = m_dir.filePath(QStringLiteral("races"));
  }
  QTemporaryDir m_dir;
  QString m_races;
  const QString m_log = kDemoLogs + QStringLiteral("enoshima-spring-jpn3371.gpx");
};

TEST_F(NewRaceCommand, WrongArgumentsExit2AndWriteNothing) {
  const QString o = QStringLiteral("-o");
  const QList<QStringList> cases = {
      {},
      {m_log},
      {o, m_races},
      {m_log, o},
      {m_log, o, m_races, QStringLiteral("--wind"), QStringLiteral("east")},
      {m_log, o, m_races, QStringLiteral("--utc-offset"), QStringLiteral("9.5")},
      {m_log, o, m_races, QStringLiteral("--mark"), QStringLiteral("91,139")},
      {m_log, o, m_races, QStringLiteral("--start"), QStringLiteral("25:00")},
      {m_log, o, m_races, QStringLiteral("--colour"), QStringLiteral("red")},
  };
  for (const QStringList& args : cases) {
    const CliResult r = runNewRace(args);
    EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("usage: velaro-cli new-race"))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_races));
  }
}

TEST_F(NewRaceCommand, AFileThatIsNoLogIsNamedAndNothingIsWritten) {
  if (readInputLogs({m_log}).logs.empty()) {
    GTEST_SKIP() << "the logs are not read yet";
  }
  const QString fake = m_dir.filePath(QStringLiteral("passwd.gpx"));
  ASSERT_TRUE(QFile::copy(QStringLiteral("/etc/passwd"), fake));
  for (const QStringList& logs : {QStringList{m_log, fake}, QStringList{QStringLiteral("/etc/passwd")}}) {
    const CliResult r = runNewRace(logs + QStringList{QStringLiteral("-o"), m_races});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("velaro-cli: ")) &&
                r.err.contains(QFileInfo(logs.last()).fileName()))
        << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_races));
  }

  const CliResult made =
      runNewRace({m_log, kDemoLogs + QStringLiteral("enoshima-spring-jpn2431.dtr"), QStringLiteral("-o"),
                  m_races, QStringLiteral("--name"), QStringLiteral("practice")});
  EXPECT_EQ(made.exitCode, 0) << made.err.toStdString();
  EXPECT_TRUE(made.err.isEmpty()) << made.err.toStdString();
  EXPECT_TRUE(made.out.contains(QStringLiteral("estimate: magnetic variation")));
  EXPECT_TRUE(
      made.out.endsWith(QDir(m_races).absoluteFilePath(QStringLiteral("raceadmin/practice.txt")) + u'\n'))
      << made.out.toStdString();
}

}  // namespace
}  // namespace velaro
