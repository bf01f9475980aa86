#include "app/mainwindow.h"

#include "app/mapwidget.h"
#include "app/platform.h"
#include "app/splashform.h"
#include "core/datetime.h"
#include "core/racecatalogue.h"
#include "core/reports/filewrite.h"
#include "core/reports/kmlexport.h"
#include "core/reports/performancetable.h"
#include "render/flags.h"
#include "render/kmlicons.h"
#include "render/overviewmap.h"
#include "render/replaypictures.h"
#include "render/windgraphimage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>
#include <QThread>

#include <cmath>
#include <type_traits>

namespace velaro {

namespace {

constexpr int kPanelWidth = 265;
constexpr int kLogoHeight = 200;
constexpr int kControlHeight = 255;
constexpr int kTimeBarPanelWidth = 50;

template <typename T>
T* named(T* widget, const char* name, QWidget* parent, QRect geometry = QRect()) {
  widget->setObjectName(QString::fromLatin1(name));
  if constexpr (std::is_base_of_v<QWidget, T>) {
    if (parent) {
      widget->setParent(parent);
    }
    if (!geometry.isNull()) {
      widget->setGeometry(geometry);
    }
  }
  return widget;
}

QPlainTextEdit* makeMemo(const char* name, QWidget* parent) {
  auto* memo = named(new QPlainTextEdit, name, parent);
  memo->setReadOnly(true);
  memo->setFrameShape(QFrame::NoFrame);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setFocusPolicy(Qt::NoFocus);
  // Small read-outs such as "600X" need the whole box for their text.
  memo->document()->setDocumentMargin(1);
  return memo;
}

}  // namespace

MainWindow::MainWindow(RaceFolders folders, Platform& platform, QPointer<SplashForm> splash, QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_folders(std::move(folders)),
      m_platform(platform),
      m_splash(std::move(splash)) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Velaro"));
  m_questionSink = [this](const QString& caption, const QString& text) {
    return QMessageBox::question(this, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  };
  m_messageSink = [this](const QString& caption, const QString& text, bool error) {
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information, caption, text, QMessageBox::Ok,
                    this);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
  };
  buildControls();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
  QFont f = font();
  // 9 points at 96 pixels per inch.
  const double dpi = logicalDpiY() > 0 ? logicalDpiY() : 96.0;
  f.setPointSize(static_cast<int>(std::nearbyint(864.0 / dpi)));
  setFont(f);

  m_map = named(new MapWidget, "MapArea", this);

  pnlLOGO = named(new QWidget, "pnlLOGO", this);
  Image1 = named(new QLabel, "Image1", pnlLOGO, QRect(3, 3, kOverviewSize, kOverviewSize));
  imgLOGO = named(new QLabel, "imgLOGO", pnlLOGO, QRect(3 + kOverviewSize + 7, 3, 80, 36));
  imgLOGO->setText(QStringLiteral("<b><i>Velaro</i></b>"));
  Memo1 = makeMemo("Memo1", pnlLOGO);
  Memo1->setGeometry(3, kOverviewSize + 6, kOverviewSize, 20);
  btnHELP = named(new QPushButton(QStringLiteral("?")), "btnHELP", pnlLOGO,
                  QRect(3 + kOverviewSize + 7, 44, 80, 25));
  connect(btnHELP, &QPushButton::clicked, this, &MainWindow::btnHELPClick);

  pnlBOATlist = named(new QWidget, "pnlBOATlist", this);
  Label1 = named(new QLabel, "Label1", pnlBOATlist, QRect(4, 4, 257, 16));

  pnlCTRL = named(new QWidget, "pnlCTRL", this);
  // The control sizes were laid out for a narrow Windows UI font; one point
  // less keeps every caption whole with the wider Linux sans fonts.
  QFont controlFont = font();
  controlFont.setPointSize(std::max(6, controlFont.pointSize() - 1));
  pnlCTRL->setFont(controlFont);
  Label5 = named(new QLabel, "Label5", pnlCTRL, QRect(12, 12, 126, 12));
  ComboBox1 = named(new QComboBox, "ComboBox1", pnlCTRL, QRect(11, 28, 167, 20));
  connect(ComboBox1, &QComboBox::activated, this, &MainWindow::ComboBox1Change);
  chkAutoNext = named(new QCheckBox, "chkAutoNext", pnlCTRL, QRect(182, 7, 72, 16));
  connect(chkAutoNext, &QCheckBox::toggled, this, [this](bool on) { m_autoNext = on ? 1 : 0; });
  Button1 = named(new QPushButton(QStringLiteral("EXIT")), "Button1", pnlCTRL, QRect(207, 195, 44, 49));
  connect(Button1, &QPushButton::clicked, this, &MainWindow::Button1Click);
  Button4 = named(new QPushButton(QStringLiteral("SHOW")), "Button4", pnlCTRL, QRect(183, 28, 73, 19));
  connect(Button4, &QPushButton::clicked, this, &MainWindow::Button4Click);

  GroupBox2 = named(new QGroupBox(QStringLiteral("Page")), "GroupBox2", pnlCTRL, QRect(12, 56, 65, 55));
  RadioButton1 = named(new QRadioButton, "RadioButton1", GroupBox2, QRect(4, 12, 60, 14));
  RadioButton2 = named(new QRadioButton, "RadioButton2", GroupBox2, QRect(4, 26, 60, 14));
  RadioButton3 = named(new QRadioButton, "RadioButton3", GroupBox2, QRect(4, 40, 60, 14));
  RadioButton1->setChecked(true);
  GroupBox1 = named(new QGroupBox, "GroupBox1", pnlCTRL, QRect(83, 56, 71, 45));
  RadioN = named(new QRadioButton, "RadioN", GroupBox1, QRect(4, 12, 66, 14));
  RadioW = named(new QRadioButton, "RadioW", GroupBox1, QRect(4, 27, 66, 14));
  RadioW->setChecked(true);

  CheckBox1 = named(new QCheckBox, "CheckBox1", pnlCTRL, QRect(169, 51, 86, 16));
  chkLL = named(new QCheckBox, "chkLL", pnlCTRL, QRect(169, 68, 86, 16));
  chkLL->setChecked(true);
  ChkRefLine = named(new QCheckBox, "ChkRefLine", pnlCTRL, QRect(169, 85, 86, 16));
  CheckBox2 = named(new QCheckBox, "CheckBox2", pnlCTRL, QRect(169, 102, 86, 16));
  CheckBox2->setChecked(true);
  ChkBigBoat = named(new QCheckBox, "ChkBigBoat", pnlCTRL, QRect(169, 119, 86, 16));
  chkHint = named(new QCheckBox, "chkHint", pnlCTRL);
  chkHint->setChecked(true);
  chkHint->hide();
  Button5 = named(new QPushButton, "Button5", pnlCTRL, QRect(169, 136, 85, 16));
  Button3 =
      named(new QPushButton(QStringLiteral("Google Earth")), "Button3", pnlCTRL, QRect(169, 153, 85, 16));
  Button2 = named(new QPushButton, "Button2", pnlCTRL, QRect(169, 170, 85, 16));
  connect(Button2, &QPushButton::clicked, this, &MainWindow::Button2Click);
  ListBox1 = named(new QListWidget, "ListBox1", pnlCTRL, QRect(169, 100, 85, 67));
  ListBox1->hide();
  connect(ListBox1, &QListWidget::itemClicked, this, &MainWindow::ListBox1Click);

  pnlDIR = named(new QWidget, "pnlDIR", pnlCTRL, QRect(10, 116, 69, 72));
  const auto transportButton = [this](const char* name, TransportPicture kind, bool pressed, int top) {
    auto* b = named(new QPushButton, name, pnlDIR, QRect(8, top, 24, 16));
    b->setFlat(true);
    b->setIcon(QPixmap::fromImage(drawTransportPicture(kind, pressed)));
    b->setIconSize(QSize(24, 16));
    return b;
  };
  up_f = transportButton("up_f", TransportPicture::Forward, false, 17);
  up_t = transportButton("up_t", TransportPicture::Forward, true, 17);
  stop_f = transportButton("stop_f", TransportPicture::Stop, false, 17 + 16 + 3);
  stop_t = transportButton("stop_t", TransportPicture::Stop, true, 17 + 16 + 3);
  dn_f = transportButton("dn_f", TransportPicture::Backward, false, 17 + 2 * (16 + 3));
  dn_t = transportButton("dn_t", TransportPicture::Backward, true, 17 + 2 * (16 + 3));
  plus = named(new QPushButton(QStringLiteral("+")), "plus", pnlDIR, QRect(35, 17, 24, 16));
  minus = named(new QPushButton(QStringLiteral("-")), "minus", pnlDIR, QRect(35, 17 + 2 * (16 + 3), 24, 16));
  auto* label4 = named(new QLabel(QStringLiteral("GO/STOP")), "Label4", pnlDIR, QRect(2, 0, 66, 14));
  label4->setAlignment(Qt::AlignHCenter);
  connect(up_f, &QPushButton::clicked, this, &MainWindow::up_fClick);
  connect(stop_f, &QPushButton::clicked, this, &MainWindow::stop_fClick);
  connect(dn_f, &QPushButton::clicked, this, &MainWindow::dn_fClick);
  for (QPushButton* twin : {up_t, stop_t, dn_t}) {
    connect(twin, &QPushButton::clicked, this, [this] { CheckBox1->setChecked(true); });
  }
  connect(plus, &QPushButton::clicked, this, &MainWindow::plusClick);
  connect(minus, &QPushButton::clicked, this, &MainWindow::minusClick);
  showTransport(Transport::Forward);
  GroupBox4 = named(new QGroupBox(QStringLiteral("Sea Color")), "GroupBox4", pnlCTRL, QRect(83, 109, 71, 78));
  ScrollBar3 = named(new QScrollBar(Qt::Horizontal), "ScrollBar3", GroupBox4, QRect(4, 36, 63, 16));
  ScrollBar3->setRange(0, 100);
  ScrollBar3->setValue(100);
  CheckBox3 = named(new QCheckBox(QStringLiteral("AUTO")), "CheckBox3", GroupBox4, QRect(4, 56, 63, 16));
  CheckBox3->setChecked(true);
  Label3 = named(new QLabel(QStringLiteral("ZOOM")), "Label3", pnlCTRL, QRect(11, 198, 32, 12));
  ScrollBar2 = named(new QScrollBar(Qt::Horizontal), "ScrollBar2", pnlCTRL, QRect(48, 197, 106, 16));
  ScrollBar2->setRange(0, 100);
  ScrollBar2->setValue(100);
  Label2 = named(new QLabel(QStringLiteral("SPEED")), "Label2", pnlCTRL, QRect(9, 226, 36, 12));
  ScrollBar1 = named(new QScrollBar(Qt::Horizontal), "ScrollBar1", pnlCTRL, QRect(48, 225, 106, 16));
  ScrollBar1->setRange(kSpeedPositionMin, kSpeedPositionMax);
  ScrollBar1->setPageStep(5);
  ScrollBar1->setValue(30);
  connect(ScrollBar1, &QScrollBar::valueChanged, this, &MainWindow::ScrollBar1Change);
  Memo2 = makeMemo("Memo2", pnlCTRL);
  Memo2->setGeometry(162, 224, 29, 19);

  jpn = named(new QPushButton, "jpn", pnlCTRL, QRect(165, 194, 34, 23));
  usa = named(new QPushButton, "usa", pnlCTRL, QRect(165, 194, 34, 23));
  jpn->setIcon(QPixmap::fromImage(drawJapanFlag(QSize(30, 20))));
  usa->setIcon(QPixmap::fromImage(drawEnglishFlag(QSize(30, 20))));
  jpn->setIconSize(QSize(30, 20));
  usa->setIconSize(QSize(30, 20));
  jpn->setFlat(true);
  usa->setFlat(true);
  connect(jpn, &QPushButton::clicked, this, &MainWindow::jpnClick);
  connect(usa, &QPushButton::clicked, this, &MainWindow::usaClick);

  pnlTimeBar = new TimeBarWidget(this);
  connect(pnlTimeBar, &TimeBarWidget::jumpRequested, this, &MainWindow::timeBarJump);
  connect(pnlTimeBar, &TimeBarWidget::startRequested, this, [this](double) {
    m_clock.rewindToStart();
    showReplayFrame(m_clock.SceneTime());
  });
  connect(pnlTimeBar, &TimeBarWidget::previewRequested, this, &MainWindow::timeBarPreview);
  connect(pnlTimeBar, &TimeBarWidget::previewEnded, this, &MainWindow::timeBarPreviewEnded);

  Panel1 = named(new QWidget, "Panel1", this, QRect(5, 5, 100, 100));
  compasst = named(new QLabel, "compasst", Panel1, QRect(0, 0, 100, 100));
  PnlWindGr = named(new QWidget, "PnlWindGr", this, QRect(5, 110, 100, 100));
  Image10 = named(new QLabel, "Image10", PnlWindGr, QRect(0, 0, 100, 100));
  PnlWindGr->hide();
  connect(RadioN, &QRadioButton::toggled, this, [this] {
    if (m_haveRace) {
      drawOverview();
    }
  });

  pnlScore = named(new QWidget, "pnlScore", this, QRect(0, 5, 200, 6));
  pnlScore->setAutoFillBackground(true);
  pnlScore->hide();
  pnlFLAG = named(new QWidget, "pnlFLAG", this, QRect(0, 5, 60, 40));
  blue_p = named(new QLabel, "blue_p", pnlFLAG, QRect(0, 0, 60, 40));
  blue_p->setPixmap(QPixmap::fromImage(drawBluePeter(QSize(60, 40))));
  pnlFLAG->hide();

  for (QAbstractButton* box :
       std::initializer_list<QAbstractButton*>{CheckBox1, chkLL, ChkRefLine, CheckBox2, ChkBigBoat, RadioN}) {
    connect(box, &QAbstractButton::toggled, this, &MainWindow::updateSceneOptions);
  }
  connect(ScrollBar2, &QScrollBar::valueChanged, this, &MainWindow::updateSceneOptions);
  connect(ScrollBar3, &QScrollBar::valueChanged, this, &MainWindow::updateSceneOptions);
  connect(RadioButton1, &QRadioButton::clicked, this, &MainWindow::RadioButton1Click);
  connect(RadioButton2, &QRadioButton::clicked, this, [this] { m_page = 2; });
  connect(RadioButton3, &QRadioButton::clicked, this, &MainWindow::RadioButton3Click);
  Button3->installEventFilter(this);
  Button3->setMouseTracking(true);

  hintbox = makeMemo("hintbox", this);
  hintbox->setStyleSheet(QStringLiteral("QPlainTextEdit { background: yellow; }"));
  hintbox->hide();

  Timer1 = named(new QTimer(this), "Timer1", nullptr);
  Timer1->setInterval(50);
  Timer2 = named(new QTimer(this), "Timer2", nullptr);
  Timer2->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1Timer);
  connect(Timer2, &QTimer::timeout, this, &MainWindow::Timer2Timer);
}

