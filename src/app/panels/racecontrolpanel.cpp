#include "app/panels/racecontrolpanel.h"

#include "app/controls.h"
#include "app/desktop/shellhints.h"
#include "app/panels/transportpanel.h"
#include "core/analysis/mapgeometry.h"
#include "core/reports/kmlexport.h"
#include "render/flags.h"
#include "render/seacolour.h"

#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>

#include <algorithm>
#include <array>

namespace velaro {

namespace {

constexpr int kAttachmentsTop = 170;
constexpr int kAttachmentListHeight = 67;

constexpr std::array kControlPlaces{
    ControlPlace{"raceFileLabel", QRect(12, 12, 126, 12)},
    ControlPlace{"raceSelector", QRect(11, 28, 167, 20)},
    ControlPlace{"autoNextBox", QRect(182, 7, 72, 16)},
    ControlPlace{"exitButton", QRect(207, 195, 44, 49)},
    ControlPlace{"showRaceButton", QRect(183, 28, 73, 19)},
    ControlPlace{"pageGroup", QRect(12, 56, 65, 55)},
    ControlPlace{"trackPageButton", QRect(4, 12, 60, 14)},
    ControlPlace{"graphPageButton", QRect(4, 26, 60, 14)},
    ControlPlace{"tablePageButton", QRect(4, 40, 60, 14)},
    ControlPlace{"orientationGroup", QRect(83, 56, 71, 45)},
    ControlPlace{"northUpButton", QRect(4, 12, 66, 14)},
    ControlPlace{"windUpButton", QRect(4, 27, 66, 14)},
    ControlPlace{"autoTraceBox", QRect(169, 51, 86, 16)},
    ControlPlace{"laylineBox", QRect(169, 68, 86, 16)},
    ControlPlace{"referenceLineBox", QRect(169, 85, 86, 16)},
    ControlPlace{"boatNamesBox", QRect(169, 102, 86, 16)},
    ControlPlace{"bigBoatsBox", QRect(169, 119, 86, 16)},
    ControlPlace{"retouchButton", QRect(169, 136, 85, 16)},
    ControlPlace{"googleEarthButton", QRect(169, 153, 85, 16)},
    ControlPlace{"attachmentsButton", QRect(169, kAttachmentsTop, 85, 16)},
    // The list's bottom is 3 pixels above the attachments button.
    ControlPlace{"attachmentList",
                 QRect(169, kAttachmentsTop - 3 - kAttachmentListHeight, 85, kAttachmentListHeight)},
    ControlPlace{"transportPanel", QRect(10, 116, 69, 72)},
    ControlPlace{"seaColourGroup", QRect(83, 109, 71, 78)},
    ControlPlace{"seaSwatch", QRect(4, 17, 63, 16)},
    ControlPlace{"seaBrightnessSlider", QRect(4, 36, 63, 16)},
    ControlPlace{"autoSeaBox", QRect(4, 56, 63, 16)},
    ControlPlace{"zoomLabel", QRect(11, 198, 32, 12)},
    ControlPlace{"zoomSlider", QRect(48, 197, 106, 16)},
    ControlPlace{"speedLabel", QRect(9, 226, 36, 12)},
    ControlPlace{"speedSlider", QRect(48, 225, 106, 16)},
    ControlPlace{"speedReadout", QRect(162, 224, 29, 19)},
    // The flags lie on top of each other: the visible one offers the other language.
    ControlPlace{"japaneseFlag", QRect(165, 194, 34, 23)},
    ControlPlace{"englishFlag", QRect(165, 194, 34, 23)},
};

QPushButton* makeFlag(const char* name, const QImage& picture, QWidget* parent) {
  auto* flag = named(new QPushButton, name, parent);
  flag->setIcon(QPixmap::fromImage(picture));
  flag->setIconSize(QSize(30, 20));
  flag->setFlat(true);
  return flag;
}

}  // namespace

std::span<const ControlPlace> controlPlaces() {
  return kControlPlaces;
}

RaceControlPanel::RaceControlPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("raceControlPanel"));
  // Opaque: a long boat list may lie under it.
  setAutoFillBackground(true);
  // The control sizes were laid out for a narrow Windows UI font; one point
  // less keeps every caption whole with the wider Linux sans fonts.
  QFont controlFont = parent ? parent->font() : font();
  controlFont.setPointSize(std::max(6, controlFont.pointSize() - 1));
  setFont(controlFont);

  // Made in this order so that overlapping controls stack as designed.
  m_raceFileLabel = named(new QLabel, "raceFileLabel", this);
  m_raceSelector = named(new QComboBox, "raceSelector", this);
  m_autoNextBox = named(new QCheckBox, "autoNextBox", this);
  m_exitButton = named(new QPushButton, "exitButton", this);
  m_showRaceButton = named(new QPushButton, "showRaceButton", this);
  m_pageGroup = named(new QGroupBox, "pageGroup", this);
  m_trackPageButton = named(new QRadioButton, "trackPageButton", m_pageGroup);
  m_graphPageButton = named(new QRadioButton, "graphPageButton", m_pageGroup);
  m_tablePageButton = named(new QRadioButton, "tablePageButton", m_pageGroup);
  m_trackPageButton->setChecked(true);
  m_orientationGroup = named(new QGroupBox, "orientationGroup", this);
  m_northUpButton = named(new QRadioButton, "northUpButton", m_orientationGroup);
  m_windUpButton = named(new QRadioButton, "windUpButton", m_orientationGroup);
  m_windUpButton->setChecked(true);
  m_autoTraceBox = named(new QCheckBox, "autoTraceBox", this);
  m_laylineBox = named(new QCheckBox, "laylineBox", this);
  m_laylineBox->setChecked(true);
  m_referenceLineBox = named(new QCheckBox, "referenceLineBox", this);
  m_boatNamesBox = named(new QCheckBox, "boatNamesBox", this);
  m_boatNamesBox->setChecked(true);
  m_bigBoatsBox = named(new QCheckBox, "bigBoatsBox", this);
  // Hints are always on: the box that would switch them stays hidden.
  m_hintsBox = named(new QCheckBox, "hintsBox", this);
  m_hintsBox->setChecked(true);
  m_hintsBox->hide();
  m_retouchButton = named(new QPushButton, "retouchButton", this);
  m_googleEarthButton = named(new QPushButton, "googleEarthButton", this);
  m_attachmentsButton = named(new QPushButton, "attachmentsButton", this);
  m_attachmentList = named(new QListWidget, "attachmentList", this);
  m_attachmentList->hide();
  m_transportPanel = new TransportPanel(this);
  m_seaColourGroup = named(new QGroupBox, "seaColourGroup", this);
  m_seaBrightnessSlider = named(new QScrollBar(Qt::Horizontal), "seaBrightnessSlider", m_seaColourGroup);
  m_seaBrightnessSlider->setRange(0, 100);
  m_seaBrightnessSlider->setValue(100);
  m_seaSwatch = named(new QLabel, "seaSwatch", m_seaColourGroup);
  m_autoSeaBox = named(new QCheckBox, "autoSeaBox", m_seaColourGroup);
  m_autoSeaBox->setChecked(true);
  m_zoomLabel = named(new QLabel, "zoomLabel", this);
  m_zoomSlider = named(new QScrollBar(Qt::Horizontal), "zoomSlider", this);
  m_zoomSlider->setRange(0, 100);
  m_zoomSlider->setValue(100);
  m_speedLabel = named(new QLabel, "speedLabel", this);
  m_speedSlider = named(new QScrollBar(Qt::Horizontal), "speedSlider", this);
  m_speedSlider->setRange(kSpeedPositionMin, kSpeedPositionMax);
  m_speedSlider->setPageStep(5);
  m_speedSlider->setValue(30);
  m_speedReadout = makeReadout("speedReadout", this);
  m_japaneseFlag = makeFlag("japaneseFlag", drawJapanFlag(QSize(30, 20)), this);
  m_englishFlag = makeFlag("englishFlag", drawEnglishFlag(QSize(30, 20)), this);

  for (const ControlPlace& place : kControlPlaces) {
    if (auto* control = findChild<QWidget*>(QString::fromLatin1(place.name))) {
      control->setGeometry(place.geometry);
    }
  }
  showSeaSwatch();

  connect(m_raceSelector, &QComboBox::activated, this, &RaceControlPanel::raceChosen);
  m_raceSelector->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_raceSelector, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { showMenu(m_raceSelector, at, true); });
  // The race selector is closed off the Track page; the page choice, where
  // the right button also reaches the menu, never is.
  m_pageGroup->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_pageGroup, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { showMenu(m_pageGroup, at, false); });
  connect(m_showRaceButton, &QPushButton::clicked, this, [this] {
    if (!refusedWhileLoading()) {
      emit showClicked();
    }
  });
  connect(m_exitButton, &QPushButton::clicked, this, &RaceControlPanel::exitClicked);
  connect(m_trackPageButton, &QRadioButton::clicked, this, [this] { choosePage(Page::Track); });
  connect(m_graphPageButton, &QRadioButton::clicked, this, [this] { choosePage(Page::Graph); });
  connect(m_tablePageButton, &QRadioButton::clicked, this, [this] { choosePage(Page::Table); });
  connect(m_northUpButton, &QRadioButton::toggled, this, &RaceControlPanel::orientationChanged);
  // Auto Trace's own signal switches the view and redraws it; its toggle is
  // no display change besides.
  connect(m_autoTraceBox, &QCheckBox::clicked, this, [this](bool checked) {
    if (refusedWhileLoading()) {
      m_autoTraceBox->setChecked(!checked);
      return;
    }
    emit autoTraceClicked(checked);
  });
  for (QCheckBox* box : {m_laylineBox, m_referenceLineBox, m_boatNamesBox, m_bigBoatsBox}) {
    connect(box, &QCheckBox::toggled, this, &RaceControlPanel::displayChanged);
  }
  connect(m_zoomSlider, &QScrollBar::valueChanged, this, &RaceControlPanel::displayChanged);
  connect(m_seaBrightnessSlider, &QScrollBar::valueChanged, this, &RaceControlPanel::showSeaSwatch);
  connect(m_seaBrightnessSlider, &QScrollBar::valueChanged, this, &RaceControlPanel::displayChanged);
  connect(m_speedSlider, &QScrollBar::valueChanged, this, &RaceControlPanel::speedMoved);

  // The transport and the steps play the live scene and switch the view back
  // themselves; the box only shows it.
  connect(m_transportPanel, &TransportPanel::transportChosen, this, [this](Transport transport) {
    if (refusedWhileLoading()) {
      m_transportPanel->showTransport(m_shownTransport);
      return;
    }
    m_autoTraceBox->setChecked(true);
    emit transportChosen(transport);
  });
  connect(m_transportPanel, &TransportPanel::pressedButtonClicked, this, &RaceControlPanel::checkAutoTrace);
  connect(m_transportPanel, &TransportPanel::stepRequested, this, [this](int direction) {
    if (refusedWhileLoading()) {
      return;
    }
    m_autoTraceBox->setChecked(true);
    emit stepRequested(direction);
  });

  connect(m_attachmentsButton, &QPushButton::clicked, this, &RaceControlPanel::onAttachmentsClicked);
  connect(m_attachmentList, &QListWidget::itemClicked, this, &RaceControlPanel::onAttachmentItemClicked);
  connect(m_retouchButton, &QPushButton::clicked, this, [this] {
    if (!refusedWhileLoading()) {
      emit retouchClicked();
    }
  });
  m_retouchButton->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_retouchButton, &QWidget::customContextMenuRequested, this, [this] {
    if (!refusedWhileLoading()) {
      emit retouchRightClicked();
    }
  });
  connect(m_japaneseFlag, &QPushButton::clicked, this, [this] { emit languageChosen(Language::Japanese); });
  connect(m_englishFlag, &QPushButton::clicked, this, [this] { emit languageChosen(Language::English); });
  connect(m_hintsBox, &QCheckBox::toggled, this, &RaceControlPanel::hintsSwitched);
  // The export button tells the mouse buttons apart, so it is watched
  // directly; so are the controls with hints.
  for (QWidget* watched : std::initializer_list<QWidget*>{
           m_googleEarthButton, m_autoNextBox, m_showRaceButton, m_bigBoatsBox, m_attachmentsButton}) {
    watched->installEventFilter(this);
    watched->setMouseTracking(true);
  }
  // A click on the list's empty space hides it.
  m_attachmentList->viewport()->installEventFilter(this);
  setMouseTracking(true);
  retranslate();
}

