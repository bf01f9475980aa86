#include "app/captions.h"
#include "app/desktop/shellhints.h"
#include "app/panels/boatlistpanel.h"
#include "app/panels/hintbox.h"
#include "app/panels/stopwatchwidget.h"
#include "languageonscreen.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace velaro {
namespace {

struct TsEntry {
  QString translation;
  bool finished = false;
};

// The messages of a .ts file by context and source text.
QMap<QString, TsEntry> readTs(const QString& path) {
  QMap<QString, TsEntry> entries;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << path.toStdString() << " cannot be read";
    return entries;
  }
  QXmlStreamReader xml(&file);
  QString context;
  QString source;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) {
      continue;
    }
    if (xml.name() == u"name") {
      context = xml.readElementText();
    } else if (xml.name() == u"source") {
      source = xml.readElementText();
    } else if (xml.name() == u"translation") {
      // Unfinished, vanished and obsolete translations do not count.
      const bool unfinished = !xml.attributes().value(QStringLiteral("type")).isEmpty();
      TsEntry entry;
      entry.translation = xml.readElementText();
      entry.finished = !unfinished && !entry.translation.isEmpty();
      entries.insert(context + u'|' + source, entry);
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return entries;
}

// Every text the sources mark for translation has a finished Japanese
// translation: a text added without one fails here.
TEST(Translations, EveryTextOfTheSourcesHasItsJapanese) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString scanned = dir.filePath(QStringLiteral("scanned_ja.ts"));
  QProcess lupdate;
  lupdate.setProcessChannelMode(QProcess::MergedChannels);
  lupdate.start(QStringLiteral(VELARO_LUPDATE),
                {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                 QStringLiteral(VELARO_SOURCE_DIR "/src"), QStringLiteral("-ts"), scanned});
  ASSERT_TRUE(lupdate.waitForFinished(120000));
  ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAll().toStdString();

  const QMap<QString, TsEntry> texts = readTs(scanned);
  const QMap<QString, TsEntry> japanese =
      readTs(QStringLiteral(VELARO_SOURCE_DIR "/translations/velaro_ja.ts"));
  EXPECT_GE(texts.size(), 30);
  for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
    const auto found = japanese.constFind(it.key());
    EXPECT_TRUE(found != japanese.cend() && found->finished)
        << "no Japanese for " << it.key().toStdString()
        << " (build update_translations and fill it in translations/velaro_ja.ts)";
  }
}

TEST(ShellHints, TextSizeAndPlaceFollowTheLanguageAndTheControls) {
  const QRect panel(1015, 513, 265, 255);
  {
    const LanguageOnScreen english(Language::English);
    EXPECT_EQ(ShellHints::autoNext(Language::English).text, QStringLiteral("Auto changer on/off"));
    EXPECT_EQ(ShellHints::autoNext(Language::English).size, QSize(180, 16));
    EXPECT_FALSE(ShellHints::autoNext(Language::English).at);
    const Hint show = ShellHints::showRace(panel, QRect(183, 28, 73, 19));
    EXPECT_EQ(show.text, QStringLiteral("Choose race file at left box\r\nthen click here to show it."));
    // Right-aligned with the button, 37 pixels above its top.
    EXPECT_EQ(show.at, QPoint(1015 + 183 + 73 - 180, 513 + 28 - 37));
    EXPECT_EQ(ShellHints::bigBoats(panel, QRect(169, 119, 86, 16)).at, QPoint(1015 + 169 - 225, 513 + 119));
    const Hint files = ShellHints::attachments({QStringLiteral("a.pdf"), QStringLiteral("b.html")});
    EXPECT_EQ(files.text, QStringLiteral("Show following attachment file\r\na.pdf\r\nb.html"));
    EXPECT_EQ(files.size, QSize(200, 13 * 2 + 18));
    EXPECT_FALSE(files.needsHintsOn);
    EXPECT_FALSE(ShellHints::help().needsHintsOn);
    EXPECT_TRUE(ShellHints::about().needsHintsOn);
    EXPECT_TRUE(
        ShellHints::about().text.startsWith(QStringLiteral("\r\n<Velaro>\r\nyacht racing browser\r\n")));
    // The wind graph has a hint over the live scene only.
    EXPECT_FALSE(ShellHints::windGraph(Language::English, false));
    EXPECT_EQ(ShellHints::windGraph(Language::English, true)->size, QSize(300, 20));
  }
  const LanguageOnScreen japanese(Language::Japanese);
  EXPECT_EQ(ShellHints::autoNext(Language::Japanese).text, QStringLiteral("ファイルを順次自動切換えします"));
  EXPECT_EQ(ShellHints::autoNext(Language::Japanese).size, QSize(220, 16));
  EXPECT_EQ(ShellHints::showRace(panel, QRect(183, 28, 73, 19)).text,
            QStringLiteral("左のボックスでレースを選び\r\nこのボタンでそれを表示します"));
  EXPECT_EQ(ShellHints::windGraph(Language::Japanese, true)->text,
            QStringLiteral("地図画面をクリックすると風向グラフ表示をON/OFFできます"));
  EXPECT_EQ(ShellHints::windGraph(Language::Japanese, true)->size, QSize(350, 20));
  EXPECT_TRUE(ShellHints::about().text.contains(QStringLiteral("クリックで概要表示")));
}

