#include "app/mainwindow.h"
#include "app/desktop/racesfolder.h"
#include "app/panels/boatlistpanel.h"
#include "app/panels/hintbox.h"
#include "app/panels/mapview.h"
#include "app/panels/scoreboard.h"
#include "app/panels/splashform.h"
#include "app/panels/windgraphpanel.h"
#include "app/replay/manoeuvrehint.h"
#include "app/replay/raceloadjob.h"
#include "app/replay/replaydriver.h"
#include "fakeplatform.h"
#include "languageonscreen.h"
#include "support/gpxmaker.h"
#include "windowwait.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

namespace velaro {
namespace {

struct Message {
  QString caption;
  QString text;
  bool error;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    QDir root(m_dir.path());
    for (const char* sub : {"raceadmin", "gpsdat", "attachment", "help", "help-e"}) {
      ASSERT_TRUE(root.mkpath(QString::fromLatin1(sub)));
    }
    // Race files give no TD, so their local times are the logs' UTC times.
    const QDateTime first(QDate(2009, 7, 19), QTime(9, 56), Qt::UTC);
    write(QStringLiteral("gpsdat/a.gpx"), testing::makeGpx(first, 80));
    write(QStringLiteral("gpsdat/b.gpx"), testing::makeGpx(first, 80, 10, 35.30));
    write(QStringLiteral("gpsdat/short.gpx"), testing::makeGpx(first, 20));
    write(QStringLiteral("attachment/one.pdf"), "%PDF");
    write(QStringLiteral("attachment/two.html"), "<html/>");
    write(QStringLiteral("attachment/three.txt"), "x");
    write(QStringLiteral("raceadmin/alpha.txt"),
          "T1,Alpha Cup\nST,2009/07/19 10:00:00\nFT,2009/07/19 11:00:00\nMG,-7\nBN,a.gpx,A\nAT,one.pdf\n");
    write(QStringLiteral("raceadmin/bravo.txt"),
          "T1,Bravo Cup\nNU,1\nST,2009/07/19 10:00:00\nFT,2009/07/19 "
          "11:00:00\nBN,a.gpx,A\nBN,b.gpx,B\nAT,one.pdf\nAT,two.html\nAT,three.txt\n");
    write(QStringLiteral("raceadmin/broken.txt"), "T1,Broken\nBN,a.gpx,A\nMK,1,x\n");
    write(QStringLiteral("raceadmin/empty.txt"), "T1,No boats\nBN,none.gpx,A\nBN,short.gpx,S\n");
  }

  void write(const QString& rel, const QByteArray& bytes) {
    QFile f(QDir(m_dir.path()).filePath(rel));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }

  std::unique_ptr<MainWindow> makeWindow() {
    auto w = std::make_unique<MainWindow>(RaceFolders(m_dir.path()), m_platform);
    w->setLoadWaitMs(0);
    w->resize(1280, 800);
    w->setMessageSink([this](const QString& caption, const QString& text, bool error) {
      m_messages.push_back({caption, text, error});
    });
    return w;
  }

  void choose(MainWindow& w, const QString& name) {
    auto* combo = w.findChild<QComboBox*>(QStringLiteral("raceSelector"));
    const int index = combo->findText(name);
    ASSERT_GE(index, 0);
    combo->setCurrentIndex(index);
    w.onRaceChosen(index);
  }

  // The pointer comes over a control, or moves over a panel at a point.
  static void hover(QWidget* widget, QPoint at = QPoint(2, 2)) {
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(widget, &enter);
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
  }

  static void click(MainWindow& w, const char* button) {
    auto* b = w.findChild<QAbstractButton*>(QString::fromLatin1(button));
    ASSERT_NE(b, nullptr) << button;
    b->click();
  }

  QTemporaryDir m_dir;
  FakePlatform m_platform;
  std::vector<Message> m_messages;
};

TEST_F(MainWindowTest, StartUpListsCatalogueAndLoadsTheFirstRace) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  EXPECT_EQ(w->raceFiles(), QStringList({"alpha.txt", "bravo.txt", "broken.txt", "empty.txt"}));
  EXPECT_EQ(w->findChild<QComboBox*>(QStringLiteral("raceSelector"))->count(), 4);
  EXPECT_EQ(w->currentRace(), 1);
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));
  EXPECT_EQ(m_platform.guns, 1);
  EXPECT_TRUE(m_messages.empty()) << (m_messages.empty() ? QString() : m_messages[0].text).toStdString();
  EXPECT_TRUE(w->findChild<QPushButton*>(QStringLiteral("attachmentsButton"))->isEnabled());
}

// A cover picture keeps the default titles away from every race of the run,
// also those shown after the splash window has closed.
TEST_F(MainWindowTest, ACoverPictureKeepsDefaultTitlesAwayAfterTheSplashCloses) {
  write(QStringLiteral("raceadmin/plain.txt"),
        "ST,2009/07/19 10:00:00\nFT,2009/07/19 11:00:00\nBN,a.gpx,A\n");
  write(QStringLiteral("raceadmin/racefile.st"), "plain.txt\n");
  const QString cover = QDir(m_dir.path()).filePath(QStringLiteral("raceadmin/cover.jpg"));
  QImage picture(64, 32, QImage::Format_RGB32);
  picture.fill(Qt::darkBlue);
  ASSERT_TRUE(picture.save(cover, "JPG"));
  QPointer<SplashForm> splash = new SplashForm(cover);
  ASSERT_TRUE(splash->coverShown());
  auto w = std::make_unique<MainWindow>(RaceFolders(m_dir.path()), m_platform, splash);
  w->setLoadWaitMs(0);
  w->resize(1280, 800);
  ASSERT_TRUE(startUpAndWait(*w));
  EXPECT_TRUE(w->race().RaceCaption.isEmpty());
  delete splash.data();
  choose(*w, QStringLiteral("alpha.txt"));
  showAndWait(*w);
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));
  choose(*w, QStringLiteral("plain.txt"));
  showAndWait(*w);
  EXPECT_TRUE(w->race().RaceCaption.isEmpty()) << w->race().RaceCaption.toStdString();
}

TEST_F(MainWindowTest, RaceFileStPicksTheFirstRace) {
  write(QStringLiteral("raceadmin/racefile.st"), "BRAVO.TXT\r\n");
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  EXPECT_EQ(w->currentRace(), 2);
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Bravo Cup"));
  EXPECT_EQ(w->findChild<QComboBox*>(QStringLiteral("raceSelector"))->currentText(),
            QStringLiteral("bravo.txt"));
}

TEST_F(MainWindowTest, ShowingTheRaceOnScreenAgainIsRefused) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  choose(*w, QStringLiteral("alpha.txt"));
  showAndWait(*w);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, QStringLiteral("Already shown."));
  EXPECT_EQ(m_messages[0].caption, QStringLiteral("Velaro"));
}

