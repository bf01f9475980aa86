// velaro-cli as scripts see it: the exit code tells failure, errors go to
// standard error only, and a write that fails names the reason and keeps the
// earlier file.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace velaro {
namespace {

const QString kCli = QStringLiteral(VELARO_BINARY_DIR "/src/cli/velaro-cli");
const QString kDemoRace = QStringLiteral(VELARO_SOURCE_DIR "/data/demo/raceadmin/enoshima-spring.txt");

struct CliResult {
  int exitCode = -1;
  QByteArray out;
  QString err;
};

// Runs the program through sh, so that a case can set limits first; the
// environment has no desktop session.
CliResult runShell(const QString& script, const QStringList& args, const QString& stdoutFile = {}) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  p.setProcessEnvironment(env);
  if (!stdoutFile.isEmpty()) {
    p.setStandardOutputFile(stdoutFile);
  }
  p.start(QStringLiteral("/bin/sh"),
          QStringList{QStringLiteral("-c"), script + QStringLiteral(" \"$@\""), QStringLiteral("sh"), kCli} +
              args);
  CliResult r;
  if (!p.waitForFinished(120000)) {
    ADD_FAILURE() << "velaro-cli did not finish";
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput();
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

CliResult runCli(const QStringList& args, const QString& stdoutFile = {}) {
  return runShell(QStringLiteral("exec"), args, stdoutFile);
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

class ExitStatus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFileInfo(kCli).isExecutable()) {
      GTEST_SKIP() << "velaro-cli is not built";
    }
    ASSERT_TRUE(m_dir.isValid());
  }
  QTemporaryDir m_dir;
};

TEST_F(ExitStatus, ErrorsExitNonZeroOnStandardErrorAndSuccessIsQuiet) {
  // A file that is no log, one named like a log without track points, and a
  // missing one.
  const QString fake = m_dir.filePath(QStringLiteral("passwd.gpx"));
  ASSERT_TRUE(QFile::copy(QStringLiteral("/etc/passwd"), fake));
  for (const QString& file :
       {QStringLiteral("/etc/passwd"), fake, m_dir.filePath(QStringLiteral("none.gdb"))}) {
    const CliResult r = runCli({QStringLiteral("fixes"), file});
    EXPECT_EQ(r.exitCode, 1) << file.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << file.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("velaro-cli: ") + file)) << r.err.toStdString();
  }
  // A missing race file, and one without a boat.
  ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("raceadmin")));
  const QString empty = m_dir.filePath(QStringLiteral("raceadmin/empty.txt"));
  ASSERT_TRUE(QFile(empty).open(QIODevice::WriteOnly));
  for (const QString& race : {m_dir.filePath(QStringLiteral("raceadmin/none.txt")), empty}) {
    for (const QString& command : {QStringLiteral("info"), QStringLiteral("table"), QStringLiteral("kml")}) {
      const CliResult r = runCli({command, race});
      EXPECT_EQ(r.exitCode, 1) << command.toStdString();
      EXPECT_TRUE(r.err.startsWith(QStringLiteral("velaro-cli: "))) << command.toStdString();
      EXPECT_FALSE(r.out.contains("no boat")) << command.toStdString();
    }
  }
  EXPECT_EQ(runCli({QStringLiteral("no-such-command")}).exitCode, 2);

  // Without a desktop session Qt has nothing to warn about on standard error.
  const CliResult info = runCli({QStringLiteral("info"), kDemoRace});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_TRUE(info.err.isEmpty()) << info.err.toStdString();
  EXPECT_FALSE(info.out.isEmpty());
}

TEST_F(ExitStatus, FailedWritesNameTheReasonAndKeepTheEarlierFile) {
  // A full disk: standard output, and -o on a device, which stays a device.
  const CliResult toFull = runCli({QStringLiteral("info"), kDemoRace}, QStringLiteral("/dev/full"));
  EXPECT_EQ(toFull.exitCode, 1);
  EXPECT_TRUE(toFull.err.contains(QStringLiteral("No space left on device"))) << toFull.err.toStdString();

  // Root could replace /dev/full itself if the device were not written in
  // place, so root gets a device node of its own.
  QString full = QStringLiteral("/dev/full");
  if (geteuid() == 0) {
    full = m_dir.filePath(QStringLiteral("full"));
    ASSERT_EQ(mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
  }
  const CliResult toDevice = runCli({QStringLiteral("table"), kDemoRace, QStringLiteral("-o"), full});
  EXPECT_EQ(toDevice.exitCode, 1);
  EXPECT_TRUE(toDevice.err.contains(QStringLiteral("No space left on device"))) << toDevice.err.toStdString();
  struct stat st {};
  ASSERT_EQ(stat(QFile::encodeName(full).constData(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  // A disk that fills during the write (a file size limit binds root too).
  const QString earlier = m_dir.filePath(QStringLiteral("NoName.csv"));
  const QString picture = m_dir.filePath(QStringLiteral("scene.png"));
  for (const QString& path : {earlier, picture}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("earlier") == 7);
  }
  const QString limited = QStringLiteral("trap '' XFSZ; ulimit -f 1; exec");
  const CliResult table =
      runShell(limited, {QStringLiteral("table"), kDemoRace, QStringLiteral("-o"), earlier});
  EXPECT_EQ(table.exitCode, 1);
  EXPECT_TRUE(table.err.contains(QStringLiteral("File too large"))) << table.err.toStdString();
  EXPECT_EQ(readAll(earlier), QByteArray("earlier"));
  const CliResult render = runShell(limited, {QStringLiteral("render"), kDemoRace, QStringLiteral("--time"),
                                              QStringLiteral("600"), QStringLiteral("-o"), picture});
  EXPECT_EQ(render.exitCode, 1);
  EXPECT_TRUE(render.err.contains(QStringLiteral("File too large"))) << render.err.toStdString();
  EXPECT_EQ(readAll(picture), QByteArray("earlier"));

  // A read-only folder stops only users other than root.
  if (geteuid() != 0) {
    const QString folder = m_dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const CliResult r =
        runCli({QStringLiteral("table"), kDemoRace, QStringLiteral("-o"), folder + "/NoName.csv"});
    chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Permission denied"))) << r.err.toStdString();
  }
}

}  // namespace
}  // namespace velaro
