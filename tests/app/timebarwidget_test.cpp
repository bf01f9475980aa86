#include "app/panels/timebarwidget.h"
#include "languageonscreen.h"

#include "core/replay/replayclock.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace velaro {
namespace {

// The signals of one widget, in the order they came.
struct Recorder {
  std::vector<double> previews;
  std::vector<double> jumps;
  std::vector<double> starts;
  int ended = 0;

  explicit Recorder(TimeBarWidget& w) {
    QObject::connect(&w, &TimeBarWidget::previewRequested, [this](double t) { previews.push_back(t); });
    QObject::connect(&w, &TimeBarWidget::jumpRequested, [this](double t) { jumps.push_back(t); });
    QObject::connect(&w, &TimeBarWidget::startRequested, [this](double t) { starts.push_back(t); });
    QObject::connect(&w, &TimeBarWidget::previewEnded, [this] { ++ended; });
  }
};

Fix fixAt(double time, double lat, double lon) {
  Fix f;
  f.time = time;
  f.lat = lat;
  f.lon = lon;
  return f;
}

// An hour's race with 190 s before the start: on a 600-pixel panel the bar
// has 540 rows for 3820 s.
LoadedRace hourRace() {
  LoadedRace loaded;
  Race& r = loaded.race;
  r.TimeAxisStart = -190;
  r.TimeAxisEnd = 3630;
  r.RaceStart = 40013.5;  // 2009-07-19 12:00 local
  Boat a;
  a.fixes = {fixAt(-100, 2100, 8300), fixAt(0, 2101, 8301), fixAt(1000, 2102, 8302)};
  Boat b;
  b.fixes = {fixAt(500, 2200, 8400), fixAt(4000, 2201, 8401)};
  r.boats = {a, b};
  loaded.geometry.StartSecondOfDay = 12 * 3600;
  loaded.geometry.SunriseSecond = 5 * 3600;
  loaded.geometry.SunsetSecond = 19 * 3600;
  return loaded;
}

QWidget* child(TimeBarWidget& w, const char* name) {
  QWidget* c = w.findChild<QWidget*>(QString::fromLatin1(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

void send(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton) {
  QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button,
                    type == QEvent::MouseMove ? Qt::MouseButtons() : Qt::MouseButtons(button),
                    Qt::NoModifier);
  QCoreApplication::sendEvent(target, &event);
}

void click(QWidget* target, QPoint pos) {
  send(target, QEvent::MouseButtonPress, pos, Qt::LeftButton);
}

class TimeBarWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_widget.resize(50, 600);
    m_widget.setRace(&m_loaded);
    // A hidden widget gets its resize events only when shown.
    m_widget.show();
  }

  LoadedRace m_loaded = hourRace();
  TimeBarWidget m_widget;
};

TEST_F(TimeBarWidgetTest, ChildrenPlacedInThePanel) {
  EXPECT_EQ(m_widget.objectName(), QStringLiteral("timeBarPanel"));
  EXPECT_EQ(child(m_widget, "timeBarFrame")->geometry(), QRect(0, 0, 50, 600));
  EXPECT_EQ(child(m_widget, "timeBar")->geometry(), QRect(11, 29, 30, 540));
  EXPECT_EQ(child(m_widget, "timePointer")->size(), QSize(48, 3));
  EXPECT_EQ(child(m_widget, "timePointer")->x(), 1);

  // A taller window gives a longer bar with the same margins.
  m_widget.resize(50, 800);
  EXPECT_EQ(child(m_widget, "timeBarFrame")->geometry(), QRect(0, 0, 50, 800));
  EXPECT_EQ(child(m_widget, "timeBar")->geometry(), QRect(11, 29, 30, 740));
  const auto* bar = static_cast<QLabel*>(child(m_widget, "timeBar"));
  EXPECT_EQ(bar->pixmap().size(), QSize(30, 740));
}

TEST_F(TimeBarWidgetTest, PointerFollowsTheSceneTime) {
  QWidget* pointer = child(m_widget, "timePointer");
  struct Case {
    double sceneTime;
    int top;
  };
  // round((3630 - t) * 540 / 3820) + 28
  const Case cases[] = {{3630, 28}, {-190, 568}, {0, 541}, {1720, 298}};
  for (const Case& c : cases) {
    m_widget.setSceneTime(c.sceneTime);
    EXPECT_EQ(pointer->y(), c.top) << c.sceneTime;
  }
  // The pointer keeps its time when the panel changes height.
  m_widget.setSceneTime(-190);
  m_widget.resize(50, 400);
  EXPECT_EQ(pointer->y(), 340 + 28);
}

TEST_F(TimeBarWidgetTest, ClicksOnTheBarJumpToTheRowsTime) {
  Recorder rec(m_widget);
  QWidget* bar = child(m_widget, "timeBar");
  click(bar, QPoint(15, 0));
  click(bar, QPoint(3, 539));
  click(bar, QPoint(15, 270));
  // Top row: the end of the axis. Bottom row: one row's worth (7.07 s) after
  // the start, to the whole second.
  const std::vector<double> expected = {3630, -183, 1720};
  EXPECT_EQ(rec.jumps, expected);
  EXPECT_TRUE(rec.starts.empty());
  EXPECT_TRUE(rec.previews.empty());

  // A quick second click jumps as well.
  send(bar, QEvent::MouseButtonDblClick, QPoint(15, 0), Qt::LeftButton);
  EXPECT_EQ(rec.jumps.size(), 4u);
  send(child(m_widget, "timeBarFrame"), QEvent::MouseButtonDblClick, QPoint(15, 590), Qt::LeftButton);
  EXPECT_EQ(rec.starts.size(), 1u);

  // Dragged past the bar's ends the time stays on the axis.
  m_widget.onBarMouseDown(560);
  m_widget.onBarMouseDown(-20);
  EXPECT_EQ(rec.jumps.back(), 3630);
  EXPECT_EQ(rec.jumps[rec.jumps.size() - 2], -190);
}

TEST_F(TimeBarWidgetTest, ClickOnThePointerReachesTheBar) {
  m_widget.setSceneTime(1720);  // pointer rows 298..300, over the bar
  EXPECT_EQ(m_widget.childAt(20, 299), child(m_widget, "timeBar"));
  EXPECT_EQ(m_widget.childAt(2, 299), child(m_widget, "timeBarFrame"));
}

TEST_F(TimeBarWidgetTest, StartBandRewindsOnEveryPage) {
  Recorder rec(m_widget);
  QWidget* back = child(m_widget, "timeBarFrame");
  click(back, QPoint(25, 570));  // just above the band
  click(back, QPoint(25, 10));   // the frame above the bar
  EXPECT_TRUE(rec.starts.empty());
  click(back, QPoint(25, 571));
  click(back, QPoint(3, 599));
  click(back, QPoint(25, 585));  // on the button
  EXPECT_EQ(rec.starts, (std::vector<double>{-190, -190, -190}));
  EXPECT_TRUE(rec.jumps.empty());

  // Wired to the clock as the window wires it: a click on the bar moves the
  // replay only on the Track page, the START band on every page.
  ReplayClock clock;
  ClockRace race;
  race.TimeAxisStart = -190;
  race.TimeAxisEnd = 3630;
  clock.startRace(race);
  for (int page : {1, 2}) {
    int Page = page;
    clock.setSceneTime(2000);
    QObject::connect(&m_widget, &TimeBarWidget::jumpRequested,
                     [&](double t) { clock.timeBarClick(t, Page, 1); });
    QObject::connect(&m_widget, &TimeBarWidget::startRequested, [&](double) { clock.rewindToStart(); });
    click(child(m_widget, "timeBar"), QPoint(15, 270));
    EXPECT_EQ(clock.SceneTime(), page == 1 ? 1720 : 2000) << "page " << page;
    click(back, QPoint(25, 590));
    EXPECT_EQ(clock.SceneTime(), -190) << "page " << page;
    QObject::disconnect(&m_widget, nullptr, nullptr, nullptr);
  }
}

TEST_F(TimeBarWidgetTest, PreviewWhileThePointerIsOverTheBar) {
  Recorder rec(m_widget);
  QWidget* bar = child(m_widget, "timeBar");
  QWidget* back = child(m_widget, "timeBarFrame");
  EXPECT_FALSE(m_widget.mouseOnTimeBar());

  send(bar, QEvent::MouseMove, QPoint(15, 270));
  EXPECT_TRUE(m_widget.mouseOnTimeBar());
  ASSERT_EQ(rec.previews, std::vector<double>{1720});
  EXPECT_EQ(m_widget.preview().y, 270);
  EXPECT_EQ(m_widget.preview().rowTime, 1720);
  EXPECT_EQ(m_widget.preview().clockText, clockTextAt(m_loaded.race.RaceStart, 1720));

  // Dragged below the bar: the read-out shows the row's own time, the boats
  // stay at the start of the axis.
  m_widget.onBarMouseMove(560);
  EXPECT_EQ(rec.previews.back(), -190);
  EXPECT_EQ(m_widget.preview().rowTime, -331);  // 3630 - 560 * 3820 / 540 = -331.5, to even
  EXPECT_EQ(m_widget.preview().clockText, clockTextAt(m_loaded.race.RaceStart, -331));
  EXPECT_EQ(rec.ended, 0);

  // Onto the frame: the preview ends once.
  send(back, QEvent::MouseMove, QPoint(5, 300));
  send(back, QEvent::MouseMove, QPoint(5, 310));
  EXPECT_EQ(rec.ended, 1);
  EXPECT_FALSE(m_widget.mouseOnTimeBar());

  // Out of the panel in one move, without passing over the frame.
  send(bar, QEvent::MouseMove, QPoint(15, 100));
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&m_widget, &leave);
  EXPECT_EQ(rec.ended, 2);
  EXPECT_TRUE(rec.jumps.empty());
}

