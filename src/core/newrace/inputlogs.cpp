#include "core/newrace/inputlogs.h"

namespace velaro {

InputLogsResult readInputLogs(const QStringList&) {
  return {};
}

}  // namespace velaro
