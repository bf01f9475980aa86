#pragma once

#include "render/scene/replayframes.h"

#include <QString>

#include <functional>

namespace velaro {

// The window's video of the race, beside the retouch picture.
inline constexpr const char* kVideoFileName = "NoName.mp4";

struct VideoOutcome {
  bool written = false;
  bool stopped = false;  // the caller asked to stop; no file was left
  QString error;         // why the video could not be written
  int frames = 0;        // frames written
  QString codec;
};

// Called after each frame with the frames done and the total; returning
// false stops the video and removes what was written.
using VideoProgress = std::function<bool(int done, int total)>;

// Draws every frame of a take and writes it to path (see VideoEncoder).
VideoOutcome writeReplayVideo(const QString& path, ReplayFrames& frames, const VideoProgress& progress = {});

}  // namespace velaro