bool MainWindow::startUp() {
  if (m_documentsFolder.isEmpty()) {
    m_documentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  }
  m_autoNext = 1;
  chkAutoNext->setChecked(true);
  m_hintsOn = 1;
  hintbox->hide();

  setLanguage(languageForSystemLocale());
  m_platform.playGun();
  ListRaceFiles();
  m_selectedRacePath = chooseFirstRace(m_folders, m_raceFiles);
  m_currentRace = findCurrentRace(m_raceFiles, m_selectedRacePath);
  if (m_currentRace > 0) {
    ComboBox1->setCurrentIndex(m_currentRace - 1);
    m_chosenRaceIndex = m_currentRace;
  }
  Timer1->setInterval(50);

  const bool loaded = LoadRace();
  ScrollBar3->setValue(100);
  CheckBox3->setChecked(true);
  // A race without a single boat at start-up ends the program; a race file
  // that failed to read leaves the window open with the selector usable.
  return loaded || m_haveRace || !m_lastLoadHadNoBoats;
}

void MainWindow::ListRaceFiles() {
  m_raceFiles = velaro::ListRaceFiles(m_folders);
  ComboBox1->clear();
  ComboBox1->addItems(m_raceFiles);
}

void MainWindow::setLanguage(Language language) {
  m_language = language;
  if (language == Language::Japanese) {
    jpn->hide();
    usa->show();
  } else if (language == Language::English) {
    jpn->show();
    usa->hide();
  } else {
    jpn->hide();
    usa->hide();
  }
  ApplyLanguage();
}