TEST_F(MainWindowTest, ShowLoadsOtherRacesInTurnAndCarriesSettingsOver) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  choose(*w, QStringLiteral("bravo.txt"));
  showAndWait(*w);
  EXPECT_TRUE(m_messages.empty());
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Bravo Cup"));
  EXPECT_EQ(w->currentRace(), 2);
  EXPECT_EQ(w->race().MagVariation, -7);  // bravo.txt has no MG
  EXPECT_GE(m_platform.beeps, 1);
  choose(*w, QStringLiteral("alpha.txt"));
  showAndWait(*w);
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));
  EXPECT_EQ(w->currentRace(), 1);
}

TEST_F(MainWindowTest, ABrokenRaceFileLeavesTheRaceOnScreen) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  choose(*w, QStringLiteral("broken.txt"));
  showAndWait(*w);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].error);
  EXPECT_TRUE(m_messages[0].text.contains(QStringLiteral("broken.txt, line 3")));
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));
  EXPECT_EQ(w->currentRace(), 1);
  EXPECT_TRUE(w->selectedRacePath().endsWith(QStringLiteral("alpha.txt")));

  // A race without boats shows the message and keeps the race on screen too.
  choose(*w, QStringLiteral("empty.txt"));
  showAndWait(*w);
  ASSERT_EQ(m_messages.size(), 2u);
  EXPECT_EQ(m_messages[1].text,
            QStringLiteral("GPS file not exists.\n\nThese records of empty.txt were not "
                           "loaded:\nline 2: boat \"A\" (none.gpx): no such log in gpsdat"));
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));
}

// Boats left out are named once per load, with their reason.
TEST_F(MainWindowTest, BoatsLeftOutAreNamedOnceALoad) {
  ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("gpsdat/folder.gpx")));
  ASSERT_EQ(mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("gpsdat/fifo.gpx"))).constData(), 0644),
            0);
  QByteArray boats;
  for (int i = 1; i <= 82; ++i) {
    boats += "BN,a.gpx,A" + QByteArray::number(i) + "\n";
  }
  write(QStringLiteral("raceadmin/racefile.st"), "crowded.txt\n");
  write(QStringLiteral("raceadmin/crowded.txt"),
        "ST,2009/07/19 10:00:00\nFT,2009/07/19 11:00:00\nBN,folder.gpx,F\nBN,fifo.gpx,P\n" + boats);
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  EXPECT_EQ(w->race().BoatCount(), 81);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_FALSE(m_messages[0].error);
  EXPECT_EQ(m_messages[0].text,
            QStringLiteral("These records of crowded.txt were not loaded:\n"
                           "line 3: boat \"F\" (folder.gpx): the log is a folder\n"
                           "line 4: boat \"P\" (fifo.gpx): the log is not a file (a FIFO)\n"
                           "line 86: boat \"A82\" (a.gpx): a race holds 81 boats"));
}

TEST_F(MainWindowTest, NoBoatAtStartUpEndsTheProgram) {
  write(QStringLiteral("raceadmin/racefile.st"), "empty.txt\n");
  auto w = makeWindow();
  EXPECT_FALSE(startUpAndWait(*w));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].text.startsWith(QStringLiteral("GPS file not exists.\n")));
}

TEST_F(MainWindowTest, ABrokenFirstRaceKeepsTheWindowOpen) {
  write(QStringLiteral("raceadmin/racefile.st"), "broken.txt\n");
  auto w = makeWindow();
  EXPECT_TRUE(startUpAndWait(*w));
  EXPECT_EQ(w->race().BoatCount(), 0);
  choose(*w, QStringLiteral("alpha.txt"));
  showAndWait(*w);
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));
}

TEST_F(MainWindowTest, AttachmentsOpenDirectlyOrFromTheList) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  click(*w, "attachmentsButton");
  click(*w, "attachmentsButton");
  ASSERT_EQ(m_platform.opened.size(), 2);
  EXPECT_TRUE(m_platform.opened[0].toLocalFile().endsWith(QStringLiteral("attachment/one.pdf")));

  choose(*w, QStringLiteral("bravo.txt"));
  showAndWait(*w);
  auto* list = w->findChild<QListWidget*>(QStringLiteral("attachmentList"));
  w->show();
  click(*w, "attachmentsButton");
  EXPECT_TRUE(list->isVisible());
  EXPECT_EQ(list->count(), 3);
  w->findChild<RaceControlPanel*>()->onAttachmentItemClicked(list->item(1));
  EXPECT_FALSE(list->isVisible());
  ASSERT_EQ(m_platform.opened.size(), 3);
  EXPECT_TRUE(m_platform.opened[2].toLocalFile().endsWith(QStringLiteral("attachment/two.html")));
  // A second click on the button hides the list without opening anything.
  click(*w, "attachmentsButton");
  click(*w, "attachmentsButton");
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(m_platform.opened.size(), 3);
  // So does a click on the list's empty space.
  click(*w, "attachmentsButton");
  ASSERT_TRUE(list->isVisible());
  const QPoint empty(5, list->viewport()->height() - 2);
  ASSERT_EQ(list->itemAt(empty), nullptr);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(empty),
                      QPointF(list->viewport()->mapToGlobal(empty)), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(list->viewport(), &release);
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(m_platform.opened.size(), 3);

  // The button's hint names the attachments, one a line (the box shows CR LF as one break).
  hover(w->findChild<QWidget*>(QStringLiteral("attachmentsButton")));
  auto* hint = w->findChild<HintBox*>();
  EXPECT_TRUE(hint->isVisible());
  EXPECT_EQ(hint->text(), QStringLiteral("Show following attachment file\none.pdf\ntwo.html\nthree.txt"));
  EXPECT_EQ(hint->width(), 200);
}

TEST_F(MainWindowTest, HelpPrefersTheLanguageOnScreen) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  click(*w, "helpButton");
  EXPECT_TRUE(m_platform.opened.isEmpty());
  // On an English screen with only the Japanese help present, it opens.
  write(QStringLiteral("help/index.html"), "<html/>");
  w->setLanguage(Language::EnglishFixed);
  click(*w, "helpButton");
  ASSERT_EQ(m_platform.opened.size(), 1);
  EXPECT_TRUE(m_platform.opened[0].toLocalFile().endsWith(QStringLiteral("help/index.html")));
  write(QStringLiteral("help-e/index.html"), "<html/>");
  click(*w, "helpButton");
  EXPECT_TRUE(m_platform.opened[1].toLocalFile().endsWith(QStringLiteral("help-e/index.html")));
  click(*w, "japaneseFlag");
  click(*w, "helpButton");
  EXPECT_TRUE(m_platform.opened[2].toLocalFile().endsWith(QStringLiteral("help/index.html")));

  // The logo opens the page about the program the same way.
  auto* logo = w->findChild<QLabel*>(QStringLiteral("logo"));
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(logo->mapToGlobal(QPoint(5, 5))),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(logo, &release);
  EXPECT_EQ(m_platform.opened.size(), 3);
  write(QStringLiteral("help-e/about.html"), "<html/>");
  QCoreApplication::sendEvent(logo, &release);
  ASSERT_EQ(m_platform.opened.size(), 4);
  EXPECT_TRUE(m_platform.opened[3].toLocalFile().endsWith(QStringLiteral("help-e/about.html")));
  w->setLanguage(Language::EnglishFixed);
}

