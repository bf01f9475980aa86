#pragma once

#include "render/scene/replayframes.h"
#include "video/replayvideo.h"

#include <QString>

class QWidget;

namespace velaro {

// Writes the frames as a video at path while a progress dialog over parent
// (object name "videoProgress") shows how far it got. Its Cancel button
// stops the video and removes what was written; its texts are in the
// language on screen. The dialog is window-modal:
// the window takes no input meanwhile, but repaints.
VideoOutcome writeVideoWithProgress(ReplayFrames& frames, const QString& path, QWidget* parent);

}  // namespace velaro