void MainWindow::jpnClick() {
  setLanguage(Language::Japanese);
}

void MainWindow::usaClick() {
  setLanguage(Language::English);
}

void MainWindow::ApplyLanguage() {
  const bool japanese = isJapanese(m_language);
  for (const Caption& c : captionTable()) {
    QObject* control = findChild<QObject*>(QString::fromLatin1(c.control));
    if (!control) {
      continue;
    }
    const QString& text = japanese ? c.japanese : c.english;
    if (auto* label = qobject_cast<QLabel*>(control)) {
      label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
      button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
      group->setTitle(text);
    }
  }
}

void MainWindow::showMessage(const QString& text, bool error) {
  if (m_messageSink) {
    m_messageSink(QStringLiteral("Velaro"), text, error);
  }
}

bool MainWindow::LoadRace() {
  // A load lets pending events run; a second request meanwhile is refused.
  if (m_loading) {
    m_platform.beep();
    return false;
  }
  m_loading = true;
  m_lastLoadHadNoBoats = false;
  const QString raceName = QFileInfo(m_selectedRacePath).fileName();
  QElapsedTimer loadTimer;
  loadTimer.start();
  if (m_loadLog) {
    m_loadLog(QStringLiteral("load %1: started").arg(raceName));
  }
  Timer1->stop();
  Timer2->stop();
  hintbox->hide();
  m_platform.beep();
  QCoreApplication::processEvents();

  const bool showProgress = !m_firstLoadDone && m_splash;
  LoadOptions options;
  options.previous = m_haveRace ? m_loaded.race.carryOver() : RaceCarryOver{};
  options.coverShown = m_splash && m_splash->coverShown();
  options.mapArea = QSize(std::max(1, mapWidth()), std::max(1, mapHeight()));
  LoadCallbacks callbacks;
  callbacks.yield = [] { QCoreApplication::processEvents(); };
  callbacks.beep = [this] { m_platform.beep(); };
  if (showProgress) {
    callbacks.raceFileRead = [this](const Race& race) {
      if (m_splash) {
        m_splash->setTitles(race.RaceCaption, race.RaceSubcaption);
      }
    };
    callbacks.progress = [this](int k, int count, const QString& fileName) {
      if (m_splash) {
        m_splash->showProgress(fileName, k, count);
      }
    };
  }
  LoadResult load = LoadRacePipeline(m_selectedRacePath, m_folders, options, callbacks);

  bool replaced = false;
  if (m_loadLog) {
    m_loadLog(load.loaded ? QStringLiteral("load %1: done, %2 boats, %3 ms")
                                .arg(raceName)
                                .arg(load.loaded->race.BoatCount())
                                .arg(loadTimer.elapsed())
                          : QStringLiteral("load %1: failed: %2")
                                .arg(raceName, load.error ? load.error->toString()
                                                          : QStringLiteral("GPS file not exists.")));
  }
  if (load.failure == LoadFailure::ReadError) {
    showMessage(load.error ? load.error->toString() : QStringLiteral("The race could not be read."), true);
  } else if (!load.loaded) {
    m_lastLoadHadNoBoats = true;
    showMessage(QStringLiteral("GPS file not exists."), false);
  } else {
    m_loaded = std::move(*load.loaded);
    m_haveRace = true;
    m_firstLoadDone = true;
    applyRaceToControls();
    replaced = true;
  }
  if (replaced) {
    showReplayFrame(m_clock.SceneTime());
    Wait(m_loadWaitMs);
  }
  if (m_splash && !m_splash->isHidden()) {
    m_splash->setStatus(QString());
    fadeSplash();
  }
  m_loading = false;
  if (m_haveRace) {
    // The one-second tick starts the replay; a failed load resumes the race on screen.
    m_clock.rewindToStart();
    if (replaced || m_clock.timersRunning()) {
      Timer2->start(ReplayClock::kSecondIntervalMs);
    }
  }
  return replaced;
}

