#include "app/desktop/videoexport.h"

#include "app/desktop/desktopdocuments.h"
#include "app/panels/videoprogressdialog.h"
#include "render/scene/replayframes.h"

namespace velaro {

// The frames are what the map shows now, the live scene (the same switches,
// focus, zoom and orientation) or the whole-race view at its centre and
// zoom, the sea following the sun when the window's does; the map's size is
// rounded up to even, which the colour planes need.
std::optional<QString> exportReplayVideo(DesktopDocuments& documents, const LoadedRace& loaded,
                                         const VideoShot& shot, QWidget* parent) {
  SceneOptions options = shot.options;
  options.mapArea = QSize((shot.mapArea.width() + 1) / 2 * 2, (shot.mapArea.height() + 1) / 2 * 2);
  options.HoverBoat = 0;
  ReplayTake take;
  take.from = loaded.race.TimeAxisStart;
  take.to = loaded.race.TimeAxisEnd;
  take.speed = shot.speed;
  ReplayFrames frames(loaded, options, take);
  frames.setFollowSun(shot.followSun);
  if (shot.view && shot.view->isWholeRace()) {
    frames.setWholeRace(*shot.view);
  }
  return documents.exportVideo(
      [&](const QString& path) { return writeVideoWithProgress(frames, path, parent); });
}

}  // namespace velaro
