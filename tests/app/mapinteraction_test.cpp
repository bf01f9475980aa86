// The map answering the pointer in the window, on a demo race with wind:
// Auto Trace, click zoom, Shift measuring, the wind graph switch, the
// orientation buttons, single steps, the pointer's label zones, title and
// hints, and the wind on the compass and the wind graph.
#include "app/replay/mapinteraction.h"
#include "app/mainwindow.h"
#include "app/panels/compasspanel.h"
#include "app/panels/mapview.h"
#include "app/panels/overviewpanel.h"
#include "app/panels/timebarwidget.h"
#include "app/panels/windgraphpanel.h"
#include "fakeplatform.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include "support/copytree.h"
#include "windowwait.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

const QString kDemo = QStringLiteral(VELARO_SOURCE_DIR "/data/demo");

using testing::copyTree;

class MapInteractionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFileInfo::exists(kDemo + QStringLiteral("/raceadmin/enoshima-spring.txt"))) {
      GTEST_SKIP() << "no demo race";
    }
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(copyTree(kDemo, m_dir.path()));
    m_window = std::make_unique<MainWindow>(RaceFolders(m_dir.path()), m_platform);
    m_window->setLoadWaitMs(0);
    m_window->resize(1280, 800);
    m_window->setMessageSink([](const QString&, const QString&, bool) {});
    m_map = m_window->findChild<MapView*>(QStringLiteral("mapView"));
    ASSERT_NE(m_map, nullptr);
  }

  void start() {
    ASSERT_TRUE(startUpAndWait(*m_window));
    ASSERT_GT(m_window->race().WindCount(), 0);
  }

  template <typename T = QAbstractButton>
  T* control(const char* name) const {
    auto* c = m_window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }

  void press(QPoint at, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(at), QPointF(m_map->mapToGlobal(at)), button, button,
                  mods);
    QCoreApplication::sendEvent(m_map, &e);
  }
  // The second click of a quick pair, after the first one's press: release,
  // double click.
  void secondClick(QPoint at) {
    for (const QEvent::Type type : {QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick}) {
      QMouseEvent e(type, QPointF(at), QPointF(m_map->mapToGlobal(at)), Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(m_map, &e);
    }
  }
  void move(QPoint at) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(m_map->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(m_map, &e);
  }
  void key(QEvent::Type type, int k) {
    QKeyEvent e(type, k, type == QEvent::KeyPress && k == Qt::Key_Shift ? Qt::ShiftModifier : Qt::NoModifier);
    QCoreApplication::sendEvent(m_map, &e);
  }
  bool timersRunning() const {
    return control<QTimer>("frameTimer")->isActive() || control<QTimer>("secondTimer")->isActive();
  }
  const MapViewState& view() const { return m_window->mapInteraction().state(); }
  QPoint mapMiddle() const { return QPoint(m_window->mapWidth() / 2, m_window->mapHeight() / 2); }

  QTemporaryDir m_dir;
  FakePlatform m_platform;
  std::unique_ptr<MainWindow> m_window;
  MapView* m_map = nullptr;
};

TEST_F(MapInteractionTest, AutoTraceSwitchesToTheWholeRaceViewAndTheTimeBarRedrawsIt) {
  start();
  const int beeps = m_platform.beeps;
  const QImage live = m_map->image();
  control("autoTraceBox")->click();
  EXPECT_EQ(m_platform.beeps, beeps + 2);
  EXPECT_TRUE(view().isWholeRace());
  EXPECT_EQ(view().WholeRaceZoom, 1);
  EXPECT_EQ(view().WholeRaceCentre, m_window->loaded().geometry.RaceExtent.centre());
  EXPECT_FALSE(timersRunning());
  EXPECT_TRUE(control("stopPressed")->isVisibleTo(m_window.get()));
  EXPECT_TRUE(m_window->scene().showsWholeRace());
  EXPECT_NE(m_map->image(), live);

  // A click on the time bar moves the whole-race view to that time.
  emit m_window->findChild<TimeBarWidget*>()->jumpRequested(600);
  EXPECT_EQ(m_window->clock().SceneTime(), 600);
  EXPECT_TRUE(m_window->scene().showsWholeRace());
  EXPECT_FALSE(timersRunning());

  // The overview map moves the view there and keeps the zoom.
  const GeoPoint before = view().WholeRaceCentre;
  emit m_window->findChild<OverviewPanel*>()->mapClicked(QPoint(85, 40));
  EXPECT_NE(view().WholeRaceCentre, before);
  EXPECT_EQ(view().WholeRaceZoom, 1);
  EXPECT_EQ(m_window->scene().viewProjection().centre(), view().WholeRaceCentre);

  control("autoTraceBox")->click();
  EXPECT_EQ(m_platform.beeps, beeps + 4);
  EXPECT_FALSE(view().isWholeRace());
  EXPECT_TRUE(timersRunning());
  EXPECT_TRUE(control("forwardPressed")->isVisibleTo(m_window.get()));
}

