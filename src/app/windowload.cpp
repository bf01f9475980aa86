#include "app/windowload.h"

#include "app/platform.h"

#include <QCoreApplication>

#include <algorithm>

namespace velaro {

LoadResult loadInWindow(const QString& path, const RaceFolders& folders, LoadOptions options,
                        Platform& platform, QPointer<SplashForm> splash) {
  options.mapArea = QSize(std::max(1, options.mapArea.width()), std::max(1, options.mapArea.height()));
  LoadCallbacks callbacks;
  callbacks.yield = [] { QCoreApplication::processEvents(); };
  callbacks.beep = [&platform] { platform.beep(); };
  if (splash) {
    SplashForm::followLoad(std::move(splash), callbacks);
  }
  return LoadRacePipeline(path, folders, options, callbacks);
}

}  // namespace velaro