TEST_F(TimeBarWidgetTest, PreviewPositionsAreTheFixesAtOrBeforeTheTime) {
  const auto at0 = m_widget.previewPositions(0);
  ASSERT_EQ(at0.size(), 2u);
  EXPECT_EQ(at0[0], (GeoPoint{2101, 8301}));
  EXPECT_EQ(at0[1], std::nullopt);  // boat 2 starts logging at 500 s

  const auto at999 = m_widget.previewPositions(999.5);
  EXPECT_EQ(at999[0], (GeoPoint{2101, 8301}));  // the fix itself, not between fixes
  EXPECT_EQ(at999[1], (GeoPoint{2200, 8400}));

  const auto late = m_widget.previewPositions(1000);
  EXPECT_EQ(late[0], std::nullopt);  // at its last fix the track has ended
  EXPECT_EQ(late[1], (GeoPoint{2200, 8400}));
}

TEST_F(TimeBarWidgetTest, EmptyOrReversedAxis) {
  for (double end : {-190.0, -500.0}) {
    LoadedRace loaded = hourRace();
    loaded.race.TimeAxisEnd = end;
    TimeBarWidget w;
    w.resize(50, 600);
    w.setRace(&loaded);
    Recorder rec(w);
    w.setSceneTime(0);
    EXPECT_EQ(child(w, "timePointer")->y(), 28);
    click(child(w, "timeBar"), QPoint(15, 0));
    click(child(w, "timeBar"), QPoint(15, 539));
    w.onBarMouseMove(300);
    ASSERT_EQ(rec.jumps.size(), 2u);
    // Every time the bar gives is the start of the axis.
    EXPECT_EQ(rec.jumps[0], -190);
    EXPECT_EQ(rec.jumps[1], -190);
    EXPECT_EQ(rec.previews, std::vector<double>{-190});
    click(child(w, "timeBarFrame"), QPoint(25, 590));
    EXPECT_EQ(rec.starts, std::vector<double>{-190});
  }
}

