#pragma once

#include "app/splashform.h"
#include "core/loadpipeline.h"
#include "core/racefolders.h"

#include <QPointer>
#include <QString>

namespace velaro {

class Platform;

// Loads the race at path while the window stays responsive: pending events
// run during the long steps, the platform beeps where the load asks, and a
// splash, when one is given, shows the titles and progress. The map area is
// at least 1 x 1.
LoadResult loadInWindow(const QString& path, const RaceFolders& folders, LoadOptions options,
                        Platform& platform, QPointer<SplashForm> splash);

}  // namespace velaro