TEST_F(MainWindowTest, LanguageFlagsSwitchEveryCaptionAndHintAtOnce) {
  auto w = makeWindow();
  w->show();
  w->setLanguage(Language::Japanese);
  auto* show = w->findChild<QPushButton*>(QStringLiteral("showRaceButton"));
  auto* japanese = w->findChild<QPushButton*>(QStringLiteral("japaneseFlag"));
  auto* english = w->findChild<QPushButton*>(QStringLiteral("englishFlag"));
  auto* hint = w->findChild<HintBox*>();
  const auto text = [&](const char* name) {
    QObject* control = w->findChild<QObject*>(QString::fromLatin1(name));
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
      return group->title();
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
      return label->text();
    }
    return qobject_cast<QAbstractButton*>(control)->text();
  };
  const std::vector<std::pair<const char*, QString>> captions = {
      {"boatListHeader", QStringLiteral("     Boat Name ")},
      {"raceFileLabel", QStringLiteral("Race File Name")},
      {"orientationGroup", QStringLiteral("Orientation")},
      {"northUpButton", QStringLiteral("NorthWd")},
      {"windUpButton", QStringLiteral("WindWd")},
      {"autoNextBox", QStringLiteral("AutoNext")},
      {"showRaceButton", QStringLiteral("SHOW")},
      {"trackPageButton", QStringLiteral("Track")},
      {"graphPageButton", QStringLiteral("Graph")},
      {"tablePageButton", QStringLiteral("Table")},
      {"autoTraceBox", QStringLiteral("Auto Trace")},
      {"laylineBox", QStringLiteral("Layline")},
      {"referenceLineBox", QStringLiteral("Comp Ht")},
      {"boatNamesBox", QStringLiteral("Boat Name")},
      {"bigBoatsBox", QStringLiteral("Boat Size")},
      {"hintsBox", QStringLiteral("Tips")},
      {"attachmentsButton", QStringLiteral("Attachment")},
      {"retouchButton", QStringLiteral("Retouch")}};
  EXPECT_EQ(show->text(), QStringLiteral("表示"));
  EXPECT_EQ(text("northUpButton"), QStringLiteral("北が上"));
  EXPECT_EQ(text("boatListHeader"), QStringLiteral("       艇　名          　         艇　名"));
  for (const auto& [name, english] : captions) {
    EXPECT_NE(text(name), english) << name;
  }
  hover(w->findChild<QWidget*>(QStringLiteral("autoNextBox")));
  EXPECT_EQ(hint->text(), QStringLiteral("ファイルを順次自動切換えします"));
  EXPECT_EQ(hint->width(), 220);
  EXPECT_TRUE(english->isVisible());
  EXPECT_FALSE(japanese->isVisible());
  click(*w, "englishFlag");
  for (const auto& [name, english] : captions) {
    EXPECT_EQ(text(name), english) << name;
  }
  hover(w->findChild<QWidget*>(QStringLiteral("autoNextBox")));
  EXPECT_EQ(hint->text(), QStringLiteral("Auto changer on/off"));
  EXPECT_EQ(hint->width(), 180);
  EXPECT_TRUE(japanese->isVisible());
  EXPECT_FALSE(english->isVisible());
  // English because the system is not Japanese: no way to switch.
  w->setLanguage(Language::EnglishFixed);
  EXPECT_FALSE(japanese->isVisible());
  EXPECT_FALSE(english->isVisible());
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

TEST_F(MainWindowTest, TheReplayPlaysAfterALoad) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  const double start = w->clock().SceneTime();
  EXPECT_EQ(start, w->race().TimeAxisStart);
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 2500) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_GT(w->clock().SceneTime(), start + 1);
  click(*w, "stopButton");
  const double stopped = w->clock().SceneTime();
  timer.restart();
  while (timer.elapsed() < 300) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_EQ(w->clock().SceneTime(), stopped);
}

// The flags and the score board come to the front as they change; a hint on
// show stays in front of them.
TEST_F(MainWindowTest, AHintStaysInFrontOfTheFlags) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  auto* hint = w->findChild<HintBox*>(QStringLiteral("hintBox"));
  auto* flags = w->findChild<QWidget*>(QStringLiteral("flagPanel"));
  ASSERT_TRUE(hint && flags);
  hint->showHint(QStringLiteral("tip"), QRect(0, 0, 100, 20));
  flags->raise();
  w->onSecondTick();
  EXPECT_GT(w->children().indexOf(hint), w->children().indexOf(flags));
}

