#pragma once

#include "app/captions.h"
#include "app/panels/hintbox.h"
#include "app/replay/page.h"
#include "core/replay/replayclock.h"
#include "core/scene/scenestate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QScrollBar>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>
#include <span>

class QMenu;

namespace velaro {

class TransportPanel;

// Where one control of the control panel sits, in its parent's coordinates.
struct ControlPlace {
  const char* name;  // object name
  QRect geometry;
};

// Every size and place inside the control panel.
std::span<const ControlPlace> controlPlaces();

// The control panel at the bottom of the right-hand column: the race
// selector with SHOW and AutoNext, the page and orientation choices, the
// display switches, the export and attachment buttons, the replay buttons,
// the sea colour, zoom and speed sliders, the language flags and EXIT.
// It holds the switches' state; the window reads it through the accessors
// and hears of changes through the signals.
class RaceControlPanel : public QWidget {
  Q_OBJECT

 public:
  explicit RaceControlPanel(QWidget* parent = nullptr);

  // Back to the switches every race starts with: the race's orientation,
  // its attachments, its file name in the selector, the Track page with the
  // race choice open, boat
  // names on, the view following the boats and the zoom slider at its end.
  void showRace(bool northUp, const QStringList& attachments, const QString& fileName);
  // The display switches and sliders as scene options.
  void applyTo(SceneOptions& options) const;

  // The race catalogue in the selector.
  void setRaceFiles(const QStringList& files);
  void setChosenRace(int index);                // 0-based
  void setChosenRaceText(const QString& text);  // the file name of the race on screen
  int chosenRace() const { return m_raceSelector->currentIndex(); }
  QString chosenRaceText() const { return m_raceSelector->currentText(); }

  bool autoNext() const { return m_autoNextBox->isChecked(); }
  void setAutoNext(bool on) { m_autoNextBox->setChecked(on); }
  // HintsOn: the hints switch, checked and hidden.
  bool hintsOn() const { return m_hintsBox->isChecked(); }

  // Checks the Track page, where the race choice is open, without sending
  // pageChosen (a load starts on it).
  void checkTrackPage();
  // The page the window shows: its radio button checked (none for the Gaps
  // and Polars pages, which the menus offer), the race choice open on the
  // Track page only. Sends nothing.
  void showPage(Page page);
  Page shownPage() const { return m_page; }

  // "Tracks coloured by speed", from the menus of the race selector and of
  // the page choice: the whole-race view's tracks in the colours of their
  // speeds.
  bool speedColours() const { return m_speedColours; }

  bool northUp() const { return m_northUpButton->isChecked(); }
  void setNorthUp(bool northUp);

  bool autoTrace() const { return m_autoTraceBox->isChecked(); }
  void setAutoTrace(bool on) { m_autoTraceBox->setChecked(on); }
  bool laylines() const { return m_laylineBox->isChecked(); }
  bool referenceLine() const { return m_referenceLineBox->isChecked(); }
  bool boatNames() const { return m_boatNamesBox->isChecked(); }
  void setBoatNames(bool on) { m_boatNamesBox->setChecked(on); }
  bool bigBoats() const { return m_bigBoatsBox->isChecked(); }

  int zoomPosition() const { return m_zoomSlider->value(); }
  // Moves the zoom slider without sending displayChanged.
  void resetZoom(int position);
  int seaBrightness() const { return m_seaBrightnessSlider->value(); }
  void setSeaBrightness(int brightness) { m_seaBrightnessSlider->setValue(brightness); }
  // Moves the sea colour slider without sending displayChanged (the clock's
  // day light does it).
  void showSeaBrightness(int brightness);
  bool autoBrightness() const { return m_autoSeaBox->isChecked(); }
  void setAutoBrightness(bool on) { m_autoSeaBox->setChecked(on); }

  // Moves the speed slider without sending speedMoved and shows the speed.
  void showSpeed(int position, const QString& text);
  void setSpeedText(const QString& text) { m_speedReadout->setPlainText(text); }
  QString speedText() const { return m_speedReadout->toPlainText(); }

  void showTransport(Transport transport);
  // While a race loads, what would start something (SHOW, the pages, the
  // transport and Auto Trace, Retouch, Google Earth) is refused: the control
  // shows what it showed before and refused() is sent.
  void setLoading(bool loading);

  // The attachments of the race on screen; the button is enabled when there
  // is at least one.
  void setAttachments(const QStringList& names);

