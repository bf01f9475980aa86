#include "app/mainwindow.h"

#include "app/controls.h"
#include "app/desktop/ignoredrecordsmessage.h"
#include "app/desktop/logstorace.h"
#include "app/desktop/platform.h"
#include "app/desktop/videoexport.h"
#include "app/panels/boatlistpanel.h"
#include "app/panels/compasspanel.h"
#include "app/panels/hintbox.h"
#include "app/panels/mapview.h"
#include "app/panels/overviewpanel.h"
#include "app/panels/scoreboard.h"
#include "app/panels/stopwatchwidget.h"
#include "app/panels/timebarwidget.h"
#include "app/panels/windgraphpanel.h"
#include "app/panels/windowlayout.h"
#include "app/panels/windowpanels.h"
#include "app/replay/boatlisthover.h"
#include "app/replay/mapinteraction.h"
#include "app/replay/raceloadjob.h"
#include "app/replay/videoexportjob.h"
#include "core/replay/lightflasher.h"
#include "core/scene/scenestate.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QShortcut>

#include <algorithm>
#include <utility>

namespace velaro {

MainWindow::MainWindow(RaceFolders folders, Platform& platform, QPointer<SplashForm> splash, QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_folders(std::move(folders)),
      m_platform(platform),
      m_splash(std::move(splash)),
      m_coverShown(m_splash && m_splash->coverShown()),
      m_documents(m_folders, platform) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QStringLiteral("Velaro"));
  setFont(windowFont(font(), logicalDpiY()));

  m_panels = WindowPanels::create(this);
  m_replayScreen.setPanels(m_panels);
  m_mapInteraction = new MapInteraction(
      m_replayScreen, {m_panels.map, m_panels.hints, m_panels.windGraph, m_panels.controls}, this);
  m_mapInteraction->connectPointerSources(m_panels.overview, m_panels.compass);
  m_boatListHover =
      new BoatListHover(m_replayScreen, *m_mapInteraction,
                        {m_panels.boatList, m_panels.overview, m_panels.controls, m_panels.hints}, this);
  m_boatListHover->setRace(&m_loaded);
  // Keys are previewed for the whole window, whichever control has focus.
  QCoreApplication::instance()->installEventFilter(m_mapInteraction);
  m_replay = new ReplayDriver(
      {m_panels.controls, m_panels.stopwatch, m_panels.timeBar, m_panels.overview, m_panels.hints},
      {&m_replayScreen, m_mapInteraction, nullptr, &m_selection, &m_folders, [this] { return mapWidth(); }},
      m_platform, this);
  m_panels.stopwatch->setTimeSource([this] { return m_replay->sceneTime(); });
  m_pages = new PageSwitcher(
      m_documents,
      {m_panels.map, m_panels.stopwatch, m_panels.compass, m_panels.windGraph, m_panels.boatList},
      {&m_replayScreen, m_replay, m_mapInteraction, [this] { return QSize(mapWidth(), mapHeight()); }}, this);
  m_replay->setPages(m_pages);
  m_loadJob = new RaceLoadJob(this);
  m_videoJob = new VideoExportJob(this);
  m_loadPause.setSingleShot(true);
  m_loadPause.setObjectName(QStringLiteral("loadPauseTimer"));
  connect(&m_loadPause, &QTimer::timeout, this, [this] { endLoad(true); });
  m_loadProbe.setInterval(10);
  connect(&m_loadProbe, &QTimer::timeout, this,
          [this] { m_longestWaitMs = std::max(m_longestWaitMs, m_sinceProbe.restart()); });
  connectPanels();
  auto* openLogs = new QShortcut(QKeySequence::Open, this);
  openLogs->setObjectName(QStringLiteral("openLogsShortcut"));
  connect(openLogs, &QShortcut::activated, this, &MainWindow::chooseLogsAsRace);
}

