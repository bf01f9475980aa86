#pragma once

#include "app/captions.h"
#include "app/splashform.h"
#include "app/timebarwidget.h"
#include "core/loadpipeline.h"
#include "core/race.h"
#include "core/racefolders.h"
#include "core/replay/replayclock.h"
#include "render/scene/renderscene.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include <functional>

namespace velaro {

class MapWidget;
class Platform;

// The main window: it owns the race on screen and wires the controls to the
// load sequence and the views. It computes nothing itself.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  MainWindow(RaceFolders folders, Platform& platform, QPointer<SplashForm> splash = nullptr,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start-up after the window exists: documents folder, language,
  // catalogue, first race, first load. False when the program must end
  // (no boat could be loaded at start-up).
  bool startUp();

  // Loads SelectedRacePath; the race on screen is replaced only when the new
  // race loaded completely. False when nothing was replaced.
  bool LoadRace();

  // Lays the panels out for the present client size.
  void ArrangeWindow();
  void ApplyLanguage();

  // How messages reach the user; tests replace it to capture them.
  using MessageSink = std::function<void(const QString& caption, const QString& text, bool error)>;
  void setMessageSink(MessageSink sink) { m_messageSink = std::move(sink); }

  // Told one line as each load starts and ends (file, outcome, boats,
  // milliseconds); unset, loads are not logged.
  using LoadLog = std::function<void(const QString& line)>;
  void setLoadLog(LoadLog log) { m_loadLog = std::move(log); }

  const Race& race() const { return m_loaded.race; }
  const LoadedRace& loaded() const { return m_loaded; }
  const QStringList& raceFiles() const { return m_raceFiles; }
  const QString& selectedRacePath() const { return m_selectedRacePath; }
  int currentRace() const { return m_currentRace; }
  int chosenRaceIndex() const { return m_chosenRaceIndex; }
  Language language() const { return m_language; }
  void setLanguage(Language language);
  const QString& documentsFolder() const { return m_documentsFolder; }
  // Where exports go; the user's documents folder unless set before startUp.
  void setDocumentsFolder(const QString& folder) { m_documentsFolder = folder; }
  bool isLoading() const { return m_loading; }
  int mapWidth() const;
  int mapHeight() const;

  // Event handlers of the controls, public so that tests drive them.
  void ComboBox1Change(int index);
  void Button4Click();
  void btnHELPClick();
  void Button2Click();
  void ListBox1Click(QListWidgetItem* item);
  void Button1Click();
  void jpnClick();
  void usaClick();
  void Timer1Timer();
  void Timer2Timer();
  void up_fClick();
  void stop_fClick();
  void dn_fClick();
  void plusClick();
  void minusClick();
  void RadioButton1Click();
  void ScrollBar1Change(int position);
  void RadioButton3Click();
  // The Google Earth button: left click exports the whole race, right click
  // the present scene.
  void Button3MouseDown(Qt::MouseButton button);
  void Button3MouseMove();
  // The Yes/No question about boats out of focus; tests replace it.
  using QuestionSink = std::function<bool(const QString& caption, const QString& text)>;
  void setQuestionSink(QuestionSink sink) { m_questionSink = std::move(sink); }

  const ReplayClock& clock() const { return m_clock; }
  const SceneRenderer& scene() const { return m_scene; }
  // The pause the load makes before the replay starts (1 s; tests shorten it).
  void setLoadWaitMs(int ms) { m_loadWaitMs = ms; }
  int Page() const { return m_page; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void ListRaceFiles();
  void showMessage(const QString& text, bool error);
  void openFileIfExists(const QString& path);
  void applyRaceToControls();
  void drawOverview();
  void buildBoatControls();
  void updateSceneOptions();
  void showReplayFrame(double sceneTime);
  void applyResultBoard(bool cleared, const std::vector<int>& revealed, const ResultBoard& board);
  void showTransport(Transport transport);
  void Wait(int ms);
  void timeBarJump(double t);
  void timeBarPreview(double t);
  void timeBarPreviewEnded();
  void drawOverviewDots(const std::vector<std::optional<GeoPoint>>& positions);
  void fadeSplash();

  RaceFolders m_folders;
  Platform& m_platform;
  QPointer<SplashForm> m_splash;
  MessageSink m_messageSink;
  LoadLog m_loadLog;

  LoadedRace m_loaded;
  bool m_haveRace = false;
  bool m_loading = false;
  bool m_firstLoadDone = false;
  bool m_lastLoadHadNoBoats = false;

  QString m_documentsFolder;
  QStringList m_raceFiles;
  QString m_selectedRacePath;
  int m_currentRace = 0;
  int m_chosenRaceIndex = 0;
  int m_autoNext = 1;
  int m_hintsOn = 1;
  Language m_language = Language::EnglishFixed;

  // Controls, named as the form names them.
  MapWidget* m_map = nullptr;
  QWidget* pnlLOGO = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* imgLOGO = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* btnHELP = nullptr;
  QWidget* pnlBOATlist = nullptr;
  QLabel* Label1 = nullptr;
  QWidget* pnlCTRL = nullptr;
  QLabel* Label5 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QCheckBox* chkAutoNext = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button1 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QRadioButton* RadioButton3 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QRadioButton* RadioN = nullptr;
  QRadioButton* RadioW = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* chkLL = nullptr;
  QCheckBox* ChkRefLine = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* ChkBigBoat = nullptr;
  QCheckBox* chkHint = nullptr;
  QPushButton* Button5 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button2 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QWidget* pnlDIR = nullptr;
  QGroupBox* GroupBox4 = nullptr;
  QScrollBar* ScrollBar3 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QLabel* Label3 = nullptr;
  QScrollBar* ScrollBar2 = nullptr;
  QLabel* Label2 = nullptr;
  QScrollBar* ScrollBar1 = nullptr;
  QPlainTextEdit* Memo2 = nullptr;
  QPushButton* jpn = nullptr;
  QPushButton* usa = nullptr;
  TimeBarWidget* pnlTimeBar = nullptr;
  QWidget* Panel1 = nullptr;
  QLabel* compasst = nullptr;
  QWidget* PnlWindGr = nullptr;
  QLabel* Image10 = nullptr;
  QImage m_roseSource;
  QImage m_overview;
  QWidget* pnlScore = nullptr;
  QWidget* pnlFLAG = nullptr;
  QLabel* blue_p = nullptr;
  QPushButton* up_f = nullptr;
  QPushButton* up_t = nullptr;
  QPushButton* stop_f = nullptr;
  QPushButton* stop_t = nullptr;
  QPushButton* dn_f = nullptr;
  QPushButton* dn_t = nullptr;
  QPushButton* plus = nullptr;
  QPushButton* minus = nullptr;
  std::vector<QCheckBox*> m_boatBoxes;
  std::vector<std::optional<GeoPoint>> m_dotPositions;  // last drawn overview dot per boat
  std::vector<QLabel*> m_resultLabels;

  SceneRenderer m_scene;
  ReplayClock m_clock;
  int m_page = 1;
  int m_loadWaitMs = 1000;
  bool m_hideUnfocused = false;
  QuestionSink m_questionSink;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void writeAndOpen(const QString& fileName, const QByteArray& bytes);
  void showHint(const QString& text, const QRect& rect);
  QPlainTextEdit* hintbox = nullptr;
  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
};

}  // namespace velaro
