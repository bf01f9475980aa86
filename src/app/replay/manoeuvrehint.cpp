#include "app/replay/manoeuvrehint.h"

#include <QCoreApplication>

#include <cmath>

namespace velaro {

namespace {

// The words of the hint, for the translations.
class ManoeuvreHint {
  Q_DECLARE_TR_FUNCTIONS(ManoeuvreHint)

 public:
  static QString text(const ManoeuvreTally& tally) {
    if (tally.tacks + tally.gybes == 0) {
      return tr("No tacks or gybes");
    }
    const QString tacks = tally.tacks == 1 ? tr("1 tack") : tr("%1 tacks").arg(tally.tacks);
    const QString gybes = tally.gybes == 1 ? tr("1 gybe") : tr("%1 gybes").arg(tally.gybes);
    const QString counts = tr("%1, %2", "tacks, gybes").arg(tacks, gybes);
    if (std::isnan(tally.meanMetresLost)) {
      return counts;
    }
    return tr("%1, %2 m lost on average").arg(counts).arg(std::lround(tally.meanMetresLost));
  }
};

}  // namespace

QString manoeuvreHintText(const ManoeuvreTally& tally) {
  return ManoeuvreHint::text(tally);
}

}  // namespace velaro