MainWindow::~MainWindow() {
  // The video's worker reads the race this window owns.
  delete std::exchange(m_videoJob, nullptr);
}

void MainWindow::connectPanels() {
  RaceControlPanel* controls = m_panels.controls;
  connect(m_loadJob, &RaceLoadJob::finished, this, &MainWindow::onLoadFinished);
  connect(m_videoJob, &VideoExportJob::finished, this, &MainWindow::onVideoWritten);
  connect(m_loadJob, &RaceLoadJob::beepRequested, this, [this] { m_platform.beep(); });
  connect(m_loadJob, &RaceLoadJob::titlesRead, this,
          [this](const QString& caption, const QString& subcaption) {
            if (m_splashFollowsLoad && m_splash) {
              m_splash->setTitles(caption, subcaption);
            }
          });
  connect(m_loadJob, &RaceLoadJob::progress, this, [this](int k, int count, const QString& fileName) {
    if (m_splashFollowsLoad && m_splash) {
      m_splash->showProgress(fileName, k, count);
    }
  });
  connect(this, &MainWindow::loadingChanged, m_panels.controls, &RaceControlPanel::setLoading);
  connect(this, &MainWindow::loadingChanged, m_replay, &ReplayDriver::setLoading);
  connect(m_panels.controls, &RaceControlPanel::refused, this, [this] { m_platform.beep(); });
  connect(m_panels.overview, &OverviewPanel::helpClicked, this,
          [this](const QString& page) { m_documents.openHelp(m_language, page); });
  m_panels.hints->follow(m_panels.overview, m_panels.controls, m_panels.windGraph);
  connect(controls, &RaceControlPanel::hintsSwitched, m_panels.hints, &HintBox::setHintsOn);
  // Over the panels' empty parts every hover reaction ends.
  connect(m_panels.overview, &OverviewPanel::pointerOnEmptyPart, this, &MainWindow::endHovers);
  connect(controls, &RaceControlPanel::pointerOnEmptyPart, this, &MainWindow::endHovers);
  connect(m_panels.boatList, &BoatListPanel::focusChanged, this, &MainWindow::onBoatFocusChanged);
  connect(m_panels.boatList, &BoatListPanel::pickedBoatChanged, this, &MainWindow::updateSceneOptions);
  connect(m_boatListHover, &BoatListHover::curvesHighlighted, this, &MainWindow::highlightBoat);
  // The hovered boat's halo in the live scene.
  connect(m_boatListHover, &BoatListHover::hoverChanged, this, &MainWindow::updateSceneOptions);
  connect(controls, &RaceControlPanel::raceChosen, this, &MainWindow::onRaceChosen);
  connect(controls, &RaceControlPanel::showClicked, this, &MainWindow::onShowClicked);
  connect(controls, &RaceControlPanel::exitClicked, this, &QWidget::close);
  connect(controls, &RaceControlPanel::pageChosen, this, &MainWindow::choosePage);
  connect(controls, &RaceControlPanel::orientationChanged, this, [this] {
    m_replayScreen.drawOverview();
    updateSceneOptions();
  });
  connect(controls, &RaceControlPanel::displayChanged, this, &MainWindow::updateSceneOptions);
  connect(controls, &RaceControlPanel::speedMoved, this,
          [this](int position) { m_replay->onSpeedMoved(position); });
  connect(controls, &RaceControlPanel::transportChosen, m_replay, &ReplayDriver::play);
  connect(controls, &RaceControlPanel::stepRequested, m_replay, &ReplayDriver::step);
  connect(controls, &RaceControlPanel::attachmentsClicked, this, [this] { m_platform.beep(); });
  connect(controls, &RaceControlPanel::attachmentChosen, this,
          [this](const QString& name) { m_documents.openAttachment(selectedRaceFolders(), name); });
  connect(controls, &RaceControlPanel::openLogsRequested, this, &MainWindow::chooseLogsAsRace);
  connect(controls, &RaceControlPanel::kmlExportRequested, this, &MainWindow::exportKml);
  connect(controls, &RaceControlPanel::retouchClicked, m_pages, &PageSwitcher::retouch);
  connect(controls, &RaceControlPanel::retouchRightClicked, this, &MainWindow::exportVideo);
  connect(controls, &RaceControlPanel::languageChosen, this, &MainWindow::setLanguage);

  ReplayDriver* replay = m_replay;
  connect(m_panels.timeBar, &TimeBarWidget::jumpRequested, replay, &ReplayDriver::timeBarJump);
  connect(m_panels.timeBar, &TimeBarWidget::startRequested, replay, &ReplayDriver::rewindToStart);
  connect(m_panels.timeBar, &TimeBarWidget::previewRequested, replay, &ReplayDriver::timeBarPreview);
  connect(m_panels.timeBar, &TimeBarWidget::previewEnded, this, &MainWindow::endHovers);
  connect(controls, &RaceControlPanel::autoTraceClicked, replay, &ReplayDriver::onAutoTraceClicked);
  connect(replay, &ReplayDriver::viewSwitched, this, &MainWindow::updateSceneOptions);
  connect(replay, &ReplayDriver::nextRaceSelected, this, [this] { LoadRace(); });

  connect(m_pages, &PageSwitcher::pageChanged, m_mapInteraction, &MapInteraction::setPage);
  connect(m_pages, &PageSwitcher::pageChanged, m_boatListHover, &BoatListHover::setPage);
  connect(m_pages, &PageSwitcher::trackShown, replay, &ReplayDriver::resumeTrack);
  connect(m_pages, &PageSwitcher::failed, this, [this](const QString& error) { showMessage(error, true); });

  MapInteraction* pointer = m_mapInteraction;
  connect(m_panels.map, &MapView::mouseLeft, this, &MainWindow::showRaceCaption);
  connect(pointer, &MapInteraction::redrawRequested, replay, &ReplayDriver::redrawMap);
  connect(pointer, &MapInteraction::captionChanged, this, &QWidget::setWindowTitle);
  connect(pointer, &MapInteraction::sceneFlagsChanged, replay, &ReplayDriver::redrawStoppedScene);
}

