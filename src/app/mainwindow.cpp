#include "app/mainwindow.h"

#include "app/boatlisthover.h"
#include "app/boatlistpanel.h"
#include "app/compasspanel.h"
#include "app/controls.h"
#include "app/hintbox.h"
#include "app/mapinteraction.h"
#include "app/mapview.h"
#include "app/overviewpanel.h"
#include "app/platform.h"
#include "app/scoreboard.h"
#include "app/stopwatchwidget.h"
#include "app/timebarwidget.h"
#include "app/videoprogressdialog.h"
#include "app/windgraphpanel.h"
#include "app/windowlayout.h"
#include "app/windowpanels.h"
#include "core/replay/lightflasher.h"
#include "core/scene/scenestate.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

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
  m_panels.stopwatch->setTimeSource([this] { return m_clock.SceneTime(); });
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
  m_frameTimer = makeTimer("frameTimer", ReplayClock::kFrameIntervalMs, this);
  m_secondTimer = makeTimer("secondTimer", ReplayClock::kSecondIntervalMs, this);
  m_lightTimer = makeTimer("lightTimer", kLightTimerIntervalMs, this);
  m_pages = new PageSwitcher(
      m_documents,
      {m_panels.map, m_panels.stopwatch, m_panels.compass, m_panels.windGraph, m_panels.boatList},
      {&m_replayScreen, &m_clock, m_frameTimer, m_mapInteraction,
       [this] { return QSize(mapWidth(), mapHeight()); }},
      this);
  connectPanels();
  m_lightTimer->start();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectPanels() {
  RaceControlPanel* controls = m_panels.controls;
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
          [this](int position) { m_panels.controls->setSpeedText(m_clock.speedSliderMoved(position)); });
  connect(controls, &RaceControlPanel::transportChosen, this, &MainWindow::play);
  connect(controls, &RaceControlPanel::stepRequested, this, &MainWindow::step);
  connect(controls, &RaceControlPanel::attachmentsClicked, this, [this] { m_platform.beep(); });
  connect(controls, &RaceControlPanel::attachmentChosen, this,
          [this](const QString& name) { m_documents.openAttachment(name); });
  connect(controls, &RaceControlPanel::kmlExportRequested, this, &MainWindow::exportKml);
  connect(controls, &RaceControlPanel::retouchClicked, m_pages, &PageSwitcher::retouch);
  connect(controls, &RaceControlPanel::retouchRightClicked, this, &MainWindow::exportVideo);
  connect(controls, &RaceControlPanel::languageChosen, this, &MainWindow::setLanguage);

  connect(m_panels.timeBar, &TimeBarWidget::jumpRequested, this, &MainWindow::timeBarJump);
  connect(m_panels.timeBar, &TimeBarWidget::startRequested, this, [this](double) {
    m_clock.rewindToStart();
    redrawMap();
  });
  connect(m_panels.timeBar, &TimeBarWidget::previewRequested, this, &MainWindow::timeBarPreview);
  connect(m_panels.timeBar, &TimeBarWidget::previewEnded, this, &MainWindow::endHovers);
  connect(controls, &RaceControlPanel::autoTraceClicked, this, &MainWindow::onAutoTraceClicked);

  connect(m_pages, &PageSwitcher::pageChanged, m_mapInteraction, &MapInteraction::setPage);
  connect(m_pages, &PageSwitcher::pageChanged, m_boatListHover, &BoatListHover::setPage);
  connect(m_pages, &PageSwitcher::trackShown, this, &MainWindow::onTrackShown);
  connect(m_pages, &PageSwitcher::failed, this, [this](const QString& error) { showMessage(error, true); });

  MapInteraction* pointer = m_mapInteraction;
  connect(m_panels.map, &MapView::mouseLeft, this, &MainWindow::showRaceCaption);
  connect(pointer, &MapInteraction::redrawRequested, this, &MainWindow::redrawMap);
  connect(pointer, &MapInteraction::captionChanged, this, &QWidget::setWindowTitle);
  connect(pointer, &MapInteraction::sceneFlagsChanged, this, [this] {
    // A stopped live scene shows the new labels at once; a playing one at
    // its next frame.
    if (!m_frameTimer->isActive() && page() == 1 && !m_mapInteraction->state().isWholeRace()) {
      redrawMap();
    }
  });
  connect(m_frameTimer, &QTimer::timeout, this, &MainWindow::onFrameTick);
  connect(m_secondTimer, &QTimer::timeout, this, &MainWindow::onSecondTick);
  connect(m_lightTimer, &QTimer::timeout, this, &MainWindow::onLightTick);
}