void MainWindow::drawOverview() {
  if (m_roseSource.isNull()) {
    m_roseSource = CompassRoseSource();
  }
  const Orientation orientation{RadioN->isChecked() ? 1 : 0, m_loaded.race.WindAxis};
  const OverviewPictures pictures =
      DrawOverview(m_loaded.race, m_loaded.geometry, orientation, m_loaded.colours, m_roseSource);
  m_overview = pictures.map;
  Image1->setPixmap(QPixmap::fromImage(pictures.map));
  compasst->setPixmap(QPixmap::fromImage(pictures.compass));
}

void MainWindow::applyRaceToControls() {
  if (m_loaded.race.NorthUp > 0) {
    RadioN->setChecked(true);
  } else {
    RadioW->setChecked(true);
  }
  Button2->setEnabled(m_loaded.race.AttachmentCount() > 0);
  ListBox1->hide();
  ComboBox1->setCurrentText(QFileInfo(m_selectedRacePath).fileName());
  m_page = 1;
  RadioButton1->setChecked(true);
  CheckBox2->setChecked(true);
  // Every race starts in the live view following the boats.
  CheckBox1->setChecked(true);
  {
    const QSignalBlocker block(ScrollBar2);
    ScrollBar2->setValue(100);
  }
  buildBoatControls();
  m_dotPositions.clear();
  drawOverview();
  pnlTimeBar->setRace(&m_loaded);
  m_scene.setRace(&m_loaded);
  updateSceneOptions();

  ClockRace clockRace;
  const Race& race = m_loaded.race;
  const CourseResults& results = m_loaded.results;
  clockRace.TimeAxisStart = race.TimeAxisStart;
  clockRace.TimeAxisEnd = race.TimeAxisEnd;
  clockRace.RaceStart = race.RaceStart;
  clockRace.StartSecondOfDay = m_loaded.geometry.StartSecondOfDay;
  clockRace.SunriseSecond = m_loaded.geometry.SunriseSecond;
  clockRace.SunsetSecond = m_loaded.geometry.SunsetSecond;
  if (results.itemCount > 0) {
    for (int b = 0; b < race.BoatCount(); ++b) {
      clockRace.finishTimes.push_back(results.PassTime[b][results.itemCount - 1]);
    }
    clockRace.finishBestTime = results.PointBestTime[results.itemCount - 1];
  }
  clockRace.PlaySpeed = race.PlaySpeed;
  m_clock.startRace(clockRace);
  showTransport(Transport::Forward);
  {
    const QSignalBlocker block(ScrollBar1);
    ScrollBar1->setValue(SetSpeedPosition(m_clock.ReplaySpeed()));
  }
  Memo2->setPlainText(speedText(m_clock.ReplaySpeed()));
  Memo1->setPlainText(clockTextAt(race.RaceStart, race.TimeAxisStart));
  if (m_loaded.windGraphOn) {
    Image10->setPixmap(QPixmap::fromImage(DrawWindGraph(m_loaded.windGraph)));
    PnlWindGr->show();
  } else {
    PnlWindGr->hide();
  }
  setWindowTitle(m_loaded.race.RaceCaption.isEmpty() ? QStringLiteral("Velaro") : m_loaded.race.RaceCaption);
  ApplyLanguage();
  ArrangeWindow();
}

