#include "app/panels/racecontrolpanel.h"
#include "app/controls.h"
#include "app/panels/hintbox.h"
#include "languageonscreen.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace velaro {
namespace {

template <typename T = QWidget>
T* child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

TEST(RaceControlPanel, EveryControlOfTheTableSitsAtItsPlace) {
  RaceControlPanel panel;
  for (const ControlPlace& place : controlPlaces()) {
    const QWidget* control = child(panel, place.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), place.geometry) << place.name;
  }
  // A few places checked against the designed layout, not the table.
  EXPECT_EQ(child(panel, "raceSelector")->geometry(), QRect(11, 28, 167, 20));
  EXPECT_EQ(child(panel, "exitButton")->geometry(), QRect(207, 195, 44, 49));
  EXPECT_EQ(child(panel, "speedReadout")->geometry(), QRect(162, 224, 29, 19));
  // The attachment list ends 3 pixels above the attachments button.
  EXPECT_EQ(child(panel, "attachmentList")->geometry().bottom() + 1 + 3,
            child(panel, "attachmentsButton")->y());
}

TEST(RaceControlPanel, OneAttachmentOpensAtOnceSeveralOfferAList) {
  RaceControlPanel panel;
  panel.show();
  QSignalSpy clicks(&panel, &RaceControlPanel::attachmentsClicked);
  QSignalSpy chosen(&panel, &RaceControlPanel::attachmentChosen);
  auto* button = child<QPushButton>(panel, "attachmentsButton");
  auto* list = child<QListWidget>(panel, "attachmentList");

  panel.setAttachments({});
  EXPECT_FALSE(button->isEnabled());
  panel.setAttachments({QStringLiteral("one.pdf")});
  button->click();
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen[0][0].toString(), QStringLiteral("one.pdf"));
  EXPECT_FALSE(list->isVisible());

  panel.setAttachments({QStringLiteral("a.pdf"), QStringLiteral("b.html")});
  button->click();
  EXPECT_TRUE(list->isVisible());
  EXPECT_EQ(list->count(), 2);
  EXPECT_EQ(chosen.count(), 1);
  // A second click closes the list without choosing.
  button->click();
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(chosen.count(), 1);
  button->click();
  panel.onAttachmentItemClicked(list->item(1));
  EXPECT_FALSE(list->isVisible());
  ASSERT_EQ(chosen.count(), 2);
  EXPECT_EQ(chosen[1][0].toString(), QStringLiteral("b.html"));
  EXPECT_EQ(clicks.count(), 4);
  // A new race closes a list left open.
  button->click();
  panel.setAttachments({QStringLiteral("c.pdf")});
  EXPECT_FALSE(list->isVisible());
}

TEST(RaceControlPanel, ReplayButtonsAndPagesDriveTheSwitches) {
  RaceControlPanel panel;
  QSignalSpy transport(&panel, &RaceControlPanel::transportChosen);
  QSignalSpy steps(&panel, &RaceControlPanel::stepRequested);
  QSignalSpy pages(&panel, &RaceControlPanel::pageChosen);

  // Any replay button puts the view back on the boats.
  panel.setAutoTrace(false);
  child<QPushButton>(panel, "stopButton")->click();
  EXPECT_TRUE(panel.autoTrace());
  ASSERT_EQ(transport.count(), 1);
  EXPECT_EQ(transport[0][0].value<Transport>(), Transport::Stop);
  panel.showTransport(Transport::Stop);
  EXPECT_TRUE(child(panel, "stopButton")->isHidden());
  EXPECT_FALSE(child(panel, "stopPressed")->isHidden());
  panel.setAutoTrace(false);
  child<QPushButton>(panel, "forwardPressed")->click();
  EXPECT_TRUE(panel.autoTrace());
  EXPECT_EQ(transport.count(), 1);
  child<QPushButton>(panel, "stepBackwardButton")->click();
  child<QPushButton>(panel, "stepForwardButton")->click();
  ASSERT_EQ(steps.count(), 2);
  EXPECT_EQ(steps[0][0].toInt(), -1);
  EXPECT_EQ(steps[1][0].toInt(), 1);

  // The table page holds the race: no choosing another until back on the track.
  child<QRadioButton>(panel, "tablePageButton")->click();
  EXPECT_FALSE(child(panel, "raceSelector")->isEnabled());
  EXPECT_FALSE(child(panel, "showRaceButton")->isEnabled());
  child<QRadioButton>(panel, "graphPageButton")->click();
  EXPECT_FALSE(child(panel, "showRaceButton")->isEnabled());
  child<QRadioButton>(panel, "trackPageButton")->click();
  EXPECT_TRUE(child(panel, "raceSelector")->isEnabled());
  EXPECT_TRUE(child(panel, "showRaceButton")->isEnabled());
  ASSERT_EQ(pages.count(), 3);
  EXPECT_EQ(pages[0][0].value<Page>(), Page::Table);
  EXPECT_EQ(pages[2][0].value<Page>(), Page::Track);

  // Moving the sliders for the clock or a new race sends nothing.
  QSignalSpy display(&panel, &RaceControlPanel::displayChanged);
  QSignalSpy speed(&panel, &RaceControlPanel::speedMoved);
  panel.showSeaBrightness(40);
  panel.resetZoom(100);
  panel.showSpeed(10, QStringLiteral("2X"));
  EXPECT_EQ(display.count(), 0);
  EXPECT_EQ(speed.count(), 0);
  EXPECT_EQ(panel.seaBrightness(), 40);
  EXPECT_EQ(panel.speedText(), QStringLiteral("2X"));
}