// The boat list's hover: the hint in the live scene, the track highlight
// (over a copy of the picture) once Auto Trace is off; the stopwatch over the
// map's corner on the Track page; the light timer running from the start.
TEST_F(MainWindowTest, BoatListHoverStopwatchAndLightTimer) {
  write(QStringLiteral("raceadmin/racefile.st"), "bravo.txt\n");
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  auto* list = w->findChild<BoatListPanel*>();
  auto* hint = w->findChild<QWidget*>(QStringLiteral("hintBox"));
  auto* map = w->findChild<MapView*>();
  ASSERT_TRUE(list && hint && map);

  list->boatMoved(0, QPoint(1, 1));
  EXPECT_FALSE(hint->isHidden());
  const QString hintText = hint->property("plainText").toString();
  EXPECT_TRUE(hintText.contains(QStringLiteral("R-Click to focus only A\n"))) << hintText.toStdString();
  // Then the boat's tacks and gybes.
  ASSERT_EQ(w->loaded().manoeuvreTally.size(), 2u);
  EXPECT_TRUE(hintText.endsWith(manoeuvreHintText(w->loaded().manoeuvreTally[0]))) << hintText.toStdString();
  EXPECT_EQ(w->scene().options().HoverBoat, 1);
  EXPECT_EQ(map->image(), w->scene().SceneBitmap());
  list->panelMoved();
  EXPECT_TRUE(hint->isHidden());
  EXPECT_EQ(w->scene().options().HoverBoat, 0);

  click(*w, "autoTraceBox");
  ASSERT_EQ(w->replayMode(), ReplayMode::WholeRace);
  list->boatMoved(1, QPoint(2, 2));
  EXPECT_TRUE(hint->isHidden());
  EXPECT_NE(map->image(), w->scene().SceneBitmap());
  list->panelMoved();
  EXPECT_EQ(map->image(), w->scene().SceneBitmap());

  auto* stopwatch = w->findChild<QPushButton*>(QStringLiteral("btnStopWatch"));
  ASSERT_NE(stopwatch, nullptr);
  EXPECT_TRUE(stopwatch->isVisibleTo(w.get()));
  EXPECT_EQ(stopwatch->mapTo(w.get(), QPoint()), QPoint(w->mapWidth() - 78, w->mapHeight() - 140));
  for (const char* caption : {"STOP", "TIMER/OFF", "TIMER/ON"}) {
    stopwatch->click();
    EXPECT_EQ(stopwatch->text(), QString::fromLatin1(caption));
  }
  w->choosePage(Page::Graph);
  EXPECT_FALSE(stopwatch->isVisibleTo(w.get()));
  // On the Graph page the hovered boat's curves are laid over the graph.
  list->boatMoved(0, QPoint(3, 3));
  EXPECT_NE(map->image(), w->graphPicture());
  list->panelMoved();
  EXPECT_EQ(map->image(), w->graphPicture());

  auto* lights = w->findChild<QTimer*>(QStringLiteral("lightTimer"));
  ASSERT_NE(lights, nullptr);
  EXPECT_TRUE(lights->isActive());
  EXPECT_EQ(lights->interval(), 1000);
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

class ExportTest : public MainWindowTest {
 protected:
  std::unique_ptr<MainWindow> startedWindow() {
    auto w = makeWindow();
    EXPECT_TRUE(m_documents.isValid());
    w->setDocumentsFolder(m_documents.path());
    w->setQuestionSink([this](const QString&, const QString& text) {
      ++m_questions;
      m_question = text;
      return m_answer;
    });
    EXPECT_TRUE(startUpAndWait(*w));
    return w;
  }
  QString document(const char* name) const {
    return QDir(m_documents.path()).filePath(QString::fromLatin1(name));
  }

  QTemporaryDir m_documents;
  int m_questions = 0;
  QString m_question;
  bool m_answer = true;
};

TEST_F(ExportTest, TableIsWrittenToTheDocumentsFolderAndOpened) {
  auto w = startedWindow();
  const int beeps = m_platform.beeps;
  click(*w, "tablePageButton");
  ASSERT_TRUE(QFileInfo(document("NoName.csv")).isFile());
  ASSERT_EQ(m_platform.opened.size(), 1);
  EXPECT_EQ(m_platform.opened[0].toLocalFile(), document("NoName.csv"));
  EXPECT_EQ(m_platform.beeps, beeps + 1);
  EXPECT_EQ(w->page(), Page::Table);
  EXPECT_TRUE(m_messages.empty());
}

// A desktop without a program for the file: the user is told where it was
// saved, once for each export.
TEST_F(ExportTest, AnExportNothingOpensNamesTheSavedFile) {
  auto w = startedWindow();
  m_platform.opens = false;
  click(*w, "tablePageButton");
  w->retouch();
  w->exportKml(Qt::LeftButton);
  ASSERT_EQ(m_messages.size(), 3u);
  for (const auto& [message, file] :
       {std::pair{m_messages[0], "NoName.csv"}, std::pair{m_messages[1], "NoName.bmp"},
        std::pair{m_messages[2], "VLRMap5.kml"}}) {
    EXPECT_EQ(message.text,
              QStringLiteral("Saved %1. No program is set to open .%2 files; open it by hand.")
                  .arg(QDir::toNativeSeparators(document(file)), QFileInfo(document(file)).suffix()));
    EXPECT_TRUE(QFileInfo(document(file)).isFile());
  }
  EXPECT_EQ(m_platform.opened.size(), 3);
}

TEST_F(ExportTest, AReadOnlyTableFileIsReportedAndNothingOpens) {
  auto w = startedWindow();
  QFile old(document("NoName.csv"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  ASSERT_EQ(old.write("old"), 3);
  old.close();
  ASSERT_TRUE(old.setPermissions(QFileDevice::ReadOwner));
  click(*w, "tablePageButton");
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].error);
  EXPECT_TRUE(m_messages[0].text.contains(QStringLiteral("NoName.csv")));
  EXPECT_TRUE(m_platform.opened.isEmpty());
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), QByteArray("old"));
}

const QImage& mapPicture(MainWindow& w) {
  return w.findChild<MapView*>(QStringLiteral("mapView"))->image();
}

// The Graph page puts the graph in place of the map, follows the boat list
// and the window's size, lays a hovered boat's curves over it, and keeps it
// while the replay ticks; the Track page brings back the map and the race
// choice.
TEST_F(ExportTest, GraphPageShowsTheGraphInPlaceOfTheMap) {
  write(QStringLiteral("raceadmin/racefile.st"), "bravo.txt\n");
  auto w = startedWindow();
  ASSERT_EQ(w->race().BoatCount(), 2);
  w->play(Transport::Forward);
  click(*w, "graphPageButton");
  EXPECT_EQ(w->page(), Page::Graph);
  ASSERT_FALSE(w->graphPicture().isNull());
  EXPECT_EQ(w->graphPicture().size(), QSize(w->mapWidth(), w->mapHeight()));
  EXPECT_EQ(mapPicture(*w), w->graphPicture());
  EXPECT_TRUE(w->findChild<QWidget*>(QStringLiteral("compassPanel"))->isHidden());
  EXPECT_TRUE(w->findChild<QWidget*>(QStringLiteral("windGraphPanel"))->isHidden());
  EXPECT_FALSE(w->findChild<QWidget*>(QStringLiteral("raceSelector"))->isEnabled());
  EXPECT_FALSE(w->findChild<QWidget*>(QStringLiteral("showRaceButton"))->isEnabled());
  w->onFrameTick();
  w->step(1);
  EXPECT_EQ(mapPicture(*w), w->graphPicture());

  // Both boats sail the same courses at the same speeds, boat 1 on top.
  const QImage bothBoats = w->graphPicture();
  QTest::mouseClick(w->findChild<QCheckBox*>(QStringLiteral("boatBox1")), Qt::LeftButton);
  EXPECT_NE(w->graphPicture(), bothBoats);
  EXPECT_EQ(mapPicture(*w), w->graphPicture());

  w->highlightBoat(0);
  EXPECT_NE(mapPicture(*w), w->graphPicture());
  EXPECT_EQ(mapPicture(*w).size(), w->graphPicture().size());
  w->highlightBoat(-1);
  EXPECT_EQ(mapPicture(*w), w->graphPicture());

  w->show();  // a hidden window hears of its new size only when shown
  w->resize(1100, 700);
  QCoreApplication::processEvents();
  EXPECT_EQ(w->graphPicture().size(), QSize(w->mapWidth(), 700));
  EXPECT_EQ(mapPicture(*w), w->graphPicture());

  click(*w, "trackPageButton");
  EXPECT_EQ(w->page(), Page::Track);
  EXPECT_NE(mapPicture(*w), w->graphPicture());
  EXPECT_FALSE(w->findChild<QWidget*>(QStringLiteral("compassPanel"))->isHidden());
  EXPECT_TRUE(w->findChild<QWidget*>(QStringLiteral("raceSelector"))->isEnabled());
  w->highlightBoat(0);  // the track page keeps its map
  EXPECT_EQ(mapPicture(*w), w->scene().SceneBitmap());
  EXPECT_TRUE(m_messages.empty());
}

QImage savedPicture(const QString& path) {
  return QImage(path, "BMP").convertToFormat(QImage::Format_RGB32);
}