void MainWindow::fadeSplash() {
  // From alpha 250 down to 130 in steps of 5, letting events run between.
  for (int alpha = 250; alpha >= 130; alpha -= 5) {
    m_splash->setAlpha(alpha);
    QCoreApplication::processEvents();
    QThread::msleep(10);
  }
  m_splash->setCloseOnDeactivate(true);
}

int MainWindow::mapWidth() const {
  return std::max(0, width() - kPanelWidth - kTimeBarPanelWidth);
}

int MainWindow::mapHeight() const {
  return height();
}

void MainWindow::ArrangeWindow() {
  const int w = width();
  const int h = height();
  pnlLOGO->setGeometry(w - kPanelWidth, 0, kPanelWidth, kLogoHeight);
  pnlCTRL->setGeometry(w - kPanelWidth, h - kControlHeight, kPanelWidth, kControlHeight);
  ListBox1->move(ListBox1->x(), Button2->y() - 3 - ListBox1->height());

  const int free = h - kLogoHeight - kControlHeight;
  const int listHeight = m_loaded.race.BoatListHeight < free ? free : m_loaded.race.BoatListHeight;
  const int listTop = m_loaded.race.BoatListHeight < h - kLogoHeight ? kLogoHeight : 0;
  pnlBOATlist->setGeometry(w - kPanelWidth, listTop, kPanelWidth, listHeight);
  pnlBOATlist->raise();
  if (listTop == 0) {
    pnlBOATlist->raise();
  }
  pnlTimeBar->setGeometry(w - kPanelWidth - kTimeBarPanelWidth, 0, kTimeBarPanelWidth, h);
  m_map->setGeometry(0, 0, mapWidth(), mapHeight());
  // The score and flag panels sit 5 pixels inside the map's top right corner.
  pnlScore->move(mapWidth() - pnlScore->width() - 5, 5);
  pnlFLAG->move(mapWidth() - pnlFLAG->width() - 5, 5);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ArrangeWindow();
  updateSceneOptions();
}

void MainWindow::ComboBox1Change(int index) {
  m_chosenRaceIndex = index + 1;
}

void MainWindow::Button4Click() {
  const QString text = ComboBox1->currentText();
  const QString path = m_folders.folder(QString::fromLatin1(kRaceAdminFolder)) + u'/' + text.trimmed();
  // The race on screen is recognised by its file name, not by a substring of
  // its path ("a.txt" is not ".../ba.txt").
  if (m_haveRace && !text.isEmpty() &&
      QFileInfo(m_selectedRacePath).fileName().compare(text.trimmed(), Qt::CaseInsensitive) == 0) {
    showMessage(QStringLiteral("Already shown."), false);
    return;
  }
  const QString previousPath = m_selectedRacePath;
  const int previousRace = m_currentRace;
  m_selectedRacePath = path;
  m_currentRace = m_chosenRaceIndex > 0 ? m_chosenRaceIndex : ComboBox1->currentIndex() + 1;
  m_platform.beep();
  if (!LoadRace() && m_haveRace) {
    // The race on screen stays; so do its path and catalogue position.
    m_selectedRacePath = previousPath;
    m_currentRace = previousRace;
  }
}

void MainWindow::openFileIfExists(const QString& path) {
  if (QFileInfo(path).isFile()) {
    m_platform.openUrl(QUrl::fromLocalFile(path));
  }
}

void MainWindow::btnHELPClick() {
  const QString ja = m_folders.folder(QString::fromLatin1(kHelpFolder)) + QStringLiteral("/index.html");
  const QString en =
      m_folders.folder(QString::fromLatin1(kHelpEnglishFolder)) + QStringLiteral("/index.html");
  const QString first = isJapanese(m_language) ? ja : en;
  const QString second = isJapanese(m_language) ? en : ja;
  if (QFileInfo(first).isFile()) {
    openFileIfExists(first);
  } else {
    openFileIfExists(second);
  }
}