TEST(RaceControlPanel, GoogleEarthTellsTheMouseButtonsApartAndHintsBesideItself) {
  QWidget window;
  window.resize(800, 600);
  auto* panel = new RaceControlPanel(&window);
  panel->move(535, 345);
  auto* hint = new HintBox(&window);
  hint->follow(panel);
  QSignalSpy exports(panel, &RaceControlPanel::kmlExportRequested);
  window.show();
  QWidget* button = child(*panel, "googleEarthButton");

  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(button->mapToGlobal(QPoint(5, 5))),
                    Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  QCoreApplication::sendEvent(button, &press);
  ASSERT_EQ(exports.count(), 1);
  EXPECT_EQ(exports[0][0].value<Qt::MouseButton>(), Qt::RightButton);

  panel->setLanguage(Language::English);
  QEvent enter(QEvent::Enter);
  QCoreApplication::sendEvent(button, &enter);
  EXPECT_TRUE(hint->isVisible());
  // In window coordinates: 190 wide, ending 5 pixels left of the button, at
  // least 60 high (more when the font's lines need it).
  EXPECT_EQ(hint->geometry().topLeft(), QPoint(535 + 169 - 195, 345 + 153));
  EXPECT_EQ(hint->width(), 190);
  EXPECT_GE(hint->height(), 60);
  EXPECT_EQ(hint->text(), QStringLiteral("    Show Google Earth\nLeft Button => All Race\n"
                                         "Right Button => Present Scene\n(△Button to Restart)"));
  {
    const LanguageOnScreen japanese(Language::Japanese);
    panel->setLanguage(Language::Japanese);
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_TRUE(hint->text().startsWith(QStringLiteral("  Google Earthを表示します\n左ｸﾘｯｸ → 全レース")));
    EXPECT_EQ(hint->width(), 250);
  }
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(button, &leave);
  EXPECT_FALSE(hint->isVisible());
}

TEST(RaceControlPanel, TheVisibleFlagOffersTheOtherLanguage) {
  RaceControlPanel panel;
  panel.show();
  QSignalSpy chosen(&panel, &RaceControlPanel::languageChosen);
  auto* japanese = child<QPushButton>(panel, "japaneseFlag");
  auto* english = child<QPushButton>(panel, "englishFlag");
  panel.setLanguage(Language::English);
  EXPECT_TRUE(japanese->isVisible());
  EXPECT_FALSE(english->isVisible());
  japanese->click();
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen[0][0].value<Language>(), Language::Japanese);
  panel.setLanguage(Language::EnglishFixed);
  EXPECT_FALSE(japanese->isVisible());
  EXPECT_FALSE(english->isVisible());
}

TEST(RaceControlPanel, EveryCaptionFitsItsControlInBothLanguages) {
  for (const Language language : {Language::EnglishFixed, Language::Japanese}) {
    const LanguageOnScreen onScreen(language);
    QWidget window;
    window.setFont(windowFont(window.font(), window.logicalDpiY()));
    auto* panel = new RaceControlPanel(&window);
    for (QWidget* control : panel->findChildren<QWidget*>()) {
      EXPECT_LE(captionWidth(control, control->font()), control->width())
          << control->objectName().toStdString() << (isJapanese(language) ? " in Japanese" : " in English");
    }
  }
}

}  // namespace
}  // namespace velaro
