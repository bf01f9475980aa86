#include "core/replay/timebar.h"

#include <gtest/gtest.h>

#include <random>

namespace velaro {
namespace {

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

// An axis of 100 s on a bar of 101 rows: the face has one row per second,
// row 90 - t for time t.
Race raceOnShortAxis() {
  Race r;
  r.TimeAxisStart = -10;
  r.TimeAxisEnd = 90;
  r.WindAxis = 0;
  return r;
}

// The colour each inner row ends with when every fix paints rows 1 to its
// own row in fix order: the drawing the face's runs stand for.
std::vector<Rgb> paintedRows(const Race& race, int height) {
  const TimeBarScale scale = TimeBarScale::of(race.TimeAxisStart, race.TimeAxisEnd, height);
  std::vector<Rgb> rows(static_cast<size_t>(height), kTimeBarBackground);
  for (const Fix& f : race.boats.front().fixes) {
    if (!(race.TimeAxisStart < f.time && f.time < race.TimeAxisEnd)) {
      continue;
    }
    const Rgb c = isDownwindCourse(f.course, race.WindAxis) ? kDownwindColour : kUpwindColour;
    for (int y = 1; y <= std::min(scale.faceRowOf(f.time), height - 2); ++y) {
      rows[static_cast<size_t>(y)] = c;
    }
  }
  return rows;
}

std::vector<Rgb> rowsOfFace(const TimeBarFace& face) {
  std::vector<Rgb> rows(static_cast<size_t>(face.height), face.background);
  for (const FaceRun& run : face.runs) {
    EXPECT_GE(run.firstRow, 1);
    EXPECT_LE(run.lastRow, face.height - 2);
    EXPECT_LE(run.firstRow, run.lastRow);
    for (int y = run.firstRow; y <= run.lastRow; ++y) {
      rows[static_cast<size_t>(y)] = run.colour;
    }
  }
  return rows;
}

TEST(TimeBar, CourseAcrossTheWindCountsAsDownwind) {
  struct Case {
    double course;
    int windAxis;
    bool downwind;
  };
  const Case cases[] = {{0, 0, false},   {89, 0, false},   {90, 0, true},     {270, 0, true},
                        {271, 0, false}, {180, 0, true},   {350, 10, false},  {10, 350, false},
                        {100, 10, true}, {281, 10, false}, {279.6, 10, true}, {89.4, 0, false},
                        {5, 365, false}, {185, -2, true},  {95, 365, true},   {-80, 10, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(isDownwindCourse(c.course, c.windAxis), c.downwind) << c.course << " / " << c.windAxis;
  }
}

TEST(TimeBar, FaceFollowsTheFirstBoatOnly) {
  Race r = raceOnShortAxis();
  r.boats.push_back(boatWith({{-10, 180}, {0, 10}, {30, 90}, {60, 300}, {90, 180}, {95, 180}}));
  const TimeBarFace face = BuildTimeBarFace(r, 101);
  EXPECT_EQ(face.height, 101);
  // Fixes on the axis ends do not paint; each later fix covers the rows above.
  const std::vector<FaceRun> expected = {
      {1, 30, kUpwindColour}, {31, 60, kDownwindColour}, {61, 90, kUpwindColour}};
  EXPECT_EQ(face.runs, expected);
  ASSERT_TRUE(face.startMarkRow);
  EXPECT_EQ(*face.startMarkRow, 90);

  Race withOthers = r;
  withOthers.boats.push_back(boatWith({{1, 180}, {20, 180}, {40, 180}, {80, 180}}));
  withOthers.boats.push_back(boatWith({{-5, 0}, {50, 90}}));
  EXPECT_EQ(BuildTimeBarFace(withOthers, 101).runs, expected);

  Race othersFirst = withOthers;
  std::swap(othersFirst.boats[0], othersFirst.boats[1]);
  EXPECT_NE(BuildTimeBarFace(othersFirst, 101).runs, expected);
}

TEST(TimeBar, FaceRowsMatchPaintingEveryFixInOrder) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> time(-40, 120);
  std::uniform_real_distribution<double> course(0, 360);
  for (int trial = 0; trial < 200; ++trial) {
    Race r = raceOnShortAxis();
    r.WindAxis = trial % 360;
    Boat b;
    const int n = trial % 30;
    double t = time(rng);
    for (int i = 0; i < n; ++i) {
      Fix f;
      // Mostly rising times, sometimes a step back as real logs have.
      t += (trial % 3 == 0) ? time(rng) / 8 : std::abs(time(rng)) / 8;
      f.time = t;
      f.course = std::round(course(rng));
      b.fixes.push_back(f);
    }
    r.boats.push_back(b);
    const int height = 20 + trial % 200;
    const TimeBarFace face = BuildTimeBarFace(r, height);
    EXPECT_EQ(rowsOfFace(face), paintedRows(r, height)) << "trial " << trial;
  }
}

TEST(TimeBar, PlainFaceWithoutFixesInsideTheAxis) {
  Race r = raceOnShortAxis();
  EXPECT_TRUE(BuildTimeBarFace(r, 101).runs.empty());
  r.boats.push_back(boatWith({{-50, 0}, {-10, 0}, {90, 0}, {200, 0}}));
  EXPECT_TRUE(BuildTimeBarFace(r, 101).runs.empty());

  // A finish before the start leaves no span: plain face, no start mark.
  r.TimeAxisEnd = -10;
  const TimeBarFace face = BuildTimeBarFace(r, 101);
  EXPECT_TRUE(face.runs.empty());
  EXPECT_FALSE(face.startMarkRow);
}

TEST(TimeBar, RowsAndTimes) {
  const TimeBarScale s = TimeBarScale::of(-190, 3630, 500);
  EXPECT_EQ(s.TimeSpan, 3820);
  EXPECT_DOUBLE_EQ(s.timeOfRow(0), 3630);
  // The bottom row is one row's worth (7.64 s) after the start.
  EXPECT_DOUBLE_EQ(s.timeOfRow(499), -182);
  EXPECT_DOUBLE_EQ(s.clampToAxis(s.timeOfRow(499)), -182);
  EXPECT_DOUBLE_EQ(s.timeOfRow(510), -266);  // shown unclamped
  EXPECT_DOUBLE_EQ(s.clampToAxis(s.timeOfRow(510)), -190);
  EXPECT_DOUBLE_EQ(s.clampToAxis(s.timeOfRow(-3)), 3630);

  EXPECT_EQ(s.pointerTop(3630), 28);
  EXPECT_EQ(s.pointerTop(-190), 528);
  EXPECT_EQ(s.pointerTop(0), 503);  // 3630 * 500 / 3820 = 475.1

  const TimeBarScale empty = TimeBarScale::of(100, 100, 500);
  EXPECT_EQ(empty.pointerTop(50), 28);
  EXPECT_DOUBLE_EQ(empty.timeOfRow(250), 100);

  EXPECT_EQ(timeBarHeight(560), 500);
  EXPECT_EQ(timeBarHeight(40), 1);
}

TEST(TimeBar, StartBandAtThePanelFoot) {
  EXPECT_TRUE(inStartBand(599, 600));
  EXPECT_TRUE(inStartBand(571, 600));
  EXPECT_FALSE(inStartBand(570, 600));
  EXPECT_FALSE(inStartBand(0, 600));
  const StartButton b = startButtonOf(52, 600);
  EXPECT_EQ(b.left, 5);
  EXPECT_EQ(b.top, 575);
  EXPECT_EQ(b.right, 47);
  EXPECT_EQ(b.bottom, 595);
  EXPECT_EQ(b.textX, 7);
  EXPECT_EQ(b.textY, 581);
  EXPECT_EQ(b.text, QStringLiteral("START"));
  EXPECT_TRUE(inStartBand(b.top, 600));
  EXPECT_TRUE(inStartBand(b.bottom, 600));
}

TEST(TimeBar, DayLightFrameByTheTimeOfEachRow) {
  // 100 rows for 100 s: panel row y stands for 120 - y seconds after the start.
  const TimeBarScale s = TimeBarScale::of(-10, 90, 100);
  const double rise = 6 * 3600, set = 18 * 3600;
  const std::vector<Rgb> day = dayLightRows(s, 160, 12 * 3600, rise, set);
  ASSERT_EQ(day.size(), 160u);
  for (const Rgb& c : day) {
    EXPECT_EQ(c, (Rgb{255, 255, 192}));
  }
  const std::vector<Rgb> night = dayLightRows(s, 160, 2 * 3600, rise, set);
  for (const Rgb& c : night) {
    EXPECT_EQ(c, (Rgb{0, 0, 192}));
  }
  // Twenty minutes before sunset at panel row 0 (time 120): 1200 + 120 s.
  const std::vector<Rgb> dusk = dayLightRows(s, 160, static_cast<int>(set) - 1320, rise, set);
  EXPECT_EQ(dusk[0], (Rgb{191, 191, 192}));  // 75 * 2.55 = 191.25
  for (size_t y = 1; y < dusk.size(); ++y) {
    EXPECT_GE(dusk[y].r, dusk[y - 1].r) << "earlier rows lower down are brighter";
  }
}

TEST(TimeBar, PreviewShowsTheFixAtOrBeforeTheTime) {
  const Boat b = boatWith({{0, 0}, {10, 0}, {20, 0}});
  struct Case {
    double t;
    std::optional<int> fix;
  };
  const Case cases[] = {{-1, std::nullopt}, {0, 0}, {9.9, 0}, {10, 1}, {19.99, 1}, {20, std::nullopt}};
  for (const Case& c : cases) {
    EXPECT_EQ(previewFix(b, c.t), c.fix) << c.t;
  }
  EXPECT_EQ(previewFix(Boat{}, 5), std::nullopt);
}

}  // namespace
}  // namespace velaro
