#include "app/mainwindow.h"
#include "app/panels/mapview.h"
#include "app/replay/pageswitcher.h"
#include "fakeplatform.h"
#include "windowwait.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

// The demo races in the window, exports going to the test's own folder.
class ChartPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_documents.isValid());
    m_window.setLoadWaitMs(0);
    m_window.resize(1280, 800);
    m_window.setDocumentsFolder(m_documents.path());
    m_window.setMessageSink(
        [](const QString&, const QString& text, bool) { ADD_FAILURE() << qPrintable(text); });
    ASSERT_TRUE(startUpAndWait(m_window));
  }
  // An entry of the page choice's menu, or of the race selector's.
  void chooseFromMenu(const char* action, bool selectorMenu = false) {
    const std::unique_ptr<QMenu> menu = widget<RaceControlPanel>("raceControlPanel")->makeMenu(selectorMenu);
    menu->findChild<QAction*>(QString::fromLatin1(action))->trigger();
  }
  template <typename T = QWidget>
  T* widget(const char* name) {
    return m_window.findChild<T*>(QString::fromLatin1(name));
  }
  const QImage& mapPicture() { return widget<MapView>("mapView")->image(); }
  void expectNoControlMoved() {
    for (const ControlPlace& place : controlPlaces()) {
      EXPECT_EQ(widget(place.name)->geometry(), place.geometry) << place.name;
    }
    EXPECT_EQ(widget("mapView")->geometry(), QRect(0, 0, m_window.mapWidth(), m_window.mapHeight()));
  }

  QTemporaryDir m_documents;
  FakePlatform m_platform;
  MainWindow m_window{RaceFolders(QStringLiteral(VELARO_SOURCE_DIR "/data/demo")), m_platform};
};

// Each chart takes the map's place as the graph does, worked out when first
// shown, follows the boat list, is what Retouch saves, and gives the map back
// on the Track page.
TEST_F(ChartPagesTest, GapsAndPolarsTakeTheMapsPlaceAndFollowTheFocus) {
  MainWindow& w = m_window;
  const PageSwitcher& pages = *w.findChild<PageSwitcher*>(QStringLiteral("pageSwitcher"));
  EXPECT_FALSE(pages.charts().hasGaps() || pages.charts().hasPolars());
  for (const auto& [action, page, selectorMenu] : {std::tuple{"gapsPageAction", Page::Gaps, false},
                                                   std::tuple{"polarsPageAction", Page::Polars, true}}) {
    chooseFromMenu(action, selectorMenu);
    ASSERT_EQ(w.page(), page) << action;
    const QImage chart = pages.chartPicture();
    EXPECT_EQ(chart.size(), QSize(w.mapWidth(), w.mapHeight()));
    EXPECT_EQ(mapPicture(), chart);
    for (const char* hidden : {"compassPanel", "windGraphPanel", "stopwatch"}) {
      EXPECT_FALSE(widget(hidden)->isVisibleTo(&w)) << hidden;
    }
    EXPECT_FALSE(widget("raceSelector")->isEnabled());
    EXPECT_FALSE(widget<QAbstractButton>("graphPageButton")->isChecked());
    expectNoControlMoved();
    QTest::mouseClick(widget("boatBox1"), Qt::LeftButton);
    EXPECT_NE(pages.chartPicture(), chart);
    EXPECT_EQ(mapPicture(), pages.chartPicture());
    w.retouch();
    const QImage saved(m_documents.filePath(QStringLiteral("NoName.bmp")));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              mapPicture().convertToFormat(QImage::Format_RGB32));
    QTest::mouseClick(widget("boatBox1"), Qt::LeftButton);
  }
  EXPECT_TRUE(pages.charts().hasGaps() && pages.charts().hasPolars());

  widget<QAbstractButton>("trackPageButton")->click();
  EXPECT_NE(mapPicture(), pages.chartPicture());
  EXPECT_TRUE(widget("compassPanel")->isVisibleTo(&w));
  EXPECT_TRUE(widget("raceSelector")->isEnabled());
}

// The switch colours the whole-race view's tracks with one redraw, and
// switched on over the live scene it leaves it for that view.
TEST_F(ChartPagesTest, SpeedColoursRecolourTheWholeRaceView) {
  auto* autoTrace = widget<QAbstractButton>("autoTraceBox");
  autoTrace->click();
  ASSERT_EQ(m_window.replayMode(), ReplayMode::WholeRace);
  const QImage plain = mapPicture();
  const int shown = widget<MapView>("mapView")->picturesShown();
  chooseFromMenu("speedColoursAction");
  EXPECT_NE(mapPicture(), plain);
  EXPECT_EQ(widget<MapView>("mapView")->picturesShown(), shown + 1);
  chooseFromMenu("speedColoursAction", true);
  EXPECT_EQ(mapPicture(), plain);

  autoTrace->click();
  chooseFromMenu("speedColoursAction");
  EXPECT_EQ(m_window.replayMode(), ReplayMode::WholeRace);
  EXPECT_FALSE(autoTrace->isChecked());
}

}  // namespace
}  // namespace velaro
