#pragma once

#include "core/ignoredrecord.h"

#include <QCoreApplication>
#include <QString>

#include <optional>
#include <vector>

namespace velaro {

// The one message a load gives about the records of its race file that the
// race does not hold, naming each (the first kMaxListed of them).
class IgnoredRecordsMessage {
  Q_DECLARE_TR_FUNCTIONS(velaro::IgnoredRecordsMessage)

 public:
  static constexpr int kMaxListed = 20;

  // Nothing when no record was left out.
  static std::optional<QString> text(const QString& raceFileName, const std::vector<IgnoredRecord>& ignored);
  static QString line(const IgnoredRecord& record);

 private:
  static QString reason(const IgnoredRecord& record);
};

}  // namespace velaro
