#include "video/replayvideo.h"

#include "video/videoencoder.h"

namespace velaro {

VideoOutcome writeReplayVideo(const QString& path, ReplayFrames& frames, const VideoProgress& progress) {
  VideoOutcome outcome;
  if (frames.count() > kMaxVideoFrames) {
    outcome.error = QStringLiteral("%1: a video of more than %2 frames is refused; choose a faster speed")
                        .arg(path)
                        .arg(kMaxVideoFrames);
    return outcome;
  }
  const std::unique_ptr<VideoEncoder> encoder = makeVideoEncoder(outcome.error);
  if (!encoder) {
    return outcome;
  }
  if (!encoder->open(path, frames.size(), frames.take().fps)) {
    outcome.error = encoder->errorString();
    return outcome;
  }
  outcome.codec = encoder->codecName();
  const int total = frames.count();
  for (int k = 0; k < total; ++k) {
    if (!encoder->addFrame(frames.render(k))) {
      outcome.error = encoder->errorString();
      return outcome;
    }
    outcome.frames = k + 1;
    if (progress && !progress(k + 1, total)) {
      encoder->abandon();
      outcome.stopped = true;
      return outcome;
    }
  }
  if (!encoder->finish()) {
    outcome.error = encoder->errorString();
    return outcome;
  }
  outcome.written = true;
  return outcome;
}

}  // namespace velaro