void RaceControlPanel::retranslate() {
  m_raceFileLabel->setText(tr("Race File Name"));
  m_autoNextBox->setText(tr("AutoNext"));
  m_exitButton->setText(tr("EXIT"));
  m_showRaceButton->setText(tr("SHOW"));
  m_pageGroup->setTitle(tr("Page"));
  m_trackPageButton->setText(tr("Track"));
  m_graphPageButton->setText(tr("Graph"));
  m_tablePageButton->setText(tr("Table"));
  m_orientationGroup->setTitle(tr("Orientation"));
  m_northUpButton->setText(tr("NorthWd"));
  m_windUpButton->setText(tr("WindWd"));
  m_autoTraceBox->setText(tr("Auto Trace"));
  m_laylineBox->setText(tr("Layline"));
  m_referenceLineBox->setText(tr("Comp Ht"));
  m_boatNamesBox->setText(tr("Boat Name"));
  m_bigBoatsBox->setText(tr("Boat Size"));
  m_hintsBox->setText(tr("Tips"));
  m_retouchButton->setText(tr("Retouch"));
  m_googleEarthButton->setText(tr("Google Earth"));
  m_attachmentsButton->setText(tr("Attachment"));
  m_seaColourGroup->setTitle(tr("Sea Color"));
  m_autoSeaBox->setText(tr("AUTO"));
  m_zoomLabel->setText(tr("ZOOM"));
  m_speedLabel->setText(tr("SPEED"));
  fitCaptions(this);
}