void MainWindow::startUp() {
  m_documents.useDefaultDocumentsFolder();
  m_panels.controls->setAutoNext(true);

  setLanguage(languageForSystemLocale());
  m_platform.playGun();
  m_selection = RaceSelection::open(m_folders);
  if (!m_userRaces.root().isEmpty()) {
    m_selection.listMore(m_userRaces);
  }
  m_panels.controls->setRaceFiles(m_selection.raceFiles);
  if (m_selection.CurrentRace > 0) {
    m_panels.controls->setChosenRace(m_selection.CurrentRace - 1);
  }

  LoadRace([this](bool loaded) {
    m_panels.controls->setSeaBrightness(100);
    m_panels.controls->setAutoBrightness(true);
    // A race without a single boat at start-up ends the program; a race file
    // that failed to read leaves the window open with the selector usable.
    emit startUpFinished(loaded || m_haveRace || !m_lastLoadHadNoBoats);
  });
}

void MainWindow::setLanguage(Language language) {
  m_language = language;
  m_mapInteraction->setLanguage(language);
  m_replay->setLanguage(language);
  installLanguage(language);
  m_panels.controls->setLanguage(language);
}

void MainWindow::showMessage(const QString& text, bool error) {
  showMessage(QStringLiteral("Velaro"), text, error);
}

void MainWindow::showMessage(const QString& caption, const QString& text, bool error) {
  if (m_messageSink) {
    m_messageSink(caption, text, error);
  }
}