void MainWindow::Button2Click() {
  m_platform.beep();
  if (ListBox1->isVisible()) {
    ListBox1->hide();
    return;
  }
  if (m_loaded.race.AttachmentCount() == 1) {
    if (auto path =
            m_folders.existingFile(QString::fromLatin1(kAttachmentFolder), m_loaded.race.Attachment[0])) {
      m_platform.openUrl(QUrl::fromLocalFile(*path));
    }
  } else if (m_loaded.race.AttachmentCount() > 1) {
    ListBox1->clear();
    ListBox1->addItems(m_loaded.race.Attachment);
    ListBox1->move(ListBox1->x(), Button2->y() - 3 - ListBox1->height());
    ListBox1->show();
    ListBox1->raise();
  }
}

void MainWindow::ListBox1Click(QListWidgetItem* item) {
  if (item) {
    if (auto path = m_folders.existingFile(QString::fromLatin1(kAttachmentFolder), item->text())) {
      m_platform.openUrl(QUrl::fromLocalFile(*path));
    }
  }
  ListBox1->hide();
}

void MainWindow::Button1Click() {
  Timer1->stop();
  Timer2->stop();
  close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  Timer1->stop();
  Timer2->stop();
  m_platform.beep();
  if (m_splash) {
    m_splash->close();
  }
  event->accept();
}

void MainWindow::buildBoatControls() {
  for (QCheckBox* box : m_boatBoxes) {
    delete box;
  }
  m_boatBoxes.clear();
  for (QLabel* label : m_resultLabels) {
    delete label;
  }
  m_resultLabels.clear();
  const Race& race = m_loaded.race;
  // Two columns of check boxes, 14 pixels a row, below the header.
  for (int b = 0; b < race.BoatCount(); ++b) {
    auto* box = new QCheckBox(race.boats[b].BoatName, pnlBOATlist);
    box->setObjectName(QStringLiteral("sBoat%1").arg(b + 1));
    const int row = b / 2;
    const int column = b % 2;
    box->setGeometry(6 + column * 128, 22 + row * 14, 126, 14);
    box->setChecked(race.boats[b].BoatFocused != 0);
    const Rgb c = m_loaded.colours.BoatColour[b];
    box->setStyleSheet(
        QStringLiteral("QCheckBox { color: rgb(%1,%2,%3); font-weight: bold; }").arg(c.r).arg(c.g).arg(c.b));
    connect(box, &QCheckBox::toggled, this, &MainWindow::updateSceneOptions);
    box->show();
    m_boatBoxes.push_back(box);
  }
  // The result board: one label a boat, shown as it finishes.
  for (int b = 0; b < static_cast<int>(m_loaded.resultLabels.size()); ++b) {
    auto* label = new QLabel(m_loaded.resultLabels[b].text, pnlScore);
    const Rgb c = m_loaded.colours.BoatColour[b];
    label->setStyleSheet(
        QStringLiteral("QLabel { background: rgb(%1,%2,%3); color: white; }").arg(c.r).arg(c.g).arg(c.b));
    label->setGeometry(6, m_loaded.resultLabels[b].top, 188, 13);
    label->hide();
    m_resultLabels.push_back(label);
  }
  pnlScore->hide();
}

void MainWindow::updateSceneOptions() {
  if (!m_haveRace) {
    return;
  }
  SceneOptions& o = m_scene.options();
  o.mapArea = QSize(std::max(1, mapWidth()), std::max(1, mapHeight()));
  o.FormHeight = height();
  o.northUp = RadioN->isChecked();
  o.autoTrace = CheckBox1->isChecked();
  o.chkLL = chkLL->isChecked();
  o.ChkRefLine = ChkRefLine->isChecked();
  o.ChkBigBoat = ChkBigBoat->isChecked();
  o.LabelLevel = CheckBox2->isChecked() ? std::max(o.LabelLevel, 1) : 0;
  o.ZoomDivisor = ZoomDivisorFromScrollBar(ScrollBar2->value());
  o.SeaBrightness = ScrollBar3->value();
  o.BoatFocused.assign(m_boatBoxes.size(), 0);
  for (size_t b = 0; b < m_boatBoxes.size(); ++b) {
    o.BoatFocused[b] = m_boatBoxes[b]->isChecked() ? 1 : 0;
  }
  if (!Timer1->isActive() && m_page == 1) {
    showReplayFrame(m_clock.SceneTime());
  }
}

void MainWindow::showReplayFrame(double sceneTime) {
  if (!m_haveRace) {
    return;
  }
  const QImage& frame = m_scene.render(sceneTime);
  m_map->setImage(frame);
  pnlTimeBar->setSceneTime(sceneTime);
  // Boat dots on the overview map at the same moment, unless the time bar
  // is previewing another moment.
  if (!pnlTimeBar->mouseOnTimeBar()) {
    const SceneState& state = m_scene.state();
    std::vector<std::optional<GeoPoint>> positions(state.boats.size());
    for (size_t b = 0; b < state.boats.size(); ++b) {
      if (state.boats[b].BoatActive) {
        positions[b] = state.boats[b].position();
      }
    }
    drawOverviewDots(positions);
  }
  if (m_scene.state().refocusedAll) {
    for (QCheckBox* box : m_boatBoxes) {
      const QSignalBlocker block(box);
      box->setChecked(true);
    }
  }
}

void MainWindow::applyResultBoard(bool cleared, const std::vector<int>& revealed, const ResultBoard& board) {
  if (cleared) {
    for (QLabel* label : m_resultLabels) {
      label->hide();
    }
  }
  for (int b : revealed) {
    if (b >= 0 && b < static_cast<int>(m_resultLabels.size())) {
      m_resultLabels[b]->show();
    }
  }
  pnlScore->setVisible(board.visible);
  pnlScore->resize(pnlScore->width(), board.height);
  if (board.visible) {
    pnlScore->raise();
  }
}