void RaceControlPanel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    retranslate();
  }
  QWidget::changeEvent(event);
}

void RaceControlPanel::mouseMoveEvent(QMouseEvent* event) {
  // Moves over controls without their own tracking arrive here too.
  if (!childAt(event->position().toPoint())) {
    emit pointerOnEmptyPart();
  }
  QWidget::mouseMoveEvent(event);
}

std::optional<Hint> RaceControlPanel::hintFor(const QObject* control) const {
  if (control == m_autoNextBox) {
    return ShellHints::autoNext(m_language);
  }
  if (control == m_showRaceButton) {
    return ShellHints::showRace(geometry(), m_showRaceButton->geometry());
  }
  if (control == m_bigBoatsBox) {
    return ShellHints::bigBoats(geometry(), m_bigBoatsBox->geometry());
  }
  if (control == m_attachmentsButton) {
    return ShellHints::attachments(m_attachments);
  }
  if (control == m_googleEarthButton) {
    const bool ja = isJapanese(m_language);
    const QRect rect = kmlHintRect(m_googleEarthButton->pos(), ja).translated(pos());
    const QString text =
        tr("    Show Google Earth\nLeft Button => All Race\nRight Button => Present Scene\n"
           "(△Button to Restart)");
    return Hint{hintLines(text), rect.size(), rect.topLeft(), false};
  }
  return std::nullopt;
}