bool MainWindow::LoadRace(LoadDone done) {
  // One load at a time, and none while a video is written from the race on
  // screen: a second request meanwhile is refused.
  if (m_loading || isExportingVideo()) {
    m_platform.beep();
    return false;
  }
  m_loading = true;
  m_afterLoad = std::move(done);
  m_mapInteraction->setActive(false);
  m_lastLoadHadNoBoats = false;
  m_loadingRaceName = QFileInfo(m_selection.SelectedRacePath).fileName();
  m_loadTimer.start();
  if (m_loadLog) {
    m_loadLog(QStringLiteral("load %1: started").arg(m_loadingRaceName));
    m_longestWaitMs = 0;
    m_sinceProbe.start();
    m_loadProbe.start();
  }
  m_replay->halt();
  m_panels.hints->hideHint();
  m_platform.beep();
  setCursor(Qt::BusyCursor);
  emit loadingChanged(true);

  LoadOptions options;
  options.previous = m_haveRace ? m_loaded.race.carryOver() : RaceCarryOver{};
  options.coverShown = m_coverShown;
  options.mapArea = QSize(std::max(1, mapWidth()), std::max(1, mapHeight()));
  // The splash follows only the first load.
  m_splashFollowsLoad = !m_firstLoadDone && m_splash;
  m_loadJob->start(m_selection.SelectedRacePath, selectedRaceFolders(), options);
  return true;
}

void MainWindow::onLoadFinished() {
  LoadResult load = m_loadJob->takeResult();
  const QString& raceName = m_loadingRaceName;
  if (m_loadLog) {
    m_loadProbe.stop();
    m_loadLog(load.loaded ? QStringLiteral("load %1: done, %2 boats, %3 ms, window waited at most %4 ms")
                                .arg(raceName)
                                .arg(load.loaded->race.BoatCount())
                                .arg(m_loadTimer.elapsed())
                                .arg(m_longestWaitMs)
                          : QStringLiteral("load %1: failed: %2")
                                .arg(raceName, load.error ? load.error->toString()
                                                          : QStringLiteral("GPS file not exists.")));
  }
  if (load.failure == LoadFailure::ReadError) {
    showMessage(load.error ? load.error->toString() : QStringLiteral("The race could not be read."), true);
  } else if (!load.loaded) {
    m_lastLoadHadNoBoats = true;
    const auto ignored = IgnoredRecordsMessage::text(raceName, load.ignored);
    showMessage(
        QStringLiteral("GPS file not exists.") + (ignored ? QStringLiteral("\n\n") + *ignored : QString()),
        false);
  }
  if (!load.loaded) {
    endLoad(false);
    return;
  }
  m_loaded = std::move(*load.loaded);
  m_haveRace = m_firstLoadDone = true;
  applyRaceToPanels();
  m_replayScreen.showFrame(m_replay->sceneTime());
  // The first frame stands a moment before the replay starts.
  m_loadPause.start(m_loadWaitMs);
  m_loadPauseIgnored = std::move(load.ignored);
}

void MainWindow::endLoad(bool replaced) {
  if (replaced) {
    if (const auto ignored = IgnoredRecordsMessage::text(m_loadingRaceName, m_loadPauseIgnored)) {
      showMessage(*ignored, false);
    }
    m_loadPauseIgnored.clear();
  }
  if (m_splashFollowsLoad && m_splash && !m_splash->isHidden()) {
    m_splash->fadeOut();
  }
  m_splashFollowsLoad = false;
  m_loading = false;
  unsetCursor();
  m_mapInteraction->setActive(m_haveRace);
  m_replay->resumeAfterLoad(replaced);
  emit loadingChanged(false);
  if (LoadDone done = std::exchange(m_afterLoad, nullptr)) {
    done(replaced);
  }
  emit loadFinished(replaced);
}