TEST(TimeBarWidget, NothingWithoutARace) {
  TimeBarWidget w;
  w.resize(50, 600);
  Recorder rec(w);
  w.setRace(nullptr);
  EXPECT_TRUE(child(w, "timeBar")->isHidden());
  EXPECT_TRUE(child(w, "timePointer")->isHidden());
  w.onBarMouseMove(100);
  w.onBarMouseDown(100);
  w.onFrameMouseDown(590);
  w.onPanelMouseMove();
  w.setSceneTime(5);
  EXPECT_TRUE(rec.previews.empty());
  EXPECT_TRUE(rec.jumps.empty());
  EXPECT_TRUE(rec.starts.empty());
  EXPECT_EQ(rec.ended, 0);
  EXPECT_TRUE(w.previewPositions(0).empty());

  // A race arriving later shows the bar.
  LoadedRace loaded = hourRace();
  w.setRace(&loaded);
  EXPECT_FALSE(child(w, "timeBar")->isHidden());
}

TEST(TimeBarWidget, HintsInBothLanguages) {
  const TimeBarHint en = hintFor(Language::EnglishFixed, QStringLiteral("2009/07/19 12:28:40"), 270);
  EXPECT_EQ(en.text, QStringLiteral("Click to change the time.\r\n(2009/07/19 12:28:40)\r\n"
                                    "(White zone = UpWind   )\r\n(Gray zone   = DownWind )"));
  EXPECT_EQ(en.rectFor(1000), QRect(815, 270, 180, 55));
  EXPECT_EQ(hintFor(Language::English, QStringLiteral("x"), 0).text,
            hintFor(Language::EnglishFixed, "x", 0).text);

  const LanguageOnScreen japanese(Language::Japanese);
  const TimeBarHint ja = hintFor(Language::Japanese, QStringLiteral("2009/07/19 12:28:40"), 12);
  EXPECT_EQ(ja.text, QStringLiteral("クリックで時間を瞬時に変更します\r\n(白はUpWind、灰色はDownWind )\r\n"
                                    "(2009/07/19 12:28:40)"));
  EXPECT_EQ(ja.rectFor(1000), QRect(775, 12, 220, 43));
}

}  // namespace
}  // namespace velaro