// The boat list's hints carry the hovered boat's name in either language;
// the stopwatch's captions stay as they are.
TEST(Translations, BoatListHintsAndStopwatchCaptionsFollowTheLanguage) {
  EXPECT_EQ(BoatListPanel::boatHint(QStringLiteral("Kestrel")),
            QStringLiteral("Checked boats are focused.\r\nUnchecked boats are out of focus.\r\n\r\n"
                           "R-Click to focus only Kestrel"));
  EXPECT_EQ(BoatListPanel::headerHint(), QStringLiteral("Left Button => Focus All Boats."));
  EXPECT_EQ(StopwatchWidget::caption(Stopwatch::State::Frozen), QStringLiteral("TIMER/OFF"));
  const LanguageOnScreen japanese(Language::Japanese);
  EXPECT_EQ(BoatListPanel::boatHint(QStringLiteral("疾風")),
            QStringLiteral("ﾁｪｯｸの入った艇がﾌｫｰｶｽされます。\r\n右ｸﾘｯｸで疾風\r\n"
                           "のみ残して他全艇のﾌｫｰｶｽを外します。\r\n\r\n"
                           "SHIFT+左ｸﾘｯｸで１艇のみ常時強調表示します\r\n(再度SHIFT+左ｸﾘｯｸで強調表示を解除)"));
  EXPECT_EQ(BoatListPanel::headerHint(), QStringLiteral("左ｸﾘｯｸで全艇にﾁｪｯｸが入ります"));
  EXPECT_EQ(StopwatchWidget::caption(Stopwatch::State::Idle), QStringLiteral("TIMER/ON"));
  EXPECT_EQ(StopwatchWidget::caption(Stopwatch::State::Running), QStringLiteral("STOP"));
}

TEST(HintBox, UnplacedHintsGoWhereThePreviousPlacedHintWentAndTheSwitchGovernsSome) {
  QWidget window;
  window.resize(800, 600);
  auto* box = new HintBox(&window);
  window.show();
  // No hint placed yet: the top-left corner.
  box->offer(ShellHints::autoNext(Language::English));
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->geometry(), QRect(0, 0, 180, box->height()));
  EXPECT_GE(box->height(), 16);
  box->offer(ShellHints::bigBoats(QRect(535, 345, 265, 255), QRect(169, 119, 86, 16)));
  EXPECT_EQ(box->pos(), QPoint(535 + 169 - 225, 345 + 119));
  box->hideHint();
  box->offer(ShellHints::autoNext(Language::English));
  EXPECT_EQ(box->pos(), QPoint(535 + 169 - 225, 345 + 119));
  EXPECT_EQ(box->text(), QStringLiteral("Auto changer on/off"));

  // With the hints off only the hints shown regardless appear.
  box->hideHint();
  box->setHintsOn(false);
  box->offer(ShellHints::about());
  EXPECT_FALSE(box->isVisible());
  box->offer(ShellHints::help());
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->text(), QStringLiteral("    Show Help"));
  // A box too low for its lines grows rather than cutting them off.
  box->setHintsOn(true);
  box->offer(ShellHints::about());
  EXPECT_EQ(box->width(), 160);
  EXPECT_GE(box->height(), 9 * box->fontMetrics().lineSpacing());
}

}  // namespace
}  // namespace velaro
