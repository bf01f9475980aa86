#include "app/captions.h"

#include <QLocale>

namespace velaro {

const std::vector<Caption>& captionTable() {
  static const std::vector<Caption> table = {
      {"Label1", QStringLiteral("     Boat Name "),
       QStringLiteral("       艇　名          　         艇　名")},
      {"Label5", QStringLiteral("Race File Name"), QStringLiteral(" レースファイル名")},
      {"GroupBox1", QStringLiteral("Orientation"), QStringLiteral("表示方位")},
      {"RadioN", QStringLiteral("NorthWd"), QStringLiteral("北が上")},
      {"RadioW", QStringLiteral("WindWd"), QStringLiteral("風向")},
      {"chkAutoNext", QStringLiteral("AutoNext"), QStringLiteral("自動切換")},
      {"Button4", QStringLiteral("SHOW"), QStringLiteral("表示")},
      {"RadioButton1", QStringLiteral("Track"), QStringLiteral("軌跡")},
      {"RadioButton2", QStringLiteral("Graph"), QStringLiteral("ｸﾞﾗﾌ")},
      {"RadioButton3", QStringLiteral("Table"), QStringLiteral("数表")},
      {"CheckBox1", QStringLiteral("Auto Trace"), QStringLiteral("軌跡追尾")},
      {"chkLL", QStringLiteral("Layline"), QStringLiteral("レイライン")},
      {"ChkRefLine", QStringLiteral("Comp Ht"), QStringLiteral("比較線")},
      {"CheckBox2", QStringLiteral("Boat Name"), QStringLiteral("艇名表示")},
      {"ChkBigBoat", QStringLiteral("Boat Size"), QStringLiteral("艇拡大")},
      {"chkHint", QStringLiteral("Tips"), QStringLiteral("操作説明")},
      {"Button2", QStringLiteral("Attachment"), QStringLiteral("添付資料表示")},
      {"Button5", QStringLiteral("Retouch"), QStringLiteral("画像処理")},
  };
  return table;
}

Language languageForSystemLocale() {
  return QLocale::system().language() == QLocale::Japanese ? Language::Japanese : Language::EnglishFixed;
}

}  // namespace velaro