void RaceControlPanel::checkAutoTrace() {
  if (!m_autoTraceBox->isChecked()) {
    m_autoTraceBox->setChecked(true);
    emit autoTraceClicked(true);
  }
}

void RaceControlPanel::showSeaSwatch() {
  m_seaSwatch->setPixmap(QPixmap::fromImage(SeaSwatch(m_seaSwatch->size(), seaBrightness())));
}

std::unique_ptr<QMenu> RaceControlPanel::makeMenu(bool withOpenLogs) {
  auto menu = std::make_unique<QMenu>(this);
  menu->setObjectName(withOpenLogs ? QStringLiteral("raceSelectorMenu") : QStringLiteral("pageMenu"));
  auto add = [&menu](const QString& text, const char* name, bool checked) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
  };
  if (withOpenLogs) {
    QAction* openLogs = menu->addAction(tr("Open GPS logs as a new race..."));
    openLogs->setObjectName(QStringLiteral("openLogsAction"));
    openLogs->setShortcut(QKeySequence::Open);
    connect(openLogs, &QAction::triggered, this, &RaceControlPanel::openLogsRequested);
    menu->addSeparator();
  }
  connect(add(tr("Gaps to the leader"), "gapsPageAction", m_page == Page::Gaps), &QAction::triggered, this,
          [this] { choosePage(Page::Gaps); });
  connect(add(tr("Polars"), "polarsPageAction", m_page == Page::Polars), &QAction::triggered, this,
          [this] { choosePage(Page::Polars); });
  menu->addSeparator();
  connect(add(tr("Tracks coloured by speed"), "speedColoursAction", m_speedColours), &QAction::toggled, this,
          &RaceControlPanel::onSpeedColoursToggled);
  return menu;
}

