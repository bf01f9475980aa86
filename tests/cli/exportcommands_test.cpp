// velaro-cli table, kml, graph, render and the whole-race picture, run as the program itself on a copy of a
// demo race.
#include "core/loadpipeline.h"
#include "core/reports/performancetable.h"
#include "render/kmlicons.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "support/copytree.h"

#include <gtest/gtest.h>

#include "support/clirun.h"

namespace velaro {
namespace {

using testing::CliRun;
using testing::kCliPath;
using testing::runCli;

const QString kDemo = QStringLiteral(VELARO_SOURCE_DIR "/data/demo");

using testing::copyTree;

class ExportCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFileInfo(kCliPath).isExecutable()) {
      GTEST_SKIP() << "velaro-cli is not built";
    }
    if (!QFileInfo::exists(kDemo + QStringLiteral("/raceadmin/enoshima-spring.txt"))) {
      GTEST_SKIP() << "no demo race";
    }
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(copyTree(kDemo, m_dir.path()));
  }

  QString raceFile() const { return m_dir.filePath(QStringLiteral("raceadmin/enoshima-spring.txt")); }
  QString path(const QString& name) const { return m_dir.filePath(name); }

  QTemporaryDir m_dir;
};

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(ExportCommands, TableToStandardOutputAndToAFileAreTheSameBytes) {
  const CliRun toStdout = runCli({QStringLiteral("table"), raceFile()});
  ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err.toStdString();
  const CliRun toFile =
      runCli({QStringLiteral("table"), raceFile(), QStringLiteral("-o"), path(QStringLiteral("t.csv"))});
  ASSERT_EQ(toFile.exitCode, 0) << toFile.err.toStdString();
  EXPECT_TRUE(toFile.out.isEmpty());
  EXPECT_EQ(readAll(path(QStringLiteral("t.csv"))), toStdout.out);

  // The same table as the window's load gives.
  const LoadResult loaded = LoadRacePipeline(raceFile(), RaceFolders(m_dir.path()), LoadOptions{});
  ASSERT_TRUE(loaded.loaded.has_value());
  EXPECT_EQ(toStdout.out, WritePerformanceTable(*loaded.loaded));
}

TEST_F(ExportCommands, KmlDrawsTheIconsAndWritesAReadableDocument) {
  for (const QStringList& extra :
       {QStringList{}, QStringList{QStringLiteral("--scene"), QStringLiteral("900")},
        QStringList{QStringLiteral("--hide-unfocused")}, QStringList{QStringLiteral("--speed-colours")}}) {
    const CliRun r = runCli(QStringList{QStringLiteral("kml"), raceFile()} + extra);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QXmlStreamReader xml(r.out);
    int placemarks = 0;
    QString firstHref;
    while (!xml.atEnd()) {
      if (xml.readNext() == QXmlStreamReader::StartElement) {
        if (xml.name() == QLatin1String("Placemark")) {
          ++placemarks;
        } else if (xml.name() == QLatin1String("href") && firstHref.isEmpty()) {
          firstHref = xml.readElementText();
        }
      }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(placemarks, 12);
    // Icons are named by absolute path; they come with the program, so an
    // export writes nothing into the races folder.
    EXPECT_TRUE(QFileInfo::exists(firstHref)) << firstHref.toStdString();
    EXPECT_TRUE(QFileInfo(firstHref).isAbsolute()) << firstHref.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("ya"))));

  // A races folder with pictures of its own has them used.
  ASSERT_FALSE(ensureKmlIcons(path(QStringLiteral("ya"))).has_value());
  const CliRun own = runCli(QStringList{QStringLiteral("kml"), raceFile()});
  ASSERT_EQ(own.exitCode, 0) << own.err.toStdString();
  EXPECT_TRUE(own.out.contains((QDir(m_dir.path()).canonicalPath() + QStringLiteral("/ya/")).toUtf8()) ||
              own.out.contains((m_dir.path() + QStringLiteral("/ya/")).toUtf8()));
}

