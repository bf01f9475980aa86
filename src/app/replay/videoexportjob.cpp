#include "app/replay/videoexportjob.h"

#include "app/replay/backgroundwork.h"

#include <QFile>
#include <QMetaObject>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <new>

namespace velaro {

VideoExportJob::VideoExportJob(QObject* parent) : QObject(parent) {
  connect(&m_watcher, &QFutureWatcher<VideoOutcome>::finished, this, &VideoExportJob::onWorkerEnded);
}

VideoExportJob::~VideoExportJob() {
  m_gone.store(true);
  cancel();
  if (m_watcher.isRunning()) {
    m_watcher.waitForFinished();
  }
}

bool VideoExportJob::start(std::unique_ptr<ReplayFrames> frames, const QString& path) {
  if (m_busy) {
    return false;
  }
  m_busy = true;
  m_cancelled.store(false);
  m_frames = std::move(frames);
  m_path = path;
  // At most one report of the progress waits in the window's queue, and it
  // tells the latest count: a busy window does not fall behind the frames.
  auto done = std::make_shared<std::atomic<int>>(0);
  auto posted = std::make_shared<std::atomic<bool>>(false);
  VideoProgress report = [this, done, posted](int k, int total) {
    done->store(k);
    if (!m_gone.load() && !posted->exchange(true)) {
      QMetaObject::invokeMethod(
          this,
          [this, done, posted, total] {
            posted->store(false);
            emit progress(done->load(), total);
          },
          Qt::QueuedConnection);
    }
    return !m_cancelled.load();
  };
  m_watcher.setFuture(QtConcurrent::run([this, frames = m_frames.get(), path, report] {
    enterBackgroundWork();
    // A failure ends as the video's error, never as an exception in the
    // window.
    VideoOutcome failed;
    try {
      VideoOutcome outcome = writeReplayVideo(path, *frames, report);
      // A cancel after the last frame, while the encoder finished, still
      // means no video.
      if (outcome.written && m_cancelled.load()) {
        QFile::remove(path);
        outcome.written = false;
        outcome.stopped = true;
      }
      return outcome;
    } catch (const std::bad_alloc&) {
      failed.error = QStringLiteral("%1: not enough memory to write the video").arg(path);
    } catch (const std::exception& e) {
      failed.error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(e.what()));
    }
    return failed;
  }));
  return true;
}

void VideoExportJob::stop() {
  if (!m_busy) {
    return;
  }
  cancel();
  m_watcher.waitForFinished();
  onWorkerEnded();
}

void VideoExportJob::onWorkerEnded() {
  // The watcher still reports a worker that stop() already waited for.
  if (!m_busy) {
    return;
  }
  m_busy = false;
  emit finished();
}

VideoOutcome VideoExportJob::outcome() const {
  const QFuture<VideoOutcome> future = m_watcher.future();
  if (!future.isValid() || !future.isFinished() || future.resultCount() == 0) {
    return {};
  }
  return future.result();
}

}  // namespace velaro
