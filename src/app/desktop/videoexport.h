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

// What the video shows: the map's present picture and how fast the replay
// runs.
struct VideoShot {
  SceneOptions options;
  QSize mapArea;
  double speed = 30;
  bool followSun = false;
  const MapViewState* view = nullptr;
};

// The whole race played at shot.speed as "NoName.mp4" in the documents
// folder, opened when done, with a progress dialog over parent that can
// cancel it. The error text when it could not be written.
std::optional<QString> exportReplayVideo(DesktopDocuments& documents, const LoadedRace& loaded,
                                         const VideoShot& shot, QWidget* parent);

}  // namespace velaro
