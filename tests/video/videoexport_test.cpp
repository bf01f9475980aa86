// Replay videos: written by velaro-cli and by the library, read back with
// FFmpeg's decoders.
#include "decodedvideo.h"

#include "core/loadpipeline.h"
#include "render/scene/replayframes.h"
#include "video/replayvideo.h"
#include "video/videoencoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include <sys/stat.h>

#include "support/clirun.h"

namespace velaro {
namespace {

using testing::CliRun;
using testing::DecodedVideo;
using testing::decodeVideo;
using testing::kCliPath;
using testing::meanColourDifference;
using testing::runCli;

const QString kDemo = QStringLiteral(VELARO_SOURCE_DIR "/data/demo");
const QString kRace = kDemo + QStringLiteral("/raceadmin/enoshima-spring.txt");

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Everything in a folder, hidden files too.
QStringList entries(const QString& dir) {
  return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Share of pixels of two pictures, each shrunk to a quarter, where some
// channel is off by more than a tenth of its range. Shrinking averages away
// what lossy coding does to thin dotted lines and leaves what moved: boats,
// labels, counter and clock hands.
double movedShare(const QImage& a, const QImage& b) {
  const QSize quarter = a.size() / 4;
  const QImage x = a.scaled(quarter, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
  const QImage y = b.scaled(quarter, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
  long long moved = 0;
  for (int row = 0; row < x.height(); ++row) {
    const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
    const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
    for (int col = 0; col < x.width(); ++col) {
      if (std::abs(qRed(p[col]) - qRed(q[col])) > 25 || std::abs(qGreen(p[col]) - qGreen(q[col])) > 25 ||
          std::abs(qBlue(p[col]) - qBlue(q[col])) > 25) {
        ++moved;
      }
    }
  }
  return double(moved) / (double(x.width()) * x.height());
}

std::unique_ptr<VideoEncoder> newEncoder() {
  QString error;
  std::unique_ptr<VideoEncoder> encoder = makeVideoEncoder(error);
  EXPECT_TRUE(encoder) << error.toStdString();
  return encoder;
}

// Names the encoder module for as long as it lives.
class ModuleNamed {
 public:
  explicit ModuleNamed(const QString& path) { qputenv(kVideoModuleVariable, QFile::encodeName(path)); }
  ~ModuleNamed() { qunsetenv(kVideoModuleVariable); }
  ModuleNamed(const ModuleNamed&) = delete;
  ModuleNamed& operator=(const ModuleNamed&) = delete;
};

class VideoExport : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFileInfo::exists(kRace)) {
      GTEST_SKIP() << "no demo race";
    }
    ASSERT_TRUE(m_dir.isValid());
  }
  void needCli() {
    if (!QFileInfo(kCliPath).isExecutable()) {
      GTEST_SKIP() << "velaro-cli is not built";
    }
  }
  QString path(const QString& name) const { return m_dir.filePath(name); }

  QTemporaryDir m_dir;
};

TEST_F(VideoExport, ClipDecodesBackFrameForFrameAndStartsWithTheRenderedScene) {
  needCli();
  // 300 s of race at 30X: 10 s of video, 300 frames.
  const CliRun video =
      runCli({QStringLiteral("video"), kRace, QStringLiteral("--from"), QStringLiteral("-60"),
              QStringLiteral("--to"), QStringLiteral("240"), QStringLiteral("--size"),
              QStringLiteral("640x360"), QStringLiteral("-o"), path(QStringLiteral("clip.mp4"))});
  ASSERT_EQ(video.exitCode, 0) << video.err.toStdString();
  // Standard error is no terminal here: no progress bar.
  EXPECT_FALSE(video.err.contains(QLatin1Char('\r'))) << video.err.toStdString();
  const DecodedVideo clip = decodeVideo(path(QStringLiteral("clip.mp4")), {0, 1});
  ASSERT_TRUE(clip.ok) << clip.error.toStdString();
  EXPECT_EQ(clip.codec, QStringLiteral("h264"));
  EXPECT_TRUE(clip.container.contains(QStringLiteral("mp4")));
  EXPECT_EQ(clip.frames, 300);
  EXPECT_EQ(clip.width, 640);
  EXPECT_EQ(clip.height, 360);
  EXPECT_DOUBLE_EQ(clip.fps, 30);
  ASSERT_EQ(clip.pictures.size(), 2u);

  const CliRun first = runCli({QStringLiteral("render"), kRace, QStringLiteral("--time"),
                               QStringLiteral("-60"), QStringLiteral("--size"), QStringLiteral("640x360"),
                               QStringLiteral("-o"), path(QStringLiteral("first.png"))});
  ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
  const QImage rendered(path(QStringLiteral("first.png")));
  ASSERT_EQ(rendered.size(), QSize(640, 360));
  // Lossy coding shifts flat colours by a level or two and blurs thin
  // dotted lines; a frame one second of race later already differs.
  EXPECT_LT(meanColourDifference(clip.pictures[0], rendered), 4.0);
  EXPECT_LT(movedShare(clip.pictures[0], rendered), 0.01);
  EXPECT_GT(movedShare(clip.pictures[1], rendered), 0.01);

  // The whole-race view: the same picture as render draws it.
  const CliRun whole =
      runCli({QStringLiteral("video"), kRace, QStringLiteral("--whole-race"), QStringLiteral("--from"),
              QStringLiteral("600"), QStringLiteral("--to"), QStringLiteral("630"), QStringLiteral("--fps"),
              QStringLiteral("10"), QStringLiteral("--size"), QStringLiteral("640x480"), QStringLiteral("-o"),
              path(QStringLiteral("whole.mp4"))});
  ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
  const CliRun wholeFirst =
      runCli({QStringLiteral("render"), kRace, QStringLiteral("--whole-race"), QStringLiteral("--time"),
              QStringLiteral("600"), QStringLiteral("--size"), QStringLiteral("640x480"),
              QStringLiteral("-o"), path(QStringLiteral("whole.png"))});
  ASSERT_EQ(wholeFirst.exitCode, 0) << wholeFirst.err.toStdString();
  const DecodedVideo wholeClip = decodeVideo(path(QStringLiteral("whole.mp4")));
  ASSERT_TRUE(wholeClip.ok) << wholeClip.error.toStdString();
  EXPECT_EQ(wholeClip.frames, 10);
  ASSERT_EQ(wholeClip.pictures.size(), 1u);
  EXPECT_LT(movedShare(wholeClip.pictures[0], QImage(path(QStringLiteral("whole.png")))), 0.01);

  // WebM by its name, here 30 s at 30X and 10 frames a second: 10 frames.
  const CliRun webm = runCli({QStringLiteral("video"), kRace, QStringLiteral("--from"), QStringLiteral("0"),
                              QStringLiteral("--to"), QStringLiteral("30"), QStringLiteral("--fps"),
                              QStringLiteral("10"), QStringLiteral("--size"), QStringLiteral("320x180"),
                              QStringLiteral("-o"), path(QStringLiteral("clip.webm"))});
  ASSERT_EQ(webm.exitCode, 0) << webm.err.toStdString();
  const DecodedVideo vp9 = decodeVideo(path(QStringLiteral("clip.webm")));
  ASSERT_TRUE(vp9.ok) << vp9.error.toStdString();
  EXPECT_TRUE(vp9.codec.contains(QStringLiteral("vp9"))) << vp9.codec.toStdString();
  EXPECT_EQ(vp9.frames, 10);
  EXPECT_EQ(vp9.width, 320);
}

TEST_F(VideoExport, UnwritableTargetsFailWithTheReasonAndLeaveNoFile) {
  needCli();
  // Tests run as root, whom a read-only folder does not stop: a folder that
  // is a regular file stops everyone.
  const QString notAFolder = path(QStringLiteral("plain"));
  ASSERT_TRUE(writeFile(notAFolder, "x"));
  const QString target = notAFolder + QStringLiteral("/race.mp4");
  const CliRun r =
      runCli({QStringLiteral("video"), kRace, QStringLiteral("--to"), QStringLiteral("0"),
              QStringLiteral("--size"), QStringLiteral("320x180"), QStringLiteral("-o"), target});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains(target)) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains(QStringLiteral("is not a folder"))) << r.err.toStdString();
  EXPECT_EQ(entries(m_dir.path()), QStringList{QStringLiteral("plain")});

