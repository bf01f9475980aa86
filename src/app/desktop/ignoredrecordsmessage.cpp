#include "app/desktop/ignoredrecordsmessage.h"

#include <algorithm>

namespace velaro {

QString IgnoredRecordsMessage::reason(const IgnoredRecord& record) {
  switch (record.reason) {
    case IgnoredReason::BeyondCapacity: {
      const QString& k = record.keyword;
      if (k == QLatin1String("BN")) {
        return tr("a race holds %1 boats").arg(record.detail);
      }
      if (k == QLatin1String("MK")) {
        return tr("a race holds %1 marks").arg(record.detail);
      }
      if (k == QLatin1String("LN")) {
        return tr("a race holds %1 lines").arg(record.detail);
      }
      if (k == QLatin1String("RL")) {
        return tr("a race holds %1 reference lines").arg(record.detail);
      }
      if (k == QLatin1String("AT")) {
        return tr("a race holds %1 attachments").arg(record.detail);
      }
      if (k == QLatin1String("MAP")) {
        return tr("a race holds %1 map names").arg(record.detail);
      }
      return tr("a course holds %1 items").arg(record.detail);
    }
    case IgnoredReason::LogMissing:
      return tr("no such log in gpsdat");
    case IgnoredReason::LogOutside:
      return tr("the log is named outside gpsdat");
    case IgnoredReason::LogIsFolder:
      return tr("the log is a folder");
    case IgnoredReason::LogNotAFile:
      return tr("the log is not a file (%1)").arg(record.detail);
    case IgnoredReason::LogUnreadable:
      return tr("the log cannot be read (%1)").arg(record.detail);
  }
  return {};
}

QString IgnoredRecordsMessage::line(const IgnoredRecord& record) {
  if (record.keyword == QLatin1String("BN")) {
    return tr("line %1: boat \"%2\" (%3): %4").arg(record.line).arg(record.name, record.file, reason(record));
  }
  return tr("line %1: %2 \"%3\": %4").arg(record.line).arg(record.keyword, record.name, reason(record));
}

std::optional<QString> IgnoredRecordsMessage::text(const QString& raceFileName,
                                                   const std::vector<IgnoredRecord>& ignored) {
  if (ignored.empty()) {
    return std::nullopt;
  }
  QString text = tr("These records of %1 were not loaded:").arg(raceFileName);
  const int count = static_cast<int>(ignored.size());
  for (int i = 0; i < std::min(count, kMaxListed); ++i) {
    text += u'\n' + line(ignored[static_cast<size_t>(i)]);
  }
  if (count > kMaxListed) {
    text += u'\n' + tr("and %1 more (velaro-cli info lists them all).").arg(count - kMaxListed);
  }
  return text;
}

}  // namespace velaro