bool MainWindow::startUp() {
  m_documents.useDefaultDocumentsFolder();
  m_panels.controls->setAutoNext(true);

  setLanguage(languageForSystemLocale());
  m_platform.playGun();
  m_selection = RaceSelection::open(m_folders);
  m_panels.controls->setRaceFiles(m_selection.raceFiles);
  if (m_selection.CurrentRace > 0) {
    m_panels.controls->setChosenRace(m_selection.CurrentRace - 1);
  }

  const bool loaded = LoadRace();
  m_panels.controls->setSeaBrightness(100);
  m_panels.controls->setAutoBrightness(true);
  // A race without a single boat at start-up ends the program; a race file
  // that failed to read leaves the window open with the selector usable.
  return loaded || m_haveRace || !m_lastLoadHadNoBoats;
}

void MainWindow::setLanguage(Language language) {
  m_language = language;
  m_mapInteraction->setLanguage(language);
  installLanguage(language);
  m_panels.controls->setLanguage(language);
}

void MainWindow::showMessage(const QString& text, bool error) {
  if (m_messageSink) {
    m_messageSink(QStringLiteral("Velaro"), text, error);
  }
}

bool MainWindow::LoadRace() {
  // A load lets pending events run; a second request meanwhile is refused,
  // and so is one while a video is written from the race on screen.
  if (m_loading || m_exportingVideo) {
    m_platform.beep();
    return false;
  }
  m_loading = true;
  m_mapInteraction->setActive(false);
  m_lastLoadHadNoBoats = false;
  m_frameTimer->stop();
  m_secondTimer->stop();
  m_panels.hints->hideHint();
  m_platform.beep();
  QCoreApplication::processEvents();

  LoadOptions options;
  options.previous = m_haveRace ? m_loaded.race.carryOver() : RaceCarryOver{};
  options.coverShown = m_coverShown;
  options.mapArea = QSize(std::max(1, mapWidth()), std::max(1, mapHeight()));
  LoadCallbacks callbacks;
  callbacks.yield = [] { QCoreApplication::processEvents(); };
  callbacks.beep = [this] { m_platform.beep(); };
  if (!m_firstLoadDone && m_splash) {
    SplashForm::followLoad(m_splash, callbacks);
  }
  LoadResult load = LoadRacePipeline(m_selection.SelectedRacePath, m_folders, options, callbacks);

  bool replaced = false;
  if (load.failure == LoadFailure::ReadError) {
    showMessage(load.error ? load.error->toString() : QStringLiteral("The race could not be read."), true);
  } else if (!load.loaded) {
    m_lastLoadHadNoBoats = true;
    showMessage(QStringLiteral("GPS file not exists."), false);
  } else {
    m_loaded = std::move(*load.loaded);
    m_haveRace = m_firstLoadDone = replaced = true;
    applyRaceToPanels();
    m_replayScreen.showFrame(m_clock.SceneTime());
    letEventsRunFor(m_loadWaitMs);
  }
  if (m_splash && !m_splash->isHidden()) {
    m_splash->fadeOut();
  }
  m_loading = false;
  m_mapInteraction->setActive(m_haveRace);
  if (m_haveRace) {
    // The one-second tick starts the replay; a failed load resumes the race on screen.
    m_clock.rewindToStart();
    if (replaced || m_clock.timersRunning()) {
      m_secondTimer->start(ReplayClock::kSecondIntervalMs);
    }
  }
  return replaced;
}

