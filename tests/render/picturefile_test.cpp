#include "render/picturefile.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>

namespace velaro {
namespace {

QImage testPicture(QSize size) {
  QImage picture(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y) {
    for (int x = 0; x < size.width(); ++x) {
      picture.setPixel(x, y, qRgb((x * 7) % 256, (y * 13) % 256, (x + y) % 256));
    }
  }
  return picture;
}

QByteArray contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

TEST(PictureFile, BmpAndPngReadBackWithSizeAndPixels) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QImage picture = testPicture(QSize(301, 199));  // odd width: BMP rows are padded
  const QString bmp = dir.filePath(QStringLiteral("NoName.bmp"));
  ASSERT_EQ(pictureFormatFor(bmp), PictureFormat::Bmp);
  ASSERT_EQ(pictureFormatFor(QStringLiteral("x.BMP")), PictureFormat::Bmp);
  ASSERT_EQ(pictureFormatFor(QStringLiteral("x.png")), PictureFormat::Png);
  ASSERT_FALSE(SavePicture(picture, bmp, PictureFormat::Bmp).has_value());
  QImageReader reader(bmp);
  EXPECT_EQ(reader.format(), QByteArray("bmp"));
  const QImage back = reader.read();
  ASSERT_EQ(back.size(), picture.size());
  EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture);

  // A second save overwrites the first and leaves nothing else behind.
  const QImage second = testPicture(QSize(40, 30));
  ASSERT_FALSE(SavePicture(second, bmp, PictureFormat::Bmp).has_value());
  EXPECT_EQ(QImage(bmp).convertToFormat(QImage::Format_RGB32), second);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("NoName.bmp")});

  const QString png = dir.filePath(QStringLiteral("graph.png"));
  ASSERT_FALSE(SavePicture(picture, png, PictureFormat::Png).has_value());
  EXPECT_TRUE(contents(png).startsWith("\x89PNG"));
  EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), picture);
}

// Tests run as root, whom a read-only folder does not stop. A regular file
// where the folder should be stops everyone, and so does a file size limit,
// which makes the write fail half-way, after the new file was begun.
TEST(PictureFile, FailedWritesNameTheFileAndKeepTheEarlierOne) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QImage picture = testPicture(QSize(200, 150));

  const QString blocker = dir.filePath(QStringLiteral("Documents"));
  QFile file(blocker);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  const QString inFile = blocker + QStringLiteral("/NoName.bmp");
  std::optional<WriteError> error = SavePicture(picture, inFile, PictureFormat::Bmp);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->file, inFile);
  EXPECT_FALSE(error->reason.isEmpty());
  EXPECT_TRUE(error->toString().startsWith(inFile));

  const QString bmp = dir.filePath(QStringLiteral("NoName.bmp"));
  ASSERT_FALSE(SavePicture(testPicture(QSize(10, 10)), bmp, PictureFormat::Bmp).has_value());
  const QByteArray earlier = contents(bmp);

  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 4096;
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  error = SavePicture(picture, bmp, PictureFormat::Bmp);  // about 90 kB
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->file, bmp);
  EXPECT_EQ(contents(bmp), earlier);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
            (QStringList{QStringLiteral("Documents"), QStringLiteral("NoName.bmp")}));

  // An earlier file marked read-only is refused and kept, for root too.
  ASSERT_TRUE(QFile::setPermissions(bmp, QFileDevice::ReadOwner | QFileDevice::ReadUser));
  error = SavePicture(picture, bmp, PictureFormat::Bmp);
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(error->reason.contains(QStringLiteral("read-only")));
  EXPECT_EQ(contents(bmp), earlier);
  QFile::setPermissions(bmp, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

  EXPECT_TRUE(SavePicture(QImage(), bmp, PictureFormat::Bmp).has_value());
  EXPECT_EQ(contents(bmp), earlier);
}

}  // namespace
}  // namespace velaro
