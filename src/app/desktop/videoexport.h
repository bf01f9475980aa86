#pragma once

#include "core/loadedrace.h"
#include "core/scene/mapviewstate.h"
#include "core/scene/scenestate.h"

#include <QSize>
#include <QString>

#include <optional>

class QWidget;

namespace velaro {

class DesktopDocuments;
class VideoExportJob;

// What the video shows: the map's present picture and how fast the replay
// runs.
struct VideoShot {
  SceneOptions options;
  QSize mapArea;
  double speed = 30;
  bool followSun = false;
  const MapViewState* view = nullptr;
};

// Starts job writing the whole race played at shot.speed as "NoName.mp4" in
// the documents folder, with a progress dialog over parent that can cancel
// it. The frames read loaded until the job finished. The error text when the
// documents folder cannot be made; the job does not start then.
std::optional<QString> startReplayVideo(DesktopDocuments& documents, VideoExportJob& job,
                                        const LoadedRace& loaded, const VideoShot& shot, QWidget* parent);

}  // namespace velaro