  // The visible flag offers the other language; with English fixed neither
  // shows.
  void setLanguage(Language language);

  // Handlers, public so that tests drive them.
  void onAttachmentsClicked();
  void onAttachmentItemClicked(QListWidgetItem* item);
  // The menu of the race selector (with "Open GPS logs as a new race...")
  // or of the page choice; the window's tests open it without a pointer.
  std::unique_ptr<QMenu> makeMenu(bool withOpenLogs);

 signals:
  void raceChosen(int index);  // 0-based
  void showClicked();
  void exitClicked();
  void pageChosen(Page page);
  void orientationChanged();
  // "Auto Trace" was clicked, or a replay button checked it: true back to
  // the live scene, false to the whole-race view.
  void autoTraceClicked(bool checked);
  // A display switch or the zoom or sea colour slider changed.
  void displayChanged();
  void speedMoved(int position);
  void transportChosen(Transport transport);
  // One step of the replay: +1 forward, -1 backward.
  void stepRequested(int direction);
  void attachmentsClicked();
  void attachmentChosen(const QString& name);
  void kmlExportRequested(Qt::MouseButton button);
  void retouchClicked();
  // "Retouch" with the right button (or the menu key): the replay as a video.
  void retouchRightClicked();
  // "Open GPS logs as a new race..." from the race selector's context menu.
  void openLogsRequested();
  void languageChosen(Language language);
  // A hint for a control under the pointer.
  void hintRequested(const Hint& hint);
  void hintEnded();
  void hintsSwitched(bool on);
  // The pointer moves over the panel where no control is.
  void pointerOnEmptyPart();
  // A control was used while a race loads.
  void refused();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void choosePage(Page page);
  bool refusedWhileLoading();
  void showMenu(QWidget* owner, const QPoint& at, bool withOpenLogs);
  void onSpeedColoursToggled(bool on);
  // Every replay button puts the view back on the boats, as a click on
  // "Auto Trace" would, before it does its own work.
  void checkAutoTrace();
  void showSeaSwatch();
  void retranslate();
  // The hint of a control under the pointer, if it has one.
  std::optional<Hint> hintFor(const QObject* control) const;

  Language m_language = Language::EnglishFixed;
  QStringList m_attachments;

  QLabel* m_raceFileLabel = nullptr;
  QComboBox* m_raceSelector = nullptr;
  QCheckBox* m_autoNextBox = nullptr;
  QPushButton* m_exitButton = nullptr;
  QPushButton* m_showRaceButton = nullptr;
  QGroupBox* m_pageGroup = nullptr;
  QRadioButton* m_trackPageButton = nullptr;
  QRadioButton* m_graphPageButton = nullptr;
  QRadioButton* m_tablePageButton = nullptr;
  QGroupBox* m_orientationGroup = nullptr;
  QRadioButton* m_northUpButton = nullptr;
  QRadioButton* m_windUpButton = nullptr;
  QCheckBox* m_autoTraceBox = nullptr;
  bool m_loading = false;
  Page m_page = Page::Track;
  bool m_speedColours = false;
  Transport m_shownTransport = Transport::Forward;
  QCheckBox* m_laylineBox = nullptr;
  QCheckBox* m_referenceLineBox = nullptr;
  QCheckBox* m_boatNamesBox = nullptr;
  QCheckBox* m_bigBoatsBox = nullptr;
  QCheckBox* m_hintsBox = nullptr;
  QPushButton* m_retouchButton = nullptr;
  QPushButton* m_googleEarthButton = nullptr;
  QPushButton* m_attachmentsButton = nullptr;
  QListWidget* m_attachmentList = nullptr;
  TransportPanel* m_transportPanel = nullptr;
  QGroupBox* m_seaColourGroup = nullptr;
  QScrollBar* m_seaBrightnessSlider = nullptr;
  QLabel* m_seaSwatch = nullptr;
  QCheckBox* m_autoSeaBox = nullptr;
  QLabel* m_zoomLabel = nullptr;
  QScrollBar* m_zoomSlider = nullptr;
  QLabel* m_speedLabel = nullptr;
  QScrollBar* m_speedSlider = nullptr;
  QPlainTextEdit* m_speedReadout = nullptr;
  QPushButton* m_japaneseFlag = nullptr;
  QPushButton* m_englishFlag = nullptr;
};

}  // namespace velaro
