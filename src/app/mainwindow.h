#pragma once

#include "app/captions.h"
#include "app/controls.h"
#include "app/desktop/desktopdocuments.h"
#include "app/panels/racecontrolpanel.h"
#include "app/panels/splashform.h"
#include "app/panels/windowpanels.h"
#include "app/replay/pageswitcher.h"
#include "app/replay/replaydriver.h"
#include "app/replay/replayscreen.h"
#include "core/loadedrace.h"
#include "core/race.h"
#include "core/racecatalogue.h"
#include "core/racefolders.h"
#include "core/replay/replayclock.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace velaro {

class BoatListHover;
class LogsToRace;
class MapInteraction;
class Platform;
class RaceLoadJob;
class VideoExportJob;

// The main window: it owns the race on screen, the replay clock and its
// timers, runs a load and hands the result to the panels, and routes each
// panel's signals. It computes nothing itself.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  MainWindow(RaceFolders folders, Platform& platform, QPointer<SplashForm> splash = nullptr,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start-up after the window exists: documents folder, language,
  // catalogue, first race, first load. startUpFinished tells when the first
  // load has ended whether the program goes on.
  void startUp();

  // The races folder that races made from logs go to, listed in the race
  // selector after the races folder's own; set before startUp. Unset, the
  // window makes no races.
  void setUserRacesFolder(const QString& folder);
  // Makes a race of the logs among paths off the window's thread, then
  // shows it as SHOW would and tells what was estimated. While one is made
  // the pointer shows the window busy and another request is refused.
  void openLogsAsRace(const QStringList& paths);
  // The file dialog for logs to make a race of (Ctrl+O, or the race
  // selector's context menu).
  void chooseLogsAsRace();
  bool isMakingRace() const;

  // Starts the load of SelectedRacePath on a worker; the race on screen is
  // replaced only when the new race loaded completely. done (and then
  // loadFinished) is told whether it was replaced, after the first frame's
  // pause. False when the load was refused (another load, or a video, in
  // hand); done is then not called.
  using LoadDone = std::function<void(bool replaced)>;
  bool LoadRace(LoadDone done = {});

  // Lays the panels out for the present client size.
  void ArrangeWindow();

  // How messages reach the user; tests replace it to capture them.
  void setMessageSink(MessageSink sink) { m_messageSink = std::move(sink); }
  // The Yes/No question about boats out of focus; tests replace it.
  void setQuestionSink(QuestionSink sink) { m_questionSink = std::move(sink); }

  // Told one line as each load starts and ends (file, outcome, boats,
  // milliseconds); unset, loads are not logged.
  using LoadLog = std::function<void(const QString& line)>;
  void setLoadLog(LoadLog log) { m_loadLog = std::move(log); }

  const Race& race() const { return m_loaded.race; }
  const LoadedRace& loaded() const { return m_loaded; }
  const QStringList& raceFiles() const { return m_selection.raceFiles; }
  const QString& selectedRacePath() const { return m_selection.SelectedRacePath; }
  int currentRace() const { return m_selection.CurrentRace; }
  int chosenRaceIndex() const { return m_selection.ChosenRaceIndex; }
  Language language() const { return m_language; }
  void setLanguage(Language language);
  const QString& documentsFolder() const { return m_documents.documentsFolder(); }
  // Where exports go; the user's documents folder unless set before startUp.
  void setDocumentsFolder(const QString& folder) { m_documents.setDocumentsFolder(folder); }
  bool isLoading() const { return m_loading; }
  int mapWidth() const;
  int mapHeight() const { return height(); }
  const ReplayClock& clock() const { return m_replay->clock(); }
  const SceneRenderer& scene() const { return m_replayScreen.scene(); }
  // The pause the load makes before the replay starts (1 s; tests shorten it).
  // The load counts as running until the pause is over.
  void setLoadWaitMs(int ms) { m_loadWaitMs = ms; }
  Page page() const { return m_pages->page(); }

 signals:
  // The first load ended: false when the program must end (no boat could be
  // loaded at start-up).
  void startUpFinished(bool goOn);
  void loadingChanged(bool loading);
  void loadFinished(bool replaced);

 public:
  // What the panels' signals do, public so that tests drive them.
  void onRaceChosen(int index);
  void onShowClicked();
  void choosePage(Page page);
  void play(Transport transport) { m_replay->play(transport); }
  // One step of the replay forward (direction > 0) or backward.
  void step(int direction) { m_replay->step(direction); }
  // "Auto Trace" clicked: back to the live scene, or the whole-race view.
  void onAutoTraceClicked(bool checked) { m_replay->onAutoTraceClicked(checked); }
  const MapInteraction& mapInteraction() const { return *m_mapInteraction; }
  MapInteraction& mapInteraction() { return *m_mapInteraction; }
  // Left click exports the whole race, right click the present scene.
  void exportKml(Qt::MouseButton button);
  void onFrameTick() { m_replay->onFrameTick(); }
  void onSecondTick() { m_replay->onSecondTick(); }
  void onLightTick() { m_replay->onLightTick(); }
  // Live while the map shows the live scene ("Auto Trace" checked).
  ReplayMode replayMode() const;
  // The pointer left what it hovered: hints and previews end, the panels
  // and the race's caption come back.
  void endHovers();
  // "Retouch": the picture the map shows saved and opened.
  void retouch() { m_pages->retouch(); }
  // "Retouch" with the right button: the whole race played at the present
  // speed as "NoName.mp4" in the documents folder, written off the window's
  // thread and opened when done. A progress dialog can cancel it; the replay
  // holds meanwhile and then goes on as it was. Another video, a load or a
  // race switch meanwhile is refused.
  void exportVideo();
  bool isExportingVideo() const;
  // The graph picture as last drawn.
  const QImage& graphPicture() const { return m_pages->graphPicture(); }

 public slots:
  // The pointer is on boat n (0-based) in the boat list, or on none (-1): on
  // the Graph and Table pages the boat's curves are laid over the graph.
  void highlightBoat(int boat);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void connectPanels();
  void showMessage(const QString& text, bool error);
  void showMessage(const QString& caption, const QString& text, bool error);
  // The race just made in the user's races folder: listed, selected and
  // loaded; the summary shown once it is on screen.
  void showNewRace(const QString& raceFileName, const QString& summary);
  void applyRaceToPanels();
  void onLoadFinished();
  void onVideoWritten();
  // The load is over: the replay starts on the new race, or the race on
  // screen goes on as it was.
  void endLoad(bool replaced);
  // The scene takes the panels' switches; updateSceneOptions also redraws a
  // stopped map.
  void applySceneOptions();
  void updateSceneOptions();
  void reportError(const std::optional<QString>& error);
  void showRaceCaption();
  // The races folder of the selected race: its logs, wind, coastline and
  // attachments are there.
  const RaceFolders& selectedRaceFolders() const;
  void onBoatFocusChanged();

  RaceFolders m_folders;
  RaceFolders m_userRaces;
  Platform& m_platform;
  QPointer<SplashForm> m_splash;
  // The cover picture keeps the default titles away for the whole run, also
  // after the splash window has gone.
  bool m_coverShown = false;
  MessageSink m_messageSink = messageBoxSink(this);
  QuestionSink m_questionSink = questionBoxSink(this);
  DesktopDocuments m_documents;
  LoadLog m_loadLog;

  LoadedRace m_loaded;
  RaceLoadJob* m_loadJob = nullptr;
  LoadDone m_afterLoad;
  QString m_loadingRaceName;
  QElapsedTimer m_loadTimer;
  // The first frame of a new race stands this long before the replay starts.
  QTimer m_loadPause;
  // While a load runs, how long the window's thread went at most without
  // handling an event, for the load log.
  QTimer m_loadProbe;
  QElapsedTimer m_sinceProbe;
  qint64 m_longestWaitMs = 0;
  std::vector<IgnoredRecord> m_loadPauseIgnored;
  bool m_splashFollowsLoad = false;
  bool m_haveRace = false;
  bool m_loading = false;
  // While it writes a video from the race on screen, no other starts and
  // the race stays.
  VideoExportJob* m_videoJob = nullptr;
  bool m_firstLoadDone = false;
  bool m_lastLoadHadNoBoats = false;

  RaceSelection m_selection;
  Language m_language = Language::EnglishFixed;
  int m_loadWaitMs = 1000;

  ReplayScreen m_replayScreen;

  WindowPanels m_panels;
  MapInteraction* m_mapInteraction = nullptr;
  BoatListHover* m_boatListHover = nullptr;
  PageSwitcher* m_pages = nullptr;
  ReplayDriver* m_replay = nullptr;
  LogsToRace* m_logsToRace = nullptr;
  StopwatchWidget* m_stopwatch = nullptr;
};

}  // namespace velaro