TEST_F(MapInteractionTest, ClicksZoomAboutThePointShiftMeasuresFromTheBasePoint) {
  start();
  control("autoTraceBox")->click();
  const MapGeometry& g = m_window->loaded().geometry;
  for (const QPoint at : {QPoint(300, 200), QPoint(500, 450), mapMiddle() + QPoint(7, -3)}) {
    const GeoPoint clicked = m_window->scene().viewProjection().toGeo(QPointF(at));
    press(at);
    EXPECT_NEAR(view().WholeRaceCentre.lat, clicked.lat, 1e-9);
    EXPECT_NEAR(view().WholeRaceCentre.lon, clicked.lon, 1e-9);
  }
  EXPECT_DOUBLE_EQ(view().WholeRaceZoom, 3.375);
  press(mapMiddle(), Qt::RightButton);
  EXPECT_DOUBLE_EQ(view().WholeRaceZoom, 2.25);
  EXPECT_DOUBLE_EQ(m_window->scene().viewProjection().latScale(), g.WholeRaceScaleLat * 2.25);

  // Shift: the click sets the base point; the view stays.
  const auto* readout = control<QPlainTextEdit>("measureReadout");
  key(QEvent::KeyPress, Qt::Key_Shift);
  const int drawn = m_map->picturesShown();
  move(QPoint(200, 200));
  EXPECT_TRUE(readout->isVisibleTo(m_window.get()));
  // The boats' names make room for the read-out.
  EXPECT_GT(m_map->picturesShown(), drawn);
  EXPECT_EQ(readout->toPlainText(), QStringLiteral("Click to set base point"));
  m_window->setLanguage(Language::Japanese);
  move(QPoint(200, 200));
  EXPECT_EQ(readout->toPlainText(), QStringLiteral("基点の位置をクリック"));
  m_window->setLanguage(Language::EnglishFixed);
  const GeoPoint centre = view().WholeRaceCentre;
  press(QPoint(200, 200));
  EXPECT_EQ(view().WholeRaceCentre, centre);
  EXPECT_DOUBLE_EQ(view().WholeRaceZoom, 2.25);
  EXPECT_TRUE(view().basePointSet());
  move(QPoint(200, 300));
  EXPECT_TRUE(readout->toPlainText().startsWith(QStringLiteral("R= ")))
      << readout->toPlainText().toStdString();
  EXPECT_TRUE(readout->toPlainText().endsWith(QStringLiteral("deg(M)")));
  EXPECT_EQ(readout->geometry(), QRect(210, 280, 200, 17));
  EXPECT_EQ(m_map->measureLine(), QLine(200, 200, 200, 300));

  // Releasing the key ends the measuring and drops the base point.
  key(QEvent::KeyRelease, Qt::Key_Shift);
  EXPECT_FALSE(view().basePointSet());
  move(QPoint(200, 310));
  EXPECT_FALSE(readout->isVisibleTo(m_window.get()));
  EXPECT_FALSE(m_map->measureLine());
}

