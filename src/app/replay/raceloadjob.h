#pragma once

#include "core/loadpipeline.h"
#include "core/racefolders.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <atomic>

namespace velaro {

// Runs the load of one race on a worker thread. What the load tells on its
// way (the race file's titles, each log read, its beeps) reaches the
// window's thread as queued signals; the result is taken once finished()
// came. A load that throws (out of memory on a huge log) ends as a read
// error naming the race file, never as an exception in the window.
class RaceLoadJob : public QObject {
  Q_OBJECT

 public:
  explicit RaceLoadJob(QObject* parent = nullptr);
  // Waits for a load still running: the window may close during one.
  ~RaceLoadJob() override;

  // False when a load is already running.
  bool start(const QString& raceFilePath, const RaceFolders& folders, const LoadOptions& options);
  bool isRunning() const { return m_watcher.isRunning(); }
  // The result of the finished load; empty once taken.
  LoadResult takeResult();

 signals:
  void titlesRead(const QString& caption, const QString& subcaption);
  void progress(int k, int count, const QString& fileName);
  void beepRequested();
  void finished();

 private:
  QFutureWatcher<LoadResult> m_watcher;
  // Set as the job is destroyed: the worker posts nothing more.
  std::atomic<bool> m_gone{false};
};

// The load run on the calling thread with its exceptions caught (the worker's
// body, for tests too).
LoadResult loadCatchingFailures(const QString& raceFilePath, const RaceFolders& folders,
                                const LoadOptions& options, const LoadCallbacks& callbacks);

}  // namespace velaro