void MainWindow::applyRaceToPanels() {
  const Race& race = m_loaded.race;
  m_pages->setRace(&m_loaded);
  m_mapInteraction->setRace(&m_loaded);
  m_replay->setRace(&m_loaded);
  m_panels.controls->showRace(race.NorthUp > 0, race.Attachment,
                              QFileInfo(m_selection.SelectedRacePath).fileName());
  m_panels.boatList->setBoats(m_loaded);
  m_panels.scoreBoard->setResults(m_loaded.resultLabels, m_loaded.colours.BoatColour);
  m_replayScreen.setRace(&m_loaded);
  applySceneOptions();

  m_replay->startRace(clockRaceFor(m_loaded));
  m_panels.overview->setClockText(clockTextAt(race.RaceStart, race.TimeAxisStart));
  m_panels.windGraph->showRace(m_loaded);
  m_panels.stopwatch->show();
  showRaceCaption();
  ArrangeWindow();
  m_pages->redrawGraph();
}

const RaceFolders& MainWindow::selectedRaceFolders() const {
  return m_selection.selectedFolders.root().isEmpty() ? m_folders : m_selection.selectedFolders;
}

void MainWindow::showRaceCaption() {
  setWindowTitle(m_loaded.race.RaceCaption.isEmpty() ? QStringLiteral("Velaro") : m_loaded.race.RaceCaption);
}

int MainWindow::mapWidth() const {
  return WindowLayout::forClient(size(), m_loaded.race.BoatListHeight).map.width();
}

void MainWindow::ArrangeWindow() {
  m_panels.arrange(WindowLayout::forClient(size(), m_loaded.race.BoatListHeight));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ArrangeWindow();
  updateSceneOptions();
  // The page's picture follows the size where it is shown; the other pages
  // draw theirs afresh when they show it.
  m_pages->redrawPage();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  m_videoJob->stop();
  m_replay->halt();
  m_platform.beep();
  if (m_splash) {
    m_splash->close();
  }
  event->accept();
}

void MainWindow::onRaceChosen(int index) {
  m_selection.ChosenRaceIndex = index + 1;
}

void MainWindow::onShowClicked() {
  if (m_loading || isExportingVideo()) {
    m_platform.beep();
    return;
  }
  const QString text = m_panels.controls->chosenRaceText();
  if (m_haveRace && m_selection.isSelected(text)) {
    showMessage(QStringLiteral("Already shown."), false);
    return;
  }
  const RaceSelection previous = m_selection;
  m_selection.selectNamed(m_folders, text, m_panels.controls->chosenRace());
  m_platform.beep();
  // The race on screen stays when the new one does not load; so do its path
  // and catalogue position.
  auto keepPrevious = [this, previous](bool replaced) {
    if (!replaced && m_haveRace) {
      m_selection.SelectedRacePath = previous.SelectedRacePath;
      m_selection.selectedFolders = previous.selectedFolders;
      m_selection.CurrentRace = previous.CurrentRace;
    }
  };
  if (!LoadRace(keepPrevious)) {
    keepPrevious(false);
  }
}

void MainWindow::setUserRacesFolder(const QString& folder) {
  m_userRaces = RaceFolders(folder);
  delete m_logsToRace;
  m_logsToRace = new LogsToRace(folder, this);
  m_logsToRace->acceptDrops(this);
  connect(m_logsToRace, &LogsToRace::busyChanged, this, [](bool busy) {
    if (busy) {
      QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
      QGuiApplication::restoreOverrideCursor();
    }
  });
  connect(m_logsToRace, &LogsToRace::refused, this, [this](const QString& text, bool error) {
    m_platform.beep();
    showMessage(text, error);
  });
  connect(m_logsToRace, &LogsToRace::raceMade, this, &MainWindow::showNewRace);
}

void MainWindow::openLogsAsRace(const QStringList& paths) {
  if (m_logsToRace) {
    m_logsToRace->open(paths);
  }
}

void MainWindow::chooseLogsAsRace() {
  if (m_logsToRace) {
    m_logsToRace->chooseAndOpen(this);
  }
}

bool MainWindow::isMakingRace() const {
  return m_logsToRace && m_logsToRace->isBusy();
}

