#include "app/panels/splashform.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(SplashForm, LayoutFollowsTheScreen) {
  SplashForm splash;
  splash.arrange(QSize(1280, 800));
  auto* picture = splash.findChild<QLabel*>(QStringLiteral("coverPicture"));
  auto* progress = splash.findChild<QLabel*>(QStringLiteral("progressBar"));
  auto* status = splash.findChild<QPlainTextEdit*>(QStringLiteral("statusLine"));
  auto* title = splash.findChild<QPlainTextEdit*>(QStringLiteral("raceTitle"));
  auto* subtitle = splash.findChild<QPlainTextEdit*>(QStringLiteral("raceSubtitle"));
  auto* credit = splash.findChild<QLabel*>(QStringLiteral("creditLine"));
  auto* year = splash.findChild<QLabel*>(QStringLiteral("yearLine"));
  ASSERT_TRUE(picture && progress && status && title && subtitle && credit && year);
  const int h = 800 - picture->height();
  EXPECT_EQ(picture->y(), qRound(h / 2.0));
  EXPECT_EQ(picture->x(), (1280 - picture->width()) / 2);
  EXPECT_EQ(status->y(), picture->geometry().bottom() + 1 + 10);
  EXPECT_EQ(progress->y(), picture->geometry().bottom() + 1 + 40);
  EXPECT_EQ(progress->width(), 400);
  EXPECT_EQ(subtitle->y(), std::max(qRound(h / 2.0 - 130), 50));
  EXPECT_EQ(title->y(), std::max(qRound(h / 2.0 - 70), 110));
  EXPECT_EQ(title->width(), 1280);
  EXPECT_EQ(credit->y(), 800 - 35);
  EXPECT_EQ(year->y(), 800 - 75);
  EXPECT_EQ(year->text(), QStringLiteral("Velaro 2009"));
  EXPECT_FALSE(splash.coverShown());
}

TEST(SplashForm, ShortTitlesAreHiddenAndProgressFillsFromTheLeft) {
  SplashForm splash;
  splash.arrange(QSize(1024, 768));
  splash.setTitles(QStringLiteral("Summer Cup"), QStringLiteral("ab"));
  splash.show();
  auto* title = splash.findChild<QPlainTextEdit*>(QStringLiteral("raceTitle"));
  auto* subtitle = splash.findChild<QPlainTextEdit*>(QStringLiteral("raceSubtitle"));
  EXPECT_TRUE(title->isVisible());
  EXPECT_EQ(title->toPlainText(), QStringLiteral("Summer Cup"));
  EXPECT_FALSE(subtitle->isVisible());
  EXPECT_EQ(splash.windowTitle(), QStringLiteral("Summer Cup"));

  splash.showProgress(QStringLiteral("a.gpx"), 1, 4);
  EXPECT_EQ(splash.findChild<QPlainTextEdit*>(QStringLiteral("statusLine"))->toPlainText(),
            QStringLiteral("LOADING  a.gpx  (1/4)"));
  const QImage bar = splash.findChild<QLabel*>(QStringLiteral("progressBar"))->pixmap().toImage();
  EXPECT_EQ(QColor(bar.pixel(99, 4)), QColor(0, 0, 255));
  EXPECT_NE(QColor(bar.pixel(100, 4)), QColor(0, 0, 255));

  const QString out = QStringLiteral(VELARO_BINARY_DIR) + QStringLiteral("/splash.png");
  EXPECT_TRUE(splash.grab().save(out));
}

TEST(SplashForm, CoverPictureReplacesTheBuiltInOne) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString cover = dir.filePath(QStringLiteral("cover.jpg"));
  QImage picture(320, 200, QImage::Format_RGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(cover, "JPG"));
  SplashForm splash(cover);
  EXPECT_TRUE(splash.coverShown());
  EXPECT_EQ(splash.findChild<QLabel*>(QStringLiteral("coverPicture"))->width(), 320);

  const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
  QFile f(broken);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_EQ(f.write("not a jpeg"), 10);
  f.close();
  SplashForm fallback(broken);
  EXPECT_FALSE(fallback.coverShown());
  EXPECT_FALSE(fallback.coverError().isEmpty());
}

}  // namespace
}  // namespace velaro
