#include "app/mainwindow.h"

#include "app/mapwidget.h"
#include "app/platform.h"
#include "app/splashform.h"
#include "core/datetime.h"
#include "core/racecatalogue.h"
#include "render/flags.h"
#include "render/overviewmap.h"
#include "render/seacolour.h"
#include "render/windgraphimage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>

#include <cmath>
#include <type_traits>

namespace velaro {

namespace {

constexpr int kPanelWidth = 265;
constexpr int kLogoHeight = 200;
constexpr int kControlHeight = 255;
constexpr int kTimeBarWidth = 50;

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
  return memo;
}

}  // namespace

MainWindow::MainWindow(RaceFolders folders, Platform& platform, QPointer<SplashForm> splash, QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_folders(std::move(folders)),
      m_platform(platform),
      m_splash(std::move(splash)),
      m_seaColour(kSeaColourPresets[0]) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Velaro"));
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
  GroupBox4 = named(new QGroupBox(QStringLiteral("Sea Color")), "GroupBox4", pnlCTRL, QRect(83, 109, 71, 78));
  ScrollBar3 = named(new QScrollBar(Qt::Horizontal), "ScrollBar3", GroupBox4, QRect(4, 36, 63, 16));
  ScrollBar3->setRange(0, 100);
  ScrollBar3->setValue(100);
  CheckBox3 = named(new QCheckBox(QStringLiteral("AUTO")), "CheckBox3", GroupBox4, QRect(4, 56, 63, 16));
  CheckBox3->setChecked(true);
  Label3 = named(new QLabel(QStringLiteral("ZOOM")), "Label3", pnlCTRL, QRect(11, 198, 32, 12));
  ScrollBar2 = named(new QScrollBar(Qt::Horizontal), "ScrollBar2", pnlCTRL, QRect(48, 197, 106, 16));
  Label2 = named(new QLabel(QStringLiteral("SPEED")), "Label2", pnlCTRL, QRect(9, 226, 36, 12));
  ScrollBar1 = named(new QScrollBar(Qt::Horizontal), "ScrollBar1", pnlCTRL, QRect(48, 225, 106, 16));
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

  pnlTimeBar = named(new QWidget, "pnlTimeBar", this);
  pnlTimeBar->setAutoFillBackground(true);
  QPalette tb = pnlTimeBar->palette();
  tb.setColor(QPalette::Window, QColor(40, 40, 60));
  pnlTimeBar->setPalette(tb);

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

  hintbox = makeMemo("hintbox", this);
  hintbox->setStyleSheet(QStringLiteral("QPlainTextEdit { background: yellow; }"));
  hintbox->hide();

  Timer1 = named(new QTimer(this), "Timer1", nullptr);
  Timer1->setInterval(50);
  Timer2 = named(new QTimer(this), "Timer2", nullptr);
  Timer2->setInterval(1000);
}

bool MainWindow::startUp() {
  m_documentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
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
  m_seaColour = kSeaColourPresets[0];
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
  if (m_splash && !m_splash->isHidden()) {
    m_splash->setStatus(QString());
    fadeSplash();
  }
  m_loading = false;
  return replaced;
}

void MainWindow::drawOverview() {
  if (m_roseSource.isNull()) {
    m_roseSource = CompassRoseSource();
  }
  const Orientation orientation{RadioN->isChecked() ? 1 : 0, m_loaded.race.WindAxis};
  const OverviewPictures pictures =
      DrawOverview(m_loaded.race, m_loaded.geometry, orientation, m_loaded.colours, m_roseSource);
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
  drawOverview();
  if (m_loaded.windGraphOn) {
    Image10->setPixmap(QPixmap::fromImage(DrawWindGraph(m_loaded.windGraph)));
    PnlWindGr->show();
  } else {
    PnlWindGr->hide();
  }
  setWindowTitle(m_loaded.race.RaceCaption.isEmpty() ? QStringLiteral("Velaro") : m_loaded.race.RaceCaption);
  ApplyLanguage();
  ArrangeWindow();
  drawPlaceholderScene();
}

void MainWindow::drawPlaceholderScene() {
  const int w = std::max(1, mapWidth());
  const int h = std::max(1, mapHeight());
  QImage scene(w, h, QImage::Format_RGB32);
  scene.fill(m_seaColour);
  QPainter p(&scene);
  p.setPen(Qt::black);
  QFont f = font();
  f.setPointSize(14);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRect(10, 10, w - 20, 30), Qt::AlignLeft, m_loaded.race.RaceCaption);
  f.setBold(false);
  f.setPointSize(11);
  p.setFont(f);
  p.drawText(QRect(10, 40, w - 20, 24), Qt::AlignLeft, m_loaded.race.RaceSubcaption);
  p.end();
  m_map->setImage(scene);
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
  return std::max(0, width() - kPanelWidth - kTimeBarWidth);
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
  pnlTimeBar->setGeometry(w - kPanelWidth - kTimeBarWidth, 0, kTimeBarWidth, h);
  m_map->setGeometry(0, 0, mapWidth(), mapHeight());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ArrangeWindow();
  if (m_haveRace) {
    drawPlaceholderScene();
  }
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

}  // namespace velaro
