#include "render/timebarimage.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

const QColor kWhite(255, 255, 255);
const QColor kGrayBlue(192, 192, 255);
const QColor kBackground(225, 225, 255);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

Boat boatWith(std::initializer_list<std::pair<double, double>> timeAndCourse) {
  Boat b;
  for (const auto& [t, course] : timeAndCourse) {
    Fix f;
    f.time = t;
    f.course = course;
    b.fixes.push_back(f);
  }
  return b;
}

// 100 s on a bar of 101 rows (a panel 161 high): face row 90 - t for time t.
Race shortRace(int windAxis) {
  Race r;
  r.TimeAxisStart = -10;
  r.TimeAxisEnd = 90;
  r.WindAxis = windAxis;
  return r;
}

QColor at(const QImage& image, int x, int y) {
  return image.pixelColor(x, y);
}

TEST(TimeBarImage, FaceColoursFollowTheFirstBoat) {
  struct Case {
    int windAxis;
    double upCourse;
    double acrossCourse;  // exactly 90 degrees off the wind axis
  };
  const Case cases[] = {{0, 10, 90}, {0, 350, 270}, {200, 120, 290}, {200, 250, 110}};
  for (const Case& c : cases) {
    Race r = shortRace(c.windAxis);
    // Upwind until 30 s, across the wind until 60 s, upwind again until 90 s.
    r.boats.push_back(boatWith({{0, c.upCourse}, {30, c.acrossCourse}, {60, c.upCourse}}));
    // A second boat running downwind all the time changes nothing.
    r.boats.push_back(
        boatWith({{-5, c.windAxis + 180.0}, {45, c.windAxis + 180.0}, {80, c.windAxis + 180.0}}));
    const QImage face = DrawTimeBarFace(BuildTimeBarFace(r, 101));
    ASSERT_EQ(face.size(), QSize(30, 101));
    const std::string where = "wind axis " + std::to_string(c.windAxis);

    // Row 90 - t stands for time t.
    for (int x : {1, 14, 28}) {
      EXPECT_EQ(at(face, x, 10), kWhite) << where;     // 80 s
      EXPECT_EQ(at(face, x, 29), kWhite) << where;     // 61 s
      EXPECT_EQ(at(face, x, 30), kWhite) << where;     // 60 s: the fix at 60 s
      EXPECT_EQ(at(face, x, 31), kGrayBlue) << where;  // 59 s
      EXPECT_EQ(at(face, x, 60), kGrayBlue) << where;  // 30 s
      EXPECT_EQ(at(face, x, 61), kWhite) << where;     // 29 s
      EXPECT_EQ(at(face, x, 89), kRed) << where;       // start mark, rows 89 to 91
      EXPECT_EQ(at(face, x, 91), kRed) << where;
      EXPECT_EQ(at(face, x, 92), kBackground) << where;  // before the first fix
    }
  }
}

TEST(TimeBarImage, FaceOutlineAndStartMark) {
  Race r = shortRace(0);
  r.boats.push_back(boatWith({{-5, 0}, {85, 0}}));
  const QImage face = DrawTimeBarFace(BuildTimeBarFace(r, 101));
  for (int y : {0, 50, 100}) {
    EXPECT_EQ(at(face, 0, y), kBlack);
    EXPECT_EQ(at(face, 29, y), kBlack);
  }
  for (int x : {1, 15, 28}) {
    EXPECT_EQ(at(face, x, 0), kBlack);
    EXPECT_EQ(at(face, x, 100), kBlack);
    EXPECT_EQ(at(face, x, 1), kWhite) << "the latest fix paints up to the top inner row";
    EXPECT_EQ(at(face, x, 99), kBackground) << "the axis start lies before the first fix";
  }
  // The start signal (time 0) is row 90; the mark covers rows 89 to 91 across
  // the whole width, outline included.
  for (int y = 89; y <= 91; ++y) {
    for (int x : {0, 1, 15, 29}) {
      EXPECT_EQ(at(face, x, y), kRed) << x << "," << y;
    }
  }
  EXPECT_EQ(at(face, 15, 88), kWhite);
  EXPECT_EQ(at(face, 15, 92), kWhite);
  EXPECT_EQ(at(face, 0, 92), kBlack);
}

TEST(TimeBarImage, PlainFaceWithoutSpan) {
  for (double end : {-10.0, -50.0}) {
    Race r = shortRace(0);
    r.TimeAxisEnd = end;
    r.boats.push_back(boatWith({{-20, 0}, {-8, 180}}));
    const QImage face = DrawTimeBarFace(BuildTimeBarFace(r, 101));
    ASSERT_EQ(face.size(), QSize(30, 101));
    for (int y = 1; y < 100; ++y) {
      EXPECT_EQ(at(face, 15, y), kBackground) << y;
    }
  }
}

