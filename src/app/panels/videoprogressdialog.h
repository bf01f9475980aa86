#pragma once

class QProgressDialog;
class QWidget;

namespace velaro {

class VideoExportJob;

// The progress of the video job writes, in a dialog over parent (object name
// "videoProgress") whose texts are in the language on screen. Its Cancel
// button stops the video, which removes what was written; it goes when the
// job finishes. The dialog is window-modal: the window takes no input
// meanwhile, but repaints and goes on with its timers.
QProgressDialog* showVideoProgress(VideoExportJob& job, int frames, QWidget* parent);

}  // namespace velaro