TEST_F(MapInteractionTest, LiveClicksToggleTheWindGraphRadioNTwiceTurnsOnce) {
  start();
  auto* windGraph = m_window->findChild<WindGraphPanel*>();
  ASSERT_TRUE(windGraph->isVisibleTo(m_window.get()));
  const double zoom = view().WholeRaceZoom;
  press(mapMiddle());
  EXPECT_FALSE(windGraph->isVisibleTo(m_window.get()));
  press(mapMiddle(), Qt::RightButton);
  EXPECT_TRUE(windGraph->isVisibleTo(m_window.get()));
  EXPECT_EQ(view().WholeRaceZoom, zoom);

  QSignalSpy turned(m_window->findChild<RaceControlPanel*>(), &RaceControlPanel::orientationChanged);
  const bool northUp = control<QAbstractButton>("northUpButton")->isChecked();
  control("northUpButton")->click();
  control("northUpButton")->click();
  EXPECT_EQ(turned.count(), northUp ? 0 : 1);
  control("windUpButton")->click();
  control("windUpButton")->click();
  EXPECT_EQ(turned.count(), northUp ? 1 : 2);
}

TEST_F(MapInteractionTest, SingleStepsStopThePlayAndComeBackFromTheWholeRaceView) {
  start();
  ASSERT_TRUE(timersRunning());
  const double t = m_window->clock().SceneTime();
  control("stepForwardButton")->click();
  EXPECT_FALSE(timersRunning());
  EXPECT_TRUE(control("stopPressed")->isVisibleTo(m_window.get()));
  EXPECT_EQ(m_window->clock().SceneTime(), std::nearbyint(t + 1));

  control("autoTraceBox")->click();
  ASSERT_TRUE(view().isWholeRace());
  control("stepBackwardButton")->click();
  EXPECT_FALSE(view().isWholeRace());
  EXPECT_TRUE(control<QCheckBox>("autoTraceBox")->isChecked());
  EXPECT_FALSE(timersRunning());
  EXPECT_FALSE(m_window->scene().showsWholeRace());
  EXPECT_EQ(m_window->clock().SceneTime(), std::nearbyint(t));
}

TEST_F(MapInteractionTest, OneActionOneRedrawQuickPairsCountTwiceAndKeysAreSeenOnce) {
  start();
  control("stopButton")->click();
  // Auto Trace redraws the map once, and a step from the whole-race view once.
  const int shown = m_map->picturesShown();
  control("autoTraceBox")->click();
  ASSERT_TRUE(view().isWholeRace());
  EXPECT_EQ(m_map->picturesShown(), shown + 1);
  control("stepForwardButton")->click();
  EXPECT_FALSE(view().isWholeRace());
  EXPECT_EQ(m_map->picturesShown(), shown + 2);

  // The transport from the whole-race view plays only what was chosen.
  control("autoTraceBox")->click();
  const int beeps = m_platform.beeps;
  control("backwardButton")->click();
  EXPECT_FALSE(view().isWholeRace());
  EXPECT_TRUE(control<QCheckBox>("autoTraceBox")->isChecked());
  EXPECT_EQ(m_platform.beeps, beeps + 2);
  EXPECT_EQ(m_window->clock().transport(), Transport::Backward);
  EXPECT_TRUE(timersRunning());

  // A quick pair toggles the wind graph twice, and zooms twice.
  control("stopButton")->click();
  auto* windGraph = m_window->findChild<WindGraphPanel*>();
  const bool graphShown = windGraph->isVisibleTo(m_window.get());
  press(mapMiddle());
  EXPECT_NE(windGraph->isVisibleTo(m_window.get()), graphShown);
  secondClick(mapMiddle());
  EXPECT_EQ(windGraph->isVisibleTo(m_window.get()), graphShown);
  control("autoTraceBox")->click();
  ASSERT_DOUBLE_EQ(view().WholeRaceZoom, 1);
  press(mapMiddle());
  secondClick(mapMiddle());
  EXPECT_DOUBLE_EQ(view().WholeRaceZoom, 2.25);

  // A key a button ignores passes on to its panel and the window; the map
  // reads it once.
  m_map->setAttribute(Qt::WA_UnderMouse);
  QSignalSpy captions(&m_window->mapInteraction(), &MapInteraction::captionChanged);
  QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
  QCoreApplication::sendEvent(control("googleEarthButton"), &shift);
  EXPECT_EQ(captions.count(), 1);
  EXPECT_TRUE(view().ShiftDown);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
  QCoreApplication::sendEvent(control("googleEarthButton"), &release);
  EXPECT_EQ(captions.count(), 2);
  EXPECT_FALSE(view().ShiftDown);
}