void MainWindow::Timer1Timer() {
  FrameTickInput input;
  input.Page = m_page;
  input.AutoNext = m_autoNext;
  input.RaceFileCount = static_cast<int>(m_raceFiles.size());
  input.CurrentRace = m_currentRace;
  input.AutoBrightness = CheckBox3->isChecked() ? 1 : 0;
  input.MouseOnTimeBar = pnlTimeBar->mouseOnTimeBar();
  input.raceFileExists = [this](int race) {
    return race >= 1 && race <= m_raceFiles.size() &&
           m_folders.existingFile(QString::fromLatin1(kRaceAdminFolder), m_raceFiles[race - 1]).has_value();
  };
  const FrameOutcome out = m_clock.frameTick(input);
  if (!out.ran) {
    return;
  }
  m_currentRace = out.CurrentRace;
  if (out.loadRace) {
    m_selectedRacePath =
        m_folders.folder(QString::fromLatin1(kRaceAdminFolder)) + u'/' + m_raceFiles[m_currentRace - 1];
    LoadRace();
    return;
  }
  SceneOptions& o = m_scene.options();
  o.TimeOfDay = out.TimeOfDay;
  if (out.seaLight) {
    o.NightMode = out.seaLight->NightMode;
    const QSignalBlocker block(ScrollBar3);
    ScrollBar3->setValue(out.seaLight->brightness);
    o.SeaBrightness = out.seaLight->brightness;
  }
  if (out.render) {
    showReplayFrame(out.sceneTime);
  }
  applyResultBoard(out.resultsCleared, out.revealedBoats, out.board);
  if (out.playGun) {
    m_platform.playGun();
  }
  if (out.clockText) {
    Memo1->setPlainText(*out.clockText);
  }
}

void MainWindow::Timer2Timer() {
  const SecondOutcome out = m_clock.secondTick(m_page, m_scene.boatMotions());
  if (!out.ran) {
    return;
  }
  if (out.startFrameTimer && !Timer1->isActive()) {
    Timer1->start(ReplayClock::kFrameIntervalMs);
  }
  m_scene.options().AvgSpeedUp = out.averages.AvgSpeedUp;
  m_scene.options().AvgSpeedDown = out.averages.AvgSpeedDown;
  applyResultBoard(out.resultsCleared, {}, out.board);
  if (out.beep) {
    m_platform.beep();
  }
  pnlFLAG->setVisible(out.flagPanelVisible);
  blue_p->setVisible(out.blueFlagVisible);
  if (out.flagPanelVisible) {
    pnlFLAG->raise();
  }
}

void MainWindow::showTransport(Transport transport) {
  up_f->setVisible(transport != Transport::Forward);
  up_t->setVisible(transport == Transport::Forward);
  stop_f->setVisible(transport != Transport::Stop);
  stop_t->setVisible(transport == Transport::Stop);
  dn_f->setVisible(transport != Transport::Backward);
  dn_t->setVisible(transport == Transport::Backward);
}

void MainWindow::up_fClick() {
  CheckBox1->setChecked(true);
  m_clock.press(Transport::Forward);
  showTransport(Transport::Forward);
  Timer1->start(ReplayClock::kFrameIntervalMs);
  Timer2->start(ReplayClock::kSecondIntervalMs);
}

void MainWindow::dn_fClick() {
  CheckBox1->setChecked(true);
  m_clock.press(Transport::Backward);
  showTransport(Transport::Backward);
  Timer1->start(ReplayClock::kFrameIntervalMs);
  Timer2->start(ReplayClock::kSecondIntervalMs);
}

void MainWindow::stop_fClick() {
  CheckBox1->setChecked(true);
  m_clock.press(Transport::Stop);
  showTransport(Transport::Stop);
  Timer1->stop();
  Timer2->stop();
}

void MainWindow::plusClick() {
  const Race& r = m_loaded.race;
  m_clock.setSceneTime(SceneRenderer::stepPlus(m_clock.SceneTime(), r.TimeAxisStart, r.TimeAxisEnd));
  showReplayFrame(m_clock.SceneTime());
  Memo1->setPlainText(clockTextAt(r.RaceStart, m_clock.SceneTime()));
}

void MainWindow::minusClick() {
  const Race& r = m_loaded.race;
  m_clock.setSceneTime(SceneRenderer::stepMinus(m_clock.SceneTime(), r.TimeAxisStart, r.TimeAxisEnd));
  showReplayFrame(m_clock.SceneTime());
  Memo1->setPlainText(clockTextAt(r.RaceStart, m_clock.SceneTime()));
}

void MainWindow::RadioButton1Click() {
  m_page = 1;
  ComboBox1->setEnabled(true);
  Button4->setEnabled(true);
  Panel1->show();
  PnlWindGr->setVisible(m_loaded.windGraphOn);
  if (m_haveRace && m_clock.timersRunning()) {
    Timer1->start(ReplayClock::kFrameIntervalMs);
    Timer2->start(ReplayClock::kSecondIntervalMs);
  }
}

void MainWindow::ScrollBar1Change(int position) {
  Memo2->setPlainText(m_clock.speedSliderMoved(position));
}

void MainWindow::Wait(int ms) {
  // Sleeps in steps of 100 ms, letting window events run after each.
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QThread::msleep(static_cast<unsigned long>(std::min<qint64>(100, ms - timer.elapsed())));
    QCoreApplication::processEvents();
  }
}

