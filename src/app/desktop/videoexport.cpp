#include "app/desktop/videoexport.h"

#include "app/desktop/desktopdocuments.h"
#include "app/panels/videoprogressdialog.h"
#include "app/replay/videoexportjob.h"
#include "render/scene/replayframes.h"

#include <memory>

namespace velaro {

// The frames are what the map shows now, the live scene (the same switches,
// focus, zoom and orientation) or the whole-race view at its centre and
// zoom, the sea following the sun when the window's does; the map's size is
// rounded up to even, which the colour planes need.
std::optional<QString> startReplayVideo(DesktopDocuments& documents, VideoExportJob& job,
                                        const LoadedRace& loaded, const VideoShot& shot, QWidget* parent) {
  QString path;
  if (auto error = documents.prepareVideo(path)) {
    return error;
  }
  SceneOptions options = shot.options;
  options.mapArea = QSize((shot.mapArea.width() + 1) / 2 * 2, (shot.mapArea.height() + 1) / 2 * 2);
  options.HoverBoat = 0;
  ReplayTake take;
  take.from = loaded.race.TimeAxisStart;
  take.to = loaded.race.TimeAxisEnd;
  take.speed = shot.speed;
  auto frames = std::make_unique<ReplayFrames>(loaded, options, take);
  frames->setFollowSun(shot.followSun);
  if (shot.view && shot.view->isWholeRace()) {
    frames->setWholeRace(*shot.view);
  }
  const int count = frames->count();
  if (!job.start(std::move(frames), path)) {
    return QStringLiteral("%1: a video is already being written").arg(path);
  }
  showVideoProgress(job, count, parent);
  return std::nullopt;
}

}  // namespace velaro
