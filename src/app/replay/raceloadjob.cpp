#include "app/replay/raceloadjob.h"

#include "app/replay/backgroundwork.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <new>

namespace velaro {

RaceLoadJob::RaceLoadJob(QObject* parent) : QObject(parent) {
  connect(&m_watcher, &QFutureWatcher<LoadResult>::finished, this, &RaceLoadJob::finished);
}

RaceLoadJob::~RaceLoadJob() {
  m_gone.store(true);
  // A future whose result was taken is no longer valid, and waiting on it
  // would never end.
  if (m_watcher.future().isValid() && m_watcher.isRunning()) {
    m_watcher.waitForFinished();
  }
}

LoadResult loadCatchingFailures(const QString& raceFilePath, const RaceFolders& folders,
                                const LoadOptions& options, const LoadCallbacks& callbacks) {
  auto failed = [&](const QString& message) {
    LoadResult result;
    result.failure = LoadFailure::ReadError;
    result.error = ReadError{QFileInfo(raceFilePath).fileName(), 0, -1, QString(), message};
    return result;
  };
  try {
    return LoadRacePipeline(raceFilePath, folders, options, callbacks);
  } catch (const std::bad_alloc&) {
    return failed(QStringLiteral("not enough memory to load the race"));
  } catch (const std::exception& e) {
    return failed(QStringLiteral("the load failed: %1").arg(QString::fromLocal8Bit(e.what())));
  }
}

bool RaceLoadJob::start(const QString& raceFilePath, const RaceFolders& folders, const LoadOptions& options) {
  if (m_watcher.isRunning()) {
    return false;
  }
  // The callbacks run on the worker. The job outlives it (its destructor
  // waits), and queued calls to a job destroyed meanwhile are dropped.
  auto post = [this](auto call) {
    if (!m_gone.load()) {
      QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    }
  };
  LoadCallbacks callbacks;
  callbacks.raceFileRead = [this, post](const Race& race) {
    post([this, caption = race.RaceCaption, subcaption = race.RaceSubcaption] {
      emit titlesRead(caption, subcaption);
    });
  };
  callbacks.progress = [this, post](int k, int count, const QString& fileName) {
    post([this, k, count, fileName] { emit progress(k, count, fileName); });
  };
  callbacks.beep = [this, post] { post([this] { emit beepRequested(); }); };
  m_watcher.setFuture(QtConcurrent::run([raceFilePath, folders, options, callbacks] {
    enterBackgroundWork();
    return loadCatchingFailures(raceFilePath, folders, options, callbacks);
  }));
  return true;
}

LoadResult RaceLoadJob::takeResult() {
  // Taking the result leaves the future invalid: a second take is empty.
  QFuture<LoadResult> future = m_watcher.future();
  if (!future.isValid() || !future.isFinished() || future.resultCount() == 0) {
    return {};
  }
  return future.takeResult();
}

}  // namespace velaro
