#include "app/splashform.h"

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
  auto* image1 = splash.findChild<QLabel*>(QStringLiteral("Image1"));
  auto* image2 = splash.findChild<QLabel*>(QStringLiteral("Image2"));
  auto* memo1 = splash.findChild<QPlainTextEdit*>(QStringLiteral("memo1"));
  auto* memo2 = splash.findChild<QPlainTextEdit*>(QStringLiteral("memo2"));
  auto* memo3 = splash.findChild<QPlainTextEdit*>(QStringLiteral("Memo3"));
  auto* label1 = splash.findChild<QLabel*>(QStringLiteral("Label1"));
  auto* label3 = splash.findChild<QLabel*>(QStringLiteral("Label3"));
  ASSERT_TRUE(image1 && image2 && memo1 && memo2 && memo3 && label1 && label3);
  const int h = 800 - image1->height();
  EXPECT_EQ(image1->y(), qRound(h / 2.0));
  EXPECT_EQ(image1->x(), (1280 - image1->width()) / 2);
  EXPECT_EQ(memo1->y(), image1->geometry().bottom() + 1 + 10);
  EXPECT_EQ(image2->y(), image1->geometry().bottom() + 1 + 40);
  EXPECT_EQ(image2->width(), 400);
  EXPECT_EQ(memo3->y(), std::max(qRound(h / 2.0 - 130), 50));
  EXPECT_EQ(memo2->y(), std::max(qRound(h / 2.0 - 70), 110));
  EXPECT_EQ(memo2->width(), 1280);
  EXPECT_EQ(label1->y(), 800 - 35);
  EXPECT_EQ(label3->y(), 800 - 75);
  EXPECT_EQ(label3->text(), QStringLiteral("Velaro 2009"));
  EXPECT_FALSE(splash.coverShown());
}

TEST(SplashForm, ShortTitlesAreHiddenAndProgressFillsFromTheLeft) {
  SplashForm splash;
  splash.arrange(QSize(1024, 768));
  splash.setTitles(QStringLiteral("Summer Cup"), QStringLiteral("ab"));
  splash.show();
  auto* memo2 = splash.findChild<QPlainTextEdit*>(QStringLiteral("memo2"));
  auto* memo3 = splash.findChild<QPlainTextEdit*>(QStringLiteral("Memo3"));
  EXPECT_TRUE(memo2->isVisible());
  EXPECT_EQ(memo2->toPlainText(), QStringLiteral("Summer Cup"));
  EXPECT_FALSE(memo3->isVisible());
  EXPECT_EQ(splash.windowTitle(), QStringLiteral("Summer Cup"));

  splash.showProgress(QStringLiteral("a.gpx"), 1, 4);
  EXPECT_EQ(splash.findChild<QPlainTextEdit*>(QStringLiteral("memo1"))->toPlainText(),
            QStringLiteral("LOADING  a.gpx  (1/4)"));
  const QImage bar = splash.findChild<QLabel*>(QStringLiteral("Image2"))->pixmap().toImage();
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
  EXPECT_EQ(splash.findChild<QLabel*>(QStringLiteral("Image1"))->width(), 320);

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
