#include "app/manoeuvrehint.h"

#include <cmath>

namespace velaro {

QString manoeuvreHintText(const ManoeuvreTally& tally, Language language) {
  const bool measured = !std::isnan(tally.meanMetresLost) && tally.tacks + tally.gybes > 0;
  const QString loss = measured ? QString::number(std::lround(tally.meanMetresLost)) : QString();
  if (isJapanese(language)) {
    if (tally.tacks + tally.gybes == 0) {
      return QStringLiteral("タック・ジャイブなし");
    }
    QString text = QStringLiteral("タック %1回・ジャイブ %2回").arg(tally.tacks).arg(tally.gybes);
    return measured ? text + QStringLiteral("・平均ロス %1 m").arg(loss) : text;
  }
  if (tally.tacks + tally.gybes == 0) {
    return QStringLiteral("No tacks or gybes");
  }
  QString text = QStringLiteral("%1 %2, %3 %4")
                     .arg(tally.tacks)
                     .arg(tally.tacks == 1 ? QStringLiteral("tack") : QStringLiteral("tacks"))
                     .arg(tally.gybes)
                     .arg(tally.gybes == 1 ? QStringLiteral("gybe") : QStringLiteral("gybes"));
  return measured ? text + QStringLiteral(", %1 m lost on average").arg(loss) : text;
}

}  // namespace velaro