void MainWindow::applyRaceToPanels() {
  const Race& race = m_loaded.race;
  m_pages->setRace(&m_loaded);
  m_mapInteraction->setRace(&m_loaded);
  m_panels.controls->showRace(race.NorthUp > 0, race.Attachment,
                              QFileInfo(m_selection.SelectedRacePath).fileName());
  m_panels.boatList->setBoats(m_loaded);
  m_panels.scoreBoard->setResults(m_loaded.resultLabels, m_loaded.colours.BoatColour);
  m_replayScreen.setRace(&m_loaded);
  updateSceneOptions();

  m_clock.startRace(clockRaceFor(m_loaded));
  m_panels.controls->showTransport(Transport::Forward);
  m_panels.controls->showSpeed(SetSpeedPosition(m_clock.ReplaySpeed()), speedText(m_clock.ReplaySpeed()));
  m_panels.overview->setClockText(clockTextAt(race.RaceStart, race.TimeAxisStart));
  m_panels.windGraph->showRace(m_loaded);
  m_panels.stopwatch->show();
  showRaceCaption();
  ArrangeWindow();
  m_pages->redrawGraph();
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
  // The graph follows the size where it is shown; the other pages draw it
  // afresh when they show it.
  if (page() == 2) {
    m_pages->redrawGraph();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  m_frameTimer->stop();
  m_secondTimer->stop();
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
  const QString text = m_panels.controls->chosenRaceText();
  if (m_haveRace && m_selection.isSelected(text)) {
    showMessage(QStringLiteral("Already shown."), false);
    return;
  }
  const RaceSelection previous = m_selection;
  m_selection.selectNamed(m_folders, text, m_panels.controls->chosenRace());
  m_platform.beep();
  if (!LoadRace() && m_haveRace) {
    // The race on screen stays; so do its path and catalogue position.
    m_selection.SelectedRacePath = previous.SelectedRacePath;
    m_selection.CurrentRace = previous.CurrentRace;
  }
}

void MainWindow::choosePage(Page page) {
  m_pages->choose(page);
}

void MainWindow::onTrackShown() {
  redrawMap();
  if (m_clock.timersRunning()) {
    m_frameTimer->start(ReplayClock::kFrameIntervalMs);
    m_secondTimer->start(ReplayClock::kSecondIntervalMs);
  }
}

void MainWindow::onBoatFocusChanged() {
  updateSceneOptions();
  if (page() == 2) {
    m_pages->redrawGraph();
  }
}

void MainWindow::highlightBoat(int boat) {
  m_pages->highlightBoat(boat);
}

// The frames are what the map shows now, the live scene (the same switches,
// focus, zoom and orientation) or the whole-race view at its centre and
// zoom, the sea following the sun when the window's does; the map's size is
// rounded up to even, which the colour planes need.
void MainWindow::exportVideo() {
  if (!m_haveRace || m_exportingVideo) {
    return;
  }
  m_exportingVideo = true;
  const bool frameTimerRan = m_frameTimer->isActive();
  const bool secondTimerRan = m_secondTimer->isActive();
  m_frameTimer->stop();
  m_secondTimer->stop();
  SceneOptions options = m_replayScreen.scene().options();
  options.mapArea = QSize((mapWidth() + 1) / 2 * 2, (mapHeight() + 1) / 2 * 2);
  options.HoverBoat = 0;
  ReplayTake take;
  take.from = m_loaded.race.TimeAxisStart;
  take.to = m_loaded.race.TimeAxisEnd;
  take.speed = m_clock.ReplaySpeed();
  ReplayFrames frames(m_loaded, options, take);
  frames.setFollowSun(m_panels.controls->autoBrightness());
  if (m_mapInteraction->state().isWholeRace()) {
    frames.setWholeRace(m_mapInteraction->state());
  }
  const std::optional<QString> error = m_documents.exportVideo(
      [&](const QString& path) { return writeVideoWithProgress(frames, path, this); });
  if (frameTimerRan) {
    m_frameTimer->start(ReplayClock::kFrameIntervalMs);
  }
  if (secondTimerRan) {
    m_secondTimer->start(ReplayClock::kSecondIntervalMs);
  }
  m_exportingVideo = false;
  reportError(error);
}

void MainWindow::updateSceneOptions() {
  if (!m_haveRace) {
    return;
  }
  m_replayScreen.updateOptions(QSize(mapWidth(), mapHeight()), height());
  m_panels.windGraph->setReplayMode(replayMode());
  if (!m_frameTimer->isActive() && page() == 1) {
    redrawMap();
  }
}

void MainWindow::redrawMap() {
  if (m_haveRace && page() == 1) {
    m_replayScreen.showMap(m_mapInteraction->state(), m_clock.SceneTime());
  }
}

void MainWindow::onAutoTraceClicked(bool checked) {
  m_platform.beep();
  m_platform.beep();
  if (!m_haveRace) {
    return;
  }
  MapViewState& view = m_mapInteraction->state();
  if (checked) {
    view.enterLive();
    play(Transport::Forward);
    updateSceneOptions();
    return;
  }
  play(Transport::Stop);
  view.enterWholeRace(m_loaded.geometry);
  updateSceneOptions();
}

void MainWindow::showClockAtSceneTime() {
  m_panels.overview->setClockText(clockTextAt(m_loaded.race.RaceStart, m_clock.SceneTime()));
}

void MainWindow::onFrameTick() {
  FrameTickInput input;
  input.Page = page();
  input.AutoNext = m_panels.controls->autoNext() ? 1 : 0;
  input.RaceFileCount = static_cast<int>(m_selection.raceFiles.size());
  input.CurrentRace = m_selection.CurrentRace;
  input.AutoBrightness = m_panels.controls->autoBrightness() ? 1 : 0;
  input.MouseOnTimeBar = m_panels.timeBar->mouseOnTimeBar();
  input.raceFileExists = [this](int race) { return m_selection.raceFileExists(m_folders, race); };
  const FrameOutcome out = m_clock.frameTick(input);
  if (!out.ran) {
    return;
  }
  m_selection.CurrentRace = out.CurrentRace;
  if (out.loadRace) {
    m_selection.selectListed(m_folders, out.CurrentRace);
    LoadRace();
    return;
  }
  m_replayScreen.showFrameOutcome(out);
  m_panels.stopwatch->frame(m_clock.SceneTime());
  if (out.playGun) {
    m_platform.playGun();
  }
}

void MainWindow::onSecondTick() {
  const SecondOutcome out = m_clock.secondTick(page(), m_replayScreen.scene().boatMotions());
  if (!out.ran) {
    return;
  }
  if (out.startFrameTimer && !m_frameTimer->isActive()) {
    m_frameTimer->start(ReplayClock::kFrameIntervalMs);
  }
  m_replayScreen.showSecondOutcome(out);
  if (out.beep) {
    m_platform.beep();
  }
}

void MainWindow::onLightTick() {
  m_replayScreen.lightTimerTick();
}

int MainWindow::replayMode() const {
  return m_mapInteraction->state().isWholeRace() ? 0 : 1;
}

void MainWindow::play(Transport transport) {
  m_clock.press(transport);
  m_panels.controls->showTransport(transport);
  if (transport == Transport::Stop) {
    m_frameTimer->stop();
    m_secondTimer->stop();
  } else {
    m_frameTimer->start(ReplayClock::kFrameIntervalMs);
    m_secondTimer->start(ReplayClock::kSecondIntervalMs);
  }
}

void MainWindow::step(int direction) {
  if (!m_haveRace) {
    return;
  }
  // A single step stops the replay where the step leaves it.
  play(Transport::Stop);
  const Race& r = m_loaded.race;
  const double t = m_clock.SceneTime();
  m_clock.setSceneTime(direction > 0 ? SceneRenderer::stepPlus(t, r.TimeAxisStart, r.TimeAxisEnd)
                                     : SceneRenderer::stepMinus(t, r.TimeAxisStart, r.TimeAxisEnd));
  redrawMap();
  showClockAtSceneTime();
}

void MainWindow::timeBarJump(double t) {
  const MapViewState& view = m_mapInteraction->state();
  const JumpOutcome o = m_clock.timeBarClick(t, page(), view.isWholeRace() ? 0 : 1);
  if (o.ran) {
    m_replayScreen.showJump(o, view);
  }
}

void MainWindow::timeBarPreview(double t) {
  m_replayScreen.showPreview(t);
  const TimeBarPreview& preview = m_panels.timeBar->preview();
  if (m_panels.controls->hintsOn() && page() == 1) {
    const TimeBarHint hint = hintFor(m_language, preview.clockText, preview.y);
    m_panels.hints->showHint(hint.text, hint.rectFor(mapWidth()));
  }
}

void MainWindow::endHovers() {
  m_panels.hints->hideHint();
  highlightBoat(-1);
  m_panels.overview->show();
  m_panels.controls->show();
  showRaceCaption();
  if (m_haveRace) {
    showClockAtSceneTime();
  }
}

void MainWindow::reportError(const std::optional<QString>& error) {
  if (error) {
    showMessage(*error, true);
  }
}

void MainWindow::exportKml(Qt::MouseButton button) {
  if (!m_haveRace) {
    return;
  }
  const bool presentScene = button == Qt::RightButton;
  reportError(m_documents.exportKmlAsking(m_loaded.race, m_panels.boatList->focused(), m_language,
                                          m_questionSink, presentScene ? &scene().state() : nullptr,
                                          m_clock.SceneTime()));
}

}  // namespace velaro