void MainWindow::showNewRace(const QString& raceFileName, const QString& summary) {
  // A load or a video in hand ends first.
  if (m_loading || isExportingVideo()) {
    QTimer::singleShot(200, this, [this, raceFileName, summary] { showNewRace(raceFileName, summary); });
    return;
  }
  m_selection.listMore(m_userRaces);
  m_panels.controls->setRaceFiles(m_selection.raceFiles);
  const RaceSelection previous = m_selection;
  m_selection.selectIn(m_userRaces, raceFileName);
  // The new race is shown on the Track page, as SHOW shows a race.
  if (page() != Page::Track) {
    m_panels.controls->checkTrackPage();
    choosePage(Page::Track);
  }
  auto shown = [this, previous, summary](bool replaced) {
    if (!replaced && m_haveRace) {
      m_selection.SelectedRacePath = previous.SelectedRacePath;
      m_selection.selectedFolders = previous.selectedFolders;
      m_selection.CurrentRace = previous.CurrentRace;
    }
    m_selection.ChosenRaceIndex = m_selection.CurrentRace;
    if (m_selection.CurrentRace > 0) {
      m_panels.controls->setChosenRace(m_selection.CurrentRace - 1);
    }
    if (replaced) {
      showMessage(tr("New race"), summary, false);
    }
  };
  if (!LoadRace(shown)) {
    shown(false);
  }
}

void MainWindow::choosePage(Page page) {
  m_pages->choose(page);
}

void MainWindow::onBoatFocusChanged() {
  updateSceneOptions();
  m_pages->redrawPage();
}

void MainWindow::highlightBoat(int boat) {
  m_pages->highlightBoat(boat);
}

void MainWindow::exportVideo() {
  if (!m_haveRace) {
    return;
  }
  if (m_loading || isExportingVideo()) {
    m_platform.beep();
    return;
  }
  const VideoShot shot{m_replayScreen.scene().options(), QSize(mapWidth(), mapHeight()),
                       m_replay->replaySpeed(), m_panels.controls->autoBrightness(),
                       &m_mapInteraction->state()};
  m_replay->hold();
  if (const auto error = startReplayVideo(m_documents, *m_videoJob, m_loaded, shot, this)) {
    m_replay->release();
    reportError(error);
  }
}

bool MainWindow::isExportingVideo() const {
  return m_videoJob && m_videoJob->isBusy();
}

void MainWindow::onVideoWritten() {
  m_replay->release();
  reportError(m_documents.openVideo(m_videoJob->path(), m_videoJob->outcome()));
}

void MainWindow::applySceneOptions() {
  m_replayScreen.updateOptions(QSize(mapWidth(), mapHeight()), height());
  m_panels.windGraph->setReplayMode(replayMode());
}

void MainWindow::updateSceneOptions() {
  if (!m_haveRace) {
    return;
  }
  applySceneOptions();
  if (!m_replay->framesRunning() && page() == Page::Track) {
    m_replay->redrawMap();
  }
}

ReplayMode MainWindow::replayMode() const {
  return m_mapInteraction->state().mode;
}

void MainWindow::endHovers() {
  m_panels.hints->hideHint();
  highlightBoat(-1);
  m_panels.overview->show();
  m_panels.controls->show();
  showRaceCaption();
  if (m_haveRace) {
    m_replay->showClockAtSceneTime();
  }
}

void MainWindow::reportError(const std::optional<QString>& error) {
  if (error) {
    showMessage(*error, true);
  }
}

void MainWindow::exportKml(Qt::MouseButton button) {
  if (!m_haveRace || m_loading) {
    return;
  }
  const bool presentScene = button == Qt::RightButton;
  reportError(m_documents.exportKmlAsking(m_loaded.race, m_panels.boatList->focused(), m_language,
                                          m_questionSink, presentScene ? &scene().state() : nullptr,
                                          m_replay->sceneTime()));
}

}  // namespace velaro