TEST_F(MapInteractionTest, PointerSetsLabelsTitleAndHintsOnlyOnceARaceIsShown) {
  // Before any race the pointer does nothing.
  move(QPoint(10, 300));
  press(QPoint(10, 300));
  EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Velaro"));

  start();
  control("stopButton")->click();
  const int w = m_window->mapWidth();
  move(QPoint(w / 4 - 1, 300));
  EXPECT_EQ(m_window->scene().options().LabelLevel, 3);
  EXPECT_TRUE(m_window->scene().options().ShowSails);
  EXPECT_FALSE(m_window->scene().options().RedWakeMode);
  EXPECT_TRUE(
      m_window->windowTitle().startsWith(m_window->race().RaceCaption + QStringLiteral("       N35:")))
      << m_window->windowTitle().toStdString();
  move(QPoint(3 * w / 4, 300));
  EXPECT_EQ(m_window->scene().options().LabelLevel, 1);  // "Boat Name" is checked

  const auto* hint = control<QPlainTextEdit>("hintBox");
  move(QPoint(10, m_window->mapHeight() - 50));
  EXPECT_TRUE(m_window->scene().options().RedWakeMode);
  EXPECT_TRUE(hint->isVisibleTo(m_window.get()));
  EXPECT_EQ(hint->toPlainText(), QStringLiteral("Red wake boats are faster than avg boats"));
  move(QPoint(10, 50));
  EXPECT_FALSE(m_window->scene().options().ShowSails);
  EXPECT_FALSE(hint->isVisibleTo(m_window.get()));

  // Over the compass: wind vanes, and names only on its rim; over the wind
  // graph the hint says what a click on the map does.
  auto* compass = control<QLabel>("compass");
  QMouseEvent rim(QEvent::MouseMove, QPointF(50, 5), QPointF(compass->mapToGlobal(QPoint(50, 5))),
                  Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(compass, &rim);
  EXPECT_TRUE(m_window->scene().options().ShowWindVanes);
  EXPECT_EQ(m_window->scene().options().LabelLevel, 1);
  auto* graph = control<QLabel>("windGraph");
  QMouseEvent over(QEvent::MouseMove, QPointF(50, 50), QPointF(graph->mapToGlobal(QPoint(50, 50))),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(graph, &over);
  EXPECT_EQ(hint->toPlainText(), QStringLiteral("TWD graph can be ON/OFF when click map."));
  // Back on the map the vanes go.
  move(QPoint(10, 300));
  EXPECT_FALSE(m_window->scene().options().ShowWindVanes);

  // Keys reach the measuring tool whichever control has focus.
  QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
  QCoreApplication::sendEvent(control<QWidget>("raceSelector"), &shift);
  EXPECT_TRUE(view().ShiftDown);
  QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier);
  QCoreApplication::sendEvent(control<QWidget>("raceSelector"), &a);
  EXPECT_FALSE(view().ShiftDown);

  // The sea swatch follows the brightness bar.
  control<QScrollBar>("seaBrightnessSlider")->setValue(0);
  EXPECT_EQ(control<QLabel>("seaSwatch")->pixmap().toImage().pixel(20, 8), qRgb(0, 0, 70));
}

TEST_F(MapInteractionTest, TheFrameShowsItsWindOnTheCompassAndTheWindGraph) {
  start();
  emit m_window->findChild<TimeBarWidget*>()->jumpRequested(900);
  const SceneState& s = m_window->scene().state();
  auto* compass = m_window->findChild<CompassPanel*>();
  EXPECT_EQ(compass->shownDataDir(), s.wind.DataDir);
  const QImage picture = control<QLabel>("compass")->pixmap().toImage();
  EXPECT_EQ(picture.pixelColor(s.windMarker + QPoint(4, 4)), QColor(Qt::red));
  ASSERT_TRUE(s.windBarTop);
  EXPECT_EQ(m_window->findChild<WindGraphPanel*>()->timeMarkerTop(), *s.windBarTop);
}

}  // namespace
}  // namespace velaro