void MainWindow::writeAndOpen(const QString& fileName, const QByteArray& bytes) {
  const QString path = QDir(m_documentsFolder).filePath(fileName);
  if (!QDir().mkpath(m_documentsFolder)) {
    showMessage(QStringLiteral("%1: the folder cannot be made").arg(m_documentsFolder), true);
    return;
  }
  if (const auto error = writeFileBytes(path, bytes)) {
    showMessage(error->toString(), true);
    return;
  }
  m_platform.beep();
  m_platform.openUrl(QUrl::fromLocalFile(path));
}

void MainWindow::RadioButton3Click() {
  ComboBox1->setEnabled(false);
  Button4->setEnabled(false);
  Panel1->hide();
  PnlWindGr->hide();
  m_page = 2;
  if (m_haveRace) {
    writeAndOpen(QString::fromLatin1(kPerformanceTableFileName), WritePerformanceTable(m_loaded));
  }
}

void MainWindow::Button3MouseDown(Qt::MouseButton button) {
  if (!m_haveRace) {
    return;
  }
  const Race& race = m_loaded.race;
  std::vector<int> focused(race.BoatCount(), 1);
  int unfocused = 0;
  for (int b = 0; b < race.BoatCount() && b < static_cast<int>(m_boatBoxes.size()); ++b) {
    focused[b] = m_boatBoxes[b]->isChecked() ? 1 : 0;
    unfocused += focused[b] ? 0 : 1;
  }
  const bool ja = isJapanese(m_language);
  if (kmlAskHideUnfocused(unfocused) && m_questionSink) {
    m_hideUnfocused = m_questionSink(QStringLiteral("Velaro"), kmlQuestionText(ja));
  }
  const QString iconFolder = m_folders.folder(QString::fromLatin1(kIconFolder));
  // The pictures are optional: a folder that cannot be written only costs the icons.
  ensureKmlIcons(iconFolder);
  KmlOptions options;
  options.japanese = ja;
  options.hideUnfocused = m_hideUnfocused;
  options.iconFolder = QDir::cleanPath(iconFolder) + u'/';
  options.focused = focused;
  const QByteArray kml =
      button == Qt::RightButton
          ? ExportPresentScene(race, m_clock.SceneTime(), sceneBoatsFrom(m_scene.state()), options)
          : ExportAllRace(race, options);
  writeAndOpen(QString::fromLatin1(kKmlFileName), kml);
}

void MainWindow::showHint(const QString& text, const QRect& rect) {
  hintbox->setGeometry(rect);
  hintbox->setPlainText(text);
  hintbox->show();
  hintbox->raise();
}

void MainWindow::Button3MouseMove() {
  const bool ja = isJapanese(m_language);
  showHint(kmlHintText(ja), kmlHintRect(pnlCTRL->pos() + Button3->pos(), ja));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Button3) {
    if (event->type() == QEvent::MouseButtonPress) {
      Button3MouseDown(static_cast<QMouseEvent*>(event)->button());
      return true;
    }
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
      Button3MouseMove();
    } else if (event->type() == QEvent::Leave) {
      hintbox->hide();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::drawOverviewDots(const std::vector<std::optional<GeoPoint>>& positions) {
  if (m_overview.isNull()) {
    return;
  }
  m_dotPositions.resize(positions.size());
  QImage overview = m_overview;
  QPainter p(&overview);
  const Projection projection =
      OverviewProjection(m_loaded.geometry, Orientation{RadioN->isChecked() ? 1 : 0, m_loaded.race.WindAxis});
  for (int b = static_cast<int>(positions.size()) - 1; b >= 0; --b) {
    // A boat without a position at this moment keeps its dot where it was.
    if (positions[b]) {
      m_dotPositions[b] = positions[b];
    }
    const bool focused = b >= static_cast<int>(m_boatBoxes.size()) || m_boatBoxes[b]->isChecked();
    if (m_dotPositions[b] && focused) {
      // Dot positions are panel coordinates; the map image sits at (3, 3).
      DrawBoatDot(p, BoatDotTopLeft(projection, *m_dotPositions[b]) - QPoint(3, 3),
                  m_loaded.colours.BoatColour[b]);
    }
  }
  p.end();
  Image1->setPixmap(QPixmap::fromImage(overview));
}

void MainWindow::timeBarJump(double t) {
  const JumpOutcome o = m_clock.timeBarClick(t, m_page, CheckBox1->isChecked() ? 1 : 0);
  if (!o.ran) {
    return;
  }
  if (o.renderLive || o.renderWholeRace) {
    applyResultBoard(o.resultsCleared, {}, o.board);
    showReplayFrame(o.sceneTime);
  }
  Memo1->setPlainText(o.clockText);
}

void MainWindow::timeBarPreview(double t) {
  const TimeBarPreview& preview = pnlTimeBar->preview();
  Memo1->setPlainText(preview.clockText);
  drawOverviewDots(pnlTimeBar->previewPositions(t));
  if (m_hintsOn && m_page == 1) {
    const TimeBarHint hint = hintFor(m_language, preview.clockText, preview.y);
    showHint(hint.text, hint.rectFor(mapWidth()));
  }
}

void MainWindow::timeBarPreviewEnded() {
  hintbox->hide();
  pnlLOGO->show();
  pnlCTRL->show();
  setWindowTitle(m_loaded.race.RaceCaption.isEmpty() ? QStringLiteral("Velaro") : m_loaded.race.RaceCaption);
  if (m_haveRace) {
    Memo1->setPlainText(clockTextAt(m_loaded.race.RaceStart, m_clock.SceneTime()));
  }
}

}  // namespace velaro