TEST_F(ExportCommands, ReadOnlyOutputIsReportedByName) {
  const QString out = path(QStringLiteral("VLRMap5.kml"));
  QFile old(out);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  ASSERT_EQ(old.write("old"), 3);
  old.close();
  ASSERT_TRUE(QFile::setPermissions(out, QFileDevice::ReadOwner));
  const CliRun r = runCli({QStringLiteral("kml"), raceFile(), QStringLiteral("-o"), out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains(out)) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains(QStringLiteral("read-only"))) << r.err.toStdString();
  EXPECT_EQ(readAll(out), QByteArray("old"));
  QFile::setPermissions(out, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(ExportCommands, GraphAndRenderWriteBmpForABmpName) {
  const QString png = path(QStringLiteral("graph.png"));
  const CliRun graph = runCli({QStringLiteral("graph"), raceFile(), QStringLiteral("--size"),
                               QStringLiteral("640x480"), QStringLiteral("-o"), png});
  ASSERT_EQ(graph.exitCode, 0) << graph.err.toStdString();
  EXPECT_TRUE(readAll(png).startsWith("\x89PNG"));
  EXPECT_EQ(QImage(png).size(), QSize(640, 480));

  const QString bmp = path(QStringLiteral("graph.BMP"));
  ASSERT_EQ(runCli({QStringLiteral("graph"), raceFile(), QStringLiteral("-o"), bmp}).exitCode, 0);
  EXPECT_TRUE(readAll(bmp).startsWith("BM"));
  EXPECT_EQ(QImage(bmp).size(), QSize(1024, 768));

  const QString scene = path(QStringLiteral("scene.bmp"));
  const CliRun render =
      runCli({QStringLiteral("render"), raceFile(), QStringLiteral("--time"), QStringLiteral("60"),
              QStringLiteral("--size"), QStringLiteral("320x240"), QStringLiteral("-o"), scene});
  ASSERT_EQ(render.exitCode, 0) << render.err.toStdString();
  EXPECT_TRUE(readAll(scene).startsWith("BM"));
  EXPECT_EQ(QImage(scene).size(), QSize(320, 240));

  // A folder where the file should be is reported by name.
  ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("taken.png")));
  const CliRun blocked =
      runCli({QStringLiteral("graph"), raceFile(), QStringLiteral("-o"), path(QStringLiteral("taken.png"))});
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_TRUE(blocked.err.contains(path(QStringLiteral("taken.png")))) << blocked.err.toStdString();
  EXPECT_EQ(runCli({QStringLiteral("graph"), raceFile()}).exitCode, 2);
  EXPECT_EQ(runCli({QStringLiteral("graph"), raceFile(), QStringLiteral("--size"), QStringLiteral("20x20"),
                    QStringLiteral("-o"), png})
                .exitCode,
            2);
}

TEST_F(ExportCommands, WholeRacePictureAtAZoomAndCentre) {
  const QString png = path(QStringLiteral("whole.png"));
  const CliRun r =
      runCli({QStringLiteral("render"), raceFile(), QStringLiteral("--whole-race"), QStringLiteral("--zoom"),
              QStringLiteral("3.375"), QStringLiteral("--centre"), QStringLiteral("35.2769,139.4577"),
              QStringLiteral("--time"), QStringLiteral("900"), QStringLiteral("--size"),
              QStringLiteral("640x480"), QStringLiteral("-o"), png});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("whole race at zoom 3.375 about 35.27690,139.45770")) << r.out.toStdString();
  EXPECT_EQ(QImage(png).size(), QSize(640, 480));

  const auto render = [&](const QStringList& extra) {
    return runCli(QStringList{QStringLiteral("render"), raceFile(), QStringLiteral("--time"),
                              QStringLiteral("900"), QStringLiteral("-o"), png} +
                  extra)
        .exitCode;
  };
  EXPECT_EQ(render({QStringLiteral("--whole-race"), QStringLiteral("--centre"), QStringLiteral("35.2")}), 2);
  EXPECT_EQ(render({QStringLiteral("--whole-race"), QStringLiteral("--centre"), QStringLiteral("95,139")}),
            2);
  EXPECT_EQ(render({QStringLiteral("--whole-race"), QStringLiteral("--zoom"), QStringLiteral("0")}), 2);
  // The live scene's zoom stays a whole divisor from 1 to 10, and has no
  // centre of its own.
  EXPECT_EQ(render({QStringLiteral("--zoom"), QStringLiteral("2.5")}), 2);
  EXPECT_EQ(render({QStringLiteral("--centre"), QStringLiteral("35.2,139.4")}), 2);

  const CliRun speeds = runCli({QStringLiteral("render"), raceFile(), QStringLiteral("--whole-race"),
                                QStringLiteral("--speed-colours"), QStringLiteral("--time"),
                                QStringLiteral("900"), QStringLiteral("-o"), png});
  ASSERT_EQ(speeds.exitCode, 0) << speeds.err.toStdString();
  EXPECT_TRUE(speeds.out.contains(" kn\n")) << speeds.out.toStdString();
  EXPECT_EQ(render({QStringLiteral("--speed-colours")}), 2);
}

TEST_F(ExportCommands, BadArgumentsAndMissingRaces) {
  EXPECT_EQ(runCli({QStringLiteral("table")}).exitCode, 2);
  EXPECT_EQ(
      runCli({QStringLiteral("kml"), raceFile(), QStringLiteral("--scene"), QStringLiteral("soon")}).exitCode,
      2);
  EXPECT_EQ(runCli({QStringLiteral("kml"), raceFile(), QStringLiteral("--bogus")}).exitCode, 2);
  const CliRun missing = runCli({QStringLiteral("table"), path(QStringLiteral("raceadmin/none.txt"))});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_FALSE(missing.err.isEmpty());
  EXPECT_TRUE(missing.out.isEmpty());
}

}  // namespace
}  // namespace velaro