  // An earlier video the user protected stays as it is, for root too.
  const QString kept = path(QStringLiteral("kept.mp4"));
  ASSERT_TRUE(writeFile(kept, "older video"));
  ASSERT_TRUE(QFile::setPermissions(kept, QFileDevice::ReadOwner));
  const CliRun protectedFile =
      runCli({QStringLiteral("video"), kRace, QStringLiteral("--to"), QStringLiteral("0"),
              QStringLiteral("--size"), QStringLiteral("320x180"), QStringLiteral("-o"), kept});
  EXPECT_EQ(protectedFile.exitCode, 1);
  EXPECT_TRUE(protectedFile.err.contains(QStringLiteral("read-only"))) << protectedFile.err.toStdString();
  EXPECT_EQ(readAll(kept), QByteArray("older video"));
  QFile::setPermissions(kept, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  ASSERT_TRUE(QFile::remove(kept));

  // Sizes the colour planes cannot halve, and names of no video format,
  // are refused before anything is drawn.
  const CliRun odd =
      runCli({QStringLiteral("video"), kRace, QStringLiteral("--size"), QStringLiteral("641x360"),
              QStringLiteral("-o"), path(QStringLiteral("odd.mp4"))});
  EXPECT_EQ(odd.exitCode, 2);
  EXPECT_TRUE(odd.err.contains(QStringLiteral("even"))) << odd.err.toStdString();
  const CliRun avi =
      runCli({QStringLiteral("video"), kRace, QStringLiteral("-o"), path(QStringLiteral("a.avi"))});
  EXPECT_EQ(avi.exitCode, 2);
  EXPECT_EQ(entries(m_dir.path()), QStringList{QStringLiteral("plain")});

  // The encoder on its own: an odd size, a picture of the wrong size.
  const std::unique_ptr<VideoEncoder> encoder = newEncoder();
  ASSERT_TRUE(encoder);
  EXPECT_FALSE(encoder->open(path(QStringLiteral("e.mp4")), QSize(321, 180), 30));
  EXPECT_TRUE(encoder->errorString().contains(QStringLiteral("even")));
  ASSERT_TRUE(encoder->open(path(QStringLiteral("e.mp4")), QSize(320, 180), 30))
      << encoder->errorString().toStdString();
  QImage wrong(322, 180, QImage::Format_RGB32);
  wrong.fill(Qt::blue);
  EXPECT_FALSE(encoder->addFrame(wrong));
  EXPECT_EQ(entries(m_dir.path()), QStringList{QStringLiteral("plain")});
}

// FFmpeg is loaded only for a video: the command line maps none of its
// libraries, and a video without the module, or with a file that is not it,
// is refused with its name before anything is written.
TEST_F(VideoExport, WithoutItsModuleAVideoIsRefusedByName) {
  needCli();
  QProcess ldd;
  ldd.start(QStringLiteral("ldd"), {kCliPath});
  if (ldd.waitForFinished(30000) && ldd.exitCode() == 0) {
    const QByteArray mapped = ldd.readAllStandardOutput();
    EXPECT_FALSE(mapped.contains("libavcodec")) << mapped.toStdString();
    EXPECT_LE(mapped.count('\n'), 60) << mapped.toStdString();
  }

  const QString missing = path(QStringLiteral("lib/libvelaro_ffmpeg.so"));
  const QString notALibrary = path(QStringLiteral("text.so"));
  ASSERT_TRUE(writeFile(notALibrary, "not a library"));
  const QString foreign =
      QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6");
  const QString kNeeds = QStringLiteral("video export needs velaro's FFmpeg module: ");
  const struct {
    QString module;
    QString error;
  } kCases[] = {
      {missing, kNeeds + missing + QStringLiteral(" not found")},
      {notALibrary, kNeeds + QStringLiteral("cannot load it")},
      {foreign, kNeeds + foreign + QStringLiteral(" is of another version of velaro")},
  };
  for (const auto& c : kCases) {
    const ModuleNamed named(c.module);
    QString error;
    EXPECT_FALSE(makeVideoEncoder(error));
    EXPECT_TRUE(error.startsWith(c.error)) << error.toStdString();
  }

  QProcess cli;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QString::fromLatin1(kVideoModuleVariable), missing);
  cli.setProcessEnvironment(environment);
  const QString target = path(QStringLiteral("race.mp4"));
  cli.start(kCliPath, {QStringLiteral("video"), kRace, QStringLiteral("--to"), QStringLiteral("0"),
                       QStringLiteral("--size"), QStringLiteral("320x180"), QStringLiteral("-o"), target});
  ASSERT_TRUE(cli.waitForFinished(60000));
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_EQ(QString::fromUtf8(cli.readAllStandardError()),
            QStringLiteral("velaro-cli: ") + kNeeds + missing + QStringLiteral(" not found\n"));
  EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(VideoExport, AnInterruptedVideoLeavesNoFileAndTheOlderOneWhole) {
  const QString target = path(QStringLiteral("race.mp4"));
  ASSERT_TRUE(writeFile(target, "older video"));

  const LoadResult load = LoadRacePipeline(kRace, RaceFolders(kDemo), LoadOptions{});
  ASSERT_TRUE(load.loaded.has_value());
  const LoadedRace& loaded = *load.loaded;
  ExportView view;
  view.size = QSize(320, 180);
  ReplayTake take;
  take.from = 0;
  take.to = 300;
  ReplayFrames frames(loaded, exportSceneOptions(loaded, view), take);
  int seen = 0;
  bool sawPartialFile = false;
  const VideoOutcome stopped = writeReplayVideo(target, frames, [&](int done, int total) {
    EXPECT_EQ(done, seen + 1);
    EXPECT_EQ(total, 300);
    seen = done;
    sawPartialFile = sawPartialFile || entries(m_dir.path()).size() == 2;
    return done < 40;
  });
  EXPECT_TRUE(stopped.stopped);
  EXPECT_FALSE(stopped.written);
  EXPECT_EQ(stopped.frames, 40);
  EXPECT_TRUE(sawPartialFile);
  EXPECT_EQ(entries(m_dir.path()), QStringList{QStringLiteral("race.mp4")});
  EXPECT_EQ(readAll(target), QByteArray("older video"));

  // The command stops on SIGTERM at the next frame and removes its file.
  needCli();
  QProcess p;
  p.start(kCliPath, {QStringLiteral("video"), kRace, QStringLiteral("--size"), QStringLiteral("320x180"),
                     QStringLiteral("-o"), target});
  ASSERT_TRUE(p.waitForStarted());
  for (int i = 0; i < 600 && entries(m_dir.path()).size() < 2; ++i) {
    QThread::msleep(50);
  }
  ASSERT_EQ(entries(m_dir.path()).size(), 2) << "no partial file appeared";
  p.terminate();
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 130);
  EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("no video written")));
  EXPECT_EQ(entries(m_dir.path()), QStringList{QStringLiteral("race.mp4")});
  EXPECT_EQ(readAll(target), QByteArray("older video"));
}