// Counts the pixels of one colour inside and outside a rectangle.
std::pair<int, int> countInAndOut(const QImage& image, const QRect& rect, const QColor& colour) {
  int in = 0, out = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (at(image, x, y) == colour) {
        (rect.contains(x, y) ? in : out) += 1;
      }
    }
  }
  return {in, out};
}

TEST(TimeBarImage, FrameByDayAndNightWithTheStartButton) {
  const TimeBarScale scale = TimeBarScale::of(-10, 90, 100);
  const QSize panel(50, 160);
  const double rise = 6 * 3600, set = 18 * 3600;
  const QRect button(QPoint(5, 135), QPoint(45, 155));

  const QImage day = DrawBackTimeBar(scale, panel, 12 * 3600, rise, set);
  const QImage night = DrawBackTimeBar(scale, panel, 2 * 3600, rise, set);
  for (const auto& [image, shade] :
       {std::pair{day, QColor(255, 255, 192)}, std::pair{night, QColor(0, 0, 192)}}) {
    ASSERT_EQ(image.size(), panel);
    for (int y : {0, 28, 80, 130, 134, 159}) {
      for (int x : {0, 4, 25, 49}) {
        EXPECT_EQ(at(image, x, y), shade) << x << "," << y;
      }
    }
    // The button's corners are on it; one pixel further out is the frame.
    EXPECT_EQ(at(image, 5, 135), kRed);
    EXPECT_EQ(at(image, 45, 155), kRed);
    EXPECT_EQ(at(image, 45, 135), kRed);
    EXPECT_EQ(at(image, 4, 135), shade);
    EXPECT_EQ(at(image, 46, 155), shade);
    EXPECT_EQ(at(image, 5, 134), shade);
    EXPECT_EQ(at(image, 5, 156), shade);
    // "START" in white, only on the button.
    const auto [in, out] = countInAndOut(image, button, kWhite);
    EXPECT_GT(in, 15);
    EXPECT_EQ(out, 0);
  }

  // Dusk: twenty minutes before sunset at panel row 0 (120 s after the start),
  // rows further down are earlier and brighter.
  const QImage dusk = DrawBackTimeBar(scale, panel, static_cast<int>(set) - 1320, rise, set);
  EXPECT_EQ(at(dusk, 0, 0), QColor(191, 191, 192));
  EXPECT_EQ(at(dusk, 49, 0), QColor(191, 191, 192));
  for (int y = 1; y < 130; ++y) {
    EXPECT_GE(at(dusk, 0, y).red(), at(dusk, 0, y - 1).red()) << y;
  }
}

TEST(TimeBarImage, PointerIsRed) {
  const QImage pointer = DrawTimePointer();
  ASSERT_EQ(pointer.size(), QSize(48, 3));
  const auto [in, out] = countInAndOut(pointer, pointer.rect(), kRed);
  EXPECT_EQ(in, 48 * 3);
  EXPECT_EQ(out, 0);
}

TEST(TimeBarImage, PicturesForAPanel) {
  Race r = shortRace(0);
  r.TimeAxisStart = -190;
  r.TimeAxisEnd = 3630;
  r.boats.push_back(boatWith({{0, 0}, {1800, 180}}));
  MapGeometry g;
  g.StartSecondOfDay = 10 * 3600;
  g.SunriseSecond = 5 * 3600;
  g.SunsetSecond = 19 * 3600;
  const TimeBarImages images = BuildTimeBarImages(r, g, QSize(50, 600));
  EXPECT_EQ(images.BackTimeBar.size(), QSize(50, 600));
  EXPECT_EQ(images.TimeBar.size(), QSize(30, 540));
  EXPECT_EQ(images.TimePointer.size(), QSize(48, 3));
  EXPECT_EQ(at(images.BackTimeBar, 0, 0), QColor(255, 255, 192));
  // Start signal at row round(539 * 3630 / 3820) = 512; later rows of the face
  // above 1800 s are downwind, those between the start and 1800 s upwind.
  EXPECT_EQ(at(images.TimeBar, 15, 512), kRed);
  EXPECT_EQ(at(images.TimeBar, 15, 100), kGrayBlue);
  EXPECT_EQ(at(images.TimeBar, 15, 400), kWhite);

  // Panels too small for a bar, and an empty axis, still give pictures.
  for (const QSize panel : {QSize(50, 40), QSize(0, 0), QSize(50, 61)}) {
    const TimeBarImages small = BuildTimeBarImages(r, g, panel);
    EXPECT_FALSE(small.BackTimeBar.isNull());
    EXPECT_EQ(small.TimeBar.size(), QSize(30, std::max(1, panel.height() - 60)));
  }
  r.TimeAxisEnd = r.TimeAxisStart;
  const TimeBarImages empty = BuildTimeBarImages(r, g, QSize(50, 600));
  EXPECT_EQ(at(empty.TimeBar, 15, 300), kBackground);
}

}  // namespace
}  // namespace velaro