void RaceControlPanel::showMenu(QWidget* owner, const QPoint& at, bool withOpenLogs) {
  makeMenu(withOpenLogs)->exec(owner->mapToGlobal(at));
}

void RaceControlPanel::onSpeedColoursToggled(bool on) {
  m_speedColours = on;
  // The colours belong to the whole-race view: switched on over the live
  // scene, the map leaves it for that view as an Auto Trace click does.
  if (on && m_page == Page::Track && autoTrace() && !m_loading) {
    m_autoTraceBox->setChecked(false);
    emit autoTraceClicked(false);
    return;
  }
  emit displayChanged();
}

void RaceControlPanel::showRace(bool northUp, const QStringList& attachments, const QString& fileName) {
  // The window draws the new race once, when everything is set: these are
  // no user's changes.
  const QSignalBlocker northUpBlock(m_northUpButton);
  const QSignalBlocker windUpBlock(m_windUpButton);
  const QSignalBlocker namesBlock(m_boatNamesBox);
  const QSignalBlocker autoTraceBlock(m_autoTraceBox);
  setNorthUp(northUp);
  setAttachments(attachments);
  setChosenRaceText(fileName);
  checkTrackPage();
  m_boatNamesBox->setChecked(true);
  m_autoTraceBox->setChecked(true);
  resetZoom(100);
}

void RaceControlPanel::checkTrackPage() {
  showPage(Page::Track);
}

void RaceControlPanel::showPage(Page page) {
  m_page = page;
  QRadioButton* const shown = page == Page::Track   ? m_trackPageButton
                              : page == Page::Graph ? m_graphPageButton
                              : page == Page::Table ? m_tablePageButton
                                                    : nullptr;
  for (QRadioButton* button : {m_trackPageButton, m_graphPageButton, m_tablePageButton}) {
    // An exclusive radio button cannot be unchecked by itself.
    if (button != shown && button->isChecked()) {
      button->setAutoExclusive(false);
      button->setChecked(false);
      button->setAutoExclusive(true);
    }
  }
  if (shown) {
    shown->setChecked(true);
  }
  // Another race is chosen on the Track page only: the other pages belong
  // to the race on screen.
  const bool canChooseRace = page == Page::Track;
  m_raceSelector->setEnabled(canChooseRace);
  m_showRaceButton->setEnabled(canChooseRace);
}

