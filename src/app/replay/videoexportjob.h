#pragma once

#include "render/scene/replayframes.h"
#include "video/replayvideo.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

namespace velaro {

// Draws and writes the replay's video on a worker thread. The frames read
// the race they were made from there: it must stay as it is until
// finished() came. How far the video got reaches the window's thread as
// queued signals; a cancel is seen after the frame in hand.
class VideoExportJob : public QObject {
  Q_OBJECT

 public:
  explicit VideoExportJob(QObject* parent = nullptr);
  // Stops a video still being written and waits for it: the window may
  // close during one.
  ~VideoExportJob() override;

  // False when a video is already being written.
  bool start(std::unique_ptr<ReplayFrames> frames, const QString& path);
  // From start() until finished() was sent.
  bool isBusy() const { return m_busy; }
  const QString& path() const { return m_path; }
  // The video stops after the present frame and what was written goes.
  void cancel() { m_cancelled.store(true); }
  // Cancels, waits for the worker and sends finished() at once.
  void stop();
  // The outcome of the finished video.
  VideoOutcome outcome() const;

 signals:
  void progress(int done, int total);
  // Once per start, after the worker ended.
  void finished();

 private:
  void onWorkerEnded();

  QFutureWatcher<VideoOutcome> m_watcher;
  std::unique_ptr<ReplayFrames> m_frames;
  QString m_path;
  bool m_busy = false;
  std::atomic<bool> m_cancelled{false};
  // Set as the job is destroyed: the worker posts nothing more.
  std::atomic<bool> m_gone{false};
};

}  // namespace velaro
