#pragma once

#include "core/reports/filewrite.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace velaro {

// Writes files (paths relative to root, "gpsdat/a.gpx") into root, every one
// or none: each is written whole into a staging folder inside root first (the
// same file system), then moved into place in the order given, never over an
// existing file. Should any step fail, the files already moved, the staging
// folder and every folder this call created (root included) are removed
// again, so root is left as it was. Nothing already in root is replaced.
std::optional<WriteError> writeFilesWhole(const QString& root,
                                          const std::vector<std::pair<QString, QByteArray>>& files);

}  // namespace velaro