// Retouch saves what the page shows: the graph on the Graph and Table pages,
// the live scene drawn at the replay time on the Track page, the replay going
// on only if it ran.
TEST_F(ExportTest, RetouchSavesThePictureOnScreenAndOpensIt) {
  auto w = startedWindow();
  auto* frameTimer = w->findChild<QTimer*>(QStringLiteral("frameTimer"));
  w->play(Transport::Forward);
  w->retouch();
  ASSERT_TRUE(m_messages.empty()) << m_messages[0].text.toStdString();
  ASSERT_EQ(m_platform.opened.size(), 1);
  EXPECT_EQ(m_platform.opened[0].toLocalFile(), document("NoName.bmp"));
  EXPECT_EQ(savedPicture(document("NoName.bmp")), w->scene().SceneBitmap());
  EXPECT_EQ(w->scene().state().t, w->clock().SceneTime());
  EXPECT_TRUE(frameTimer->isActive());

  w->play(Transport::Stop);
  w->retouch();
  EXPECT_FALSE(frameTimer->isActive());
  EXPECT_EQ(m_platform.opened.size(), 2);

  click(*w, "tablePageButton");
  EXPECT_EQ(mapPicture(*w), w->graphPicture());
  w->retouch();
  EXPECT_EQ(savedPicture(document("NoName.bmp")), w->graphPicture());
  EXPECT_EQ(QDir(m_documents.path()).entryList({QStringLiteral("NoName.*")}, QDir::Files),
            QStringList({QStringLiteral("NoName.bmp"), QStringLiteral("NoName.csv")}));
  EXPECT_TRUE(m_messages.empty());
}

// Tests run as root, whom a read-only folder does not stop: the documents
// "folder" is a regular file here, and then an earlier picture marked
// read-only.
TEST_F(ExportTest, AFailedRetouchIsReportedAndKeepsTheEarlierPicture) {
  auto w = startedWindow();
  auto* frameTimer = w->findChild<QTimer*>(QStringLiteral("frameTimer"));
  const QString notAFolder = document("Pictures");
  QFile blocker(notAFolder);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  w->setDocumentsFolder(notAFolder);
  w->play(Transport::Forward);
  w->retouch();
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].error);
  EXPECT_TRUE(m_messages[0].text.startsWith(notAFolder + QStringLiteral("/NoName.bmp")))
      << m_messages[0].text.toStdString();
  EXPECT_TRUE(m_platform.opened.isEmpty());
  EXPECT_TRUE(frameTimer->isActive());

  w->setDocumentsFolder(m_documents.path());
  click(*w, "graphPageButton");
  w->retouch();
  ASSERT_EQ(m_messages.size(), 1u);
  const QByteArray earlier = [&] {
    QFile f(document("NoName.bmp"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  ASSERT_FALSE(earlier.isEmpty());
  ASSERT_TRUE(QFile::setPermissions(document("NoName.bmp"), QFileDevice::ReadOwner));
  QTest::mouseClick(w->findChild<QCheckBox*>(QStringLiteral("boatBox1")), Qt::LeftButton);
  w->retouch();
  ASSERT_EQ(m_messages.size(), 2u);
  EXPECT_TRUE(m_messages[1].text.contains(document("NoName.bmp"))) << m_messages[1].text.toStdString();
  QFile kept(document("NoName.bmp"));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), earlier);
  EXPECT_EQ(m_platform.opened.size(), 1);
  QFile::setPermissions(document("NoName.bmp"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool waitForVideo(const MainWindow& w) {
  return QTest::qWaitFor([&w] { return !w.isExportingVideo(); }, 60000);
}

void rightClick(QWidget* button) {
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), button->mapToGlobal(QPoint(4, 4)));
  QCoreApplication::sendEvent(button, &event);
}

// Retouch with the right button writes the replay as a video while a
// progress dialog shows; the replay holds meanwhile and goes on as it was.
// Cancel keeps an earlier video; a folder that cannot hold it is reported.
TEST_F(ExportTest, RetouchRightClickWritesTheReplayAsAVideoAndOpensIt) {
  auto w = startedWindow();
  auto* frameTimer = w->findChild<QTimer*>(QStringLiteral("frameTimer"));
  auto* retouch = w->findChild<QPushButton*>(QStringLiteral("retouchButton"));
  ASSERT_NE(retouch, nullptr);
  // The whole race at 600X: a few dozen frames.
  w->findChild<QScrollBar*>(QStringLiteral("speedSlider"))->setValue(100);
  w->play(Transport::Forward);
  const double sceneTime = w->clock().SceneTime();
  bool dialogSeen = false;
  bool timerRanMeanwhile = true;
  QTimer::singleShot(0, w.get(), [&] {
    dialogSeen = w->findChild<QProgressDialog*>(QStringLiteral("videoProgress")) != nullptr;
    timerRanMeanwhile = frameTimer->isActive();
  });
  rightClick(retouch);
  ASSERT_TRUE(waitForVideo(*w));
  ASSERT_TRUE(m_messages.empty()) << m_messages[0].text.toStdString();
  EXPECT_TRUE(dialogSeen);
  EXPECT_FALSE(timerRanMeanwhile);
  EXPECT_TRUE(frameTimer->isActive());
  EXPECT_EQ(w->clock().SceneTime(), sceneTime);
  ASSERT_EQ(m_platform.opened.size(), 1);
  EXPECT_EQ(m_platform.opened[0].toLocalFile(), document("NoName.mp4"));
  const QByteArray video = fileBytes(document("NoName.mp4"));
  EXPECT_EQ(video.mid(4, 4), QByteArray("ftyp"));
  EXPECT_EQ(QDir(m_documents.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"NoName.mp4"});

  w->play(Transport::Stop);
  {
    QFile older(document("NoName.mp4"));
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    ASSERT_EQ(older.write("older video"), 11);
  }
  rightClick(retouch);
  auto* dialog = w->findChild<QProgressDialog*>(QStringLiteral("videoProgress"));
  ASSERT_NE(dialog, nullptr);
  dialog->cancel();
  ASSERT_TRUE(waitForVideo(*w));
  EXPECT_TRUE(m_messages.empty());
  EXPECT_FALSE(frameTimer->isActive());
  EXPECT_EQ(m_platform.opened.size(), 1);
  EXPECT_EQ(fileBytes(document("NoName.mp4")), QByteArray("older video"));
  EXPECT_EQ(QDir(m_documents.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"NoName.mp4"});

  // Root writes into read-only folders: a folder that is a regular file
  // stops everyone.
  const QString notAFolder = document("Videos");
  ASSERT_TRUE(QFile(notAFolder).open(QIODevice::WriteOnly));
  w->setDocumentsFolder(notAFolder);
  rightClick(retouch);
  EXPECT_FALSE(w->isExportingVideo());
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].error);
  EXPECT_TRUE(m_messages[0].text.startsWith(notAFolder + QStringLiteral("/NoName.mp4")))
      << m_messages[0].text.toStdString();
  EXPECT_EQ(m_platform.opened.size(), 1);
}

