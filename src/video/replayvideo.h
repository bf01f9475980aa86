#pragma once

#include "render/scene/replayframes.h"

#include <QString>

#include <functional>

namespace velaro {

// The window's video of the race, beside the retouch picture.
inline constexpr const char* kVideoFileName = "NoName.mp4";

// The most frames a video may have: a day of video at 30 frames a second.
// Beyond it the replay speed is too slow for the race's length.
inline constexpr int kMaxVideoFrames = 24 * 3600 * 30;

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

// Draws every frame of a take and writes it to path (see VideoEncoder); a
// take of more than kMaxVideoFrames is refused before anything is written.
VideoOutcome writeReplayVideo(const QString& path, ReplayFrames& frames, const VideoProgress& progress = {});

}  // namespace velaro