TEST_F(VideoExport, ANewVideoFollowsTheUmaskAndAnEndlessTakeIsRefused) {
  // The video gets the permissions the umask leaves any new file; reading the
  // umask must not change it.
  const mode_t before = ::umask(027);
  const std::unique_ptr<VideoEncoder> encoder = newEncoder();
  ASSERT_TRUE(encoder);
  const QString made = path(QStringLiteral("made.mp4"));
  ASSERT_TRUE(encoder->open(made, QSize(64, 48), 10)) << encoder->errorString().toStdString();
  QImage frame(64, 48, QImage::Format_RGB32);
  frame.fill(Qt::blue);
  ASSERT_TRUE(encoder->addFrame(frame));
  ASSERT_TRUE(encoder->finish()) << encoder->errorString().toStdString();
  EXPECT_EQ(::umask(before), mode_t(027));
  EXPECT_EQ(QFileInfo(made).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);

  // Years of replay at a slow speed: more frames than an int holds.
  const LoadResult load = LoadRacePipeline(kRace, RaceFolders(kDemo), LoadOptions{});
  ASSERT_TRUE(load.loaded.has_value());
  ExportView view;
  view.size = QSize(64, 48);
  ReplayTake take;
  take.from = 0;
  take.to = 1e12;
  take.speed = 0.01;
  EXPECT_EQ(take.frameCount(), std::numeric_limits<int>::max());
  ReplayFrames frames(*load.loaded, exportSceneOptions(*load.loaded, view), take);
  const VideoOutcome refused = writeReplayVideo(path(QStringLiteral("endless.mp4")), frames);
  EXPECT_FALSE(refused.written);
  EXPECT_TRUE(refused.error.contains(QStringLiteral("faster speed"))) << refused.error.toStdString();
  EXPECT_EQ(entries(m_dir.path()), QStringList{QStringLiteral("made.mp4")});
  take.to = std::numeric_limits<double>::infinity();
  take.speed = std::numeric_limits<double>::infinity();
  EXPECT_EQ(take.frameCount(), 1);
}

TEST(ReplayTake, FramesCoverTheStretchAtTheSpeedAndRate) {
  ReplayTake take;
  take.from = -60;
  take.to = 240;
  take.speed = 30;
  take.fps = 30;
  EXPECT_EQ(take.frameCount(), 300);
  EXPECT_DOUBLE_EQ(take.timeOf(0), -60);
  EXPECT_DOUBLE_EQ(take.timeOf(299), 239);
  // A stretch that is no whole number of frames ends with the frame that
  // begins in its last part.
  take.to = 240.5;
  EXPECT_EQ(take.frameCount(), 301);
  take.speed = 7;
  take.fps = 24;
  take.to = -60 + 7.0 * 100 / 24;
  EXPECT_EQ(take.frameCount(), 100);
  take.to = take.from;
  EXPECT_EQ(take.frameCount(), 1);
}

}  // namespace
}  // namespace velaro