// The video is drawn off the window's thread: the window goes on handling
// its events, refuses another video, a load or a race switch (the race
// stays on screen for the frames), and closing it stops the video.
TEST_F(ExportTest, WhileAVideoIsWrittenTheWindowAnswersAndKeepsItsRace) {
  auto w = startedWindow();
  auto* retouch = w->findChild<QPushButton*>(QStringLiteral("retouchButton"));
  w->findChild<QScrollBar*>(QStringLiteral("speedSlider"))->setValue(100);
  QTimer probe;
  QElapsedTimer sinceProbe;
  qint64 longestWaitMs = 0;
  int probes = 0;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    longestWaitMs = std::max(longestWaitMs, sinceProbe.restart());
    ++probes;
  });
  const auto exportWhile = [&](const std::function<void()>& during) {
    rightClick(retouch);
    ASSERT_TRUE(w->isExportingVideo());
    sinceProbe.start();
    probe.start(5);
    QTest::qWait(50);
    during();
  };
  exportWhile([&] {
    const int beeps = m_platform.beeps;
    rightClick(retouch);
    EXPECT_EQ(w->findChildren<QProgressDialog*>(QStringLiteral("videoProgress")).size(), 1);
    choose(*w, QStringLiteral("bravo.txt"));
    w->onShowClicked();
    EXPECT_FALSE(w->LoadRace());
    EXPECT_EQ(m_platform.beeps, beeps + 3);
    EXPECT_FALSE(w->isLoading());
    ASSERT_TRUE(waitForVideo(*w));
  });
  probe.stop();
  RecordProperty("probes", probes);
  RecordProperty("windowWaitedAtMostMs", static_cast<int>(longestWaitMs));
  EXPECT_GT(probes, 5);
  EXPECT_LT(longestWaitMs, 200);
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));
  ASSERT_EQ(m_platform.opened.size(), 1);

  QFile::remove(document("NoName.mp4"));
  exportWhile([&] { w->close(); });
  EXPECT_FALSE(w->isExportingVideo());
  EXPECT_EQ(m_platform.opened.size(), 1);
  EXPECT_TRUE(QDir(m_documents.path()).isEmpty());
  exportWhile([&] { w.reset(); });
  EXPECT_TRUE(QDir(m_documents.path()).isEmpty());
}

TEST_F(ExportTest, KmlAsksAboutBoatsOutOfFocusOnlyWhenThereAreSome) {
  write(QStringLiteral("raceadmin/racefile.st"), "bravo.txt\n");
  auto w = startedWindow();
  w->exportKml(Qt::LeftButton);
  EXPECT_EQ(m_questions, 0);
  ASSERT_EQ(m_platform.opened.size(), 1);
  EXPECT_EQ(m_platform.opened[0].toLocalFile(), document("VLRMap5.kml"));

  QTest::mouseClick(w->findChild<QCheckBox*>(QStringLiteral("boatBox2")), Qt::LeftButton);
  w->exportKml(Qt::RightButton);
  EXPECT_EQ(m_questions, 1);
  EXPECT_EQ(m_question, QStringLiteral("Hide Unfocused Boat ?"));
  {
    const LanguageOnScreen japanese(Language::Japanese);
    w->exportKml(Qt::RightButton);
    EXPECT_EQ(m_question, QStringLiteral("フォーカスの外れた艇を隠しますか？\n"
                                         "（いいえの場合はフォーカスの外れた艇を細線で表示します）"));
  }
  QFile kml(document("VLRMap5.kml"));
  ASSERT_TRUE(kml.open(QIODevice::ReadOnly));
  const QByteArray text = kml.readAll();
  EXPECT_TRUE(text.contains("<kml"));
  // The icons named are the program's; nothing is written beside the races.
  const qsizetype href = text.indexOf("<href>");
  ASSERT_GE(href, 0);
  const QString icon = QString::fromUtf8(text.mid(href + 6, text.indexOf("</href>", href) - href - 6));
  EXPECT_TRUE(QFileInfo(icon).isFile()) << icon.toStdString();
  EXPECT_FALSE(QFileInfo::exists(QDir(m_dir.path()).filePath(QStringLiteral("ya"))));
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

// A SHOW pressed while a load runs is refused; the load in hand completes.
TEST_F(MainWindowTest, ASecondLoadDuringALoadIsRefused) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  choose(*w, QStringLiteral("bravo.txt"));
  ASSERT_TRUE(w->LoadRace());
  EXPECT_TRUE(w->isLoading());
  EXPECT_FALSE(w->LoadRace());
  click(*w, "showRaceButton");
  EXPECT_TRUE(waitForLoad(*w));
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));
  EXPECT_TRUE(m_messages.empty());
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

TEST_F(MainWindowTest, HintsComeAndGoWithThePointer) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  w->show();
  auto* hint = w->findChild<HintBox*>();
  auto* controls = w->findChild<QWidget*>(QStringLiteral("raceControlPanel"));

  // SHOW places its hint above itself; the AutoNext hint then appears there.
  hover(w->findChild<QWidget*>(QStringLiteral("showRaceButton")));
  ASSERT_TRUE(hint->isVisible());
  const QPoint showHintAt(controls->x() + 183 + 73 - 180, controls->y() + 28 - 37);
  EXPECT_EQ(hint->pos(), showHintAt);
  hover(w->findChild<QWidget*>(QStringLiteral("autoNextBox")));
  EXPECT_EQ(hint->pos(), showHintAt);
  EXPECT_EQ(hint->text(), QStringLiteral("Auto changer on/off"));

  // The empty part of the control panel takes every hint away.
  const QPoint empty(150, 3);
  ASSERT_EQ(controls->childAt(empty), nullptr);
  hover(controls, empty);
  EXPECT_FALSE(hint->isVisible());
  // Over a control the panel's own moves do not.
  hover(w->findChild<QWidget*>(QStringLiteral("bigBoatsBox")));
  hover(controls, QPoint(170, 121));
  EXPECT_TRUE(hint->isVisible());
  hover(w->findChild<QWidget*>(QStringLiteral("overviewPanel")), QPoint(200, 190));
  EXPECT_FALSE(hint->isVisible());

  // The wind graph's hint belongs to the live scene.
  auto* windGraph = w->findChild<WindGraphPanel*>();
  windGraph->setReplayMode(ReplayMode::WholeRace);
  hover(w->findChild<QWidget*>(QStringLiteral("windGraph")));
  EXPECT_FALSE(hint->isVisible());
  windGraph->setReplayMode(ReplayMode::Live);
  hover(w->findChild<QWidget*>(QStringLiteral("windGraph")));
  EXPECT_TRUE(hint->isVisible());
  EXPECT_EQ(hint->text(), QStringLiteral("TWD graph can be ON/OFF when click map."));

  // The score board jumps out of the pointer's way, and back.
  auto* board = w->findChild<ScoreBoard*>();
  const int right = w->mapWidth() - board->width() - 5;
  EXPECT_EQ(board->x(), right);
  QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
  QCoreApplication::sendEvent(board, &enter);
  EXPECT_EQ(board->x(), 5);
  QCoreApplication::sendEvent(board, &enter);
  EXPECT_EQ(board->x(), right);
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

