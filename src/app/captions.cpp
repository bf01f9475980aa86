#include "app/captions.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QWidget>

namespace velaro {

const std::vector<Caption>& captionTable() {
  static const std::vector<Caption> table = {
      {"boatListHeader", QStringLiteral("     Boat Name "),
       QStringLiteral("       艇　名          　         艇　名")},
      {"raceFileLabel", QStringLiteral("Race File Name"), QStringLiteral(" レースファイル名")},
      {"orientationGroup", QStringLiteral("Orientation"), QStringLiteral("表示方位")},
      {"northUpButton", QStringLiteral("NorthWd"), QStringLiteral("北が上")},
      {"windUpButton", QStringLiteral("WindWd"), QStringLiteral("風向")},
      {"autoNextBox", QStringLiteral("AutoNext"), QStringLiteral("自動切換")},
      {"showRaceButton", QStringLiteral("SHOW"), QStringLiteral("表示")},
      {"trackPageButton", QStringLiteral("Track"), QStringLiteral("軌跡")},
      {"graphPageButton", QStringLiteral("Graph"), QStringLiteral("ｸﾞﾗﾌ")},
      {"tablePageButton", QStringLiteral("Table"), QStringLiteral("数表")},
      {"autoTraceBox", QStringLiteral("Auto Trace"), QStringLiteral("軌跡追尾")},
      {"laylineBox", QStringLiteral("Layline"), QStringLiteral("レイライン")},
      {"referenceLineBox", QStringLiteral("Comp Ht"), QStringLiteral("比較線")},
      {"boatNamesBox", QStringLiteral("Boat Name"), QStringLiteral("艇名表示")},
      {"bigBoatsBox", QStringLiteral("Boat Size"), QStringLiteral("艇拡大")},
      {"hintsBox", QStringLiteral("Tips"), QStringLiteral("操作説明")},
      {"attachmentsButton", QStringLiteral("Attachment"), QStringLiteral("添付資料表示")},
      {"retouchButton", QStringLiteral("Retouch"), QStringLiteral("画像処理")},
  };
  return table;
}

void applyCaptions(QWidget* root, Language language) {
  const bool japanese = isJapanese(language);
  for (const Caption& c : captionTable()) {
    QObject* control = root->findChild<QObject*>(QString::fromLatin1(c.control));
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

Language languageForSystemLocale() {
  return QLocale::system().language() == QLocale::Japanese ? Language::Japanese : Language::EnglishFixed;
}

}  // namespace velaro
