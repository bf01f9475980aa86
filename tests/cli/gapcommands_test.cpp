// velaro-cli gaps and polar, run as the program itself on a demo race.
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

const QString kCliPath = QStringLiteral(VELARO_BINARY_DIR "/src/cli/velaro-cli");
const QString kSpringRace = QStringLiteral(VELARO_SOURCE_DIR "/data/demo/raceadmin/enoshima-spring.txt");

QStringList csvRows(const QStringList& args, int* exitCode, QString* err = nullptr) {
  QProcess p;
  p.start(kCliPath, args);
  if (!p.waitForFinished(120000)) {
    ADD_FAILURE() << "velaro-cli did not finish";
    return {};
  }
  *exitCode = p.exitCode();
  if (err) {
    *err = QString::fromUtf8(p.readAllStandardError());
  }
  return QString::fromUtf8(p.readAllStandardOutput()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

TEST(GapCommands, CsvHeadersRowsAndExitCodes) {
  if (!QFileInfo(kCliPath).isExecutable() || !QFileInfo::exists(kSpringRace)) {
    GTEST_SKIP() << "velaro-cli or the demo race is missing";
  }
  int rc = -1;
  const QStringList gaps =
      csvRows({QStringLiteral("gaps"), kSpringRace, QStringLiteral("--step"), QStringLiteral("60")}, &rc);
  EXPECT_EQ(rc, 0);
  ASSERT_GT(gaps.size(), 12 * 20);  // a dozen boats over some twenty minutes or more
  EXPECT_EQ(gaps.first(), QStringLiteral("time_s,boat,name,rank,metres_to_leader,seconds_to_leader"));
  EXPECT_TRUE(gaps[1].startsWith(QStringLiteral("0,1,"))) << gaps[1].toStdString();
  EXPECT_TRUE(gaps[13].startsWith(QStringLiteral("60,1,"))) << gaps[13].toStdString();

  const QStringList polar =
      csvRows({QStringLiteral("polar"), kSpringRace, QStringLiteral("--boats"), QStringLiteral("2")}, &rc);
  EXPECT_EQ(rc, 0);
  ASSERT_GT(polar.size(), 5);
  EXPECT_EQ(polar.first(),
            QStringLiteral(
                "boat,name,tws_from_kn,tws_to_kn,twa_deg,seconds,speed_kn,beat_angle_deg,run_angle_deg"));
  for (const QString& row : polar.mid(1)) {
    EXPECT_TRUE(row.startsWith(QStringLiteral("2,"))) << row.toStdString();
  }

  struct Case {
    QStringList args;
    int exitCode;
  };
  const Case cases[] = {
      {{QStringLiteral("gaps")}, 2},
      {{QStringLiteral("gaps"), kSpringRace, QStringLiteral("-o"), QStringLiteral("/tmp/gaps.jpg")}, 2},
      {{QStringLiteral("gaps"), kSpringRace, QStringLiteral("--size"), QStringLiteral("800x600")}, 2},
      {{QStringLiteral("gaps"), kSpringRace, QStringLiteral("--step"), QStringLiteral("0")}, 2},
      {{QStringLiteral("polar"), kSpringRace, QStringLiteral("-o"), QStringLiteral("/tmp/polar.svg")}, 2},
      {{QStringLiteral("polar"), kSpringRace, QStringLiteral("--size"), QStringLiteral("9x9"),
        QStringLiteral("-o"), QStringLiteral("/tmp/polar.png")},
       2},
      {{QStringLiteral("polar"), kSpringRace, QStringLiteral("--boats"), QStringLiteral("99")}, 2},
      {{QStringLiteral("polar"), QStringLiteral("/nonexistent/raceadmin/none.txt")}, 1},
      {{QStringLiteral("gaps"), QStringLiteral("/nonexistent/raceadmin/none.txt")}, 1},
  };
  for (const Case& c : cases) {
    QString err;
    const QStringList rows = csvRows(c.args, &rc, &err);
    EXPECT_EQ(rc, c.exitCode) << c.args.join(u' ').toStdString();
    EXPECT_TRUE(rows.isEmpty()) << c.args.join(u' ').toStdString();
    EXPECT_FALSE(err.isEmpty()) << c.args.join(u' ').toStdString();
  }
}

TEST(GapCommands, ChartsAreWrittenAsPicturesOfTheSizeAsked) {
  if (!QFileInfo(kCliPath).isExecutable() || !QFileInfo::exists(kSpringRace)) {
    GTEST_SKIP() << "velaro-cli or the demo race is missing";
  }
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  struct Case {
    QStringList args;
    QString file;
    QSize size;
  };
  const Case cases[] = {
      {{QStringLiteral("gaps"), kSpringRace}, QStringLiteral("gaps.png"), QSize(1200, 700)},
      {{QStringLiteral("gaps"), kSpringRace, QStringLiteral("--size"), QStringLiteral("640x400")},
       QStringLiteral("gaps.bmp"),
       QSize(640, 400)},
      {{QStringLiteral("polar"), kSpringRace, QStringLiteral("--boats"), QStringLiteral("1,3")},
       QStringLiteral("polar.PNG"),
       QSize(1000, 700)},
  };
  for (const Case& c : cases) {
    const QString path = dir.filePath(c.file);
    int rc = -1;
    csvRows(c.args + QStringList{QStringLiteral("-o"), path}, &rc);
    EXPECT_EQ(rc, 0) << c.file.toStdString();
    EXPECT_EQ(QImage(path).size(), c.size) << c.file.toStdString();
  }
}

}  // namespace
}  // namespace velaro