// Races made from logs go to the user's data folder: here a temporary one.
class LogsToRaceTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ASSERT_TRUE(m_data.isValid() && m_logs.isValid());
    m_oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    m_userRaces = userRacesFolder();
  }
  void TearDown() override { qputenv("XDG_DATA_HOME", m_oldDataHome); }

  std::unique_ptr<MainWindow> startedWindow() {
    auto w = makeWindow();
    w->setUserRacesFolder(m_userRaces);
    EXPECT_TRUE(startUpAndWait(*w));
    return w;
  }
  // Three boats of one demo race, in three formats.
  QStringList demoLogs() const {
    QStringList logs;
    for (const char* name : {"jpn3371.gpx", "jpn2700.gdb", "jpn4677.trl"}) {
      logs.append(QDir(m_logs.path()).filePath(QString::fromLatin1(name)));
      EXPECT_TRUE(QFile::copy(QStringLiteral(VELARO_SOURCE_DIR "/data/demo/gpsdat/enoshima-spring-") + name,
                              logs.back()));
    }
    return logs;
  }
  static void drop(MainWindow& w, const QStringList& files) {
    QMimeData mime;
    for (const QString& file : files) {
      mime.setUrls(mime.urls() << QUrl::fromLocalFile(file));
    }
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &dropped);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
  }
  // Until the race being made is shown or refused.
  void waitForMessage(MainWindow& w) {
    QDeadlineTimer deadline(60000);
    while ((m_messages.empty() || w.isMakingRace() || w.isLoading()) && !deadline.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_FALSE(m_messages.empty());
  }
  QStringList madeRaceFiles() const {
    return QDir(m_userRaces + QStringLiteral("/raceadmin")).entryList({QStringLiteral("*.txt")}, QDir::Files);
  }

  QTemporaryDir m_data;
  QTemporaryDir m_logs;
  QByteArray m_oldDataHome;
  QString m_userRaces;
};

#define SKIP_UNTIL_RACES_ARE_MADE(text)                 \
  if ((text).contains(QStringLiteral("not built yet"))) \
  GTEST_SKIP()

TEST_F(LogsToRaceTest, ThreeLogsDroppedOnTheWindowPlayAsARace) {
  auto w = startedWindow();
  const QStringList logs = demoLogs();
  drop(*w, logs);
  EXPECT_TRUE(w->isMakingRace());
  w->openLogsAsRace(logs);  // refused while the first is made
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_FALSE(m_messages[0].error);
  m_messages.clear();
  waitForMessage(*w);
  SKIP_UNTIL_RACES_ARE_MADE(m_messages[0].text);

  ASSERT_EQ(m_messages.size(), 1u) << m_messages[0].text.toStdString();
  EXPECT_EQ(m_messages[0].caption, QStringLiteral("New race"));
  EXPECT_TRUE(m_messages[0].text.startsWith(QStringLiteral("Made "))) << m_messages[0].text.toStdString();
  EXPECT_EQ(w->race().BoatCount(), 3);
  const QStringList made = madeRaceFiles();
  ASSERT_EQ(made.size(), 1);
  EXPECT_EQ(w->selectedRacePath(), m_userRaces + QStringLiteral("/raceadmin/") + made[0]);
  // The selector lists it after the folder's races, chosen.
  EXPECT_EQ(w->raceFiles(), QStringList({"alpha.txt", "bravo.txt", "broken.txt", "empty.txt", made[0]}));
  EXPECT_EQ(w->findChild<QComboBox*>(QStringLiteral("raceSelector"))->currentIndex(), 4);
}

TEST_F(LogsToRaceTest, BadFilesAreNamedAndTheRaceOnScreenStays) {
  auto w = startedWindow();
  write(QStringLiteral("notes.pdf"), "%PDF");
  drop(*w, {QDir(m_dir.path()).filePath(QStringLiteral("notes.pdf"))});
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].error);
  EXPECT_TRUE(m_messages[0].text.endsWith(QStringLiteral(": notes.pdf"))) << m_messages[0].text.toStdString();

  // A web page saved as a log, among good logs.
  m_messages.clear();
  write(QStringLiteral("page.gpx"), "<html><body>Not found</body></html>\n");
  w->openLogsAsRace(demoLogs() << QDir(m_dir.path()).filePath(QStringLiteral("page.gpx")));
  waitForMessage(*w);
  SKIP_UNTIL_RACES_ARE_MADE(m_messages[0].text);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].error);
  EXPECT_TRUE(m_messages[0].text.contains(QStringLiteral("page.gpx"))) << m_messages[0].text.toStdString();
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));
  EXPECT_TRUE(madeRaceFiles().isEmpty());
}

// The user's races follow the folder's in the selector and are read in
// their own folder.
TEST_F(LogsToRaceTest, TheSelectorListsTheUsersRacesAfterTheFolders) {
  for (const char* sub : {"/raceadmin", "/gpsdat"}) {
    ASSERT_TRUE(QDir().mkpath(m_userRaces + QString::fromLatin1(sub)));
  }
  write(m_userRaces + QStringLiteral("/raceadmin/mine.txt"),
        "T1,My Race\nST,2009/07/19 10:00:00\nFT,2009/07/19 11:00:00\nBN,mine.gpx,M\n");
  ASSERT_TRUE(QFile::copy(QDir(m_dir.path()).filePath(QStringLiteral("gpsdat/a.gpx")),
                          m_userRaces + QStringLiteral("/gpsdat/mine.gpx")));
  auto w = startedWindow();
  EXPECT_EQ(w->raceFiles(), QStringList({"alpha.txt", "bravo.txt", "broken.txt", "empty.txt", "mine.txt"}));
  choose(*w, QStringLiteral("mine.txt"));
  showAndWait(*w);
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("My Race"));
  EXPECT_EQ(w->currentRace(), 5);
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

// While a race loads, whatever would start something is refused with a
// beep and shows what it showed before; the race on screen stays whole and
// the new one comes up on the Track page with its compass and SHOW.
TEST_F(MainWindowTest, ControlsUsedDuringALoadAreRefused) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  choose(*w, QStringLiteral("bravo.txt"));
  w->onShowClicked();
  ASSERT_TRUE(w->isLoading());
  const int beeps = m_platform.beeps;
  const double sceneTime = w->clock().SceneTime();
  for (const char* control : {"graphPageButton", "tablePageButton", "stopButton", "stepForwardButton",
                              "autoTraceBox", "retouchButton", "showRaceButton"}) {
    click(*w, control);
  }
  auto* retouch = w->findChild<QPushButton*>(QStringLiteral("retouchButton"));
  emit retouch->customContextMenuRequested(QPoint(2, 2));
  auto* earth = w->findChild<QPushButton*>(QStringLiteral("googleEarthButton"));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(earth, &press);
  EXPECT_EQ(m_platform.beeps - beeps, 9);
  EXPECT_TRUE(w->findChild<QAbstractButton*>(QStringLiteral("trackPageButton"))->isChecked());
  EXPECT_TRUE(w->findChild<QAbstractButton*>(QStringLiteral("autoTraceBox"))->isChecked());
  EXPECT_EQ(w->page(), Page::Track);
  EXPECT_EQ(w->clock().SceneTime(), sceneTime);
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));

  ASSERT_TRUE(waitForLoad(*w));
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Bravo Cup"));
  EXPECT_EQ(w->page(), Page::Track);
  EXPECT_FALSE(w->findChild<QWidget*>(QStringLiteral("compassPanel"))->isHidden());
  EXPECT_TRUE(w->findChild<QWidget*>(QStringLiteral("showRaceButton"))->isEnabled());
  EXPECT_TRUE(m_messages.empty());
  EXPECT_TRUE(m_platform.opened.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(QDir(w->documentsFolder()).filePath(QStringLiteral("NoName.mp4"))));
}

