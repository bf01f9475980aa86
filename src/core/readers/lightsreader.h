#pragma once

#include "core/race.h"
#include "core/racefolders.h"
#include "core/readerror.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace velaro {

struct LightsReadResult {
  std::vector<Light> lights;  // file order
  bool fileFound = false;
  std::optional<ReadError> error;
};

// Parses a light list (.lh) already in memory: one light a line, "kind,
// DDMM.mm, DDDMM.mm, period, on-time, colours, range". fileName names the
// file in errors.
LightsReadResult parseLights(QByteArrayView bytes, const QString& fileName);

// Reads coastline/<fileName>; a missing file or a refused name gives no
// lights and no error.
LightsReadResult ReadLightsFile(const RaceFolders& folders, const QString& fileName);

}  // namespace velaro
