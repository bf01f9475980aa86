#include "render/kmlicons.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

// Centre of the opaque pixels, relative to the picture's centre.
QPointF opaqueCentre(const QImage& image) {
  double x = 0;
  double y = 0;
  int n = 0;
  for (int row = 0; row < image.height(); ++row) {
    for (int col = 0; col < image.width(); ++col) {
      if (qAlpha(image.pixel(col, row)) > 128) {
        x += col;
        y += row;
        ++n;
      }
    }
  }
  if (n == 0) {
    return {};
  }
  return {x / n - (image.width() - 1) / 2.0, y / n - (image.height() - 1) / 2.0};
}

TEST(KmlIcons, NamesCoverEveryTenDegreesAndTheBuoy) {
  const QStringList names = kmlIconFileNames();
  ASSERT_EQ(names.size(), 37);
  EXPECT_EQ(names.first(), QStringLiteral("ar0.png"));
  EXPECT_EQ(names[35], QStringLiteral("ar350.png"));
  EXPECT_EQ(names.last(), QStringLiteral("buoi.png"));
}

// The arrow's head is wider than its tail, so its opaque pixels lean towards
// the direction it points.
TEST(KmlIcons, ArrowsPointAlongTheCourse) {
  const struct {
    int course;
    double dx;
    double dy;
  } cases[] = {{0, 0, -1}, {90, 1, 0}, {180, 0, 1}, {270, -1, 0}};
  for (const auto& c : cases) {
    const QPointF centre = opaqueCentre(kmlArrowIcon(c.course));
    const double length = std::hypot(centre.x(), centre.y());
    ASSERT_GT(length, 0.5) << c.course;
    EXPECT_NEAR(centre.x() / length, c.dx, 0.1) << c.course;
    EXPECT_NEAR(centre.y() / length, c.dy, 0.1) << c.course;
  }
  // Corners stay transparent so the globe shows through.
  EXPECT_EQ(qAlpha(kmlArrowIcon(45).pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(kmlBuoyIcon().pixel(0, 0)), 0);
  EXPECT_GT(qAlpha(kmlBuoyIcon().pixel(16, 16)), 200);
}

TEST(KmlIcons, MissingPicturesAreDrawnAndOthersKept) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString folder = dir.filePath(QStringLiteral("ya"));
  ASSERT_TRUE(QDir().mkpath(folder));
  // A club's own buoy stays as it is.
  {
    QFile own(QDir(folder).filePath(QStringLiteral("buoi.png")));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    ASSERT_EQ(own.write("own"), 3);
  }
  EXPECT_FALSE(ensureKmlIcons(folder).has_value());
  for (const QString& name : kmlIconFileNames()) {
    ASSERT_TRUE(QFileInfo::exists(QDir(folder).filePath(name))) << name.toStdString();
  }
  QFile own(QDir(folder).filePath(QStringLiteral("buoi.png")));
  ASSERT_TRUE(own.open(QIODevice::ReadOnly));
  EXPECT_EQ(own.readAll(), QByteArray("own"));
  const QImage arrow(QDir(folder).filePath(QStringLiteral("ar40.png")));
  EXPECT_FALSE(arrow.isNull());
  EXPECT_EQ(arrow.size(), QSize(32, 32));
}

TEST(KmlIcons, FolderThatCannotBeMadeIsReported) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString blocker = dir.filePath(QStringLiteral("races"));
  QFile file(blocker);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  const std::optional<WriteError> error = ensureKmlIcons(blocker + QStringLiteral("/ya"));
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(error->file.endsWith(QStringLiteral("ya")));
}

}  // namespace
}  // namespace velaro