// After a broken first race there is no race: play, steps and the ticks do
// nothing (no beeps, no gun, no clock running, no next race).
TEST_F(MainWindowTest, TransportWithNoRaceDoesNothing) {
  write(QStringLiteral("raceadmin/racefile.st"), "broken.txt\n");
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  m_messages.clear();
  const int beeps = m_platform.beeps;
  const int guns = m_platform.guns;
  click(*w, "stopButton");
  w->play(Transport::Forward);
  click(*w, "stepForwardButton");
  for (int i = 0; i < 100; ++i) {
    w->onFrameTick();
    w->onSecondTick();
  }
  EXPECT_FALSE(w->findChild<QTimer*>(QStringLiteral("frameTimer"))->isActive());
  EXPECT_FALSE(w->findChild<QTimer*>(QStringLiteral("secondTimer"))->isActive());
  EXPECT_EQ(m_platform.beeps, beeps);
  EXPECT_EQ(m_platform.guns, guns);
  EXPECT_FALSE(w->isLoading());
  EXPECT_EQ(w->race().BoatCount(), 0);
  EXPECT_TRUE(m_messages.empty());
}

// A race that fails to load leaves the one on screen at the moment it showed,
// stopped as it was.
TEST_F(MainWindowTest, AFailedLoadKeepsTheReplayWhereItWas) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  click(*w, "stopButton");
  for (int i = 0; i < 5; ++i) {
    w->step(1);
  }
  const double sceneTime = w->clock().SceneTime();
  ASSERT_GT(sceneTime, w->race().TimeAxisStart);
  choose(*w, QStringLiteral("broken.txt"));
  showAndWait(*w);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].error);
  EXPECT_EQ(w->race().RaceCaption, QStringLiteral("Alpha Cup"));
  EXPECT_EQ(w->clock().SceneTime(), sceneTime);
  EXPECT_FALSE(w->findChild<QTimer*>(QStringLiteral("secondTimer"))->isActive());
  EXPECT_EQ(w->selectedRacePath(), QDir(m_dir.path()).filePath(QStringLiteral("raceadmin/alpha.txt")));
}

// The splash closed (and deleted) while the first load runs; the load ends
// and the race shows. Left open, it fades on a timer.
TEST_F(MainWindowTest, TheSplashMayCloseDuringTheFirstLoad) {
  for (bool closeEarly : {true, false}) {
    QPointer<SplashForm> splash = new SplashForm;
    splash->show();
    MainWindow w(RaceFolders(m_dir.path()), m_platform, splash);
    w.setLoadWaitMs(0);
    w.resize(1280, 800);
    w.setMessageSink([](const QString&, const QString&, bool) {});
    std::optional<bool> goOn;
    QObject::connect(&w, &MainWindow::startUpFinished, [&goOn](bool ok) { goOn = ok; });
    w.startUp();
    if (closeEarly) {
      splash->close();
    }
    ASSERT_TRUE(QTest::qWaitFor([&goOn] { return goOn.has_value(); }, 20000));
    EXPECT_TRUE(*goOn);
    EXPECT_EQ(w.race().RaceCaption, QStringLiteral("Alpha Cup"));
    if (closeEarly) {
      EXPECT_TRUE(QTest::qWaitFor([&splash] { return splash.isNull(); }, 2000));
    } else {
      ASSERT_TRUE(splash);
      EXPECT_TRUE(QTest::qWaitFor([&splash] { return !splash->isFading(); }, 2000));
      EXPECT_EQ(splash->alpha(), 130);
      delete splash;
    }
  }
}

// A load that throws (out of memory on a huge log) ends as a read error
// naming the race file.
TEST_F(MainWindowTest, ALoadThatThrowsIsAReadError) {
  LoadCallbacks callbacks;
  callbacks.raceFileRead = [](const Race&) { throw std::bad_alloc(); };
  const LoadResult result =
      loadCatchingFailures(QDir(m_dir.path()).filePath(QStringLiteral("raceadmin/alpha.txt")),
                           RaceFolders(m_dir.path()), LoadOptions{}, callbacks);
  EXPECT_FALSE(result.loaded);
  EXPECT_EQ(result.failure, LoadFailure::ReadError);
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->toString(), QStringLiteral("alpha.txt: not enough memory to load the race"));
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

// The replay driver owns the clock's timers and tells each change of them.
TEST_F(MainWindowTest, TheReplayDriverOwnsTheTimersAndTellsTheirChanges) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  auto* driver = w->findChild<ReplayDriver*>(QStringLiteral("replayDriver"));
  ASSERT_NE(driver, nullptr);
  auto* frames = w->findChild<QTimer*>(QStringLiteral("frameTimer"));
  auto* seconds = w->findChild<QTimer*>(QStringLiteral("secondTimer"));
  ASSERT_TRUE(frames && seconds);
  EXPECT_EQ(frames->parent(), driver);
  EXPECT_EQ(seconds->parent(), driver);
  QSignalSpy changes(driver, &ReplayDriver::stateChanged);
  click(*w, "stopButton");
  EXPECT_FALSE(frames->isActive() || seconds->isActive());
  w->play(Transport::Backward);
  EXPECT_TRUE(frames->isActive() && seconds->isActive());
  EXPECT_EQ(w->clock().transport(), Transport::Backward);
  EXPECT_EQ(changes.count(), 2);
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

// One user action draws the map once; the program's own setting of its
// controls (a new race's switches) sends none of the user's signals.
TEST_F(MainWindowTest, OneUserActionGivesOneRedraw) {
  auto w = makeWindow();
  ASSERT_TRUE(startUpAndWait(*w));
  click(*w, "stopButton");
  auto* map = w->findChild<MapView*>();
  struct Action {
    const char* name;
    std::function<void()> run;
  };
  auto* zoom = w->findChild<QScrollBar*>(QStringLiteral("zoomSlider"));
  auto* sea = w->findChild<QScrollBar*>(QStringLiteral("seaBrightnessSlider"));
  const std::vector<Action> actions = {
      {"boat names", [&] { click(*w, "boatNamesBox"); }},
      {"laylines", [&] { click(*w, "laylineBox"); }},
      {"big boats", [&] { click(*w, "bigBoatsBox"); }},
      {"north up", [&] { click(*w, "northUpButton"); }},
      {"wind up", [&] { click(*w, "windUpButton"); }},
      {"zoom", [&] { zoom->setValue(zoom->value() - 10); }},
      {"sea colour", [&] { sea->setValue(sea->value() - 10); }},
      {"step", [&] { click(*w, "stepForwardButton"); }},
      {"whole race", [&] { click(*w, "autoTraceBox"); }},
      {"show another race",
       [&] {
         choose(*w, QStringLiteral("bravo.txt"));
         showAndWait(*w);
       }},
  };
  for (const Action& action : actions) {
    const int before = map->picturesShown();
    action.run();
    EXPECT_EQ(map->picturesShown() - before, 1) << action.name;
  }
}

}  // namespace
}  // namespace velaro