void RaceControlPanel::applyTo(SceneOptions& o) const {
  o.northUp = northUp();
  o.autoTrace = autoTrace();
  o.chkLL = laylines();
  o.ChkRefLine = referenceLine();
  o.ChkBigBoat = bigBoats();
  o.LabelLevel = boatNames() ? std::max(o.LabelLevel, 1) : 0;
  o.ZoomDivisor = ZoomDivisorFromScrollBar(zoomPosition());
  o.SeaBrightness = seaBrightness();
  o.speedColours = m_speedColours;
}

void RaceControlPanel::setRaceFiles(const QStringList& files) {
  m_raceSelector->clear();
  m_raceSelector->addItems(files);
}

void RaceControlPanel::setChosenRace(int index) {
  m_raceSelector->setCurrentIndex(index);
}

void RaceControlPanel::setChosenRaceText(const QString& text) {
  m_raceSelector->setCurrentText(text);
}

void RaceControlPanel::setNorthUp(bool northUp) {
  (northUp ? m_northUpButton : m_windUpButton)->setChecked(true);
}

void RaceControlPanel::resetZoom(int position) {
  const QSignalBlocker block(m_zoomSlider);
  m_zoomSlider->setValue(position);
}

void RaceControlPanel::showSeaBrightness(int brightness) {
  const QSignalBlocker block(m_seaBrightnessSlider);
  m_seaBrightnessSlider->setValue(brightness);
  showSeaSwatch();
}

void RaceControlPanel::showSpeed(int position, const QString& text) {
  {
    const QSignalBlocker block(m_speedSlider);
    m_speedSlider->setValue(position);
  }
  m_speedReadout->setPlainText(text);
}

void RaceControlPanel::showTransport(Transport transport) {
  m_shownTransport = transport;
  m_transportPanel->showTransport(transport);
}

void RaceControlPanel::setLoading(bool loading) {
  m_loading = loading;
}

bool RaceControlPanel::refusedWhileLoading() {
  if (m_loading) {
    emit refused();
  }
  return m_loading;
}

void RaceControlPanel::setAttachments(const QStringList& names) {
  m_attachments = names;
  m_attachmentsButton->setEnabled(!names.isEmpty());
  m_attachmentList->hide();
}

void RaceControlPanel::setLanguage(Language language) {
  m_language = language;
  m_japaneseFlag->setVisible(language == Language::English);
  m_englishFlag->setVisible(language == Language::Japanese);
}

void RaceControlPanel::choosePage(Page page) {
  if (refusedWhileLoading()) {
    showPage(m_page);
    return;
  }
  showPage(page);
  emit pageChosen(page);
}

void RaceControlPanel::onAttachmentsClicked() {
  emit attachmentsClicked();
  if (m_attachmentList->isVisible()) {
    m_attachmentList->hide();
    return;
  }
  if (m_attachments.size() == 1) {
    emit attachmentChosen(m_attachments.front());
  } else if (m_attachments.size() > 1) {
    m_attachmentList->clear();
    m_attachmentList->addItems(m_attachments);
    m_attachmentList->show();
    m_attachmentList->raise();
  }
}

void RaceControlPanel::onAttachmentItemClicked(QListWidgetItem* item) {
  if (item) {
    emit attachmentChosen(item->text());
  }
  m_attachmentList->hide();
}

bool RaceControlPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_attachmentList->viewport()) {
    if (event->type() == QEvent::MouseButtonRelease &&
        !m_attachmentList->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint())) {
      m_attachmentList->hide();
    }
    return QWidget::eventFilter(watched, event);
  }
  if (watched == m_googleEarthButton && event->type() == QEvent::MouseButtonPress) {
    if (!refusedWhileLoading()) {
      emit kmlExportRequested(static_cast<QMouseEvent*>(event)->button());
    }
    return true;
  }
  if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
    if (const std::optional<Hint> hint = hintFor(watched)) {
      emit hintRequested(*hint);
    }
  } else if (event->type() == QEvent::Leave) {
    emit hintEnded();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace velaro
